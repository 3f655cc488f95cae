#include "ui/widgets/ListView.h"

#include <commctrl.h>

void ListView_CL::AddColumn(const std::wstring& text, int width, int format)
{
    LVCOLUMNW column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = format;
    column.cx = width;
    column.pszText = const_cast<wchar_t*>(text.c_str());
    column.iSubItem = 0;
    SendMessageW(hwnd, LVM_INSERTCOLUMNW, static_cast<WPARAM>(nextColumn), reinterpret_cast<LPARAM>(&column));
    ++nextColumn;
}

void ListView_CL::SetCell(const std::wstring& text, int item, int subItem, int image, LPARAM param)
{
    LVITEMW cell = {};
    cell.iItem = item;
    cell.iSubItem = subItem;
    cell.pszText = const_cast<wchar_t*>(text.c_str());
    cell.iImage = image;
    if (subItem == 0) {
        cell.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
        cell.lParam = param;
        SendMessageW(hwnd, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&cell));
        return;
    }
    cell.mask = LVIF_TEXT | LVIF_IMAGE;
    SendMessageW(hwnd, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&cell));
}
