#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "tests/browser/LocalHttpServer.h"
#include "tests/browser/StandinSession.h"
#include "tests/common/TempFolder.h"

namespace {

const std::vector<std::string> kEventsOfOnePage = {"NavigationStarting", "SourceChanged", "HistoryChanged",
                                                   "DocumentTitleChanged", "NavigationCompleted"};

// Only the event lines, without their details.
std::vector<std::string> EventNames(const std::vector<std::string>& logLines)
{
    std::vector<std::string> names;
    for (const std::string& line : logLines) {
        if (line.rfind("event ", 0) != 0) continue;
        names.push_back(line.substr(6, line.find(' ', 6) - 6));
    }
    return names;
}

class StandinNavigationTest : public testing::Test {
protected:
    void SetUp() override
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ASSERT_TRUE(server_.IsListening());
        server_.ServePage("/one", "<html><head><title>Page one</title></head>"
                                  "<body bgcolor=\"#ffe0a0\">First page of the stand-in.\n"
                                  "<a href=\"/two\">to two</a> <a href=\"/three\" target=\"_blank\">three apart</a>"
                                  "</body></html>");
        server_.ServePage("/two", "<html><head><title>二番目のページ</title></head><body bgcolor=\"#c0e0ff\">"
                                  "Second page.</body></html>");
        server_.ServeRedirect("/moved", 302, "/two");
    }
    void TearDown() override { CoUninitialize(); }

    LocalHttpServer server_;
    TempFolder folder_;
};

TEST_F(StandinNavigationTest, TwoPagesRaiseTheEventsInOrderAfterTheCall)
{
    const std::wstring log = folder_ / L"standin.log";
    ScopedStandinSwitches switches(L"log=" + log);
    StandinSession session;
    ASSERT_TRUE(session.Start()) << session.FailedStep();

    ASSERT_EQ(session.Navigate(server_.Url("/one")), S_OK);
    ASSERT_TRUE(session.WaitForCompletions(1));
    EXPECT_EQ(session.Source(), server_.Url("/one"));
    EXPECT_EQ(session.Title(), L"Page one");
    ASSERT_EQ(session.Navigate(server_.Url("/two")), S_OK);
    ASSERT_TRUE(session.WaitForCompletions(2));

    std::vector<std::string> expected = kEventsOfOnePage;
    expected.insert(expected.end(), kEventsOfOnePage.begin(), kEventsOfOnePage.end());
    EXPECT_EQ(session.Names(), expected);
    for (const StandinEvent& event : session.events) EXPECT_FALSE(event.insideCall) << event.name;
    EXPECT_EQ(session.events[0].uri, server_.Url("/one"));
    EXPECT_TRUE(session.events[0].userInitiated);
    EXPECT_FALSE(session.events[0].redirected);
    EXPECT_TRUE(session.events[4].success);
    EXPECT_EQ(session.events[8].uri, L"二番目のページ");
    EXPECT_EQ(server_.RequestPaths(), (std::vector<std::string>{"/one", "/two"}));

    // The log also holds ContentLoading, which the pane does not listen to, and the calls.
    const std::vector<std::string> lines = ReadStandinLogLines(log);
    const std::vector<std::string> logged = EventNames(lines);
    const std::vector<std::string> onePage = {"NavigationStarting", "SourceChanged", "ContentLoading",
                                              "HistoryChanged", "DocumentTitleChanged", "NavigationCompleted"};
    std::vector<std::string> loggedExpected = {"EnvironmentCreated", "ControllerCreated"};
    loggedExpected.insert(loggedExpected.end(), onePage.begin(), onePage.end());
    loggedExpected.insert(loggedExpected.end(), onePage.begin(), onePage.end());
    EXPECT_EQ(logged, loggedExpected);
    const auto has = [&lines](const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    };
    EXPECT_TRUE(has("call Navigate " + server_.Origin() + "/two"));
    EXPECT_TRUE(has("event DocumentTitleChanged title=二番目のページ")) << "the log is UTF-8";

    // The view is a child of the host window, placed where the controller's bounds say.
    HWND viewWindow = session.ViewWindow();
    ASSERT_NE(viewWindow, nullptr);
    EXPECT_TRUE(IsWindowVisible(viewWindow));
    RECT bounds = {10, 20, 330, 260};
    ASSERT_EQ(session.controller->put_Bounds(bounds), S_OK);
    RECT placed;
    GetWindowRect(viewWindow, &placed);
    MapWindowPoints(nullptr, session.host.Get(), reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.left, 10);
    EXPECT_EQ(placed.top, 20);
    EXPECT_EQ(placed.right, 330);
    EXPECT_EQ(placed.bottom, 260);
}

