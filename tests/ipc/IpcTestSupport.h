#pragma once
// Helpers shared by the ipc tests and their peer programs.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/base/PathName.h"
#include "core/base/UniqueHandle.h"

namespace ipctest {

// The whole file, or an empty vector when it cannot be read.
inline std::vector<uint8_t> ReadWholeFile(const std::wstring& path)
{
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {};
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x10000000) return {};
    std::vector<uint8_t> bytes(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() && (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                           read != bytes.size()))
        return {};
    return bytes;
}

// Golden files and peer programs are built next to the test program.
inline std::wstring BesideTests(const std::wstring& name) { return PathName_CL::GetModuleFolder() + L"\\" + name; }

}  // namespace ipctest
