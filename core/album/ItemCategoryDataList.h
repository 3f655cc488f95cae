#pragma once
// The category records of the open album and its category tabs.
#include <string>
#include <vector>

#include "core/album/ItemCategoryData.h"
#include "core/album/ItemCategoryView.h"
#include "core/album/ItemListBase.h"
#include "core/album/ItemTopCategoryData.h"

class Inifile_CL;

class ItemCategoryDataList_CL : public ItemListBase_CL {
public:
    // Tabs that are always there, ahead of the user's own top categories.
    static constexpr int kFixedTopCategoryCount = 4;

    ItemCategoryDataList_CL();

    // Replaces the records with the category files albumFolder\category\*.ini, in the
    // order the file system lists them. Returns 0.
    int Load(std::wstring albumFolder) override;
    // Drops every record and every tab but the four fixed ones.
    void ResetTopCategories();
    // The four fixed tabs, then the album ini's "TOP_CATEGORY_LIST" entries.
    void LoadTopCategoryList(const Inifile_CL& albumIni);
    void SaveTopCategoryList(const Inifile_CL& albumIni) const;

    void SelectByCategory(const std::wstring& name, ItemCategoryView_CL& out);
    // The movie sub-categories: neither favourite sites nor playlists.
    void SelectMovieCategories(ItemCategoryView_CL& out);
    // After a movie file has been renamed: every playlist entry oldPath becomes newPath,
    // and each changed record is written.
    void ReplacePlaylistItem(const std::wstring& oldPath, const std::wstring& newPath);

    std::vector<ItemCategoryData_CL> records;
    std::vector<ItemTopCategoryData_CL> top_categories;

private:
    void AddFixedTopCategories();
};
