// The album on the real program's window, driven as a user would: clicks on the tabs, F5 and
// F6, the category pane's button, and the reload command with its restart.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "core/base/PathName.h"
#include "tests/appproc/support/AppProcSupport.h"
#include "tests/common/Screenshot.h"

namespace {

using namespace appproc;

constexpr int kCategoryTabId = 0x1103;
constexpr int kSortTabId = 0x1104;
constexpr int kMovieGridId = 0x1101;
constexpr int kCategoryListId = 0x1100;
constexpr int kStatusBarId = 0x1102;
constexpr WPARAM kReloadCommand = 0x9130;
constexpr WPARAM kPaneToggleCommand = 0x9140;
const wchar_t kRestartTitle[] = L"Reelvault再起動の確認";
const wchar_t kListRefreshLine[] = L"★動画リスト更新(開始)";
const wchar_t kDecodeAnswerLine[] = L"デコード完了通知の処理(開始)";

HWND Child(HWND main, int id)
{
    for (const ChildWindow& child : DirectChildren(main)) {
        if (child.id == id) return child.window;
    }
    return nullptr;
}

int CurSel(HWND tab) { return static_cast<int>(SendMessageW(tab, TCM_GETCURSEL, 0, 0)); }

// A child's rectangle in the main window's client coordinates.
RECT RectIn(HWND main, HWND child)
{
    RECT rect = {};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool SameRect(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != 0; }

std::string Show(const RECT& r)
{
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

std::wstring AlbumIni(const AppSandbox& sandbox) { return sandbox.albumFolder(0) + L"\\AlbumInfo.ini"; }

int ReadDisplayValue(const AppSandbox& sandbox, const wchar_t* key)
{
    return static_cast<int>(GetPrivateProfileIntW(L"DISP_SETTING", key, -100, AlbumIni(sandbox).c_str()));
}

// The log text from the index-th start banner on (0 = the first start).
std::wstring LogOfStart(const AppSandbox& sandbox, int index)
{
    const std::wstring log = sandbox.LogText();
    size_t at = 0;
    for (int i = 0; i <= index; ++i) {
        at = log.find(kStartBanner, i == 0 ? 0 : at + 1);
        if (at == std::wstring::npos) return std::wstring();
    }
    return log.substr(at);
}

class AlbumViewTest : public testing::Test {
protected:
    void SetUp() override { SKIP_WITHOUT_PROGRAM(); }

    AppSandbox sandbox_;
};

TEST_F(AlbumViewTest, TabClicksDisplayKeysAndThePaneButton)
{
    ASSERT_EQ(sandbox_.MakeDemoAlbum(), 0);
    // Ten frames per cell, the most there are: F6 starts again at one.
    WritePrivateProfileStringW(L"DISP_SETTING", L"thumbnail_count", L"10", AlbumIni(sandbox_).c_str());
    ReelvaultProcess program;
    ASSERT_TRUE(program.Start(sandbox_.ProgramWithStandinMaker()));
    ASSERT_TRUE(WaitForReady(program));
    HWND main = program.MainWindow();
    SetWindowPos(main, nullptr, 0, 0, 1100, 700, SWP_NOZORDER | SWP_NOACTIVATE);
    HWND categoryTab = Child(main, kCategoryTabId);
    HWND sortTab = Child(main, kSortTabId);
    HWND grid = Child(main, kMovieGridId);
    // The browser pane's host has no id: it is the "Static" child holding the stand-in view
    // (the views are "Static" windows too).
    HWND browser = nullptr;
    for (HWND child = FindWindowExW(main, nullptr, L"Static", nullptr); child && !browser;
         child = FindWindowExW(main, child, L"Static", nullptr)) {
        if (FindWindowExW(child, nullptr, L"ReelvaultStandinWebView", nullptr)) browser = child;
    }
    ASSERT_TRUE(categoryTab && sortTab && grid && browser);

    const wchar_t* const captions[] = {L"全て(7)", L"未設定(2)", L"プレイリスト(1)", L"お気に入りサイト(1)", L"映画(5)"};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(RemoteTabText(categoryTab, i), captions[i]) << "category tab " << i;
    EXPECT_EQ(CurSel(categoryTab), 3) << "the program starts on the web tab";

    // A sort order on the web tab brings "全て" and the grid.
    ASSERT_TRUE(ClickTab(sortTab, 3));
    EXPECT_TRUE(WaitUntil([&] { return CurSel(categoryTab) == 0 && IsWindowVisible(grid); }, 10000));
    EXPECT_EQ(RemoteTabText(sortTab, 3), L"ファイル更新日付順 ▼");
    EXPECT_FALSE(IsWindowVisible(browser));
    Sleep(600);
    SaveWindowScreenshot(main, L"appproc", L"all-movies");

    // The browser tab brings the web tab.
    ASSERT_TRUE(ClickTab(sortTab, 0));
    EXPECT_TRUE(WaitUntil([&] { return CurSel(categoryTab) == 3 && IsWindowVisible(browser); }, 10000));
    EXPECT_FALSE(IsWindowVisible(grid));
    EXPECT_EQ(RemoteTabText(sortTab, 3), L"ファイル更新日付順") << "only the selected tab has a mark";

    // A click on the selected tab turns its order round and sorts again.
    ASSERT_TRUE(ClickTab(sortTab, 5));
    EXPECT_TRUE(WaitUntil([&] { return RemoteTabText(sortTab, 5) == L"再生回数順 ▼"; }, 10000));
    const int refreshes = sandbox_.CountLogLines(kListRefreshLine);
    ASSERT_TRUE(ClickTab(sortTab, 5));
    EXPECT_TRUE(WaitUntil([&] { return RemoteTabText(sortTab, 5) == L"再生回数順 ▲"; }, 10000));
    EXPECT_TRUE(sandbox_.WaitForLogLine(kListRefreshLine, 5000, refreshes + 1));
    ASSERT_TRUE(ClickTab(sortTab, 5));
    EXPECT_TRUE(WaitUntil([&] { return RemoteTabText(sortTab, 5) == L"再生回数順 ▼"; }, 10000));

    // F5 cycles the frame size from 2, F6 the frames per cell from 10.
    for (int want : {0, 1, 2}) {
        PostMessageW(main, WM_KEYDOWN, VK_F5, 0);
        EXPECT_TRUE(WaitUntil([&] { return ReadDisplayValue(sandbox_, L"thumbnail_size_index") == want; }, 10000))
            << "F5 to " << want << ", read " << ReadDisplayValue(sandbox_, L"thumbnail_size_index");
    }
    PostMessageW(main, WM_KEYDOWN, VK_F6, 0);
    EXPECT_TRUE(WaitUntil([&] { return ReadDisplayValue(sandbox_, L"thumbnail_count") == 1; }, 10000));
    // On the browser tab the keys change nothing.
    ASSERT_TRUE(ClickTab(sortTab, 0));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(browser); }, 10000));
    PostMessageW(main, WM_KEYDOWN, VK_F5, 0);
    PostMessageW(main, WM_KEYDOWN, VK_F6, 0);
    Sleep(1500);
    EXPECT_EQ(ReadDisplayValue(sandbox_, L"thumbnail_size_index"), 2);
    EXPECT_EQ(ReadDisplayValue(sandbox_, L"thumbnail_count"), 1);

