// The pane on the stand-in runtime: its creation with the log lines it writes, the pending
// address, the events it listens to, its tool bar and its search-engine table.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "browser/BrowserBaseReelvault.h"
#include "core/base/Inifile.h"
#include "tests/browser/LocalHttpServer.h"
#include "tests/browser/PaneTestSupport.h"
#include "tests/browser/StandinTestSupport.h"
#include "tests/browser/standin/StandinCommands.h"
#include "tests/common/Screenshot.h"

namespace {

// The stand-in's log lines that start with `prefix`.
std::vector<std::string> StandinLinesStartingWith(const std::wstring& path, const std::string& prefix)
{
    std::vector<std::string> found;
    for (const std::string& line : ReadStandinLogLines(path)) {
        if (line.rfind(prefix, 0) == 0) found.push_back(line);
    }
    return found;
}

std::wstring DocumentsFolder()
{
    wchar_t documents[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents);
    return documents;
}

HWND FindViewWindow(HWND host) { return FindWindowExW(host, nullptr, STANDIN_VIEW_CLASS, nullptr); }

RECT ClientRectOf(HWND window)
{
    RECT rect = {};
    GetClientRect(window, &rect);
    return rect;
}

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class BrowserPaneTest : public testing::Test {
protected:
    void SetUp() override
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ASSERT_TRUE(server_.IsListening());
        server_.ServePage("/one", "<html><head><title>Page one</title></head><body bgcolor=\"#ffe0a0\">First page.\n"
                                  "<a href=\"/two\">to two</a> <a href=\"/three\" target=\"_blank\">three apart</a>"
                                  "</body></html>");
        server_.ServePage("/two", "<html><head><title>Page two</title></head><body>Second page.</body></html>");
        server_.ServePage("/three", "<html><head><title>Page three</title></head><body>Third page.</body></html>");
    }
    void TearDown() override { CoUninitialize(); }

    // The pane created in the parent as the main window does it, with its status bar.
    void CreatePane(const std::wstring& switches = L"")
    {
        switches_ = std::make_unique<ScopedStandinSwitches>(L"log=" + standinLog_ + (switches.empty() ? L"" : L";") +
                                                            switches);
        host_ = pane_.Create(parent_.Get(), ProgramFolder() + L"\\browser_menu_image.bmp");
        pane_.SetStatusBar(&parent_.statusBar);
    }
    bool WaitForPage(const std::wstring& url)
    {
        return PumpUntil([&] { return pane_.currentPage.url == url && parent_.StatusText().empty(); });
    }

    LocalHttpServer server_;
    TempFolder folder_;
    std::wstring standinLog_ = folder_ / L"standin.log";
    std::unique_ptr<ScopedStandinSwitches> switches_;
    LogCapture log_;
    PaneParent parent_;
    BrowserBaseReelvault_CL pane_;
    HWND host_ = nullptr;
};

