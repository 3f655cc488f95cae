// WM_NOTIFY of the main window's two tab controls and two thumbnail views.
#include <windows.h>
#include <commctrl.h>

#include "app/shell/MainWindow.h"
#include "core/album/SaveData.h"
#include "ui/views/CategoryListWindow.h"
#include "ui/views/MovieIncSearch.h"
#include "ui/views/MovieListWindow.h"

namespace {

constexpr int kWebTab = 3;
constexpr int kTagSearchMode = 1;
// The movie item command "動画を再生する".
constexpr WPARAM kPlayCommand = 0x8000;

// Whether the pointer lies on one of the tab control's tabs.
bool CursorOnTab(HWND tab)
{
    POINT cursor = {};
    if (!GetCursorPos(&cursor) || !ScreenToClient(tab, &cursor)) return false;
    const int count = static_cast<int>(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        RECT item = {};
        if (SendMessageW(tab, TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item)) &&
            PtInRect(&item, cursor))
            return true;
    }
    return false;
}

}  // namespace

LRESULT MainWindow_CL::OnNotify(const NMHDR* header)
{
    if (!header) return 0;
    const HWND from = header->hwndFrom;
    if (from && from == GetCategoryTabWindow()) {
        OnCategoryTabNotify(header->code);
    } else if (from && from == GetSortTabWindow()) {
        OnSortTabNotify(header->code);
    } else if (categoryList_ && from && from == categoryList_->hwnd) {
        const int item = reinterpret_cast<const PictureListNotify*>(header)->iItem;
        if (header->code == NM_CLICK || header->code == NM_DBLCLK) SelectSubCategory(item);
    } else if (movieGrid_ && from && from == movieGrid_->hwnd) {
        OnMovieGridNotify(header->code, reinterpret_cast<const PictureListNotify*>(header)->iItem);
    }
    return 0;
}

void MainWindow_CL::OnCategoryTabNotify(UINT code)
{
    DispSettingData_CL& settings = *displaySettings_;
    HWND tab = GetCategoryTabWindow();
    switch (code) {
    case TCN_SELCHANGE: {
        // The pending category click: the NM_CLICK that follows knows the click changed tabs.
        settings.third_selection = static_cast<int32_t>(SendMessageW(tab, TCM_GETCURSEL, 0, 0));
        settings.view_index = -1;
        SelectCategoryTab(settings.third_selection, FALSE);
        return;
    }
    case NM_CLICK:
        // A click on the tab already selected rebuilds its lists.
        if (settings.third_selection == -1 && CursorOnTab(tab)) {
            settings.view_index = -1;
            SelectCategoryTab(static_cast<int>(SendMessageW(tab, TCM_GETCURSEL, 0, 0)), FALSE);
        }
        settings.third_selection = -1;
        CheckSortTabRows();
        return;
    default:
        return;
    }
}

void MainWindow_CL::OnSortTabNotify(UINT code)
{
    DispSettingData_CL& settings = *displaySettings_;
    HWND tab = GetSortTabWindow();
    switch (code) {
    case TCN_SELCHANGE: {
        const int chosen = static_cast<int>(SendMessageW(tab, TCM_GETCURSEL, 0, 0));
        if (chosen < 0 || chosen > 8) return;
        // The pending sort click, read by the NM_CLICK that follows.
        settings.sort_tab_selection = chosen;
        if (chosen != 0) {
            settings.last_movie_sort_tab = chosen;
            if (settings.selected_category == kWebTab) {
                SelectCategoryTab(0, FALSE);
                RebuildCategoryTabs();
            }
        } else if (settings.selected_category != kWebTab) {
            SelectCategoryTab(kWebTab, FALSE);
            RebuildCategoryTabs();
        }
        // A tab chosen anew starts in its own direction; the mark shows it.
        settings.sort_tabs[chosen].descending = settings.sort_tabs[chosen].initialDescending;
        SelectSortTab(chosen);
        RefreshMovieList();
        CheckSortTabRows();
        return;
    }
    case NM_CLICK:
        // A click on the selected tab turns its order round.
        if (settings.sort_tab_selection == -1) {
            const int current = settings.selected_sort_tab;
            if (current >= 0 && current <= 8) {
                SortTabEntry& entry = settings.sort_tabs[current];
                entry.descending = entry.descending ? 0 : 1;
                SelectSortTab(current);
                RefreshMovieList();
            }
        }
        settings.sort_tab_selection = -1;
        return;
    default:
        return;
    }
}

void MainWindow_CL::OnMovieGridNotify(UINT code, int item)
{
    DispSettingData_CL& settings = *displaySettings_;
    const bool holdsItems = movieGrid_->GetItemCount() > 0;
    switch (code) {
    case NM_CLICK:
        // The current movie, which the item commands work on.
        if (holdsItems) settings.view_index = item;
        return;
    case NM_DBLCLK:
    case NM_RETURN: {
        if (!holdsItems) return;
        const int32_t tag = movieGrid_->HoveredTagIndex();
        if (tag == -1) {
            SendMessageW(hwnd, WM_COMMAND, kPlayCommand, 0);
            return;
        }
        const int32_t current = settings.view_index;
        if (current < 0 || static_cast<size_t>(current) >= settings.movie_view.size()) return;
        const ItemMovieData_CL& movie = settings.movie_view.at(static_cast<size_t>(current));
        if (tag < 0 || static_cast<size_t>(tag) >= movie.tags.size() || !searchBar_) return;
        // A double click on a tag chip searches that tag.
        if (searchBar_->ModeBox()) SendMessageW(searchBar_->ModeBox()->hwnd, CB_SETCURSEL, kTagSearchMode, 0);
        searchBar_->SetSearchText(movie.tags[static_cast<size_t>(tag)]);
        searchBar_->RunSearch(0);
        return;
    }
    default:
        return;
    }
}

void MainWindow_CL::CheckSortTabRows()
{
    HWND tab = GetSortTabWindow();
    if (!tab) return;
    const int rows = static_cast<int>(SendMessageW(tab, TCM_GETROWCOUNT, 0, 0));
    if (rows == sortTabRows_) return;
    sortTabRows_ = rows;
    OnSize();
}
