#pragma once
// How the system's profile functions lay out and trim ini text, for code that reads or
// writes whole ini files with the same results as those functions.
#include <string>
#include <vector>

// Characters every profile reader and writer trims.
bool IsProfileSpace(wchar_t c);
// Characters whose trimming depends on the platform's white-space table (non-ASCII spaces,
// most control characters): code that cannot be sure leaves such text to the functions.
bool IsUncertainProfileSpace(wchar_t c);

// One value as the profile functions store it.
struct IniEntry {
    const wchar_t* section;
    std::wstring key;
    std::wstring value;
};

// The text (after the FF FE mark) that writing `entries` one by one into an empty
// Unicode file through the profile functions leaves: each section once, where its first
// key was written, its keys in order of first writing, a later write of a key replacing
// its value. False when a value starts with a character that the functions might strip
// or keep (write such a file through them instead).
bool FormatNewProfileFile(const std::vector<IniEntry>& entries, std::wstring& text);
