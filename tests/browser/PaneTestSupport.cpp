#include "tests/browser/PaneTestSupport.h"

#include <commctrl.h>

#include <algorithm>

#include "core/base/Log.h"
#include "tests/browser/StandinTestSupport.h"
#include "tests/common/TestWindow.h"

LogCapture::LogCapture() : path_(folder_ / L"Reelvault.txt"), previous_(AppLog.path) { AppLog.path = path_; }

LogCapture::~LogCapture() { AppLog.path = previous_; }

std::vector<std::wstring> LogCapture::Lines() const
{
    std::vector<std::wstring> lines;
    const std::wstring text = ReadUtf16File(path_);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L"\r\n", start);
        if (end == std::wstring::npos) end = text.size();
        const std::wstring line = text.substr(start, end - start);
        lines.push_back(line.size() >= kLogPrefixLength ? line.substr(kLogPrefixLength) : line);
        start = end + 2;
    }
    return lines;
}

std::vector<std::wstring> LogCapture::BrowserLines() const
{
    std::vector<std::wstring> lines;
    for (const std::wstring& line : Lines()) {
        if (line.rfind(L"[Browser]", 0) == 0 || line.rfind(L"[History]", 0) == 0) lines.push_back(line);
    }
    return lines;
}

void LogCapture::Clear() { DeleteFileW(path_.c_str()); }

NoticeWatcher::NoticeWatcher(DWORD processId)
    : processId_(processId ? processId : GetCurrentProcessId()), thread_([this] { Run(); })
{
}

NoticeWatcher::~NoticeWatcher()
{
    stop_ = true;
    thread_.join();
}

std::vector<SeenNotice> NoticeWatcher::Seen() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_;
}

namespace {

struct BoxSearch {
    DWORD processId;
    std::vector<HWND> boxes;
};

BOOL CALLBACK CollectBox(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<BoxSearch*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t className[32] = {};
    GetClassNameW(window, className, 32);
    if (process == search->processId && wcscmp(className, L"#32770") == 0 && IsWindowVisible(window))
        search->boxes.push_back(window);
    return TRUE;
}

BOOL CALLBACK LongestStatic(HWND child, LPARAM parameter)
{
    auto* longest = reinterpret_cast<std::wstring*>(parameter);
    wchar_t className[32] = {};
    GetClassNameW(child, className, 32);
    if (_wcsicmp(className, L"Static") != 0) return TRUE;
    wchar_t text[1024] = {};
    GetWindowTextW(child, text, 1024);
    if (wcslen(text) > longest->size()) *longest = text;
    return TRUE;
}

}  // namespace

std::wstring MessageBoxText(HWND box)
{
    std::wstring text;
    EnumChildWindows(box, &LongestStatic, reinterpret_cast<LPARAM>(&text));
    return text;
}

void NoticeWatcher::Run()
{
    while (!stop_) {
        BoxSearch search{processId_, {}};
        EnumWindows(&CollectBox, reinterpret_cast<LPARAM>(&search));
        for (HWND box : search.boxes) {
            std::lock_guard<std::mutex> lock(mutex_);
            if (std::find(answered_.begin(), answered_.end(), box) != answered_.end()) continue;
            // The text is set before the box shows; an empty one is not complete yet.
            const std::wstring text = MessageBoxText(box);
            if (text.empty()) continue;
            wchar_t title[256] = {};
            GetWindowTextW(box, title, 256);
            HWND owner = GetWindow(box, GW_OWNER);
            wchar_t ownerClass[64] = {};
            if (owner) GetClassNameW(owner, ownerClass, 64);
            seen_.push_back({title, text, owner, ownerClass});
            answered_.push_back(box);
            if (answering_) PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
        Sleep(50);
    }
}

PaneParent::PaneParent(int width, int height) : panel_(width, height)
{
    statusBar.Create(panel_.Get(), 0x1102);
}

PaneParent::~PaneParent()
{
    if (recording_) RemoveWindowSubclass(statusBar.hwnd, &PaneParent::RecordingProc, 1);
}

void PaneParent::RecordStatusTexts()
{
    statusTexts_.clear();
    if (!recording_) recording_ = SetWindowSubclass(statusBar.hwnd, &PaneParent::RecordingProc, 1,
                                                    reinterpret_cast<DWORD_PTR>(this)) != FALSE;
}

LRESULT CALLBACK PaneParent::RecordingProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                           DWORD_PTR self)
{
    if (msg == SB_SETTEXTW && (wParam & 0xFF) == 0)
        reinterpret_cast<PaneParent*>(self)->statusTexts_.push_back(lParam ? reinterpret_cast<const wchar_t*>(lParam)
                                                                           : L"");
    return DefSubclassProc(window, msg, wParam, lParam);
}

std::wstring PaneParent::StatusText() const
{
    wchar_t text[512] = {};
    SendMessageW(statusBar.hwnd, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
    return text;
}

bool WaitForView(BrowserBaseReelvault_CL& pane)
{
    return PumpUntil([&] { return pane.view != nullptr; });
}
