#include "core/base/Semapho.h"

#include "core/base/Log.h"

Semapho_CL::Semapho_CL(const std::wstring& name, int useName, uint32_t tag)
    : semaphore_(CreateSemaphoreW(nullptr, 1, 1, useName ? name.c_str() : nullptr)), tag_(tag)
{
    if (!semaphore_) WriteLastErrorLog(L"CreateSemaphore()エラー = 0x%08x : %s");
}

Semapho_CL::Lock_CL::Lock_CL(Semapho_CL& owner, DWORD timeout) : semaphore_(owner.GetHandle())
{
    if (!semaphore_) return;
    DWORD result = WaitForSingleObject(semaphore_, timeout);
    // A semaphore is never abandoned, but a waiter that got WAIT_ABANDONED from any
    // waitable object still owns it.
    held_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
    if (result == WAIT_TIMEOUT)
        WriteLog(AppLog, L"Semaphore wait timed out after %u ms (tag %u): the guarded work is skipped", timeout,
                 owner.GetTag());
    else if (result == WAIT_FAILED)
        WriteLastErrorLog(L"WaitForSingleObject()エラー = 0x%08x : %s");
}

Semapho_CL::Lock_CL::~Lock_CL()
{
    if (held_) ReleaseSemaphore(semaphore_, 1, nullptr);
}
