#include "ui/widgets/Tab.h"

#include <commctrl.h>

int Tab_CL::GetItemCount() const
{
    return static_cast<int>(SendMessageW(hwnd, TCM_GETITEMCOUNT, 0, 0));
}

void Tab_CL::InsertItem(const std::wstring& text, int image, int position, LPARAM param)
{
    TCITEMW item = {};
    item.mask = TCIF_TEXT | TCIF_IMAGE | TCIF_PARAM;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    item.iImage = image;
    item.lParam = param;
    if (position == -1) position = GetItemCount();
    SendMessageW(hwnd, TCM_INSERTITEMW, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(&item));
}

void Tab_CL::SetItem(const std::wstring& text, int position, LPARAM param)
{
    TCITEMW item = {};
    item.mask = TCIF_TEXT | TCIF_PARAM;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    item.lParam = param;
    SendMessageW(hwnd, TCM_SETITEMW, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(&item));
}

int Tab_CL::GetCurSel() const
{
    return static_cast<int>(SendMessageW(hwnd, TCM_GETCURSEL, 0, 0));
}
