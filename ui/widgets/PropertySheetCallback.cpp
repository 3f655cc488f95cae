#include "ui/widgets/PropertySheetCallback.h"

#include <commctrl.h>

int CALLBACK PropertySheetCallback(HWND sheet, UINT msg, LPARAM)
{
    if (msg != PSCB_INITIALIZED || !sheet) return 0;
    // The sheet's own procedure is kept in its GWLP_USERDATA, which the sheet leaves free.
    const LONG_PTR previous = GetWindowLongPtrW(sheet, GWLP_WNDPROC);
    SetWindowLongPtrW(sheet, GWLP_USERDATA, previous);
    SetWindowLongPtrW(sheet, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PropertySheetSubclassProc));
    return 0;
}

LRESULT CALLBACK PropertySheetSubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_SHOWWINDOW) {
        RECT sheet = {};
        RECT parent = {};
        if (GetWindowRect(hwnd, &sheet) && GetWindowRect(GetParent(hwnd), &parent)) {
            const int x = (sheet.left - sheet.right + parent.left + parent.right) / 2;
            const int y = (sheet.top - sheet.bottom + parent.top + parent.bottom) / 2;
            SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        }
    }
    const auto previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return previous ? CallWindowProcW(previous, hwnd, msg, wParam, lParam) : 0;
}
