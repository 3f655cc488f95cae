#include "browser/BrowserLog.h"

#include <cstdarg>
#include <cstdio>

#include "core/base/Log.h"

namespace {

constexpr size_t kBrowserLogUnits = 1024;

}  // namespace

void WriteBrowserLog(const wchar_t* format, ...)
{
    wchar_t line[kBrowserLogUnits];
    va_list arguments;
    va_start(arguments, format);
    // Too long a line comes back unterminated (-1): the last unit ends it.
    _vsnwprintf(line, kBrowserLogUnits, format, arguments);
    va_end(arguments);
    line[kBrowserLogUnits - 1] = L'\0';
    WriteLog(AppLog, L"%s", line);
}
