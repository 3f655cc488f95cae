// The browser pane inside the real program: the home page shown through the stand-in
// runtime, and the one notice of a program folder without any WebView2 loader.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <string>

#include "core/base/Inifile.h"
#include "tests/appproc/support/AppProcSupport.h"
#include "tests/browser/LocalHttpServer.h"
#include "tests/common/Screenshot.h"

namespace {

using namespace appproc;

std::wstring StaticText(HWND box)
{
    std::wstring longest;
    for (const ChildWindow& child : DirectChildren(box)) {
        if (_wcsicmp(child.className.c_str(), L"Static") != 0) continue;
        wchar_t text[512] = {};
        GetWindowTextW(child.window, text, 512);
        if (wcslen(text) > longest.size()) longest = text;
    }
    return longest;
}

// The pane's tool bars among the rebar's children.
int BrowserToolBars(HWND main)
{
    HWND rebar = FindChild(main, REBARCLASSNAMEW);
    int count = 0;
    for (const ChildWindow& child : AllDescendants(rebar)) {
        if (child.className != TOOLBARCLASSNAMEW || child.id != 0x5000) continue;
        // Both share the id; only the pane's has the back button.
        count += SendMessageW(child.window, TB_COMMANDTOINDEX, 0x9600, 0) >= 0;
    }
    return count;
}

class BrowserPaneProcessTest : public testing::Test {
protected:
    void SetUp() override { SKIP_WITHOUT_PROGRAM(); }

    AppSandbox sandbox_;
};

TEST_F(BrowserPaneProcessTest, HomePageShowsInThePane)
{
    LocalHttpServer server;
    ASSERT_TRUE(server.IsListening());
    server.ServePage("/home", "<html><head><title>Home of the album</title></head>"
                              "<body bgcolor=\"#e0ffe0\">Welcome.\n<a href=\"/next\">next page</a></body></html>");
    Inifile_CL ini;
    ini.SetPath(sandbox_.programIniPath());
    ini.WriteString(L"VERSION", L"site", server.Url("/home"));
    ASSERT_EQ(sandbox_.MakeMovies(2), 0);

    ReelvaultProcess program;
    ASSERT_TRUE(program.Start(ProgramPath()));
    ASSERT_TRUE(WaitForReady(program));
    HWND main = program.MainWindow();
    ASSERT_TRUE(WaitUntil([&] { return sandbox_.LogText().find(L"[History][after]") != std::wstring::npos; },
                          kReadyTimeoutMs));
    EXPECT_EQ(server.RequestPaths(), std::vector<std::string>{"/home"});
    const std::wstring log = sandbox_.LogText();
    EXPECT_NE(log.find(L"[Browser] WebView2 controller created and events hooked."), std::wstring::npos);
    EXPECT_NE(log.find(L"[History][after] back=0 fore=0 backTop=(none) foreTop=(none)"), std::wstring::npos);
    EXPECT_EQ(log.find(L"fallback to IE ActiveX"), std::wstring::npos);
    EXPECT_EQ(BrowserToolBars(main), 1);
    // The runtime's folder is under Documents whatever the data root is.
    wchar_t documents[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents);
    EXPECT_NE(GetFileAttributesW((std::wstring(documents) + L"\\Reelvault\\WebView2").c_str()),
              INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(SaveWindowScreenshot(main, L"appproc", L"browser_pane").empty());
    EXPECT_EQ(CloseAndWait(program), 0u);
}

TEST_F(BrowserPaneProcessTest, WithoutALoaderOneNoticeAndTheWindowGoesOn)
{
    ASSERT_EQ(sandbox_.MakeMovies(2), 0);
    ReelvaultProcess program;
    // build/app holds no WebView2 loader, and no packaged one sits beside the build.
    ASSERT_TRUE(program.Start(BuildProgramFolder() + L"\\Reelvault.exe"));
    HWND box = program.WaitForTopWindow(L"#32770", L"Reelvault", kWindowTimeoutMs);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(StaticText(box), L"WebView2 Runtime が見つかりません。\nIEモードで継続します。");
    HWND main = program.MainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(GetWindow(box, GW_OWNER), main) << "owned by the main window";
    PostMessageW(box, WM_COMMAND, IDOK, 0);

    ASSERT_TRUE(WaitForReady(program));
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_EQ(BrowserToolBars(main), 1) << "the browser tool bar is there without a browser";
    EXPECT_EQ(program.FindTopWindow(L"#32770", L"Reelvault"), nullptr) << "never a second box";
    const std::wstring log = sandbox_.LogText();
    EXPECT_NE(log.find(L"[Browser] WebView2Loader.dll not found. fallback to IE ActiveX."), std::wstring::npos);
    EXPECT_NE(log.find(L"[Browser] backend=WebView2 requested, but host creation failed. IE route is removed."),
              std::wstring::npos);
    EXPECT_FALSE(SaveWindowScreenshot(main, L"appproc", L"browser_without_loader").empty());
    EXPECT_EQ(CloseAndWait(program), 0u);
}

}  // namespace
