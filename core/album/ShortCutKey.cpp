#include "core/album/ShortCutKey.h"

std::wstring FormatShortCutKeyLabel(int keyCode)
{
    if (keyCode <= 0) return std::wstring();
    const int character = keyCode <= 0x39 ? keyCode + 0xFEE0 : keyCode + 0xFEC0;
    // Past the end of the basic plane the code would wrap to an unrelated character.
    if (character > 0xFFFF) return std::wstring();
    return std::wstring(1, static_cast<wchar_t>(character));
}
