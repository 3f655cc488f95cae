// A small program that hosts the browser pane as Reelvault's main window does: a top-level
// window with a status bar, the pane created in it, its tool bar. The tests copy it into a
// folder of their own with whichever WebView2 loader the case needs, since the loader is
// loaded only once per process.
//
//   PaneHost.exe LOG_PATH
//
// Writes the program log to LOG_PATH. Exit code: 1 when Create gave no host window, 2 when
// the view came, 3 when the host came but no view (after the start settled).
#include <windows.h>
#include <commctrl.h>

#include "browser/BrowserBaseReelvault.h"
#include "core/base/Log.h"
#include "ui/widgets/StatusBar.h"

namespace {

LRESULT CALLBACK HostProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, msg, wParam, lParam);
}

bool LogHas(const wchar_t* text)
{
    HANDLE file = CreateFileW(AppLog.path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::wstring content;
    wchar_t buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0)
        content.append(buffer, read / sizeof(wchar_t));
    CloseHandle(file);
    return content.find(text) != std::wstring::npos;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    if (__argc < 2) return 64;
    AppLog.path = __wargv[1];
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_COOL_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);

    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = HostProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = L"ReelvaultPaneHost";
    RegisterClassExW(&windowClass);
    HWND main = CreateWindowExW(0, L"ReelvaultPaneHost", L"Reelvault pane host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                50, 50, 800, 500, nullptr, nullptr, instance, nullptr);
    StatusBar_CL statusBar;
    statusBar.Create(main, 0x1102);

    int result = 1;
    {
        BrowserBaseReelvault_CL pane;
        HWND host = pane.Create(main, L"");
        pane.SetStatusBar(&statusBar);
        pane.CreateToolBar(main);
        if (host) {
            // The start settles with the view or with one of its failure lines.
            const ULONGLONG end = GetTickCount64() + 60000;
            while (!pane.view && GetTickCount64() < end && !LogHas(L"failed.")) {
                MSG message;
                while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                    TranslateMessage(&message);
                    DispatchMessageW(&message);
                }
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            }
            result = pane.view ? 2 : 3;
        }
        DestroyWindow(main);
    }
    CoUninitialize();
    return result;
}