TEST_F(StandinNavigationTest, ARedirectStartsAgainAndCompletesOnce)
{
    StandinSession session;
    ASSERT_TRUE(session.Start()) << session.FailedStep();
    ASSERT_EQ(session.Navigate(server_.Url("/moved")), S_OK);
    ASSERT_TRUE(session.WaitForCompletions(1));
    ASSERT_TRUE(session.Drain());

    ASSERT_EQ(session.Count("NavigationStarting"), 2u);
    EXPECT_EQ(session.Count("NavigationCompleted"), 1u);
    EXPECT_EQ(session.events[0].uri, server_.Url("/moved"));
    EXPECT_FALSE(session.events[0].redirected);
    EXPECT_EQ(session.events[1].name, "NavigationStarting");
    EXPECT_EQ(session.events[1].uri, server_.Url("/two"));
    EXPECT_TRUE(session.events[1].redirected);
    EXPECT_EQ(session.Source(), server_.Url("/two"));
    EXPECT_EQ(server_.RequestPaths(), (std::vector<std::string>{"/moved", "/two"}));
    EXPECT_FALSE(session.CanGoBack()) << "the redirect is one history entry";
}

TEST_F(StandinNavigationTest, ANavigationStartedFromAHandlerReplacesTheRunningOne)
{
    StandinSession session;
    ASSERT_TRUE(session.Start()) << session.FailedStep();
    // The first NavigationStarting turns the view elsewhere, as a host may do.
    bool redirected = false;
    EventRegistrationToken token;
    session.view->add_NavigationStarting(
        MakeHandler<ICoreWebView2NavigationStartingEventHandler>(
            std::function<HRESULT(ICoreWebView2*, ICoreWebView2NavigationStartingEventArgs*)>(
                [&](ICoreWebView2* sender, ICoreWebView2NavigationStartingEventArgs*) {
                    if (!redirected) {
                        redirected = true;
                        sender->Navigate(server_.Url("/two").c_str());
                    }
                    return S_OK;
                }))
            .Get(),
        &token);
    ASSERT_EQ(session.Navigate(server_.Url("/one")), S_OK);
    ASSERT_TRUE(session.WaitForCompletions(2));
    ASSERT_TRUE(session.Drain());

    EXPECT_EQ(session.Names(), (std::vector<std::string>{"NavigationStarting", "NavigationCompleted",
                                                         "NavigationStarting", "SourceChanged", "HistoryChanged",
                                                         "DocumentTitleChanged", "NavigationCompleted"}));
    EXPECT_FALSE(session.events[1].success);
    EXPECT_EQ(session.events[1].webErrorStatus, 14);  // COREWEBVIEW2_WEB_ERROR_STATUS_OPERATION_CANCELED
    EXPECT_TRUE(session.events.back().success);
    EXPECT_EQ(session.Source(), server_.Url("/two"));
    EXPECT_EQ(server_.RequestPaths(), std::vector<std::string>{"/two"});
}

TEST_F(StandinNavigationTest, RefusesWhatTheRuntimeRefuses)
{
    StandinSession session;
    ASSERT_TRUE(session.Start()) << session.FailedStep();
    const struct {
        const wchar_t* address;
        HRESULT expected;
    } cases[] = {
        {L"", E_INVALIDARG},
        {L"127.0.0.1/one", E_INVALIDARG},
        {L"ftp://127.0.0.1/one", E_INVALIDARG},
        {L"http://", E_INVALIDARG},
        {L"http:///one", E_INVALIDARG},
        {L"javascript:alert(1)", E_INVALIDARG},
        {L"about:blank", S_OK},
    };
    for (const auto& c : cases) EXPECT_EQ(session.Navigate(c.address), c.expected) << Narrow(c.address);
    EXPECT_EQ(session.view->Navigate(nullptr), E_INVALIDARG);
    EXPECT_TRUE(session.WaitForCompletions(1));

    // A handler that does not answer for its own interface is refused, as it could not be
    // called through it.
    struct Mute : ICoreWebView2HistoryChangedEventHandler {
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override
        {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
        ULONG STDMETHODCALLTYPE Release() override { return 1; }
        HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2*, IUnknown*) override { return S_OK; }
    } mute;
    EventRegistrationToken token;
    EXPECT_EQ(session.view->add_HistoryChanged(&mute, &token), E_NOINTERFACE);
    EXPECT_EQ(session.environment->CreateCoreWebView2Controller(nullptr, nullptr), E_POINTER);

    // The objects answer only on the thread that created the environment.
    const std::wstring address = server_.Url("/one");
    std::vector<HRESULT> fromOtherThread;
    std::thread other([&] {
        RECT bounds = {0, 0, 10, 10};
        LPWSTR source = nullptr;
        fromOtherThread = {session.view->Navigate(address.c_str()), session.view->get_Source(&source),
                           session.controller->put_Bounds(bounds),
                           session.environment->CreateCoreWebView2Controller(session.host.Get(), nullptr)};
    });
    other.join();
    EXPECT_EQ(fromOtherThread, std::vector<HRESULT>(4, RPC_E_WRONG_THREAD));
}

