#pragma once
// Stillforge's receiving server "Stillforge-" + name: takes Reelvault's delete, decode and
// priority requests into the queue on the listener thread.
#include <cstdint>

#include "core/ipc/PipeServer.h"

class MainWindow_CL;

class RequestPipeServer_CL : public PipeServer_CL {
public:
    explicit RequestPipeServer_CL(MainWindow_CL* window) : window_(window) {}
    ~RequestPipeServer_CL() override { Stop(); }

    // Stops the listener and gives the pipe up. Safe to call more than once.
    void Shutdown() { Stop(); }

protected:
    void OnReceive(const uint8_t* payload, uint32_t size) override;

private:
    MainWindow_CL* window_;
};
