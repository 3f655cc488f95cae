#pragma once
// The main window's command surface: the application tool bar in the rebar it shares with
// the browser pane's bars, and the painter of every owner-drawn popup menu.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ui/widgets/ImageList.h"
#include "ui/widgets/PopupMenu.h"
#include "ui/widgets/ReBer.h"
#include "ui/widgets/ToolBar.h"

class ContextMenu_CL;
class MainWindow_CL;
class SaveData_CL;
struct DispSettingData_CL;

constexpr int kAppToolBarId = 0x5000;
constexpr DWORD kAppToolBarStyle = 0x50000840;
constexpr DWORD kReBarStyle = 0x56008700;
constexpr int kMenuImageWidth = 24;

// What the context menus' rules read, taken when a menu opens.
struct MenuState {
    int32_t topCategory = 0;    // 0 all, 1 unset, 2 playlists, 3 favourite sites, 4.. the user's
    int32_t categoryTab = -1;   // the same numbering
    int32_t subCategory = -1;   // the current sub-category's position, -1 none
    int32_t currentMovie = -1;  // the current movie's position, -1 none
    int32_t sortTab = 0;        // 0: the browser view
    bool hasPlaydeck = false;   // the sibling player's command is known
    uint32_t selectedCategories = 0;
    uint32_t selectedMovies = 0;
    int32_t hoveredTag = -1;    // the tag under the mouse in the clicked movie's line, -1 none
    std::vector<std::wstring> players;
};

// The context menus a right click opens.
enum class ContextMenuKind { TopCategory, SubCategory, Movie };

class MainMenu_CL {
public:
    static constexpr int kBandCount = 8;

    MainMenu_CL(MainWindow_CL* mainWindow, SaveData_CL* albumData, DispSettingData_CL* displaySettings);
    virtual ~MainMenu_CL() = default;
    MainMenu_CL(const MainMenu_CL&) = delete;
    MainMenu_CL& operator=(const MainMenu_CL&) = delete;

    // The rebar, the application tool bar and the browser pane's bars; prepares bands 0
    // (browser tool bar), 1 (application tool bar) and 2 (address bar). The caller inserts
    // the bands.
    void Create(HWND parent);
    // Measures and draws the owner-drawn items of the popups alive now; every other
    // WM_MEASUREITEM and WM_DRAWITEM is left alone (FALSE).
    BOOL HandleMenuDraw(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

    // The context menus: built at the cursor position given, tracked for the owner window,
    // which receives the chosen item as WM_COMMAND.
    void ShowTopCategoryMenu(int x, int y, HWND owner);
    void ShowSubCategoryMenu(int x, int y, HWND owner);
    void ShowMovieMenu(int x, int y, HWND owner);
    void ShowFrameNumberMenu(int x, int y, HWND owner);
    // The menu at the mouse pointer, as a right click on its control opens it.
    void ShowAtCursor(ContextMenuKind kind, HWND owner);

    // The menus apart from tracking them; false when the system gave no menu.
    MenuState ReadMenuState() const;
    bool BuildTopCategoryMenu(ContextMenu_CL& menu, const MenuState& state) const;
    bool BuildSubCategoryMenu(ContextMenu_CL& menu, const MenuState& state) const;
    bool BuildMovieMenu(ContextMenu_CL& menu, const MenuState& state) const;
    bool BuildFrameNumberMenu(ContextMenu_CL& menu) const;

    HWND GetReBarWindow() const { return rebar.window; }
    HWND GetToolBarWindow() const { return toolBar.window; }
    HIMAGELIST GetMenuImages() const { return menuImages.imageList; }

    MainWindow_CL* mainWindow;
    SaveData_CL* albumData;
    DispSettingData_CL* displaySettings;
    ReBer_CL rebar;
    REBARBANDINFOW bands[kBandCount];
    ToolBar_CL toolBar;
    HWND ownerWindow = nullptr;
    ImageList_CL menuImages;
    PopupMenu_CL popupMenu;
};
