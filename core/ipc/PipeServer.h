#pragma once
// Receiving end of a one-way named pipe: one message per connection, read after the
// client signals the event named like the pipe.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "core/base/UniqueHandle.h"

constexpr wchar_t kPipePathPrefix[] = L"\\\\.\\pipe\\";
// The server's in-buffer. A client writes its whole frame before it signals and the server
// reads nothing before the signal, so a frame that does not fit blocks its writer.
constexpr uint32_t kPipeInBufferBytes = 0x500000;

class PipeServer_CL {
public:
    PipeServer_CL() = default;
    // Stops the listener. A derived server whose OnReceive uses its own members must call
    // Stop in its own destructor, before those members go.
    virtual ~PipeServer_CL();
    PipeServer_CL(const PipeServer_CL&) = delete;
    PipeServer_CL& operator=(const PipeServer_CL&) = delete;

    // The pipe is "\\.\pipe\" + name and the event is the bare name. Set before Start.
    void SetName(const std::wstring& name) { name_ = name; }
    const std::wstring& GetName() const { return name_; }

    // 0 when the pipe, the event and the listener exist; E_FAIL otherwise (logged), with
    // nothing left behind, so that a failed start may be tried again.
    HRESULT Start();

    static DWORD WINAPI ListenThreadProc(void* server);

protected:
    // One whole message, on the listener thread. Anything it throws is caught and logged.
    virtual void OnReceive(const uint8_t* payload, uint32_t size) {}

    // Ends and joins the listener and closes the pipe and its events; does nothing when
    // the server does not run. The server may be started again afterwards.
    void Stop();
    bool IsStopping() const { return running_ == 0; }

private:
    enum class ReadResult { kDone, kFailed, kStopped };

    void Listen();
    void CheckIdleClient();
    void ReceiveFrame();
    void EndConnection();
    ReadResult ReadExact(void* buffer, uint32_t size, DWORD stallLimitMs);
    void Discard(uint32_t size);

    std::wstring name_;
    UniqueHandle pipe_;
    UniqueHandle event_;
    UniqueHandle stopEvent_;  // lets Stop wake the listener in any wait, mid-frame too
    UniqueHandle readEvent_;
    DWORD threadId_ = 0;
    UniqueHandle thread_;
    std::atomic<LONG> running_{0};

    // Listener state, touched only on the listener thread.
    bool connected_ = false;
    int idleChecks_ = 0;
};
