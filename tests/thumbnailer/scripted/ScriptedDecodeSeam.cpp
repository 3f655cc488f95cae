// The decode of the test build of Stillforge. What a movie does is written in its path:
//   "hang"         never returns, deaf to the cancel event (a codec stuck for good)
//   "fault-thread" faults on a thread of its own (like a codec's worker thread)
//   "fault-decode" faults on the decode thread itself
//   "throw-decode" throws a C++ exception on the decode thread (a failed allocation)
//   "delay-N"      takes N ms, ended early by the cancel event
// Every movie that is not cancelled is answered with one final response over the starter's
// pipe, and its run is noted in kiln_dec_list.txt with the process id.
// The watchdog period comes from THUMBNAIL_TEST/watchdog_ms of Thumbnail.ini.
#include <windows.h>

#include <cstdlib>
#include <new>
#include <string>

#include "core/ipc/Kiln_ResponseDecode.h"
#include "core/ipc/PipeClient.h"
#include "thumbnailer/DecodeSeam.h"
#include "thumbnailer/MovieDecode.h"
#include "thumbnailer/StillforgeGlobals.h"

namespace {

void Fault()
{
    // Read through a volatile so that the compiler cannot see the null and drop the write.
    volatile uintptr_t address = 0;
    *reinterpret_cast<volatile int*>(address) = 1;
}

DWORD WINAPI FaultThreadProc(void*)
{
    Fault();
    return 0;
}

DWORD DelayOf(const std::wstring& path)
{
    size_t at = path.find(L"delay-");
    return at == std::wstring::npos ? 0 : wcstoul(path.c_str() + at + 6, nullptr, 10);
}

void Reply(const DecodeRequestItem_CL& work)
{
    Kiln_ResponseDecode_CL response;
    response.request_id = work.request_id;
    response.errorFlag = work.errorFlag;
    response.decode_count = 0;
    response.request_count = work.request_count > 0 ? work.request_count - 1 : 0;
    response.positions = work.positions;
    PipeClient_CL::SendOnce(StillforgeName, response);
}

}  // namespace

void ThumbnailDecodeFrames(DecodeHost_IF& host, HANDLE cancelEvent, DecodeRequestItem_CL& work, bool skip)
{
    const std::wstring& path = work.moviePath;
    WriteLog(DecodeListLog, L"(scripted) start key=%u pid=%u skip=%d file(%s)", work.request_id,
             GetCurrentProcessId(), skip ? 1 : 0, path.c_str());
    if (skip) {
        work.errorFlag = 1;
    } else if (path.find(L"hang") != std::wstring::npos) {
        for (;;) Sleep(1000);
    } else if (path.find(L"fault-thread") != std::wstring::npos) {
        HANDLE thread = CreateThread(nullptr, 0, FaultThreadProc, nullptr, 0, nullptr);
        // The exception filter ends the process before this wait does.
        WaitForSingleObject(thread, 30000);
        CloseHandle(thread);
    } else if (path.find(L"fault-decode") != std::wstring::npos) {
        Fault();
    } else if (path.find(L"throw-decode") != std::wstring::npos) {
        throw std::bad_alloc();
    } else if (WaitForSingleObject(cancelEvent, DelayOf(path)) == WAIT_OBJECT_0) {
        host.SetCancelling();
        WriteLog(DecodeListLog, L"(scripted) cancelled key=%u pid=%u", work.request_id, GetCurrentProcessId());
        return;
    }
    WriteLog(DecodeListLog, L"(scripted) done key=%u pid=%u error=%u", work.request_id, GetCurrentProcessId(),
             work.errorFlag);
    Reply(work);
}

UINT GetWatchdogPeriodMs() { return ThumbnailIni.ReadInt(L"THUMBNAIL_TEST", L"watchdog_ms", 300000); }
