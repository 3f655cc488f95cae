#include "app/menus/MainMenu.h"

#include <algorithm>

#include "app/shell/MainWindow.h"
#include "core/album/SaveData.h"
#include "core/base/PathName.h"
#include "ui/widgets/Gdi.h"

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

// The text of the popup's own item with that id. Read by position: a look-up by command
// searches the submenus first and finds a deeper item of the same id ("サムネイル" opens
// a submenu whose first re-fetch item shares its id).
bool OwnItemText(const PopupMenu_CL& popup, UINT id, std::wstring& text)
{
    const int count = popup.menu ? GetMenuItemCount(popup.menu) : 0;
    for (int i = 0; i < count; ++i) {
        wchar_t buffer[PopupMenu_CL::kItemTextLength] = {};
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STRING;
        info.dwTypeData = buffer;
        info.cch = PopupMenu_CL::kItemTextLength;
        if (!GetMenuItemInfoW(popup.menu, static_cast<UINT>(i), TRUE, &info)) continue;
        if ((info.fType & MFT_SEPARATOR) || info.wID != id) continue;
        buffer[PopupMenu_CL::kItemTextLength - 1] = L'\0';
        text = buffer;
        return true;
    }
    return false;
}

bool IconSize(const PopupMenu_CL& popup, int& width, int& height)
{
    width = height = 0;
    return popup.imageList && ImageList_GetIconSize(popup.imageList, &width, &height);
}

// An item of an alive popup that is not in it is measured as nothing.
void MeasureMenuItem(const PopupMenu_CL& popup, HWND owner, MEASUREITEMSTRUCT& measure)
{
    std::wstring text;
    if (!OwnItemText(popup, measure.itemID, text)) return;
    SIZE extent = {};
    {
        WindowDc dc(owner);
        if (!dc.get()) return;
        SelectedObject font(dc.get(), GetStockObject(DEFAULT_GUI_FONT));
        GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
    }
    int width = extent.cx;
    int height = extent.cy + 1;
    int iconWidth, iconHeight;
    if (IconSize(popup, iconWidth, iconHeight)) {
        width = extent.cx + 4 + iconWidth;
        height = std::max(height, iconHeight + 1);
    }
    measure.itemWidth = static_cast<UINT>(width);
    measure.itemHeight = static_cast<UINT>(height);
}

void DrawMenuItem(const PopupMenu_CL& popup, const DRAWITEMSTRUCT& draw)
{
    std::wstring text;
    if (!OwnItemText(popup, draw.itemID, text)) return;
    const MenuItemRecord* record = popup.FindItem(draw.itemID);

    COLORREF back, fore;
    MenuItemColours(draw.itemState, back, fore);
    HDC dc = draw.hDC;
    const COLORREF oldBack = SetBkColor(dc, back);
    const COLORREF oldFore = SetTextColor(dc, fore);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &draw.rcItem, nullptr, 0, nullptr);
    const int oldMode = SetBkMode(dc, TRANSPARENT);

    RECT textRect = draw.rcItem;
    int iconWidth, iconHeight;
    const bool hasIcons = IconSize(popup, iconWidth, iconHeight);
    if (hasIcons) textRect.left += 4 + iconWidth;
    {
        SelectedObject font(dc, GetStockObject(DEFAULT_GUI_FONT));
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect, DT_SINGLELINE | DT_VCENTER);
    }
    if (hasIcons && record && record->IconIndex() != -1) {
        ImageList_DrawEx(popup.imageList, record->IconIndex(), dc, draw.rcItem.left, draw.rcItem.top, iconWidth,
                         iconHeight, back, fore, ILD_NORMAL);
    }
    SetBkMode(dc, oldMode);
    SetTextColor(dc, oldFore);
    SetBkColor(dc, oldBack);
}

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
    if ((msg != WM_MEASUREITEM && msg != WM_DRAWITEM) || !lParam) return FALSE;
    if (msg == WM_MEASUREITEM) {
        auto& measure = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measure.CtlType != ODT_MENU) return FALSE;
        const PopupMenu_CL* popup = PopupMenu_CL::FromItemData(measure.itemData);
        if (!popup) return FALSE;
        MeasureMenuItem(*popup, ownerWindow ? ownerWindow : window, measure);
        return TRUE;
    }
    const auto& draw = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (draw.CtlType != ODT_MENU) return FALSE;
    const PopupMenu_CL* popup = PopupMenu_CL::FromItemData(draw.itemData);
    if (popup) DrawMenuItem(*popup, draw);
    return FALSE;
}
