#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tests/common/TestWindow.h"
#include "ui/widgets/FileOpenDialog.h"
#include "ui/widgets/FolderSelectDialog.h"

namespace {

TEST(FileOpenDialog, StructureForOneFileAndForMany)
{
    struct Case {
        BOOL multiSelect;
        DWORD flags;
    };
    const DWORD base = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    const Case cases[] = {{FALSE, base}, {TRUE, base | OFN_ALLOWMULTISELECT}};
    HWND owner = TestHostWindow::TopLevel();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.multiSelect ? "many" : "one");
        FileOpenDialog_CL dialog;
        dialog.PrepareOpenFileName(owner, L"動画ファイルを選択してください。", c.multiSelect);
        const OPENFILENAMEW& info = dialog.openFileName;
        EXPECT_EQ(info.lStructSize, static_cast<DWORD>(OPENFILENAME_SIZE_VERSION_400W));
        if (sizeof(void*) == 4) {
            EXPECT_EQ(info.lStructSize, 88u);
        }
        EXPECT_EQ(info.hwndOwner, owner);
        EXPECT_EQ(dialog.owner, owner);
        EXPECT_EQ(info.hInstance, GetModuleHandleW(nullptr));
        EXPECT_EQ(info.lpstrFilter, nullptr);
        ASSERT_NE(info.lpstrFile, nullptr);
        EXPECT_EQ(info.lpstrFile[0], L'\0');
        EXPECT_EQ(info.nMaxFile, 0x1040000u);
        EXPECT_STREQ(info.lpstrTitle, L"動画ファイルを選択してください。");
        EXPECT_EQ(info.Flags, c.flags);
        EXPECT_EQ(info.lpfnHook, nullptr);
        EXPECT_EQ(info.lCustData, reinterpret_cast<LPARAM>(&dialog));
        // The buffer holds a full-length multiple selection and its terminator.
        info.lpstrFile[info.nMaxFile] = L'\0';
    }
}

TEST(FileOpenDialog, EachShowStartsWithAnEmptyPath)
{
    FileOpenDialog_CL dialog;
    EXPECT_EQ(dialog.GetFilePath(), L"");
    dialog.PrepareOpenFileName(nullptr, L"画像を選択してください。", FALSE);
    wcscpy(dialog.openFileName.lpstrFile, L"C:\\動画\\海.mp4");
    EXPECT_EQ(dialog.GetFilePath(), L"C:\\動画\\海.mp4");
    dialog.PrepareOpenFileName(nullptr, L"画像を選択してください。", FALSE);
    EXPECT_EQ(dialog.GetFilePath(), L"");
}

TEST(FolderSelectDialog, CallbackOnlyWithAnInitialFolder)
{
    wchar_t displayName[MAX_PATH] = {};
    FolderSelectDialog_CL dialog;
    const std::wstring title = L"フォルダを選択してください。";
    BROWSEINFOW info = dialog.PrepareBrowseInfo(TestHostWindow::TopLevel(), title, displayName);
    EXPECT_EQ(info.hwndOwner, TestHostWindow::TopLevel());
    EXPECT_EQ(info.pidlRoot, nullptr);
    EXPECT_EQ(info.pszDisplayName, displayName);
    EXPECT_STREQ(info.lpszTitle, L"フォルダを選択してください。");
    EXPECT_EQ(info.ulFlags, static_cast<UINT>(BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT | BIF_EDITBOX | BIF_NEWDIALOGSTYLE));
    EXPECT_EQ(info.lpfn, nullptr);
    EXPECT_EQ(info.lParam, 0);

    dialog.initialFolder = L"C:\\ビデオ";
    info = dialog.PrepareBrowseInfo(nullptr, title, displayName);
    EXPECT_EQ(info.lpfn, &FolderSelectDialog_CL::BrowseCallback);
    ASSERT_NE(info.lParam, 0);
    EXPECT_STREQ(reinterpret_cast<const wchar_t*>(info.lParam), L"C:\\ビデオ");
}

// Stands in for the folder dialog: records the selection it is asked to show.
struct SelectionLog {
    std::vector<std::wstring> paths;
    std::vector<WPARAM> isPath;
};
SelectionLog g_selections;

LRESULT CALLBACK SelectionRecorder(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == BFFM_SETSELECTIONW) {
        g_selections.isPath.push_back(wParam);
        g_selections.paths.push_back(reinterpret_cast<const wchar_t*>(lParam));
        return 0;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

TEST(FolderSelectDialog, CallbackOpensOnTheInitialFolder)
{
    g_selections = {};
    HWND recorder = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(recorder, nullptr);
    SetWindowLongPtrW(recorder, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SelectionRecorder));
    const std::wstring folder = L"C:\\ビデオ\\旅行";
    const LPARAM data = reinterpret_cast<LPARAM>(folder.c_str());
    EXPECT_EQ(FolderSelectDialog_CL::BrowseCallback(recorder, BFFM_SELCHANGED, 0, data), 0);
    EXPECT_EQ(FolderSelectDialog_CL::BrowseCallback(recorder, BFFM_INITIALIZED, 0, data), 0);
    ASSERT_EQ(g_selections.paths.size(), 1u);
    EXPECT_EQ(g_selections.paths[0], folder);
    EXPECT_EQ(g_selections.isPath[0], static_cast<WPARAM>(TRUE));
    DestroyWindow(recorder);
}

}  // namespace
