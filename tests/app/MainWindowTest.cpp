// The main window in this process: its children, the splash that loads the album, the
// refused early close, the decode answers, and the close protocol.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/shell/MainWindow.h"
#include "app/shell/MessageLoop.h"
#include "app/startup/DialogDataLoad.h"
#include "core/album/SaveData.h"
#include "core/base/Inifile.h"
#include "core/base/Log.h"
#include "core/ipc/Kiln_ResponseDecode.h"
#include "core/ipc/PipeClient.h"
#include "core/media/GdiplusSession.h"
#include "ui/views/CategoryListWindow.h"
#include "ui/views/MovieIncSearch.h"
#include "ui/views/MovieListWindow.h"
#include "tests/album/AlbumTestSupport.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/common/Screenshot.h"
#include "tests/common/TempFolder.h"
#include "tests/common/TestWindow.h"

namespace {

using apptest::PumpUntil;
using apptest::StatusText;

int g_freedResponses = 0;

// An answer that counts its own end, to see that nobody forgets to free one.
class CountedResponse : public Kiln_ResponseDecode_CL {
public:
    ~CountedResponse() override { ++g_freedResponses; }
};

struct ChildWindow {
    std::wstring className;
    int id;
    HWND window;
};

BOOL CALLBACK CollectChild(HWND window, LPARAM param)
{
    wchar_t name[128] = {};
    GetClassNameW(window, name, 128);
    reinterpret_cast<std::vector<ChildWindow>*>(param)->push_back(
        {name, static_cast<int>(GetDlgCtrlID(window)), window});
    return TRUE;
}

std::vector<ChildWindow> Children(HWND parent)
{
    std::vector<ChildWindow> children;
    EnumChildWindows(parent, &CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

const ChildWindow* FindChild(const std::vector<ChildWindow>& children, const std::wstring& className, int id)
{
    for (const ChildWindow& child : children) {
        if (_wcsicmp(child.className.c_str(), className.c_str()) == 0 && (id < 0 || child.id == id)) return &child;
    }
    return nullptr;
}


size_t CountOf(const std::wstring& text, const std::wstring& what)
{
    size_t count = 0;
    for (size_t at = text.find(what); at != std::wstring::npos; at = text.find(what, at + what.size())) ++count;
    return count;
}

// A movie of the open album whose file and strip do not exist, its decode pending.
void AddMovie(const TempFolder& folder, const std::wstring& name, uint32_t decodeKey)
{
    ItemMovieData_CL movie;
    movie.ini_name = folder / (name + L".ini");
    movie.link_name = folder / (name + L".mp4");
    movie.content_name = name;
    movie.decode_key = decodeKey;
    movie.run_decode = 1;
    movie.favorites_frames.resize(10);
    g_saveData.movie_list.records.push_back(movie);
}

class MainWindowTest : public apptest::LoadedMainWindow {};

TEST_F(MainWindowTest, StartsBehindTheSplashLoadsAndClosesOnce)
{
    window_ = std::make_unique<MainWindow_CL>(&mutex_);
    HWND main = window_->Create();
    ASSERT_TRUE(main);

    wchar_t className[64] = {};
    GetClassNameW(main, className, 64);
    EXPECT_STREQ(className, L"Reelvault");
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(main, GWL_STYLE)) & kMainWindowStyle & ~WS_VISIBLE,
              kMainWindowStyle & ~WS_VISIBLE);

    const std::vector<ChildWindow> children = Children(main);
    EXPECT_TRUE(FindChild(children, L"ReBarWindow32", -1));
    EXPECT_TRUE(FindChild(children, L"ToolbarWindow32", 0x5000)) << "application tool bar";
    EXPECT_TRUE(FindChild(children, L"ToolbarWindow32", 0x5739)) << "category tool bar";
    EXPECT_TRUE(FindChild(children, L"ToolbarWindow32", 0x5009)) << "pane tool bar";
    EXPECT_TRUE(FindChild(children, L"ToolbarWindow32", 0x5345)) << "search bar";
    EXPECT_TRUE(FindChild(children, L"SysTabControl32", 0x1103)) << "category tab";
    EXPECT_TRUE(FindChild(children, L"SysTabControl32", 0x1104)) << "sort tab";
    EXPECT_TRUE(FindChild(children, L"msctls_statusbar32", 0x1102));
    // The stand-in WebView2 loader sits beside the test program, so the pane has its host.
    HWND host = window_->GetBrowser().GetHostWindow();
    ASSERT_TRUE(host) << "browser host";
    EXPECT_EQ(GetParent(host), main);
    EXPECT_EQ(GetDlgCtrlID(host), 0);
    ASSERT_TRUE(window_->GetCategoryListView());
    EXPECT_EQ(GetDlgCtrlID(window_->GetCategoryListView()->hwnd), 0x1100);
    ASSERT_TRUE(window_->GetMovieGrid());
    EXPECT_EQ(GetDlgCtrlID(window_->GetMovieGrid()->hwnd), 0x1101);
    EXPECT_FALSE(IsWindowVisible(window_->GetMovieGrid()->hwnd)) << "the browser shows until the load";

    // Until the album is loaded the user can use nothing but the browser.
    EXPECT_FALSE(IsWindowEnabled(window_->GetCategoryTabWindow()));
    EXPECT_FALSE(IsWindowEnabled(window_->GetSortTabWindow()));
    EXPECT_FALSE(IsWindowEnabled(window_->GetCategoryToolBarWindow()));

    // The splash is a layered dialog over the main window.
    ASSERT_TRUE(PumpUntil([&] { return window_->GetSplash() && window_->GetSplash()->window; }, 5000));
    HWND splash = window_->GetSplash()->window;
    GetClassNameW(splash, className, 64);
    EXPECT_STREQ(className, L"#32770");
    EXPECT_TRUE(GetWindowLongPtrW(splash, GWL_EXSTYLE) & WS_EX_LAYERED);
    PumpUntil([] { return false; }, 50);
    SaveWindowScreenshot(splash, L"app", L"splash");

    // A close before the load has finished is refused.
    SendMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(main));
    EXPECT_EQ(window_->GetCloseState(), 0u);

