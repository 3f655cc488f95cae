#include "ui/widgets/FolderSelectDialog.h"

BROWSEINFOW FolderSelectDialog_CL::PrepareBrowseInfo(HWND owner, const std::wstring& title, wchar_t* displayName) const
{
    BROWSEINFOW info = {};
    info.hwndOwner = owner;
    info.pidlRoot = nullptr;
    info.pszDisplayName = displayName;
    info.lpszTitle = title.c_str();
    info.ulFlags = kFolderSelectFlags;
    if (!initialFolder.empty()) {
        info.lpfn = &FolderSelectDialog_CL::BrowseCallback;
        info.lParam = reinterpret_cast<LPARAM>(initialFolder.c_str());
    }
    return info;
}

int CALLBACK FolderSelectDialog_CL::BrowseCallback(HWND dialog, UINT msg, LPARAM, LPARAM data)
{
    if (msg == BFFM_INITIALIZED && data) SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

BOOL FolderSelectDialog_CL::Show(HWND owner, const std::wstring& title, std::wstring* outFolder)
{
    wchar_t displayName[MAX_PATH] = {};
    BROWSEINFOW info = PrepareBrowseInfo(owner, title, displayName);
    PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
    if (!item) return FALSE;
    wchar_t path[MAX_PATH] = {};
    const BOOL found = SHGetPathFromIDListW(item, path);
    CoTaskMemFree(item);
    if (!found) return FALSE;
    if (outFolder) *outFolder = path;
    return TRUE;
}
