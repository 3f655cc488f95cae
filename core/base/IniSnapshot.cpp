#include "core/base/IniSnapshot.h"

#include <winternl.h>

#include "core/base/Inifile.h"
#include "core/base/ProfileText.h"
#include "core/base/UniqueHandle.h"

namespace {

constexpr size_t kMaxFileBytes = 16 * 1024 * 1024;
// The buffers the profile functions' own readers use.
constexpr size_t kStringUnits = 4096;
constexpr size_t kIntUnits = 30;

bool IsAscii(const std::wstring& text)
{
    for (wchar_t c : text)
        if (c >= 0x80) return false;
    return true;
}

wchar_t AsciiLower(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c;
}

bool EqualsIgnoringAsciiCase(const std::wstring& stored, const wchar_t* query)
{
    size_t i = 0;
    for (; i < stored.size(); ++i)
        if (!query[i] || AsciiLower(stored[i]) != AsciiLower(query[i])) return false;
    return query[i] == L'\0';
}

// A name or default the snapshot can answer for without asking the profile functions:
// plain ASCII without surrounding blanks (which the functions strip from the query).
bool IsPlainName(const wchar_t* name)
{
    if (!name || !*name) return false;
    size_t length = wcslen(name);
    if (IsProfileSpace(name[0]) || IsProfileSpace(name[length - 1])) return false;
    for (size_t i = 0; i < length; ++i)
        if (name[i] >= 0x80 || name[i] < 0x20) return false;
    return true;
}

bool IsPlainDefault(const wchar_t* value)
{
    if (!value || !*value) return true;
    size_t length = wcslen(value);
    return value[0] != L'"' && value[0] != L'\'' && value[length - 1] != L' ';
}

// A value as the profile functions copy it into a buffer of `units` units (0: unlimited):
// a value that starts and ends with the same quote loses the opening one, and the closing
// one too unless the copy was cut.
std::wstring CopyEntry(const std::wstring& value, size_t units)
{
    bool quoted = value.size() >= 2 && (value[0] == L'"' || value[0] == L'\'') && value.back() == value[0];
    std::wstring rest = quoted ? value.substr(1) : value;
    std::wstring copy = (units && rest.size() > units - 1) ? rest.substr(0, units - 1) : rest;
    if (quoted && (!units || units >= rest.size()) && !copy.empty()) copy.pop_back();
    return copy;
}

using RtlUnicodeStringToIntegerFn = NTSTATUS(NTAPI*)(const UNICODE_STRING*, ULONG, ULONG*);

// The number as the profile functions' integer reader parses it, by the same routine.
UINT ParseProfileInt(const std::wstring& text)
{
    static const auto parse = reinterpret_cast<RtlUnicodeStringToIntegerFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlUnicodeStringToInteger")));
    if (!parse) return 0;
    UNICODE_STRING string;
    string.Buffer = const_cast<wchar_t*>(text.c_str());
    string.Length = static_cast<USHORT>(text.size() * sizeof(wchar_t));
    string.MaximumLength = string.Length;
    ULONG result = 0;
    parse(&string, 0, &result);
    return result;
}

}  // namespace

bool IniSnapshot_CL::Load(const std::wstring& path)
{
    sections_.clear();
    loaded_ = false;
    path_ = path;
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 2 || size.QuadPart > static_cast<LONGLONG>(kMaxFileBytes))
        return false;
    // A file that shrinks meanwhile is parsed as far as it was read; one that grows is
    // read to its old size, as a profile read at that moment might.
    std::vector<uint8_t> bytes(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) return false;
    return Parse(path, bytes.data(), read);
}

