// The album on the main window: which movies a category, sub-category, playlist, search and
// sort tab choose, the tabs' captions and marks, the category tool bar and the status texts;
// the thumbnail layout of the font levels; the bookkeeping of a play.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "app/shell/MainWindow.h"
#include "browser/AddressBarReelvault.h"
#include "core/album/SaveData.h"
#include "core/base/Log.h"
#include "core/base/PathName.h"
#include "core/media/GdiplusSession.h"
#include "ui/views/CategoryListWindow.h"
#include "ui/views/MovieListWindow.h"
#include "tests/album/AlbumTestSupport.h"
#include "tests/app/AppTestSupport.h"
#include "tests/common/Screenshot.h"
#include "tests/common/TempFolder.h"
#include "tests/common/TestWindow.h"

namespace {

using apptest::PumpUntil;
using apptest::StatusText;

struct FixtureMovie {
    const wchar_t* name;
    const wchar_t* category;
    const wchar_t* subCategory;
    uint32_t playCount;
    std::vector<std::wstring> tags;
};

// Album order. "city" is named twice by the playlist, "live" once.
const FixtureMovie kMovies[] = {
    {L"夕暮れの海", L"映画", L"風景", 3, {L"夕日", L"海"}},
    {L"city", L"映画", L"街角", 1, {}},
    {L"mountain", L"映画", L"風景", 5, {L"山"}},
    {L"live", L"音楽", L"ライブ", 2, {}},
    {L"misc", L"", L"", 0, {}},
};

std::wstring TabText(HWND tab, int index)
{
    wchar_t text[256] = {};
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 256;
    SendMessageW(tab, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return text;
}

class AlbumListsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedLog_ = apptest::PrepareWindowTest(sandbox_);
        window_ = std::make_unique<MainWindow_CL>(&mutex_);
        ASSERT_TRUE(window_->Create());
        ASSERT_TRUE(PumpUntil([&] { return window_->IsReady() != 0; }, 30000)) << "the album never loaded";
        MoveWindow(window_->hwnd, 0, 0, 1100, 700, TRUE);
        FillAlbum();
    }
    void TearDown() override
    {
        window_.reset();
        g_saveData.movie_list.records.clear();
        g_saveData.category_list.ResetTopCategories();
        DispSettingData_CL& settings = g_saveData.disp_setting;
        settings.search_text.clear();
        settings.search_mode = 0;
        g_movieSearchMode = 0;
        settings.ui_font_size_level = 1;
        AppLog.path = savedLog_;
    }

    void FillAlbum()
    {
        ItemCategoryDataList_CL& categories = g_saveData.category_list;
        categories.top_categories.push_back({0, L"映画", L"映画", ItemTopCategoryData_CL::kKindMovies});
        categories.top_categories.push_back({0, L"音楽", L"音楽", ItemTopCategoryData_CL::kKindMovies});
        uint32_t key = 500;
        for (const FixtureMovie& fixture : kMovies) {
            ItemMovieData_CL movie;
            movie.content_name = fixture.name;
            movie.ini_name = movies_ / (std::wstring(L"movie-") + std::to_wstring(key) + L".ini");
            movie.link_name = movies_ / (std::wstring(fixture.name) + L".mp4");
            movie.category = fixture.category;
            movie.sub_category = fixture.subCategory;
            movie.play_count = fixture.playCount;
            movie.tags = fixture.tags;
            movie.SortTags();
            movie.decode_key = key++;
            movie.favorites_frames.resize(ItemMovieData_CL::kFavoritesFrameCount);
            movie.UpdateCategoryHash();
            g_saveData.movie_list.records.push_back(movie);
        }
        const std::wstring cityIni = g_saveData.movie_list.records[1].ini_name;
        const std::wstring liveIni = g_saveData.movie_list.records[3].ini_name;
        // Two items name "city": the whole path and its file name.
        AddCategory(L"映画", L"街角", 1);
        AddCategory(L"映画", L"風景", 0);
        AddCategory(L"音楽", L"ライブ", 0);
        AddCategory(L"プレイリスト", L"おすすめ", 0)->playlist = {cityIni, PathName_CL::GetFileName(cityIni), liveIni};
        AddCategory(L"お気に入りサイト", L"サンプルサイト", 0)->url_link = L"https://example.com/";
        window_->RebuildCategoryTabs();
    }

