#include "core/base/Log.h"

#include <cstdarg>
#include <cstdio>
#include <iostream>
#include <vector>

#include "core/base/UniqueHandle.h"

Logger AppLog = {0x2000000, L""};

std::ostream DebugStream(std::cout.rdbuf());

namespace {

// The whole of WriteLog runs under one lock so that the size test, the emptying and the
// append of two threads never interleave.
SRWLOCK g_logLock = SRWLOCK_INIT;

class LogLockGuard {
public:
    LogLockGuard() { AcquireSRWLockExclusive(&g_logLock); }
    ~LogLockGuard() { ReleaseSRWLockExclusive(&g_logLock); }
    LogLockGuard(const LogLockGuard&) = delete;
    LogLockGuard& operator=(const LogLockGuard&) = delete;
};

}  // namespace

void WriteLog(Logger& log, const wchar_t* format, ...)
{
    if (log.path.empty()) return;

    wchar_t line[1300];
    SYSTEMTIME now;
    GetLocalTime(&now);
    _snwprintf(line, kLogPrefixLength + 1, L"%04d/%02d/%02d %02d:%02d:%02d.%03d : ", now.wYear, now.wMonth,
               now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    line[kLogPrefixLength] = L'\0';

    // The runtime's counted printf neither terminates nor reports a cut reliably, so the
    // terminator is placed by hand at the last unit the message may use.
    va_list args;
    va_start(args, format);
    _vsnwprintf(line + kLogPrefixLength, kMaxLogMessage, format, args);
    va_end(args);
    line[kLogPrefixLength + kMaxLogMessage] = L'\0';

    LogLockGuard guard;
    UniqueHandle file(CreateFileW(log.path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;

    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size)) return;
    if (size.QuadPart > static_cast<LONGLONG>(log.sizeLimit)) {
        if (SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return;
        if (!SetEndOfFile(file.get())) return;
        size.QuadPart = 0;
    }

    // One write per line: a reader never sees a prefix without its message.
    std::vector<BYTE> bytes;
    if (size.QuadPart == 0) bytes = {0xFF, 0xFE};
    for (const wchar_t* p = line; *p; ++p) {
        bytes.push_back(static_cast<BYTE>(*p & 0xFF));
        bytes.push_back(static_cast<BYTE>((*p >> 8) & 0xFF));
    }
    const BYTE crlf[] = {0x0D, 0x00, 0x0A, 0x00};
    bytes.insert(bytes.end(), crlf, crlf + sizeof(crlf));

    LARGE_INTEGER zero = {};
    if (!SetFilePointerEx(file.get(), zero, nullptr, FILE_END)) return;
    DWORD written = 0;
    WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::wstring GetSystemErrorText(DWORD code)
{
    wchar_t* text = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_MAX_WIDTH_MASK,
                                  nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                  reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (length == 0 || !text) return std::wstring();
    std::wstring result(text);
    LocalFree(text);
    return result;
}

void WriteLastErrorLog(const wchar_t* format)
{
    DWORD code = GetLastError();
    if (static_cast<LONG>(code) > 0) code = 0x80070000 | (code & 0xFFFF);
    WriteLog(AppLog, format, code, GetSystemErrorText(code).c_str());
}