    ASSERT_TRUE(PumpUntil([&] { return window_->IsReady() != 0; }, 30000));
    EXPECT_TRUE(IsWindowEnabled(window_->GetCategoryTabWindow()));
    EXPECT_TRUE(IsWindowEnabled(window_->GetSortTabWindow()));
    EXPECT_FALSE(window_->GetSplash()) << "the splash is freed once the load has ended";
    EXPECT_EQ(TabCtrl_GetItemCount(window_->GetCategoryTabWindow()), 4);
    EXPECT_EQ(TabCtrl_GetItemCount(window_->GetSortTabWindow()), 9);
    MoveWindow(main, 0, 0, 1100, 700, TRUE);
    PumpUntil([] { return false; }, 300);
    SaveWindowScreenshot(main, L"app", L"ready");

    // Somebody else's timer message ends nothing.
    SendMessageW(main, WM_TIMER, 1, 0);
    PostMessageW(main, WM_TIMER, 0x123, 0);
    PumpUntil([] { return false; }, 50);
    EXPECT_TRUE(IsWindow(main));

    PostMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(main); }, 20000)) << "close state " << window_->GetCloseState();
    const std::wstring log = Log();
    EXPECT_EQ(CountOf(log, L"データ保存(開始)"), 1u);
    EXPECT_EQ(CountOf(log, L"データ保存(終了)"), 1u);
    EXPECT_NE(log.find(L"load_rect[0] = "), std::wstring::npos);
    MSG quit;
    PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

TEST_F(MainWindowTest, DecodeAnswersUpdateTheMovieAndTheWaitingCount)
{
    OpenAndLoad();
    TempFolder movies;
    AddMovie(movies, L"a", 4242);

    auto answer = [](uint32_t key, uint32_t framesLeft, uint32_t moviesLeft, uint32_t error) {
        auto* response = new Kiln_ResponseDecode_CL();
        response->request_id = key;
        response->decode_count = framesLeft;
        response->request_count = moviesLeft;
        response->errorFlag = error;
        response->duration = 123456789;
        response->positions = {10, 20, 30};
        return reinterpret_cast<LPARAM>(response);
    };
    HWND main = window_->hwnd;
    HWND statusBar = window_->GetStatusBar().hwnd;

    // Frames still to come: positions and length stored, the movie still pending.
    PostMessageW(main, WM_DECODE_RESPONSE, 0, answer(4242, 3, 5, 0));
    PumpUntil([] { return false; }, 100);
    const ItemMovieData_CL& stored = g_saveData.movie_list.records.back();
    EXPECT_EQ(stored.last_play_frame, 123456789);
    EXPECT_EQ(stored.favorites_frames[1].fav, 20);
    EXPECT_EQ(stored.run_decode, 1u);
    EXPECT_EQ(StatusText(statusBar, 1), L"");

    g_saveData.movie_list.records.back().WriteContentsIni();
    PostMessageW(main, WM_DECODE_RESPONSE, 0, answer(4242, 0, 2, 1));
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(stored.run_decode, 0u);
    EXPECT_EQ(stored.decodo_err, 1u);
    EXPECT_EQ(StatusText(statusBar, 1), L"残動画デコード数( 2 )");
    EXPECT_EQ(GetPrivateProfileIntW(L"MOVIE_INFO", L"decodo_err", -1, stored.ini_name.c_str()), 1);

    // The movie is being deleted (its contents file is gone): the answer does not make the
    // file again.
    ASSERT_TRUE(DeleteFileW(stored.ini_name.c_str()));
    PostMessageW(main, WM_DECODE_RESPONSE, 0, answer(4242, 0, 0, 0));
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(StatusText(statusBar, 1), L"");
    EXPECT_EQ(GetFileAttributesW(stored.ini_name.c_str()), INVALID_FILE_ATTRIBUTES);

    // An answer about a movie this album does not hold changes nothing.
    PostMessageW(main, WM_DECODE_RESPONSE, 0, answer(999, 0, 7, 0));
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(StatusText(statusBar, 1), L"");
    g_saveData.movie_list.records.pop_back();
}

