// The context menus as they are built (read back from the system's menus), their rules, and
// the painter that measures and draws their items for the main window.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "app/menus/ContextMenu.h"
#include "app/menus/MainMenu.h"
#include "core/base/PathName.h"
#include "tests/common/Screenshot.h"
#include "tests/common/TestWindow.h"
#include "tests/widgets/PaintSupport.h"

namespace {

// One position of a built menu as the system holds it, with the icon of the record that the
// item data names.
struct ReadItem {
    bool separator = false;
    UINT id = 0;
    bool grayed = false;
    HMENU submenu = nullptr;
    int icon = -2;
    std::wstring text;
};

std::vector<ReadItem> ReadMenu(HMENU menu)
{
    std::vector<ReadItem> items;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[260] = {};
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_STATE | MIIM_SUBMENU | MIIM_FTYPE | MIIM_DATA | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 260;
        EXPECT_TRUE(GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info));
        ReadItem item;
        item.separator = (info.fType & MFT_SEPARATOR) != 0;
        if (!item.separator) {
            EXPECT_TRUE(info.fType & MFT_OWNERDRAW) << "position " << i;
            item.id = info.wID;
            item.grayed = (info.fState & MFS_GRAYED) != 0;
            item.submenu = info.hSubMenu;
            item.text = text;
            // The item data is the popup that holds the item's record.
            const PopupMenu_CL* popup = PopupMenu_CL::FromItemData(info.dwItemData);
            EXPECT_NE(popup, nullptr) << "position " << i;
            if (popup) {
                EXPECT_EQ(popup->menu, menu);
                const MenuItemRecord* record = popup->FindItem(info.wID);
                if (record) item.icon = record->IconIndex();
            }
        }
        items.push_back(item);
    }
    return items;
}

// The items (separators left out) of a menu as "E" (enabled) and "G" (greyed) letters.
std::string States(const std::vector<ReadItem>& items)
{
    std::string states;
    for (const ReadItem& item : items) {
        if (!item.separator) states += item.grayed ? 'G' : 'E';
    }
    return states;
}

std::vector<ReadItem> WithoutSeparators(const std::vector<ReadItem>& items)
{
    std::vector<ReadItem> kept;
    for (const ReadItem& item : items) {
        if (!item.separator) kept.push_back(item);
    }
    return kept;
}

// The separator layout as a string: "I" an item, "-" a separator.
std::string Layout(const std::vector<ReadItem>& items)
{
    std::string layout;
    for (const ReadItem& item : items) layout += item.separator ? '-' : 'I';
    return layout;
}

std::vector<UINT> Ids(const std::vector<ReadItem>& items)
{
    std::vector<UINT> ids;
    for (const ReadItem& item : WithoutSeparators(items)) ids.push_back(item.id);
    return ids;
}

std::vector<std::wstring> Texts(const std::vector<ReadItem>& items)
{
    std::vector<std::wstring> texts;
    for (const ReadItem& item : WithoutSeparators(items)) texts.push_back(item.text);
    return texts;
}

std::vector<int> Icons(const std::vector<ReadItem>& items)
{
    std::vector<int> icons;
    for (const ReadItem& item : WithoutSeparators(items)) icons.push_back(item.icon);
    return icons;
}

class ContextMenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitTestCommonControls();
        ASSERT_TRUE(menus_.menuImages.LoadBitmapFile(PathName_CL::GetModuleFolder() + L"\\menu_image.bmp", 24));
    }

    MainMenu_CL menus_{nullptr, nullptr, nullptr};
};

TEST_F(ContextMenuTest, TopCategoriesCanBeEditedAndDeletedOnlyFromTheUsersOwn)
{
    const struct {
        int topCategory;
        const char* states;
    } rows[] = {{0, "EGG"}, {1, "EGG"}, {2, "EGG"}, {3, "EGG"}, {4, "EEE"}, {9, "EEE"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.topCategory);
        MenuState state;
        state.topCategory = row.topCategory;
        ContextMenu_CL menu(menus_.menuImages.imageList);
        ASSERT_TRUE(menus_.BuildTopCategoryMenu(menu, state));
        const std::vector<ReadItem> items = ReadMenu(menu.Menu());
        EXPECT_EQ(Layout(items), "I-I-I");
        EXPECT_EQ(States(items), row.states);
        EXPECT_EQ(Ids(items), (std::vector<UINT>{0x8100, 0x8110, 0x8120}));
        EXPECT_EQ(Icons(items), (std::vector<int>{16, 17, 18}));
        EXPECT_EQ(Texts(items),
                  (std::vector<std::wstring>{L"カテゴリを作成する", L"カテゴリを編集する", L"カテゴリを削除する"}));
    }
}

