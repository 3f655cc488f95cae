#pragma once
// Stillforge's receiving server "Stillforge-" + name: takes Reelvault's delete, decode and
// priority requests into the queue on the listener thread.
#include <cstdint>

#include "core/ipc/PipeServer.h"

class DecodeRequestList_CL;
class DecodeStarter_IF;

class RequestPipeServer_CL : public PipeServer_CL {
public:
    // Both stay the caller's and must outlive the server's listener.
    RequestPipeServer_CL(DecodeRequestList_CL& queue, DecodeStarter_IF& starter) : queue_(queue), starter_(starter) {}
    ~RequestPipeServer_CL() override { Stop(); }

    // Stops the listener and gives the pipe up. Safe to call more than once.
    void Shutdown() { Stop(); }

protected:
    void OnReceive(const uint8_t* payload, uint32_t size) override;

private:
    DecodeRequestList_CL& queue_;
    DecodeStarter_IF& starter_;
};
