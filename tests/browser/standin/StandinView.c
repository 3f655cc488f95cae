/* The view: its navigations, history, page actions, window and events. */
#include "Standin.h"
#include "StandinCommands.h"

#include <stdio.h>
#include <wchar.h>

/* ---- Event handler lists ---- */

typedef enum EventKind {
    EVENT_NAVIGATION_STARTING,
    EVENT_CONTENT_LOADING,
    EVENT_SOURCE_CHANGED,
    EVENT_HISTORY_CHANGED,
    EVENT_NAVIGATION_COMPLETED,
    EVENT_NEW_WINDOW_REQUESTED,
    EVENT_DOCUMENT_TITLE_CHANGED,
    EVENT_STATUS_BAR_TEXT_CHANGED,
    EVENT_COUNT
} EventKind;

static const WCHAR* const kEventNames[EVENT_COUNT] = {
    L"NavigationStarting", L"ContentLoading",     L"SourceChanged",        L"HistoryChanged",
    L"NavigationCompleted", L"NewWindowRequested", L"DocumentTitleChanged", L"StatusBarTextChanged",
};

static const IID* EventHandlerIid(EventKind kind)
{
    switch (kind) {
    case EVENT_NAVIGATION_STARTING: return &StandinIID_NavigationStartingHandler;
    case EVENT_CONTENT_LOADING: return &StandinIID_ContentLoadingHandler;
    case EVENT_SOURCE_CHANGED: return &StandinIID_SourceChangedHandler;
    case EVENT_HISTORY_CHANGED: return &StandinIID_HistoryChangedHandler;
    case EVENT_NAVIGATION_COMPLETED: return &StandinIID_NavigationCompletedHandler;
    case EVENT_NEW_WINDOW_REQUESTED: return &StandinIID_NewWindowRequestedHandler;
    case EVENT_DOCUMENT_TITLE_CHANGED: return &StandinIID_DocumentTitleChangedHandler;
    default: return &StandinIID_StatusBarTextChangedHandler;
    }
}

#define MAX_HANDLERS 64
typedef struct HandlerList {
    StandinHandler* handlers[MAX_HANDLERS];
    __int64 tokens[MAX_HANDLERS];
    int count;
} HandlerList;

static void ReleaseHandlers(HandlerList* list)
{
    for (int i = 0; i < list->count; ++i) list->handlers[i]->lpVtbl->Release(list->handlers[i]);
    list->count = 0;
}

/* ---- Objects ---- */

#define MAX_HISTORY 100
#define MAX_REDIRECTS 20

typedef enum NavigationStep {
    STEP_STARTING,
    STEP_FETCH,
    STEP_SOURCE,
    STEP_CONTENT,
    STEP_HISTORY,
    STEP_TITLE,
    STEP_COMPLETED,
    STEP_CANCELED, /* the completion of a navigation that another one replaced or Stop ended */
} NavigationStep;

typedef struct Navigation {
    UINT64 id;
    WCHAR* address;
    BOOL userInitiated;
    int historyTarget; /* index to move to, or -1 for a new entry */
    BOOL reload;
    int redirects;
    BOOL success;
    BOOL isErrorPage;
    int webErrorStatus;
    StandinPage page;
} Navigation;

struct StandinView {
    const void* lpVtbl;
    LONG references;
    StandinEnvironment* environment;
    HWND window;
    BOOL closed;
    HandlerList events[EVENT_COUNT];
    HandlerList heldCaptures; /* completions that capture=never keeps without calling */
    __int64 nextToken;
    WCHAR* source;
    WCHAR* title;
    StandinPage page;
    BOOL contentLoaded;
    WCHAR* statusText;
    int hoveredLink;
    WCHAR* history[MAX_HISTORY];
    int historyCount;
    int historyIndex;
    Navigation* navigation;
    UINT64 nextNavigationId;
};

static void ViewAddRef(StandinView* view)
{
    InterlockedIncrement(&view->references);
}

static void FreeNavigation(Navigation* navigation)
{
    if (!navigation) return;
    Standin_Free(navigation->address);
    Standin_ClearPage(&navigation->page);
    Standin_Free(navigation);
}

static void SetText(WCHAR** field, const WCHAR* text)
{
    WCHAR* copy = Standin_Duplicate(text);
    Standin_Free(*field);
    *field = copy;
}

/* Closing drops everything the view would still raise or complete: queued items see the
 * flag and are thrown away. */
void Standin_CloseView(StandinView* view)
{
    if (view->closed) return;
    view->closed = TRUE;
    for (int i = 0; i < EVENT_COUNT; ++i) ReleaseHandlers(&view->events[i]);
    ReleaseHandlers(&view->heldCaptures);
    FreeNavigation(view->navigation);
    view->navigation = NULL;
    if (view->window && IsWindow(view->window)) {
        SetWindowLongPtrW(view->window, GWLP_USERDATA, 0);
        DestroyWindow(view->window);
    }
    view->window = NULL;
}

/* ---- Raising events ---- */

/* Calls every handler of the event with the view as sender; handlers added or removed
 * meanwhile take effect from the next event. Nothing is called once the view is closed. */
