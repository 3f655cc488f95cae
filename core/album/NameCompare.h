#pragma once
// The two orders of category and movie names: plain code-unit order, and the natural
// order in which "ep2" comes before "ep10".
#include <cstddef>
#include <string>

// Ordinal comparison unit by unit, shorter first on a common prefix: -1, 0 or 1.
int CompareNameOrdinal(const std::wstring& a, const std::wstring& b);
int CompareNameOrdinal(const wchar_t* a, size_t aSize, const wchar_t* b, size_t bSize);

// Natural comparison: runs of digits (full-width ones included) compare by value, the
// text between them ordinally after full-width letters and digits are folded to ASCII
// and spaces (U+0020, U+3000) are dropped. A number sorts before text. -1, 0 or 1.
int CompareNameNatural(const std::wstring& a, const std::wstring& b);

// The order chosen by the program ini's "dight_sort": 1 natural, anything else ordinal.
int CompareName(const std::wstring& a, const std::wstring& b, int dightSort);
