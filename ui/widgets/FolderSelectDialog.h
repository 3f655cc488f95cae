#pragma once
// The shell's folder picker, opened on an initial folder when one is given.
#include <windows.h>
#include <shlobj.h>

#include <string>

// BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT | BIF_EDITBOX | BIF_NEWDIALOGSTYLE
constexpr UINT kFolderSelectFlags = 0x55;

class FolderSelectDialog_CL {
public:
    FolderSelectDialog_CL() = default;
    virtual ~FolderSelectDialog_CL() = default;

    // TRUE with the chosen folder in *outFolder; on cancel or failure *outFolder is left.
    BOOL Show(HWND owner, const std::wstring& title, std::wstring* outFolder);

    // The BROWSEINFOW that Show passes on; it points into `title` and `displayName` (MAX_PATH
    // characters), which must outlive it.
    BROWSEINFOW PrepareBrowseInfo(HWND owner, const std::wstring& title, wchar_t* displayName) const;
    // Opens the dialog on the folder named by `data`.
    static int CALLBACK BrowseCallback(HWND dialog, UINT msg, LPARAM lParam, LPARAM data);

    std::wstring initialFolder;
};
