// What a start shows: the start-up lines of the log, the child windows of the main window,
// the splash over it while the album loads, the controls held back until the album is
// there, and the window rectangle of the last run.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <set>

#include "tests/appproc/support/AppProcSupport.h"
#include "tests/common/Screenshot.h"

namespace {

using namespace appproc;

class StartUpTest : public testing::Test {
protected:
    void SetUp() override { SKIP_WITHOUT_PROGRAM(); }

    AppSandbox sandbox_;
};

TEST_F(StartUpTest, LogsTheStartAndTheDisplays)
{
    ASSERT_EQ(sandbox_.MakeMovies(3), 0);
    ReelvaultProcess program;
    ASSERT_TRUE(program.Start(ProgramPath()));
    ASSERT_TRUE(WaitForReady(program));
    const std::wstring log = sandbox_.LogText();
    EXPECT_NE(log.find(std::wstring(L"\r\n") + kStartBanner), std::wstring::npos);
    EXPECT_NE(log.find(L"DataFolderPath = \"" + sandbox_.dataFolder() + L"\""), std::wstring::npos);
    const std::wstring size = L"DisplaySize = " + std::to_wstring(GetSystemMetrics(SM_CXFULLSCREEN)) + L", " +
                              std::to_wstring(GetSystemMetrics(SM_CYFULLSCREEN));
    EXPECT_NE(log.find(size), std::wstring::npos) << size;
    const int monitors = GetSystemMetrics(SM_CMONITORS);
    EXPECT_EQ(sandbox_.CountLogLines(L"DisplayFlags = "), monitors);
    EXPECT_EQ(sandbox_.CountLogLines(L"DisplayRect  = "), monitors);
    EXPECT_EQ(sandbox_.CountLogLines(L"DisplayWork  = "), monitors);
    EXPECT_EQ(sandbox_.CountLogLines(L"load_rect[0] = "), 1);
    EXPECT_EQ(CloseAndWait(program), 0u);
}

TEST_F(StartUpTest, SplashAndDisabledControlsUntilTheAlbumIsThere)
{
    // A locked second album keeps the splash up for three seconds before the first opens.
    ASSERT_EQ(sandbox_.MakeMovies(3, L"--album 1 --lock 5A"), 0);
    ReelvaultProcess program;
    ASSERT_TRUE(program.Start(ProgramPath()));
    HWND splash = program.WaitForTopWindow(L"#32770", nullptr, kWindowTimeoutMs);
    ASSERT_NE(splash, nullptr);
    HWND main = program.MainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(GetWindowLongW(splash, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_FALSE(GetWindowLongW(splash, GWL_STYLE) & WS_SYSMENU);
    EXPECT_FALSE(IsReady(main));

    std::vector<ChildWindow> children = DirectChildren(main);
    int disabledTabs = 0;
    for (const ChildWindow& child : children) {
        if (child.className == WC_TABCONTROLW && !IsWindowEnabled(child.window)) ++disabledTabs;
        if (child.id == 0x5739) {
            EXPECT_FALSE(IsWindowEnabled(child.window)) << "category tool bar";
        }
    }
    EXPECT_EQ(disabledTabs, 2);
    Sleep(500);
    EXPECT_FALSE(SaveWindowScreenshot(splash, L"appproc", L"splash").empty());

    ASSERT_TRUE(WaitForReady(program));
    WaitUntil([&] { return !IsWindow(splash) || !IsWindowVisible(splash); }, 5000);
    EXPECT_FALSE(IsWindow(splash) && IsWindowVisible(splash));
    for (const ChildWindow& child : DirectChildren(main)) {
        if (child.id == 0x5739) {
            EXPECT_TRUE(IsWindowEnabled(child.window)) << "category tool bar";
        }
    }
    Sleep(500);
    EXPECT_FALSE(SaveWindowScreenshot(main, L"appproc", L"ready").empty());
    EXPECT_EQ(CloseAndWait(program), 0u);
}

TEST_F(StartUpTest, ChildWindowsOfTheMainWindow)
{
    ASSERT_EQ(sandbox_.MakeMovies(3), 0);
    ReelvaultProcess program;
    ASSERT_TRUE(program.Start(ProgramPath()));
    ASSERT_TRUE(WaitForReady(program));
    HWND main = program.MainWindow();

    std::multiset<std::wstring> classes;
    std::set<int> toolBarIds;
    for (const ChildWindow& child : DirectChildren(main)) {
        classes.insert(child.className);
        if (child.className == TOOLBARCLASSNAMEW) toolBarIds.insert(child.id);
    }
    EXPECT_EQ(toolBarIds, (std::set<int>{0x5009, 0x5739}));
    EXPECT_EQ(classes.count(WC_TABCONTROLW), 2u);
    EXPECT_EQ(classes.count(REBARCLASSNAMEW), 1u);
    EXPECT_EQ(classes.count(STATUSCLASSNAMEW), 1u);
    // The category list view and the browser host by their ids.
    EXPECT_NE(GetDlgItem(main, 0x1100), nullptr) << "the category list view";
    // The browser host: the "Static" child that holds the (stand-in) view.
    int browserHosts = 0;
    for (const ChildWindow& child : DirectChildren(main))
        browserHosts += _wcsicmp(child.className.c_str(), L"Static") == 0 &&
                        FindWindowExW(child.window, nullptr, L"ReelvaultStandinWebView", nullptr) != nullptr;
    EXPECT_EQ(browserHosts, 1) << "the browser host";
    HWND rebar = FindChild(main, REBARCLASSNAMEW);
    ASSERT_NE(rebar, nullptr);
    // The application tool bar and the browser's share the control id.
    int toolBarsInRebar = 0;
    for (const ChildWindow& child : AllDescendants(rebar))
        toolBarsInRebar += child.className == TOOLBARCLASSNAMEW && child.id == 0x5000;
    EXPECT_EQ(toolBarsInRebar, 2) << "the application and browser tool bars in the rebar";
    EXPECT_EQ(CloseAndWait(program), 0u);
}

TEST_F(StartUpTest, MovieGridBesideTheCategoryView)
{
    ASSERT_EQ(sandbox_.MakeMovies(3), 0);
    ReelvaultProcess program;
    ASSERT_TRUE(program.Start(ProgramPath()));
    ASSERT_TRUE(WaitForReady(program));
    HWND grid = GetDlgItem(program.MainWindow(), 0x1101);
    if (!grid) {
        CloseAndWait(program);
        GTEST_SKIP() << "the movie grid is not part of the program yet";
    }
    EXPECT_NE(grid, GetDlgItem(program.MainWindow(), 0x1100));
    EXPECT_EQ(CloseAndWait(program), 0u);
}

struct RectCase {
    const char* name;
    RECT saved;
    bool restored;
};

class WindowRectTest : public StartUpTest, public testing::WithParamInterface<RectCase> {};

TEST_P(WindowRectTest, SavedRectangleOnlyWhenOnAMonitor)
{
    const RectCase& c = GetParam();
    ASSERT_EQ(sandbox_.MakeMovies(3), 0);
    // A known last duplicate start: the start does not forget the rectangle.
    sandbox_.WriteLastDuplicateTime(NowSeconds() - 3600);
    sandbox_.WriteWindowRect(c.saved);
    ReelvaultProcess program;
    ASSERT_TRUE(program.Start(ProgramPath()));
    ASSERT_TRUE(WaitForReady(program));
    RECT shown = {};
    GetWindowRect(program.MainWindow(), &shown);
    if (c.restored) {
        EXPECT_EQ(shown.left, c.saved.left);
        EXPECT_EQ(shown.top, c.saved.top);
        EXPECT_EQ(shown.right, c.saved.right);
        EXPECT_EQ(shown.bottom, c.saved.bottom);
    } else {
        EXPECT_EQ(shown.right - shown.left, 640);
        EXPECT_EQ(shown.bottom - shown.top, 480);
        EXPECT_LT(shown.left, GetSystemMetrics(SM_CXVIRTUALSCREEN));
    }
    EXPECT_EQ(CloseAndWait(program), 0u);
}

INSTANTIATE_TEST_SUITE_P(Table, WindowRectTest,
                         testing::Values(RectCase{"OnScreen", RECT{60, 50, 900, 650}, true},
                                         RectCase{"OffScreen", RECT{5000, 4000, 5800, 4600}, false}),
                         [](const testing::TestParamInfo<RectCase>& info) { return info.param.name; });

}  // namespace
