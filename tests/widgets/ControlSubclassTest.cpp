#include <gtest/gtest.h>

#include <windows.h>

#include "tests/common/TestWindow.h"
#include "ui/widgets/ControlBase.h"
#include "ui/widgets/SubClass.h"
#include "ui/widgets/SubClassWindowBase.h"

namespace {

// The window procedure a control had before it was subclassed: it counts what reaches it.
struct PreviousProcLog {
    int paints = 0;
    int userMessages = 0;
    int destroys = 0;
    int ncDestroys = 0;
    WNDPROC procAtNcDestroy = nullptr;
};
PreviousProcLog g_previous;

const UINT kProbeMessage = WM_APP + 7;

LRESULT CALLBACK CountingProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT:
        ++g_previous.paints;
        break;
    case kProbeMessage:
        ++g_previous.userMessages;
        return 55;
    case WM_DESTROY:
        ++g_previous.destroys;
        break;
    case WM_NCDESTROY:
        ++g_previous.ncDestroys;
        g_previous.procAtNcDestroy = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
        break;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

const wchar_t kCountingClass[] = L"ReelvaultCountingControl";

HWND CreateCountingWindow(HWND parent)
{
    static const ATOM atom = [] {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = CountingProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kCountingClass;
        return RegisterClassExW(&windowClass);
    }();
    (void)atom;
    return CreateWindowExW(0, kCountingClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, parent, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

struct HandlerLog {
    void* owner = nullptr;
    int destroys = 0;
};

// The owner's handler: keeps WM_PAINT from the control's own procedure, answers WM_DESTROY.
LRESULT CALLBACK OwnerHandler(HWND window, UINT msg, WPARAM, LPARAM)
{
    auto* control = reinterpret_cast<ControlBase_CL*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    auto* log = static_cast<HandlerLog*>(control->handlerOwner);
    log->owner = control->handlerOwner;
    if (msg == WM_PAINT) {
        ValidateRect(window, nullptr);
        control->handled = 1;
        return 77;
    }
    if (msg == WM_DESTROY) {
        ++log->destroys;
        return 99;
    }
    return 0;
}

TEST(ControlSubclass, HandledFlagHoldsForOneMessageAndDestroyRestoresTheProcedure)
{
    g_previous = {};
    TestHostWindow host;
    HandlerLog log;
    ControlBase_CL control;
    control.hwnd = CreateCountingWindow(host.Get());
    ASSERT_NE(control.hwnd, nullptr);
    control.Subclass(&log, OwnerHandler);
    EXPECT_EQ(control.previousWndProc, &CountingProc);

    EXPECT_EQ(SendMessageW(control.hwnd, WM_PAINT, 0, 0), 77);
    EXPECT_EQ(g_previous.paints, 0);
    EXPECT_EQ(log.owner, &log);
    // The flag was cleared before this one: the previous procedure answers.
    EXPECT_EQ(SendMessageW(control.hwnd, kProbeMessage, 0, 0), 55);
    EXPECT_EQ(g_previous.userMessages, 1);

    DestroyWindow(control.hwnd);
    EXPECT_EQ(log.destroys, 1);
    EXPECT_EQ(g_previous.destroys, 0);
    EXPECT_EQ(g_previous.ncDestroys, 1);
    EXPECT_EQ(g_previous.procAtNcDestroy, &CountingProc);
    control.hwnd = nullptr;
}

TEST(ControlSubclass, WithoutHandlerTheBaseAnswersZeroAndPassesOn)
{
    g_previous = {};
    TestHostWindow host;
    ControlBase_CL control;
    control.hwnd = CreateCountingWindow(host.Get());
    control.Subclass(nullptr, nullptr);
    EXPECT_EQ(SendMessageW(control.hwnd, kProbeMessage, 0, 0), 55);
    EXPECT_EQ(g_previous.userMessages, 1);
    EXPECT_EQ(control.HandleMessage(control.hwnd, kProbeMessage, 0, 0), 0);
}

TEST(ControlSubclass, AWindowOutlivingItsObjectGetsItsProcedureBack)
{
    g_previous = {};
    TestHostWindow host;
    HandlerLog log;
    HWND window = CreateCountingWindow(host.Get());
    {
        ControlBase_CL control;
        control.hwnd = window;
        control.Subclass(&log, OwnerHandler);
    }
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)), &CountingProc);
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_USERDATA), 0);
    EXPECT_EQ(SendMessageW(window, kProbeMessage, 0, 0), 55);
    DestroyWindow(window);
    EXPECT_EQ(log.destroys, 0);
    EXPECT_EQ(g_previous.destroys, 1);
}

