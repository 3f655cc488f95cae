#include "ReelvaultProcess.h"

#include <commctrl.h>

namespace appproc {

namespace {

struct TopWindowSearch {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTopWindow(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<TopWindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->pid) search->found.push_back(window);
    return TRUE;
}

struct ChildSearch {
    HWND parent;
    std::vector<ChildWindow> found;
};

BOOL CALLBACK CollectChild(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<ChildSearch*>(parameter);
    if (GetParent(window) != search->parent) return TRUE;
    search->found.push_back({window, ClassNameOf(window), GetDlgCtrlID(window), GetWindowLongW(window, GWL_STYLE)});
    return TRUE;
}

// Memory in another process, freed with it.
class RemoteBuffer {
public:
    RemoteBuffer(HANDLE process, size_t bytes) : process_(process)
    {
        address_ = VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteBuffer()
    {
        if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;
    void* get() const { return address_; }

private:
    HANDLE process_;
    void* address_ = nullptr;
};

}  // namespace

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs, DWORD pollMs)
{
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        if (done()) return true;
        if (GetTickCount64() - start >= timeoutMs) return false;
        Sleep(pollMs);
    }
}

ReelvaultProcess::~ReelvaultProcess()
{
    // A test that failed half-way must not leave a program holding the single-instance
    // mutex for the next one.
    while (suspended_ > 0) ResumeUiThread();
    if (IsRunning()) Kill();
}

bool ReelvaultProcess::Start(const std::wstring& program, const std::wstring& arguments)
{
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    std::wstring folder = program.substr(0, program.rfind(L'\\'));
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &info))
        return false;
    process_.reset(info.hProcess);
    thread_.reset(info.hThread);
    pid_ = info.dwProcessId;
    return true;
}

bool ReelvaultProcess::IsRunning() const
{
    return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

DWORD ReelvaultProcess::WaitForExit(DWORD timeoutMs)
{
    if (!process_) return STILL_ACTIVE;
    if (WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.get(), &code);
    return code;
}

void ReelvaultProcess::Kill()
{
    if (!process_) return;
    TerminateProcess(process_.get(), 9);
    WaitForSingleObject(process_.get(), 10000);
}

void ReelvaultProcess::SuspendUiThread()
{
    if (thread_ && SuspendThread(thread_.get()) != static_cast<DWORD>(-1)) ++suspended_;
}

void ReelvaultProcess::ResumeUiThread()
{
    if (suspended_ == 0) return;
    ResumeThread(thread_.get());
    --suspended_;
}

std::vector<HWND> ReelvaultProcess::TopWindows() const
{
    TopWindowSearch search{pid_, {}};
    EnumWindows(CollectTopWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND ReelvaultProcess::FindTopWindow(const wchar_t* className, const wchar_t* title) const
{
    for (HWND window : TopWindows()) {
        if (ClassNameOf(window) != className) continue;
        if (title) {
            wchar_t text[256] = {};
            // InternalGetWindowText does not send WM_GETTEXT: a hung owner cannot block it.
            InternalGetWindowText(window, text, 256);
            if (std::wstring(text) != title) continue;
        }
        return window;
    }
    return nullptr;
}

HWND ReelvaultProcess::WaitForTopWindow(const wchar_t* className, const wchar_t* title, DWORD timeoutMs) const
{
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopWindow(className, title)) != nullptr; }, timeoutMs);
    return found;
}

std::vector<ChildWindow> DirectChildren(HWND parent)
{
    ChildSearch search{parent, {}};
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindChild(HWND parent, const wchar_t* className)
{
    for (const ChildWindow& child : DirectChildren(parent)) {
        if (child.className == className) return child.window;
    }
    return nullptr;
}

std::wstring RemoteStatusText(HWND statusBar, int part)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(statusBar, &pid);
    UniqueHandle process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    if (!process) return std::wstring();
    DWORD_PTR lengthResult = 0;
    if (!SendMessageTimeoutW(statusBar, SB_GETTEXTLENGTHW, part, 0, SMTO_ABORTIFHUNG, 5000, &lengthResult))
        return std::wstring();
    const size_t units = LOWORD(lengthResult) + 1;
    RemoteBuffer remote(process.get(), units * sizeof(wchar_t));
    if (!remote.get()) return std::wstring();
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutW(statusBar, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(remote.get()), SMTO_ABORTIFHUNG,
                             5000, &ignored))
        return std::wstring();
    std::wstring text(units, L'\0');
    SIZE_T read = 0;
    if (!ReadProcessMemory(process.get(), remote.get(), &text[0], units * sizeof(wchar_t), &read)) return std::wstring();
    text.resize(wcsnlen(text.c_str(), units));
    return text;
}

// TCITEMW with its text buffer right behind it, all in the tab control's process.
std::wstring RemoteTabText(HWND tab, int index)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(tab, &pid);
    UniqueHandle process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    if (!process) return std::wstring();
    constexpr int kUnits = 256;
    RemoteBuffer remote(process.get(), sizeof(TCITEMW) + kUnits * sizeof(wchar_t));
    if (!remote.get()) return std::wstring();
    auto* text = reinterpret_cast<wchar_t*>(static_cast<uint8_t*>(remote.get()) + sizeof(TCITEMW));
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = kUnits;
    SIZE_T done = 0;
    if (!WriteProcessMemory(process.get(), remote.get(), &item, sizeof(item), &done)) return std::wstring();
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(tab, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(remote.get()),
                             SMTO_ABORTIFHUNG, 5000, &result) ||
        !result)
        return std::wstring();
    std::wstring read(kUnits, L'\0');
    if (!ReadProcessMemory(process.get(), text, &read[0], kUnits * sizeof(wchar_t), &done)) return std::wstring();
    read.resize(wcsnlen(read.c_str(), kUnits));
    return read;
}

bool RemoteTabItemRect(HWND tab, int index, RECT* rect)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(tab, &pid);
    UniqueHandle process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    if (!process) return false;
    RemoteBuffer remote(process.get(), sizeof(RECT));
    if (!remote.get()) return false;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(tab, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(remote.get()),
                             SMTO_ABORTIFHUNG, 5000, &result) ||
        !result)
        return false;
    SIZE_T read = 0;
    return ReadProcessMemory(process.get(), remote.get(), rect, sizeof(RECT), &read) && read == sizeof(RECT);
}

bool ClickTab(HWND tab, int index)
{
    RECT item = {};
    if (!RemoteTabItemRect(tab, index, &item)) return false;
    const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    return PostMessageW(tab, WM_LBUTTONDOWN, MK_LBUTTON, at) && PostMessageW(tab, WM_LBUTTONUP, 0, at);
}

std::wstring ClassNameOf(HWND window)
{
    wchar_t name[128] = {};
    GetClassNameW(window, name, 128);
    return name;
}

}  // namespace appproc