static void RaiseEvent(StandinView* view, EventKind kind, StandinArgs* args, const WCHAR* details)
{
    if (view->closed) return;
    Standin_Log(L"event %ls%ls%ls", kEventNames[kind], details ? L" " : L"", details ? details : L"");
    HandlerList snapshot = view->events[kind];
    for (int i = 0; i < snapshot.count; ++i) snapshot.handlers[i]->lpVtbl->AddRef(snapshot.handlers[i]);
    ViewAddRef(view);
    for (int i = 0; i < snapshot.count && !view->closed; ++i)
        snapshot.handlers[i]->lpVtbl->Invoke.event(snapshot.handlers[i], view, args);
    ReleaseHandlers(&snapshot);
    Standin_ViewRelease(view);
}

/* By id, not by pointer: a handler may have started another navigation, and the new one
 * can sit at the freed one's address. */
static BOOL IsCurrent(StandinView* view, UINT64 navigationId)
{
    return !view->closed && view->navigation && view->navigation->id == navigationId;
}

static void PostStep(StandinView* view, NavigationStep step, UINT64 navigationId)
{
    StandinItem* item = Standin_NewItem(STANDIN_ITEM_NAVIGATION_STEP);
    if (!item) return;
    item->view = view;
    ViewAddRef(view);
    item->command = (int)step;
    item->navigationId = navigationId;
    Standin_Post(view->environment, item);
}

static void RaiseNavigationStarting(StandinView* view, const Navigation* navigation, BOOL redirected)
{
    StandinArgs* args = Standin_NewArgs(STANDIN_ARGS_NAVIGATION_STARTING);
    if (!args) return;
    args->uri = Standin_Duplicate(navigation->address);
    args->userInitiated = navigation->userInitiated;
    args->redirected = redirected;
    args->navigationId = navigation->id;
    WCHAR details[1200];
    _snwprintf(details, ARRAYSIZE(details) - 1, L"uri=%ls user=%d redirected=%d", navigation->address,
               navigation->userInitiated ? 1 : 0, redirected ? 1 : 0);
    details[ARRAYSIZE(details) - 1] = 0;
    RaiseEvent(view, EVENT_NAVIGATION_STARTING, args, details);
    Standin_ReleaseArgs(args);
}

static void RaiseNavigationCompleted(StandinView* view, UINT64 id, BOOL success, int webErrorStatus)
{
    StandinArgs* args = Standin_NewArgs(STANDIN_ARGS_NAVIGATION_COMPLETED);
    if (!args) return;
    args->success = success;
    args->webErrorStatus = webErrorStatus;
    args->navigationId = id;
    WCHAR details[64];
    _snwprintf(details, ARRAYSIZE(details) - 1, L"success=%d status=%d", success ? 1 : 0, webErrorStatus);
    details[ARRAYSIZE(details) - 1] = 0;
    RaiseEvent(view, EVENT_NAVIGATION_COMPLETED, args, details);
    Standin_ReleaseArgs(args);
}

/* Starts a navigation; one still under way is ended first and completes as cancelled. */
static void StartNavigation(StandinView* view, const WCHAR* address, BOOL userInitiated, int historyTarget,
                            BOOL reload)
{
    if (view->navigation) {
        PostStep(view, STEP_CANCELED, view->navigation->id);
        FreeNavigation(view->navigation);
        view->navigation = NULL;
    }
    Navigation* navigation = (Navigation*)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(Navigation));
    if (!navigation) return;
    navigation->id = ++view->nextNavigationId;
    navigation->address = Standin_Duplicate(address);
    navigation->userInitiated = userInitiated;
    navigation->historyTarget = historyTarget;
    navigation->reload = reload;
    view->navigation = navigation;
    PostStep(view, STEP_STARTING, navigation->id);
}

static void LoadPage(Navigation* navigation)
{
    Standin_ClearPage(&navigation->page);
    if (_wcsnicmp(navigation->address, L"about:", 6) == 0) {
        navigation->success = TRUE;
        navigation->page.background = RGB(255, 255, 255);
        return;
    }
    StandinFetch fetch;
    if (!Standin_Fetch(navigation->address, &fetch)) {
        navigation->success = FALSE;
        navigation->isErrorPage = TRUE;
        navigation->webErrorStatus = STANDIN_WEB_ERROR_CANNOT_CONNECT;
        navigation->page.title = Standin_Duplicate(navigation->address);
        navigation->page.text = Standin_Duplicate(L"This page can't be reached.");
        navigation->page.background = RGB(255, 255, 255);
        return;
    }
    if (fetch.redirect) {
        Standin_Free(navigation->address);
        navigation->address = fetch.redirect;
        fetch.redirect = NULL;
        Standin_ClearFetch(&fetch);
        ++navigation->redirects;
        return;
    }
    /* As in the real runtime, a 4xx or 5xx answer still shows the server's page but the
     * navigation does not count as a success. */
    navigation->success = fetch.status >= 200 && fetch.status < 300;
    navigation->webErrorStatus = STANDIN_WEB_ERROR_UNKNOWN;
    Standin_ParsePage(fetch.body, fetch.bodyLength, navigation->address, &navigation->page);
    Standin_ClearFetch(&fetch);
}

