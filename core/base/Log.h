#pragma once
// The program's diary: UTF-16LE text files of time-stamped lines.
#include <windows.h>
#include <cstdint>
#include <ostream>
#include <string>

// One log target. A plain record: the writer keeps no state of its own.
struct Logger {
    int32_t sizeLimit;  // bytes; a file larger than this is emptied before the next line
    std::wstring path;  // empty: nothing is written
};

// Reelvault's program log; start-up sets its path once.
extern Logger AppLog;

// Narrow stream on standard output; goes nowhere in a windowed process.
extern std::ostream DebugStream;

// Appends "yyyy/mm/dd hh:mm:ss.mmm : " + message + CR LF to the log.
// A message longer than kMaxLogMessage characters is cut. Failures are silent.
void WriteLog(Logger& log, const wchar_t* format, ...);

constexpr int kLogPrefixLength = 26;
constexpr int kMaxLogMessage = 1039;

// The system's one-line text for a Win32 error code or HRESULT; empty when it has none.
std::wstring GetSystemErrorText(DWORD code);

// Logs the failure of a Windows call to AppLog. `format` names the call and takes the
// HRESULT-form code and its text, e.g. L"InternetOpen()エラー = 0x%08x : %s".
void WriteLastErrorLog(const wchar_t* format);
