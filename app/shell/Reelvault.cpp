// Reelvault's entry point: the data folder, the log, the single-instance rule, the main
// window and the message loop.
#include <windows.h>
#include <commctrl.h>
#include <gdiplus.h>
#include <ole2.h>

#include <ctime>

#include "app/shell/MainWindow.h"
#include "app/shell/MessageLoop.h"
#include "app/shell/SingleInstance.h"
#include "core/album/AlbumData.h"
#include "core/album/SaveData.h"
#include "core/base/Inifile.h"
#include "core/base/Log.h"

namespace {

BOOL CALLBACK LogMonitorInfo(HMONITOR monitor, HDC, LPRECT, LPARAM)
{
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(monitor, &info)) return TRUE;
    WriteLog(AppLog, L"DisplayFlags = %d", static_cast<int>(info.dwFlags));
    WriteLog(AppLog, L"DisplayRect  = %d, %d, %d, %d", info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right,
             info.rcMonitor.bottom);
    WriteLog(AppLog, L"DisplayWork  = %d, %d, %d, %d", info.rcWork.left, info.rcWork.top, info.rcWork.right,
             info.rcWork.bottom);
    return TRUE;
}

int64_t Now() { return static_cast<int64_t>(time(nullptr)); }

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    const std::wstring dataFolder = GetDataFolder();
    CreateDirectoryW(dataFolder.c_str(), nullptr);
    AppLog.path = dataFolder + L"\\Reelvault.txt";
    Inifile_CL programIni;
    programIni.SetPath(dataFolder + L"\\Reelvault.ini");
    g_saveData.program_ini.SetPath(dataFolder + L"\\Reelvault.ini");

    WriteLog(AppLog, L"\r\n★★★★★ アプリ起動 ★★★★★");
    WriteLog(AppLog, L"DataFolderPath = \"%s\"", dataFolder.c_str());
    WriteLog(AppLog, L"DisplaySize = %d, %d", GetSystemMetrics(SM_CXFULLSCREEN), GetSystemMetrics(SM_CYFULLSCREEN));
    EnumDisplayMonitors(nullptr, nullptr, &LogMonitorInfo, 0);

    const int64_t lastDuplicateTime = programIni.ReadHex64(-1, L"WINDOW", L"lastDuplicateTime");
    if (lastDuplicateTime == -1) {
        WriteLog(AppLog, L"★ウインドウ位置異常回避しました。");
        programIni.DeleteKey(L"WINDOW", L"rect");
        programIni.WriteHex64(Now(), L"WINDOW", L"lastDuplicateTime");
    }

    HANDLE mutex = CreateMutexW(nullptr, TRUE, kSingleInstanceMutexName);
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        HandleDuplicateStart(programIni, Now(), lastDuplicateTime);
        if (mutex) CloseHandle(mutex);
        WriteLog(AppLog, L"----- Reelvault End(Mutex) -----");
        return 0;
    }

    CoInitialize(nullptr);
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES | ICC_COOL_CLASSES};
    InitCommonControlsEx(&controls);
    Gdiplus::GdiplusStartupInput gdiplusInput;
    ULONG_PTR gdiplusToken = 0;
    Gdiplus::GdiplusStartup(&gdiplusToken, &gdiplusInput, nullptr);

    // Stillforge keeps its queue across our restarts: this run's keys must not meet the last.
    g_saveData.movie_list.StartDecodeKeysAtRandom();

    int exitCode = 0;
    {
        MainWindow_CL mainWindow(&mutex);
        if (mainWindow.Create()) {
            exitCode = RunMessageLoop(mainWindow, LoadAcceleratorsW(instance, MAKEINTRESOURCEW(kAcceleratorsId)));
        } else {
            // Without a window nothing would ever end the loop.
            WriteLog(AppLog, L"メインウインドウを作成できません");
        }
    }

    Gdiplus::GdiplusShutdown(gdiplusToken);
    OleUninitialize();
    CoUninitialize();
    if (mutex) CloseHandle(mutex);
    WriteLog(AppLog, L"----- Reelvault End -----");
    return exitCode;
}
