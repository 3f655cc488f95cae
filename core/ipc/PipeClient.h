#pragma once
// Sending end of a one-way named pipe: opens the other program's pipe, writes one
// length-prefixed message and signals the event named like the pipe.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/base/UniqueHandle.h"
#include "core/ipc/PipeServer.h"

class SaveItemBase_CL;

// The largest payload a client sends: its frame (with the 4-byte length) must fit the
// server's in-buffer, since the server reads only after the signal that follows the write.
constexpr uint32_t kMaxPipePayload = kPipeInBufferBytes - 4;

class PipeClient_CL {
public:
    explicit PipeClient_CL(const std::wstring& name);
    virtual ~PipeClient_CL() = default;
    PipeClient_CL(const PipeClient_CL&) = delete;
    PipeClient_CL& operator=(const PipeClient_CL&) = delete;

    // 0, or E_FAIL: at once when no server of this name runs; after about 2 s when another
    // client holds the pipe ("pipe_open(リトライオーバー)" on DebugStream); on any other
    // error with its code on DebugStream.
    HRESULT Open();
    // Writes the frame and signals. E_FAIL, without writing or signalling, when the pipe is
    // not open or the payload is larger than kMaxPipePayload; E_FAIL when a write fails.
    HRESULT Send(const void* payload, uint32_t size);
    void Close();
    bool IsOpen() const { return static_cast<bool>(pipe_) && static_cast<bool>(event_); }

    // The whole sender's round: open, save the message, send, close.
    static HRESULT SendOnce(const std::wstring& name, const SaveItemBase_CL& message);

private:
    std::wstring name_;
    UniqueHandle pipe_;
    UniqueHandle event_;
};
