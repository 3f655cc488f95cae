#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "AlbumTestSupport.h"
#include "core/album/ItemCategoryDataList.h"
#include "core/album/ItemCategoryView.h"
#include "core/album/ItemMovieDataList.h"
#include "core/album/SaveData.h"

using albumtest::ParsedIni;
using albumtest::ParseUtf16Ini;
using albumtest::WriteUtf16Text;

namespace {

using Strings = std::vector<std::wstring>;
using Indices = std::vector<int32_t>;

ItemCategoryData_CL Category(const std::wstring& category, const std::wstring& subCategory, int32_t sortIndex = 0)
{
    ItemCategoryData_CL record;
    record.category = category;
    record.sub_category = subCategory;
    record.sub_category_sort_index = sortIndex;
    record.UpdateCategoryHash();
    return record;
}

void ExpectFixedTopCategories(const std::vector<ItemTopCategoryData_CL>& tops)
{
    ASSERT_GE(tops.size(), 4u);
    const struct {
        const wchar_t* label;
        const wchar_t* name;
        int32_t kind;
        int32_t selected;
    } fixed[] = {{L"全て", L"全て", 3, 1},
                 {L"未設定", L"", 0, 0},
                 {L"プレイリスト", L"プレイリスト", 4, 0},
                 {L"お気に入りサイト", L"お気に入りサイト", 2, 0}};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(tops[i].label, fixed[i].label) << i;
        EXPECT_EQ(tops[i].name, fixed[i].name) << i;
        EXPECT_EQ(tops[i].kind, fixed[i].kind) << i;
        EXPECT_EQ(tops[i].selected, fixed[i].selected) << i;
    }
}

TEST(TopCategories, RoundTripWithTheFourFixedEntries)
{
    TempFolder folder;
    Inifile_CL albumIni(folder / L"AlbumInfo.ini");
    WriteUtf16Text(albumIni.GetPath(), L"[TOP_CATEGORY_LIST]\ncount=2\nitem00000=A\nitem00001=アニメ\n");

    ItemCategoryDataList_CL list;
    list.LoadTopCategoryList(albumIni);
    ASSERT_EQ(list.top_categories.size(), 6u);
    ExpectFixedTopCategories(list.top_categories);
    EXPECT_EQ(list.top_categories[4].name, L"A");
    EXPECT_EQ(list.top_categories[4].label, L"A");
    EXPECT_EQ(list.top_categories[4].kind, 0);
    EXPECT_EQ(list.top_categories[4].selected, 0);
    EXPECT_EQ(list.top_categories[5].name, L"アニメ");

    Inifile_CL savedIni(folder / L"Saved.ini");
    savedIni.SetPath(savedIni.GetPath());
    list.SaveTopCategoryList(savedIni);
    ParsedIni saved = ParseUtf16Ini(savedIni.GetPath());
    EXPECT_EQ(saved.KeysOf(L"TOP_CATEGORY_LIST"), (Strings{L"count", L"item00000", L"item00001"}));
    EXPECT_EQ(saved.Value(L"TOP_CATEGORY_LIST", L"count"), L"2");
    EXPECT_EQ(saved.Value(L"TOP_CATEGORY_LIST", L"item00001"), L"アニメ");

    ItemCategoryDataList_CL again;
    again.LoadTopCategoryList(savedIni);
    ASSERT_EQ(again.top_categories.size(), 6u);
    EXPECT_EQ(again.top_categories[5].name, L"アニメ");

    // A removed entry's key stays in the file beyond the count.
    list.top_categories.pop_back();
    list.SaveTopCategoryList(savedIni);
    saved = ParseUtf16Ini(savedIni.GetPath());
    EXPECT_EQ(saved.Value(L"TOP_CATEGORY_LIST", L"count"), L"1");
    EXPECT_EQ(saved.Value(L"TOP_CATEGORY_LIST", L"item00001"), L"アニメ");
    again.LoadTopCategoryList(savedIni);
    EXPECT_EQ(again.top_categories.size(), 5u);
}

TEST(TopCategories, StoredCountsAndEmptyNames)
{
    TempFolder folder;
    Inifile_CL albumIni(folder / L"AlbumInfo.ini");
    const struct {
        const wchar_t* text;
        size_t entries;
    } cases[] = {
        {L"", 4},
        {L"[TOP_CATEGORY_LIST]\ncount=0\nitem00000=A\n", 4},
        {L"[TOP_CATEGORY_LIST]\ncount=-3\n", 4},
        {L"[TOP_CATEGORY_LIST]\ncount=2\nitem00000=A\n", 6},  // the missing name is an empty entry
    };
    for (const auto& c : cases) {
        WriteUtf16Text(albumIni.GetPath(), c.text);
        ItemCategoryDataList_CL list;
        list.LoadTopCategoryList(albumIni);
        EXPECT_EQ(list.top_categories.size(), c.entries) << c.entries;
        ExpectFixedTopCategories(list.top_categories);
        if (c.entries == 6) {
            EXPECT_EQ(list.top_categories[5].name, L"");
        }
    }
}

