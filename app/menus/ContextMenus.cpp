// The four context menus: top categories, sub-categories (playlists, favourite sites),
// movies, and which frame of the strip. Every item only sends its id to the owner window;
// the rules here only grey items out.
#include <windows.h>

#include <algorithm>
#include <string>

#include "app/menus/ContextMenu.h"
#include "app/menus/MainMenu.h"
#include "app/shell/MainWindow.h"
#include "core/album/SaveData.h"
#include "ui/views/CategoryListWindow.h"
#include "ui/views/MovieListWindow.h"

namespace {

constexpr int kPlaylistTab = 2;
constexpr int kSiteTab = 3;
constexpr int kFirstUserCategory = 4;
// The item commands own 0x8500..0x851F; players past the 32nd get no item.
constexpr UINT kFirstPlayerCommand = 0x8500;
constexpr size_t kMaxPlayerItems = 32;

// Item texts by the current category tab: sub-categories, playlists, favourite sites.
struct TabTexts {
    const wchar_t* subCategory;
    const wchar_t* playlist;
    const wchar_t* site;

    const wchar_t* For(int tab) const { return tab == kPlaylistTab ? playlist : tab == kSiteTab ? site : subCategory; }
};

void Track(const ContextMenu_CL& menu, int x, int y, HWND owner)
{
    TrackPopupMenu(menu.Menu(), TPM_RIGHTBUTTON, x, y, 0, owner, nullptr);
}

}  // namespace

MenuState MainMenu_CL::ReadMenuState() const
{
    MenuState state;
    if (displaySettings) {
        const DispSettingData_CL& settings = *displaySettings;
        state.topCategory = settings.selected_category;
        state.categoryTab = settings.category_tab;
        state.subCategory = settings.selected_sub_category;
        state.currentMovie = settings.view_index;
        state.sortTab = settings.selected_sort_tab;
        state.hasPlaydeck = !settings.playdeck_command.empty();
        state.hoveredTag = settings.grid_indices[2];
    }
    if (mainWindow) {
        if (CategoryListWindow_CL* categories = mainWindow->GetCategoryListView())
            state.selectedCategories = categories->GetSelectedCount();
        if (MovieListWindow_CL* movies = mainWindow->GetMovieGrid()) state.selectedMovies = movies->GetSelectedCount();
    }
    if (albumData) {
        for (const MoviePlayerInfoItem& player : albumData->player_info.players) state.players.push_back(player.name);
    }
    return state;
}

bool MainMenu_CL::BuildTopCategoryMenu(ContextMenu_CL& menu, const MenuState& state) const
{
    PopupMenu_CL& popup = menu.top;
    if (!popup.CreatePopup()) return false;
    // The four fixed top categories can be neither edited nor deleted.
    const bool fixed = state.topCategory < kFirstUserCategory;
    ContextMenu_CL::AddItem(popup, 0x8100, 16, L"カテゴリを作成する", false);
    popup.AppendSeparator();
    ContextMenu_CL::AddItem(popup, 0x8110, 17, L"カテゴリを編集する", fixed);
    popup.AppendSeparator();
    ContextMenu_CL::AddItem(popup, 0x8120, 18, L"カテゴリを削除する", fixed);
    return true;
}

bool MainMenu_CL::BuildSubCategoryMenu(ContextMenu_CL& menu, const MenuState& state) const
{
    static const TabTexts kCreate = {L"サブカテゴリを作成する", L"プレイリストを作成する",
                                     L"現在のサイトをお気に入りサイトに追加する"};
    static const TabTexts kEdit = {L"サブカテゴリを編集する", L"プレイリストを編集する", L"お気に入りサイトを編集する"};
    static const TabTexts kDelete = {L"サブカテゴリを削除する", L"プレイリストを削除する",
                                     L"お気に入りサイトを削除する"};
    struct Item {
        UINT id;
        int icon;
        const wchar_t* text;
    };
    const int tab = state.categoryTab;
    const Item items[6] = {
        {tab == kSiteTab ? 0x8250u : 0x8200u, 14, kCreate.For(tab)},
        {0x8210, 15, kEdit.For(tab)},
        {0x8270, 3, L"サムネイル画像を画像ファイルから選択する"},
        {0x8290, 3, L"サムネイル画像を現在のサイトのキャプチャにする"},
        {0x8230, 3, L"サムネイル画像を編集する"},
        {0x8220, 6, kDelete.For(tab)},
    };
    bool disabled[6] = {};
    if (state.subCategory < 0) std::fill(disabled + 1, disabled + 6, true);
    if (state.topCategory < 2) disabled[0] = true;
    if (state.selectedCategories >= 2) std::fill(disabled, disabled + 6, true);
    if (state.sortTab != 0) disabled[3] = true;

    PopupMenu_CL& popup = menu.top;
    if (!popup.CreatePopup()) return false;
    for (int i = 0; i < 6; ++i) {
        if (i > 0) popup.AppendSeparator();
        ContextMenu_CL::AddItem(popup, items[i].id, items[i].icon, items[i].text, disabled[i]);
    }
    return true;
}

