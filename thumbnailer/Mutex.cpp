#include "thumbnailer/Mutex.h"

#include "core/base/Log.h"
#include "thumbnailer/StillforgeGlobals.h"

HRESULT Mutex_CL::Create(const std::wstring& name)
{
    handle_.reset(CreateMutexW(nullptr, FALSE, name.c_str()));
    if (handle_) return 0;
    WriteLog(KilnLog, L"[LOG_LINE]  CreateMutex(%s) failed: %s", name.c_str(),
             GetSystemErrorText(GetLastError()).c_str());
    return E_FAIL;
}

HRESULT Mutex_CL::Open(const std::wstring& name)
{
    handle_.reset(OpenMutexW(MUTEX_ALL_ACCESS, FALSE, name.c_str()));
    if (handle_) return 0;
    WriteLog(KilnLog, L"[LOG_LINE]  OpenMutex(%s) failed: %s", name.c_str(),
             GetSystemErrorText(GetLastError()).c_str());
    return E_FAIL;
}

Mutex_CL::Lock_CL::Lock_CL(Mutex_CL& mutex, DWORD timeout) : handle_(mutex.GetHandle())
{
    if (!handle_) return;
    DWORD result = WaitForSingleObject(handle_, timeout);
    held_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

Mutex_CL::Lock_CL::~Lock_CL()
{
    if (held_) ReleaseMutex(handle_);
}

std::wstring MakeQueueMutexName(const std::wstring& dataFolder)
{
    std::wstring name = dataFolder + L"\\Stillforge";
    for (auto& unit : name)
        if (unit == L'\\') unit = L'/';
    return name;
}
