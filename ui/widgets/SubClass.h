#pragma once
// Routes the messages of a window that belongs to someone else (the edit box inside a
// combo box, say) to a handler of the object that holds this one as a member.
#include <windows.h>

class SubClass_CL {
public:
    SubClass_CL() = default;
    virtual ~SubClass_CL();
    SubClass_CL(const SubClass_CL&) = delete;
    SubClass_CL& operator=(const SubClass_CL&) = delete;

    // The handler's answer, or 0 when no handler is set. The handler finds this object
    // through the window's GWLP_USERDATA and its owner through `owner`.
    virtual LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    // Puts this object between the window and its procedure until the window's WM_DESTROY.
    void Subclass(HWND target, void* handlerOwner, WNDPROC messageHandler);

    // Clears the handled flag, asks HandleMessage, then passes the message to the previous
    // procedure unless the handler set the flag. At WM_DESTROY the previous procedure is put
    // back and does not see the message.
    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    WNDPROC previousWndProc = nullptr;
    WNDPROC handler = nullptr;
    int handled = 0;  // a handler sets 1 to keep the message from the previous procedure
    void* owner = nullptr;

private:
    HWND window_ = nullptr;  // the subclassed window until its WM_DESTROY
};