    ItemCategoryData_CL* AddCategory(const std::wstring& category, const std::wstring& sub, int sortIndex)
    {
        ItemCategoryData_CL record;
        record.ini_name = movies_ / (L"category" + std::to_wstring(g_saveData.category_list.records.size()) + L".ini");
        record.category = category;
        record.sub_category = sub;
        record.sub_category_sort_index = sortIndex;
        record.UpdateCategoryHash();
        g_saveData.category_list.records.push_back(record);
        return &g_saveData.category_list.records.back();
    }

    // The names of the movies the grid is given, in grid order.
    std::vector<std::wstring> ShownNames() const
    {
        std::vector<std::wstring> names;
        const ItemMovieView_CL& view = g_saveData.disp_setting.movie_view;
        for (size_t i = 0; i < view.size(); ++i) names.push_back(view.at(i).content_name);
        return names;
    }

    // The position of the named sub-category among the tiles, -1 when it is not shown.
    static int TilePosition(const std::wstring& sub)
    {
        const ItemCategoryView_CL& view = g_saveData.disp_setting.sub_category_view;
        for (size_t i = 0; i < view.size(); ++i) {
            if (view.at(i).sub_category == sub) return static_cast<int>(i);
        }
        return -1;
    }

    int ButtonState(int command) const
    {
        return static_cast<int>(
            SendMessageW(window_->GetCategoryToolBarWindow(), TB_GETSTATE, static_cast<WPARAM>(command), 0));
    }

    GdiplusSession gdiplus_;
    albumtest::DocumentsSandbox sandbox_;
    TempFolder movies_;
    std::wstring savedLog_;
    HANDLE mutex_ = nullptr;
    std::unique_ptr<MainWindow_CL> window_;
};

TEST_F(AlbumListsTest, CategorySubCategorySearchAndSortChooseTheMovies)
{
    struct Case {
        int category;
        const wchar_t* sub;  // empty: no sub-selection
        const wchar_t* search;
        int searchMode;  // 0 names, 1 tags
        int sortTab;
        int descending;
        std::vector<std::wstring> want;
        int tileCount;  // the selected tile's count, -1 without one
        const wchar_t* place;  // status part 0
    };
    const Case cases[] = {
        {0, L"", L"", 0, 1, 0, {L"city", L"live", L"misc", L"mountain", L"夕暮れの海"}, -1, L""},
        {0, L"", L"", 0, 1, 1, {L"夕暮れの海", L"mountain", L"misc", L"live", L"city"}, -1, L""},
        {0, L"風景", L"", 0, 5, 1, {L"mountain", L"夕暮れの海"}, 2, L"映画/風景"},
        {0, L"", L"海", 0, 1, 0, {L"夕暮れの海"}, -1, L""},
        {0, L"", L"山", 1, 1, 0, {L"mountain"}, -1, L""},
        {1, L"", L"", 0, 1, 0, {L"misc"}, -1, L""},
        {2, L"", L"", 0, 1, 0, {}, -1, L""},
        {2, L"おすすめ", L"", 0, 1, 0, {L"city", L"city", L"live"}, 3, L"プレイリスト/おすすめ"},
        {2, L"おすすめ", L"", 0, 5, 0, {L"city", L"city", L"live"}, 3, L"プレイリスト/おすすめ"},
        {4, L"", L"", 0, 5, 1, {L"mountain", L"夕暮れの海", L"city"}, -1, L""},
        {4, L"", L"", 0, 5, 0, {L"city", L"夕暮れの海", L"mountain"}, -1, L""},
        {4, L"街角", L"", 0, 1, 0, {L"city"}, 1, L"映画/街角"},
        {4, L"街角", L"海", 0, 1, 0, {}, 1, L"映画/街角"},
        {5, L"ライブ", L"", 0, 1, 0, {L"live"}, 1, L"音楽/ライブ"},
    };
    DispSettingData_CL& settings = g_saveData.disp_setting;
    HWND sortTab = window_->GetSortTabWindow();
    HWND statusBar = window_->GetStatusBar().hwnd;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "category " << c.category << " sub " << testing::PrintToString(std::wstring(c.sub))
                                        << " search " << testing::PrintToString(std::wstring(c.search)) << " tab "
                                        << c.sortTab << " descending " << c.descending);
        settings.search_text = c.search;
        settings.search_mode = c.searchMode;
        g_movieSearchMode = c.searchMode;
        settings.last_movie_sort_tab = c.sortTab;
        window_->SelectCategoryTab(c.category, FALSE);
        settings.sort_tabs[c.sortTab].descending = c.descending;
        window_->SelectSortTab(c.sortTab);
        const int tile = *c.sub ? TilePosition(c.sub) : -1;
        if (*c.sub) {
            ASSERT_GE(tile, 0) << "the tile is not shown";
        }
        window_->SelectSubCategory(tile);

        EXPECT_EQ(ShownNames(), c.want);
        if (tile >= 0) {
            EXPECT_EQ(settings.sub_category_view.at(static_cast<size_t>(tile)).item_count, c.tileCount);
        }
        EXPECT_EQ(TabText(sortTab, c.sortTab),
                  settings.sort_tabs[c.sortTab].caption + (c.descending ? L" ▼" : L" ▲"));
        EXPECT_EQ(TabCtrl_GetCurSel(sortTab), c.sortTab);
        EXPECT_EQ(StatusText(statusBar, 0), c.place);
        EXPECT_EQ(StatusText(statusBar, 2), L"アイテム数( " + std::to_wstring(c.want.size()) + L" )");
        EXPECT_EQ(settings.view_index, -1) << "a new list has no current movie";
    }
    // Only the selected tab carries a mark.
    for (int tab = 0; tab < 9; ++tab) {
        if (tab != settings.selected_sort_tab) {
            EXPECT_EQ(TabText(sortTab, tab), settings.sort_tabs[tab].caption);
        }
    }
}

