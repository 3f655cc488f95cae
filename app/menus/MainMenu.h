#pragma once
// The main window's command surface: the application tool bar in the rebar it shares with
// the browser pane's bars, and the painter of every owner-drawn popup menu.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "ui/widgets/ImageList.h"
#include "ui/widgets/PopupMenu.h"
#include "ui/widgets/ReBer.h"
#include "ui/widgets/ToolBar.h"

class MainWindow_CL;
class SaveData_CL;
struct DispSettingData_CL;

constexpr int kAppToolBarId = 0x5000;
constexpr DWORD kAppToolBarStyle = 0x50000840;
constexpr DWORD kReBarStyle = 0x56008700;
constexpr int kMenuImageWidth = 24;

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
    // Measures and draws the owner-drawn items of the popups built with the menu images.
    BOOL HandleMenuDraw(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

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
