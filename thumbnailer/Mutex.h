#pragma once
// A kernel mutex, named so that two instances of Stillforge (old and new during a
// self-restart) share the lock on the request queue and its file.
#include <windows.h>

#include <string>

#include "core/base/UniqueHandle.h"

class Mutex_CL {
public:
    Mutex_CL() = default;
    virtual ~Mutex_CL() = default;
    Mutex_CL(const Mutex_CL&) = delete;
    Mutex_CL& operator=(const Mutex_CL&) = delete;

    // CreateMutexW, not owned. 0 or E_FAIL (logged).
    HRESULT Create(const std::wstring& name);
    // OpenMutexW on a mutex that exists already. 0 or E_FAIL (logged).
    HRESULT Open(const std::wstring& name);
    HANDLE GetHandle() const { return handle_.get(); }

    // Holds the mutex for one scope. A mutex left by a thread or process that died holding
    // it (WAIT_ABANDONED) is held all the same: the queue it guards is written whole
    // before the lock is given back, so what it finds is the last whole state.
    class Lock_CL {
    public:
        explicit Lock_CL(Mutex_CL& mutex, DWORD timeout = INFINITE);
        virtual ~Lock_CL();
        Lock_CL(const Lock_CL&) = delete;
        Lock_CL& operator=(const Lock_CL&) = delete;

        bool IsHeld() const { return held_; }

    private:
        HANDLE handle_;
        bool held_ = false;
    };

private:
    UniqueHandle handle_;
};

// The queue mutex of a data folder: the folder + "\Stillforge" with every "\" made "/",
// since a kernel object name may hold no backslash.
std::wstring MakeQueueMutexName(const std::wstring& dataFolder);
