#pragma once
// The label of a sub-category's short-cut key, as the category tiles and the key page show it.
#include <string>

// One full-width character: a digit code (1 to 0x39) becomes its full-width digit, a code
// above 0x39 (a stored lower-case letter) its full-width capital. Empty for 0, and for codes
// that have no such character.
std::wstring FormatShortCutKeyLabel(int keyCode);