// A sub-category chosen while the browser shows is searched on the web, by a video or image
// engine; while the grid shows, nothing is searched.
TEST_F(AlbumListsTest, ASubCategoryChosenOnTheBrowserTabIsSearchedOnTheWeb)
{
    AddressBarReelvault_CL* addressBar = window_->GetBrowser().GetAddressBar();
    ASSERT_TRUE(addressBar && addressBar->searchBox.hwnd) << "the address bar";
    const struct {
        int sortTab;
        const wchar_t* sub;
        bool searched;
    } cases[] = {{1, L"街角", false}, {0, L"風景", true}, {0, L"街角", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "sort tab " << c.sortTab << " " << testing::PrintToString(std::wstring(c.sub)));
        const std::vector<std::wstring> before = addressBar->GetSearchHistory();
        window_->SelectCategoryTab(4, FALSE);
        window_->SelectSortTab(c.sortTab);
        window_->SelectSubCategory(TilePosition(c.sub));
        const std::vector<std::wstring>& after = addressBar->GetSearchHistory();
        if (!c.searched) {
            EXPECT_EQ(after, before);
            continue;
        }
        ASSERT_FALSE(after.empty());
        EXPECT_EQ(after.front(), c.sub);
        wchar_t text[64] = {};
        GetWindowTextW(addressBar->searchBox.GetEditControl(), text, 64);
        EXPECT_STREQ(text, c.sub);
    }
}

TEST_F(AlbumListsTest, CategoryTabsCountTheirItems)
{
    const wchar_t* const want[] = {L"全て(5)",  L"未設定(1)", L"プレイリスト(1)", L"お気に入りサイト(1)",
                                   L"映画(3)", L"音楽(1)"};
    HWND tab = window_->GetCategoryTabWindow();
    ASSERT_EQ(TabCtrl_GetItemCount(tab), 6);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(TabText(tab, i), want[i]) << "tab " << i;

    // "全て" shows every movie sub-category, the category the sub-category first.
    window_->SelectCategoryTab(0, FALSE);
    window_->RebuildCategoryTabs();
    EXPECT_EQ(TabCtrl_GetCurSel(tab), 0);
    std::vector<std::wstring> tiles;
    const ItemCategoryView_CL& view = g_saveData.disp_setting.sub_category_view;
    for (size_t i = 0; i < view.size(); ++i) tiles.push_back(view.at(i).category + L"/" + view.at(i).sub_category);
    EXPECT_EQ(tiles, (std::vector<std::wstring>{L"映画/風景", L"映画/街角", L"音楽/ライブ"}));
    EXPECT_EQ(view.at(0).item_count, 2);

    window_->SelectSortTab(1);
    PumpUntil([] { return false; }, 400);
    SaveWindowScreenshot(window_->hwnd, L"app", L"all-movies");
    window_->SelectCategoryTab(4, FALSE);
    window_->RebuildCategoryTabs();
    EXPECT_EQ(TabCtrl_GetCurSel(tab), 4);
    PumpUntil([] { return false; }, 400);
    SaveWindowScreenshot(window_->hwnd, L"app", L"user-category");
}

