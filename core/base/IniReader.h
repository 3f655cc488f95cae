#pragma once
// The read side of an ini file, so that the album's readers can take either the profile
// functions (Inifile_CL) or one snapshot of the file's bytes (IniSnapshot_CL).
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class IniReader_IF {
public:
    virtual ~IniReader_IF() = default;

    // As one profile read into a 4,096-unit buffer: longer values come back cut.
    virtual std::wstring ReadString(const wchar_t* section, const wchar_t* key, const wchar_t* defaultValue) const = 0;
    virtual UINT ReadInt(const wchar_t* section, const wchar_t* key, int defaultValue) const = 0;
    // The whole value, however long; empty when the key is missing.
    virtual std::wstring ReadLongString(const wchar_t* section, const wchar_t* key) const = 0;
    // The names of the section's keys that carry a value, in file order.
    virtual std::vector<std::wstring> ReadKeyNames(const wchar_t* section) const = 0;

    // "%08x:%08x", high part first.
    int64_t ReadHex64(int64_t defaultValue, const wchar_t* section, const wchar_t* key) const;
};