TEST_F(MainWindowTest, SortTabsShowTheGridWithTheAlbumsMovies)
{
    OpenAndLoad();
    TempFolder movies;
    uint32_t key = 100;
    for (const wchar_t* name : {L"夕暮れの海", L"city-night", L"mountain"}) AddMovie(movies, name, key++);
    // "全て" in the last sort order: every movie of the album.
    window_->SelectCategoryTab(0, FALSE);
    MoveWindow(window_->hwnd, 0, 0, 1100, 700, TRUE);
    PumpUntil([] { return false; }, 300);
    MovieListWindow_CL* grid = window_->GetMovieGrid();
    EXPECT_TRUE(IsWindowVisible(grid->hwnd));
    EXPECT_FALSE(IsWindowVisible(window_->GetBrowser().GetHostWindow()));
    EXPECT_EQ(grid->GetItemCount(), 3u);
    SaveWindowScreenshot(window_->hwnd, L"app", L"grid");

    // The browser pane navigated: the web tab comes forward.
    SendMessageW(window_->hwnd, WM_COMMAND, kShowWebTabCommand, 0);
    EXPECT_FALSE(IsWindowVisible(grid->hwnd));
    EXPECT_TRUE(IsWindowVisible(window_->GetBrowser().GetHostWindow()));
    EXPECT_EQ(TabCtrl_GetCurSel(window_->GetSortTabWindow()), 0);
    g_saveData.movie_list.records.clear();
}

TEST_F(MainWindowTest, ClearButtonEmptiesTheSearch)
{
    OpenAndLoad();
    MovieIncSearch_CL* bar = window_->GetSearchBar();
    ASSERT_TRUE(bar && bar->SearchBox());
    bar->SetSearchText(L"海");
    bar->RunSearch(0);
    EXPECT_EQ(g_saveData.disp_setting.search_text, L"海");
    SendMessageW(window_->hwnd, WM_COMMAND, 0x9301, 0);
    EXPECT_EQ(g_saveData.disp_setting.search_text, L"");
}

TEST_F(MainWindowTest, AnswersLeftForAWindowThatHasGoneAreFreed)
{
    OpenAndLoad();
    HWND main = window_->hwnd;
    g_freedResponses = 0;
    ASSERT_TRUE(PostMessageW(main, WM_DECODE_RESPONSE, 0, reinterpret_cast<LPARAM>(new CountedResponse())));
    ASSERT_TRUE(PostMessageW(main, WM_DECODE_RESPONSE, 0, reinterpret_cast<LPARAM>(new CountedResponse())));
    // Gone before the loop saw them: the system drops their messages with the window.
    DestroyWindow(main);
    EXPECT_EQ(g_freedResponses, 2);
    // Its WM_DESTROY posted the quit that ends the loop.
    EXPECT_EQ(RunMessageLoop(*window_, nullptr), 0);
}