TEST_F(AlbumListsTest, CategoryToolBarFollowsTheKindAndTheSelection)
{
    struct Case {
        int category;
        const wchar_t* sub;
        const wchar_t* tips[3];
        bool create, edit, up, down;
    };
    const Case cases[] = {
        {0, L"", {L"サブカテゴリを生成する", L"サブカテゴリを編集する", L"サブカテゴリを削除する"}, false, false, false, false},
        {0, L"風景", {L"サブカテゴリを生成する", L"サブカテゴリを編集する", L"サブカテゴリを削除する"}, false, true, false, false},
        {1, L"", {L"サブカテゴリを生成する", L"サブカテゴリを編集する", L"サブカテゴリを削除する"}, false, false, false, false},
        {2, L"", {L"プレイリストを作成する", L"プレイリストを編集する", L"プレイリストを削除する"}, true, false, false, false},
        {2, L"おすすめ", {L"プレイリストを作成する", L"プレイリストを編集する", L"プレイリストを削除する"}, true, true, false, false},
        {3, L"サンプルサイト",
         {L"現在のサイトをお気に入りサイトに追加する", L"お気に入りサイトを編集する", L"お気に入りサイトを削除する"},
         true, true, false, false},
        {4, L"風景", {L"サブカテゴリを生成する", L"サブカテゴリを編集する", L"サブカテゴリを削除する"}, true, true, false, true},
        {4, L"街角", {L"サブカテゴリを生成する", L"サブカテゴリを編集する", L"サブカテゴリを削除する"}, true, true, true, false},
    };
    HWND toolBar = window_->GetCategoryToolBarWindow();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "category " << c.category << " sub " << testing::PrintToString(std::wstring(c.sub)));
        window_->SelectCategoryTab(c.category, FALSE);
        window_->SelectSubCategory(*c.sub ? TilePosition(c.sub) : -1);
        TBBUTTON second = {};
        SendMessageW(toolBar, TB_GETBUTTON, 1, reinterpret_cast<LPARAM>(&second));
        EXPECT_EQ(second.idCommand, 0x8250);
        const ToolBar_CL* bar = window_->GetCategoryToolBar();
        for (int i = 0; i < 3; ++i) EXPECT_STREQ(bar->records[static_cast<size_t>(i + 1)].toolTip, c.tips[i]);
        auto enabled = [&](int command) { return (ButtonState(command) & TBSTATE_ENABLED) != 0; };
        EXPECT_EQ(enabled(0x8250), c.create);
        EXPECT_EQ(enabled(0x8210), c.edit);
        EXPECT_EQ(enabled(0x8220), c.edit);
        EXPECT_EQ(enabled(0x9202), c.up);
        EXPECT_EQ(enabled(0x9203), c.down);
        EXPECT_TRUE(enabled(0x8100)) << "creating a category is always there";
    }
}

TEST_F(AlbumListsTest, FontLevelsOutsideTheRangeTakeTheNearestLabelMargin)
{
    struct Case {
        int level;
        int margin;
    };
    const Case cases[] = {{0, 64}, {1, 64}, {4, 72}, {10, 100}, {11, 100}};
    for (const Case& c : cases) {
        g_saveData.disp_setting.ui_font_size_level = c.level;
        window_->ApplyThumbnailLayout();
        EXPECT_EQ(window_->GetMovieGrid()->cellMargins.bottom, c.margin) << "level " << c.level;
    }
}

