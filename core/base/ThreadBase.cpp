#include "core/base/ThreadBase.h"

#include <process.h>

#include "core/base/Log.h"

ThreadBase_CL::~ThreadBase_CL()
{
    StopThread();
}

HRESULT ThreadBase_CL::Start(uint32_t)
{
    if (startOnce_ && startEvent_) return 0;
    workFlag = 0;
    startEvent_.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!startEvent_) {
        WriteLastErrorLog(L"CreateEvent()エラー = 0x%08x : %s");
        return E_FAIL;
    }
    unsigned id = 0;
    thread_.reset(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, ThreadProc, this, 0, &id)));
    if (!thread_) {
        // Waiting for a handshake from a thread that never ran would hang the caller.
        WriteLog(AppLog, L"%s: _beginthreadex() failed, errno = %d", name_.c_str(), errno);
        startEvent_.reset();
        return E_FAIL;
    }
    threadId_ = id;
    WaitForSingleObject(startEvent_.get(), INFINITE);
    return 0;
}

unsigned __stdcall ThreadBase_CL::ThreadProc(void* param)
{
    auto* self = static_cast<ThreadBase_CL*>(param);
    MSG msg;
    // The queue must exist before Start returns, or early posts would be lost.
    PeekMessageW(&msg, nullptr, TM_FIRST, TM_LAST, PM_NOREMOVE);
    self->running_ = 1;
    SetEvent(self->startEvent_.get());
    while (self->running_) {
        BOOL got = GetMessageW(&msg, nullptr, TM_FIRST, TM_LAST);
        if (got == -1) break;
        uint32_t result = self->OnThreadMessage(msg.message, msg.wParam, msg.lParam);
        if (result == 0 && msg.message == TM_QUIT) self->running_ = 0;
    }
    self->running_ = 0;
    return 0;
}

BOOL ThreadBase_CL::Kick()
{
    if (!thread_) return FALSE;
    return PostThreadMessageW(threadId_, TM_KICK, 0, 0);
}

void ThreadBase_CL::Stop()
{
    StopThread();
}

void ThreadBase_CL::StopThread()
{
    if (thread_) {
        PostThreadMessageW(threadId_, TM_QUIT, 0, 0);
        WaitForSingleObject(thread_.get(), INFINITE);
        thread_.reset();
        threadId_ = 0;
    }
    startEvent_.reset();
}
