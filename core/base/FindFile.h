#pragma once
// Recursive walk over a folder with one call per folder entered, per file and per folder left.
#include <windows.h>

#include <string>

class FindFile_CL {
public:
    virtual ~FindFile_CL() = default;

    // `startPath` is a folder, "\" and a pattern, e.g. L"C:\\album\\contents\\*.*". The
    // pattern applies in every folder, so a recursive walk passes "*.*" to enter them all.
    // Returns 0, or E_FAIL without any call for a start path of MAX_PATH units or more.
    HRESULT Find(BOOL recursive, const std::wstring& startPath);

    const std::wstring& GetPattern() const { return pattern_; }
    const std::wstring& GetRootFolder() const { return rootFolder_; }

protected:
    // For the start folder: (root, root). For a subfolder: (its parent, its name).
    virtual void OnEnterFolder(const std::wstring& folder, const wchar_t* name) {}
    // The file's full path is folder + "\" + data->cFileName.
    virtual void OnFile(const std::wstring& folder, const WIN32_FIND_DATAW* data) = 0;
    virtual void OnLeaveFolder() {}

private:
    void FindInFolder(const std::wstring& folder);

    std::wstring pattern_;
    std::wstring rootFolder_;
    BOOL recursive_ = FALSE;
};
