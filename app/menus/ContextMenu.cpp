#include "app/menus/ContextMenu.h"

#include <cwchar>

ContextMenu_CL::~ContextMenu_CL()
{
    // Destroying the top menu destroys the submenus attached to it; their objects must not
    // destroy those handles a second time.
    if (top.menu) DestroyMenu(top.menu);
    top.menu = nullptr;
    for (std::unique_ptr<PopupMenu_CL>& submenu : submenus) {
        if (submenu->menu && !IsMenu(submenu->menu)) submenu->menu = nullptr;
    }
}

PopupMenu_CL* ContextMenu_CL::AddSubmenu()
{
    auto submenu = std::make_unique<PopupMenu_CL>();
    if (!submenu->CreatePopup()) return nullptr;
    submenu->imageList = images_;
    submenus.push_back(std::move(submenu));
    return submenus.back().get();
}

const wchar_t* ContextMenu_CL::KeepText(std::wstring text)
{
    texts_.push_back(std::move(text));
    return texts_.back().c_str();
}

void ContextMenu_CL::AddItem(PopupMenu_CL& popup, UINT id, int icon, const wchar_t* text, bool disabled,
                             PopupMenu_CL* submenu)
{
    MenuItemRecord* record = popup.ItemAt(static_cast<int>(popup.items.size()));
    if (!record) return;
    record->info.wID = id;
    record->info.dwTypeData = const_cast<wchar_t*>(text);
    record->info.cch = static_cast<UINT>(wcslen(text));
    record->info.fState = disabled ? MFS_GRAYED : MFS_ENABLED;
    record->info.hSubMenu = submenu ? submenu->menu : nullptr;
    record->info.dwItemData = reinterpret_cast<ULONG_PTR>(&popup);
    record->SetIconIndex(icon);
    InsertMenuItemW(popup.menu, static_cast<UINT>(GetMenuItemCount(popup.menu)), TRUE, &record->info);
}
