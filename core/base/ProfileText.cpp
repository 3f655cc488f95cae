#include "core/base/ProfileText.h"

#include <windows.h>

bool IsProfileSpace(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r' || c == 0x1A;
}

bool IsUncertainProfileSpace(wchar_t c)
{
    if (IsProfileSpace(c)) return false;
    if (c < 0x20 || (c >= 0x7F && c <= 0xA0)) return true;
    if (c < 0x80) return false;
    if (c == 0x1680 || c == 0x180E || (c >= 0x2000 && c <= 0x200B) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
        c == 0x205F || c == 0x3000 || c == 0xFEFF)
        return true;
    WORD type = 0;
    return GetStringTypeW(CT_CTYPE1, &c, 1, &type) && (type & (C1_SPACE | C1_BLANK | C1_CNTRL));
}

namespace {

bool SameName(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

bool IsPlainAscii(const std::wstring& name)
{
    if (name.empty()) return false;
    for (wchar_t c : name)
        if (c < 0x21 || c >= 0x7F || c == L'=' || c == L'[' || c == L']' || c == L';') return false;
    return true;
}

}  // namespace

bool FormatNewProfileFile(const std::vector<IniEntry>& entries, std::wstring& text)
{
    struct Key {
        std::wstring name;
        std::wstring value;
    };
    struct Section {
        std::wstring name;
        std::vector<Key> keys;
    };
    std::vector<Section> sections;
    for (const IniEntry& entry : entries) {
        const std::wstring sectionName = entry.section;
        // Names that the functions would trim, fold or read as something else are theirs.
        if (!IsPlainAscii(sectionName) || !IsPlainAscii(entry.key)) return false;
        size_t start = 0;
        while (start < entry.value.size() && IsProfileSpace(entry.value[start])) ++start;
        if (start < entry.value.size() && IsUncertainProfileSpace(entry.value[start])) return false;
        for (wchar_t c : entry.value)
            if (c == L'\0' || c == L'\r' || c == L'\n') return false;

        Section* section = nullptr;
        for (Section& candidate : sections)
            if (SameName(candidate.name, sectionName)) section = &candidate;
        if (!section) {
            sections.push_back({sectionName, {}});
            section = &sections.back();
        }
        Key* key = nullptr;
        for (Key& candidate : section->keys)
            if (SameName(candidate.name, entry.key)) key = &candidate;
        if (key)
            key->value = entry.value.substr(start);
        else
            section->keys.push_back({entry.key, entry.value.substr(start)});
    }

    text.clear();
    for (const Section& section : sections) {
        text += L"[" + section.name + L"]\r\n";
        for (const Key& key : section.keys) text += key.name + L"=" + key.value + L"\r\n";
    }
    return true;
}
