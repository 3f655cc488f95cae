#pragma once
// Reelvault's receiving server: takes Stillforge's decode responses off the listener
// thread and hands them to the main window through posted messages.
#include <windows.h>

#include <cstdint>
#include <deque>
#include <memory>

#include "core/base/Semapho.h"
#include "core/base/ThreadMessages.h"
#include "core/ipc/Kiln_ResponseDecode.h"
#include "core/ipc/PipeServer.h"

// wParam of WM_PIPE_RECEIVED (core/base/ThreadMessages.h): decode responses are waiting.
constexpr WPARAM kPipeReceivedDecode = 3;

class MyPipeServer_CL : public PipeServer_CL {
public:
    // `lockWaitMs` is how long one wait for the response list lasts before it is logged and
    // tried again.
    explicit MyPipeServer_CL(HWND window = nullptr, DWORD lockWaitMs = Semapho_CL::kWaitLimit);
    // Stops the listener first; responses still queued are discarded.
    ~MyPipeServer_CL() override;

    // The window that gets the notifications; set before Start.
    void SetWindow(HWND window) { window_ = window; }

    // The window's handling of WM_PIPE_RECEIVED: posts WM_DECODE_RESPONSE for every queued
    // response in arrival order and clears the posted flag. When the list cannot be locked
    // in time, WM_PIPE_RECEIVED is posted again and nothing is lost.
    void PostQueuedResponses();

    // Takes the response of a WM_DECODE_RESPONSE; the caller owns it from now on.
    static std::unique_ptr<Kiln_ResponseDecode_CL> TakeResponse(LPARAM lParam);

protected:
    void OnReceive(const uint8_t* payload, uint32_t size) override;
    Semapho_CL& GetResponseLock() { return lock_; }

private:
    HWND window_;
    Semapho_CL lock_;
    DWORD lockWaitMs_;
    // Guarded by lock_.
    uint32_t posted_ = 0;  // 1 while a WM_PIPE_RECEIVED is on its way
    std::deque<std::unique_ptr<Kiln_ResponseDecode_CL>> responses_;
};
