#include "ui/widgets/PopupMenu.h"

#include <algorithm>
#include <set>
#include <string>

#include "core/base/CriticalSection.h"

#include "ui/widgets/Gdi.h"

namespace {

struct SplitText {
    std::wstring left;
    std::wstring right;
};

// At the first tab: the left part before it, the right part after it.
SplitText SplitAtTab(const wchar_t* text)
{
    const std::wstring whole(text);
    const size_t tab = whole.find(L'\t');
    if (tab == std::wstring::npos) return {whole, std::wstring()};
    return {whole.substr(0, tab), whole.substr(tab + 1)};
}

bool ReadItem(HMENU menu, UINT commandId, wchar_t (&text)[PopupMenu_CL::kItemTextLength], MENUITEMINFOW& info)
{
    text[0] = L'\0';
    info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING | MIIM_BITMAP | MIIM_FTYPE;
    info.dwTypeData = text;
    info.cch = PopupMenu_CL::kItemTextLength;
    if (!menu || !GetMenuItemInfoW(menu, commandId, FALSE, &info)) return false;
    text[PopupMenu_CL::kItemTextLength - 1] = L'\0';
    return true;
}

bool IconSize(HIMAGELIST imageList, int& width, int& height)
{
    width = height = 0;
    return imageList && ImageList_GetIconSize(imageList, &width, &height);
}

// Every popup alive now, by address; menus are made on more than one thread (dialogs of
// worker-driven windows, tests).
struct LivePopups {
    CriticalSection_CL lock;
    std::set<const PopupMenu_CL*> popups;
};

LivePopups& Live()
{
    static LivePopups live;
    return live;
}

}  // namespace

void MenuItemColours(UINT itemState, COLORREF& background, COLORREF& text)
{
    const bool selected = (itemState & ODS_SELECTED) != 0;
    const bool grayed = (itemState & ODS_GRAYED) != 0;
    background = GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_MENU);
    text = selected ? GetSysColor(grayed ? COLOR_GRAYTEXT : COLOR_HIGHLIGHTTEXT)
                    : GetSysColor(grayed ? COLOR_BTNSHADOW : COLOR_MENUTEXT);
}

PopupMenu_CL::PopupMenu_CL()
{
    LivePopups& live = Live();
    CriticalSection_CL::Lock_CL hold(live.lock);
    live.popups.insert(this);
}

PopupMenu_CL::~PopupMenu_CL()
{
    {
        LivePopups& live = Live();
        CriticalSection_CL::Lock_CL hold(live.lock);
        live.popups.erase(this);
    }
    if (menu) DestroyMenu(menu);
}

PopupMenu_CL* PopupMenu_CL::FromItemData(ULONG_PTR itemData)
{
    LivePopups& live = Live();
    CriticalSection_CL::Lock_CL hold(live.lock);
    // Compared as an address only: the value is not read through before it is known.
    auto found = live.popups.find(reinterpret_cast<const PopupMenu_CL*>(itemData));
    return found == live.popups.end() ? nullptr : const_cast<PopupMenu_CL*>(*found);
}

HMENU PopupMenu_CL::CreatePopup()
{
    menu = CreatePopupMenu();
    return menu;
}

HMENU PopupMenu_CL::CreateMenuBar()
{
    menu = CreateMenu();
    return menu;
}

MenuItemRecord* PopupMenu_CL::ItemAt(int index)
{
    if (index < 0 || static_cast<size_t>(index) > items.size()) return nullptr;
    if (static_cast<size_t>(index) == items.size()) {
        MenuItemRecord fresh = {};
        fresh.info.cbSize = sizeof(fresh.info);
        fresh.info.fMask = kItemMask;
        fresh.info.fType = MFT_OWNERDRAW;
        items.push_back(fresh);
    }
    return &items[static_cast<size_t>(index)];
}

