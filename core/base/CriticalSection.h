#pragma once
#include <windows.h>

// A critical section that lives exactly as long as its holder.
class CriticalSection_CL {
public:
    CriticalSection_CL()
    {
        InitializeCriticalSection(&section);
        initialised = 1;
    }
    virtual ~CriticalSection_CL()
    {
        if (initialised) DeleteCriticalSection(&section);
    }
    CriticalSection_CL(const CriticalSection_CL&) = delete;
    CriticalSection_CL& operator=(const CriticalSection_CL&) = delete;

    void Enter() { EnterCriticalSection(&section); }
    void Leave() { LeaveCriticalSection(&section); }

    // Holds the section for one scope.
    class Lock_CL {
    public:
        explicit Lock_CL(CriticalSection_CL& owner) : owner_(owner) { owner_.Enter(); }
        ~Lock_CL() { owner_.Leave(); }
        Lock_CL(const Lock_CL&) = delete;
        Lock_CL& operator=(const Lock_CL&) = delete;

    private:
        CriticalSection_CL& owner_;
    };

    int initialised = 0;
    CRITICAL_SECTION section;
};
