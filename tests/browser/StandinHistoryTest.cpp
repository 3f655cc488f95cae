#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tests/browser/LocalHttpServer.h"
#include "tests/browser/StandinSession.h"
#include "tests/browser/standin/StandinCommands.h"

namespace {

std::string PageWithLinks(const std::string& title, const std::string& links)
{
    return "<html><head><title>" + title + "</title></head><body>" + title + " " + links + "</body></html>";
}

class StandinHistoryTest : public testing::Test {
protected:
    void SetUp() override
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ASSERT_TRUE(server_.IsListening());
        server_.ServePage("/a", PageWithLinks("A", "<a href=\"/b\">to b</a> <a href=\"/c\" target=\"_blank\">c apart</a>"));
        server_.ServePage("/b", PageWithLinks("B", ""));
        server_.ServePage("/c", PageWithLinks("C", ""));
        ASSERT_TRUE(session_.Start()) << session_.FailedStep();
    }
    void TearDown() override { CoUninitialize(); }

    // Navigates and waits for the page, checking the address it ends on.
    void Visit(const std::string& path)
    {
        const size_t before = session_.Count("NavigationCompleted");
        ASSERT_EQ(session_.Navigate(server_.Url(path)), S_OK);
        ASSERT_TRUE(session_.WaitForCompletions(before + 1));
        ASSERT_EQ(session_.Source(), server_.Url(path));
    }

    // Runs the call and waits for the navigation it starts.
    std::wstring Move(const std::function<HRESULT(ICoreWebView2*)>& call)
    {
        const size_t before = session_.Count("NavigationCompleted");
        EXPECT_EQ(session_.Call(call), S_OK);
        EXPECT_TRUE(session_.WaitForCompletions(before + 1));
        return session_.Source();
    }

    LocalHttpServer server_;
    StandinSession session_;
};

TEST_F(StandinHistoryTest, BackForwardAndScriptMoveThroughTheHistory)
{
    Visit("/a");
    Visit("/b");
    Visit("/c");
    EXPECT_TRUE(session_.CanGoBack());
    EXPECT_FALSE(session_.CanGoForward());

    EXPECT_EQ(Move([](ICoreWebView2* view) { return view->GoBack(); }), server_.Url("/b"));
    EXPECT_TRUE(session_.CanGoBack());
    EXPECT_TRUE(session_.CanGoForward());
    EXPECT_EQ(session_.Title(), L"B");
    EXPECT_TRUE(session_.events[session_.events.size() - 5].userInitiated) << "an API call counts as the user's";

    EXPECT_EQ(Move([](ICoreWebView2* view) { return view->GoForward(); }), server_.Url("/c"));
    EXPECT_FALSE(session_.CanGoForward());

    std::wstring scriptResult;
    HRESULT scriptDone = E_PENDING;
    auto done = MakeHandler<ICoreWebView2ExecuteScriptCompletedHandler>(
        std::function<HRESULT(HRESULT, LPCWSTR)>([&](HRESULT result, LPCWSTR json) {
            scriptDone = result;
            scriptResult = json ? json : L"";
            return S_OK;
        }));
    EXPECT_EQ(Move([&](ICoreWebView2* view) { return view->ExecuteScript(L"history.go(-2);", done.Get()); }),
              server_.Url("/a"));
    EXPECT_EQ(scriptDone, S_OK);
    EXPECT_EQ(scriptResult, L"null");
    const StandinEvent* starting = nullptr;
    for (const StandinEvent& event : session_.events)
        if (event.name == "NavigationStarting") starting = &event;
    ASSERT_NE(starting, nullptr);
    EXPECT_FALSE(starting->userInitiated) << "a script is not the user";
    EXPECT_FALSE(session_.CanGoBack());
    EXPECT_TRUE(session_.CanGoForward());

    // A step beyond either end is ignored, as by a browser; the script still completes.
    scriptDone = E_PENDING;
    ASSERT_EQ(session_.Call([&](ICoreWebView2* view) { return view->ExecuteScript(L"history.go(-1);", done.Get()); }),
              S_OK);
    ASSERT_TRUE(PumpUntil([&] { return scriptDone != E_PENDING; }));
    ASSERT_TRUE(session_.Drain());
    EXPECT_EQ(session_.Source(), server_.Url("/a"));

    for (const StandinEvent& event : session_.events) EXPECT_FALSE(event.insideCall) << event.name;
    EXPECT_EQ(server_.RequestPaths(), (std::vector<std::string>{"/a", "/b", "/c", "/b", "/c", "/a"}));
}