TEST_F(ContextMenuTest, SubCategoryMenuFollowsTheTabAndItsFourRules)
{
    const wchar_t* kSub[] = {L"サブカテゴリを作成する", L"サブカテゴリを編集する", L"サブカテゴリを削除する"};
    const wchar_t* kPlaylist[] = {L"プレイリストを作成する", L"プレイリストを編集する", L"プレイリストを削除する"};
    const wchar_t* kSite[] = {L"現在のサイトをお気に入りサイトに追加する", L"お気に入りサイトを編集する",
                              L"お気に入りサイトを削除する"};
    struct Row {
        const char* name;
        int tab;
        int topCategory;
        int subCategory;
        uint32_t selectedCategories;
        int sortTab;
        const char* states;
        const wchar_t* const* texts;
        UINT firstId;
    };
    const Row rows[] = {
        {"a sub-category of a user's category on the browser view", 4, 4, 0, 1, 0, "EEEEEE", kSub, 0x8200},
        {"all movies", 0, 0, 0, 1, 0, "GEEEEE", kSub, 0x8200},
        {"unset", 1, 1, 2, 0, 0, "GEEEEE", kSub, 0x8200},
        {"playlists", 2, 2, 1, 1, 0, "EEEEEE", kPlaylist, 0x8200},
        {"favourite sites", 3, 3, 0, 1, 0, "EEEEEE", kSite, 0x8250},
        // Rule 1: without a current sub-category only creating is left.
        {"no current sub-category", 4, 4, -1, 0, 0, "EGGGGG", kSub, 0x8200},
        // Rule 3 after rules 1 and 2: two selected sub-categories grey out everything.
        {"two selected", 4, 4, 0, 2, 0, "GGGGGG", kSub, 0x8200},
        // Rule 4: the site capture needs the browser view.
        {"the grid showing", 4, 4, 0, 1, 3, "EEEGEE", kSub, 0x8200},
        {"all four rules", 1, 1, -1, 3, 5, "GGGGGG", kSub, 0x8200},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        MenuState state;
        state.categoryTab = row.tab;
        state.topCategory = row.topCategory;
        state.subCategory = row.subCategory;
        state.selectedCategories = row.selectedCategories;
        state.sortTab = row.sortTab;
        ContextMenu_CL menu(menus_.menuImages.imageList);
        ASSERT_TRUE(menus_.BuildSubCategoryMenu(menu, state));
        const std::vector<ReadItem> items = ReadMenu(menu.Menu());
        EXPECT_EQ(Layout(items), "I-I-I-I-I-I");
        EXPECT_EQ(States(items), row.states);
        EXPECT_EQ(Ids(items), (std::vector<UINT>{row.firstId, 0x8210, 0x8270, 0x8290, 0x8230, 0x8220}));
        EXPECT_EQ(Icons(items), (std::vector<int>{14, 15, 3, 3, 3, 6}));
        EXPECT_EQ(Texts(items), (std::vector<std::wstring>{row.texts[0], row.texts[1],
                                                           L"サムネイル画像を画像ファイルから選択する",
                                                           L"サムネイル画像を現在のサイトのキャプチャにする",
                                                           L"サムネイル画像を編集する", row.texts[2]}));
        for (const ReadItem& item : items) EXPECT_EQ(item.submenu, nullptr);
    }
}

// The movie menu read back: the top level and the six submenus its items open.
struct MovieMenuRead {
    std::vector<ReadItem> top;
    std::vector<ReadItem> tags, stars, play, players, thumbnail, content;
};

