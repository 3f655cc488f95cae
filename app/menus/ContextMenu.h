#pragma once
// One context menu for one TrackPopupMenu: the popup, the submenus its items open and the
// texts it formats, all kept alive until the menu has been tracked (the painter reads them
// while the menu shows).
#include <windows.h>
#include <commctrl.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "ui/widgets/PopupMenu.h"

class ContextMenu_CL {
public:
    // images: borrowed by every popup of the menu (may be null: no icons).
    explicit ContextMenu_CL(HIMAGELIST images) : images_(images) { top.imageList = images; }
    ~ContextMenu_CL();
    ContextMenu_CL(const ContextMenu_CL&) = delete;
    ContextMenu_CL& operator=(const ContextMenu_CL&) = delete;

    // A further popup for a submenu, or null when the system has no menu for it.
    PopupMenu_CL* AddSubmenu();
    // A copy of the text that lives as long as the menu.
    const wchar_t* KeepText(std::wstring text);

    // Appends one owner-drawn item; its item data is the popup that holds it, `icon` its
    // index in the images (-1: none), `submenu` attached before the item goes in.
    static void AddItem(PopupMenu_CL& popup, UINT id, int icon, const wchar_t* text, bool disabled,
                        PopupMenu_CL* submenu = nullptr);

    HMENU Menu() const { return top.menu; }

    PopupMenu_CL top;
    std::vector<std::unique_ptr<PopupMenu_CL>> submenus;

private:
    HIMAGELIST images_;
    std::deque<std::wstring> texts_;  // a deque: what it holds never moves
};
