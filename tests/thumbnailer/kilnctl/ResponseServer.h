#pragma once
// kilnctl's stand-in for Reelvault's response pipe: hands every decode response to a
// callback on the listener thread and counts them.
#include <windows.h>

#include <cstdint>
#include <functional>

#include "core/base/UniqueHandle.h"
#include "core/ipc/Kiln_ResponseDecode.h"
#include "core/ipc/PipeServer.h"

class ResponseServer_CL : public PipeServer_CL {
public:
    using Callback = std::function<void(const Kiln_ResponseDecode_CL&)>;

    explicit ResponseServer_CL(Callback callback);
    ~ResponseServer_CL() override { Stop(); }

    // Waits until `count` responses have come in all, at most `timeoutMs`. The number that came.
    uint32_t WaitForResponses(uint32_t count, DWORD timeoutMs);

protected:
    void OnReceive(const uint8_t* payload, uint32_t size) override;

private:
    Callback callback_;
    UniqueHandle arrived_;  // auto-reset: set after every response
    volatile LONG received_ = 0;
};