TEST(TopCategories, ResetDropsRecordsAndUserEntries)
{
    ItemCategoryDataList_CL list;
    list.records.push_back(Category(L"A", L"a"));
    list.top_categories.push_back({0, L"A", L"A", 0});
    list.top_categories[0].selected = 0;
    list.ResetTopCategories();
    EXPECT_TRUE(list.records.empty());
    ASSERT_EQ(list.top_categories.size(), 4u);
    ExpectFixedTopCategories(list.top_categories);
}

TEST(CategoryList, LoadsTheCategoryFilesOfTheAlbum)
{
    TempFolder album;
    std::wstring categoryFolder = album / L"category";
    CreateDirectoryW(categoryFolder.c_str(), nullptr);

    ItemCategoryDataList_CL list;
    list.records.push_back(Category(L"old", L"old"));
    EXPECT_EQ(list.Load(album.Path()), 0);
    EXPECT_TRUE(list.records.empty());
    EXPECT_EQ(list.top_categories.size(), 4u);

    WriteUtf16Text(categoryFolder + L"\\category00000.ini", L"[CATEGORY]\ncategory=A\nsub_category=one\n");
    WriteUtf16Text(categoryFolder + L"\\category00001.ini", L"[CATEGORY]\ncategory=B\nsub_category=two\n");
    WriteFileBytes(categoryFolder + L"\\category00001.jpg", {0xFF, 0xD8});
    CreateDirectoryW((categoryFolder + L"\\nested").c_str(), nullptr);
    WriteUtf16Text(categoryFolder + L"\\nested\\category00009.ini", L"[CATEGORY]\ncategory=C\n");

    EXPECT_EQ(list.Load(album.Path()), 0);
    ASSERT_EQ(list.records.size(), 2u);
    Strings subCategories = {list.records[0].sub_category, list.records[1].sub_category};
    std::sort(subCategories.begin(), subCategories.end());
    EXPECT_EQ(subCategories, (Strings{L"one", L"two"}));
    for (const auto& record : list.records) EXPECT_EQ(record.category_hash, NameHash(record.category));
}

TEST(CategoryList, Selections)
{
    ItemCategoryDataList_CL list;
    list.records.push_back(Category(L"A", L"x"));             // 0
    list.records.push_back(Category(L"プレイリスト", L"p"));  // 1: a playlist with no entries yet
    list.records.push_back(Category(L"A", L"y"));             // 2
    list.records.push_back(Category(L"お気に入りサイト", L"site"));
    list.records.back().url_link = L"https://example.com/";  // 3
    list.records.push_back(Category(L"B", L"x"));             // 4
    list.records.back().playlist = {L"C:\\m.mp4"};           // 4: holds entries, so a playlist

    ItemCategoryView_CL view;
    list.SelectByCategory(L"A", view);
    EXPECT_EQ(view.records, &list.records);
    EXPECT_EQ(view.indices, (Indices{0, 2}));

    list.SelectMovieCategories(view);
    EXPECT_EQ(view.indices, (Indices{0, 2}));

    ItemCategoryView_CL all;
    all.records = &list.records;
    all.indices = {4, 2, 0};
    ItemCategoryView_CL byName;
    all.SelectBySubCategory(L"x", byName);
    EXPECT_EQ(byName.indices, (Indices{4, 0}));
}

TEST(CategoryView, RemoveAtKeepsTheViewValid)
{
    ItemCategoryDataList_CL list;
    for (int i = 0; i < 6; ++i) list.records.push_back(Category(L"A", std::to_wstring(i)));
    ItemCategoryView_CL view;
    view.records = &list.records;
    view.indices = {3, 1, 5};
    view.RemoveAt(0);
    EXPECT_EQ(list.records.size(), 5u);
    EXPECT_EQ(view.indices, (Indices{1, 4}));
    EXPECT_EQ(view.at(0).sub_category, L"1");
    EXPECT_EQ(view.at(1).sub_category, L"5");

    view.RemoveAt(7);  // no such position
    view.RemoveAt(-1);
    EXPECT_EQ(list.records.size(), 5u);
    EXPECT_EQ(view.indices, (Indices{1, 4}));
}

class CategorySort : public testing::Test {
protected:
    void SetUp() override
    {
        data_.program_ini.SetPath(folder_ / L"Reelvault.ini");
        list_.push_back(Category(L"ep10", L"a", 5));
        list_.push_back(Category(L"ep2", L"b", 1));
        list_.push_back(Category(L"ep2", L"c", 9));
        list_.push_back(Category(L"ep1", L"d", 3));
        view_.records = &list_;
        view_.indices = {0, 1, 2, 3};
    }

    TempFolder folder_;
    SaveData_CL data_;
    std::vector<ItemCategoryData_CL> list_;
    ItemCategoryView_CL view_;
};