bool IniSnapshot_CL::Parse(const std::wstring& path, const uint8_t* bytes, size_t size)
{
    sections_.clear();
    loaded_ = false;
    path_ = path;
    if (size < 2 || size % 2 || size > kMaxFileBytes || bytes[0] != 0xFF || bytes[1] != 0xFE) return false;

    std::wstring text((size - 2) / 2, L'\0');
    for (size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<wchar_t>(bytes[2 + 2 * i] | (bytes[3 + 2 * i] << 8));
        if (text[i] == L'\0') return false;
    }

    // Keys before the first section belong to an unnamed one that no read can name.
    sections_.push_back(Section());
    size_t next = 0;
    while (next < text.size()) {
        size_t start = next;
        // A CR ends a line as an LF does, even in a file whose other lines end in LF.
        size_t lineEnd = text.find_first_of(L"\r\n", start);
        next = lineEnd == std::wstring::npos ? text.size() : lineEnd + 1;
        size_t end = next;

        while (start < end && IsProfileSpace(text[start])) ++start;
        while (end > start && IsProfileSpace(text[end - 1])) --end;
        if (start >= end) continue;
        if (IsUncertainProfileSpace(text[start]) || IsUncertainProfileSpace(text[end - 1])) return false;

        if (text[start] == L'[') {
            size_t close = text.rfind(L']', end - 1);
            if (close != std::wstring::npos && close > start) {
                // Blanks inside the brackets are not part of the name.
                size_t nameStart = start + 1;
                size_t nameEnd = close;
                while (nameStart < nameEnd && IsProfileSpace(text[nameStart])) ++nameStart;
                while (nameEnd > nameStart && IsProfileSpace(text[nameEnd - 1])) --nameEnd;
                if (nameStart < nameEnd && (IsUncertainProfileSpace(text[nameStart]) || IsUncertainProfileSpace(text[nameEnd - 1])))
                    return false;
                Section section;
                section.name = text.substr(nameStart, nameEnd - nameStart);
                if (!IsAscii(section.name)) return false;
                sections_.push_back(std::move(section));
                continue;
            }
        }

        Key key;
        size_t equals = text.find(L'=', start);
        if (equals != std::wstring::npos && equals < end) {
            size_t nameEnd = equals;
            while (nameEnd > start && IsProfileSpace(text[nameEnd - 1])) --nameEnd;
            if (nameEnd > start && IsUncertainProfileSpace(text[nameEnd - 1])) return false;
            size_t valueStart = equals + 1;
            while (valueStart < end && IsProfileSpace(text[valueStart])) ++valueStart;
            if (valueStart < end && IsUncertainProfileSpace(text[valueStart])) return false;
            key.name = text.substr(start, nameEnd - start);
            key.value = text.substr(valueStart, end - valueStart);
            key.hasValue = true;
        } else {
            key.name = text.substr(start, end - start);
        }
        if (!IsAscii(key.name)) return false;
        sections_.back().keys.push_back(std::move(key));
    }
    loaded_ = true;
    return true;
}

const IniSnapshot_CL::Section* IniSnapshot_CL::FindSection(const wchar_t* section) const
{
    // Only the first section of a name is searched, as the profile functions do.
    for (const Section& candidate : sections_)
        if (!candidate.name.empty() && EqualsIgnoringAsciiCase(candidate.name, section)) return &candidate;
    return nullptr;
}

const IniSnapshot_CL::Key* IniSnapshot_CL::FindKey(const wchar_t* section, const wchar_t* key) const
{
    const Section* found = FindSection(section);
    if (!found) return nullptr;
    for (const Key& candidate : found->keys)
        if (EqualsIgnoringAsciiCase(candidate.name, key)) return &candidate;
    return nullptr;
}

std::wstring IniSnapshot_CL::Read(const wchar_t* section, const wchar_t* key, const wchar_t* defaultValue,
                                  size_t units) const
{
    const Key* found = FindKey(section, key);
    if (found && found->hasValue) return CopyEntry(found->value, units);
    return CopyEntry(defaultValue ? defaultValue : L"", units);
}

std::wstring IniSnapshot_CL::ReadString(const wchar_t* section, const wchar_t* key, const wchar_t* defaultValue) const
{
    if (!loaded_) return defaultValue ? defaultValue : L"";
    if (!IsPlainName(section) || !IsPlainName(key) || !IsPlainDefault(defaultValue))
        return Inifile_CL(path_).ReadString(section, key, defaultValue);
    return Read(section, key, defaultValue, kStringUnits);
}

UINT IniSnapshot_CL::ReadInt(const wchar_t* section, const wchar_t* key, int defaultValue) const
{
    if (!loaded_) return static_cast<UINT>(defaultValue);
    if (!IsPlainName(section) || !IsPlainName(key)) return Inifile_CL(path_).ReadInt(section, key, defaultValue);
    std::wstring text = Read(section, key, L"", kIntUnits);
    if (text.empty()) return static_cast<UINT>(defaultValue);
    return ParseProfileInt(text);
}

std::wstring IniSnapshot_CL::ReadLongString(const wchar_t* section, const wchar_t* key) const
{
    if (!loaded_) return std::wstring();
    if (!IsPlainName(section) || !IsPlainName(key)) return Inifile_CL(path_).ReadLongString(section, key);
    return Read(section, key, L"", 0);
}

std::vector<std::wstring> IniSnapshot_CL::ReadKeyNames(const wchar_t* section) const
{
    std::vector<std::wstring> names;
    if (!loaded_) return names;
    if (!IsPlainName(section)) return Inifile_CL(path_).ReadKeyNames(section);
    const Section* found = FindSection(section);
    if (!found) return names;
    for (const Key& key : found->keys)
        if (key.hasValue && !key.name.empty() && key.name[0] != L';') names.push_back(key.name);
    return names;
}