TEST_F(AlbumListsTest, DisplayKeysCycleFromWhatTheAlbumIniHolds)
{
    struct Case {
        WPARAM key;
        const wchar_t* name;
        const wchar_t* stored;  // null: no key in the ini
        int sortTab;
        int want;  // the value written and kept; -100: nothing written
    };
    const Case cases[] = {
        {VK_F5, L"thumbnail_size_index", L"2", 1, 0},  {VK_F5, L"thumbnail_size_index", L"0", 1, 1},
        {VK_F5, L"thumbnail_size_index", L"1", 1, 2},  {VK_F5, L"thumbnail_size_index", nullptr, 1, 0},
        {VK_F5, L"thumbnail_size_index", L"-1", 1, 0}, {VK_F5, L"thumbnail_size_index", L"7", 1, 0},
        {VK_F6, L"thumbnail_count", L"10", 1, 1},      {VK_F6, L"thumbnail_count", L"5", 1, 6},
        {VK_F6, L"thumbnail_count", nullptr, 1, 6},    {VK_F6, L"thumbnail_count", L"-1", 1, 1},
        {VK_F6, L"thumbnail_count", L"0", 1, 1},       {VK_F6, L"thumbnail_count", L"11", 1, 1},
        {VK_F5, L"thumbnail_size_index", L"1", 0, -100}, {VK_F6, L"thumbnail_count", L"4", 0, -100},
    };
    const std::wstring ini = g_saveData.album_ini.GetPath();
    ASSERT_FALSE(ini.empty());
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << testing::PrintToString(std::wstring(c.name)) << " stored "
                                        << testing::PrintToString(std::wstring(c.stored ? c.stored : L"(none)"))
                                        << " tab " << c.sortTab);
        WritePrivateProfileStringW(L"DISP_SETTING", c.name, c.stored, ini.c_str());
        window_->SelectSortTab(c.sortTab);
        window_->OnDisplayKey(c.key);
        const int written = static_cast<int>(GetPrivateProfileIntW(L"DISP_SETTING", c.name, -100, ini.c_str()));
        if (c.want == -100) {
            EXPECT_EQ(written, c.stored ? _wtoi(c.stored) : -100) << "nothing changes on the browser tab";
            continue;
        }
        EXPECT_EQ(written, c.want);
        const DispSettingData_CL& settings = g_saveData.disp_setting;
        EXPECT_EQ(c.key == VK_F5 ? settings.thumbnail_size_index : settings.thumbnail_count, c.want);
        if (c.key == VK_F6) {
            EXPECT_EQ(window_->GetMovieGrid()->frameCount, c.want) << "the grid is laid out again";
        }
    }
}

TEST_F(AlbumListsTest, APlayAddsToTheSiblingPlayersCount)
{
    ItemMovieData_CL& movie = g_saveData.movie_list.records[0];
    movie.play_count = 3;
    movie.play_date_time = 1000;
    // The sibling player's file of this movie: it has seen 7 plays.
    wchar_t number[8];
    _snwprintf(number, 8, L"%03u", LinkNameHash(movie.link_name) % 100);
    const std::wstring playerFolder = sandbox_.documents() + L"\\Playdeck\\contents\\" + number;
    for (const std::wstring& folder : {sandbox_.documents() + L"\\Playdeck", sandbox_.documents() + L"\\Playdeck\\contents", playerFolder})
        CreateDirectoryW(folder.c_str(), nullptr);
    albumtest::WriteUtf16Text(playerFolder + L"\\movie.ini",
                              L"[MOVIE_INFO]\nlink_name=" + movie.link_name + L"\nplay_count=7\nplay_date_time=00000000:000007d0\n");

    const int64_t before = static_cast<int64_t>(time(nullptr));
    window_->RecordPlay(movie);
    EXPECT_EQ(movie.play_count, 8u);
    EXPECT_GE(movie.play_date_time, before);
    EXPECT_LE(movie.play_date_time, static_cast<int64_t>(time(nullptr)));

    ItemMovieData_CL stored;
    stored.ReadContentsIni(movie.ini_name);
    EXPECT_EQ(stored.play_count, 8u);
    EXPECT_EQ(stored.play_date_time, movie.play_date_time);
    RemoveTree(sandbox_.documents() + L"\\Playdeck");
}

}  // namespace
