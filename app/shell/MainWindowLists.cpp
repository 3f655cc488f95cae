// The category and sort tabs and the lists they choose: the tab captions with their counts,
// the sub-categories shown as tiles, the movies shown in the grid, which of the browser and
// the grid shows, the category tool bar's states and the status texts.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "app/shell/MainWindow.h"
#include "core/album/SaveData.h"
#include "core/base/Log.h"
#include "ui/views/CategoryListWindow.h"
#include "ui/views/MovieListWindow.h"

namespace {

constexpr int kAllMoviesTab = 0;
constexpr int kPlaylistTab = 2;
constexpr int kWebTab = 3;
constexpr int kSortTabCount = 9;

const wchar_t kSortMarkAscending[] = L" ▲";
const wchar_t kSortMarkDescending[] = L" ▼";

// The category tool bar: record 1 creates (its command becomes kCreateCommand), records 2 and
// 3 edit and delete, 4 and 5 move the entry up and down.
constexpr int kCreateCommand = 0x8250;
constexpr int kEditCommand = 0x8210;
constexpr int kDeleteCommand = 0x8220;
constexpr int kMoveUpCommand = 0x9202;
constexpr int kMoveDownCommand = 0x9203;

struct CategoryToolTips {
    const wchar_t* create;
    const wchar_t* edit;
    const wchar_t* remove;
};
const CategoryToolTips kPlaylistTips = {L"プレイリストを作成する", L"プレイリストを編集する", L"プレイリストを削除する"};
const CategoryToolTips kSiteTips = {L"現在のサイトをお気に入りサイトに追加する", L"お気に入りサイトを編集する",
                                    L"お気に入りサイトを削除する"};
const CategoryToolTips kSubCategoryTips = {L"サブカテゴリを生成する", L"サブカテゴリを編集する",
                                           L"サブカテゴリを削除する"};

// "label(count)": a tab's caption.
std::wstring CountedCaption(const std::wstring& label, int count)
{
    return label + L"(" + std::to_wstring(count) + L")";
}

bool ValidPosition(int32_t position, size_t size) { return position >= 0 && static_cast<size_t>(position) < size; }

// Back to the first row and column: a new list starts at its top.
void ResetScroll(PictureListBase_CL& view)
{
    view.horizontalBar.info.nPos = 0;
    view.verticalBar.info.nPos = 0;
    if (!view.hwnd) return;
    SetScrollPos(view.hwnd, SB_HORZ, 0, TRUE);
    SetScrollPos(view.hwnd, SB_VERT, 0, TRUE);
}

}  // namespace

void MainWindow_CL::SelectCategoryTab(int category, int showBrowser)
{
    DispSettingData_CL& settings = *displaySettings_;
    settings.category_tab = category;
    WriteLog(AppLog, L"★カテゴリタブ選択(開始)");
    std::vector<ItemTopCategoryData_CL>& tops = g_saveData.category_list.top_categories;
    if (tops.empty() || !ValidPosition(category, tops.size())) return;
    const int sortTab = category == kWebTab ? 0 : settings.last_movie_sort_tab;
    for (ItemTopCategoryData_CL& top : tops) top.selected = 0;
    settings.selected_category = category;
    tops[static_cast<size_t>(category)].selected = 1;
    settings.selected_sub_category = -1;

    if (categoryList_) {
        if (category == kAllMoviesTab) {
            // Every movie sub-category of every top category, grouped by top category.
            g_saveData.category_list.SelectMovieCategories(settings.sub_category_view);
            settings.sub_category_view.Sort(g_saveData, 1);
            categoryList_->categoryListener.records = &g_saveData.category_list.records;
            categoryList_->categoryListener.indexList = settings.sub_category_view.indices;
            ResetScroll(*categoryList_);
            categoryList_->RequestRefresh();
            categoryList_->Repaint(FALSE);
        } else {
            categoryList_->ShowTopCategory(tops[static_cast<size_t>(category)].name);
            ResetScroll(*categoryList_);
        }
    }
    RefreshMovieList();
    ShowBrowser(category == kWebTab || showBrowser);
    SelectSortTab(sortTab);
    UpdateCategoryToolBar();
    WriteLog(AppLog, L"★カテゴリタブ選択(終了)");
}

