#pragma once
// Stillforge as a process for the tests: kilnctl run with its output caught, the test's own
// data folder and Thumbnail.ini, and every instance ended with the test.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "core/base/Inifile.h"
#include "core/base/PathName.h"
#include "core/base/UniqueHandle.h"
#include "core/ipc/PipeServer.h"
#include "tests/common/TempFolder.h"

using Lines = std::vector<std::string>;

inline std::wstring Beside(const std::wstring& name) { return PathName_CL::GetModuleFolder() + L"\\" + name; }

inline std::string Utf8(const std::wstring& text)
{
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &bytes[0], size, nullptr, nullptr);
    return bytes;
}

struct RunResult {
    DWORD exitCode = STILL_ACTIVE;
    Lines lines;
    std::string Text() const
    {
        std::string text;
        for (const auto& line : lines) text += line + "\n";
        return text;
    }
    bool Has(const std::string& line) const { return std::find(lines.begin(), lines.end(), line) != lines.end(); }
    // The keys of the "response" lines in arrival order, with their error flags.
    std::vector<std::pair<unsigned, unsigned>> Responses() const
    {
        std::vector<std::pair<unsigned, unsigned>> responses;
        for (const auto& line : lines) {
            unsigned id = 0, error = 0;
            if (sscanf(line.c_str(), "response id=%u error=%u", &id, &error) == 2) responses.emplace_back(id, error);
        }
        return responses;
    }
    std::vector<unsigned> QueueKeys(int listing) const
    {
        std::vector<unsigned> keys;
        int seen = -1;
        for (const auto& line : lines) {
            if (line.rfind("queue count=", 0) == 0) ++seen;
            unsigned key = 0;
            if (seen == listing && sscanf(line.c_str(), "item key=%u", &key) == 1) keys.push_back(key);
        }
        return keys;
    }
    unsigned Number(const char* format) const
    {
        for (const auto& line : lines) {
            unsigned value = 0;
            if (sscanf(line.c_str(), format, &value) == 1) return value;
        }
        return 0;
    }
};

// Runs a program with its standard output caught; ended by force after timeoutMs.
inline RunResult RunCaptured(const std::wstring& program, const std::wstring& arguments, DWORD timeoutMs)
{
    RunResult result;
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE readRaw = nullptr, writeRaw = nullptr;
    if (!CreatePipe(&readRaw, &writeRaw, &inherit, 0)) return result;
    UniqueHandle readEnd(readRaw), writeEnd(writeRaw);
    SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);

    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd.get();
    startup.hStdError = writeEnd.get();
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &info))
        return result;
    UniqueHandle process(info.hProcess), thread(info.hThread);
    writeEnd.reset();

    std::string output;
    const ULONGLONG start = GetTickCount64();
    // Read while the program runs and after, until the pipe is empty; a grandchild that kept
    // the pipe open must not hold the test.
    for (;;) {
        DWORD available = 0;
        if (PeekNamedPipe(readEnd.get(), nullptr, 0, nullptr, &available, nullptr) && available > 0) {
            std::string chunk(available, '\0');
            DWORD read = 0;
            if (ReadFile(readEnd.get(), &chunk[0], available, &read, nullptr)) output.append(chunk, 0, read);
            continue;
        }
        if (WaitForSingleObject(process.get(), 20) == WAIT_OBJECT_0) {
            if (PeekNamedPipe(readEnd.get(), nullptr, 0, nullptr, &available, nullptr) && available > 0) continue;
            break;
        }
        if (GetTickCount64() - start > timeoutMs) {
            TerminateProcess(process.get(), 99);
            WaitForSingleObject(process.get(), 5000);
            output += "\n(killed by the test after its time-out)\n";
            break;
        }
    }
    GetExitCodeProcess(process.get(), &result.exitCode);
    size_t begin = 0;
    while (begin < output.size()) {
        size_t end = output.find('\n', begin);
        if (end == std::string::npos) end = output.size();
        std::string line = output.substr(begin, end - begin);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) result.lines.push_back(line);
        begin = end + 1;
    }
    return result;
}

// Holds a pipe name the way a previous instance of Stillforge would.
class PipeHolder : public PipeServer_CL {
public:
    ~PipeHolder() override { Stop(); }
    using PipeServer_CL::Stop;
};

inline std::wstring Quote(const std::wstring& text) { return L"\"" + text + L"\""; }

class StillforgeProcess : public testing::Test {
protected:
    void SetUp() override
    {
        static int counter = 0;
        name_ = L"KilnTest-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
        ini_.SetPath(data_ / L"Thumbnail.ini");
    }

    // Every Stillforge of this test ends with the test, however the test ended.
    void TearDown() override
    {
        if (HasFailure()) {
            for (const wchar_t* file : {L"kiln_log.txt", L"kiln_dec_list.txt", L"kiln_seq.txt"})
                printf("---- %s\n%s\n", Utf8(file).c_str(), Utf8(Log(file)).c_str());
        }
        int quietRounds = 0;
        for (int round = 0; round < 40 && quietRounds < 3; ++round) {
            bool any = false;
            for (DWORD pid : ProcessIds()) any = Kill(pid) || any;
            HWND window;
            while ((window = FindWindowW(L"Stillforge", name_.c_str())) != nullptr) {
                DWORD pid = 0;
                GetWindowThreadProcessId(window, &pid);
                if (!Kill(pid)) break;
                any = true;
            }
            quietRounds = any ? 0 : quietRounds + 1;
            Sleep(100);
        }
    }

    static bool Kill(DWORD pid)
    {
        UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
        if (!process || WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0) return false;
        TerminateProcess(process.get(), 98);
        WaitForSingleObject(process.get(), 5000);
        return true;
    }

    RunResult Kilnctl(const std::wstring& commands, DWORD timeoutMs = 60000)
    {
        return RunCaptured(Beside(L"kilnctl.exe"), Quote(name_) + L" " + Quote(data_.Path()) + L" " + commands,
                           timeoutMs);
    }
    std::wstring StartScripted() const { return L"start " + Quote(Beside(L"scripted")); }

    std::wstring Log(const wchar_t* file) const { return ReadUtf16File(data_ / file); }
    // The process ids in the order the instances started.
    std::vector<DWORD> ProcessIds() const
    {
        std::vector<DWORD> pids;
        const std::wstring log = Log(L"kiln_log.txt");
        const std::wstring marker = L"exe-info pid=";
        for (size_t at = log.find(marker); at != std::wstring::npos; at = log.find(marker, at + 1))
            pids.push_back(wcstoul(log.c_str() + at + marker.size(), nullptr, 10));
        return pids;
    }
    static bool Contains(const std::wstring& text, const std::wstring& part)
    {
        return text.find(part) != std::wstring::npos;
    }

    TempFolder data_;
    std::wstring name_;
    Inifile_CL ini_;
};
