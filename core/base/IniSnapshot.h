#pragma once
// One ini file read once and answered from memory with the results the profile functions
// give, for loops that read thousands of files key by key.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/base/IniReader.h"

class IniSnapshot_CL : public IniReader_IF {
public:
    // Reads the file's bytes once. False when the file could not be read or holds anything
    // this reader does not answer exactly as the profile functions do; read that file
    // through Inifile_CL then. Those files are:
    // - files without the FF FE mark (ANSI and UTF-8 files, zero-byte files), which the
    //   profile functions decode in the system code page; the album rewrites them anyway;
    // - files of an odd number of bytes, files holding a NUL unit, files over 16 MB;
    // - a character that may or may not be white space to the profile functions (control
    //   characters but tab, LF, VT, FF, CR and ^Z; every non-ASCII space such as U+3000 or
    //   U+2028) at a place where they trim: either end of a line, before or after "=";
    // - a section or key name holding a character outside ASCII, which Unicode case
    //   folding might match to an ASCII name.
    bool Load(const std::wstring& path);
    // The same from bytes already in memory; `path` serves reads that the snapshot hands
    // to the profile functions (names or defaults of unusual shape).
    bool Parse(const std::wstring& path, const uint8_t* bytes, size_t size);
    bool IsLoaded() const { return loaded_; }

    std::wstring ReadString(const wchar_t* section, const wchar_t* key, const wchar_t* defaultValue) const override;
    UINT ReadInt(const wchar_t* section, const wchar_t* key, int defaultValue) const override;
    std::wstring ReadLongString(const wchar_t* section, const wchar_t* key) const override;
    std::vector<std::wstring> ReadKeyNames(const wchar_t* section) const override;

private:
    struct Key {
        std::wstring name;
        std::wstring value;
        bool hasValue = false;  // a line without "=" is a key whose reads give the default
    };
    struct Section {
        std::wstring name;
        std::vector<Key> keys;
    };

    const Section* FindSection(const wchar_t* section) const;
    const Key* FindKey(const wchar_t* section, const wchar_t* key) const;
    // The value as a profile read into a buffer of `units` units gives it (0: no limit).
    std::wstring Read(const wchar_t* section, const wchar_t* key, const wchar_t* defaultValue, size_t units) const;

    std::wstring path_;
    std::vector<Section> sections_;
    bool loaded_ = false;
};