TEST_F(StandinNavigationTest, AnUnreachablePageCompletesWithoutSuccess)
{
    std::wstring address;
    {
        LocalHttpServer gone;  // its port is closed again when it goes
        address = gone.Url("/gone");
    }
    StandinSession session;
    ASSERT_TRUE(session.Start()) << session.FailedStep();
    ASSERT_EQ(session.Navigate(address), S_OK);
    ASSERT_TRUE(session.WaitForCompletions(1));
    EXPECT_FALSE(session.events.back().success);
    EXPECT_EQ(session.events.back().webErrorStatus, 12);  // COREWEBVIEW2_WEB_ERROR_STATUS_CANNOT_CONNECT
}

TEST_F(StandinNavigationTest, ShowsLocalFilesAndAboutBlank)
{
    const std::wstring page = folder_ / L"local page.html";
    ASSERT_TRUE(WriteFileBytes(page, std::vector<uint8_t>{'<', 't', 'i', 't', 'l', 'e', '>', 'L', 'o', 'c', 'a', 'l',
                                                          '<', '/', 't', 'i', 't', 'l', 'e', '>'}));
    wchar_t address[MAX_PATH * 3] = {};
    DWORD length = ARRAYSIZE(address);
    ASSERT_EQ(UrlCreateFromPathW(page.c_str(), address, &length, 0), S_OK);

    StandinSession session;
    ASSERT_TRUE(session.Start()) << session.FailedStep();
    ASSERT_EQ(session.Navigate(address), S_OK);
    ASSERT_TRUE(session.WaitForCompletions(1));
    EXPECT_TRUE(session.events.back().success);
    EXPECT_EQ(session.Title(), L"Local");
    ASSERT_EQ(session.Navigate(L"about:blank"), S_OK);
    ASSERT_TRUE(session.WaitForCompletions(2));
    EXPECT_TRUE(session.events.back().success);
    EXPECT_EQ(session.Source(), L"about:blank");
    EXPECT_TRUE(session.CanGoBack());
}

TEST(StandinLoaderVariants, EachVariantExportsOnlyItsOwnName)
{
    const struct {
        const wchar_t* folder;
        bool create;
        bool version;
    } cases[] = {
        {L"", true, true},
        {L"\\webview2-version-only", false, true},
        {L"\\webview2-create-only", true, false},
    };
    for (const auto& c : cases) {
        // Each variant is loaded by its full path: all three share the module name.
        const std::wstring path = ProgramFolder() + c.folder + L"\\WebView2Loader.dll";
        HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        ASSERT_NE(module, nullptr) << Narrow(path);
        EXPECT_EQ(GetProcAddress(module, "CreateCoreWebView2EnvironmentWithOptions") != nullptr, c.create)
            << Narrow(path);
        EXPECT_EQ(GetProcAddress(module, "GetAvailableCoreWebView2BrowserVersionString") != nullptr, c.version)
            << Narrow(path);
        FreeLibrary(module);
    }
}

TEST_F(StandinNavigationTest, DrawsThePageInTheHostWindow)
{
    StandinSession session;
    ASSERT_TRUE(session.Start()) << session.FailedStep();
    ASSERT_EQ(session.Navigate(server_.Url("/one")), S_OK);
    ASSERT_TRUE(session.WaitForCompletions(1));
    ASSERT_TRUE(session.SendPageAction(2, L"1"));  // hover the first link
    ASSERT_TRUE(PumpUntil([&] { return session.Count("StatusBarTextChanged") == 1; }));
    // The pixels are read from the screen, which other test programs' windows share: the
    // host goes on top of them first.
    SetWindowPos(session.host.Get(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    UpdateWindow(session.host.Get());
    PumpUntil([] { return false; }, 300);  // lets the X server show the last paint

    const std::wstring shot = ProgramFolder() + L"\\screenshots\\browser\\standin_page.png";
    ASSERT_TRUE(SaveWindowScreenshot(session.host.Get(), shot));

    // The page's colour fills the view.
    HDC screen = GetDC(nullptr);
    RECT frame;
    GetWindowRect(session.ViewWindow(), &frame);
    const COLORREF corner = GetPixel(screen, frame.right - 4, frame.bottom - 4);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(corner, RGB(0xff, 0xe0, 0xa0));
}

}  // namespace
