#pragma once
// What the tests of the program's own windows share: pumping this thread's messages while
// waiting, and reading status-bar texts.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

#include "core/album/SaveData.h"
#include "core/base/Log.h"
#include "tests/album/AlbumTestSupport.h"
#include "tests/common/TestWindow.h"

namespace apptest {

// Pumps this thread's messages until the condition holds or the time is up.
inline bool PumpUntil(const std::function<bool()>& condition, DWORD limitMs)
{
    const ULONGLONG end = GetTickCount64() + limitMs;
    while (!condition()) {
        if (GetTickCount64() > end) return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    }
    return true;
}

// Before a main window opens in this process: common controls, no key held, the sandbox's
// data folder with the log and the program ini in it, the last album opened. Returns the
// log path it replaced.
inline std::wstring PrepareWindowTest(const albumtest::DocumentsSandbox& sandbox)
{
    InitTestCommonControls();
    BYTE noKeys[256] = {};
    SetKeyboardState(noKeys);
    CreateDirectoryW(sandbox.dataFolder().c_str(), nullptr);
    const std::wstring savedLog = AppLog.path;
    AppLog.path = sandbox.dataFolder() + L"\\Reelvault.txt";
    g_saveData.program_ini.SetPath(sandbox.dataFolder() + L"\\Reelvault.ini");
    g_saveData.album_data.open_first_album = 0;
    return savedLog;
}

inline std::wstring StatusText(HWND statusBar, int part)
{
    wchar_t text[256] = {};
    const LRESULT length = SendMessageW(statusBar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(part), 0);
    if (LOWORD(length) >= 255) return L"(too long)";
    SendMessageW(statusBar, SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
    return text;
}

}  // namespace apptest