TEST_F(BrowserPaneTest, CreatesTheHostAndHooksTheViewInOrder)
{
    CreatePane();
    ASSERT_TRUE(host_);
    EXPECT_EQ(pane_.GetHostWindow(), host_);
    EXPECT_EQ(GetParent(host_), parent_.Get());
    EXPECT_EQ(GetDlgCtrlID(host_), 0);
    ASSERT_TRUE(WaitForView(pane_));
    PumpUntil([&] { return !log_.BrowserLines().empty() && log_.BrowserLines().back().find(L"hooked") != std::wstring::npos; });

    const std::wstring userData = DocumentsFolder() + L"\\Reelvault\\WebView2";
    const std::vector<std::wstring> want = {
        L"[Browser] WebView2 runtime detected. version=120.0.0.0 standin",
        L"[Browser] WebView2 userDataFolder = \"" + userData + L"\"",
        L"[Browser] WebView2 host creation started.",
        L"[Browser] WebView2 controller created and events hooked.",
    };
    EXPECT_EQ(log_.BrowserLines(), want);
    EXPECT_NE(GetFileAttributesW(userData.c_str()), INVALID_FILE_ATTRIBUTES) << "the user-data folder exists";
    EXPECT_EQ(StandinLinesStartingWith(standinLog_, "call CreateCoreWebView2EnvironmentWithOptions"),
              std::vector<std::string>{"call CreateCoreWebView2EnvironmentWithOptions userDataFolder=" +
                                       Narrow(userData)});
    const std::vector<std::string> registered = {
        "call add_NavigationStarting",   "call add_NavigationCompleted",   "call add_SourceChanged",
        "call add_HistoryChanged",       "call add_DocumentTitleChanged",  "call add_StatusBarTextChanged",
        "call add_NewWindowRequested",
    };
    EXPECT_EQ(StandinLinesStartingWith(standinLog_, "call add_"), registered);

    // The view fills the host and follows it.
    HWND viewWindow = FindViewWindow(host_);
    ASSERT_TRUE(viewWindow);
    EXPECT_TRUE(IsWindowVisible(viewWindow));
    RECT viewRect = {};
    GetWindowRect(viewWindow, &viewRect);
    EXPECT_EQ(viewRect.right - viewRect.left, 440) << "the host's own rectangle, 200..640";
    MoveWindow(host_, 0, 0, 300, 200, TRUE);
    GetWindowRect(viewWindow, &viewRect);
    EXPECT_EQ(viewRect.right - viewRect.left, 300);
    EXPECT_EQ(viewRect.bottom - viewRect.top, 200);
}

TEST_F(BrowserPaneTest, AZeroSizedRectangleBecomesTheParentsClientArea)
{
    switches_ = std::make_unique<ScopedStandinSwitches>(L"log=" + standinLog_);
    const RECT empty = {10, 10, 10, 300};
    HWND host = pane_.CreateWebView2Host(parent_.Get(), &empty, WS_CHILD | WS_VISIBLE);
    ASSERT_TRUE(host);
    EXPECT_TRUE(SameRect(ClientRectOf(host), ClientRectOf(parent_.Get())));
    EXPECT_TRUE(WaitForView(pane_));
}

TEST_F(BrowserPaneTest, OnlyTheLastAddressAskedForBeforeTheViewIsNavigated)
{
    CreatePane();
    ASSERT_TRUE(host_);
    ASSERT_FALSE(pane_.view) << "the view comes through the message loop";
    EXPECT_EQ(pane_.Navigate(server_.Url("/one")), S_OK);
    EXPECT_EQ(pane_.Navigate(server_.Url("/two")), S_OK);
    EXPECT_EQ(pane_.Navigate(server_.Url("/three")), S_OK);
    EXPECT_EQ(pane_.pendingUrl, server_.Url("/three"));
    ASSERT_TRUE(WaitForView(pane_));
    EXPECT_TRUE(pane_.pendingUrl.empty());
    ASSERT_TRUE(WaitForPage(server_.Url("/three")));
    EXPECT_EQ(StandinLinesStartingWith(standinLog_, "call Navigate"),
              std::vector<std::string>{"call Navigate " + Narrow(server_.Url("/three"))});
    EXPECT_EQ(server_.RequestPaths(), std::vector<std::string>{"/three"});
}

TEST_F(BrowserPaneTest, ARefusedAddressLeavesNoMarkForTheNextNavigation)
{
    CreatePane();
    ASSERT_TRUE(WaitForView(pane_));
    ASSERT_EQ(pane_.Navigate(server_.Url("/one")), S_OK);
    ASSERT_TRUE(WaitForPage(server_.Url("/one")));

    // An address without a scheme, as the address box may send it.
    EXPECT_TRUE(FAILED(pane_.Navigate(L"example")));
    EXPECT_EQ(pane_.historyAction, kHistoryNone);
    EXPECT_EQ(pane_.navigationRequested, 0);
    EXPECT_TRUE(FAILED(pane_.Navigate(L"")));
    EXPECT_EQ(pane_.historyAction, kHistoryNone);
    EXPECT_EQ(pane_.navigationRequested, 0);

    // A page that moves on by itself is not booked as the pane's.
    log_.Clear();
    ASSERT_TRUE(pane_.view);
    auto done = MakeHandler<ICoreWebView2ExecuteScriptCompletedHandler>(
        std::function<HRESULT(HRESULT, LPCWSTR)>([](HRESULT, LPCWSTR) { return S_OK; }));
    ASSERT_EQ(pane_.view->ExecuteScript((L"location.href='" + server_.Url("/two") + L"';").c_str(), done.Get()), S_OK);
    ASSERT_TRUE(WaitForPage(server_.Url("/two")));
    EXPECT_TRUE(pane_.backList.empty()) << "a script navigation nobody asked for keeps nothing";
    ASSERT_FALSE(log_.BrowserLines().empty());
    EXPECT_EQ(log_.BrowserLines().front(), L"[History][before] action=0 current=" + server_.Url("/one") +
                                               L" target=" + server_.Url("/two") + L" back=0 fore=0");
}

