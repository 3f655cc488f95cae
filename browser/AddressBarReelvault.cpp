#include "browser/AddressBarReelvault.h"

#include "core/album/AlbumFiles.h"

namespace {

const wchar_t* const kSection = L"BROWSER";
constexpr size_t kMaxHistoryEntries = 50;

}  // namespace

void AddressBarReelvault_CL::SetBoxes(HWND addressBox, HWND searchBox, HWND engineChooser, int engineRowCount)
{
    addressBox_ = addressBox;
    searchBox_ = searchBox;
    engineChooser_ = engineChooser;
    engineRowCount_ = engineRowCount;
}

void AddressBarReelvault_CL::LoadList(const wchar_t* countKey, const wchar_t* itemFormat,
                                      std::vector<std::wstring>& history, HWND box)
{
    if (box) SendMessageW(box, CB_RESETCONTENT, 0, 0);
    history.clear();
    // A damaged count must not turn into millions of reads.
    const int32_t count = BoundedListCount(static_cast<int32_t>(ini_->ReadInt(kSection, countKey, 0)));
    // However many the ini claims, the list keeps its newest 50, as every addition does.
    for (int32_t i = 0; i < count && history.size() < kMaxHistoryEntries; ++i) {
        std::wstring entry = ini_->ReadString(kSection, NumberedKey(itemFormat, i).c_str(), L"");
        if (entry.empty()) continue;
        history.push_back(entry);
        if (box) SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    }
}

void AddressBarReelvault_CL::LoadHistories()
{
    if (!ini_) return;
    LoadList(L"address_item_count", L"address_item%04d", addressHistory_, addressBox_);
    LoadList(L"search_item_count", L"search_item%04d", searchHistory_, searchBox_);
    int index = static_cast<int>(ini_->ReadInt(kSection, L"search_engine_index", 0));
    if (index < 0 || (engineRowCount_ > 0 && index >= engineRowCount_)) index = 0;
    engineIndex_ = index;
    if (engineChooser_) SendMessageW(engineChooser_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void AddressBarReelvault_CL::SaveList(const wchar_t* countKey, const wchar_t* itemFormat,
                                      const std::vector<std::wstring>& history) const
{
    ini_->WriteInt(static_cast<int>(history.size()), kSection, countKey);
    for (size_t i = 0; i < history.size(); ++i)
        ini_->WriteString(kSection, NumberedKey(itemFormat, static_cast<int32_t>(i)).c_str(), ToSingleLine(history[i]));
}

void AddressBarReelvault_CL::SaveHistories() const
{
    if (!ini_) return;
    SaveList(L"address_item_count", L"address_item%04d", addressHistory_);
    SaveList(L"search_item_count", L"search_item%04d", searchHistory_);
    ini_->WriteInt(engineIndex_, kSection, L"search_engine_index");
}
