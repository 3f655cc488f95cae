#pragma once
// A worker thread that runs one job and ends; used behind the progress dialogs.
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "core/base/UniqueHandle.h"

class EasyThreadBase_CL {
public:
    EasyThreadBase_CL() = default;
    // A subclass must Join in its own destructor: the thread calls Run and OnEnd.
    virtual ~EasyThreadBase_CL();
    EasyThreadBase_CL(const EasyThreadBase_CL&) = delete;
    EasyThreadBase_CL& operator=(const EasyThreadBase_CL&) = delete;

    // Starts the job and returns once the thread has its queue: the result of that wait,
    // or WAIT_FAILED when the thread could not be created.
    virtual DWORD Start(uint32_t jobArg1, uint32_t jobArg2);
    // Waits for the job to end.
    virtual void Join();

    DWORD GetThreadId() const { return threadId_; }
    bool IsRunning() const { return running_ != 0; }
    HANDLE GetStartEvent() const { return startEvent_.get(); }

protected:
    virtual void Run(EasyThreadBase_CL* self, uint32_t jobArg1, uint32_t jobArg2) = 0;
    // On the worker thread, after Run.
    virtual void OnEnd(EasyThreadBase_CL* self, uint32_t status) = 0;

    std::atomic<LONG> status{0};  // 0 at Start; the job may change it

private:
    static unsigned __stdcall ThreadProc(void* self);
    void JoinThread();

    UniqueHandle thread_;
    DWORD threadId_ = 0;
    UniqueHandle startEvent_;
    std::atomic<LONG> running_{0};
    uint32_t jobArg1_ = 0;
    uint32_t jobArg2_ = 0;
};
