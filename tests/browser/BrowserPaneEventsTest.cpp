// The pane's events and history on the stand-in runtime, driven as a person would drive
// the view: status texts, titles, links aimed at a new window, and one table of history
// cases, each a list of actions with the lists and the "[History]" lines they leave.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "browser/BrowserBaseReelvault.h"
#include "tests/browser/LocalHttpServer.h"
#include "tests/browser/PaneTestSupport.h"
#include "tests/browser/StandinTestSupport.h"
#include "tests/browser/standin/StandinCommands.h"

namespace {

bool SendPageAction(HWND host, int command, const std::wstring& text)
{
    HWND view = FindWindowExW(host, nullptr, STANDIN_VIEW_CLASS, nullptr);
    COPYDATASTRUCT data = {};
    data.dwData = static_cast<ULONG_PTR>(command);
    data.cbData = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    data.lpData = const_cast<wchar_t*>(text.data());
    return view && SendMessageW(view, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)) != 0;
}

std::vector<std::wstring> Urls(const std::vector<BrowserHistoryItem>& pages)
{
    std::vector<std::wstring> urls;
    for (const BrowserHistoryItem& page : pages) urls.push_back(page.url);
    return urls;
}

size_t CountStartingWith(const std::vector<std::wstring>& lines, const std::wstring& prefix)
{
    size_t count = 0;
    for (const std::wstring& line : lines) count += line.rfind(prefix, 0) == 0;
    return count;
}

class PaneEventsTest : public testing::Test {
protected:
    void SetUp() override
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ASSERT_TRUE(server_.IsListening());
        for (const char* name : {"a", "b", "c", "d", "e"}) {
            const std::string path = std::string("/") + name;
            server_.ServePage(path, "<html><head><title>Page " + std::string(name) + "</title></head><body>Page " +
                                        name + ".\n<a href=\"/b\">to b</a> <a href=\"/moved\">moved</a> "
                                               "<a href=\"/c\" target=\"_blank\">c apart</a></body></html>");
        }
        server_.ServeRedirect("/moved", 302, "/e");
    }
    void TearDown() override { CoUninitialize(); }

    void Start(const std::wstring& switches = L"")
    {
        switches_ = std::make_unique<ScopedStandinSwitches>(switches);
        host_ = pane_.Create(parent_.Get(), L"");
        pane_.SetStatusBar(&parent_.statusBar);
        pane_.CreateToolBar(parent_.Get());
        ASSERT_TRUE(host_);
        ASSERT_TRUE(WaitForView(pane_));
    }
    std::wstring Url(const char* path) const { return server_.Url(path); }
    // Pumps until `count` navigations in all have completed in the pane.
    bool WaitForCompletions(size_t count)
    {
        return PumpUntil([&] { return CountStartingWith(log_.BrowserLines(), L"[History][after] ") >= count; });
    }
    LRESULT ButtonState(int command) const
    {
        return SendMessageW(pane_.toolBar.window, TB_GETSTATE, static_cast<WPARAM>(command), 0) &
               (TBSTATE_ENABLED | TBSTATE_INDETERMINATE);
    }

    LocalHttpServer server_;
    std::unique_ptr<ScopedStandinSwitches> switches_;
    LogCapture log_;
    PaneParent parent_;
    BrowserBaseReelvault_CL pane_;
    HWND host_ = nullptr;
};

TEST_F(PaneEventsTest, StatusTitleAndNewWindowLinks)
{
    Start();
    parent_.RecordStatusTexts();
    ASSERT_EQ(pane_.Navigate(Url("/a")), S_OK);
    ASSERT_TRUE(WaitForCompletions(1));
    EXPECT_EQ(parent_.StatusTexts(), (std::vector<std::wstring>{L"Loading...", L""}));
    EXPECT_EQ(pane_.currentPage.url, Url("/a"));
    EXPECT_EQ(pane_.currentPage.title, L"Page a");

    // Hovering a link shows its address.
    ASSERT_TRUE(SendPageAction(host_, STANDIN_COMMAND_HOVER_LINK, L"1"));
    ASSERT_TRUE(PumpUntil([&] { return !parent_.StatusText().empty(); }));
    EXPECT_NE(parent_.StatusText().find(L"/b"), std::wstring::npos);

    // A link aimed at a new window opens in this view, and the request is marked handled.
    ASSERT_TRUE(SendPageAction(host_, STANDIN_COMMAND_CLICK_LINK, L"3"));
    ASSERT_TRUE(WaitForCompletions(2));
    EXPECT_EQ(pane_.currentPage.url, Url("/c"));
    EXPECT_EQ(pane_.currentPage.title, L"Page c");
    EXPECT_EQ(Urls(pane_.backList), std::vector<std::wstring>{Url("/a")});
}

