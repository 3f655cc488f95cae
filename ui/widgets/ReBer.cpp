#include "ui/widgets/ReBer.h"

#include <algorithm>

namespace {

// Room for a button text read back from a tool bar, terminator included.
constexpr int kButtonTextLength = 2048;

RECT ScreenItemRect(HWND toolBar, int index)
{
    RECT rect = {};
    SendMessageW(toolBar, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
    MapWindowPoints(toolBar, HWND_DESKTOP, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool Contains(const RECT& outer, const RECT& inner)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

}  // namespace

ReBer_CL::ReBer_CL() : barInfo{} {}

HWND ReBer_CL::Create(DWORD exStyle, DWORD style, HWND parent, HINSTANCE instance, void* param)
{
    HWND rebar = SubClassWindowBase_CL::Create(exStyle, REBARCLASSNAMEW, nullptr, style, 0, 0, 0, 0, parent, nullptr,
                                               instance, param);
    if (!rebar) return nullptr;
    SendMessageW(rebar, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    barInfo = {};
    barInfo.cbSize = sizeof(barInfo);
    if (imagePath && imageList.LoadBitmapFile(imagePath, imageWidth)) {
        barInfo.fMask |= RBIM_IMAGELIST;
        barInfo.himl = imageList.imageList;
    }
    SendMessageW(rebar, RB_SETBARINFO, 0, reinterpret_cast<LPARAM>(&barInfo));
    return rebar;
}

LRESULT ReBer_CL::HandleParentMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg < WM_SIZE || msg > WM_NOTIFY) return 0;
    switch (msg) {
    case WM_SIZE:
        SendMessageW(window, WM_SIZE, wParam, lParam);
        return 0;
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
        // The owner's menu painter draws the chevron menu; nothing of the rebar is owner-drawn.
        return 1;
    case WM_NOTIFY:
        if (!lParam) return 0;
        return OnNotify(hwnd, *reinterpret_cast<const NMHDR*>(lParam));
    default:
        return 0;
    }
}

bool ReBer_CL::IsOurs(HWND sender) const
{
    return sender && (sender == window || std::find(toolBars.begin(), toolBars.end(), sender) != toolBars.end());
}

LRESULT ReBer_CL::OnNotify(HWND hwnd, const NMHDR& header)
{
    if (!IsOurs(header.hwndFrom)) return 0;
    switch (header.code) {
    case RBN_CHEVRONPUSHED: {
        const auto& chevron = reinterpret_cast<const NMREBARCHEVRON&>(header);
        REBARBANDINFOW band = {};
        band.cbSize = sizeof(band);
        band.fMask = RBBIM_CHILD | RBBIM_LPARAM | RBBIM_HEADERSIZE;
        SendMessageW(window, RB_GETBANDINFOW, chevron.uBand, reinterpret_cast<LPARAM>(&band));
        RECT bandRect = {};
        SendMessageW(window, RB_GETRECT, chevron.uBand, reinterpret_cast<LPARAM>(&bandRect));
        MapWindowPoints(window, HWND_DESKTOP, reinterpret_cast<POINT*>(&bandRect), 2);
        ShowChevronMenu(band.hwndChild, CountHiddenButtons(chevron.uBand), {bandRect.right - 10, bandRect.bottom});
        return 1;
    }
    case RBN_HEIGHTCHANGE: {
        RECT client = {};
        GetClientRect(hwnd, &client);
        const LPARAM size = MAKELPARAM(client.right, client.bottom);
        if (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_MAXIMIZE) {
            SendMessageW(hwnd, WM_SIZE, SIZE_MAXIMIZED, size);
        } else {
            SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, size);
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        UpdateWindow(hwnd);
        InvalidateRect(window, nullptr, TRUE);
        return 0;
    }
    case TBN_DROPDOWN: {
        const auto& dropDown = reinterpret_cast<const NMTOOLBARW&>(header);
        HWND toolBar = header.hwndFrom;
        RECT rect = {};
        SendMessageW(toolBar, TB_GETRECT, static_cast<WPARAM>(dropDown.iItem), reinterpret_cast<LPARAM>(&rect));
        TBBUTTONINFOW info = {};
        info.cbSize = sizeof(info);
        info.dwMask = TBIF_COMMAND;
        SendMessageW(toolBar, TB_GETBUTTONINFOW, static_cast<WPARAM>(dropDown.iItem), reinterpret_cast<LPARAM>(&info));
        MapWindowPoints(toolBar, HWND_DESKTOP, reinterpret_cast<POINT*>(&rect), 2);
        if (dropDownMenu) dropDownMenu->ShowDropDownMenu(info.idCommand, kMenuFlags, rect.left, rect.bottom, GetParent(window));
        return 0;
    }
    default:
        return 0;
    }
}

int ReBer_CL::CountHiddenButtons(UINT band) const
{
    REBARBANDINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = RBBIM_CHILD;
    if (!SendMessageW(window, RB_GETBANDINFOW, band, reinterpret_cast<LPARAM>(&info)) || !info.hwndChild) return 0;
    RECT bandRect = {};
    if (!SendMessageW(window, RB_GETRECT, band, reinterpret_cast<LPARAM>(&bandRect))) return 0;
    MapWindowPoints(window, HWND_DESKTOP, reinterpret_cast<POINT*>(&bandRect), 2);
    const int count = static_cast<int>(SendMessageW(info.hwndChild, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        if (!Contains(bandRect, ScreenItemRect(info.hwndChild, i))) return count - i;
    }
    return 0;
}

std::unique_ptr<PopupMenu_CL> ReBer_CL::BuildChevronMenu(HWND toolBar, int hidden) const
{
    if (hidden < 1) return nullptr;
    auto menu = std::make_unique<PopupMenu_CL>();
    if (!menu->CreatePopup()) return nullptr;
    // The buttons' image indices mean something only in the tool bar's own list.
    menu->imageList = reinterpret_cast<HIMAGELIST>(SendMessageW(toolBar, TB_GETIMAGELIST, 0, 0));
    const int count = static_cast<int>(SendMessageW(toolBar, TB_BUTTONCOUNT, 0, 0));
    for (int i = std::max(count - hidden, 0); i < count; ++i) {
        TBBUTTON button = {};
        if (!SendMessageW(toolBar, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button))) continue;
        if (button.fsStyle & BTNS_SEP) {
            menu->AppendSeparator();
            continue;
        }
        wchar_t text[kButtonTextLength] = {};
        TBBUTTONINFOW info = {};
        info.cbSize = sizeof(info);
        info.dwMask = TBIF_BYINDEX | TBIF_TEXT;
        info.pszText = text;
        info.cchText = kButtonTextLength;
        SendMessageW(toolBar, TB_GETBUTTONINFOW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&info));
        text[kButtonTextLength - 1] = L'\0';

        MenuItemRecord* record = menu->ItemAt(static_cast<int>(menu->items.size()));
        record->info.wID = static_cast<UINT>(button.idCommand);
        record->info.dwItemData = reinterpret_cast<ULONG_PTR>(menu.get());
        record->info.dwTypeData = text;
        record->SetIconIndex(button.iBitmap);
        if (button.fsState & TBSTATE_INDETERMINATE) record->info.fState |= MFS_GRAYED;
        if (button.fsState & TBSTATE_MARKED) record->info.fState |= MFS_CHECKED;
        InsertMenuItemW(menu->menu, static_cast<UINT>(GetMenuItemCount(menu->menu)), TRUE, &record->info);
        // The menu keeps its own copy of the text; the buffer goes with this iteration.
        record->info.dwTypeData = nullptr;
    }
    return menu;
}

void ReBer_CL::ShowChevronMenu(HWND toolBar, int hidden, POINT at)
{
    std::unique_ptr<PopupMenu_CL> menu = BuildChevronMenu(toolBar, hidden);
    if (!menu) return;
    // Owned by the parent, so the chosen command reaches it as WM_COMMAND.
    TrackPopupMenu(menu->menu, kMenuFlags, at.x, at.y, 0, GetParent(window), nullptr);
}