bool MainMenu_CL::BuildMovieMenu(ContextMenu_CL& menu, const MenuState& state) const
{
    const bool noMovie = state.currentMovie < 0;
    const bool several = state.selectedMovies > 1;
    const bool playlistTab = state.categoryTab == kPlaylistTab;

    PopupMenu_CL* tags = menu.AddSubmenu();
    PopupMenu_CL* stars = menu.AddSubmenu();
    PopupMenu_CL* play = menu.AddSubmenu();
    PopupMenu_CL* players = menu.AddSubmenu();
    PopupMenu_CL* thumbnail = menu.AddSubmenu();
    PopupMenu_CL* content = menu.AddSubmenu();
    if (!tags || !stars || !play || !players || !thumbnail || !content || !menu.top.CreatePopup()) return false;

    ContextMenu_CL::AddItem(*tags, 0x8019, 21, L"タグを追加する", noMovie);
    tags->AppendSeparator();
    ContextMenu_CL::AddItem(*tags, 0x801a, 22, L"タグを削除する", noMovie || state.hoveredTag < 0);

    ContextMenu_CL::AddItem(*stars, 0x8040, 0, L"無し", false);
    static const wchar_t* const kStars[] = {L"★", L"★★", L"★★★", L"★★★★", L"★★★★★"};
    for (UINT i = 0; i < 5; ++i) ContextMenu_CL::AddItem(*stars, 0x8041 + i, 5, kStars[i], false);

    // Several selected movies play only as a list; without Playdeck only the associated
    // player is left.
    const bool single = !noMovie && !several;
    const bool list = !noMovie && several;
    auto playDisabled = [&](bool allowed, bool needsPlaydeck) { return !allowed || (needsPlaydeck && !state.hasPlaydeck); };
    ContextMenu_CL::AddItem(*play, 0x8000, 4, L"動画を再生する", playDisabled(single, true));
    ContextMenu_CL::AddItem(*play, 0x8001, 4, L"動画を先頭フレームから再生する", playDisabled(single, true));
    play->AppendSeparator();
    ContextMenu_CL::AddItem(*play, 0x8006, 4, L"動画を関連付けされているプレーヤーで再生する", playDisabled(single, false));
    play->AppendSeparator();
    ContextMenu_CL::AddItem(*play, 0x8002, 2,
                            playlistTab ? L"プレイリストを順に再生する" : L"現在のリストのアイテムを順に再生する",
                            playDisabled(single, true));
    ContextMenu_CL::AddItem(*play, 0x8005, 2,
                            playlistTab ? L"プレイリストをランダムに再生する"
                                        : L"現在のリストのアイテムをランダムに再生する",
                            playDisabled(single, true));
    play->AppendSeparator();
    ContextMenu_CL::AddItem(*play, 0x8003, 4, L"複数選択したアイテムを順に再生する", playDisabled(list, true));
    ContextMenu_CL::AddItem(*play, 0x8004, 4, L"複数選択したアイテムをランダムに再生する", playDisabled(list, true));

    const size_t playerCount = std::min(state.players.size(), kMaxPlayerItems);
    for (size_t i = 0; i < playerCount; ++i) {
        ContextMenu_CL::AddItem(*players, kFirstPlayerCommand + static_cast<UINT>(i), 4,
                                menu.KeepText(state.players[i]), false);
    }

    ContextMenu_CL::AddItem(*thumbnail, 0x8020, 3, L"動画サムネイル画像を設定する", noMovie || several);
    thumbnail->AppendSeparator();
    ContextMenu_CL::AddItem(*thumbnail, 0x8090, 3,
                            playlistTab ? L"動画画像からプレイリストのサムネイル画像を設定する"
                                        : L"動画画像からカテゴリのサムネイル画像を設定する",
                            noMovie || several);
    thumbnail->AppendSeparator();
    ContextMenu_CL::AddItem(*thumbnail, 0x8030, 3, L"動画サムネイル画像を現在の設定で再取得する", noMovie);
    ContextMenu_CL::AddItem(*thumbnail, 0x8032, 3, L"動画サムネイル画像を等間隔に再取得する", noMovie);
    ContextMenu_CL::AddItem(*thumbnail, 0x8031, 3, L"動画サムネイル画像をランダムに再取得する", noMovie);

    ContextMenu_CL::AddItem(*content, 0x8050, 9, L"選択した動画が保存されているフォルダを開く", false);
    content->AppendSeparator();
    ContextMenu_CL::AddItem(*content, 0x8070, 1, L"コンテンツ設定", false);

    PopupMenu_CL& top = menu.top;
    ContextMenu_CL::AddItem(top, 0x8010, 19, L"動画のカテゴリを設定する", noMovie);
    top.AppendSeparator();
    ContextMenu_CL::AddItem(top, 0x8018, 23, L"タグ", noMovie, tags);
    top.AppendSeparator();
    ContextMenu_CL::AddItem(top, 0x1236, 5, L"★マーク", noMovie, stars);
    top.AppendSeparator();
    ContextMenu_CL::AddItem(top, 0x8000, 4, L"動画を再生する", noMovie, play);
    top.AppendSeparator();
    ContextMenu_CL::AddItem(top, 0x8007, 4, L"指定したプレーヤーで動画を再生する",
                            noMovie || state.players.empty() || several, players);
    top.AppendSeparator();
    ContextMenu_CL::AddItem(top, 0x80a0, 2, L"プレイリストに追加する", noMovie || playlistTab);
    top.AppendSeparator();
    ContextMenu_CL::AddItem(top, 0x8030, 3, L"サムネイル", noMovie, thumbnail);
    top.AppendSeparator();
    ContextMenu_CL::AddItem(top, 0x8070, 0, L"コンテンツ", noMovie || several, content);
    top.AppendSeparator();
    if (playlistTab)
        ContextMenu_CL::AddItem(top, 0x80b0, 6, L"プレイリストから削除する", noMovie);
    else
        ContextMenu_CL::AddItem(top, 0x8060, 6, L"アイテムを削除する", noMovie);
    return true;
}

