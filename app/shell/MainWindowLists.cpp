// The category and sort tabs and the lists they choose, as far as start-up needs them: the
// tab captions with their counts, and which of the browser and the movie grid shows.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>

#include "app/shell/MainWindow.h"
#include "core/album/SaveData.h"
#include "core/base/Log.h"
#include "ui/views/CategoryListWindow.h"
#include "ui/views/MovieListWindow.h"

namespace {

constexpr int kWebTab = 3;

}  // namespace

void MainWindow_CL::SelectCategoryTab(int category, int showBrowser)
{
    DispSettingData_CL& settings = *displaySettings_;
    settings.category_tab = category;
    WriteLog(AppLog, L"★カテゴリタブ選択(開始)");
    std::vector<ItemTopCategoryData_CL>& tops = g_saveData.category_list.top_categories;
    if (tops.empty() || category < 0 || static_cast<size_t>(category) >= tops.size()) return;
    const int sortTab = category == kWebTab ? 0 : settings.last_movie_sort_tab;
    for (ItemTopCategoryData_CL& top : tops) top.selected = 0;
    settings.selected_category = category;
    tops[static_cast<size_t>(category)].selected = 1;
    settings.selected_sub_category = -1;
    if (categoryList_) categoryList_->ShowTopCategory(tops[static_cast<size_t>(category)].name);
    RefreshMovieList();
    ShowBrowser(category == kWebTab || showBrowser);
    SelectSortTab(sortTab);
    WriteLog(AppLog, L"★カテゴリタブ選択(終了)");
}

void MainWindow_CL::RebuildCategoryTabs()
{
    HWND tab = GetCategoryTabWindow();
    if (!tab) return;
    SendMessageW(tab, TCM_DELETEALLITEMS, 0, 0);
    std::vector<ItemTopCategoryData_CL>& tops = g_saveData.category_list.top_categories;
    int selected = 0;
    for (size_t i = 0; i < tops.size(); ++i) {
        size_t count = 0;
        if (i == 0) {
            count = g_saveData.movie_list.records.size();
        } else if (i == 2 || i == 3) {
            ItemCategoryView_CL view;
            g_saveData.category_list.SelectByCategory(tops[i].name, view);
            count = view.size();
        } else {
            ItemMovieView_CL view;
            g_saveData.movie_list.SelectByCategory(tops[i].name, view);
            count = view.size();
        }
        wchar_t caption[512];
        swprintf(caption, sizeof(caption) / sizeof(caption[0]), L"%ls(%u)", tops[i].label.c_str(),
                 static_cast<unsigned>(count));
        categoryTab_->InsertItem(caption, i < 4 ? 1 : 0, -1, 0);
        if (tops[i].selected) selected = static_cast<int>(i);
    }
    SendMessageW(tab, TCM_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

void MainWindow_CL::SelectSortTab(int tab)
{
    DispSettingData_CL& settings = *displaySettings_;
    if (tab < 0 || tab > 8) return;
    settings.selected_sort_tab = tab;
    if (sortTab_ && sortTab_->hwnd) SendMessageW(sortTab_->hwnd, TCM_SETCURSEL, static_cast<WPARAM>(tab), 0);
    ShowBrowser(tab == 0);
}

void MainWindow_CL::ShowBrowser(bool browser)
{
    if (browser_.GetHostWindow()) ShowWindow(browser_.GetHostWindow(), browser ? SW_SHOW : SW_HIDE);
    if (movieGrid_ && movieGrid_->hwnd) ShowWindow(movieGrid_->hwnd, browser ? SW_HIDE : SW_SHOW);
}

void MainWindow_CL::RefreshMovieList()
{
    WriteLog(AppLog, L"★動画リスト更新(開始)");
    DispSettingData_CL& settings = *displaySettings_;
    g_saveData.movie_list.SelectAll(settings.movie_view);
    settings.view_index = -1;
    if (movieGrid_) {
        movieGrid_->gridListener.pendingRecords = settings.movie_view.records;
        movieGrid_->gridListener.pendingIndices = settings.movie_view.indices;
        movieGrid_->RequestRefresh();
        if (movieGrid_->hwnd) InvalidateRect(movieGrid_->hwnd, nullptr, FALSE);
    }
    WriteLog(AppLog, L"★動画リスト更新(終了)");
}
