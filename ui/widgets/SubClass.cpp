#include "ui/widgets/SubClass.h"

#include "core/base/Log.h"

SubClass_CL::~SubClass_CL()
{
    // A window that outlives its owner must not reach this object any more.
    if (!window_ || !IsWindow(window_)) return;
    if (reinterpret_cast<SubClass_CL*>(GetWindowLongPtrW(window_, GWLP_USERDATA)) != this) return;
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window_, GWLP_WNDPROC)) == &SubClass_CL::StaticWndProc)
        SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousWndProc));
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
}

LRESULT SubClass_CL::HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return handler ? handler(hwnd, msg, wParam, lParam) : 0;
}

void SubClass_CL::Subclass(HWND target, void* handlerOwner, WNDPROC messageHandler)
{
    handler = messageHandler;
    owner = handlerOwner;
    if (!target) return;
    window_ = target;
    SetWindowLongPtrW(target, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    previousWndProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(target, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubClass_CL::StaticWndProc)));
}

LRESULT CALLBACK SubClass_CL::StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<SubClass_CL*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return 0;
    self->handled = 0;
    LRESULT result = 0;
    try {
        result = self->HandleMessage(hwnd, msg, wParam, lParam);
    } catch (...) {
        WriteLog(AppLog, L"subclassed window message 0x%x could not be handled", msg);
        self->handled = 0;
    }
    if (msg == WM_DESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(self->previousWndProc));
        self->window_ = nullptr;
        return result;
    }
    if (self->handled) return result;
    return CallWindowProcW(self->previousWndProc, hwnd, msg, wParam, lParam);
}
