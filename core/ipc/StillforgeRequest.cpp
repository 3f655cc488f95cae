#include "core/ipc/StillforgeRequest.h"

#include <shellapi.h>

#include "core/base/Log.h"
#include "core/base/UniqueHandle.h"

StillforgeRequest_CL StillforgeRequest;

namespace {

constexpr int kStartAttempts = 5;
constexpr DWORD kStartWaitMs = 500;
// A maker that is still starting is waited for this long in all before it counts as failed;
// starting another meanwhile would leave two makers fighting for one pipe and one queue.
constexpr DWORD kStartingMakerWaitMs = 10000;
constexpr DWORD kPollMs = 50;
constexpr int kStopAttempts = 3;
constexpr DWORD kStopWaitMs = 1000;

// Polls for the maker's window while `process` runs, at least `minimumMs` and at most `limitMs`.
bool WaitForMakerWindow(HANDLE process, DWORD minimumMs, DWORD limitMs)
{
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        if (FindThumbnailMaker()) return true;
        const ULONGLONG elapsed = GetTickCount64() - start;
        const bool running = process && WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
        if (elapsed >= limitMs || (elapsed >= minimumMs && !running)) return false;
        Sleep(kPollMs);
    }
}

}  // namespace

void SetThumbnailMakerParams(std::wstring title, std::wstring parameters, std::wstring exeFolder)
{
    StillforgeRequest.title = std::move(title);
    StillforgeRequest.parameters = std::move(parameters);
    StillforgeRequest.exePath = std::move(exeFolder) + kStillforgeExeName;
}

HWND FindThumbnailMaker() { return FindWindowW(kStillforgeWindowClass, StillforgeRequest.title.c_str()); }

std::wstring GetThumbnailMakerPipeName()
{
    return L"Stillforge-" + (StillforgeRequest.title.empty() ? std::wstring(L"Reelvault") : StillforgeRequest.title);
}

BOOL StartThumbnailMaker()
{
    if (FindThumbnailMaker()) return TRUE;
    const std::wstring commandLine = StillforgeRequest.title + L" \"" + StillforgeRequest.parameters + L"\"";
    for (int attempt = 0; attempt < kStartAttempts; ++attempt) {
        wchar_t directory[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, directory);
        SHELLEXECUTEINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
        info.lpFile = StillforgeRequest.exePath.c_str();
        info.lpParameters = commandLine.c_str();
        info.lpDirectory = directory;
        info.nShow = SW_SHOWNORMAL;
        if (!ShellExecuteExW(&info)) {
            WriteLastErrorLog(L"ShellExecuteEx()エラー = 0x%08x : %s");
            Sleep(kStartWaitMs);
            if (FindThumbnailMaker()) return TRUE;
            continue;
        }
        UniqueHandle process(info.hProcess);
        if (WaitForMakerWindow(process.get(), kStartWaitMs, kStartingMakerWaitMs)) return TRUE;
        if (process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT) {
            WriteLog(AppLog, L"Stillforge runs without a window after %u ms; not started again",
                     kStartingMakerWaitMs);
            return FALSE;
        }
    }
    return FALSE;
}

void StopThumbnailMaker()
{
    for (int attempt = 0; attempt < kStopAttempts; ++attempt) {
        HWND maker = FindThumbnailMaker();
        if (!maker) return;
        // Bounded: a maker whose window thread hangs must not hang this one.
        DWORD_PTR result = 0;
        SendMessageTimeoutW(maker, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, kStopWaitMs, &result);
        const ULONGLONG start = GetTickCount64();
        while (IsWindow(maker) && GetTickCount64() - start < kStopWaitMs) Sleep(kPollMs);
    }
}