static void CommitHistory(StandinView* view, const Navigation* navigation)
{
    if (navigation->historyTarget >= 0 && navigation->historyTarget < view->historyCount) {
        view->historyIndex = navigation->historyTarget;
        SetText(&view->history[view->historyIndex], navigation->address);
        return;
    }
    if (navigation->reload && view->historyCount > 0) return;
    for (int i = view->historyIndex + 1; i < view->historyCount; ++i) Standin_Free(view->history[i]);
    view->historyCount = view->historyCount > 0 ? view->historyIndex + 1 : 0;
    if (view->historyCount == MAX_HISTORY) {
        Standin_Free(view->history[0]);
        memmove(view->history, view->history + 1, (MAX_HISTORY - 1) * sizeof(WCHAR*));
        --view->historyCount;
    }
    view->history[view->historyCount] = Standin_Duplicate(navigation->address);
    view->historyIndex = view->historyCount;
    ++view->historyCount;
}

void Standin_RunNavigationStep(StandinItem* item)
{
    StandinView* view = item->view;
    if (view->closed) return;
    if (item->command == STEP_CANCELED) {
        RaiseNavigationCompleted(view, item->navigationId, FALSE, STANDIN_WEB_ERROR_OPERATION_CANCELED);
        return;
    }
    Navigation* navigation = view->navigation;
    const UINT64 id = item->navigationId;
    if (!IsCurrent(view, id)) return;
    /* After raising an event the navigation may be gone: only the id is used then. */

    switch ((NavigationStep)item->command) {
    case STEP_STARTING:
        RaiseNavigationStarting(view, navigation, FALSE);
        if (IsCurrent(view, id)) PostStep(view, STEP_FETCH, id);
        break;
    case STEP_FETCH: {
        const int redirectsBefore = navigation->redirects;
        LoadPage(navigation);
        if (navigation->redirects != redirectsBefore) {
            if (navigation->redirects > MAX_REDIRECTS) {
                view->navigation = NULL;
                RaiseNavigationCompleted(view, navigation->id, FALSE, 15 /* REDIRECT_FAILED */);
                FreeNavigation(navigation);
                break;
            }
            RaiseNavigationStarting(view, navigation, TRUE);
            if (IsCurrent(view, id)) PostStep(view, STEP_FETCH, id);
            break;
        }
        PostStep(view, STEP_SOURCE, id);
        break;
    }
    case STEP_SOURCE:
        if (!view->source || wcscmp(view->source, navigation->address) != 0) {
            SetText(&view->source, navigation->address);
            StandinArgs* args = Standin_NewArgs(STANDIN_ARGS_SOURCE_CHANGED);
            if (args) {
                args->isNewDocument = TRUE;
                WCHAR details[1100];
                _snwprintf(details, ARRAYSIZE(details) - 1, L"source=%ls", navigation->address);
                details[ARRAYSIZE(details) - 1] = 0;
                RaiseEvent(view, EVENT_SOURCE_CHANGED, args, details);
                Standin_ReleaseArgs(args);
            }
        }
        if (IsCurrent(view, id)) PostStep(view, STEP_CONTENT, id);
        break;
    case STEP_CONTENT: {
        Standin_ClearPage(&view->page);
        view->page = navigation->page;
        ZeroMemory(&navigation->page, sizeof(navigation->page));
        view->contentLoaded = TRUE;
        view->hoveredLink = 0;
        CommitHistory(view, navigation);
        if (view->window) InvalidateRect(view->window, NULL, TRUE);
        StandinArgs* args = Standin_NewArgs(STANDIN_ARGS_CONTENT_LOADING);
        if (args) {
            args->isErrorPage = navigation->isErrorPage;
            args->navigationId = navigation->id;
            RaiseEvent(view, EVENT_CONTENT_LOADING, args, NULL);
            Standin_ReleaseArgs(args);
        }
        if (IsCurrent(view, id)) PostStep(view, STEP_HISTORY, id);
        break;
    }
    case STEP_HISTORY:
        if (!navigation->reload) RaiseEvent(view, EVENT_HISTORY_CHANGED, NULL, NULL);
        if (IsCurrent(view, id)) PostStep(view, STEP_TITLE, id);
        break;
    case STEP_TITLE: {
        /* A page without a title is named after its address. */
        const WCHAR* title = view->page.title && view->page.title[0] ? view->page.title : navigation->address;
        if (!view->title || wcscmp(view->title, title) != 0) {
            SetText(&view->title, title);
            WCHAR details[1100];
            _snwprintf(details, ARRAYSIZE(details) - 1, L"title=%ls", title);
            details[ARRAYSIZE(details) - 1] = 0;
            RaiseEvent(view, EVENT_DOCUMENT_TITLE_CHANGED, NULL, details);
        }
        if (IsCurrent(view, id)) PostStep(view, STEP_COMPLETED, id);
        break;
    }
    case STEP_COMPLETED:
        view->navigation = NULL;
        RaiseNavigationCompleted(view, navigation->id, navigation->success, navigation->webErrorStatus);
        FreeNavigation(navigation);
        break;
    default: break;
    }
}

/* ---- Page actions: links, pointer and scripts ---- */

static void RaiseNewWindowRequested(StandinView* view, const WCHAR* address, BOOL userInitiated)
{
    StandinArgs* args = Standin_NewArgs(STANDIN_ARGS_NEW_WINDOW_REQUESTED);
    if (!args) return;
    args->uri = Standin_Duplicate(address);
    args->userInitiated = userInitiated;
    WCHAR details[1100];
    _snwprintf(details, ARRAYSIZE(details) - 1, L"uri=%ls", address);
    details[ARRAYSIZE(details) - 1] = 0;
    RaiseEvent(view, EVENT_NEW_WINDOW_REQUESTED, args, details);
    /* The real runtime would open a popup window for an unhandled request; the stand-in
     * only says so. */
    if (!args->handled) Standin_Log(L"note NewWindowRequested not handled: a popup window would open");
    Standin_ReleaseArgs(args);
}

