#include "core/ipc/PipeServer.h"

#include <exception>
#include <new>
#include <vector>

#include "core/base/Log.h"

namespace {

// While a client is connected and has not signalled, the listener looks at the pipe this
// often, and gives up on a client that sent nothing usable for kIdleChecksBeforeDrop looks.
constexpr DWORD kIdleCheckMs = 1000;
constexpr int kIdleChecksBeforeDrop = 10;
// A frame whose bytes stop coming for this long is dropped, so that a stuck writer does
// not hold the single pipe instance for ever.
constexpr DWORD kReadStallLimitMs = 10000;
constexpr DWORD kDiscardStallLimitMs = 500;

}  // namespace

PipeServer_CL::~PipeServer_CL() { Stop(); }

HRESULT PipeServer_CL::Start()
{
    if (thread_ || name_.empty()) {
        WriteLog(AppLog, L"PipeServer(%s): not started (already running or no name)", name_.c_str());
        return E_FAIL;
    }
    const std::wstring path = kPipePathPrefix + name_;
    pipe_.reset(CreateNamedPipeW(path.c_str(), PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED,
                                 PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, 1024, kPipeInBufferBytes, 0,
                                 nullptr));
    if (!pipe_) {
        WriteLastErrorLog(L"CreateNamedPipe()エラー = 0x%08x : %s");
        return E_FAIL;
    }
    event_.reset(CreateEventW(nullptr, FALSE, FALSE, name_.c_str()));
    stopEvent_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    readEvent_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!event_ || !stopEvent_ || !readEvent_) {
        WriteLastErrorLog(L"CreateEvent()エラー = 0x%08x : %s");
        pipe_.reset();
        event_.reset();
        return E_FAIL;
    }
    running_ = 1;
    thread_.reset(CreateThread(nullptr, 0, ListenThreadProc, this, 0, &threadId_));
    if (!thread_) {
        WriteLastErrorLog(L"CreateThread()エラー = 0x%08x : %s");
        running_ = 0;
        pipe_.reset();
        event_.reset();
        return E_FAIL;
    }
    return 0;
}

void PipeServer_CL::Stop()
{
    if (thread_) {
        running_ = 0;
        SetEvent(stopEvent_.get());
        WaitForSingleObject(thread_.get(), INFINITE);
        thread_.reset();
    }
    // The single pipe instance is given up at once, so that a successor (a restarted
    // program) can create a pipe of the same name while this process still runs.
    pipe_.reset();
    event_.reset();
    stopEvent_.reset();
    readEvent_.reset();
    connected_ = false;
}

DWORD WINAPI PipeServer_CL::ListenThreadProc(void* server)
{
    try {
        static_cast<PipeServer_CL*>(server)->Listen();
    } catch (...) {
        WriteLog(AppLog, L"PipeServer: the listener ended on an unexpected error");
    }
    return 0;
}

void PipeServer_CL::Listen()
{
    UniqueHandle connectEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!connectEvent) {
        WriteLastErrorLog(L"CreateEvent()エラー = 0x%08x : %s");
        return;
    }
    OVERLAPPED connect = {};
    connect.hEvent = connectEvent.get();
    bool connectPending = false;

    while (running_) {
        if (!connected_ && !connectPending) {
            connect = {};
            connect.hEvent = connectEvent.get();
            DWORD error = ConnectNamedPipe(pipe_.get(), &connect) ? ERROR_PIPE_CONNECTED : GetLastError();
            if (error == ERROR_IO_PENDING) {
                connectPending = true;
            } else if (error == ERROR_PIPE_CONNECTED || error == ERROR_NO_DATA) {
                // A client connected before the listener asked, and may even have written,
                // signalled and closed already (ERROR_NO_DATA): its frame is still in the
                // pipe and is read like any other.
                connected_ = true;
                idleChecks_ = 0;
            } else {
                WriteLastErrorLog(L"ConnectNamedPipe()エラー = 0x%08x : %s");
                if (WaitForSingleObject(stopEvent_.get(), kIdleCheckMs) == WAIT_OBJECT_0) break;
                continue;
            }
        }

        HANDLE waits[] = {connectEvent.get(), event_.get(), stopEvent_.get()};
        DWORD woke = WaitForMultipleObjects(3, waits, FALSE, connected_ ? kIdleCheckMs : INFINITE);
        if (!running_) break;

        if (woke == WAIT_OBJECT_0) {
            if (!connectPending) continue;
            connectPending = false;
            DWORD unused;
            if (GetOverlappedResult(pipe_.get(), &connect, &unused, FALSE)) {
                connected_ = true;
                idleChecks_ = 0;
            } else {
                DisconnectNamedPipe(pipe_.get());
            }
        } else if (woke == WAIT_OBJECT_0 + 1) {
            if (connectPending) {
                // A signal while nobody is connected is left over from an earlier client.
                if (!HasOverlappedIoCompleted(&connect)) continue;
                connectPending = false;
                connected_ = true;
            }
            ReceiveFrame();
            EndConnection();
        } else if (woke == WAIT_TIMEOUT) {
            CheckIdleClient();
        } else if (woke == WAIT_FAILED) {
            WriteLastErrorLog(L"WaitForMultipleObjects()エラー = 0x%08x : %s");
            break;
        }
    }

    if (connectPending) {
        CancelIo(pipe_.get());
        DWORD unused;
        GetOverlappedResult(pipe_.get(), &connect, &unused, TRUE);
    }
    if (connected_) EndConnection();
}

