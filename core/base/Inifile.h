#pragma once
// Ini files through the system's profile functions, always UTF-16LE.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/base/IniReader.h"

// The value texts of WriteInt ("%d") and WriteHex64 ("%08x:%08x", high part first).
std::wstring FormatIniInt(int value);
std::wstring FormatIniHex64(int64_t value);

// Creates `path` as the two bytes FF FE when it does not exist, so that the profile
// functions store Unicode in it. An existing file is left as it is.
void CreateUnicodeIniFile(const std::wstring& path);

class Inifile_CL : public IniReader_IF {
public:
    Inifile_CL() = default;
    explicit Inifile_CL(const std::wstring& path) : path_(path) {}

    // Creates the file as Unicode when missing, then binds to it.
    void SetPath(const std::wstring& path);
    const std::wstring& GetPath() const { return path_; }

    // An empty path makes every read give its default and every write do nothing.
    std::wstring ReadString(const wchar_t* section, const wchar_t* key, const wchar_t* defaultValue) const override;
    UINT ReadInt(const wchar_t* section, const wchar_t* key, int defaultValue) const override;
    std::wstring ReadLongString(const wchar_t* section, const wchar_t* key) const override;
    std::vector<std::wstring> ReadKeyNames(const wchar_t* section) const override;
    RECT ReadWindowRect(const wchar_t* section, const wchar_t* key, const RECT& defaultRect) const;

    void WriteString(const wchar_t* section, const wchar_t* key, const std::wstring& value) const;
    void WriteInt(int value, const wchar_t* section, const wchar_t* key) const;
    void WriteHex64(int64_t value, const wchar_t* section, const wchar_t* key) const;
    void WriteStruct(const wchar_t* section, const wchar_t* key, const void* data, UINT size) const;
    void DeleteKey(const wchar_t* section, const wchar_t* key) const;

private:
    std::wstring path_;
};

// The monitors of the desktop, in the order the system lists them.
class MultiScreen_CL {
public:
    struct MonitorEntry {
        HMONITOR monitor = nullptr;
        HDC dc = nullptr;
        MONITORINFOEXW info = {};
    };

    MultiScreen_CL() { ResetPrimary(); }
    virtual ~MultiScreen_CL() = default;

    void Enumerate();
    static BOOL CALLBACK MonitorEnumProc(HMONITOR monitor, HDC dc, LPRECT rect, LPARAM self);

    MonitorEntry primary;
    std::vector<MonitorEntry> monitors;

private:
    void ResetPrimary();
};
