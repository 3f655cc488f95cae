#include "tests/common/TempFolder.h"

#include <algorithm>
#include <atomic>

#include "core/base/UniqueHandle.h"

TempFolder::TempFolder()
{
    static std::atomic<unsigned> counter{0};
    wchar_t temp[MAX_PATH];
    DWORD length = GetTempPathW(MAX_PATH, temp);
    std::wstring base(temp, length);
    if (!base.empty() && base.back() == L'\\') base.pop_back();
    path_ = base + L"\\rvtest-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount()) +
            L"-" + std::to_wstring(counter++);
    CreateDirectoryW(path_.c_str(), nullptr);
}

TempFolder::~TempFolder()
{
    RemoveTree(path_);
}

void RemoveTree(const std::wstring& path)
{
    WIN32_FIND_DATAW data;
    UniqueFindHandle search(FindFirstFileW((path + L"\\*").c_str(), &data));
    if (search) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring child = path + L"\\" + name;
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                RemoveTree(child);
            } else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveDirectoryW(child.c_str());
            } else {
                SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(search.get(), &data));
    }
    RemoveDirectoryW(path.c_str());
}

std::vector<uint8_t> ReadFileBytes(const std::wstring& path)
{
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    if (!file) return {};
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size)) return {};
    std::vector<uint8_t> bytes(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() && !ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
        return {};
    bytes.resize(read);
    return bytes;
}

bool WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& bytes)
{
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return bytes.empty() ||
           (WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size());
}

std::vector<uint8_t> Utf16Bytes(const std::wstring& text)
{
    std::vector<uint8_t> bytes;
    for (wchar_t unit : text) {
        bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    return bytes;
}

std::wstring ReadUtf16File(const std::wstring& path)
{
    std::vector<uint8_t> bytes = ReadFileBytes(path);
    if (bytes.size() < 2 || bytes[0] != 0xFF || bytes[1] != 0xFE) return std::wstring();
    std::wstring text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) text.push_back(static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8)));
    return text;
}

std::vector<uint8_t> SubstituteUtf16(const std::vector<uint8_t>& bytes, const std::wstring& what, const std::wstring& with)
{
    std::vector<uint8_t> from = Utf16Bytes(what);
    std::vector<uint8_t> to = Utf16Bytes(with);
    std::vector<uint8_t> out;
    for (size_t i = 0; i < bytes.size();) {
        if (!from.empty() && i + from.size() <= bytes.size() && std::equal(from.begin(), from.end(), bytes.begin() + i)) {
            out.insert(out.end(), to.begin(), to.end());
            i += from.size();
        } else {
            out.push_back(bytes[i++]);
        }
    }
    return out;
}
