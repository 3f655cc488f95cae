#include "core/base/PathName.h"

#include <windows.h>

std::wstring PathName_CL::GetModuleFolder()
{
    wchar_t path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::wstring();
    return GetFolder(path);
}

std::wstring PathName_CL::GetFolder(const std::wstring& path)
{
    size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring PathName_CL::GetFileName(const std::wstring& path)
{
    size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring PathName_CL::GetExtension(const std::wstring& path)
{
    size_t dot = path.rfind(L'.');
    return dot == std::wstring::npos ? std::wstring() : path.substr(dot);
}

std::wstring PathName_CL::RemoveExtension(const std::wstring& path)
{
    size_t dot = path.rfind(L'.');
    return dot == std::wstring::npos ? path : path.substr(0, dot);
}

bool PathName_CL::HasInvalidFileNameChar(const std::wstring& name)
{
    return name.find_first_of(L"\\/:*?\"<>|") != std::wstring::npos;
}

uint32_t LinkNameHash(const std::wstring& path)
{
    uint32_t hash = static_cast<uint32_t>(path.size());
    for (wchar_t unit : path) hash = hash * 3 + static_cast<uint16_t>(unit);
    return hash;
}
