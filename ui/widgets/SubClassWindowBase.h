#pragma once
// An object bound to a window of an existing or system class: the window's messages reach
// the object's WndProc first, and the class's own procedure after it.
#include <windows.h>

class SubClassWindowBase_CL {
public:
    SubClassWindowBase_CL() = default;
    virtual ~SubClassWindowBase_CL();
    SubClassWindowBase_CL(const SubClassWindowBase_CL&) = delete;
    SubClassWindowBase_CL& operator=(const SubClassWindowBase_CL&) = delete;

    // CreateWindowExW, then the window is bound to this object. Null on failure.
    virtual HWND Create(DWORD exStyle, const wchar_t* className, const wchar_t* windowName, DWORD style, int x,
                        int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance, void* param);
    // Derived classes handle their messages and end with this one: it passes every message,
    // WM_DESTROY included, on to the previous procedure, which it puts back at WM_DESTROY.
    virtual LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HWND window = nullptr;
    WNDPROC previousWndProc = nullptr;

protected:
    // Binds an already created window: the object into GWLP_USERDATA, StaticWndProc in
    // place of the class's procedure. Does nothing for a null window.
    void Bind(HWND created);
};