// A connected client that does not signal either left early or sends against the rules.
// Waiting for its signal would hold the single pipe instance, so every client after it
// would find the pipe busy.
void PipeServer_CL::CheckIdleClient()
{
    uint32_t length = 0;
    DWORD peeked = 0, available = 0;
    if (!PeekNamedPipe(pipe_.get(), &length, sizeof(length), &peeked, &available, nullptr)) {
        // Gone without a byte left to read.
        EndConnection();
        return;
    }
    // A whole frame left without its signal (its writer ended first), or a length that no
    // frame may have, whose writer is blocked because it does not fit the in-buffer.
    if (peeked == sizeof(length) &&
        (length > kPipeInBufferBytes || available - sizeof(length) >= static_cast<uint64_t>(length))) {
        ReceiveFrame();
        EndConnection();
        return;
    }
    if (++idleChecks_ >= kIdleChecksBeforeDrop) {
        WriteLog(AppLog, L"PipeServer(%s): dropped a client that held the pipe for %u ms without sending",
                 name_.c_str(), kIdleCheckMs * kIdleChecksBeforeDrop);
        EndConnection();
    }
}

void PipeServer_CL::ReceiveFrame()
{
    uint32_t length = 0;
    if (ReadExact(&length, sizeof(length), kReadStallLimitMs) != ReadResult::kDone) return;
    if (length > kPipeInBufferBytes) {
        WriteLog(AppLog, L"PipeServer(%s): refused a message of %u bytes (at most %u)", name_.c_str(), length,
                 kPipeInBufferBytes);
        Discard(length);
        return;
    }
    std::vector<uint8_t> payload;
    try {
        payload.resize(length);
    } catch (const std::bad_alloc&) {
        WriteLog(AppLog, L"PipeServer(%s): no memory for a message of %u bytes", name_.c_str(), length);
        return;
    }
    switch (ReadExact(payload.data(), length, kReadStallLimitMs)) {
    case ReadResult::kDone:
        break;
    case ReadResult::kFailed:
        WriteLog(AppLog, L"PipeServer(%s): a message of %u bytes came incomplete and was dropped", name_.c_str(),
                 length);
        return;
    case ReadResult::kStopped:
        return;
    }
    try {
        OnReceive(payload.data(), length);
    } catch (const std::exception&) {
        WriteLog(AppLog, L"PipeServer(%s): a message of %u bytes could not be handled", name_.c_str(), length);
    } catch (...) {
        WriteLog(AppLog, L"PipeServer(%s): a message of %u bytes could not be handled", name_.c_str(), length);
    }
}

void PipeServer_CL::EndConnection()
{
    DisconnectNamedPipe(pipe_.get());
    // A signal that came in meanwhile belongs to the connection just ended: no other client
    // can connect before the next ConnectNamedPipe.
    ResetEvent(event_.get());
    connected_ = false;
    idleChecks_ = 0;
}

// A blocking read on an overlapped pipe may return part of a frame, so the read is
// repeated until all bytes are in. Gives up when the bytes stop coming for stallLimitMs,
// when the client has gone, or when the server stops.
PipeServer_CL::ReadResult PipeServer_CL::ReadExact(void* buffer, uint32_t size, DWORD stallLimitMs)
{
    uint8_t* bytes = static_cast<uint8_t*>(buffer);
    uint32_t done = 0;
    while (done < size) {
        OVERLAPPED read = {};
        read.hEvent = readEvent_.get();
        if (!ReadFile(pipe_.get(), bytes + done, size - done, nullptr, &read) && GetLastError() != ERROR_IO_PENDING)
            return ReadResult::kFailed;
        HANDLE waits[] = {readEvent_.get(), stopEvent_.get()};
        DWORD woke = WaitForMultipleObjects(2, waits, FALSE, stallLimitMs);
        DWORD got = 0;
        if (woke != WAIT_OBJECT_0) {
            CancelIo(pipe_.get());
            GetOverlappedResult(pipe_.get(), &read, &got, TRUE);
            return woke == WAIT_OBJECT_0 + 1 ? ReadResult::kStopped : ReadResult::kFailed;
        }
        if (!GetOverlappedResult(pipe_.get(), &read, &got, FALSE) || got == 0) return ReadResult::kFailed;
        done += got;
    }
    return ReadResult::kDone;
}

// Reads away what the writer of a refused frame has sent, so that its blocked write ends
// before the connection is dropped.
void PipeServer_CL::Discard(uint32_t size)
{
    uint8_t sink[16 * 1024];
    while (size > 0) {
        uint32_t chunk = size < sizeof(sink) ? size : static_cast<uint32_t>(sizeof(sink));
        if (ReadExact(sink, chunk, kDiscardStallLimitMs) != ReadResult::kDone) return;
        size -= chunk;
    }
}
