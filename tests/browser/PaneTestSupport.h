#pragma once
// Helpers for the browser pane's tests: the program log caught in a file of its own, the
// pane's warning boxes watched for and answered, a parent window with a status bar as
// the main window gives the pane.
#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "browser/BrowserBaseReelvault.h"
#include "tests/common/TempFolder.h"
#include "tests/common/TestWindow.h"
#include "ui/widgets/StatusBar.h"

// Points the program log at a fresh file for the object's lifetime.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // Every message written so far, without the time stamps.
    std::vector<std::wstring> Lines() const;
    // Only the browser's own lines ("[Browser]" and "[History]").
    std::vector<std::wstring> BrowserLines() const;
    // Forgets what was written so far.
    void Clear();

private:
    TempFolder folder_;
    std::wstring path_;
    std::wstring previous_;
};

// A warning box seen by a NoticeWatcher: its title, its text and its owner (with the
// owner's class, read while the owner still exists).
struct SeenNotice {
    std::wstring title;
    std::wstring text;
    HWND owner = nullptr;
    std::wstring ownerClass;
};

// Watches for message boxes of one process and presses OK on each, as a person would.
class NoticeWatcher {
public:
    // processId 0: this process.
    explicit NoticeWatcher(DWORD processId = 0);
    ~NoticeWatcher();
    NoticeWatcher(const NoticeWatcher&) = delete;
    NoticeWatcher& operator=(const NoticeWatcher&) = delete;

    std::vector<SeenNotice> Seen() const;
    // Leaves the boxes up from now on (the test answers them itself).
    void StopAnswering() { answering_ = false; }

private:
    void Run();

    DWORD processId_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> answering_{true};
    mutable std::mutex mutex_;
    std::vector<SeenNotice> seen_;
    std::vector<HWND> answered_;
    std::thread thread_;
};

// The text of a message box: its longest static text.
std::wstring MessageBoxText(HWND box);

// A parent for the pane as the main window gives it: a panel with a status bar.
class PaneParent {
public:
    PaneParent(int width = 640, int height = 420);
    PaneParent(const PaneParent&) = delete;
    PaneParent& operator=(const PaneParent&) = delete;

    HWND Get() const { return panel_.Get(); }
    ~PaneParent();
    StatusBar_CL statusBar;
    std::wstring StatusText() const;
    // From now on every text put into part 0 is kept, in order.
    void RecordStatusTexts();
    std::vector<std::wstring> StatusTexts() const { return statusTexts_; }

private:
    static LRESULT CALLBACK RecordingProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                          DWORD_PTR self);

    TestHostWindow panel_;
    std::vector<std::wstring> statusTexts_;
    bool recording_ = false;
};

// Pumps messages until the pane has its view (or it is plain that none will come).
bool WaitForView(BrowserBaseReelvault_CL& pane);