    // The layout at two sizes, then with the category pane hidden and shown again.
    ASSERT_TRUE(ClickTab(sortTab, 1));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(grid); }, 10000));
    HWND categoryList = Child(main, kCategoryListId);
    HWND statusBar = Child(main, kStatusBarId);
    for (SIZE size : {SIZE{1100, 700}, SIZE{800, 560}}) {
        SCOPED_TRACE(testing::Message() << size.cx << " x " << size.cy);
        SetWindowPos(main, nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
        Sleep(300);
        RECT client = {};
        GetClientRect(main, &client);
        const RECT status = RectIn(main, statusBar);
        const RECT gridRect = RectIn(main, grid);
        EXPECT_EQ(gridRect.left, 304);
        EXPECT_EQ(gridRect.right, client.right);
        EXPECT_EQ(gridRect.bottom, status.top);
        EXPECT_EQ(RectIn(main, sortTab).left, 304 + 32);
        EXPECT_EQ(RectIn(main, categoryTab).right, 304);
        EXPECT_LE(RectIn(main, categoryList).right, 304);
        EXPECT_EQ(RectIn(main, categoryTab).bottom, status.top);
    }
    const RECT gridBefore = RectIn(main, grid);
    const RECT sortBefore = RectIn(main, sortTab);
    const RECT listBefore = RectIn(main, categoryList);
    PostMessageW(main, WM_COMMAND, kPaneToggleCommand, 0);
    // The layout is read from outside while the program lays out: wait for its last step.
    EXPECT_TRUE(WaitUntil([&] { return RectIn(main, grid).left == 0 && !IsWindowVisible(categoryTab); }, 10000));
    EXPECT_FALSE(IsWindowVisible(categoryList));
    EXPECT_EQ(RectIn(main, grid).left, 0);
    EXPECT_EQ(RectIn(main, sortTab).left, 32);
    PostMessageW(main, WM_COMMAND, kPaneToggleCommand, 0);
    EXPECT_TRUE(WaitUntil([&] { return RectIn(main, grid).left == 304 && IsWindowVisible(categoryTab); }, 10000));
    Sleep(300);
    EXPECT_TRUE(SameRect(RectIn(main, grid), gridBefore)) << Show(RectIn(main, grid)) << " was " << Show(gridBefore);
    EXPECT_TRUE(SameRect(RectIn(main, sortTab), sortBefore)) << Show(RectIn(main, sortTab)) << " was " << Show(sortBefore);
    EXPECT_TRUE(SameRect(RectIn(main, categoryList), listBefore))
        << Show(RectIn(main, categoryList)) << " was " << Show(listBefore);
    EXPECT_EQ(CloseAndWait(program), 0u);
}

