#include "thumbnailer/AppRestart.h"

#include <windows.h>

#include <string>

#include "core/base/UniqueHandle.h"
#include "thumbnailer/StillforgeGlobals.h"

void AppRestart()
{
    WriteLog(SequenceLog, L"AppRestart_START");
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(GetModuleHandleW(nullptr), program, MAX_PATH);
    wchar_t directory[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, directory);

    // CreateProcess rather than the shell: this also runs from the exception filter of a
    // crashed thread, where the shell's COM and window machinery is not to be relied on.
    std::wstring commandLine = L"\"" + std::wstring(program) + L"\" \"" + StillforgeName + L"\" \"" +
                               StillforgeDataFolder + L"\" -restart";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION info = {};
    if (CreateProcessW(program, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, directory, &startup, &info)) {
        UniqueHandle thread(info.hThread);
        UniqueHandle process(info.hProcess);
        WriteLog(KilnLog, L"[LOG_LINE]  restart pid=%u", info.dwProcessId);
    } else {
        WriteLog(KilnLog, L"[LOG_LINE]  restart failed: %s", GetSystemErrorText(GetLastError()).c_str());
    }
    WriteLog(SequenceLog, L"AppRestart_END");
}
