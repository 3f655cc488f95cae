#include "core/base/FindFile.h"

#include <shlwapi.h>

#include "core/base/UniqueHandle.h"

HRESULT FindFile_CL::Find(BOOL recursive, const std::wstring& startPath)
{
    // The shell's path functions work on MAX_PATH buffers.
    if (startPath.size() >= MAX_PATH) return E_FAIL;
    recursive_ = recursive;

    wchar_t buffer[MAX_PATH];
    startPath.copy(buffer, startPath.size());
    buffer[startPath.size()] = L'\0';
    PathStripPathW(buffer);
    pattern_ = buffer;

    startPath.copy(buffer, startPath.size());
    buffer[startPath.size()] = L'\0';
    PathRemoveFileSpecW(buffer);
    rootFolder_ = buffer;

    OnEnterFolder(rootFolder_, rootFolder_.c_str());
    FindInFolder(rootFolder_);
    OnLeaveFolder();
    return 0;
}

void FindFile_CL::FindInFolder(const std::wstring& folder)
{
    WIN32_FIND_DATAW data;
    UniqueFindHandle search(FindFirstFileW((folder + L"\\" + pattern_).c_str(), &data));
    if (!search) return;
    do {
        if (wcscmp(data.cFileName, L".") == 0 || wcscmp(data.cFileName, L"..") == 0) continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            // Junctions and folder links are not followed: two of them can make a cycle.
            if (!recursive_ || (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) continue;
            OnEnterFolder(folder, data.cFileName);
            FindInFolder(folder + L"\\" + data.cFileName);
            OnLeaveFolder();
            continue;
        }
        OnFile(folder, &data);
    } while (FindNextFileW(search.get(), &data));
}