MenuItemRecord* PopupMenu_CL::FindItem(UINT commandId)
{
    auto found = std::find_if(items.begin(), items.end(),
                              [commandId](const MenuItemRecord& item) { return item.info.wID == commandId; });
    return found == items.end() ? nullptr : &*found;
}

void PopupMenu_CL::AppendSeparator()
{
    MENUITEMINFOW separator = {};
    separator.cbSize = sizeof(separator);
    separator.fMask = kItemMask;
    separator.fType = MFT_SEPARATOR;
    InsertMenuItemW(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &separator);
}

bool PopupMenu_CL::HandleOwnerDraw(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!lParam) return false;
    if (msg == WM_MEASUREITEM) {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measure->CtlType != ODT_MENU) return false;
        PopupMenu_CL* self = FromItemData(measure->itemData);
        if (!self) return false;
        return self->Measure(window, *measure);
    }
    if (msg == WM_DRAWITEM) {
        auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (draw->CtlType != ODT_MENU) return false;
        PopupMenu_CL* self = FromItemData(draw->itemData);
        if (!self) return false;
        return self->Draw(*draw);
    }
    return false;
}

bool PopupMenu_CL::Measure(HWND window, MEASUREITEMSTRUCT& measure) const
{
    wchar_t text[kItemTextLength];
    MENUITEMINFOW info;
    if (!ReadItem(menu, measure.itemID, text, info)) return false;

    SIZE extent = {};
    {
        WindowDc dc(window);
        if (!dc.get()) return false;
        SelectedObject font(dc.get(), GetStockObject(DEFAULT_GUI_FONT));
        const std::wstring left = SplitAtTab(text).left;
        GetTextExtentPoint32W(dc.get(), left.c_str(), static_cast<int>(left.size()), &extent);
    }
    // The margin leaves room for a short right part (a key name) after the left text.
    int width = extent.cx + 48;
    int height = extent.cy + 1;
    int iconWidth, iconHeight;
    if (IconSize(imageList, iconWidth, iconHeight)) {
        width += iconWidth + 4;
        height = std::max(height, iconHeight + 1);
    }
    measure.itemWidth = static_cast<UINT>(width);
    measure.itemHeight = static_cast<UINT>(height);
    return true;
}

bool PopupMenu_CL::Draw(const DRAWITEMSTRUCT& draw)
{
    // An item without a record is drawn without an icon.
    const MenuItemRecord* record = FindItem(draw.itemID);
    wchar_t text[kItemTextLength];
    MENUITEMINFOW info;
    if (!ReadItem(menu, draw.itemID, text, info)) return false;

    COLORREF back, fore;
    MenuItemColours(draw.itemState, back, fore);
    HDC dc = draw.hDC;
    const COLORREF oldBack = SetBkColor(dc, back);
    const COLORREF oldFore = SetTextColor(dc, fore);
    const int oldMode = SetBkMode(dc, TRANSPARENT);

    RECT textRect = draw.rcItem;
    int iconWidth, iconHeight;
    const bool hasIcons = IconSize(imageList, iconWidth, iconHeight);
    if (hasIcons) textRect.left += iconWidth + 4;
    {
        SelectedObject font(dc, GetStockObject(DEFAULT_GUI_FONT));
        ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &draw.rcItem, nullptr, 0, nullptr);
        const SplitText parts = SplitAtTab(text);
        DrawTextW(dc, parts.left.c_str(), static_cast<int>(parts.left.size()), &textRect,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        textRect.right -= kRightTextInset;
        DrawTextW(dc, parts.right.c_str(), static_cast<int>(parts.right.size()), &textRect,
                  DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    }
    if (hasIcons && record && record->IconIndex() != -1) {
        ImageList_DrawEx(imageList, record->IconIndex(), dc, draw.rcItem.left, draw.rcItem.top, iconWidth,
                         iconHeight, back, fore, ILD_NORMAL);
    }
    SetBkMode(dc, oldMode);
    SetTextColor(dc, oldFore);
    SetBkColor(dc, oldBack);
    return true;
}