static void GoToHistoryEntry(StandinView* view, int target, BOOL userInitiated)
{
    if (target < 0 || target >= view->historyCount) return;
    if (target == view->historyIndex) {
        StartNavigation(view, view->history[target], userInitiated, -1, TRUE);
        return;
    }
    StartNavigation(view, view->history[target], userInitiated, target, FALSE);
}

static WCHAR* QuotedArgument(const WCHAR* text)
{
    const WCHAR* open = wcspbrk(text, L"'\"");
    if (!open) return NULL;
    const WCHAR* close = wcschr(open + 1, *open);
    if (!close) return NULL;
    const size_t length = (size_t)(close - open - 1);
    WCHAR* value = (WCHAR*)HeapAlloc(GetProcessHeap(), 0, (length + 1) * sizeof(WCHAR));
    if (!value) return NULL;
    memcpy(value, open + 1, length * sizeof(WCHAR));
    value[length] = 0;
    return value;
}

/* The few scripts a page here runs: moving through the history, going to an address and
 * opening a window. Anything else is ignored, as a page would ignore a script that does
 * nothing it can see. */
static void RunScript(StandinView* view, const WCHAR* script, BOOL userGesture)
{
    while (*script == L' ' || *script == L'\t' || *script == L'\r' || *script == L'\n') ++script;
    int steps = 0;
    if (swscanf(script, L"history.go(%d)", &steps) == 1) {
        GoToHistoryEntry(view, view->historyIndex + steps, userGesture);
    } else if (wcsncmp(script, L"history.back()", 14) == 0) {
        GoToHistoryEntry(view, view->historyIndex - 1, userGesture);
    } else if (wcsncmp(script, L"history.forward()", 17) == 0) {
        GoToHistoryEntry(view, view->historyIndex + 1, userGesture);
    } else if (wcsncmp(script, L"location.href", 13) == 0 || wcsncmp(script, L"window.open(", 12) == 0) {
        WCHAR* relative = QuotedArgument(script);
        WCHAR* address = relative ? Standin_ResolveAddress(view->source, relative) : NULL;
        if (address && Standin_IsNavigableAddress(address)) {
            if (script[0] == L'w') RaiseNewWindowRequested(view, address, userGesture);
            else StartNavigation(view, address, userGesture, -1, FALSE);
        }
        Standin_Free(address);
        Standin_Free(relative);
    } else {
        Standin_Log(L"note script not understood: %ls", script);
    }
}

void Standin_RunPageAction(StandinItem* item)
{
    StandinView* view = item->view;
    if (view->closed) return;
    const WCHAR* text = item->text ? item->text : L"";
    switch (item->command) {
    case STANDIN_COMMAND_CLICK_LINK: {
        const int number = _wtoi(text);
        if (number < 1 || number > view->page.linkCount) return;
        const StandinLink* link = &view->page.links[number - 1];
        if (link->newWindow) RaiseNewWindowRequested(view, link->href, TRUE);
        else StartNavigation(view, link->href, TRUE, -1, FALSE);
        break;
    }
    case STANDIN_COMMAND_HOVER_LINK: {
        const int number = _wtoi(text);
        const WCHAR* status = number >= 1 && number <= view->page.linkCount ? view->page.links[number - 1].href : L"";
        view->hoveredLink = number >= 1 && number <= view->page.linkCount ? number : 0;
        if (view->window) InvalidateRect(view->window, NULL, TRUE);
        if (view->statusText && wcscmp(view->statusText, status) == 0) return;
        SetText(&view->statusText, status);
        WCHAR details[1100];
        _snwprintf(details, ARRAYSIZE(details) - 1, L"text=%ls", status);
        details[ARRAYSIZE(details) - 1] = 0;
        RaiseEvent(view, EVENT_STATUS_BAR_TEXT_CHANGED, NULL, details);
        break;
    }
    case STANDIN_COMMAND_SCRIPT_BY_GESTURE: RunScript(view, text, TRUE); break;
    case STANDIN_COMMAND_SCRIPT_BY_ITSELF: RunScript(view, text, FALSE); break;
    default: break;
    }
}

/* ---- The view's window ---- */

