#pragma once
// File and value helpers shared by the album's ini files (movie, category and album inis).
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

class IniReader_IF;

// A stored list count larger than this is read as this many entries: a damaged count
// must not turn a load into billions of profile reads.
constexpr int32_t kMaxStoredListCount = 100000;

// File numbers run from 0 to 99,999 ("%05d").
constexpr int32_t kFileNumberCount = 100000;

// True when something (file or folder) exists at path.
bool PathExists(const std::wstring& path);
// True when a file (not a folder) exists at path.
bool FileExists(const std::wstring& path);

// Deletes the file, waiting up to `waitMs` while another program holds it open without
// sharing deletion (a reader of the album, a virus checker, an indexer). True when it is
// gone, also when it was not there; false with the last error set when it stays.
bool DeleteAlbumFile(const std::wstring& path, DWORD waitMs = 2000);

// True when the file's first two bytes are FF FE.
bool HasUnicodeMark(const std::wstring& path);
// Truncates (or creates) the file to hold only FF FE. False when it could not be written.
bool RecreateWithUnicodeMark(const std::wstring& path);

// The first n in 0 .. kFileNumberCount-1 for which pathOf(n) names nothing; -1 when every
// number is taken.
int32_t FindFreeFileNumber(const std::function<std::wstring(int32_t)>& pathOf);

// A profile value ends at the end of its line: a CR or LF inside it would end the value
// there and make the rest a key of its own. Single-line fields drop them.
std::wstring ToSingleLine(const std::wstring& text);
// Multi-line text is stored with each line break (CR LF, CR or LF) as U+2028 ...
std::wstring EncodeLineBreaks(const std::wstring& text);
// ... and U+2028 becomes CR LF again when it is read.
std::wstring DecodeLineBreaks(const std::wstring& text);

// A list key: format holds one integer conversion, e.g. L"item%04d".
std::wstring NumberedKey(const wchar_t* format, int32_t number);

// Clamps a stored count into 0 .. kMaxStoredListCount.
int32_t BoundedListCount(int32_t storedCount);

// How many numbered keys of a list with this stored count are worth reading: the count
// clamped as above, and no further than the last numbered key the section holds, so that
// a damaged count costs no reads of keys that are not there.
int32_t StoredListLength(const IniReader_IF& ini, const wchar_t* section, int32_t storedCount);
