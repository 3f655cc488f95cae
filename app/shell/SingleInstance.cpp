#include "app/shell/SingleInstance.h"

#include "app/shell/MainWindow.h"
#include "core/base/Inifile.h"
#include "core/base/Log.h"

bool IsRepeatedDuplicateStart(int64_t now, int64_t lastDuplicateTime)
{
    const int64_t since = now - lastDuplicateTime;
    return since < 0 || since <= kDuplicateStartWindowSeconds;
}

void BringFirstInstanceForward(HWND found, bool closeIt)
{
    // A hung first instance must not hang this one too: every call here either posts or
    // returns without waiting for the window's thread.
    if (IsIconic(found)) ShowWindowAsync(found, SW_SHOWNOACTIVATE);
    const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_ASYNCWINDOWPOS;
    SetWindowPos(found, HWND_TOPMOST, 0, 0, 0, 0, flags);
    Sleep(100);
    SetWindowPos(found, HWND_NOTOPMOST, 0, 0, 0, 0, flags);
    if (closeIt) PostMessageW(found, WM_CLOSE, 0, 0);
}

void HandleDuplicateStart(const Inifile_CL& programIni, int64_t now, int64_t lastDuplicateTime)
{
    HWND found = FindWindowW(kMainWindowClass, kMainWindowTitle);
    if (!found) return;
    WriteLog(AppLog, L"多重起動でした。");
    const bool closeIt = IsRepeatedDuplicateStart(now, lastDuplicateTime);
    if (closeIt) WriteLog(AppLog, L"★30秒以内の多重起動を検出しました。");
    BringFirstInstanceForward(found, closeIt);
    if (closeIt) programIni.DeleteKey(L"WINDOW", L"rect");
    programIni.WriteHex64(now, L"WINDOW", L"lastDuplicateTime");
}
