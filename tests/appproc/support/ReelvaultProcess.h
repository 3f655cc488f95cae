#pragma once
// One run of the real Reelvault.exe, watched from outside as a user's tools would: its
// windows, its log, its status bar (read through a buffer in its own address space), and
// the blunt instruments: a suspended user-interface thread, posted messages, a kill.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "core/base/UniqueHandle.h"

namespace appproc {

// Polls until done() holds or timeoutMs passes; true when it held.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs, DWORD pollMs = 50);

struct ChildWindow {
    HWND window;
    std::wstring className;
    int id;
    LONG style;
};

class ReelvaultProcess {
public:
    ReelvaultProcess() = default;
    ~ReelvaultProcess();
    ReelvaultProcess(const ReelvaultProcess&) = delete;
    ReelvaultProcess& operator=(const ReelvaultProcess&) = delete;

    // Starts program (a full path) with the arguments; false when it could not start.
    bool Start(const std::wstring& program, const std::wstring& arguments = L"");
    DWORD Pid() const { return pid_; }
    HANDLE Handle() const { return process_.get(); }

    bool IsRunning() const;
    // The exit code, or STILL_ACTIVE when the process did not end within timeoutMs.
    DWORD WaitForExit(DWORD timeoutMs);
    // TerminateProcess with exit code 9 and a wait for the end.
    void Kill();
    // The user-interface thread is the program's first thread.
    void SuspendUiThread();
    void ResumeUiThread();

    // This process's top-level window of that class (and title, when given), or null.
    HWND FindTopWindow(const wchar_t* className, const wchar_t* title = nullptr) const;
    HWND WaitForTopWindow(const wchar_t* className, const wchar_t* title, DWORD timeoutMs) const;
    HWND MainWindow() const { return FindTopWindow(L"Reelvault", L"Reelvault"); }
    // Every top-level window of this process.
    std::vector<HWND> TopWindows() const;

private:
    UniqueHandle process_;
    UniqueHandle thread_;
    DWORD pid_ = 0;
    int suspended_ = 0;
};

// Direct children of parent (not their children).
std::vector<ChildWindow> DirectChildren(HWND parent);
// The first direct child of that class, or null.
HWND FindChild(HWND parent, const wchar_t* className);
// The text of a status-bar part of another process (SB_GETTEXTW into a buffer allocated in
// the owner's address space); empty when it cannot be read.
std::wstring RemoteStatusText(HWND statusBar, int part);
std::wstring ClassNameOf(HWND window);
// A tab's caption and rectangle in a tab control of another process (TCM_GETITEMW and
// TCM_GETITEMRECT through a buffer in its address space).
std::wstring RemoteTabText(HWND tab, int index);
bool RemoteTabItemRect(HWND tab, int index, RECT* rect);
// A left click posted at the middle of the tab: what the user's click sends the control.
bool ClickTab(HWND tab, int index);

}  // namespace appproc