bool MainMenu_CL::BuildFrameNumberMenu(ContextMenu_CL& menu) const
{
    PopupMenu_CL& popup = menu.top;
    if (!popup.CreatePopup()) return false;
    for (int i = 0; i < 10; ++i) {
        // One to nine read in full-width digits; ten keeps its half-width ones.
        const int number = i + 1;
        std::wstring text =
            number < 10 ? std::wstring(1, static_cast<wchar_t>(L'０' + number)) : std::to_wstring(number);
        text += L"枚目に設定する";
        ContextMenu_CL::AddItem(popup, 0x8300 + static_cast<UINT>(i), 5, menu.KeepText(std::move(text)), false);
    }
    return true;
}

void MainMenu_CL::ShowTopCategoryMenu(int x, int y, HWND owner)
{
    ContextMenu_CL menu(menuImages.imageList);
    if (BuildTopCategoryMenu(menu, ReadMenuState())) Track(menu, x, y, owner);
}

void MainMenu_CL::ShowSubCategoryMenu(int x, int y, HWND owner)
{
    ContextMenu_CL menu(menuImages.imageList);
    if (BuildSubCategoryMenu(menu, ReadMenuState())) Track(menu, x, y, owner);
}

void MainMenu_CL::ShowMovieMenu(int x, int y, HWND owner)
{
    ContextMenu_CL menu(menuImages.imageList);
    if (BuildMovieMenu(menu, ReadMenuState())) Track(menu, x, y, owner);
}

void MainMenu_CL::ShowFrameNumberMenu(int x, int y, HWND owner)
{
    ContextMenu_CL menu(menuImages.imageList);
    if (BuildFrameNumberMenu(menu)) Track(menu, x, y, owner);
}

void MainMenu_CL::ShowAtCursor(ContextMenuKind kind, HWND owner)
{
    POINT cursor = {};
    GetCursorPos(&cursor);
    switch (kind) {
    case ContextMenuKind::TopCategory: ShowTopCategoryMenu(cursor.x, cursor.y, owner); return;
    case ContextMenuKind::SubCategory: ShowSubCategoryMenu(cursor.x, cursor.y, owner); return;
    case ContextMenuKind::Movie: ShowMovieMenu(cursor.x, cursor.y, owner); return;
    }
}
