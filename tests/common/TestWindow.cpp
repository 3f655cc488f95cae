#include "TestWindow.h"

#include <commctrl.h>

#include <algorithm>

namespace {

const wchar_t kHostClass[] = L"ReelvaultTestHost";

void RegisterHostClass()
{
    static const ATOM atom = [] {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kHostClass;
        return RegisterClassExW(&windowClass);
    }();
    (void)atom;
}

constexpr DWORD kTopLevelStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

}  // namespace

void InitTestCommonControls()
{
    static const bool done = [] {
        INITCOMMONCONTROLSEX controls = {};
        controls.dwSize = sizeof(controls);
        controls.dwICC = ICC_WIN95_CLASSES | ICC_USEREX_CLASSES | ICC_BAR_CLASSES | ICC_COOL_CLASSES |
                         ICC_PROGRESS_CLASS | ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES;
        return InitCommonControlsEx(&controls) != FALSE;
    }();
    (void)done;
}

HWND TestHostWindow::TopLevel()
{
    static const HWND window = [] {
        InitTestCommonControls();
        RegisterHostClass();
        HWND created = CreateWindowExW(0, kHostClass, L"Reelvault test", kTopLevelStyle, 100, 100, 700, 560, nullptr,
                                       nullptr, GetModuleHandleW(nullptr), nullptr);
        ShowWindow(created, SW_SHOWNORMAL);
        UpdateWindow(created);
        return created;
    }();
    return window;
}

TestHostWindow::TestHostWindow(int clientWidth, int clientHeight, int x, int y)
{
    HWND top = TopLevel();
    if (IsIconic(top)) ShowWindow(top, SW_RESTORE);
    RECT needed = {0, 0, x + clientWidth, y + clientHeight};
    AdjustWindowRectEx(&needed, kTopLevelStyle, FALSE, 0);
    RECT current = {};
    GetWindowRect(top, &current);
    const int width = std::max<int>(current.right - current.left, needed.right - needed.left);
    const int height = std::max<int>(current.bottom - current.top, needed.bottom - needed.top);
    SetWindowPos(top, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    window_ = CreateWindowExW(0, kHostClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, x, y, clientWidth,
                              clientHeight, top, nullptr, GetModuleHandleW(nullptr), nullptr);
    UpdateWindow(window_);
}

TestHostWindow::~TestHostWindow()
{
    if (window_) DestroyWindow(window_);
    PumpMessages();
}

void PumpMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}
