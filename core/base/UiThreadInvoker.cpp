#include "core/base/UiThreadInvoker.h"

#include "core/base/Log.h"
#include "core/base/ThreadMessages.h"

namespace {

const wchar_t* const kClassName = L"ReelvaultUiThreadInvoker";

}  // namespace

UiThreadInvoker_CL::UiThreadInvoker_CL() : ownerThread_(GetCurrentThreadId())
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    RegisterClassW(&windowClass);  // fails harmlessly when the class exists
    // A message-only window: it is never shown and never enumerated.
    window_ = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr),
                              nullptr);
    if (!window_) WriteLastErrorLog(L"CreateWindowEx()エラー = 0x%08x : %s");
}

UiThreadInvoker_CL::~UiThreadInvoker_CL()
{
    if (window_) DestroyWindow(window_);
}

bool UiThreadInvoker_CL::Invoke(const std::function<void()>& work) const
{
    if (GetCurrentThreadId() == ownerThread_) {
        work();
        return true;
    }
    if (!window_) return false;
    return SendMessageW(window_, WM_INVOKE, 0, reinterpret_cast<LPARAM>(&work)) == 1;
}

LRESULT CALLBACK UiThreadInvoker_CL::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_INVOKE) return DefWindowProcW(window, message, wParam, lParam);
    (*reinterpret_cast<const std::function<void()>*>(lParam))();
    return 1;
}
