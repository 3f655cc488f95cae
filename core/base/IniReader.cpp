#include "core/base/IniReader.h"

#include <cwchar>

namespace {

// At most eight hexadecimal digits from `text`; 0 when it starts with none.
uint32_t ParseHexPart(const std::wstring& text, size_t start)
{
    if (start >= text.size()) return 0;
    wchar_t part[14] = {};
    text.copy(part, 8, start);
    return static_cast<uint32_t>(wcstoul(part, nullptr, 16));
}

}  // namespace

int64_t IniReader_IF::ReadHex64(int64_t defaultValue, const wchar_t* section, const wchar_t* key) const
{
    std::wstring value = ReadString(section, key, L"");
    if (value.empty()) return defaultValue;
    // The separator at index 8 is not checked; a value without a low part reads it as 0.
    uint64_t high = ParseHexPart(value, 0);
    uint64_t low = ParseHexPart(value, 9);
    return static_cast<int64_t>((high << 32) | low);
}
