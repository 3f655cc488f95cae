// The cases that depend on which WebView2 loader a process finds: each runs the small pane
// host program in a fresh process, from a folder of its own holding the loader the case
// needs (or none), and answers the warning box as a person would.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tests/browser/PaneTestSupport.h"
#include "tests/browser/StandinTestSupport.h"

namespace {

const wchar_t kHostFailed[] = L"[Browser] backend=WebView2 requested, but host creation failed. IE route is removed.";
const wchar_t kPackagedFolder[] =
    L"\\third_party\\WebView2\\Microsoft.Web.WebView2.1.0.3912.50\\runtimes\\win-x86\\native";

std::wstring StandinLoaderPath() { return ProgramFolder() + L"\\WebView2Loader.dll"; }
std::wstring VersionOnlyLoaderPath() { return ProgramFolder() + L"\\webview2-version-only\\WebView2Loader.dll"; }
std::wstring CreateOnlyLoaderPath() { return ProgramFolder() + L"\\webview2-create-only\\WebView2Loader.dll"; }

void MakeFolders(const std::wstring& path)
{
    for (size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1))
        CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
    CreateDirectoryW(path.c_str(), nullptr);
}

struct HostRun {
    DWORD exitCode = 0xFFFFFFFF;
    std::vector<std::wstring> lines;
    std::vector<SeenNotice> notices;
    HWND mainWindow = nullptr;
};

// A copy of the host program in `folder` (created), run with `currentFolder` as its
// current folder; its boxes are answered.
class PaneHostProcessTest : public testing::Test {
protected:
    std::wstring PlaceHost(const std::wstring& folder)
    {
        MakeFolders(folder);
        const std::wstring program = folder + L"\\PaneHost.exe";
        EXPECT_TRUE(CopyFileW((ProgramFolder() + L"\\pane_host\\PaneHost.exe").c_str(), program.c_str(), FALSE));
        return program;
    }
    HostRun Run(const std::wstring& program, const std::wstring& currentFolder)
    {
        HostRun run;
        const std::wstring logPath = root_ / (L"host" + std::to_wstring(++runs_) + L".txt");
        std::wstring commandLine = L"\"" + program + L"\" \"" + logPath + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                            currentFolder.c_str(), &startup, &process)) {
            ADD_FAILURE() << "the host did not start: " << GetLastError();
            return run;
        }
        {
            NoticeWatcher notices(process.dwProcessId);
            WaitForSingleObject(process.hProcess, 120000);
            run.notices = notices.Seen();
        }
        GetExitCodeProcess(process.hProcess, &run.exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        const std::wstring text = ReadUtf16File(logPath);
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find(L"\r\n", start);
            if (end == std::wstring::npos) end = text.size();
            const std::wstring line = text.substr(start, end - start);
            if (line.size() > 26) run.lines.push_back(line.substr(26));
            start = end + 2;
        }
        return run;
    }

    TempFolder root_;
    int runs_ = 0;
};

TEST_F(PaneHostProcessTest, LoaderMissingOrLackingAnEntryPoint)
{
    struct Row {
        const char* name;
        std::wstring loader;  // copied beside the host; empty: none
        std::wstring line;
        std::wstring notice;
    };
    const Row rows[] = {
        {"no loader", L"", L"[Browser] WebView2Loader.dll not found. fallback to IE ActiveX.",
         L"WebView2 Runtime が見つかりません。\nIEモードで継続します。"},
        {"version entry point only", VersionOnlyLoaderPath(),
         L"[Browser] WebView2Loader.dll found, but create environment API is unavailable. fallback to IE ActiveX.",
         L"WebView2 Runtime の生成APIが利用できません。\nIEモードで継続します。"},
        {"create entry point only", CreateOnlyLoaderPath(),
         L"[Browser] WebView2Loader.dll found, but version API is unavailable. fallback to IE ActiveX.",
         L"WebView2 Runtime の検出APIが利用できません。\nIEモードで継続します。"},
    };
    for (const Row& row : rows) {
        const std::wstring folder = root_ / (L"case" + std::to_wstring(&row - rows)) + L"\\bin";
        const std::wstring program = PlaceHost(folder);
        if (!row.loader.empty()) {
            ASSERT_TRUE(CopyFileW(row.loader.c_str(), (folder + L"\\WebView2Loader.dll").c_str(), FALSE)) << row.name;
        }
        const HostRun run = Run(program, folder);
        EXPECT_EQ(run.exitCode, 1u) << row.name << ": Create gives no host";
        EXPECT_EQ(run.lines, (std::vector<std::wstring>{row.line, kHostFailed})) << row.name;
        ASSERT_EQ(run.notices.size(), 1u) << row.name;
        EXPECT_EQ(run.notices[0].title, L"Reelvault") << row.name;
        EXPECT_EQ(run.notices[0].text, row.notice) << row.name;
        EXPECT_EQ(run.notices[0].ownerClass, L"ReelvaultPaneHost") << row.name << ": owned by the main window";
    }
}

TEST_F(PaneHostProcessTest, ALoaderInTheCurrentFolderIsNeverLoaded)
{
    const std::wstring folder = root_ / L"program";
    const std::wstring program = PlaceHost(folder);
    const std::wstring elsewhere = root_ / L"current";
    MakeFolders(elsewhere);
    ASSERT_TRUE(CopyFileW(StandinLoaderPath().c_str(), (elsewhere + L"\\WebView2Loader.dll").c_str(), FALSE));
    const HostRun run = Run(program, elsewhere);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.lines, (std::vector<std::wstring>{L"[Browser] WebView2Loader.dll not found. fallback to IE ActiveX.",
                                                    kHostFailed}));
    EXPECT_EQ(run.notices.size(), 1u);
}

TEST_F(PaneHostProcessTest, PackagedLoaderIsCopiedBesideTheProgramOnce)
{
    const std::wstring folder = root_ / L"app\\bin";
    const std::wstring program = PlaceHost(folder);
    const std::wstring packaged = root_ / L"app" + kPackagedFolder;
    MakeFolders(packaged);
    ASSERT_TRUE(CopyFileW(StandinLoaderPath().c_str(), (packaged + L"\\WebView2Loader.dll").c_str(), FALSE));

    const HostRun first = Run(program, folder);
    EXPECT_EQ(first.exitCode, 2u) << "the view came through the copied loader";
    EXPECT_TRUE(first.notices.empty());
    EXPECT_NE(GetFileAttributesW((folder + L"\\WebView2Loader.dll").c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_FALSE(first.lines.empty());
    EXPECT_EQ(first.lines[0], L"[Browser] WebView2 runtime detected. version=120.0.0.0 standin");

    // Were the packaged file copied again, this loader without a version entry point would
    // be the one loaded.
    ASSERT_TRUE(CopyFileW(CreateOnlyLoaderPath().c_str(), (packaged + L"\\WebView2Loader.dll").c_str(), FALSE));
    const HostRun second = Run(program, folder);
    EXPECT_EQ(second.exitCode, 2u) << "the copy beside the program is found directly";
    EXPECT_TRUE(second.notices.empty());
}

}  // namespace
