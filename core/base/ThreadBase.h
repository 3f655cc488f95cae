#pragma once
// A worker thread driven by thread messages in the TM_FIRST..TM_LAST range.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "core/base/CriticalSection.h"
#include "core/base/ThreadMessages.h"
#include "core/base/UniqueHandle.h"

class ThreadBase_CL {
public:
    ThreadBase_CL() = default;
    // A subclass must call Stop in its own destructor: the loop calls OnThreadMessage,
    // which is gone once the subclass part is destroyed.
    virtual ~ThreadBase_CL();
    ThreadBase_CL(const ThreadBase_CL&) = delete;
    ThreadBase_CL& operator=(const ThreadBase_CL&) = delete;

    // Starts the thread and returns once its queue exists. Does nothing while started.
    // 0, or E_FAIL when the thread could not be created.
    virtual HRESULT Start(uint32_t unused = 0);
    // Posts TM_QUIT and waits for the thread to end.
    virtual void Stop();
    // Posts TM_KICK; FALSE when there is no thread to post to.
    virtual BOOL Kick();

    void SetThreadName(const std::wstring& name) { name_ = name; }
    const std::wstring& GetThreadName() const { return name_; }
    DWORD GetThreadId() const { return threadId_; }
    bool IsRunning() const { return thread_ && running_ != 0; }

protected:
    // Returning 0 for TM_QUIT ends the loop; any other result keeps it running.
    virtual uint32_t OnThreadMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

    std::atomic<LONG> workFlag{0};  // free for the subclass; Start sets it to 0
    CriticalSection_CL lock;

private:
    static unsigned __stdcall ThreadProc(void* self);
    void StopThread();

    UniqueHandle thread_;
    DWORD threadId_ = 0;
    UniqueHandle startEvent_;
    std::atomic<LONG> running_{0};
    std::wstring name_;
    int startOnce_ = 1;
};
