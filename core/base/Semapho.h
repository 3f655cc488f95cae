#pragma once
// A semaphore of count 1 used as a lock that any thread may give back.
#include <windows.h>

#include <cstdint>
#include <string>

#include "core/base/UniqueHandle.h"

class Semapho_CL {
public:
    // Every lock of the program waits at most this long.
    static constexpr DWORD kWaitLimit = 16000;

    // Named (system-wide) only when `useName` is non-zero.
    Semapho_CL(const std::wstring& name, int useName, uint32_t tag);
    virtual ~Semapho_CL() = default;
    Semapho_CL(const Semapho_CL&) = delete;
    Semapho_CL& operator=(const Semapho_CL&) = delete;

    HANDLE GetHandle() const { return semaphore_.get(); }
    uint32_t GetTag() const { return tag_; }

    // Takes the semaphore for one scope. A wait that runs out (or fails) leaves the lock
    // not held: the caller must skip the guarded work, and nothing is given back at the
    // end of the scope.
    class Lock_CL {
    public:
        Lock_CL(Semapho_CL& owner, DWORD timeout);
        virtual ~Lock_CL();
        Lock_CL(const Lock_CL&) = delete;
        Lock_CL& operator=(const Lock_CL&) = delete;

        bool IsHeld() const { return held_; }

    private:
        HANDLE semaphore_;
        bool held_ = false;
    };

private:
    UniqueHandle semaphore_;
    uint32_t tag_;
};
