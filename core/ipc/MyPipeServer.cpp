#include "core/ipc/MyPipeServer.h"

#include "core/base/Log.h"

MyPipeServer_CL::MyPipeServer_CL(HWND window, DWORD lockWaitMs)
    : window_(window), lock_(L"", 0, 0), lockWaitMs_(lockWaitMs)
{
}

MyPipeServer_CL::~MyPipeServer_CL() { Stop(); }

void MyPipeServer_CL::OnReceive(const uint8_t* payload, uint32_t size)
{
    ByteReader_CL in(payload, size);
    if (PeekKilnMessageType(in) != kKilnDecodeResponse) return;
    auto response = std::make_unique<Kiln_ResponseDecode_CL>();
    // A cut response would put a zero duration and too few positions into the movie; it
    // is dropped, and the movie is asked for again since its decode is still pending.
    if (FAILED(response->Load(in))) {
        WriteLog(AppLog, L"MyPipeServer: dropped a cut decode response of %u bytes", size);
        return;
    }
    if (!window_ || !lock_.GetHandle()) {
        WriteLog(AppLog, L"MyPipeServer: no window or lock; decode response %u dropped", response->request_id);
        return;
    }
    // The list is never touched without the lock: a wait that runs out is waited again.
    while (!IsStopping()) {
        Semapho_CL::Lock_CL lock(lock_, lockWaitMs_);
        if (!lock.IsHeld()) {
            WriteLog(AppLog, L"MyPipeServer: decode response %u waits again for the response list",
                     response->request_id);
            continue;
        }
        responses_.push_back(std::move(response));
        if (posted_ == 0) {
            posted_ = 1;
            if (!PostMessageW(window_, WM_PIPE_RECEIVED, kPipeReceivedDecode, reinterpret_cast<LPARAM>(this))) {
                // The next response tries again; the queued ones stay.
                posted_ = 0;
                WriteLastErrorLog(L"PostMessage()エラー = 0x%08x : %s");
            }
        }
        return;
    }
}

void MyPipeServer_CL::PostQueuedResponses()
{
    // Without a window the posts would land in this thread's queue and be lost.
    if (!window_) return;
    for (;;) {
        Semapho_CL::Lock_CL lock(lock_, lockWaitMs_);
        if (!lock.IsHeld()) {
            // Come back through the message loop rather than block the window longer.
            WriteLog(AppLog, L"MyPipeServer: the response list was busy; handed over later");
            if (PostMessageW(window_, WM_PIPE_RECEIVED, kPipeReceivedDecode, reinterpret_cast<LPARAM>(this)))
                return;
            continue;
        }
        while (!responses_.empty()) {
            if (!PostMessageW(window_, WM_DECODE_RESPONSE, 0, reinterpret_cast<LPARAM>(responses_.front().get()))) {
                // Kept for the notification of the next response.
                WriteLastErrorLog(L"PostMessage()エラー = 0x%08x : %s");
                break;
            }
            responses_.front().release();
            responses_.pop_front();
        }
        posted_ = 0;
        return;
    }
}

std::unique_ptr<Kiln_ResponseDecode_CL> MyPipeServer_CL::TakeResponse(LPARAM lParam)
{
    return std::unique_ptr<Kiln_ResponseDecode_CL>(reinterpret_cast<Kiln_ResponseDecode_CL*>(lParam));
}