TEST_F(PaneEventsTest, WithoutStatusTextsFromTheViewHoveringSetsNone)
{
    Start(L"view12=none");
    ASSERT_EQ(pane_.Navigate(Url("/a")), S_OK);
    ASSERT_TRUE(WaitForCompletions(1));
    parent_.RecordStatusTexts();
    ASSERT_TRUE(SendPageAction(host_, STANDIN_COMMAND_HOVER_LINK, L"1"));
    // Anything the hover raised arrives before a page navigated afterwards completes.
    ASSERT_EQ(pane_.Navigate(Url("/b")), S_OK);
    ASSERT_TRUE(WaitForCompletions(2));
    EXPECT_EQ(parent_.StatusTexts(), (std::vector<std::wstring>{L"Loading...", L""}));
}

enum class Act { kNavigate, kBack, kForward, kJumpBack, kClick, kScriptByItself, kBackRefused };

struct Step {
    Act act;
    const char* text;  // path, link number, script or step count
};

struct HistoryCase {
    const char* name;
    std::vector<Step> steps;
    std::vector<const char*> wantBack;
    std::vector<const char*> wantForward;
    std::vector<int> wantActions;  // the action of each "[History][before]" line
};

const HistoryCase kHistoryCases[] = {
    {"SameUrlAndAnotherFragmentAddNoEntry",
     {{Act::kNavigate, "/a"}, {Act::kNavigate, "/a"}, {Act::kNavigate, "/a#part"}},
     {},
     {},
     {2, 2, 2}},
    {"BackBackThenANewPage",
     {{Act::kNavigate, "/a"}, {Act::kNavigate, "/b"}, {Act::kNavigate, "/c"}, {Act::kBack, ""}, {Act::kBack, ""},
      {Act::kNavigate, "/d"}},
     {"/a"},
     {},
     {2, 2, 2, -1, -1, 2}},
    {"ThePageGoesBackByScript",
     {{Act::kNavigate, "/a"}, {Act::kNavigate, "/b"}, {Act::kScriptByItself, "history.back();"}},
     {},
     {"/b"},
     {2, 2, 0}},
    {"ServerRedirectAfterALink",
     {{Act::kNavigate, "/a"}, {Act::kClick, "2"}},
     {"/a"},
     {},
     {2, 0}},
    {"JumpOfThreeFoundAtBackEntryTwo",
     {{Act::kNavigate, "/a"}, {Act::kNavigate, "/b"}, {Act::kNavigate, "/c"}, {Act::kNavigate, "/d"},
      {Act::kJumpBack, "3"}},
     {},
     {"/b", "/c", "/d"},
     {2, 2, 2, 2, 0}},
    {"BackWithAnEmptyHistoryIsRefused",
     {{Act::kNavigate, "/a"}, {Act::kBackRefused, ""}},
     {},
     {},
     {2}},
    {"ForwardAfterBack",
     {{Act::kNavigate, "/a"}, {Act::kNavigate, "/b"}, {Act::kBack, ""}, {Act::kForward, ""}},
     {"/a"},
     {},
     {2, 2, -1, 1}},
};

class PaneHistoryTest : public PaneEventsTest, public testing::WithParamInterface<HistoryCase> {};

