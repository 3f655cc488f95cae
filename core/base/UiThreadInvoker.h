#pragma once
// Runs work on the thread that built the invoker (the user-interface thread), from any
// thread, and waits for it: the way a worker changes what the windows read.
#include <windows.h>

#include <functional>

class UiThreadInvoker_CL {
public:
    UiThreadInvoker_CL();
    virtual ~UiThreadInvoker_CL();
    UiThreadInvoker_CL(const UiThreadInvoker_CL&) = delete;
    UiThreadInvoker_CL& operator=(const UiThreadInvoker_CL&) = delete;

    // Calls work at once on the owner thread, else sends it there and returns when it
    // has run. The owner thread must be pumping messages. False when it could not run.
    bool Invoke(const std::function<void()>& work) const;
    DWORD GetOwnerThreadId() const { return ownerThread_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    DWORD ownerThread_;
};
