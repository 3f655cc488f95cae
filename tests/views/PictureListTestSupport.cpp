#include "tests/views/PictureListTestSupport.h"

namespace {

const wchar_t kRecorderClass[] = L"ReelvaultNotifyRecorder";

}  // namespace

NotifyRecorder::NotifyRecorder(HWND host, int width, int height)
{
    static const ATOM atom = [] {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = &NotifyRecorder::WndProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = kRecorderClass;
        return RegisterClassExW(&windowClass);
    }();
    (void)atom;
    window_ = CreateWindowExW(0, kRecorderClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, width, height,
                              host, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

NotifyRecorder::~NotifyRecorder()
{
    if (!window_) return;
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
}

LRESULT CALLBACK NotifyRecorder::WndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<NotifyRecorder*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && msg == WM_NOTIFY) {
        const auto* notify = reinterpret_cast<const PictureListNotify*>(lParam);
        const bool focusNotice = notify->hdr.code == static_cast<UINT>(NM_SETFOCUS) ||
                                 notify->hdr.code == static_cast<UINT>(NM_KILLFOCUS);
        if (!focusNotice || self->keepFocusNotices) self->notifies.push_back(*notify);
        return 0;
    }
    if (self && (msg >= WM_USER || msg == WM_DROPFILES)) self->others.push_back({msg, wParam, lParam});
    return DefWindowProcW(window, msg, wParam, lParam);
}
