#include "app/shell/MovieListActionProgress.h"

#include "app/shell/MainWindow.h"

MovieListActionProgress_CL::MovieListActionProgress_CL(MainWindow_CL* mainWindowIn, uint32_t commandIn,
                                                       int backwardsIn, int allIn)
    : EasyProgress_CL(L"処理中", FALSE), mainWindow(mainWindowIn), command(commandIn), backwards(backwardsIn),
      all(allIn)
{
    startWorker = 1;
}

MovieListActionProgress_CL::~MovieListActionProgress_CL()
{
    // The worker calls Run and OnEnd of this object.
    Join();
}

INT_PTR MovieListActionProgress_CL::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    // Ended early, the dialog would give the main window back while the walk still edits its
    // movies, and the main window would then wait for a worker that may be sending to it.
    if (msg == WM_CLOSE && IsRunning()) return TRUE;
    return EasyProgress_CL::DialogProc(hwnd, msg, wParam, lParam);
}

void MovieListActionProgress_CL::Run(EasyThreadBase_CL*, uint32_t, uint32_t)
{
    if (mainWindow) mainWindow->ForEachListItem(this, command, backwards, all);
}

void MovieListActionProgress_CL::OnEnd(EasyThreadBase_CL*, uint32_t endStatus)
{
    Sleep(kClosePauseMs);
    EndDialog(window, static_cast<INT_PTR>(endStatus));
}
