#include "ui/widgets/SubClassWindowBase.h"

#include "core/base/Log.h"

SubClassWindowBase_CL::~SubClassWindowBase_CL()
{
    // A window that outlives its object goes back to its own procedure.
    if (!window || !IsWindow(window)) return;
    if (reinterpret_cast<SubClassWindowBase_CL*>(GetWindowLongPtrW(window, GWLP_USERDATA)) != this) return;
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)) == &SubClassWindowBase_CL::StaticWndProc)
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousWndProc));
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
}

HWND SubClassWindowBase_CL::Create(DWORD exStyle, const wchar_t* className, const wchar_t* windowName, DWORD style,
                                   int x, int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                                   void* param)
{
    HWND created = CreateWindowExW(exStyle, className, windowName, style, x, y, width, height, parent, menu,
                                   instance, param);
    if (!created) WriteLastErrorLog(L"CreateWindowEx()エラー = 0x%08x : %s");
    window = created;
    Bind(created);
    return created;
}

void SubClassWindowBase_CL::Bind(HWND created)
{
    if (!created) return;
    window = created;
    SetWindowLongPtrW(created, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    previousWndProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(created, GWLP_WNDPROC));
    SetWindowLongPtrW(created, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubClassWindowBase_CL::StaticWndProc));
}

LRESULT CALLBACK SubClassWindowBase_CL::StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<SubClassWindowBase_CL*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return 0;
    try {
        return self->WndProc(hwnd, msg, wParam, lParam);
    } catch (...) {
        WriteLog(AppLog, L"window message 0x%x could not be handled", msg);
    }
    // The class's own procedure still owes the window its answer.
    return self->previousWndProc ? CallWindowProcW(self->previousWndProc, hwnd, msg, wParam, lParam) : 0;
}

LRESULT SubClassWindowBase_CL::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_DESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousWndProc));
        // Nothing reaches the object after this: later messages go to the class's procedure.
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        const LRESULT result = CallWindowProcW(previousWndProc, hwnd, msg, wParam, lParam);
        window = nullptr;
        return result;
    }
    return CallWindowProcW(previousWndProc, hwnd, msg, wParam, lParam);
}