TEST_F(BrowserPaneTest, AfterAFailedStartNavigateOnlyStores)
{
    CreatePane(L"controller=failed");
    ASSERT_TRUE(host_);
    PumpUntil([&] {
        const std::vector<std::wstring> lines = log_.BrowserLines();
        return std::find(lines.begin(), lines.end(), L"[Browser] CreateCoreWebView2Controller failed.") != lines.end();
    });
    EXPECT_EQ(pane_.Navigate(server_.Url("/one")), S_OK);
    EXPECT_EQ(pane_.Navigate(server_.Url("/two")), S_OK);
    EXPECT_EQ(pane_.pendingUrl, server_.Url("/two"));
    EXPECT_EQ(pane_.GoBack(), E_PENDING);
    EXPECT_EQ(pane_.GoForward(), E_PENDING);
    EXPECT_TRUE(StandinLinesStartingWith(standinLog_, "call Navigate").empty());
}

TEST_F(BrowserPaneTest, ToolBarHasItsSevenButtonsWithTheirTips)
{
    CreatePane();
    HWND toolBar = pane_.CreateToolBar(parent_.Get());
    ASSERT_TRUE(toolBar);
    EXPECT_EQ(GetDlgCtrlID(toolBar), 0x5000);
    struct Button {
        int command;
        int image;
        BYTE style;
        const wchar_t* text;
    };
    const Button want[] = {
        {0x9600, 1, BTNS_DROPDOWN, L"戻る"},
        {0x9700, 2, BTNS_DROPDOWN, L"進む"},
        {0x9501, 3, BTNS_BUTTON, L"中断"},
        {0x9502, 4, BTNS_BUTTON, L"リロード"},
        {0x9503, 5, BTNS_BUTTON, L"ホーム"},
        {0x9505, 6, BTNS_BUTTON, L"お気に入りに追加"},
        {0x9504, 7, BTNS_BUTTON, L"インターネットのプロパティを開きます。"},
    };
    ASSERT_EQ(SendMessageW(toolBar, TB_BUTTONCOUNT, 0, 0), 7);
    HWND tips = pane_.toolBar.toolTips.window;
    for (int index = 0; index < 7; ++index) {
        TBBUTTON button = {};
        SendMessageW(toolBar, TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&button));
        EXPECT_EQ(button.idCommand, want[index].command) << index;
        EXPECT_EQ(button.iBitmap, want[index].image) << index;
        EXPECT_EQ(button.fsStyle & BTNS_DROPDOWN, want[index].style & BTNS_DROPDOWN) << index;
        const LRESULT state = SendMessageW(toolBar, TB_GETSTATE, static_cast<WPARAM>(want[index].command), 0);
        if (index < 2)
            EXPECT_EQ(state & (TBSTATE_ENABLED | TBSTATE_INDETERMINATE), TBSTATE_INDETERMINATE) << "greyed " << index;
        else
            EXPECT_EQ(state & (TBSTATE_ENABLED | TBSTATE_INDETERMINATE), TBSTATE_ENABLED) << "enabled " << index;
        wchar_t label[128] = {};
        SendMessageW(toolBar, TB_GETBUTTONTEXTW, static_cast<WPARAM>(want[index].command), reinterpret_cast<LPARAM>(label));
        EXPECT_STREQ(label, want[index].text) << index;
        // The tip of each button is its text, the long one included.
        wchar_t tip[256] = {};
        TTTOOLINFOW tool = {};
        tool.cbSize = sizeof(tool);
        tool.hwnd = toolBar;
        tool.uId = static_cast<UINT_PTR>(want[index].command);
        tool.lpszText = tip;
        ASSERT_TRUE(tips);
        SendMessageW(tips, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
        EXPECT_STREQ(tip, want[index].text) << index;
    }
    EXPECT_TRUE(reinterpret_cast<HIMAGELIST>(SendMessageW(toolBar, TB_GETIMAGELIST, 0, 0)));
    MoveWindow(parent_.Get(), 0, 0, 900, 300, TRUE);
    EXPECT_FALSE(SaveWindowScreenshot(TestHostWindow::TopLevel(), L"browser", L"pane_tool_bar").empty());
}

