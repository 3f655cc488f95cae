#pragma once
// The common "open" dialog for one file.
#include <windows.h>
#include <commdlg.h>

#include <memory>
#include <string>

// The most characters the file-name buffer takes (room for a long multiple selection).
constexpr DWORD kFileOpenMaxChars = 0x1040000;

class FileOpenDialog_CL {
public:
    FileOpenDialog_CL() = default;
    virtual ~FileOpenDialog_CL() = default;
    FileOpenDialog_CL(const FileOpenDialog_CL&) = delete;
    FileOpenDialog_CL& operator=(const FileOpenDialog_CL&) = delete;

    // FALSE when the user cancels or the dialog fails; the buffer then holds "".
    BOOL Show(HWND ownerWindow, const std::wstring& title, BOOL multiSelect);
    // The chosen file's full path (for a single selection).
    std::wstring GetFilePath() const;

    // Fills `openFileName` for GetOpenFileNameW with a fresh, empty file-name buffer.
    void PrepareOpenFileName(HWND ownerWindow, const std::wstring& title, BOOL multiSelect);

    HWND owner = nullptr;
    std::unique_ptr<wchar_t[]> fileName;
    OPENFILENAMEW openFileName = {};
    const wchar_t* filter = nullptr;  // double-null-terminated pairs; null: none

private:
    std::wstring title_;  // openFileName points into it
};