TEST_F(StandinHistoryTest, ReloadFetchesAgainAndStopCancels)
{
    Visit("/a");
    Visit("/b");
    const size_t historyEvents = session_.Count("HistoryChanged");
    EXPECT_EQ(Move([](ICoreWebView2* view) { return view->Reload(); }), server_.Url("/b"));
    EXPECT_EQ(session_.Count("HistoryChanged"), historyEvents) << "a reload leaves the history as it is";
    EXPECT_TRUE(session_.CanGoBack());
    EXPECT_FALSE(session_.CanGoForward());

    // Stop right after the call: the navigation ends as cancelled and the page stays.
    const size_t before = session_.Count("NavigationCompleted");
    ASSERT_EQ(session_.Navigate(server_.Url("/c")), S_OK);
    ASSERT_EQ(session_.Call([](ICoreWebView2* view) { return view->Stop(); }), S_OK);
    ASSERT_TRUE(session_.WaitForCompletions(before + 1));
    ASSERT_TRUE(session_.Drain());
    EXPECT_EQ(session_.Count("NavigationCompleted"), before + 1);
    EXPECT_FALSE(session_.events.back().success);
    EXPECT_EQ(session_.events.back().webErrorStatus, 14);  // COREWEBVIEW2_WEB_ERROR_STATUS_OPERATION_CANCELED
    EXPECT_EQ(session_.Source(), server_.Url("/b"));
}

TEST_F(StandinHistoryTest, LinksPointerAndScriptsOfThePage)
{
    Visit("/a");

    // Hovering a link shows its address in the status text; leaving clears it.
    ASSERT_TRUE(session_.SendPageAction(STANDIN_COMMAND_HOVER_LINK, L"1"));
    ASSERT_TRUE(PumpUntil([&] { return session_.Count("StatusBarTextChanged") == 1; }));
    EXPECT_EQ(session_.events.back().uri, server_.Url("/b"));
    ASSERT_TRUE(session_.SendPageAction(STANDIN_COMMAND_HOVER_LINK, L"0"));
    ASSERT_TRUE(PumpUntil([&] { return session_.Count("StatusBarTextChanged") == 2; }));
    EXPECT_EQ(session_.events.back().uri, L"");

    // A link aimed at a new window asks for one; the host opens it in the same view.
    ASSERT_TRUE(session_.SendPageAction(STANDIN_COMMAND_CLICK_LINK, L"2"));
    ASSERT_TRUE(session_.WaitForCompletions(2));
    ASSERT_EQ(session_.Count("NewWindowRequested"), 1u);
    for (const StandinEvent& event : session_.events) {
        if (event.name != "NewWindowRequested") continue;
        EXPECT_EQ(event.uri, server_.Url("/c"));
        EXPECT_TRUE(event.userInitiated);
    }
    EXPECT_EQ(session_.Source(), server_.Url("/c"));

    // A click on a plain link, then a page moving back by itself and by a gesture.
    ASSERT_TRUE(session_.SendPageAction(STANDIN_COMMAND_SCRIPT_BY_ITSELF, L"history.back();"));
    ASSERT_TRUE(session_.WaitForCompletions(3));
    EXPECT_EQ(session_.Source(), server_.Url("/a"));
    ASSERT_TRUE(session_.SendPageAction(STANDIN_COMMAND_CLICK_LINK, L"1"));
    ASSERT_TRUE(session_.WaitForCompletions(4));
    EXPECT_EQ(session_.Source(), server_.Url("/b"));
    ASSERT_TRUE(session_.SendPageAction(STANDIN_COMMAND_SCRIPT_BY_GESTURE, L"location.href='/a';"));
    ASSERT_TRUE(session_.WaitForCompletions(5));
    std::vector<BOOL> userInitiated;
    for (const StandinEvent& event : session_.events)
        if (event.name == "NavigationStarting") userInitiated.push_back(event.userInitiated);
    EXPECT_EQ(userInitiated, (std::vector<BOOL>{TRUE, TRUE, FALSE, TRUE, TRUE}));

    // A malformed message is refused without effect.
    COPYDATASTRUCT odd = {STANDIN_COMMAND_CLICK_LINK, 3, const_cast<wchar_t*>(L"1")};
    EXPECT_EQ(SendMessageW(session_.ViewWindow(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&odd)), 0);
}

TEST_F(StandinHistoryTest, NothingArrivesForAReleasedViewOrADestroyedWindow)
{
    // Released: the host lets go of the controller and the view while a navigation is
    // queued.
    ASSERT_EQ(session_.Navigate(server_.Url("/a")), S_OK);
    session_.view.Reset();
    session_.controller.Reset();
    ASSERT_TRUE(session_.Drain());
    EXPECT_TRUE(session_.events.empty());

    // Destroyed: the window holding the view goes while a navigation is queued.
    StandinSession other;
    ASSERT_TRUE(other.Start()) << other.FailedStep();
    ASSERT_EQ(other.Navigate(server_.Url("/a")), S_OK);
    other.host.Destroy();
    ASSERT_TRUE(other.Drain());
    EXPECT_TRUE(other.events.empty());
    EXPECT_EQ(other.view->Navigate(server_.Url("/b").c_str()), HRESULT_FROM_WIN32(ERROR_INVALID_STATE));
    EXPECT_EQ(server_.RequestPaths(), std::vector<std::string>{});
}

}  // namespace
