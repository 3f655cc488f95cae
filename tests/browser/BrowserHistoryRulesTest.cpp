// The pane's list rules without a window or a view: what one completed navigation does to
// the back and forward lists, the fragment rules and the counts the buttons show.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "browser/BrowserBaseReelvault.h"
#include "tests/browser/PaneTestSupport.h"
#include "tests/browser/StandinTestSupport.h"

namespace {

std::vector<BrowserHistoryItem> Pages(const std::vector<std::wstring>& urls)
{
    std::vector<BrowserHistoryItem> pages;
    for (const std::wstring& url : urls) pages.push_back({L"title of " + url, url});
    return pages;
}

std::vector<std::wstring> Urls(const std::vector<BrowserHistoryItem>& pages)
{
    std::vector<std::wstring> urls;
    for (const BrowserHistoryItem& page : pages) urls.push_back(page.url);
    return urls;
}

std::wstring UrlOrNone(const std::vector<std::wstring>& urls, size_t index)
{
    return index < urls.size() ? urls[index] : L"(none)";
}

struct RuleCase {
    const char* name;
    int action;
    int steps;
    int userInitiated;
    int requested;
    std::wstring current;
    std::wstring previous;
    std::vector<std::wstring> back;
    std::vector<std::wstring> forward;
    std::wstring target;
    std::vector<std::wstring> wantBack;
    std::vector<std::wstring> wantForward;
    std::wstring wantLeaving;  // the "current=" of the first log line
};

const RuleCase kRuleCases[] = {
    {"NavigateToTheSameUrlAddsNothingButClearsForward", 2, 0, 0, 1, L"http://a/", L"http://a/", {L"http://x/"},
     {L"http://f/"}, L"http://a/", {L"http://x/"}, {}, L"http://a/"},
    {"NavigateToTheSamePageAnotherFragment", 2, 0, 0, 1, L"http://a/#top", L"http://a/#top", {L"http://x/"},
     {L"http://f/"}, L"http://a/#end", {L"http://x/"}, {}, L"http://a/#top"},
    {"NavigateToANewPage", 2, 0, 0, 1, L"http://a/", L"http://a/", {L"http://x/"}, {L"http://f/"}, L"http://b/",
     {L"http://a/", L"http://x/"}, {}, L"http://a/"},
    {"FirstPageOfTheRunKeepsNoEmptyEntry", 2, 0, 0, 1, L"", L"", {}, {}, L"http://a/", {}, {}, L""},
    {"BackMovesThePageLeftAhead", -1, 0, 0, 0, L"http://a/", L"http://a/", {L"http://b/", L"http://c/"}, {},
     L"http://b/", {L"http://c/"}, {L"http://a/"}, L"http://a/"},
    {"ForwardMovesThePageLeftBehind", 1, 0, 0, 0, L"http://b/", L"http://b/", {L"http://c/"}, {L"http://a/"},
     L"http://a/", {L"http://b/", L"http://c/"}, {}, L"http://b/"},
    {"PageGoesBackByItself", 0, 0, 0, 0, L"http://a/", L"http://a/", {L"http://b/", L"http://c/"}, {},
     L"http://b/#x", {L"http://c/"}, {L"http://a/"}, L"http://a/"},
    {"PageGoesForwardByItself", 0, 0, 0, 0, L"http://b/", L"http://b/", {}, {L"http://a/"}, L"http://a/",
     {L"http://b/"}, {}, L"http://b/"},
    {"LinkTheUserClicked", 0, 0, 1, 0, L"http://a/", L"http://a/", {L"http://x/"}, {L"http://f/"}, L"http://b/",
     {L"http://a/", L"http://x/"}, {}, L"http://a/"},
    {"RedirectNobodyStartedKeepsNothing", 0, 0, 0, 0, L"http://a/", L"http://a/", {L"http://x/"}, {L"http://f/"},
     L"http://b/", {L"http://x/"}, {L"http://f/"}, L"http://a/"},
    {"PageNavigationWhileThePanesRequestStands", 0, 0, 0, 1, L"http://a/", L"http://a/", {}, {L"http://f/"},
     L"http://b/", {L"http://a/"}, {}, L"http://a/"},
    {"SameUrlStartedInThePageKeepsNothing", 0, 0, 1, 0, L"http://a/", L"http://a/", {L"http://x/"}, {L"http://f/"},
     L"http://a/#again", {L"http://x/"}, {L"http://f/"}, L"http://a/"},
    {"PreviousPageWinsOverTheCurrentOne", 2, 0, 0, 1, L"http://late/", L"http://a/", {}, {}, L"http://b/",
     {L"http://a/"}, {}, L"http://a/"},
    {"JumpThreeBackFoundAtEntryTwo", 0, -3, 0, 0, L"http://a/", L"http://a/",
     {L"http://b/", L"http://c/", L"http://d/", L"http://e/"}, {}, L"http://d/", {L"http://e/"},
     {L"http://c/", L"http://b/", L"http://a/"}, L"http://a/"},
    {"JumpTwoBackFoundEarlierStopsThere", 0, -2, 0, 0, L"http://a/", L"http://a/",
     {L"http://b/", L"http://c/"}, {}, L"http://b/", {L"http://c/"}, {L"http://a/"}, L"http://a/"},
    {"JumpWhoseTargetIsNotListedTakesItsStepCount", 0, -2, 0, 0, L"http://a/", L"http://a/",
     {L"http://b/", L"http://c/", L"http://d/"}, {}, L"http://elsewhere/", {L"http://d/"},
     {L"http://b/", L"http://a/"}, L"http://a/"},
    {"JumpLongerThanTheListStopsAtItsEnd", 0, 3, 0, 0, L"http://a/", L"http://a/", {}, {L"http://b/"},
     L"http://z/", {L"http://a/"}, {}, L"http://a/"},
    {"JumpForwardFoundAtEntryOne", 0, 2, 0, 0, L"http://a/", L"http://a/", {L"http://x/"},
     {L"http://b/", L"http://c/", L"http://d/"}, L"http://c/", {L"http://b/", L"http://a/", L"http://x/"},
     {L"http://d/"}, L"http://a/"},
};

class HistoryRulesTest : public testing::TestWithParam<RuleCase> {};

TEST_P(HistoryRulesTest, OneCompletedNavigation)
{
    const RuleCase& row = GetParam();
    LogCapture log;
    BrowserBaseReelvault_CL pane;
    pane.historyAction = row.action;
    pane.pendingHistorySteps = row.steps;
    pane.lastNavigationUserInitiated = row.userInitiated;
    pane.navigationRequested = row.requested;
    pane.currentPage = {L"now", row.current};
    pane.previousPage = {L"before", row.previous};
    pane.backList = Pages(row.back);
    pane.forwardList = Pages(row.forward);

    pane.UpdateHistory(row.target);

    EXPECT_EQ(Urls(pane.backList), row.wantBack);
    EXPECT_EQ(Urls(pane.forwardList), row.wantForward);
    // Every mark of the navigation is gone once it completed.
    EXPECT_EQ(pane.historyAction, kHistoryNone);
    EXPECT_EQ(pane.pendingHistorySteps, 0);
    EXPECT_EQ(pane.navigationRequested, 0);
    EXPECT_TRUE(pane.previousPage.url.empty());
    const std::vector<std::wstring> want = {
        L"[History][before] action=" + std::to_wstring(row.action) + L" current=" + row.wantLeaving +
            L" target=" + row.target + L" back=" + std::to_wstring(row.back.size()) +
            L" fore=" + std::to_wstring(row.forward.size()),
        L"[History][after] back=" + std::to_wstring(row.wantBack.size()) +
            L" fore=" + std::to_wstring(row.wantForward.size()) + L" backTop=" + UrlOrNone(row.wantBack, 0) +
            L" foreTop=" + UrlOrNone(row.wantForward, 0),
        L"[History][after-list] back0=" + UrlOrNone(row.wantBack, 0) + L" back1=" + UrlOrNone(row.wantBack, 1) +
            L" fore0=" + UrlOrNone(row.wantForward, 0) + L" fore1=" + UrlOrNone(row.wantForward, 1),
    };
    EXPECT_EQ(log.BrowserLines(), want);
}

INSTANTIATE_TEST_SUITE_P(Rows, HistoryRulesTest, testing::ValuesIn(kRuleCases),
                         [](const testing::TestParamInfo<RuleCase>& info) { return std::string(info.param.name); });

TEST(HistoryRules, AnEmptyTargetChangesAndLogsNothing)
{
    LogCapture log;
    BrowserBaseReelvault_CL pane;
    pane.historyAction = kHistoryNavigate;
    pane.navigationRequested = 1;
    pane.backList = Pages({L"http://x/"});
    pane.UpdateHistory(L"");
    EXPECT_EQ(Urls(pane.backList), std::vector<std::wstring>{L"http://x/"});
    EXPECT_EQ(pane.historyAction, kHistoryNavigate);
    EXPECT_EQ(pane.navigationRequested, 1);
    EXPECT_TRUE(log.BrowserLines().empty());
}

TEST(HistoryRules, FiftyOnePagesKeepTheFiftyNearest)
{
    LogCapture log;
    BrowserBaseReelvault_CL pane;
    for (int page = 0; page <= 51; ++page) {
        const std::wstring url = L"http://site/" + std::to_wstring(page);
        pane.historyAction = kHistoryNavigate;
        pane.navigationRequested = 1;
        pane.UpdateHistory(url);
        pane.SetCurrentUrl(url);
    }
    // Pages 0 to 50 were left; 0 fell off the end.
    ASSERT_EQ(pane.backList.size(), 50u);
    EXPECT_EQ(pane.backList.front().url, L"http://site/50");
    EXPECT_EQ(pane.backList.back().url, L"http://site/1");
}

TEST(HistoryRules, FragmentsAndSameUrl)
{
    struct Case {
        std::wstring url;
        std::wstring stripped;
    };
    for (const Case& c : {Case{L"http://a/b", L"http://a/b"}, Case{L"http://a/b#c", L"http://a/b"},
                          Case{L"http://a/b#c#d", L"http://a/b"}, Case{L"#only", L""}, Case{L"", L""}})
        EXPECT_EQ(StripUrlFragment(c.url), c.stripped) << Narrow(c.url);

    EXPECT_TRUE(IsSameUrl(L"http://a/b#x", L"http://a/b#y"));
    EXPECT_TRUE(IsSameUrl(L"http://a/b", L"http://a/b#"));
    EXPECT_FALSE(IsSameUrl(L"http://a/B", L"http://a/b")) << "no case folding";
    EXPECT_FALSE(IsSameUrl(L"http://a/b/", L"http://a/b")) << "no other normalisation";
}

TEST(HistoryRules, ButtonsShowTheListsAsTheyWillBe)
{
    struct Case {
        int action;
        size_t back;
        size_t forward;
        size_t wantBack;
        size_t wantForward;
    };
    const Case cases[] = {
        {kHistoryNone, 2, 1, 2, 1},    {kHistoryBack, 2, 1, 1, 2},    {kHistoryBack, 0, 0, 0, 1},
        {kHistoryForward, 2, 1, 3, 0}, {kHistoryForward, 0, 0, 1, 0}, {kHistoryNavigate, 2, 3, 2, 0},
    };
    for (const Case& c : cases) {
        BrowserBaseReelvault_CL pane;
        pane.historyAction = c.action;
        pane.backList.resize(c.back);
        pane.forwardList.resize(c.forward);
        const BrowserBaseReelvault_CL::ButtonCounts counts = pane.PredictButtonCounts();
        EXPECT_EQ(counts.back, c.wantBack) << "action " << c.action;
        EXPECT_EQ(counts.forward, c.wantForward) << "action " << c.action;
    }
}

}  // namespace
