#include "core/album/ItemCategoryDataList.h"

#include <cwchar>

#include "core/album/AlbumFiles.h"
#include "core/base/FindFile.h"
#include "core/base/IniSnapshot.h"
#include "core/base/Inifile.h"

namespace {

const wchar_t kTopCategoryList[] = L"TOP_CATEGORY_LIST";
const wchar_t kPlaylistCategory[] = L"プレイリスト";

std::wstring TopCategoryKey(int32_t index)
{
    return NumberedKey(L"item%05d", index);
}

}  // namespace

// Reads each category file the walk finds into a new record of the list.
class ItemCategoryDataList_FindIniFile_CL : public FindFile_CL {
public:
    explicit ItemCategoryDataList_FindIniFile_CL(std::vector<ItemCategoryData_CL>* records) : records_(records) {}

protected:
    void OnFile(const std::wstring& folder, const WIN32_FIND_DATAW* data) override
    {
        ItemCategoryData_CL record;
        std::wstring path = folder + L"\\" + data->cFileName;
        if (snapshot_.Load(path))
            record.ReadIni(path, snapshot_);
        else
            record.ReadIni(path);
        records_->push_back(record);
    }

private:
    std::vector<ItemCategoryData_CL>* records_;
    IniSnapshot_CL snapshot_;
};

ItemCategoryDataList_CL::ItemCategoryDataList_CL()
{
    AddFixedTopCategories();
}

int ItemCategoryDataList_CL::Load(std::wstring albumFolder)
{
    records.clear();
    ItemCategoryDataList_FindIniFile_CL walker(&records);
    walker.Find(FALSE, albumFolder + L"\\category\\*.ini");
    return 0;
}

void ItemCategoryDataList_CL::ResetTopCategories()
{
    records.clear();
    top_categories.clear();
    AddFixedTopCategories();
}

void ItemCategoryDataList_CL::AddFixedTopCategories()
{
    using Kind = ItemTopCategoryData_CL;
    top_categories.push_back({1, L"全て", L"全て", Kind::kKindAllMovies});
    top_categories.push_back({0, L"未設定", L"", Kind::kKindMovies});
    top_categories.push_back({0, kPlaylistCategory, kPlaylistCategory, Kind::kKindPlaylists});
    top_categories.push_back({0, L"お気に入りサイト", L"お気に入りサイト", Kind::kKindFavoriteSites});
}

void ItemCategoryDataList_CL::LoadTopCategoryList(const Inifile_CL& albumIni)
{
    top_categories.clear();
    int32_t count = BoundedListCount(static_cast<int32_t>(albumIni.ReadInt(kTopCategoryList, L"count", 0)));
    AddFixedTopCategories();
    for (int32_t i = 0; i < count; ++i) {
        std::wstring name = albumIni.ReadString(kTopCategoryList, TopCategoryKey(i).c_str(), L"");
        top_categories.push_back({0, name, name, ItemTopCategoryData_CL::kKindMovies});
    }
}

void ItemCategoryDataList_CL::SaveTopCategoryList(const Inifile_CL& albumIni) const
{
    int32_t userCount = static_cast<int32_t>(top_categories.size()) - kFixedTopCategoryCount;
    if (userCount < 0) userCount = 0;
    albumIni.WriteInt(userCount, kTopCategoryList, L"count");
    for (int32_t i = 0; i < userCount; ++i) {
        albumIni.WriteString(kTopCategoryList, TopCategoryKey(i).c_str(),
                             ToSingleLine(top_categories[i + kFixedTopCategoryCount].name));
    }
}

void ItemCategoryDataList_CL::SelectByCategory(const std::wstring& name, ItemCategoryView_CL& out)
{
    out.records = &records;
    uint32_t hash = NameHash(name);
    SelectIndices(
        records, nullptr, [&](const ItemCategoryData_CL& record) { return record.IsInCategory(hash, name); },
        out.indices);
}

void ItemCategoryDataList_CL::SelectMovieCategories(ItemCategoryView_CL& out)
{
    out.records = &records;
    uint32_t playlistHash = NameHash(kPlaylistCategory);
    auto isMovieCategory = [playlistHash](const ItemCategoryData_CL& record) {
        return record.url_link.empty() && record.playlist.empty() &&
               !record.IsInCategory(playlistHash, kPlaylistCategory);
    };
    SelectIndices(records, nullptr, isMovieCategory, out.indices);
}

void ItemCategoryDataList_CL::ReplacePlaylistItem(const std::wstring& oldPath, const std::wstring& newPath)
{
    for (ItemCategoryData_CL& record : records) {
        bool changed = false;
        for (std::wstring& entry : record.playlist) {
            if (entry != oldPath) continue;
            entry = newPath;
            changed = true;
        }
        if (changed) record.WriteIni();
    }
}