MovieMenuRead ReadMovieMenu(HMENU menu)
{
    MovieMenuRead read;
    read.top = ReadMenu(menu);
    const std::vector<ReadItem> kept = WithoutSeparators(read.top);
    if (kept.size() != 9) return read;
    read.tags = ReadMenu(kept[1].submenu);
    read.stars = ReadMenu(kept[2].submenu);
    read.play = ReadMenu(kept[3].submenu);
    read.players = ReadMenu(kept[4].submenu);
    read.thumbnail = ReadMenu(kept[6].submenu);
    read.content = ReadMenu(kept[7].submenu);
    return read;
}

TEST_F(ContextMenuTest, MovieMenuAndItsSubmenusFollowTheSelection)
{
    struct Row {
        const char* name;
        int currentMovie;
        uint32_t selectedMovies;
        int tab;
        bool players;
        bool playdeck;
        int hoveredTag;
        const char* top;
        const char* tags;
        const char* play;
        const char* thumbnail;
    };
    const Row rows[] = {
        {"one current movie", 0, 1, 4, true, true, 1, "EEEEEEEEE", "EE", "EEEEEGG", "EEEEE"},
        // Right click on an empty part of the grid, or an empty grid.
        {"no current movie", -1, 0, 4, true, true, 1, "GGGGGGGGG", "GG", "GGGGGGG", "GGGGG"},
        {"two selected", 3, 2, 4, true, true, 1, "EEEEGEEGE", "EE", "GGGGGEE", "GGEEE"},
        {"the playlist tab", 0, 1, 2, true, true, 1, "EEEEEGEEE", "EE", "EEEEEGG", "EEEEE"},
        {"no players", 0, 1, 4, false, true, 1, "EEEEGEEEE", "EE", "EEEEEGG", "EEEEE"},
        // Without Playdeck only the associated player is left to play with.
        {"no Playdeck", 0, 1, 4, true, false, 1, "EEEEEEEEE", "EE", "GGEGGGG", "EEEEE"},
        {"no Playdeck, two selected", 0, 2, 4, true, false, 1, "EEEEGEEGE", "EE", "GGGGGGG", "GGEEE"},
        {"no tag under the mouse", 0, 1, 4, true, true, -1, "EEEEEEEEE", "EG", "EEEEEGG", "EEEEE"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        MenuState state;
        state.currentMovie = row.currentMovie;
        state.selectedMovies = row.selectedMovies;
        state.categoryTab = row.tab;
        state.topCategory = row.tab;
        if (row.players) state.players = {L"MPC-HC", L"VLC media player"};
        state.hasPlaydeck = row.playdeck;
        state.hoveredTag = row.hoveredTag;
        ContextMenu_CL menu(menus_.menuImages.imageList);
        ASSERT_TRUE(menus_.BuildMovieMenu(menu, state));
        const MovieMenuRead read = ReadMovieMenu(menu.Menu());

        EXPECT_EQ(Layout(read.top), "I-I-I-I-I-I-I-I-I");
        EXPECT_EQ(States(read.top), row.top);
        EXPECT_EQ(States(read.tags), row.tags);
        EXPECT_EQ(States(read.play), row.play);
        EXPECT_EQ(States(read.thumbnail), row.thumbnail);
        EXPECT_EQ(States(read.stars), "EEEEEE");
        EXPECT_EQ(States(read.content), "EE");

        const bool playlist = row.tab == 2;
        EXPECT_EQ(Ids(read.top), (std::vector<UINT>{0x8010, 0x8018, 0x1236, 0x8000, 0x8007, 0x80a0, 0x8030, 0x8070,
                                                    playlist ? 0x80b0u : 0x8060u}));
        EXPECT_EQ(Icons(read.top), (std::vector<int>{19, 23, 5, 4, 4, 2, 3, 0, 6}));
        EXPECT_EQ(Texts(read.top),
                  (std::vector<std::wstring>{L"動画のカテゴリを設定する", L"タグ", L"★マーク", L"動画を再生する",
                                             L"指定したプレーヤーで動画を再生する", L"プレイリストに追加する",
                                             L"サムネイル", L"コンテンツ",
                                             playlist ? L"プレイリストから削除する" : L"アイテムを削除する"}));
        const std::vector<ReadItem> top = WithoutSeparators(read.top);
        const bool hasSubmenu[] = {false, true, true, true, true, false, true, true, false};
        for (size_t i = 0; i < top.size() && i < 9; ++i) EXPECT_EQ(top[i].submenu != nullptr, hasSubmenu[i]) << i;

        EXPECT_EQ(Layout(read.tags), "I-I");
        EXPECT_EQ(Ids(read.tags), (std::vector<UINT>{0x8019, 0x801a}));
        EXPECT_EQ(Icons(read.tags), (std::vector<int>{21, 22}));
        EXPECT_EQ(Texts(read.tags), (std::vector<std::wstring>{L"タグを追加する", L"タグを削除する"}));

        EXPECT_EQ(Layout(read.stars), "IIIIII");
        EXPECT_EQ(Ids(read.stars), (std::vector<UINT>{0x8040, 0x8041, 0x8042, 0x8043, 0x8044, 0x8045}));
        EXPECT_EQ(Icons(read.stars), (std::vector<int>{0, 5, 5, 5, 5, 5}));
        EXPECT_EQ(Texts(read.stars),
                  (std::vector<std::wstring>{L"無し", L"★", L"★★", L"★★★", L"★★★★", L"★★★★★"}));

        EXPECT_EQ(Layout(read.play), "II-I-II-II");
        EXPECT_EQ(Ids(read.play), (std::vector<UINT>{0x8000, 0x8001, 0x8006, 0x8002, 0x8005, 0x8003, 0x8004}));
        EXPECT_EQ(Icons(read.play), (std::vector<int>{4, 4, 4, 2, 2, 4, 4}));
        EXPECT_EQ(Texts(read.play),
                  (std::vector<std::wstring>{
                      L"動画を再生する", L"動画を先頭フレームから再生する",
                      L"動画を関連付けされているプレーヤーで再生する",
                      playlist ? L"プレイリストを順に再生する" : L"現在のリストのアイテムを順に再生する",
                      playlist ? L"プレイリストをランダムに再生する" : L"現在のリストのアイテムをランダムに再生する",
                      L"複数選択したアイテムを順に再生する", L"複数選択したアイテムをランダムに再生する"}));

        // One item per player, in list order; the players submenu itself has no rules.
        if (row.players) {
            EXPECT_EQ(Ids(read.players), (std::vector<UINT>{0x8500, 0x8501}));
            EXPECT_EQ(Texts(read.players), (std::vector<std::wstring>{L"MPC-HC", L"VLC media player"}));
            EXPECT_EQ(Icons(read.players), (std::vector<int>{4, 4}));
            EXPECT_EQ(States(read.players), "EE");
        } else {
            EXPECT_TRUE(read.players.empty());
        }

        EXPECT_EQ(Layout(read.thumbnail), "I-I-III");
        EXPECT_EQ(Ids(read.thumbnail), (std::vector<UINT>{0x8020, 0x8090, 0x8030, 0x8032, 0x8031}));
        EXPECT_EQ(Icons(read.thumbnail), (std::vector<int>{3, 3, 3, 3, 3}));
        EXPECT_EQ(Texts(read.thumbnail),
                  (std::vector<std::wstring>{L"動画サムネイル画像を設定する",
                                             playlist ? L"動画画像からプレイリストのサムネイル画像を設定する"
                                                      : L"動画画像からカテゴリのサムネイル画像を設定する",
                                             L"動画サムネイル画像を現在の設定で再取得する",
                                             L"動画サムネイル画像を等間隔に再取得する",
                                             L"動画サムネイル画像をランダムに再取得する"}));

        EXPECT_EQ(Layout(read.content), "I-I");
        EXPECT_EQ(Ids(read.content), (std::vector<UINT>{0x8050, 0x8070}));
        EXPECT_EQ(Icons(read.content), (std::vector<int>{9, 1}));
        EXPECT_EQ(Texts(read.content),
                  (std::vector<std::wstring>{L"選択した動画が保存されているフォルダを開く", L"コンテンツ設定"}));
    }
}

TEST_F(ContextMenuTest, FrameNumbersReadInFullWidthUpToNine)
{
    ContextMenu_CL menu(menus_.menuImages.imageList);
    ASSERT_TRUE(menus_.BuildFrameNumberMenu(menu));
    const std::vector<ReadItem> items = ReadMenu(menu.Menu());
    EXPECT_EQ(Layout(items), "IIIIIIIIII");
    EXPECT_EQ(Texts(items), (std::vector<std::wstring>{L"１枚目に設定する", L"２枚目に設定する", L"３枚目に設定する",
                                                       L"４枚目に設定する", L"５枚目に設定する", L"６枚目に設定する",
                                                       L"７枚目に設定する", L"８枚目に設定する", L"９枚目に設定する",
                                                       L"10枚目に設定する"}));
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].id, 0x8300 + i);
        EXPECT_EQ(items[i].icon, 5);
        EXPECT_FALSE(items[i].grayed);
    }
}