TEST_P(PaneHistoryTest, ActionsLeaveTheirLists)
{
    const HistoryCase& row = GetParam();
    Start();
    size_t completions = 0;
    for (const Step& step : row.steps) {
        switch (step.act) {
        case Act::kNavigate: ASSERT_EQ(pane_.Navigate(Url(step.text)), S_OK); break;
        case Act::kBack: {
            // While the back is under way the buttons show one entry less behind, one more
            // ahead.
            const BrowserBaseReelvault_CL::ButtonCounts before = {pane_.backList.size(), pane_.forwardList.size()};
            ASSERT_EQ(pane_.GoBack(), S_OK);
            EXPECT_EQ(ButtonState(kBrowserBackCommand), before.back > 1 ? TBSTATE_ENABLED : TBSTATE_INDETERMINATE);
            EXPECT_EQ(ButtonState(kBrowserForwardCommand), TBSTATE_ENABLED);
            break;
        }
        case Act::kForward: ASSERT_EQ(pane_.GoForward(), S_OK); break;
        case Act::kJumpBack: pane_.GoHistory(kHistoryDirectionBack, atoi(step.text)); break;
        case Act::kClick: ASSERT_TRUE(SendPageAction(host_, STANDIN_COMMAND_CLICK_LINK, std::wstring(step.text, step.text + strlen(step.text)))); break;
        case Act::kScriptByItself:
            ASSERT_TRUE(SendPageAction(host_, STANDIN_COMMAND_SCRIPT_BY_ITSELF,
                                       std::wstring(step.text, step.text + strlen(step.text))));
            break;
        case Act::kBackRefused: {
            const LRESULT back = ButtonState(kBrowserBackCommand);
            const LRESULT forward = ButtonState(kBrowserForwardCommand);
            EXPECT_EQ(pane_.GoBack(), S_FALSE);
            EXPECT_EQ(ButtonState(kBrowserBackCommand), back);
            EXPECT_EQ(ButtonState(kBrowserForwardCommand), forward);
            continue;
        }
        }
        ASSERT_TRUE(WaitForCompletions(++completions)) << row.name << " step " << completions;
    }
    std::vector<std::wstring> wantBack;
    for (const char* path : row.wantBack) wantBack.push_back(Url(path));
    std::vector<std::wstring> wantForward;
    for (const char* path : row.wantForward) wantForward.push_back(Url(path));
    EXPECT_EQ(Urls(pane_.backList), wantBack);
    EXPECT_EQ(Urls(pane_.forwardList), wantForward);

    std::vector<int> actions;
    for (const std::wstring& line : log_.BrowserLines()) {
        const std::wstring prefix = L"[History][before] action=";
        if (line.rfind(prefix, 0) == 0) actions.push_back(_wtoi(line.c_str() + prefix.size()));
    }
    EXPECT_EQ(actions, row.wantActions);
    // The last lines tell the lists as they are now.
    const std::vector<std::wstring> lines = log_.BrowserLines();
    ASSERT_GE(lines.size(), 2u);
    auto at = [](const std::vector<std::wstring>& urls, size_t i) { return i < urls.size() ? urls[i] : L"(none)"; };
    EXPECT_EQ(lines[lines.size() - 2], L"[History][after] back=" + std::to_wstring(wantBack.size()) +
                                           L" fore=" + std::to_wstring(wantForward.size()) + L" backTop=" +
                                           at(wantBack, 0) + L" foreTop=" + at(wantForward, 0));
    EXPECT_EQ(lines.back(), L"[History][after-list] back0=" + at(wantBack, 0) + L" back1=" + at(wantBack, 1) +
                                L" fore0=" + at(wantForward, 0) + L" fore1=" + at(wantForward, 1));
    // The buttons follow the lists.
    EXPECT_EQ(ButtonState(kBrowserBackCommand), wantBack.empty() ? TBSTATE_INDETERMINATE : TBSTATE_ENABLED);
    EXPECT_EQ(ButtonState(kBrowserForwardCommand), wantForward.empty() ? TBSTATE_INDETERMINATE : TBSTATE_ENABLED);
}

INSTANTIATE_TEST_SUITE_P(Rows, PaneHistoryTest, testing::ValuesIn(kHistoryCases),
                         [](const testing::TestParamInfo<HistoryCase>& info) { return std::string(info.param.name); });

}  // namespace