// The same rules for a window owned by someone else, hooked through a SubClass_CL member.
LRESULT CALLBACK MemberHookHandler(HWND window, UINT msg, WPARAM, LPARAM)
{
    auto* hook = reinterpret_cast<SubClass_CL*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    auto* log = static_cast<HandlerLog*>(hook->owner);
    log->owner = hook->owner;
    if (msg == WM_PAINT) {
        ValidateRect(window, nullptr);
        hook->handled = 1;
        return 77;
    }
    if (msg == WM_DESTROY) ++log->destroys;
    return msg == WM_DESTROY ? 99 : 0;
}

TEST(ControlSubclass, MemberHookKeepsHandledMessagesAndWmDestroyFromThePreviousProcedure)
{
    g_previous = {};
    TestHostWindow host;
    HandlerLog log;
    SubClass_CL hook;
    HWND window = CreateCountingWindow(host.Get());
    ASSERT_NE(window, nullptr);
    hook.Subclass(window, &log, MemberHookHandler);
    EXPECT_EQ(hook.previousWndProc, &CountingProc);

    EXPECT_EQ(SendMessageW(window, WM_PAINT, 0, 0), 77);
    EXPECT_EQ(g_previous.paints, 0);
    EXPECT_EQ(log.owner, &log);
    EXPECT_EQ(SendMessageW(window, kProbeMessage, 0, 0), 55);
    EXPECT_EQ(g_previous.userMessages, 1);

    // The handler's answer comes back, and the previous procedure is in place again.
    EXPECT_EQ(SendMessageW(window, WM_DESTROY, 0, 0), 99);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)), &CountingProc);
    EXPECT_EQ(g_previous.destroys, 0);
    DestroyWindow(window);
    EXPECT_EQ(log.destroys, 1);
    EXPECT_EQ(g_previous.destroys, 1);
    EXPECT_EQ(g_previous.ncDestroys, 1);
}

// A wrapped window class: swallows WM_PAINT itself and counts its WM_DESTROY.
class PaintSwallowingWindow : public SubClassWindowBase_CL {
public:
    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_PAINT) {
            ValidateRect(hwnd, nullptr);
            return 77;
        }
        if (msg == WM_DESTROY) ++destroys;
        return SubClassWindowBase_CL::WndProc(hwnd, msg, wParam, lParam);
    }
    int destroys = 0;
};

TEST(ControlSubclass, WindowBasePassesWmDestroyOnAfterRestoringTheProcedure)
{
    g_previous = {};
    TestHostWindow host;
    CreateCountingWindow(host.Get());  // registers the class
    PaintSwallowingWindow wrapped;
    HWND window = wrapped.Create(0, kCountingClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, host.Get(), nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(wrapped.window, window);
    EXPECT_EQ(wrapped.previousWndProc, &CountingProc);

    EXPECT_EQ(SendMessageW(window, WM_PAINT, 0, 0), 77);
    EXPECT_EQ(g_previous.paints, 0);
    EXPECT_EQ(SendMessageW(window, kProbeMessage, 0, 0), 55);

    DestroyWindow(window);
    EXPECT_EQ(wrapped.destroys, 1);
    EXPECT_EQ(g_previous.destroys, 1);
    EXPECT_EQ(g_previous.procAtNcDestroy, &CountingProc);
    EXPECT_EQ(wrapped.window, nullptr);
}

TEST(ControlSubclass, WrappedWindowOutlivingItsObjectGetsItsProcedureBack)
{
    g_previous = {};
    TestHostWindow host;
    CreateCountingWindow(host.Get());
    HWND window = nullptr;
    {
        PaintSwallowingWindow wrapped;
        window = wrapped.Create(0, kCountingClass, L"", WS_CHILD, 0, 0, 50, 50, host.Get(), nullptr,
                                GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
    }
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)), &CountingProc);
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_USERDATA), 0);
    SendMessageW(window, WM_PAINT, 0, 0);
    EXPECT_EQ(g_previous.paints, 1);
    DestroyWindow(window);
}

}  // namespace