// A top-level window that hands the menu messages to the painter, as the main window does.
class MenuOwnerWindow {
public:
    explicit MenuOwnerWindow(MainMenu_CL* menus)
    {
        static const wchar_t kClass[] = L"ContextMenuTestOwner";
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = &Proc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kClass;
        RegisterClassW(&windowClass);
        window_ = CreateWindowExW(0, kClass, L"", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(menus));
    }
    ~MenuOwnerWindow() { DestroyWindow(window_); }
    HWND Get() const { return window_; }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        auto* menus = reinterpret_cast<MainMenu_CL*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (menus) menus->HandleMenuDraw(window, msg, wParam, lParam);
        return DefWindowProcW(window, msg, wParam, lParam);
    }
    HWND window_ = nullptr;
};

SIZE DefaultFontExtent(const std::wstring& text)
{
    SIZE extent = {};
    WindowDc dc(nullptr);
    SelectedObject font(dc.get(), GetStockObject(DEFAULT_GUI_FONT));
    GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
    return extent;
}

TEST_F(ContextMenuTest, MeasuresItemsWithRoomForTheIconOnlyWhenThereAreIcons)
{
    MenuState state;
    state.topCategory = 4;
    int iconWidth = 0, iconHeight = 0;
    ASSERT_TRUE(ImageList_GetIconSize(menus_.menuImages.imageList, &iconWidth, &iconHeight));
    const SIZE text = DefaultFontExtent(L"カテゴリを編集する");
    const struct {
        const char* name;
        HIMAGELIST images;
        UINT width;
        UINT height;
    } rows[] = {
        {"with the menu images", menus_.menuImages.imageList, static_cast<UINT>(text.cx + 4 + iconWidth),
         static_cast<UINT>(std::max<LONG>(text.cy + 1, iconHeight + 1))},
        {"without images", nullptr, static_cast<UINT>(text.cx), static_cast<UINT>(text.cy + 1)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ContextMenu_CL menu(row.images);
        ASSERT_TRUE(menus_.BuildTopCategoryMenu(menu, state));
        MEASUREITEMSTRUCT measure = {};
        measure.CtlType = ODT_MENU;
        measure.itemID = 0x8110;
        measure.itemData = reinterpret_cast<ULONG_PTR>(&menu.top);
        EXPECT_TRUE(menus_.HandleMenuDraw(nullptr, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)));
        EXPECT_EQ(measure.itemWidth, row.width);
        EXPECT_EQ(measure.itemHeight, row.height);
    }
}