TEST_F(CategorySort, BySortIndexRenumbersDensely)
{
    view_.Sort(data_, 0);
    EXPECT_EQ(view_.indices, (Indices{1, 3, 0, 2}));
    for (size_t p = 0; p < view_.size(); ++p) EXPECT_EQ(view_.at(p).sub_category_sort_index, static_cast<int32_t>(p));
}

TEST_F(CategorySort, ByNameUsesTheProgramIniOrder)
{
    data_.program_ini.WriteInt(1, L"SORT_SETTING", L"dight_sort");
    view_.Sort(data_, 1);
    EXPECT_EQ(view_.indices, (Indices{3, 1, 2, 0}));  // ep1, ep2 (b then c by index), ep10
    EXPECT_EQ(list_[2].sub_category_sort_index, 9);   // no renumbering

    data_.program_ini.WriteInt(0, L"SORT_SETTING", L"dight_sort");
    view_.indices = {0, 1, 2, 3};
    view_.Sort(data_, 1);
    EXPECT_EQ(view_.indices, (Indices{3, 0, 1, 2}));  // ep1, ep10, ep2, ep2
}

TEST(CategoryView, SortWithoutRecordsDoesNothing)
{
    SaveData_CL data;
    ItemCategoryView_CL view;
    view.indices = {2, 1};
    view.Sort(data, 0);
    EXPECT_EQ(view.indices, (Indices{2, 1}));
}

ItemMovieData_CL Movie(const std::wstring& category, const std::wstring& subCategory)
{
    ItemMovieData_CL movie;
    movie.category = category;
    movie.sub_category = subCategory;
    movie.UpdateCategoryHash();
    return movie;
}

TEST(CategoryCounts, PlaylistsCountEntriesAndSkipMovieCounting)
{
    std::vector<ItemCategoryData_CL> records = {Category(L"プレイリスト", L"p"), Category(L"A", L"x")};
    records[0].playlist = Strings(7, L"C:\\m.mp4");
    records[1].item_count = 42;
    ItemCategoryView_CL categories;
    categories.records = &records;
    categories.indices = {0, 1};

    ItemMovieDataList_CL movies;
    movies.records = {Movie(L"A", L"x")};
    ItemMovieView_CL view;
    movies.SelectAll(view);
    view.CountCategoryItems(categories, 1);
    EXPECT_EQ(records[0].item_count, 7);
    EXPECT_EQ(records[1].item_count, 0);

    records[0].playlist.clear();
    records[0].url_link = L"https://example.com/";
    view.CountCategoryItems(categories, 1);
    EXPECT_EQ(records[0].item_count, 0);
    EXPECT_EQ(records[1].item_count, 0);
}

TEST(CategoryCounts, MoviesCountByCategoryAndSubCategory)
{
    std::vector<ItemCategoryData_CL> records = {Category(L"A", L"x"), Category(L"A", L"y"), Category(L"B", L"x")};
    ItemCategoryView_CL categories;
    categories.records = &records;
    categories.indices = {0, 1, 2};

    ItemMovieDataList_CL movies;
    movies.records = {Movie(L"A", L"x"), Movie(L"A", L"x"), Movie(L"B", L"x"), Movie(L"A", L"z"), Movie(L"A", L"y")};
    ItemMovieView_CL shown;
    shown.records = &movies.records;
    shown.indices = {0, 2};

    shown.CountCategoryItems(categories, 1);
    EXPECT_EQ(records[0].item_count, 2);
    EXPECT_EQ(records[1].item_count, 1);
    EXPECT_EQ(records[2].item_count, 1);

    shown.CountCategoryItems(categories, 0);
    EXPECT_EQ(records[0].item_count, 1);
    EXPECT_EQ(records[1].item_count, 0);
    EXPECT_EQ(records[2].item_count, 1);

    ItemMovieView_CL subCategory;
    movies.SelectAll(shown);
    shown.SelectBySubCategory(L"x", subCategory);
    EXPECT_EQ(subCategory.indices, (Indices{0, 1, 2}));
}

TEST(CategoryList, ReplacePlaylistItemRewritesOnlyChangedRecords)
{
    TempFolder folder;
    ItemCategoryDataList_CL list;
    list.records.push_back(Category(L"プレイリスト", L"p1"));
    list.records[0].ini_name = folder / L"category00000.ini";
    list.records[0].playlist = {L"C:\\old.mp4", L"C:\\other.mp4", L"C:\\old.mp4"};
    list.records.push_back(Category(L"プレイリスト", L"p2"));
    list.records[1].ini_name = folder / L"category00001.ini";
    list.records[1].playlist = {L"C:\\other.mp4"};

    list.ReplacePlaylistItem(L"C:\\old.mp4", L"C:\\new.mp4");
    EXPECT_EQ(list.records[0].playlist, (Strings{L"C:\\new.mp4", L"C:\\other.mp4", L"C:\\new.mp4"}));
    ParsedIni written = ParseUtf16Ini(list.records[0].ini_name);
    EXPECT_EQ(written.Value(L"PLAYLIST", L"item0002"), L"C:\\new.mp4");
    EXPECT_EQ(GetFileAttributesW(list.records[1].ini_name.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