static LRESULT CALLBACK ViewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    StandinView* view = (StandinView*)GetWindowLongPtrW(window, GWLP_USERDATA);
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        if (view) {
            RECT client;
            GetClientRect(window, &client);
            Standin_PaintPage(dc, &client, view->source, &view->page, view->hoveredLink);
        }
        EndPaint(window, &paint);
        return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_COPYDATA: {
        const COPYDATASTRUCT* data = (const COPYDATASTRUCT*)lParam;
        /* The text comes from another party: its length is checked before it is copied. */
        if (!view || view->closed || !data || data->cbData % sizeof(WCHAR) != 0 || data->cbData > 8192 ||
            (data->cbData > 0 && !data->lpData))
            return FALSE;
        StandinItem* item = Standin_NewItem(STANDIN_ITEM_PAGE_ACTION);
        if (!item) return FALSE;
        const size_t count = data->cbData / sizeof(WCHAR);
        item->text = (WCHAR*)HeapAlloc(GetProcessHeap(), 0, (count + 1) * sizeof(WCHAR));
        if (!item->text) {
            Standin_FreeItem(item);
            return FALSE;
        }
        if (count) memcpy(item->text, data->lpData, count * sizeof(WCHAR));
        item->text[count] = 0;
        item->command = (int)data->dwData;
        item->view = view;
        ViewAddRef(view);
        return Standin_Post(view->environment, item);
    }
    case WM_DESTROY:
        /* The parent went away with the view's window: nothing queued is delivered now. */
        if (view) {
            view->window = NULL;
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            Standin_CloseView(view);
        }
        break;
    default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

/* ---- The view's vtable ---- */

typedef HRESULT(STDMETHODCALLTYPE* ViewAddHandler)(StandinView*, StandinHandler*, StandinToken*);
typedef HRESULT(STDMETHODCALLTYPE* ViewRemoveHandler)(StandinView*, StandinToken);
typedef HRESULT(STDMETHODCALLTYPE* ViewText)(StandinView*, LPWSTR*);
typedef HRESULT(STDMETHODCALLTYPE* ViewFlag)(StandinView*, BOOL*);
typedef HRESULT(STDMETHODCALLTYPE* ViewAction)(StandinView*);

typedef struct ViewVtbl {
    HRESULT(STDMETHODCALLTYPE* QueryInterface)(StandinView*, REFIID, void**);
    ULONG(STDMETHODCALLTYPE* AddRef)(StandinView*);
    ULONG(STDMETHODCALLTYPE* Release)(StandinView*);
    void* get_Settings;
    ViewText get_Source;
    HRESULT(STDMETHODCALLTYPE* Navigate)(StandinView*, LPCWSTR);
    void* NavigateToString;
    ViewAddHandler add_NavigationStarting;
    ViewRemoveHandler remove_NavigationStarting;
    ViewAddHandler add_ContentLoading;
    ViewRemoveHandler remove_ContentLoading;
    ViewAddHandler add_SourceChanged;
    ViewRemoveHandler remove_SourceChanged;
    ViewAddHandler add_HistoryChanged;
    ViewRemoveHandler remove_HistoryChanged;
    ViewAddHandler add_NavigationCompleted;
    ViewRemoveHandler remove_NavigationCompleted;
    void* frameEventsToScriptDocument[12]; /* slots 17-28 */
    HRESULT(STDMETHODCALLTYPE* ExecuteScript)(StandinView*, LPCWSTR, StandinHandler*);
    HRESULT(STDMETHODCALLTYPE* CapturePreview)(StandinView*, int, IStream*, StandinHandler*);
    ViewAction Reload;
    void* webMessagesToProcessId[6]; /* slots 32-37 */
    ViewFlag get_CanGoBack;
    ViewFlag get_CanGoForward;
    ViewAction GoBack;
    ViewAction GoForward;
    void* GetDevToolsProtocolEventReceiver;
    ViewAction Stop;
    ViewAddHandler add_NewWindowRequested;
    ViewRemoveHandler remove_NewWindowRequested;
    ViewAddHandler add_DocumentTitleChanged;
    ViewRemoveHandler remove_DocumentTitleChanged;
    ViewText get_DocumentTitle;
    void* hostObjectsToContextMenu[53]; /* slots 49-101: the rest of ICoreWebView2 and _2 to _11 */
    ViewAddHandler add_StatusBarTextChanged;
    ViewRemoveHandler remove_StatusBarTextChanged;
    ViewText get_StatusBarText;
} ViewVtbl;
STANDIN_ASSERT_SLOT(ViewVtbl, get_Source, 4);
STANDIN_ASSERT_SLOT(ViewVtbl, Navigate, 5);
STANDIN_ASSERT_SLOT(ViewVtbl, add_NavigationStarting, 7);
STANDIN_ASSERT_SLOT(ViewVtbl, add_ContentLoading, 9);
STANDIN_ASSERT_SLOT(ViewVtbl, add_SourceChanged, 11);
STANDIN_ASSERT_SLOT(ViewVtbl, add_HistoryChanged, 13);
STANDIN_ASSERT_SLOT(ViewVtbl, add_NavigationCompleted, 15);
STANDIN_ASSERT_SLOT(ViewVtbl, ExecuteScript, 29);
STANDIN_ASSERT_SLOT(ViewVtbl, CapturePreview, 30);
STANDIN_ASSERT_SLOT(ViewVtbl, Reload, 31);
STANDIN_ASSERT_SLOT(ViewVtbl, get_CanGoBack, 38);
STANDIN_ASSERT_SLOT(ViewVtbl, get_CanGoForward, 39);
STANDIN_ASSERT_SLOT(ViewVtbl, GoBack, 40);
STANDIN_ASSERT_SLOT(ViewVtbl, GoForward, 41);
STANDIN_ASSERT_SLOT(ViewVtbl, Stop, 43);
STANDIN_ASSERT_SLOT(ViewVtbl, add_NewWindowRequested, 44);
STANDIN_ASSERT_SLOT(ViewVtbl, add_DocumentTitleChanged, 46);
STANDIN_ASSERT_SLOT(ViewVtbl, get_DocumentTitle, 48);
STANDIN_ASSERT_SLOT(ViewVtbl, add_StatusBarTextChanged, 102);
STANDIN_ASSERT_SLOT(ViewVtbl, get_StatusBarText, 104);
static_assert(sizeof(ViewVtbl) == STANDIN_SLOT(105), "the view's vtable ends with ICoreWebView2_12");

