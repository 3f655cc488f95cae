#pragma once
// Helpers shared by the ipc tests and their peer programs.
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/base/PathName.h"
#include "core/base/UniqueHandle.h"

namespace ipctest {

// The whole file, or an empty vector when it cannot be read.
inline std::vector<uint8_t> ReadWholeFile(const std::wstring& path)
{
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {};
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x10000000) return {};
    std::vector<uint8_t> bytes(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() && (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                           read != bytes.size()))
        return {};
    return bytes;
}

// Golden files and peer programs are built next to the test program.
inline std::wstring BesideTests(const std::wstring& name) { return PathName_CL::GetModuleFolder() + L"\\" + name; }

// A peer program started by a test; ended by force if the test leaves it running.
class PeerProcess {
public:
    PeerProcess() = default;
    ~PeerProcess()
    {
        if (process_ && !Wait(0)) {
            TerminateProcess(process_.get(), 99);
            WaitForSingleObject(process_.get(), 5000);
        }
    }
    PeerProcess(const PeerProcess&) = delete;
    PeerProcess& operator=(const PeerProcess&) = delete;

    bool Start(const std::wstring& program, const std::wstring& arguments)
    {
        std::wstring path = BesideTests(program);
        std::wstring commandLine = L"\"" + path + L"\" " + arguments;
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info = {};
        if (!CreateProcessW(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &info))
            return false;
        CloseHandle(info.hThread);
        process_.reset(info.hProcess);
        return true;
    }
    // True when the program has ended within the time.
    bool Wait(DWORD ms) const { return WaitForSingleObject(process_.get(), ms) == WAIT_OBJECT_0; }
    DWORD ExitCode() const
    {
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process_.get(), &code);
        return code;
    }

private:
    UniqueHandle process_;
};

// Arguments of a peer program.
inline std::vector<std::wstring> CommandArguments()
{
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> arguments(argv, argv + count);
    LocalFree(argv);
    return arguments;
}

}  // namespace ipctest
