#include "core/album/NameCompare.h"

#include <cstdint>

namespace {

wchar_t FoldUnit(wchar_t unit)
{
    if ((unit >= 0xFF10 && unit <= 0xFF19) || (unit >= 0xFF21 && unit <= 0xFF3A) || (unit >= 0xFF41 && unit <= 0xFF5A))
        return static_cast<wchar_t>(unit - 0xFEE0);
    return unit;
}

bool IsFoldedDigit(wchar_t unit)
{
    wchar_t folded = FoldUnit(unit);
    return folded >= L'0' && folded <= L'9';
}

struct Token {
    bool isNumber = false;
    int32_t value = 0;
    std::wstring text;
};

Token TakeToken(const std::wstring& name, size_t& position)
{
    Token token;
    token.isNumber = IsFoldedDigit(name[position]);
    if (token.isNumber) {
        // Accumulated in 32 bits and compared signed: an over-long run wraps.
        uint32_t value = 0;
        while (position < name.size() && IsFoldedDigit(name[position])) {
            value = value * 10 + static_cast<uint32_t>(FoldUnit(name[position]) - L'0');
            ++position;
        }
        token.value = static_cast<int32_t>(value);
        return token;
    }
    while (position < name.size() && !IsFoldedDigit(name[position])) {
        wchar_t unit = name[position++];
        if (unit == L' ' || unit == L'\x3000') continue;
        token.text += FoldUnit(unit);
    }
    return token;
}

}  // namespace

int CompareNameOrdinal(const wchar_t* a, size_t aSize, const wchar_t* b, size_t bSize)
{
    size_t common = aSize < bSize ? aSize : bSize;
    for (size_t i = 0; i < common; ++i) {
        uint16_t ua = static_cast<uint16_t>(a[i]);
        uint16_t ub = static_cast<uint16_t>(b[i]);
        if (ua != ub) return ua < ub ? -1 : 1;
    }
    if (aSize == bSize) return 0;
    return aSize < bSize ? -1 : 1;
}

int CompareNameOrdinal(const std::wstring& a, const std::wstring& b)
{
    return CompareNameOrdinal(a.data(), a.size(), b.data(), b.size());
}

int CompareNameNatural(const std::wstring& a, const std::wstring& b)
{
    size_t pa = 0;
    size_t pb = 0;
    for (;;) {
        bool aEnd = pa >= a.size();
        bool bEnd = pb >= b.size();
        if (aEnd) return bEnd ? 0 : -1;
        if (bEnd) return 1;

        Token ta = TakeToken(a, pa);
        Token tb = TakeToken(b, pb);
        if (ta.isNumber != tb.isNumber) return ta.isNumber ? -1 : 1;
        if (!ta.isNumber) {
            int result = CompareNameOrdinal(ta.text, tb.text);
            if (result != 0) return result;
        } else if (ta.value != tb.value) {
            return ta.value < tb.value ? -1 : 1;
        }
    }
}

int CompareName(const std::wstring& a, const std::wstring& b, int dightSort)
{
    return dightSort == 1 ? CompareNameNatural(a, b) : CompareNameOrdinal(a, b);
}
