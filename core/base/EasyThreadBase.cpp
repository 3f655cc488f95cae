#include "core/base/EasyThreadBase.h"

#include <process.h>

#include "core/base/Log.h"
#include "core/base/ThreadMessages.h"

EasyThreadBase_CL::~EasyThreadBase_CL()
{
    JoinThread();
}

DWORD EasyThreadBase_CL::Start(uint32_t jobArg1, uint32_t jobArg2)
{
    // A job still running keeps its thread; a second one would lose the first's handle.
    if (thread_) JoinThread();
    jobArg1_ = jobArg1;
    jobArg2_ = jobArg2;
    running_ = 1;
    status = 0;
    if (!startEvent_) startEvent_.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!startEvent_) {
        WriteLastErrorLog(L"CreateEvent()エラー = 0x%08x : %s");
        running_ = 0;
        return WAIT_FAILED;
    }
    unsigned id = 0;
    thread_.reset(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, ThreadProc, this, 0, &id)));
    if (!thread_) {
        WriteLog(AppLog, L"_beginthreadex() failed, errno = %d", errno);
        running_ = 0;
        return WAIT_FAILED;
    }
    threadId_ = id;
    return WaitForSingleObject(startEvent_.get(), INFINITE);
}

unsigned __stdcall EasyThreadBase_CL::ThreadProc(void* param)
{
    auto* self = static_cast<EasyThreadBase_CL*>(param);
    self->running_ = 1;
    MSG msg;
    PeekMessageW(&msg, nullptr, TM_FIRST, TM_LAST, PM_NOREMOVE);
    SetEvent(self->startEvent_.get());
    self->Run(self, self->jobArg1_, self->jobArg2_);
    self->OnEnd(self, static_cast<uint32_t>(self->status));
    self->running_ = 0;
    return 0;
}

void EasyThreadBase_CL::Join()
{
    JoinThread();
}

void EasyThreadBase_CL::JoinThread()
{
    if (thread_) {
        WaitForSingleObject(thread_.get(), INFINITE);
        thread_.reset();
        threadId_ = 0;
    }
}
