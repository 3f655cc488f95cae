#pragma once
// Splitting of wide paths with "\" as the separator. Nothing here touches the disk
// except GetModuleFolder.
#include <cstdint>
#include <string>

class PathName_CL {
public:
    virtual ~PathName_CL() = default;

    // Folder of the running program.
    static std::wstring GetModuleFolder();
    // Text before the last "\", without it; empty when there is none.
    static std::wstring GetFolder(const std::wstring& path);
    // Text after the last "\"; the whole path when there is none.
    static std::wstring GetFileName(const std::wstring& path);
    // From the last "." to the end. The search does not stop at "\".
    static std::wstring GetExtension(const std::wstring& path);
    // Text before the last "."; the whole path when there is none.
    static std::wstring RemoveExtension(const std::wstring& path);
    // True when the name holds one of \ / : * ? " < > |
    static bool HasInvalidFileNameChar(const std::wstring& name);
};

// h = length, then h = h * 3 + unit over the UTF-16 units, wrapping at 32 bits.
uint32_t LinkNameHash(const std::wstring& path);