TEST_F(BrowserPaneTest, ToolBarWithoutItsPictureStillHasItsButtons)
{
    switches_ = std::make_unique<ScopedStandinSwitches>(L"log=" + standinLog_);
    pane_.Create(parent_.Get(), folder_ / L"missing.bmp");
    HWND toolBar = pane_.CreateToolBar(parent_.Get());
    ASSERT_TRUE(toolBar);
    EXPECT_FALSE(pane_.toolBarImages.imageList);
    EXPECT_FALSE(reinterpret_cast<HIMAGELIST>(SendMessageW(toolBar, TB_GETIMAGELIST, 0, 0)));
    EXPECT_EQ(SendMessageW(toolBar, TB_BUTTONCOUNT, 0, 0), 7);
}

TEST(SearchEngineTable, HasTheTenEnginesInOrder)
{
    struct Row {
        int site;
        uint32_t flags;
        const wchar_t* name;
        const wchar_t* pathAndQuery;
    };
    const Row want[] = {
        {1, 0x0000, L"Google (web)", L"/search?q=%s&hl=ja&num=50"},
        {2, 0x0000, L"Yahoo (web)", L"/search?p=%s"},
        {3, 0x8001, L"YouTube (動画)", L"/results?search_query=%s&hl=ja"},
        {4, 0x8001, L"ニコニコ動画", L"/search/%s"},
        {4, 0x0001, L"ニコニコ動画 (tag)", L"/tag/%s"},
        {1, 0x0002, L"Google (画像)", L"/search?q=%s&hl=ja&tbm=isch"},
        {7, 0x0000, L"bing (web)", L"/search?q=%s"},
        {7, 0x0002, L"bing (画像)", L"/images/search?q=%s"},
        {5, 0x0103, L"Amazon", L"/s?k=%s"},
        {2, 0x0203, L"Yahoo (オークション)", L"/search/search?p=%s"},
    };
    BrowserBaseReelvault_CL pane;
    ASSERT_EQ(pane.engineTable.size(), 10u);
    for (size_t i = 0; i < 10; ++i) {
        const SearchEngineEntry& entry = pane.engineTable[i];
        EXPECT_EQ(entry.site, want[i].site) << i;
        EXPECT_EQ(entry.flags, want[i].flags) << i;
        EXPECT_EQ(entry.name, want[i].name) << i;
        // https, a host, then the path and query with its single "%s".
        const std::wstring& url = entry.urlTemplate;
        ASSERT_EQ(url.rfind(L"https://", 0), 0u) << i;
        const size_t path = url.find(L'/', 8);
        ASSERT_NE(path, std::wstring::npos) << i;
        EXPECT_GT(path, 8u) << i;
        EXPECT_EQ(url.substr(path), want[i].pathAndQuery) << i;
        EXPECT_EQ(url.find(L"%s"), url.rfind(L"%s")) << i;
    }
    // Two rows of one service share their host; the auction search has a host of its own.
    auto host = [&](size_t i) {
        const std::wstring& url = pane.engineTable[i].urlTemplate;
        return url.substr(0, url.find(L'/', 8));
    };
    EXPECT_EQ(host(3), host(4));
    EXPECT_EQ(host(0), host(5));
    EXPECT_EQ(host(6), host(7));
    EXPECT_NE(host(1), host(9));
}

}  // namespace
