#include "browser/SearchQueryEncoding.h"

#include <windows.h>

#include <climits>

namespace {

// Sized by a first call, so that a search of any length converts whole: 2,048 characters
// can make three times as many UTF-8 bytes.
std::string ConvertWide(UINT codePage, const std::wstring& text)
{
    if (text.empty() || text.size() > static_cast<size_t>(INT_MAX)) return std::string();
    const int length = static_cast<int>(text.size());
    const int needed = WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return std::string();
    std::string bytes(static_cast<size_t>(needed), '\0');
    const int written = WideCharToMultiByte(codePage, 0, text.data(), length, &bytes[0], needed, nullptr, nullptr);
    if (written <= 0) return std::string();
    bytes.resize(static_cast<size_t>(written));
    // A text with a zero in it ends there, as the zero-terminated form always did.
    const size_t zero = bytes.find('\0');
    if (zero != std::string::npos) bytes.resize(zero);
    return bytes;
}

bool IsShiftJisLeadByte(unsigned char byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

bool IsHalfWidthKatakana(unsigned char byte) { return byte >= 0xA1 && byte <= 0xDF; }

// The JIS X 0208 code of a Shift-JIS pair, or 0 when the pair is none.
unsigned ShiftJisToJis(unsigned char lead, unsigned char trail)
{
    if (!IsShiftJisLeadByte(lead)) return 0;
    if (trail < 0x40 || trail == 0x7F || trail > 0xFC) return 0;
    const unsigned base = lead < 0xA0 ? 0x81 : 0xC1;
    unsigned jis = 0;
    if (trail >= 0x9F)
        jis = ((2 * (lead - base) + 0x22) << 8) | (trail - 0x7E);
    else if (trail <= 0x7E)
        jis = ((2 * (lead - base) + 0x21) << 8) | (trail - 0x1F);
    else
        jis = ((2 * (lead - base) + 0x21) << 8) | (trail - 0x20);
    const unsigned low = jis & 0xFF;
    if (jis < 0x2121 || jis > 0x7E7E || low < 0x21 || low > 0x7E) return 0;
    return jis;
}

}  // namespace

std::string ConvertToAnsi(const std::wstring& text) { return ConvertWide(CP_ACP, text); }

std::string ConvertToUtf8(const std::wstring& text) { return ConvertWide(CP_UTF8, text); }

std::string ConvertShiftJisToEucJp(const std::string& sjis)
{
    std::string euc;
    euc.reserve(sjis.size() + sjis.size() / 2);
    for (size_t i = 0; i < sjis.size(); ++i) {
        const auto byte = static_cast<unsigned char>(sjis[i]);
        if (IsShiftJisLeadByte(byte)) {
            // A lead byte at the end has no trail: it is the invalid pair, and the walk ends.
            const bool hasTrail = i + 1 < sjis.size();
            const unsigned jis = hasTrail ? ShiftJisToJis(byte, static_cast<unsigned char>(sjis[i + 1])) : 0;
            euc.push_back(static_cast<char>((jis >> 8) | 0x80));
            euc.push_back(static_cast<char>((jis & 0xFF) | 0x80));
            if (!hasTrail) break;
            ++i;
        } else if (IsHalfWidthKatakana(byte)) {
            euc.push_back(static_cast<char>(0x8E));
            euc.push_back(static_cast<char>(byte));
        } else {
            euc.push_back(static_cast<char>(byte));
        }
    }
    return euc;
}

std::wstring PercentEncode(const std::string& bytes)
{
    static const wchar_t kHex[] = L"0123456789ABCDEF";
    std::wstring encoded;
    encoded.reserve(bytes.size() * 3);
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') ||
                           byte == '*' || byte == '-' || byte == '.' || byte == '_';
        if (plain) {
            encoded.push_back(static_cast<wchar_t>(byte));
        } else if (byte == ' ') {
            encoded.push_back(L'+');
        } else {
            encoded.push_back(L'%');
            encoded.push_back(kHex[byte >> 4]);
            encoded.push_back(kHex[byte & 0x0F]);
        }
    }
    return encoded;
}

std::wstring EncodeSearchQuery(const std::wstring& text, uint32_t engineFlags)
{
    switch (engineFlags & kSearchEncodingMask) {
    case kSearchEncodingAnsi:
        return PercentEncode(ConvertToAnsi(text));
    case kSearchEncodingEucJp:
        return PercentEncode(ConvertShiftJisToEucJp(ConvertToAnsi(text)));
    default:
        return PercentEncode(ConvertToUtf8(text));
    }
}
