#pragma once
// A fresh folder under the temporary folder, removed with everything in it at the end.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

// Removes a folder tree; a link inside it is removed, never followed.
void RemoveTree(const std::wstring& path);

std::vector<uint8_t> ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& bytes);
// The UTF-16LE bytes of `text`, without a terminator.
std::vector<uint8_t> Utf16Bytes(const std::wstring& text);
// The file read as UTF-16LE after its FF FE mark; empty when the mark is missing.
std::wstring ReadUtf16File(const std::wstring& path);
// `bytes` (UTF-16LE) with every occurrence of `what` replaced by `with`.
std::vector<uint8_t> SubstituteUtf16(const std::vector<uint8_t>& bytes, const std::wstring& what, const std::wstring& with);