TEST_F(MainWindowTest, AnswersOverThePipeReachTheirMovie)
{
    OpenAndLoad();
    TempFolder movies;
    AddMovie(movies, L"b", 777);

    Kiln_ResponseDecode_CL response;
    response.request_id = 777;
    response.duration = 50000000;
    response.positions = {1000, 2000};
    ASSERT_EQ(PipeClient_CL::SendOnce(L"Reelvault", response), S_OK);
    const ItemMovieData_CL& stored = g_saveData.movie_list.records.back();
    EXPECT_TRUE(PumpUntil([&] { return stored.run_decode == 0; }, 10000));
    EXPECT_EQ(stored.last_play_frame, 50000000);
    EXPECT_EQ(stored.favorites_frames[0].fav, 1000);
    g_saveData.movie_list.records.pop_back();
}

// Album 2 (index 1) is the last one used and locked with the chord "5A".
class LockedAlbumTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        g_saveData.program_ini.WriteInt(1, L"ALBUM_INFO", L"last_index");
        const std::wstring album = sandbox_.dataFolder() + L"\\ALBUM_0002";
        CreateDirectoryW(album.c_str(), nullptr);
        Inifile_CL albumIni;
        albumIni.SetPath(album + L"\\AlbumInfo.ini");
        albumIni.WriteString(L"LOCK", L"key", L"5A");
    }
    void TearDown() override
    {
        BYTE noKeys[256] = {};
        SetKeyboardState(noKeys);
        MainWindowTest::TearDown();
    }
};

TEST_F(LockedAlbumTest, WithoutTheChordTheFirstAlbumOpensAfterThirtyOneChecks)
{
    const ULONGLONG start = GetTickCount64();
    OpenAndLoad();
    EXPECT_GE(GetTickCount64() - start, 3100u);
    EXPECT_EQ(g_saveData.album_data.current_index, 0);
    EXPECT_NE(g_saveData.album_folder.find(L"ALBUM_0001"), std::wstring::npos);
    EXPECT_NE(Log().find(L"★キーロックが解除されないため、先頭のアルバムを開きます。"), std::wstring::npos);
    Inifile_CL programIni;
    programIni.SetPath(sandbox_.dataFolder() + L"\\Reelvault.ini");
    EXPECT_EQ(programIni.ReadInt(L"ALBUM_INFO", L"last_index", -1), 1u) << "the user's choice stays";
}

TEST_F(LockedAlbumTest, HoldingTheChordOpensTheLockedAlbum)
{
    BYTE state[256] = {};
    state['5'] = state['A'] = 0x80;
    ASSERT_TRUE(SetKeyboardState(state));
    OpenAndLoad();
    EXPECT_EQ(g_saveData.album_data.current_index, 1);
    EXPECT_NE(g_saveData.album_folder.find(L"ALBUM_0002"), std::wstring::npos);
}

TEST_F(MainWindowTest, WindowRectIsKeptOnlyOnceReady)
{
    Inifile_CL programIni;
    programIni.SetPath(sandbox_.dataFolder() + L"\\Reelvault.ini");
    window_ = std::make_unique<MainWindow_CL>(&mutex_);
    HWND main = window_->Create();
    ASSERT_TRUE(main);
    // Moves while the window is still being placed and loaded are not the user's.
    MoveWindow(main, 30, 40, 700, 500, TRUE);
    const RECT none = {-1, -1, -1, -1};
    EXPECT_EQ(programIni.ReadWindowRect(L"WINDOW", L"rect", none).left, -1);

    ASSERT_TRUE(PumpUntil([&] { return window_->IsReady() != 0; }, 30000));
    MoveWindow(main, 50, 60, 800, 600, TRUE);
    const RECT saved = programIni.ReadWindowRect(L"WINDOW", L"rect", none);
    RECT now = {};
    GetWindowRect(main, &now);
    EXPECT_EQ(saved.left, now.left);
    EXPECT_EQ(saved.top, now.top);
    EXPECT_EQ(saved.right, now.right);
    EXPECT_EQ(saved.bottom, now.bottom);
}

TEST_F(MainWindowTest, SiblingPlayerUpdatesWaitForTheLoad)
{
    window_ = std::make_unique<MainWindow_CL>(&mutex_);
    HWND main = window_->Create();
    ASSERT_TRUE(main);
    std::vector<uint8_t> record(528, 0);
    COPYDATASTRUCT data = {0x52564C54, static_cast<DWORD>(record.size()), record.data()};
    EXPECT_EQ(SendMessageW(main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)), FALSE) << "before the load";
    ASSERT_TRUE(PumpUntil([&] { return window_->IsReady() != 0; }, 30000));
    EXPECT_EQ(SendMessageW(main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)), TRUE);
    data.cbData = 527;
    EXPECT_EQ(SendMessageW(main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)), FALSE);
}

}  // namespace
