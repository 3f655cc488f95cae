#pragma once
// Windows on the test display for controls and dialogs to live in. One top-level window is
// shared by the whole test program: Wine takes two seconds to take down a captioned window
// when no window manager runs, so each test gets a child panel of it instead.
#include <windows.h>

class TestHostWindow {
public:
    // A visible panel with that client size at (x, y) in the shared window, which grows to
    // hold it. Common controls are registered first.
    TestHostWindow(int clientWidth = 640, int clientHeight = 480, int x = 0, int y = 0);
    ~TestHostWindow();
    TestHostWindow(const TestHostWindow&) = delete;
    TestHostWindow& operator=(const TestHostWindow&) = delete;

    HWND Get() const { return window_; }
    // The shared top-level window, for what needs an owner.
    static HWND TopLevel();

private:
    HWND window_ = nullptr;
};

// Dispatches every message waiting for this thread.
void PumpMessages();

// Registers the common control classes once for the process.
void InitTestCommonControls();