// A request to draw item 0x8100 over the whole 160 x 24 canvas.
DRAWITEMSTRUCT DrawRequest(const Canvas& canvas, ULONG_PTR itemData)
{
    DRAWITEMSTRUCT draw = {};
    draw.CtlType = ODT_MENU;
    draw.itemID = 0x8100;
    draw.itemAction = ODA_DRAWENTIRE;
    draw.hDC = canvas.Dc();
    draw.rcItem = {0, 0, 160, 24};
    draw.itemData = itemData;
    return draw;
}

// WM_MEASUREITEM and WM_DRAWITEM come from other windows and, copied by the system, from
// other programs: item data that names no popup alive now is never read through.
TEST_F(ContextMenuTest, ItemDataThatNamesNoLivePopupIsLeftAlone)
{
    MenuState state;
    ULONG_PTR gone = 0;
    {
        ContextMenu_CL menu(menus_.menuImages.imageList);
        ASSERT_TRUE(menus_.BuildTopCategoryMenu(menu, state));
        gone = reinterpret_cast<ULONG_PTR>(&menu.top);
    }
    int unrelated[16] = {};
    const ULONG_PTR madeUp[] = {0x12345678, reinterpret_cast<ULONG_PTR>(unrelated), gone, 1};
    for (ULONG_PTR data : madeUp) {
        SCOPED_TRACE(data);
        MEASUREITEMSTRUCT measure = {};
        measure.CtlType = ODT_MENU;
        measure.itemID = 0x8100;
        measure.itemWidth = 77;
        measure.itemHeight = 77;
        measure.itemData = data;
        EXPECT_FALSE(menus_.HandleMenuDraw(nullptr, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)));
        EXPECT_EQ(measure.itemWidth, 77u);
        EXPECT_EQ(measure.itemHeight, 77u);

        Canvas canvas(160, 24);
        canvas.Fill(RGB(255, 255, 255));
        DRAWITEMSTRUCT draw = DrawRequest(canvas, data);
        EXPECT_FALSE(menus_.HandleMenuDraw(nullptr, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw)));
        EXPECT_EQ(canvas.InkColumns(RGB(255, 255, 255)), std::make_pair(-1, -1)) << "nothing drawn";
    }

    // The same messages for a popup alive now are answered.
    ContextMenu_CL menu(menus_.menuImages.imageList);
    ASSERT_TRUE(menus_.BuildTopCategoryMenu(menu, state));
    Canvas canvas(160, 24);
    canvas.Fill(RGB(255, 255, 255));
    DRAWITEMSTRUCT draw = DrawRequest(canvas, reinterpret_cast<ULONG_PTR>(&menu.top));
    menus_.HandleMenuDraw(nullptr, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
    EXPECT_EQ(canvas.Pixel(159, 0), GetSysColor(COLOR_MENU));
    EXPECT_NE(canvas.InkColumns(GetSysColor(COLOR_MENU), 24 + 4).first, -1) << "the text";
}

