// The second start's part of the single-instance rule.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <thread>

#include "app/shell/SingleInstance.h"

namespace {

TEST(SingleInstance, RepeatedDuplicateStartWithinThirtySecondsOrFromTheFuture)
{
    const int64_t now = 1700000000;
    struct Case {
        int64_t last;
        bool expected;
    } cases[] = {
        {now - 10, true}, {now - 30, true}, {now - 31, false}, {now + 3600, true}, {-1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.last - now);
        EXPECT_EQ(IsRepeatedDuplicateStart(now, c.last), c.expected);
    }
}

// A first instance whose user-interface thread does not answer while hung: its window
// stays, its thread sleeps until released.
class HungWindowThread {
public:
    HungWindowThread()
    {
        thread_ = std::thread([this] { Run(); });
        while (!window_) Sleep(10);
    }
    ~HungWindowThread()
    {
        hang_ = false;
        stop_ = true;
        thread_.join();
    }
    HWND Window() const { return window_; }
    void Hang()
    {
        hang_ = true;
        while (!hanging_) Sleep(5);
    }
    void Release() { hang_ = false; }
    int Closes() const { return closes_; }
    // Waits up to two seconds for the WM_CLOSE to be handled.
    void WaitForClose()
    {
        for (int i = 0; i < 100 && closes_ == 0; ++i) Sleep(20);
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<HungWindowThread*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (msg == WM_CLOSE && self) {
            ++self->closes_;
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    void Run()
    {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = &Proc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"HungFirstInstance";
        RegisterClassExW(&windowClass);
        HWND hwnd = CreateWindowExW(0, windowClass.lpszClassName, L"hung", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                    nullptr, nullptr, windowClass.hInstance, nullptr);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ShowWindow(hwnd, SW_SHOWNOACTIVATE);
        window_ = hwnd;
        MSG msg;
        while (!stop_) {
            hanging_ = hang_.load();
            if (hang_) {
                Sleep(10);
                continue;
            }
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            Sleep(5);
        }
        DestroyWindow(hwnd);
    }

    std::thread thread_;
    std::atomic<HWND> window_{nullptr};
    std::atomic<bool> hang_{false};
    std::atomic<bool> hanging_{false};
    std::atomic<bool> stop_{false};
    std::atomic<int> closes_{0};
};

TEST(SingleInstance, RescueOfAHungFirstInstanceDoesNotWaitForItAndClosesItOnceResumed)
{
    HungWindowThread first;
    first.Hang();
    const ULONGLONG start = GetTickCount64();
    BringFirstInstanceForward(first.Window(), true);
    const ULONGLONG took = GetTickCount64() - start;
    // Calls that wait on the hung thread would not come back before it is released; the
    // bound is far above the 100 ms pause the rescue takes and far below a hang.
    EXPECT_LT(took, 5000u);
    EXPECT_EQ(first.Closes(), 0);
    first.Release();
    first.WaitForClose();
    EXPECT_EQ(first.Closes(), 1);
}

}  // namespace
