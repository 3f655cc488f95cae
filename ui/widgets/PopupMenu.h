#pragma once
// A menu of owner-drawn items painted by one shared painter: the item text, split at its
// first tab into a left part and a right-aligned part (a shortcut, say), and an icon from
// a borrowed image list.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <vector>

// One item as the owner fills it in before InsertMenuItemW. hbmpItem carries the icon's
// index in the menu's image list (-1: no icon) rather than a bitmap; the mask leaves
// MIIM_BITMAP out, so the system never takes it for one.
struct MenuItemRecord {
    MENUITEMINFOW info;
    int32_t reserved;  // stays 0

    int IconIndex() const { return static_cast<int>(reinterpret_cast<INT_PTR>(info.hbmpItem)); }
    void SetIconIndex(int index) { info.hbmpItem = reinterpret_cast<HBITMAP>(static_cast<INT_PTR>(index)); }
};

// The background and text colours of a menu item in that owner-draw state (ODS_SELECTED,
// ODS_GRAYED).
void MenuItemColours(UINT itemState, COLORREF& background, COLORREF& text);

class PopupMenu_CL {
public:
    // MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA | MIIM_STRING | MIIM_FTYPE
    static constexpr UINT kItemMask = 0x167;
    // Room for an item text read back from the menu, terminator included.
    static constexpr int kItemTextLength = 260;
    // The right part of an item ends this far before the item's right edge.
    static constexpr int kRightTextInset = 24;

    PopupMenu_CL();
    virtual ~PopupMenu_CL();
    PopupMenu_CL(const PopupMenu_CL&) = delete;
    PopupMenu_CL& operator=(const PopupMenu_CL&) = delete;

    virtual HMENU CreatePopup();
    virtual HMENU CreateMenuBar();

    // The record at index; index == the record count appends a fresh owner-drawn record
    // first. Null for an index past that. The pointer stays valid until the next append.
    MenuItemRecord* ItemAt(int index);
    // The first record with this command id, or null.
    MenuItemRecord* FindItem(UINT commandId);
    const MenuItemRecord* FindItem(UINT commandId) const
    {
        return const_cast<PopupMenu_CL*>(this)->FindItem(commandId);
    }
    // Separators are inserted into the menu only; they get no record.
    void AppendSeparator();

    // The painter for WM_MEASUREITEM and WM_DRAWITEM of a window that owns such a menu.
    // Handles only menu items whose item data is their PopupMenu_CL; true when it did.
    static bool HandleOwnerDraw(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

    // The popup that an owner-drawn item's data names, when that popup is alive now; null
    // for any other value. These two messages reach a window from other windows and other
    // programs too, so item data is never taken for a popup before this says it is one.
    static PopupMenu_CL* FromItemData(ULONG_PTR itemData);

    HMENU menu = nullptr;
    std::vector<MenuItemRecord> items;
    HIMAGELIST imageList = nullptr;  // borrowed; may be null

private:
    bool Measure(HWND window, MEASUREITEMSTRUCT& measure) const;
    bool Draw(const DRAWITEMSTRUCT& draw);
};