static HRESULT STDMETHODCALLTYPE View_QueryInterface(StandinView* self, REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    *object = NULL;
    StandinSwitches switches;
    Standin_ReadSwitches(&switches);
    BOOL answers = IsEqualIID(iid, &StandinIID_IUnknown) || IsEqualIID(iid, &StandinIID_View);
    if (!switches.noView2) {
        answers = answers || IsEqualIID(iid, &StandinIID_View2);
        if (!switches.noView12) answers = answers || IsEqualIID(iid, &StandinIID_View12);
    }
    if (!answers) return E_NOINTERFACE;
    ViewAddRef(self);
    *object = self;
    return S_OK;
}

static ULONG STDMETHODCALLTYPE View_AddRef(StandinView* self)
{
    return (ULONG)InterlockedIncrement(&self->references);
}

static ULONG STDMETHODCALLTYPE View_Release(StandinView* self)
{
    const LONG left = InterlockedDecrement(&self->references);
    if (left != 0) return (ULONG)left;
    Standin_CloseView(self);
    Standin_Free(self->source);
    Standin_Free(self->title);
    Standin_Free(self->statusText);
    Standin_ClearPage(&self->page);
    for (int i = 0; i < self->historyCount; ++i) Standin_Free(self->history[i]);
    Standin_EnvironmentRelease(self->environment);
    Standin_Free(self);
    return 0;
}

void Standin_ViewRelease(StandinView* view)
{
    View_Release(view);
}

static HRESULT AddHandler(StandinView* view, EventKind kind, StandinHandler* handler, StandinToken* token)
{
    Standin_Log(L"call add_%ls", kEventNames[kind]);
    if (!Standin_IsOwnerThread(view->environment)) return RPC_E_WRONG_THREAD;
    if (!handler || !token) return E_INVALIDARG;
    if (view->closed) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
    if (!Standin_HandlerAnswers(handler, EventHandlerIid(kind))) return E_NOINTERFACE;
    HandlerList* list = &view->events[kind];
    if (list->count == MAX_HANDLERS) return E_OUTOFMEMORY;
    handler->lpVtbl->AddRef(handler);
    list->handlers[list->count] = handler;
    list->tokens[list->count] = ++view->nextToken;
    token->value = list->tokens[list->count];
    ++list->count;
    return S_OK;
}

static HRESULT RemoveHandler(StandinView* view, EventKind kind, StandinToken token)
{
    Standin_Log(L"call remove_%ls", kEventNames[kind]);
    if (!Standin_IsOwnerThread(view->environment)) return RPC_E_WRONG_THREAD;
    HandlerList* list = &view->events[kind];
    for (int i = 0; i < list->count; ++i) {
        if (list->tokens[i] != token.value) continue;
        StandinHandler* handler = list->handlers[i];
        memmove(list->handlers + i, list->handlers + i + 1, (size_t)(list->count - i - 1) * sizeof(StandinHandler*));
        memmove(list->tokens + i, list->tokens + i + 1, (size_t)(list->count - i - 1) * sizeof(__int64));
        --list->count;
        handler->lpVtbl->Release(handler);
        break;
    }
    return S_OK;
}

#define VIEW_EVENT_METHODS(name, kind)                                                                      \
    static HRESULT STDMETHODCALLTYPE View_add_##name(StandinView* self, StandinHandler* handler, StandinToken* token) \
    {                                                                                                       \
        return AddHandler(self, kind, handler, token);                                                      \
    }                                                                                                       \
    static HRESULT STDMETHODCALLTYPE View_remove_##name(StandinView* self, StandinToken token)              \
    {                                                                                                       \
        return RemoveHandler(self, kind, token);                                                            \
    }
VIEW_EVENT_METHODS(NavigationStarting, EVENT_NAVIGATION_STARTING)
VIEW_EVENT_METHODS(ContentLoading, EVENT_CONTENT_LOADING)
VIEW_EVENT_METHODS(SourceChanged, EVENT_SOURCE_CHANGED)
VIEW_EVENT_METHODS(HistoryChanged, EVENT_HISTORY_CHANGED)
VIEW_EVENT_METHODS(NavigationCompleted, EVENT_NAVIGATION_COMPLETED)
VIEW_EVENT_METHODS(NewWindowRequested, EVENT_NEW_WINDOW_REQUESTED)
VIEW_EVENT_METHODS(DocumentTitleChanged, EVENT_DOCUMENT_TITLE_CHANGED)
VIEW_EVENT_METHODS(StatusBarTextChanged, EVENT_STATUS_BAR_TEXT_CHANGED)

static HRESULT ReturnText(const WCHAR* text, LPWSTR* out)
{
    if (!out) return E_POINTER;
    *out = Standin_CoTaskString(text);
    return *out ? S_OK : E_OUTOFMEMORY;
}

