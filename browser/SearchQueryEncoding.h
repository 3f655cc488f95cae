#pragma once
// How a search text reaches a search engine: the 8-bit form the engine expects (UTF-8, the
// system's ANSI code page, or that code page's Shift-JIS turned into EUC-JP), then
// percent-encoded as a form value for the engine's address template.
#include <cstdint>
#include <string>

// The bits of an engine's flags that choose the 8-bit form.
constexpr uint32_t kSearchEncodingMask = 0xF00;
constexpr uint32_t kSearchEncodingAnsi = 0x100;
constexpr uint32_t kSearchEncodingEucJp = 0x200;

// The text in the system's ANSI code page, converted whole (a long text is not cut). Empty
// when the text is empty or cannot be converted.
std::string ConvertToAnsi(const std::wstring& text);
// The text in UTF-8, converted whole.
std::string ConvertToUtf8(const std::wstring& text);
// Shift-JIS (code page 932) bytes as EUC-JP. A pair that is no JIS X 0208 code, and a lead
// byte that ends the input, become 0x80 0x80; nothing past the input's end is read.
std::string ConvertShiftJisToEucJp(const std::string& sjis);
// Letters, digits and "*-._" as they are, a space as "+", every other byte as "%XX".
std::wstring PercentEncode(const std::string& bytes);
// The text in the form the engine flags ask for, percent-encoded.
std::wstring EncodeSearchQuery(const std::wstring& text, uint32_t engineFlags);
