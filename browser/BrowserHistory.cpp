// The browser pane's own back and forward history: how it starts navigations, what it
// records when one starts and completes, and the state of its back and forward buttons.
// The lists live in memory only.
#include "browser/BrowserBaseReelvault.h"

#include <commctrl.h>

#include <cstdio>

#include "browser/BrowserLog.h"
#include "browser/WebView2Handlers.h"

namespace {

constexpr size_t kScriptUnits = 128;

void InsertCapped(std::vector<BrowserHistoryItem>& list, const BrowserHistoryItem& page)
{
    list.insert(list.begin(), page);
    if (list.size() > kBrowserHistoryLimit) list.pop_back();
}

const wchar_t* UrlAt(const std::vector<BrowserHistoryItem>& list, size_t index)
{
    return index < list.size() ? list[index].url.c_str() : L"(none)";
}

int StepCount(int count)
{
    const long long steps = count < 0 ? -static_cast<long long>(count) : count;
    return steps > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(steps);
}

}  // namespace

std::wstring StripUrlFragment(const std::wstring& url)
{
    const size_t hash = url.find(L'#');
    return hash == std::wstring::npos ? url : url.substr(0, hash);
}

bool IsSameUrl(const std::wstring& a, const std::wstring& b) { return StripUrlFragment(a) == StripUrlFragment(b); }

HRESULT BrowserBaseReelvault_CL::Navigate(const std::wstring& url)
{
    if (!view) {
        pendingUrl = url;
        return S_OK;
    }
    historyAction = kHistoryNavigate;
    previousPage = BrowserHistoryItem();
    navigationRequested = 1;
    const HRESULT result = view->Navigate(url.c_str());
    // A refused address starts no navigation, so none will complete to clear the marks;
    // left set, the next navigation the page starts would be booked as the pane's.
    if (FAILED(result)) {
        historyAction = kHistoryNone;
        navigationRequested = 0;
    }
    return result;
}

HRESULT BrowserBaseReelvault_CL::GoBack()
{
    return GoOneStep(&ICoreWebView2::get_CanGoBack, &ICoreWebView2::GoBack, kHistoryBack);
}

HRESULT BrowserBaseReelvault_CL::GoForward()
{
    return GoOneStep(&ICoreWebView2::get_CanGoForward, &ICoreWebView2::GoForward, kHistoryForward);
}

HRESULT BrowserBaseReelvault_CL::GoOneStep(HRESULT (STDMETHODCALLTYPE ICoreWebView2::*canGo)(BOOL*),
                                           HRESULT (STDMETHODCALLTYPE ICoreWebView2::*go)(), int32_t action)
{
    if (!view) return E_PENDING;
    BOOL can = FALSE;
    if (FAILED((view.Get()->*canGo)(&can)) || !can) return S_FALSE;
    previousPage = currentPage;
    historyAction = action;
    UpdateToolBarState();
    return (view.Get()->*go)();
}

void BrowserBaseReelvault_CL::GoHistory(int direction, int count)
{
    const int steps = StepCount(count);
    if (steps == 0) return;
    if (steps == 1) {
        if (direction == kHistoryDirectionBack)
            GoBack();
        else
            GoForward();
        return;
    }
    if (!view) return;
    previousPage = currentPage;
    historyAction = kHistoryNone;
    pendingHistorySteps = direction == kHistoryDirectionBack ? -steps : steps;
    wchar_t script[kScriptUnits];
    _snwprintf(script, kScriptUnits, L"history.go(%d);", pendingHistorySteps);
    script[kScriptUnits - 1] = L'\0';
    // The script's own result is not waited for: the navigation it starts is.
    ICoreWebView2ExecuteScriptCompletedHandler* done = new ScriptDoneHandler_CL();
    view->ExecuteScript(script, done);
    done->Release();
}

void BrowserBaseReelvault_CL::OnNavigationStarting(ICoreWebView2NavigationStartingEventArgs* arguments)
{
    BOOL userInitiated = FALSE;
    arguments->get_IsUserInitiated(&userInitiated);
    lastNavigationUserInitiated = userInitiated ? TRUE : FALSE;
    if (historyAction == kHistoryNone || historyAction == kHistoryNavigate) previousPage = currentPage;
    LPWSTR uri = nullptr;
    const HRESULT asked = arguments->get_Uri(&uri);
    const bool given = SUCCEEDED(asked) && uri;
    const std::wstring url = TakeWebView2String(uri);
    if (given) {
        // A page the user opened from inside the view makes the pages ahead unreachable.
        if (historyAction == kHistoryNone && lastNavigationUserInitiated && !currentPage.url.empty() &&
            currentPage.url != url)
            forwardList.clear();
        if (addressBar) addressBar->SetAddressText(url);
    }
    SetStatusText(L"Loading...");
}

void BrowserBaseReelvault_CL::OnNavigationCompleted(ICoreWebView2* sender)
{
    // Whether the navigation succeeded is not looked at: an error page is a page too.
    LPWSTR source = nullptr;
    const HRESULT asked = sender->get_Source(&source);
    const bool given = SUCCEEDED(asked) && source;
    const std::wstring url = TakeWebView2String(source);
    if (given) {
        UpdateHistory(url);
        SetCurrentUrl(url);
    }
    SetStatusText(L"");
}