static HRESULT STDMETHODCALLTYPE View_get_Source(StandinView* self, LPWSTR* uri)
{
    Standin_Log(L"call get_Source");
    if (!Standin_IsOwnerThread(self->environment)) return RPC_E_WRONG_THREAD;
    return ReturnText(self->source, uri);
}

static HRESULT STDMETHODCALLTYPE View_get_DocumentTitle(StandinView* self, LPWSTR* title)
{
    Standin_Log(L"call get_DocumentTitle");
    if (!Standin_IsOwnerThread(self->environment)) return RPC_E_WRONG_THREAD;
    return ReturnText(self->title, title);
}

static HRESULT STDMETHODCALLTYPE View_get_StatusBarText(StandinView* self, LPWSTR* text)
{
    Standin_Log(L"call get_StatusBarText");
    if (!Standin_IsOwnerThread(self->environment)) return RPC_E_WRONG_THREAD;
    return ReturnText(self->statusText, text);
}

static HRESULT STDMETHODCALLTYPE View_Navigate(StandinView* self, LPCWSTR uri)
{
    Standin_Log(L"call Navigate %ls", uri ? uri : L"(null)");
    if (!Standin_IsOwnerThread(self->environment)) return RPC_E_WRONG_THREAD;
    if (!uri || !Standin_IsNavigableAddress(uri)) return E_INVALIDARG;
    if (self->closed) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
    StartNavigation(self, uri, TRUE, -1, FALSE);
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE View_Reload(StandinView* self)
{
    Standin_Log(L"call Reload");
    if (!Standin_IsOwnerThread(self->environment)) return RPC_E_WRONG_THREAD;
    if (self->closed) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
    StartNavigation(self, self->source, TRUE, -1, TRUE);
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE View_Stop(StandinView* self)
{
    Standin_Log(L"call Stop");
    if (!Standin_IsOwnerThread(self->environment)) return RPC_E_WRONG_THREAD;
    if (self->navigation) {
        PostStep(self, STEP_CANCELED, self->navigation->id);
        FreeNavigation(self->navigation);
        self->navigation = NULL;
    }
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE View_get_CanGoBack(StandinView* self, BOOL* canGoBack)
{
    Standin_Log(L"call get_CanGoBack");
    if (!Standin_IsOwnerThread(self->environment)) return RPC_E_WRONG_THREAD;
    if (!canGoBack) return E_POINTER;
    *canGoBack = self->historyIndex > 0;
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE View_get_CanGoForward(StandinView* self, BOOL* canGoForward)
{
    Standin_Log(L"call get_CanGoForward");
    if (!Standin_IsOwnerThread(self->environment)) return RPC_E_WRONG_THREAD;
    if (!canGoForward) return E_POINTER;
    *canGoForward = self->historyIndex + 1 < self->historyCount;
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE View_GoBack(StandinView* self)
{
    Standin_Log(L"call GoBack");
    if (!Standin_IsOwnerThread(self->environment)) return RPC_E_WRONG_THREAD;
    GoToHistoryEntry(self, self->historyIndex - 1, TRUE);
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE View_GoForward(StandinView* self)
{
    Standin_Log(L"call GoForward");
    if (!Standin_IsOwnerThread(self->environment)) return RPC_E_WRONG_THREAD;
    GoToHistoryEntry(self, self->historyIndex + 1, TRUE);
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE View_ExecuteScript(StandinView* self, LPCWSTR script, StandinHandler* handler)
{
    Standin_Log(L"call ExecuteScript %ls", script ? script : L"(null)");
    if (!Standin_IsOwnerThread(self->environment)) return RPC_E_WRONG_THREAD;
    if (!script) return E_INVALIDARG;
    if (self->closed) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
    if (handler && !Standin_HandlerAnswers(handler, &StandinIID_ExecuteScriptHandler)) return E_NOINTERFACE;
    StandinItem* item = Standin_NewItem(STANDIN_ITEM_SCRIPT_DONE);
    if (!item) return E_OUTOFMEMORY;
    item->text = Standin_Duplicate(script);
    item->view = self;
    ViewAddRef(self);
    item->handler = handler;
    if (handler) handler->lpVtbl->AddRef(handler);
    return Standin_Post(self->environment, item) ? S_OK : E_FAIL;
}

void Standin_DeliverScriptDone(StandinItem* item)
{
    if (item->view->closed) return;
    RunScript(item->view, item->text ? item->text : L"", FALSE);
    /* The scripts understood here all evaluate to undefined, which is "null" as JSON. */
    if (item->handler && !item->view->closed) item->handler->lpVtbl->Invoke.text(item->handler, S_OK, L"null");
}

static VOID CALLBACK LateCaptureTimer(HWND window, UINT message, UINT_PTR timer, DWORD time)
{
    KillTimer(window, timer);
    StandinItem* item = (StandinItem*)timer;
    Standin_Post(item->view->environment, item);
}

static HRESULT STDMETHODCALLTYPE View_CapturePreview(StandinView* self, int format, IStream* stream,
                                                     StandinHandler* handler)
{
    Standin_Log(L"call CapturePreview format=%d", format);
    if (!Standin_IsOwnerThread(self->environment)) return RPC_E_WRONG_THREAD;
    if (format != 0 && format != 1) return E_INVALIDARG;
    if (!stream || !handler) return E_INVALIDARG;
    if (self->closed) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
    if (!Standin_HandlerAnswers(handler, &StandinIID_CapturePreviewHandler)) return E_NOINTERFACE;
    /* As documented: before the first ContentLoading there is nothing to capture. */
    if (!self->contentLoaded) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);

    StandinSwitches switches;
    Standin_ReadSwitches(&switches);
    if (switches.captureNever) {
        HandlerList* held = &self->heldCaptures;
        if (held->count == MAX_HANDLERS) return E_OUTOFMEMORY;
        handler->lpVtbl->AddRef(handler);
        held->handlers[held->count++] = handler;
        return S_OK;
    }
    StandinItem* item = Standin_NewItem(STANDIN_ITEM_CAPTURE);
    if (!item) return E_OUTOFMEMORY;
    item->view = self;
    ViewAddRef(self);
    item->handler = handler;
    handler->lpVtbl->AddRef(handler);
    item->stream = stream;
    stream->lpVtbl->AddRef(stream);
    item->format = format;
    item->result = switches.captureFail ? E_FAIL : S_OK;
    if (switches.captureLateMs > 0) {
        if (SetTimer(self->environment->messageWindow, (UINT_PTR)item, switches.captureLateMs, LateCaptureTimer))
            return S_OK;
        Standin_FreeItem(item);
        return E_FAIL;
    }
    return Standin_Post(self->environment, item) ? S_OK : E_FAIL;
}

void Standin_DeliverCapture(StandinItem* item)
{
    StandinView* view = item->view;
    if (view->closed) return;
    HRESULT result = item->result;
    if (SUCCEEDED(result))
        result = Standin_WriteCapture(view->window, view->source, &view->page, item->format, item->stream);
    Standin_Log(L"event CapturePreviewCompleted hr=0x%08lX", (unsigned long)result);
    item->handler->lpVtbl->Invoke.result(item->handler, result);
}

static ViewVtbl viewVtbl = {
    .QueryInterface = View_QueryInterface,
    .AddRef = View_AddRef,
    .Release = View_Release,
    .get_Source = View_get_Source,
    .Navigate = View_Navigate,
    .add_NavigationStarting = View_add_NavigationStarting,
    .remove_NavigationStarting = View_remove_NavigationStarting,
    .add_ContentLoading = View_add_ContentLoading,
    .remove_ContentLoading = View_remove_ContentLoading,
    .add_SourceChanged = View_add_SourceChanged,
    .remove_SourceChanged = View_remove_SourceChanged,
    .add_HistoryChanged = View_add_HistoryChanged,
    .remove_HistoryChanged = View_remove_HistoryChanged,
    .add_NavigationCompleted = View_add_NavigationCompleted,
    .remove_NavigationCompleted = View_remove_NavigationCompleted,
    .ExecuteScript = View_ExecuteScript,
    .CapturePreview = View_CapturePreview,
    .Reload = View_Reload,
    .get_CanGoBack = View_get_CanGoBack,
    .get_CanGoForward = View_get_CanGoForward,
    .GoBack = View_GoBack,
    .GoForward = View_GoForward,
    .Stop = View_Stop,
    .add_NewWindowRequested = View_add_NewWindowRequested,
    .remove_NewWindowRequested = View_remove_NewWindowRequested,
    .add_DocumentTitleChanged = View_add_DocumentTitleChanged,
    .remove_DocumentTitleChanged = View_remove_DocumentTitleChanged,
    .get_DocumentTitle = View_get_DocumentTitle,
    .add_StatusBarTextChanged = View_add_StatusBarTextChanged,
    .remove_StatusBarTextChanged = View_remove_StatusBarTextChanged,
    .get_StatusBarText = View_get_StatusBarText,
};

void Standin_ViewAddRef(StandinView* view)
{
    ViewAddRef(view);
}

HWND Standin_ViewWindow(const StandinView* view)
{
    return view->window;
}

static BOOL PrepareViewClass(void)
{
    static BOOL prepared = FALSE;
    if (prepared) return TRUE;
    Standin_FillVtable(&viewVtbl, sizeof(viewVtbl));
    WNDCLASSEXW windowClass;
    ZeroMemory(&windowClass, sizeof(windowClass));
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = ViewWindowProc;
    windowClass.hInstance = GetModuleHandleW(NULL);
    windowClass.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
    windowClass.lpszClassName = STANDIN_VIEW_CLASS;
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return FALSE;
    prepared = TRUE;
    return TRUE;
}

StandinView* Standin_NewView(StandinEnvironment* environment, HWND parent)
{
    if (!PrepareViewClass()) return NULL;
    StandinView* view = (StandinView*)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(StandinView));
    if (!view) return NULL;
    view->lpVtbl = &viewVtbl;
    view->references = 1;
    view->environment = environment;
    Standin_EnvironmentAddRef(environment);
    view->source = Standin_Duplicate(L"about:blank");
    view->title = Standin_Duplicate(L"about:blank");
    view->page.background = RGB(255, 255, 255);
    /* Like the runtime, the view's window is added to the parent before the controller's
     * creation returns; it stays hidden until the host makes the controller visible. */
    view->window = CreateWindowExW(0, STANDIN_VIEW_CLASS, L"", WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 0, 0, parent, NULL,
                                   GetModuleHandleW(NULL), NULL);
    if (view->window) SetWindowLongPtrW(view->window, GWLP_USERDATA, (LONG_PTR)view);
    return view;
}
