#include "app/menus/MainMenu.h"

#include "app/shell/MainWindow.h"
#include "core/album/SaveData.h"
#include "core/base/PathName.h"

namespace {

struct AppButton {
    int command;  // 0: a separator
    int image;
    const wchar_t* text;
};

const AppButton kAppButtons[] = {
    {0x9130, 11, L"アルバムデータの再読み込み"},
    {0, 0, nullptr},
    {0x9150, 20, L"重複の可能性のあるファイルを探す"},
    {0, 0, nullptr},
    {0x9110, 1, L"アルバム設定"},
    {0x9100, 8, L"アプリ設定"},
    {0x9120, 10, L"使い方"},
};

}  // namespace

MainMenu_CL::MainMenu_CL(MainWindow_CL* mainWindow, SaveData_CL* albumData, DispSettingData_CL* displaySettings)
    : mainWindow(mainWindow), albumData(albumData), displaySettings(displaySettings)
{
    for (REBARBANDINFOW& band : bands) {
        band = {};
        band.cbSize = sizeof(band);
        band.fMask = RBBIM_STYLE | RBBIM_SIZE | RBBIM_IDEALSIZE;
        band.fStyle = RBBS_CHILDEDGE;
        band.cx = 64;
    }
}

void MainMenu_CL::Create(HWND parent)
{
    ownerWindow = parent;
    const std::wstring folder = PathName_CL::GetModuleFolder();
    menuImages.LoadBitmapFile(folder + L"\\menu_image.bmp", kMenuImageWidth);

    rebar.Create(WS_EX_TOOLWINDOW, kReBarStyle, parent, GetModuleHandleW(nullptr), nullptr);
    if (!rebar.window) return;

    if (toolBar.Create(rebar.window, kAppToolBarStyle, kAppToolBarId)) {
        // The tool bar draws from the menu images but never owns them.
        HIMAGELIST replaced = reinterpret_cast<HIMAGELIST>(
            SendMessageW(toolBar.window, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(menuImages.imageList)));
        if (replaced && replaced != menuImages.imageList) ImageList_Destroy(replaced);
        int record = 0;
        for (const AppButton& button : kAppButtons) {
            ToolBarButtonRecord& slot = toolBar.records[static_cast<size_t>(record++)];
            if (button.command == 0) {
                slot.button.fsStyle = BTNS_SEP;
                toolBar.AddButton(&slot, nullptr);
                continue;
            }
            slot.button.idCommand = button.command;
            slot.button.iBitmap = button.image;
            slot.button.fsStyle = BTNS_AUTOSIZE;
            // The label given with the button makes the tool bar size its buttons for text;
            // set only afterwards, it would be cut off below the icons.
            slot.button.iString = reinterpret_cast<INT_PTR>(button.text);
            toolBar.AddButton(&slot, button.text);
        }
        rebar.toolBars.push_back(toolBar.window);
    }

    HWND browserToolBar = nullptr;
    HWND addressBar = nullptr;
    if (mainWindow) {
        BrowserBaseReelvault_CL& browser = mainWindow->GetBrowser();
        browserToolBar = browser.CreateToolBar(rebar.window);
        addressBar = browser.CreateAddressBar(rebar.window, folder + L"\\browser_search_image.bmp");
    }
    // A bar the pane does not have yet leaves its band without a child; the main window
    // inserts no such band.
    if (browserToolBar) PrepareToolBarBand(&bands[0], browserToolBar);
    if (toolBar.window) PrepareToolBarBand(&bands[1], toolBar.window);
    if (addressBar) PrepareToolBarBand(&bands[2], addressBar);
}

BOOL MainMenu_CL::HandleMenuDraw(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != WM_MEASUREITEM && msg != WM_DRAWITEM) return FALSE;
    return PopupMenu_CL::HandleOwnerDraw(window, msg, wParam, lParam) ? TRUE : FALSE;
}
