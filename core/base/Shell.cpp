#include "core/base/Shell.h"

#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

bool HasHomeMarkerFile()
{
    return PathFileExistsW(L"c:\\MyHome.txt") != FALSE;
}

void ShellOpen(const std::wstring& target)
{
    if (HasHomeMarkerFile()) return;
    ShellExecuteW(nullptr, nullptr, target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