void BrowserBaseReelvault_CL::SetCurrentUrl(const std::wstring& url)
{
    currentPage.url = url;
    if (addressBar) addressBar->SetAddressText(currentPage.url);
}

void BrowserBaseReelvault_CL::UpdateHistory(const std::wstring& targetUrl)
{
    if (targetUrl.empty()) return;
    const BrowserHistoryItem leaving = previousPage.url.empty() ? currentPage : previousPage;
    WriteBrowserLog(L"[History][before] action=%d current=%s target=%s back=%u fore=%u", historyAction,
                    leaving.url.c_str(), targetUrl.c_str(), static_cast<unsigned>(backList.size()),
                    static_cast<unsigned>(forwardList.size()));

    if (pendingHistorySteps != 0) {
        // A jump of several steps: the pages passed over change lists with the page left.
        const bool back = pendingHistorySteps < 0;
        std::vector<BrowserHistoryItem>& source = back ? backList : forwardList;
        std::vector<BrowserHistoryItem>& other = back ? forwardList : backList;
        size_t steps = static_cast<size_t>(StepCount(pendingHistorySteps));
        for (size_t i = 0; i < source.size(); ++i) {
            if (IsSameUrl(source[i].url, targetUrl)) {
                steps = i + 1;
                break;
            }
        }
        BrowserHistoryItem carried = leaving;
        for (size_t step = 0; step < steps && !source.empty(); ++step) {
            BrowserHistoryItem taken = source.front();
            source.erase(source.begin());
            if (!carried.url.empty()) InsertCapped(other, carried);
            carried = taken;
        }
    } else if (historyAction == kHistoryNavigate) {
        if (!leaving.url.empty() && !IsSameUrl(leaving.url, targetUrl)) InsertCapped(backList, leaving);
        forwardList.clear();
    } else if (historyAction == kHistoryBack) {
        if (!backList.empty()) backList.erase(backList.begin());
        if (!leaving.url.empty()) InsertCapped(forwardList, leaving);
    } else if (historyAction == kHistoryForward) {
        if (!forwardList.empty()) forwardList.erase(forwardList.begin());
        if (!leaving.url.empty()) InsertCapped(backList, leaving);
    } else if (!leaving.url.empty() && !IsSameUrl(leaving.url, targetUrl)) {
        // Started inside the page.
        if (!backList.empty() && IsSameUrl(backList.front().url, targetUrl)) {
            backList.erase(backList.begin());
            InsertCapped(forwardList, leaving);
        } else if (!forwardList.empty() && IsSameUrl(forwardList.front().url, targetUrl)) {
            forwardList.erase(forwardList.begin());
            InsertCapped(backList, leaving);
        } else if (lastNavigationUserInitiated || navigationRequested == 1) {
            InsertCapped(backList, leaving);
            forwardList.clear();
        }
        // Otherwise a redirect or a script the user did not start: nothing to keep.
    }

    historyAction = kHistoryNone;
    pendingHistorySteps = 0;
    previousPage = BrowserHistoryItem();
    navigationRequested = 0;
    WriteBrowserLog(L"[History][after] back=%u fore=%u backTop=%s foreTop=%s", static_cast<unsigned>(backList.size()),
                    static_cast<unsigned>(forwardList.size()), UrlAt(backList, 0), UrlAt(forwardList, 0));
    WriteBrowserLog(L"[History][after-list] back0=%s back1=%s fore0=%s fore1=%s", UrlAt(backList, 0),
                    UrlAt(backList, 1), UrlAt(forwardList, 0), UrlAt(forwardList, 1));
    UpdateToolBarState();
}

void BrowserBaseReelvault_CL::RefreshHistory() { UpdateToolBarState(); }

BrowserBaseReelvault_CL::ButtonCounts BrowserBaseReelvault_CL::PredictButtonCounts() const
{
    ButtonCounts counts = {backList.size(), forwardList.size()};
    if (historyAction == kHistoryBack) {
        if (counts.back > 0) --counts.back;
        ++counts.forward;
    } else if (historyAction == kHistoryForward) {
        if (counts.forward > 0) --counts.forward;
        ++counts.back;
    } else if (historyAction == kHistoryNavigate) {
        counts.forward = 0;
    }
    return counts;
}

void BrowserBaseReelvault_CL::UpdateToolBarState()
{
    if (!toolBar.window) return;
    const ButtonCounts counts = PredictButtonCounts();
    const size_t back = counts.back;
    const size_t forward = counts.forward;
    const BYTE backState = back > 0 ? TBSTATE_ENABLED : TBSTATE_INDETERMINATE;
    const BYTE forwardState = forward > 0 ? TBSTATE_ENABLED : TBSTATE_INDETERMINATE;
    SendMessageW(toolBar.window, TB_SETSTATE, kBrowserBackCommand, MAKELPARAM(backState, 0));
    SendMessageW(toolBar.window, TB_SETSTATE, kBrowserForwardCommand, MAKELPARAM(forwardState, 0));
}