TEST_F(AlbumViewTest, ReloadAnsweredNoStillDropsTheCacheAtTheEnd)
{
    ASSERT_EQ(sandbox_.MakeMovies(20), 0);
    const std::wstring program = sandbox_.ProgramWithStandinMaker();
    {
        ReelvaultProcess first;
        ASSERT_TRUE(first.Start(program));
        ASSERT_TRUE(WaitForReady(first));
        EXPECT_EQ(CloseAndWait(first), 0u);
    }
    ItemMovieDataList_CL cached;
    ASSERT_TRUE(sandbox_.LoadFromCache(cached)) << "the first run leaves a cache";

    ReelvaultProcess second;
    ASSERT_TRUE(second.Start(program));
    ASSERT_TRUE(WaitForReady(second));
    PostMessageW(second.MainWindow(), WM_COMMAND, kReloadCommand, 0);
    HWND question = second.WaitForTopWindow(L"#32770", kRestartTitle, kWindowTimeoutMs);
    ASSERT_TRUE(question);
    PostMessageW(question, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(question, IDNO)));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(question); }, 10000));
    Sleep(1000);
    EXPECT_TRUE(second.IsRunning()) << "No restarts nothing";
    EXPECT_EQ(CloseAndWait(second), 0u);
    EXPECT_FALSE(sandbox_.LoadFromCache(cached)) << "the next start reads every contents file";
}

// The new copy starts only once the old one has closed its pipe and stopped its maker: it
// owns the pipe "Reelvault", so the answer for a strip made after the restart reaches it.
TEST_F(AlbumViewTest, RestartHandsThePipeAndTheMakerToTheNewCopy)
{
    ASSERT_EQ(sandbox_.MakeDemoAlbum(), 0);
    ReelvaultProcess old;
    ASSERT_TRUE(old.Start(ProgramPath()));
    ASSERT_TRUE(WaitForReady(old));
    // Every strip made first, so that the one deleted below is the only one asked for.
    HWND status = StatusBarOf(old.MainWindow());
    bool counted = false;
    EXPECT_TRUE(WaitUntil(
        [&] {
            const std::wstring text = RemoteStatusText(status, 1);
            if (!text.empty()) counted = true;
            return counted && text.empty();
        },
        180000, 100));
    // "全て" with every strip made.
    HWND sortTab = Child(old.MainWindow(), kSortTabId);
    HWND grid = Child(old.MainWindow(), kMovieGridId);
    SetWindowPos(old.MainWindow(), nullptr, 0, 0, 1100, 700, SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(ClickTab(sortTab, 1));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(grid); }, 10000));
    Sleep(1500);
    SaveWindowScreenshot(old.MainWindow(), L"appproc", L"all-movies-strips");

    ItemMovieDataList_CL movies;
    sandbox_.LoadFromFiles(movies);
    std::wstring strip;
    for (const ItemMovieData_CL& movie : movies.records) {
        if (PathName_CL::GetFileName(movie.link_name) == L"03-mountain.mkv") strip = movie.GetThumbnailPath();
    }
    ASSERT_FALSE(strip.empty());
    ASSERT_TRUE(WaitUntil([&] { return GetFileAttributesW(strip.c_str()) != INVALID_FILE_ATTRIBUTES; }, 30000));
    ASSERT_TRUE(DeleteFileW(strip.c_str()));

    PostMessageW(old.MainWindow(), WM_COMMAND, kReloadCommand, 0);
    HWND question = old.WaitForTopWindow(L"#32770", kRestartTitle, kWindowTimeoutMs);
    ASSERT_TRUE(question);
    PostMessageW(question, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(question, IDYES)));
    EXPECT_EQ(old.WaitForExit(kExitTimeoutMs), 0u) << "the old copy closes";

    ReelvaultProcess copy;
    HWND newWindow = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            newWindow = FindWindowW(L"Reelvault", L"Reelvault");
            return newWindow != nullptr;
        },
        kWindowTimeoutMs))
        << "no new copy";
    DWORD pid = 0;
    GetWindowThreadProcessId(newWindow, &pid);
    EXPECT_NE(pid, old.Pid());
    ASSERT_TRUE(copy.Attach(pid));
    ASSERT_TRUE(WaitForReady(copy));

    const std::wstring log = LogOfStart(sandbox_, 1);
    EXPECT_NE(log.find(kSlowLoadLine), std::wstring::npos) << "the reload drops the cache";
    EXPECT_EQ(log.find(L"パイプサーバーを開始できません"), std::wstring::npos);
    EXPECT_EQ(log.find(L"Stillforgeを起動できません"), std::wstring::npos);
    EXPECT_TRUE(WaitUntil([&] { return LogOfStart(sandbox_, 1).find(kDecodeAnswerLine) != std::wstring::npos; }, 120000))
        << "the new copy got no answer from the maker";
    EXPECT_TRUE(WaitUntil([&] { return GetFileAttributesW(strip.c_str()) != INVALID_FILE_ATTRIBUTES; }, 30000))
        << "the deleted strip was not made again";
    EXPECT_TRUE(MakerRunning()) << "the old copy's close stopped the new copy's maker";
    EXPECT_EQ(CloseAndWait(copy), 0u);
}

}  // namespace
