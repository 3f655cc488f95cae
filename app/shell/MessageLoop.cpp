#include "app/shell/MessageLoop.h"

#include "app/shell/MainWindow.h"
#include "core/ipc/MyPipeServer.h"
#include "ui/views/CategoryListWindow.h"
#include "ui/views/MovieListWindow.h"

namespace {

// The view under the pointer scrolls, not the one with the focus.
void RetargetWheel(MSG& msg, const MainWindow_CL& mainWindow)
{
    POINT cursor = {};
    GetCursorPos(&cursor);
    HWND under = WindowFromPoint(cursor);
    if (!under) return;
    const CategoryListWindow_CL* categoryList = mainWindow.GetCategoryListView();
    const MovieListWindow_CL* grid = mainWindow.GetMovieGrid();
    if (under == mainWindow.hwnd || (categoryList && under == categoryList->hwnd) || (grid && under == grid->hwnd))
        msg.hwnd = under;
}

}  // namespace

void FreeQueuedResponses(HWND window)
{
    MSG msg = {};
    while (PeekMessageW(&msg, window, WM_DECODE_RESPONSE, WM_DECODE_RESPONSE, PM_REMOVE))
        MyPipeServer_CL::TakeResponse(msg.lParam);
}

int RunMessageLoop(MainWindow_CL& mainWindow, HACCEL accelerators)
{
    MSG msg = {};
    BOOL got;
    while ((got = GetMessageW(&msg, nullptr, 0, 0)) != 0) {
        if (got == -1) break;
        if (accelerators && TranslateAcceleratorW(msg.hwnd, accelerators, &msg)) continue;
        if (msg.message == WM_MOUSEWHEEL) RetargetWheel(msg, mainWindow);
        if (msg.message == WM_KEYDOWN) mainWindow.OnDisplayKey(msg.wParam);
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return got == -1 ? -1 : static_cast<int>(msg.wParam);
}
