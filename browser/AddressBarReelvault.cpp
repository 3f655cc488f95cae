#include "browser/AddressBarReelvault.h"

#include <commctrl.h>

#include <algorithm>

#include "browser/BrowserBaseReelvault.h"
#include "browser/SearchQueryEncoding.h"
#include "core/album/AlbumFiles.h"
#include "core/base/Log.h"

namespace {

const wchar_t* const kSection = L"BROWSER";
const wchar_t* const kAddressCountKey = L"address_item_count";
const wchar_t* const kAddressItemFormat = L"address_item%04d";
const wchar_t* const kSearchCountKey = L"search_item_count";
const wchar_t* const kSearchItemFormat = L"search_item%04d";
const wchar_t* const kEngineKey = L"search_engine_index";

// Child, visible, flat, no divider.
constexpr DWORD kBarStyle = 0x50000840;
constexpr DWORD kNavigateButtonStyle = 0x56010000 | BS_ICON | BS_FLAT;
// The separator the boxes sit over carries this as its item data.
constexpr DWORD_PTR kBoxPlaceData = 0x11112222;
constexpr int kFirstSeparatorWidth = 12;
// What the buttons right of the boxes take.
constexpr int kButtonsWidth = 166;
constexpr int kTextLimit = 2048;
// The longest text an edit box hands on, as the bar reads it.
constexpr int kBoxTextLength = 2047;
constexpr int kSearchTextLength = 8191;
constexpr int kNavigateButtonTextLength = 31;

std::wstring ReadText(HWND window, int maxLength)
{
    if (!window) return std::wstring();
    std::wstring text(static_cast<size_t>(maxLength) + 1, L'\0');
    const int length = GetWindowTextW(window, &text[0], maxLength + 1);
    text.resize(static_cast<size_t>(std::max(length, 0)));
    return text;
}

void AppendText(HWND box, const std::wstring& text)
{
    COMBOBOXEXITEMW item = {};
    item.mask = CBEIF_TEXT;
    item.iItem = -1;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(box, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

TBBUTTON BoxPlaceSeparator(int width)
{
    TBBUTTON separator = {};
    separator.iBitmap = std::max(width, 0);
    separator.fsStyle = BTNS_SEP;
    separator.dwData = kBoxPlaceData;
    return separator;
}

// Every "%s" of the template receives the query; the search for the next one resumes after
// the inserted text, so a query holding "%s" is not expanded again.
std::wstring FillTemplate(const std::wstring& urlTemplate, const std::wstring& query)
{
    std::wstring address = urlTemplate;
    size_t from = 0;
    while ((from = address.find(L"%s", from)) != std::wstring::npos) {
        address.replace(from, 2, query);
        from += query.size();
    }
    return address;
}

}  // namespace

AddressBarReelvault_CL::AddressBarReelvault_CL(BrowserBaseReelvault_CL* browser, int navigateIconId,
                                               const Inifile_CL* ini)
    : browser_(browser), navigateIconId_(navigateIconId), ini_(ini)
{
}

int AddressBarReelvault_CL::GetEngineCount() const
{
    return browser_ ? static_cast<int>(browser_->engineTable.size()) : 0;
}

HWND AddressBarReelvault_CL::CreateControls(HWND parent, const std::wstring& engineBitmapPath)
{
    if (!ToolBar_CL::Create(parent, kBarStyle, kBarId)) return nullptr;
    TBBUTTON separator = BoxPlaceSeparator(kFirstSeparatorWidth);
    SendMessageW(window, TB_INSERTBUTTONW, 0, reinterpret_cast<LPARAM>(&separator));
    SetWindowLongPtrW(window, GWL_STYLE, GetWindowLongPtrW(window, GWL_STYLE) & ~static_cast<LONG_PTR>(CCS_NORESIZE));
    // The buttons show their images only, their texts being the tooltips: the bar leaves
    // them the width of three images beside the boxes.
    SendMessageW(window, TB_SETMAXTEXTROWS, 0, 0);

    addressBox.Create(window, kAddressBoxId, 10, 32, 0, 0, 0);
    SendMessageW(addressBox.hwnd, CB_LIMITTEXT, kTextLimit, 0);
    addressEdit_.Subclass(addressBox.GetEditControl(), this, &AddressBarReelvault_CL::OnAddressEditMessage);
    SendMessageW(addressBox.hwnd, CB_SETDROPPEDWIDTH, 720, 0);
    // A page may have started before the box existed.
    if (!addressText_.empty()) SetWindowTextW(addressBox.hwnd, addressText_.c_str());

    navigateButton.id = kNavigateButtonId;
    navigateButton.CreateControlWindow(window, L"Button", L"OK", kNavigateButtonStyle, 0, 0, 0,
                                       navigateButton.GetTextWidth(L"OK") + 8, navigateButton.GetTextHeight(L"OK") + 8);
    navigateButton.Resize(20, 20, TRUE);
    HANDLE icon = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(navigateIconId_), IMAGE_ICON, 16, 16,
                             LR_SHARED | LR_DEFAULTSIZE);
    if (icon) SendMessageW(navigateButton.hwnd, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));

