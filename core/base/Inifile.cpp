#include "core/base/Inifile.h"

#include <shlwapi.h>

#include <cwchar>

#include "core/base/UniqueHandle.h"

void CreateUnicodeIniFile(const std::wstring& path)
{
    if (path.empty() || PathFileExistsW(path.c_str())) return;
    // CREATE_NEW: a file that appeared since the test above is not overwritten.
    UniqueHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    const BYTE bom[] = {0xFF, 0xFE};
    DWORD written = 0;
    WriteFile(file.get(), bom, sizeof(bom), &written, nullptr);
}

void Inifile_CL::SetPath(const std::wstring& path)
{
    CreateUnicodeIniFile(path);
    path_ = path;
}

std::wstring Inifile_CL::ReadString(const wchar_t* section, const wchar_t* key, const wchar_t* defaultValue) const
{
    if (path_.empty()) return defaultValue ? defaultValue : L"";
    wchar_t buffer[4096] = {};
    GetPrivateProfileStringW(section, key, defaultValue, buffer, 4096, path_.c_str());
    return buffer;
}

UINT Inifile_CL::ReadInt(const wchar_t* section, const wchar_t* key, int defaultValue) const
{
    if (path_.empty()) return static_cast<UINT>(defaultValue);
    return GetPrivateProfileIntW(section, key, defaultValue, path_.c_str());
}

std::wstring Inifile_CL::ReadLongString(const wchar_t* section, const wchar_t* key) const
{
    if (path_.empty()) return std::wstring();
    // The profile functions report a cut value by returning size - 1; grow until it fits.
    for (DWORD size = 4096; size <= 0x1000000; size *= 4) {
        std::vector<wchar_t> buffer(size);
        DWORD length = GetPrivateProfileStringW(section, key, L"", buffer.data(), size, path_.c_str());
        if (length + 1 < size) return std::wstring(buffer.data(), length);
    }
    return std::wstring();
}

std::vector<std::wstring> Inifile_CL::ReadKeyNames(const wchar_t* section) const
{
    std::vector<std::wstring> names;
    if (path_.empty()) return names;
    // A null key lists the names, each ended by a 0 unit; a list that does not fit comes
    // back as size - 2.
    for (DWORD size = 4096; size <= 0x4000000; size *= 4) {
        std::vector<wchar_t> buffer(size);
        DWORD length = GetPrivateProfileStringW(section, nullptr, L"", buffer.data(), size, path_.c_str());
        if (length + 2 >= size) continue;
        for (size_t at = 0; at < length && buffer[at];) {
            std::wstring name(buffer.data() + at);
            at += name.size() + 1;
            names.push_back(std::move(name));
        }
        return names;
    }
    return names;
}

void Inifile_CL::WriteString(const wchar_t* section, const wchar_t* key, const std::wstring& value) const
{
    if (path_.empty()) return;
    WritePrivateProfileStringW(section, key, value.c_str(), path_.c_str());
}

std::wstring FormatIniInt(int value)
{
    wchar_t text[32];
    _snwprintf(text, 32, L"%d", value);
    text[31] = L'\0';
    return text;
}

std::wstring FormatIniHex64(int64_t value)
{
    uint64_t bits = static_cast<uint64_t>(value);
    wchar_t text[32];
    _snwprintf(text, 32, L"%08x:%08x", static_cast<unsigned>(bits >> 32), static_cast<unsigned>(bits & 0xFFFFFFFF));
    text[31] = L'\0';
    return text;
}

void Inifile_CL::WriteInt(int value, const wchar_t* section, const wchar_t* key) const
{
    WriteString(section, key, FormatIniInt(value));
}

void Inifile_CL::WriteHex64(int64_t value, const wchar_t* section, const wchar_t* key) const
{
    WriteString(section, key, FormatIniHex64(value));
}

void Inifile_CL::WriteStruct(const wchar_t* section, const wchar_t* key, const void* data, UINT size) const
{
    if (path_.empty()) return;
    WritePrivateProfileStructW(section, key, const_cast<void*>(data), size, path_.c_str());
}

void Inifile_CL::DeleteKey(const wchar_t* section, const wchar_t* key) const
{
    if (path_.empty()) return;
    WritePrivateProfileStringW(section, key, nullptr, path_.c_str());
}

RECT Inifile_CL::ReadWindowRect(const wchar_t* section, const wchar_t* key, const RECT& defaultRect) const
{
    if (path_.empty()) return defaultRect;
    RECT saved = {};
    if (!GetPrivateProfileStructW(section, key, &saved, sizeof(saved), path_.c_str())) return defaultRect;

    // Only the top-left corner must be on a screen; a window that runs off an edge can
    // still be grabbed by its caption.
    MultiScreen_CL screens;
    screens.Enumerate();
    for (const auto& entry : screens.monitors) {
        const RECT& work = entry.info.rcWork;
        if (work.left <= saved.left && saved.left < work.right && work.top <= saved.top && saved.top < work.bottom)
            return saved;
    }
    return defaultRect;
}

void MultiScreen_CL::ResetPrimary()
{
    primary = MonitorEntry();
    primary.info.cbSize = sizeof(MONITORINFOEXW);
}

void MultiScreen_CL::Enumerate()
{
    monitors.clear();
    ResetPrimary();
    EnumDisplayMonitors(nullptr, nullptr, MonitorEnumProc, reinterpret_cast<LPARAM>(this));
}

BOOL CALLBACK MultiScreen_CL::MonitorEnumProc(HMONITOR monitor, HDC dc, LPRECT, LPARAM self)
{
    auto* screens = reinterpret_cast<MultiScreen_CL*>(self);
    MonitorEntry entry;
    entry.monitor = monitor;
    entry.dc = dc;
    entry.info.cbSize = sizeof(MONITORINFOEXW);
    GetMonitorInfoW(monitor, &entry.info);
    screens->monitors.push_back(entry);
    if (entry.info.dwFlags == MONITORINFOF_PRIMARY) screens->primary = entry;
    return TRUE;
}
