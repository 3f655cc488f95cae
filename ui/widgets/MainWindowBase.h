#pragma once
// The base of the program's own top-level window class: registers the class, creates the
// window bound to this object and ends the message loop when the window goes.
#include <windows.h>

#include <string>

#include "ui/widgets/ControlBase.h"

class MainWindowBase_CL : public ControlBase_CL {
public:
    // WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN
    static constexpr DWORD kDefaultStyle = 0x06CF0000;

    MainWindowBase_CL();
    ~MainWindowBase_CL() override;

    // Every message of the bound window arrives here.
    LRESULT HandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Derived classes handle further messages and end with this one.
    virtual LRESULT WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    virtual void OnDestroy() {}
    // 0 keeps the window open.
    virtual BOOL OnClose() { return 1; }
    virtual void OnCreate(CREATESTRUCTW* create) {}
    // The derived class reads the client size itself.
    virtual void OnSize() {}
    virtual void OnPaint() {}
    // Registers the class (once) and creates the window; null when either fails.
    virtual HWND Create();
    virtual void SetClassName(std::wstring name) { className = std::move(name); }
    virtual void SetTitle(std::wstring text) { title = std::move(text); }
    virtual void SetIcon(HICON classIcon) { icon = classIcon; }

    // A never-shown window of a class of its own that owns the main window, so that the main
    // window gets no task-bar button of its own. Null when its class cannot be registered.
    HWND CreateShadowOwner();

    // Binds the window at WM_CREATE; before it messages go to DefWindowProcW.
    static LRESULT CALLBACK StaticWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

    int useHiddenOwner = 0;
    HICON icon = nullptr;
    std::wstring className;
    std::wstring title;
    DWORD windowStyle = kDefaultStyle;
    HMENU menu = nullptr;
    HBRUSH background = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    int width = 640;
    int height = 480;
    HWND ownerWindow = nullptr;

private:
    WNDCLASSEXW ClassData(const std::wstring& name, WNDPROC procedure) const;

    HWND shadowOwner_ = nullptr;
};