HWND FindMenuWindow()
{
    return FindWindowW(L"#32768", nullptr);
}

struct MenuShot {
    HWND owner = nullptr;
    std::wstring path;
    bool seen = false;
    bool closedByEsc = false;
};

// Waits for the open menu, takes its picture and presses Esc on it.
DWORD WINAPI ShootAndClose(void* param)
{
    auto* shot = static_cast<MenuShot*>(param);
    HWND window = nullptr;
    for (int i = 0; i < 500 && !(window && IsWindowVisible(window)); ++i) {
        Sleep(10);
        window = FindMenuWindow();
    }
    if (!window) return 0;
    shot->seen = true;
    Sleep(300);
    shot->path = SaveWindowScreenshot(window, L"app", L"movie-menu");
    PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
    for (int i = 0; i < 200 && IsWindowVisible(window); ++i) Sleep(10);
    shot->closedByEsc = !IsWindowVisible(window);
    // Never leave the test inside the menu's loop.
    if (!shot->closedByEsc) PostMessageW(shot->owner, WM_CANCELMODE, 0, 0);
    return 0;
}

// The movie menu as the user sees it: two movies selected, so that some items are greyed.
TEST_F(ContextMenuTest, OpenMovieMenuScreenshot)
{
    MenuOwnerWindow owner(&menus_);
    ASSERT_TRUE(owner.Get());
    MenuState state;
    state.currentMovie = 0;
    state.selectedMovies = 2;
    state.categoryTab = 4;
    state.players = {L"MPC-HC"};
    state.hasPlaydeck = true;
    ContextMenu_CL menu(menus_.menuImages.imageList);
    ASSERT_TRUE(menus_.BuildMovieMenu(menu, state));

    // The menu's own loop runs on this thread; a helper takes the picture and presses Esc.
    MenuShot shot;
    shot.owner = owner.Get();
    HANDLE helper = CreateThread(nullptr, 0, &ShootAndClose, &shot, 0, nullptr);
    ASSERT_TRUE(helper);
    SetForegroundWindow(owner.Get());
    TrackPopupMenu(menu.Menu(), TPM_RIGHTBUTTON, 40, 40, 0, owner.Get(), nullptr);
    WaitForSingleObject(helper, 10000);
    CloseHandle(helper);
    EXPECT_TRUE(shot.seen) << "the menu never showed";
    EXPECT_FALSE(shot.path.empty());
    EXPECT_TRUE(shot.closedByEsc) << "Esc closes the menu";
}

}  // namespace