    searchBox.Create(window, kSearchBoxId, 20, 32, 0, 0, 0);
    SendMessageW(searchBox.hwnd, CB_LIMITTEXT, kTextLimit, 0);
    searchEdit_.Subclass(searchBox.GetEditControl(), this, &AddressBarReelvault_CL::OnSearchEditMessage);
    SendMessageW(searchBox.hwnd, CB_SETDROPPEDWIDTH, 320, 0);

    engineImages.LoadBitmapFile(engineBitmapPath, 16);

    // A list to choose from: the engine's name is not typed.
    engineChooser.Create(window, kEngineChooserId, 32, 32, kComboBoxDefaultStyle | CBS_DROPDOWNLIST, 0, 0);
    SendMessageW(engineChooser.hwnd, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(engineImages.imageList));
    engineChooser.Resize(43, 22, TRUE);
    SendMessageW(engineChooser.hwnd, CB_SETDROPPEDWIDTH, 200, 0);
    if (browser_)
        for (const SearchEngineEntry& engine : browser_->engineTable) engineChooser.AddItem(engine.name, engine.site);
    SelectStoredEngine();

    HIMAGELIST former = reinterpret_cast<HIMAGELIST>(
        SendMessageW(window, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(engineImages.imageList)));
    if (former && former != engineImages.imageList) ImageList_Destroy(former);

    // Record 0 stands for the separator inserted above; the buttons take the records after it.
    int record = 1;
    ToolBarButtonRecord& search = records[static_cast<size_t>(record++)];
    search.button.iBitmap = 0;
    search.button.idCommand = static_cast<int>(kSearchCommand);
    AddButton(&search, L"指定された検索エンジンで検索");
    if (browser_) {
        const std::vector<SearchEngineEntry>& engines = browser_->engineTable;
        for (size_t row = 0; row < engines.size() && record < recordCount; ++row) {
            if (!(engines[row].flags & 0x8000)) continue;
            if (kQuickSearchFirst + row > kQuickSearchLast) break;
            ToolBarButtonRecord& quick = records[static_cast<size_t>(record++)];
            quick.button.iBitmap = engines[row].site;
            quick.button.idCommand = static_cast<int>(kQuickSearchFirst + row);
            AddButton(&quick, engines[row].name.c_str());
        }
    }
    LoadHistories();
    return window;
}

LRESULT AddressBarReelvault_CL::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SIZE:
        if (layingOut_) break;
        LayOut(LOWORD(lParam));
        ToolBar_CL::WndProc(hwnd, msg, wParam, lParam);
        UpdateToolTips();
        return 1;
    case WM_COMMAND:
        OnBoxCommand(wParam);
        break;
    default:
        break;
    }
    return ToolBar_CL::WndProc(hwnd, msg, wParam, lParam);
}

void AddressBarReelvault_CL::LayOut(int width)
{
    // Resizing the tool bar below sends WM_SIZE again; that one only passes.
    layingOut_ = true;
    SendMessageW(window, TB_DELETEBUTTON, 0, 0);
    TBBUTTON separator = BoxPlaceSeparator(width - kButtonsWidth);
    SendMessageW(window, TB_INSERTBUTTONW, 0, reinterpret_cast<LPARAM>(&separator));
    SendMessageW(window, TB_AUTOSIZE, 0, 0);

    const RECT searchRect = searchBox.GetRectInParent();
    const RECT chooserRect = engineChooser.GetRectInParent();
    int x = width - kButtonsWidth - (searchRect.right - searchRect.left) - 4;
    searchBox.MoveTo(x, 0);
    x = x - 4 - (chooserRect.right - chooserRect.left);
    engineChooser.MoveTo(x, 0);
    x -= 42;
    navigateButton.MoveTo(x, 0);
    SetWindowPos(addressBox.hwnd, nullptr, 0, 0, std::max(x - 2, 0), 300, SWP_NOZORDER | SWP_NOMOVE);
    layingOut_ = false;
}

