#include "thumbnailer/ExceptionFilter.h"

#include <atomic>

#include "thumbnailer/AppRestart.h"
#include "thumbnailer/MainWindow.h"
#include "thumbnailer/StillforgeGlobals.h"

namespace {

// The filter must not wait for ever on a queue lock that the faulting thread's peers hold.
constexpr DWORD kCrashSaveLockWaitMs = 3000;

std::atomic<bool> g_inFilter{false};

}  // namespace

LONG WINAPI StillforgeExceptionFilter(EXCEPTION_POINTERS* info)
{
    const DWORD code = info && info->ExceptionRecord ? info->ExceptionRecord->ExceptionCode : 0;
    // A fault while a fault is being handled: nothing more can be trusted.
    if (g_inFilter.exchange(true)) TerminateProcess(GetCurrentProcess(), code);

    MainWindow_CL* window = MainWindow_CL::GetInstance();
    if (window && window->IsWindowThread()) {
        WriteLog(KilnLog, L"[LOG_LINE]  exception 0x%08x on the window thread; the program ends", code);
        TerminateProcess(GetCurrentProcess(), kExitWindowThreadFault);
    }
    if (window && window->IsDecodeThread()) {
        WriteLog(KilnLog, L"[LOG_LINE]  exception 0x%08x on the decode thread; the movie is set aside", code);
        WriteLog(DecodeListLog, L"(decode) exception 0x%08x on the decode thread", code);
        WriteThumbnailSetting(kExceptionKey, 1);
        g_inFilter = false;
        window->EndFaultedDecodeThread();
    }

    if (ReadThumbnailSetting(kRunDecodeKey, 0) != 0) WriteThumbnailSetting(kExceptionKey, 1);
    WriteLog(DecodeListLog, L"例外発生による再起動\n");
    WriteLog(KilnLog, L"[LOG_LINE]  exception 0x%08x on thread %u", code, GetCurrentThreadId());
    // A program asked to close is not brought back; one that never got its arguments
    // cannot be.
    if (window && !window->IsCancelling() && !StillforgeName.empty()) {
        window->GetQueue().Save(GetQueueFilePath(), kCrashSaveLockWaitMs);
        AppRestart();
    }
    return EXCEPTION_EXECUTE_HANDLER;
}
