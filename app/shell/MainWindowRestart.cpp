// The application commands the main window carries out itself (the reload with its restart,
// the category pane), and the restart.
#include <windows.h>
#include <shellapi.h>

#include "app/shell/MainWindow.h"
#include "core/album/SaveData.h"
#include "core/base/Log.h"

namespace {

constexpr int kReloadCommand = 0x9130;

}  // namespace

void MainWindow_CL::OnAppCommand(WPARAM wParam)
{
    switch (LOWORD(wParam)) {
    case kReloadCommand:
        // Set before the question: even a No drops the fast-start cache at the end of the run.
        g_saveData.reload_flag = 1;
        if (MessageBoxW(hwnd,
                        L"再起動時にデータの再読み込みを行います。今すぐにReelvaultを再起動しますか。\r\n"
                        L"（Windowsは再起動しません）",
                        L"Reelvault再起動の確認", MB_YESNO) == IDYES)
            Restart();
        return;
    case kPaneToggleCommand:
        categoryPaneVisible_ = categoryPaneVisible_ ? 0 : 1;
        OnSize();
        return;
    default:
        return;
    }
}

// The new copy cannot start now: the pipe "Reelvault" can be created only once this copy has
// closed it, this copy's close would stop the maker the new copy starts (same class and
// title), and its final save writes (or deletes) the fast-start cache the new copy loads. So
// the restart is only marked here; StartNewCopy runs at the end of WM_DESTROY.
void MainWindow_CL::Restart()
{
    restartPending_ = 1;
    SendMessageW(hwnd, WM_CLOSE, 0, 0);
}

void MainWindow_CL::StartNewCopy()
{
    if (!restartPending_) return;
    restartPending_ = 0;
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    wchar_t folder[MAX_PATH] = {};
    const DWORD folderLength = GetCurrentDirectoryW(MAX_PATH, folder);
    // The new copy becomes the first instance.
    if (mutexHandle_ && *mutexHandle_) {
        CloseHandle(*mutexHandle_);
        *mutexHandle_ = nullptr;
    }
    if (length == 0 || length >= MAX_PATH) {
        WriteLog(AppLog, L"再起動できません (プログラムのパスを取得できません)");
        return;
    }
    const HINSTANCE started = ShellExecuteW(nullptr, nullptr, path, L"", folderLength && folderLength < MAX_PATH ? folder : nullptr,
                                            SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(started) <= 32)
        WriteLog(AppLog, L"再起動できません (%d)", static_cast<int>(reinterpret_cast<INT_PTR>(started)));
}