int MainWindow_CL::CountTopCategoryItems(size_t entry)
{
    std::vector<ItemTopCategoryData_CL>& tops = g_saveData.category_list.top_categories;
    if (entry >= tops.size()) return 0;
    if (entry == kAllMoviesTab) {
        ItemMovieView_CL view;
        g_saveData.movie_list.SelectAll(view);
        return static_cast<int>(view.size());
    }
    if (entry == kPlaylistTab || entry == kWebTab) {
        ItemCategoryView_CL view;
        g_saveData.category_list.SelectByCategory(tops[entry].name, view);
        return static_cast<int>(view.size());
    }
    // SelectByCategory answers the number of records it scanned: the count is the view's.
    ItemMovieView_CL view;
    g_saveData.movie_list.SelectByCategory(tops[entry].name, view);
    return static_cast<int>(view.size());
}

void MainWindow_CL::RebuildCategoryTabs()
{
    HWND tab = GetCategoryTabWindow();
    if (!tab) return;
    SendMessageW(tab, TCM_DELETEALLITEMS, 0, 0);
    std::vector<ItemTopCategoryData_CL>& tops = g_saveData.category_list.top_categories;
    int selected = 0;
    for (size_t i = 0; i < tops.size(); ++i) {
        const std::wstring caption = CountedCaption(tops[i].label, CountTopCategoryItems(i));
        categoryTab_->InsertItem(caption, i < 4 ? 1 : 0, -1, 0);
        if (tops[i].selected) selected = static_cast<int>(i);
    }
    SendMessageW(tab, TCM_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

std::wstring MainWindow_CL::SortTabCaption(int tab) const
{
    if (tab < 0 || tab >= kSortTabCount) return std::wstring();
    const SortTabEntry& entry = displaySettings_->sort_tabs[tab];
    if (tab == 0) return entry.caption;
    return entry.caption + (entry.descending ? kSortMarkDescending : kSortMarkAscending);
}

void MainWindow_CL::SelectSortTab(int tab)
{
    DispSettingData_CL& settings = *displaySettings_;
    if (tab < 0 || tab >= kSortTabCount) return;
    const int previous = settings.selected_sort_tab;
    if (sortTab_ && sortTab_->hwnd && previous >= 0 && previous < kSortTabCount)
        sortTab_->SetItem(settings.sort_tabs[previous].caption, previous, 0);
    settings.selected_sort_tab = tab;
    if (sortTab_ && sortTab_->hwnd) {
        sortTab_->SetItem(SortTabCaption(tab), tab, 0);
        SendMessageW(sortTab_->hwnd, TCM_SETCURSEL, static_cast<WPARAM>(tab), 0);
    }
    ShowBrowser(tab == 0);
}

void MainWindow_CL::ShowBrowser(bool browser)
{
    if (browser_.GetHostWindow()) ShowWindow(browser_.GetHostWindow(), browser ? SW_SHOW : SW_HIDE);
    if (movieGrid_ && movieGrid_->hwnd) ShowWindow(movieGrid_->hwnd, browser ? SW_HIDE : SW_SHOW);
}

void MainWindow_CL::BuildMovieList(ItemMovieView_CL& out, ItemMovieView_CL& counted)
{
    DispSettingData_CL& settings = *displaySettings_;
    ItemMovieDataList_CL& movies = g_saveData.movie_list;
    std::vector<ItemTopCategoryData_CL>& tops = g_saveData.category_list.top_categories;
    ItemCategoryView_CL& categories = settings.sub_category_view;
    const int category = settings.selected_category;
    const int32_t sub = settings.selected_sub_category;
    const ItemCategoryData_CL* record = ValidPosition(sub, categories.size()) ? &categories.at(sub) : nullptr;

    out.records = &movies.records;
    out.indices.clear();
    counted.records = &movies.records;
    counted.indices.clear();
    if (category == kPlaylistTab) {
        // Album order; a movie that two items name is listed twice.
        if (!record) return;
        for (size_t i = 0; i < movies.records.size(); ++i) {
            for (const std::wstring& item : record->playlist) {
                if (movies.records[i].ini_name.find(item) != std::wstring::npos)
                    out.indices.push_back(static_cast<int32_t>(i));
            }
        }
        return;
    }
    if (category == kAllMoviesTab) {
        movies.SelectAll(counted);
        if (!record) {
            out = counted;
            return;
        }
        ItemMovieView_CL inCategory;
        movies.SelectByCategory(record->category, inCategory);
        inCategory.SelectBySubCategory(record->sub_category, out);
        return;
    }
    if (!ValidPosition(category, tops.size())) return;
    movies.SelectByCategory(tops[static_cast<size_t>(category)].name, counted);
    if (record)
        counted.SelectBySubCategory(record->sub_category, out);
    else
        out = counted;
}

void MainWindow_CL::RefreshMovieList()
{
    WriteLog(AppLog, L"★動画リスト更新(開始)");
    DispSettingData_CL& settings = *displaySettings_;
    ItemMovieView_CL list;
    // The tiles count every movie on "全て", else the movies of the whole category, so
    // that a tile keeps its count while another is selected.
    ItemMovieView_CL counted;
    BuildMovieList(list, counted);
    counted.CountCategoryItems(settings.sub_category_view, settings.selected_category == kAllMoviesTab ? 1 : 0);

    if (list.size() > 0) {
        ItemMovieView_CL found;
        list.Filter(settings.search_text, found, g_movieSearchRegex, g_saveData.program_ini);
        list = std::move(found);
    }
    list.Sort(g_saveData);
    settings.movie_view = std::move(list);
    // The grid shows a new list: no movie of the old one is current.
    settings.view_index = -1;
    if (movieGrid_) {
        movieGrid_->gridListener.pendingRecords = settings.movie_view.records;
        movieGrid_->gridListener.pendingIndices = settings.movie_view.indices;
        ResetScroll(*movieGrid_);
        movieGrid_->RequestRefresh();
        if (movieGrid_->hwnd) InvalidateRect(movieGrid_->hwnd, nullptr, FALSE);
    }
    UpdateCategoryToolBar();
    WriteLog(AppLog, L"★動画リスト更新(終了)");
}

void MainWindow_CL::SelectSubCategory(int index)
{
    DispSettingData_CL& settings = *displaySettings_;
    // A click beside the tiles selects nothing.
    if (!ValidPosition(index, settings.sub_category_view.size())) index = -1;
    settings.selected_sub_category = index;
    const ItemCategoryData_CL* record = index >= 0 ? &settings.sub_category_view.at(index) : nullptr;
    if (settings.category_tab == kWebTab) {
        if (!suppressNavigation_ && record && !record->url_link.empty()) browser_.Navigate(record->url_link);
        suppressNavigation_ = 0;
    } else if (settings.selected_sort_tab == 0 && record) {
        SearchSubCategoryOnTheWeb(record->sub_category);
    }
    RefreshMovieList();
}

// A video or image engine of the pane's table, drawn at random, searches the name; the
// notice 1 keeps the browser tab as it is.
void MainWindow_CL::SearchSubCategoryOnTheWeb(const std::wstring& name)
{
    AddressBarReelvault_CL* addressBar = browser_.GetAddressBar();
    if (!addressBar || !addressBar->searchBox.hwnd) return;
    std::vector<int> rows;
    for (size_t i = 0; i < browser_.engineTable.size(); ++i) {
        // Kind and encoding together: only plain UTF-8 video and image searches qualify.
        const uint32_t kindAndEncoding = browser_.engineTable[i].flags & 0xFFF;
        if (kindAndEncoding == 1 || kindAndEncoding == 2) rows.push_back(static_cast<int>(i));
    }
    if (rows.empty()) return;
    SetWindowTextW(addressBar->searchBox.GetEditControl(), name.c_str());
    addressBar->SearchWithEngine(rows[static_cast<size_t>(rand()) % rows.size()], 1);
}

void MainWindow_CL::UpdateCategoryToolBar()
{
    DispSettingData_CL& settings = *displaySettings_;
    const int kind = settings.category_tab;
    const int32_t sub = settings.selected_sub_category;
    const int entries = static_cast<int>(settings.sub_category_view.size());
    const bool oneAtMost = !categoryList_ || categoryList_->GetSelectedCount() < 2;
    const bool listKind = kind != 0 && kind != 1;

    if (categoryToolBar_.window && categoryToolBar_.records.size() > 5) {
        const CategoryToolTips& tips = kind == kPlaylistTab ? kPlaylistTips : kind == kWebTab ? kSiteTips : kSubCategoryTips;
        std::vector<ToolBarButtonRecord>& records = categoryToolBar_.records;
        records[1].toolTip = tips.create;
        records[1].button.idCommand = kCreateCommand;
        records[2].toolTip = tips.edit;
        records[3].toolTip = tips.remove;
        categoryToolBar_.UpdateSecondButton();

        auto setState = [&](int command, bool enabled) {
            SendMessageW(categoryToolBar_.window, TB_SETSTATE, static_cast<WPARAM>(command),
                         MAKELPARAM(enabled ? TBSTATE_ENABLED : 0, 0));
        };
        setState(kCreateCommand, listKind && oneAtMost);
        setState(kEditCommand, sub >= 0 && kind != 1 && oneAtMost);
        setState(kDeleteCommand, sub >= 0 && kind != 1 && oneAtMost);
        setState(kMoveUpCommand, sub > 0 && listKind && oneAtMost);
        setState(kMoveDownCommand, sub >= 0 && sub < entries - 1 && listKind && oneAtMost);
        categoryToolBar_.UpdateToolTips();
    }

    wchar_t count[64];
    swprintf(count, sizeof(count) / sizeof(count[0]), L"アイテム数( %u )",
             static_cast<unsigned>(settings.movie_view.size()));
    statusBar_.SetText(count, 2);
    std::wstring place;
    if (ValidPosition(sub, settings.sub_category_view.size())) {
        const ItemCategoryData_CL& record = settings.sub_category_view.at(sub);
        place = record.category + L"/" + record.sub_category;
    }
    statusBar_.SetText(place, 0);
}

void MainWindow_CL::ApplyThumbnailLayout()
{
    if (!movieGrid_) return;
    ApplyGridLayout(displaySettings_->GetUiFontHeight());
    ResetScroll(*movieGrid_);
    movieGrid_->RequestRefresh();
    if (movieGrid_->hwnd) InvalidateRect(movieGrid_->hwnd, nullptr, TRUE);
}

void MainWindow_CL::ApplyUiFontSize()
{
    const int level = std::min(std::max(static_cast<int>(displaySettings_->ui_font_size_level), 1), 10);
    const float scale = 1.0f + static_cast<float>(level - 1) * 0.5f / 9.0f;
    for (Tab_CL* tab : {categoryTab_, sortTab_}) {
        if (!tab || !tab->hwnd) continue;
        tab->SetFontScale(scale, 400);
        InvalidateRect(tab->hwnd, nullptr, FALSE);
    }
    if (mainMenu_ && movieGrid_ && categoryList_ && GetCategoryTabWindow() && GetSortTabWindow()) OnSize();
}
