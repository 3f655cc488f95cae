#pragma once
// A pipe server that stands where another program's pipe would be and keeps every message.
#include <windows.h>

#include <cstdint>
#include <mutex>
#include <vector>

#include "core/ipc/PipeServer.h"

class RecordingPipeServer : public PipeServer_CL {
public:
    using Message = std::vector<uint8_t>;

    ~RecordingPipeServer() override { Stop(); }
    std::vector<Message> Messages()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return messages_;
    }
    // Waits until `count` messages are in, then a little longer for any that should not come.
    std::vector<Message> WaitFor(size_t count)
    {
        for (int i = 0; i < 100 && Messages().size() < count; ++i) Sleep(50);
        Sleep(300);
        return Messages();
    }

protected:
    void OnReceive(const uint8_t* payload, uint32_t size) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        messages_.emplace_back(payload, payload + size);
    }

private:
    std::mutex mutex_;
    std::vector<Message> messages_;
};
