#include "ui/widgets/FileOpenDialog.h"

void FileOpenDialog_CL::PrepareOpenFileName(HWND ownerWindow, const std::wstring& title, BOOL multiSelect)
{
    owner = ownerWindow;
    title_ = title;
    fileName.reset(new wchar_t[kFileOpenMaxChars + 1]);
    fileName[0] = L'\0';
    openFileName = {};
    // The size without the Windows 2000 fields, as the dialog has always been given.
    openFileName.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    openFileName.hwndOwner = owner;
    openFileName.hInstance = GetModuleHandleW(nullptr);
    openFileName.lpstrFilter = filter;
    openFileName.lpstrFile = fileName.get();
    openFileName.nMaxFile = kFileOpenMaxChars;
    openFileName.lpstrTitle = title_.c_str();
    openFileName.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (multiSelect) openFileName.Flags |= OFN_ALLOWMULTISELECT;
    openFileName.lCustData = reinterpret_cast<LPARAM>(this);
}

BOOL FileOpenDialog_CL::Show(HWND ownerWindow, const std::wstring& title, BOOL multiSelect)
{
    PrepareOpenFileName(ownerWindow, title, multiSelect);
    if (GetOpenFileNameW(&openFileName)) return TRUE;
    fileName[0] = L'\0';
    return FALSE;
}

std::wstring FileOpenDialog_CL::GetFilePath() const
{
    return fileName ? std::wstring(fileName.get()) : std::wstring();
}
