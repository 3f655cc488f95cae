#include "core/album/AlbumFiles.h"

#include <windows.h>

#include <cwchar>
#include <vector>

#include "core/base/Inifile.h"
#include "core/base/UniqueHandle.h"

namespace {

constexpr wchar_t kLineSeparator = L'\x2028';

}  // namespace

bool PathExists(const std::wstring& path)
{
    return !path.empty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool FileExists(const std::wstring& path)
{
    if (path.empty()) return false;
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DeleteAlbumFile(const std::wstring& path, DWORD waitMs)
{
    constexpr DWORD kStepMs = 50;
    for (DWORD waited = 0;; waited += kStepMs) {
        if (DeleteFileW(path.c_str())) return true;
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return true;
        // Only a file someone has open is worth waiting for; read-only or a bad name stays so.
        const bool inUse = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
                           (error == ERROR_ACCESS_DENIED && FileExists(path) &&
                            !(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY));
        if (!inUse || waited >= waitMs) {
            SetLastError(error);
            return false;
        }
        Sleep(kStepMs);
    }
}

bool HasUnicodeMark(const std::wstring& path)
{
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    BYTE mark[2] = {};
    DWORD read = 0;
    if (!ReadFile(file.get(), mark, sizeof(mark), &read, nullptr) || read != sizeof(mark)) return false;
    return mark[0] == 0xFF && mark[1] == 0xFE;
}

bool RecreateWithUnicodeMark(const std::wstring& path)
{
    UniqueHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    const BYTE mark[] = {0xFF, 0xFE};
    DWORD written = 0;
    return WriteFile(file.get(), mark, sizeof(mark), &written, nullptr) && written == sizeof(mark);
}

int32_t FindFreeFileNumber(const std::function<std::wstring(int32_t)>& pathOf)
{
    for (int32_t n = 0; n < kFileNumberCount; ++n) {
        if (!PathExists(pathOf(n))) return n;
    }
    return -1;
}

std::wstring ToSingleLine(const std::wstring& text)
{
    if (text.find_first_of(L"\r\n") == std::wstring::npos) return text;
    std::wstring line;
    line.reserve(text.size());
    for (wchar_t unit : text) {
        if (unit != L'\r' && unit != L'\n') line += unit;
    }
    return line;
}

std::wstring EncodeLineBreaks(const std::wstring& text)
{
    if (text.find_first_of(L"\r\n") == std::wstring::npos) return text;
    std::wstring encoded;
    encoded.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t unit = text[i];
        if (unit == L'\r') {
            if (i + 1 < text.size() && text[i + 1] == L'\n') ++i;
            encoded += kLineSeparator;
        } else if (unit == L'\n') {
            encoded += kLineSeparator;
        } else {
            encoded += unit;
        }
    }
    return encoded;
}

std::wstring DecodeLineBreaks(const std::wstring& text)
{
    if (text.find(kLineSeparator) == std::wstring::npos) return text;
    std::wstring decoded;
    decoded.reserve(text.size() + 16);
    for (wchar_t unit : text) {
        if (unit == kLineSeparator)
            decoded += L"\r\n";
        else
            decoded += unit;
    }
    return decoded;
}

std::wstring NumberedKey(const wchar_t* format, int32_t number)
{
    wchar_t key[64];
    _snwprintf(key, 64, format, number);
    key[63] = L'\0';
    return key;
}

int32_t BoundedListCount(int32_t storedCount)
{
    if (storedCount <= 0) return 0;
    return storedCount > kMaxStoredListCount ? kMaxStoredListCount : storedCount;
}

int32_t StoredListLength(const IniReader_IF& ini, const wchar_t* section, int32_t storedCount)
{
    int32_t bound = BoundedListCount(storedCount);
    if (bound == 0) return 0;
    // Any key ending in a number may be one of the list's: reading up to the highest such
    // number never misses an entry, whatever case or padding its name was written with.
    int32_t length = 0;
    for (const std::wstring& name : ini.ReadKeyNames(section)) {
        size_t digits = name.find_last_not_of(L"0123456789") + 1;
        if (digits >= name.size()) continue;
        size_t first = name.find_first_not_of(L'0', digits);
        if (first != std::wstring::npos && name.size() - first > 9) continue;
        int32_t number = first == std::wstring::npos ? 0 : static_cast<int32_t>(wcstol(name.c_str() + first, nullptr, 10));
        if (number < bound && number >= length) length = number + 1;
    }
    return length;
}