void AddressBarReelvault_CL::OnBoxCommand(WPARAM wParam)
{
    const int control = LOWORD(wParam);
    const int code = HIWORD(wParam);
    if (control == kNavigateButtonId && code == BN_CLICKED) {
        if (!ReadText(addressBox.hwnd, kNavigateButtonTextLength).empty())
            PostMessageW(addressBox.GetEditControl(), WM_CHAR, 13, 0);
        return;
    }
    if (code != CBN_SELENDOK) return;
    switch (control) {
    case kAddressBoxId:
        PostMessageW(addressBox.GetEditControl(), WM_CHAR, 13, 0);
        break;
    case kSearchBoxId: {
        // The edit box takes the chosen entry only after this notice: show the entry itself.
        const LRESULT chosen = SendMessageW(searchBox.hwnd, CB_GETCURSEL, 0, 0);
        std::wstring text;
        if (chosen >= 0 && static_cast<size_t>(chosen) < searchHistory_.size())
            text = searchHistory_[static_cast<size_t>(chosen)].substr(0, kBoxTextLength);
        else
            text = ReadText(searchBox.hwnd, kBoxTextLength);
        ShowStatus(text);
        PostMessageW(searchBox.GetEditControl(), WM_CHAR, 13, 0);
        break;
    }
    case kEngineChooserId: {
        const int selection = engineChooser.GetCurSel();
        if (selection < 0) break;
        // Held as well, so that saving the histories does not put back the engine of the last load.
        engineIndex_ = selection;
        if (ini_) ini_->WriteInt(selection, kSection, kEngineKey);
        break;
    }
    default:
        break;
    }
}

LRESULT CALLBACK AddressBarReelvault_CL::OnAddressEditMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* record = reinterpret_cast<SubClass_CL*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!record || !record->owner) return 0;
    return static_cast<AddressBarReelvault_CL*>(record->owner)->AddressEditMessage(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK AddressBarReelvault_CL::OnSearchEditMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* record = reinterpret_cast<SubClass_CL*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!record || !record->owner) return 0;
    return static_cast<AddressBarReelvault_CL*>(record->owner)->SearchEditMessage(hwnd, msg, wParam, lParam);
}

LRESULT AddressBarReelvault_CL::AddressEditMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_CHAR && wParam == 13) {
        const std::wstring text = ReadText(addressBox.hwnd, kBoxTextLength);
        AddAddressHistory(text);
        Navigate(text);
        PostShowBrowser(0);
        // The edit box never sees the Enter: it would beep, or keep a line break.
        addressEdit_.handled = 1;
        return CallWindowProcW(addressEdit_.previousWndProc, hwnd, WM_CHAR, 0, lParam);
    }
    if (msg == WM_KEYUP && browser_ && searchBox.hwnd) ShowStatus(ReadText(searchBox.hwnd, kBoxTextLength));
    return 0;
}

LRESULT AddressBarReelvault_CL::SearchEditMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != WM_CHAR || wParam != 13) return 0;
    SearchWithEngine(engineChooser.GetCurSel(), 0);
    if (browser_ && browser_->GetHostWindow()) SetFocus(browser_->GetHostWindow());
    AddSearchHistory(ReadText(searchBox.hwnd, kBoxTextLength));
    searchEdit_.handled = 1;
    return CallWindowProcW(searchEdit_.previousWndProc, hwnd, WM_CHAR, 0, lParam);
}

void AddressBarReelvault_CL::SearchWithEngine(int engine, LPARAM notice)
{
    if (engine == -1) engine = engineChooser.GetCurSel();
    if (engine < 0 || engine >= GetEngineCount()) return;
    const SearchEngineEntry& row = browser_->engineTable[static_cast<size_t>(engine)];
    const std::wstring text = ReadText(searchBox.hwnd, kSearchTextLength);
    AddSearchHistory(text);
    Navigate(FillTemplate(row.urlTemplate, EncodeSearchQuery(text, row.flags)));
    PostShowBrowser(notice);
}

bool AddressBarReelvault_CL::HandleSearchCommand(UINT command)
{
    if (command == kSearchCommand) {
        SearchWithEngine(-1, 0);
        return true;
    }
    if (command < kQuickSearchFirst || command > kQuickSearchLast) return false;
    SearchWithEngine(static_cast<int>(command - kQuickSearchFirst), 0);
    if (browser_ && browser_->GetHostWindow()) SetFocus(browser_->GetHostWindow());
    return true;
}

