#include "ui/widgets/DialogFrame.h"

#include "core/base/HighDpiHelper.h"
#include "ui/widgets/SubClassDialogBase.h"

SIZE ScaleDialogSize(int width96, int height96)
{
    HighDpiHelper_CL dpi;
    dpi.QueryDpi();
    SIZE size = {width96, height96};
    if (!dpi.aware) {
        size.cx = MulDiv(width96, dpi.dpiX, 96);
        size.cy = MulDiv(height96, dpi.dpiY, 96);
    }
    return size;
}

void FrameDialog(HWND dialog, const std::wstring& caption, int width96, int height96, LONG_PTR removeStyle,
                 LONG_PTR addStyle)
{
    SetWindowTextW(dialog, caption.c_str());
    const SIZE size = ScaleDialogSize(width96, height96);
    MoveWindow(dialog, 0, 0, size.cx, size.cy, TRUE);
    const LONG_PTR style = GetWindowLongPtrW(dialog, GWL_STYLE);
    SetWindowLongPtrW(dialog, GWL_STYLE, (style & ~removeStyle) | addStyle);
    SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
}

void PlaceDialogOverOwner(HWND dialog)
{
    CenterWindow(GetParent(dialog), dialog);
    RECT rect = {};
    if (!GetWindowRect(dialog, &rect) || rect.top >= 0) return;
    SetWindowPos(dialog, nullptr, rect.left, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}