void AddressBarReelvault_CL::AddAddressHistory(const std::wstring& text)
{
    AddHistory(addressBox, addressHistory_, kAddressCountKey, kAddressItemFormat, text);
}

void AddressBarReelvault_CL::AddSearchHistory(const std::wstring& text)
{
    AddHistory(searchBox, searchHistory_, kSearchCountKey, kSearchItemFormat, text);
}

void AddressBarReelvault_CL::AddHistory(ComboBox_CL& box, std::vector<std::wstring>& history,
                                        const wchar_t* countKey, const wchar_t* itemFormat, const std::wstring& text)
{
    // Deleting the items one by one leaves the typed text in the box, which emptying it
    // at once would not.
    if (box.hwnd)
        while (SendMessageW(box.hwnd, CB_GETCOUNT, 0, 0) > 0)
            if (SendMessageW(box.hwnd, CB_DELETESTRING, 0, 0) == CB_ERR) break;
    history.erase(std::remove(history.begin(), history.end(), text), history.end());
    if (history.size() >= kMaxHistoryEntries) history.resize(kMaxHistoryEntries - 1);
    history.insert(history.begin(), text);
    if (box.hwnd)
        for (const std::wstring& entry : history) AppendText(box.hwnd, entry);
    if (ini_) SaveList(countKey, itemFormat, history);
}

void AddressBarReelvault_CL::LoadList(const wchar_t* countKey, const wchar_t* itemFormat,
                                      std::vector<std::wstring>& history, ComboBox_CL& box)
{
    if (box.hwnd) SendMessageW(box.hwnd, CB_RESETCONTENT, 0, 0);
    history.clear();
    // A damaged count must not turn into millions of reads, and however many the ini claims,
    // the list keeps its newest 50, as every addition does.
    const int32_t count = BoundedListCount(static_cast<int32_t>(ini_->ReadInt(kSection, countKey, 0)));
    for (int32_t i = 0; i < count && history.size() < kMaxHistoryEntries; ++i) {
        std::wstring entry = ini_->ReadString(kSection, NumberedKey(itemFormat, i).c_str(), L"");
        if (entry.empty()) continue;
        history.push_back(entry);
        if (box.hwnd) AppendText(box.hwnd, entry);
    }
}

void AddressBarReelvault_CL::SelectStoredEngine()
{
    if (!ini_) return;
    int index = static_cast<int>(ini_->ReadInt(kSection, kEngineKey, 0));
    if (index < 0 || index >= GetEngineCount()) index = 0;
    engineIndex_ = index;
    if (engineChooser.hwnd) SendMessageW(engineChooser.hwnd, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void AddressBarReelvault_CL::LoadHistories()
{
    if (!ini_) return;
    LoadList(kAddressCountKey, kAddressItemFormat, addressHistory_, addressBox);
    LoadList(kSearchCountKey, kSearchItemFormat, searchHistory_, searchBox);
    SelectStoredEngine();
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
    SaveList(kAddressCountKey, kAddressItemFormat, addressHistory_);
    SaveList(kSearchCountKey, kSearchItemFormat, searchHistory_);
    ini_->WriteInt(engineIndex_, kSection, kEngineKey);
}

void AddressBarReelvault_CL::SetAddressText(const std::wstring& address)
{
    addressText_ = address;
    if (addressBox.hwnd) SetWindowTextW(addressBox.hwnd, address.c_str());
}

std::wstring AddressBarReelvault_CL::GetAddressText() const
{
    return addressBox.hwnd ? ReadText(addressBox.hwnd, kBoxTextLength) : addressText_;
}

void AddressBarReelvault_CL::ShowStatus(const std::wstring& text) const
{
    if (browser_) browser_->SetStatusText(text);
}

void AddressBarReelvault_CL::Navigate(const std::wstring& address) const
{
    if (browser_) browser_->Navigate(address);
}

void AddressBarReelvault_CL::PostShowBrowser(LPARAM notice) const
{
    HWND mainWindow = browser_ ? browser_->parentWindow : nullptr;
    if (!mainWindow && window) mainWindow = GetAncestor(window, GA_ROOT);
    if (mainWindow) PostMessageW(mainWindow, WM_COMMAND, kShowBrowserCommand, notice);
}
