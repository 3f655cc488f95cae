#pragma once
/* The stand-in WebView2 loader and runtime used by the tests under Wine, where the real
 * runtime cannot run. It is written in C with its own vtables, apart from the pane's C++
 * declarations, so that a wrong slot on either side fails a test instead of the two
 * mistakes agreeing with each other. Each vtable's slots are pinned with static_assert.
 *
 * Everything runs on the thread that created the environment: completions and events are
 * posted to a message-only window and delivered by that thread's message loop, never from
 * inside the call that caused them. */
#include <windows.h>
#include <objidl.h>

#include <assert.h>
#include <stddef.h>

#define STANDIN_SLOT(n) ((n) * sizeof(void*))
#define STANDIN_ASSERT_SLOT(type, field, n) \
    static_assert(offsetof(type, field) == STANDIN_SLOT(n), #type "." #field " must sit in slot " #n)

/* ---- Interface identifiers of the runtime ---- */
extern const IID StandinIID_IUnknown;
extern const IID StandinIID_Environment;
extern const IID StandinIID_Controller;
extern const IID StandinIID_View;
extern const IID StandinIID_View2;
extern const IID StandinIID_View12;
extern const IID StandinIID_NavigationStartingArgs;
extern const IID StandinIID_NavigationCompletedArgs;
extern const IID StandinIID_SourceChangedArgs;
extern const IID StandinIID_ContentLoadingArgs;
extern const IID StandinIID_NewWindowRequestedArgs;
extern const IID StandinIID_EnvironmentCompletedHandler;
extern const IID StandinIID_ControllerCompletedHandler;
extern const IID StandinIID_NavigationStartingHandler;
extern const IID StandinIID_ContentLoadingHandler;
extern const IID StandinIID_SourceChangedHandler;
extern const IID StandinIID_HistoryChangedHandler;
extern const IID StandinIID_NavigationCompletedHandler;
extern const IID StandinIID_NewWindowRequestedHandler;
extern const IID StandinIID_DocumentTitleChangedHandler;
extern const IID StandinIID_StatusBarTextChangedHandler;
extern const IID StandinIID_ExecuteScriptHandler;
extern const IID StandinIID_CapturePreviewHandler;

#define STANDIN_WEB_ERROR_UNKNOWN 0
#define STANDIN_WEB_ERROR_CANNOT_CONNECT 12
#define STANDIN_WEB_ERROR_OPERATION_CANCELED 14

typedef struct StandinToken {
    __int64 value;
} StandinToken;

/* ---- A handler the host passes in: IUnknown and Invoke in slot 3 ---- */
typedef struct StandinHandler StandinHandler;
typedef HRESULT(STDMETHODCALLTYPE* StandinEventInvoke)(StandinHandler* self, void* sender, void* args);
typedef HRESULT(STDMETHODCALLTYPE* StandinObjectInvoke)(StandinHandler* self, HRESULT errorCode, void* object);
typedef HRESULT(STDMETHODCALLTYPE* StandinTextInvoke)(StandinHandler* self, HRESULT errorCode, LPCWSTR text);
typedef HRESULT(STDMETHODCALLTYPE* StandinResultInvoke)(StandinHandler* self, HRESULT errorCode);
typedef struct StandinHandlerVtbl {
    HRESULT(STDMETHODCALLTYPE* QueryInterface)(StandinHandler* self, REFIID iid, void** object);
    ULONG(STDMETHODCALLTYPE* AddRef)(StandinHandler* self);
    ULONG(STDMETHODCALLTYPE* Release)(StandinHandler* self);
    union {
        StandinEventInvoke event;
        StandinObjectInvoke object;
        StandinTextInvoke text;
        StandinResultInvoke result;
    } Invoke;
} StandinHandlerVtbl;
STANDIN_ASSERT_SLOT(StandinHandlerVtbl, Invoke, 3);
struct StandinHandler {
    const StandinHandlerVtbl* lpVtbl;
};

/* ---- Switches, read anew at every call ---- */
typedef struct StandinSwitches {
    BOOL versionNone;        /* version=none: no runtime installed */
    BOOL versionEmpty;       /* version=empty: an empty version string */
    BOOL environmentRefused; /* environment=refused: the call itself fails */
    BOOL environmentFailed;  /* environment=failed: the completion reports a failure */
    BOOL controllerFailed;   /* controller=failed */
    BOOL noView;             /* view=none: the controller gives no view */
    BOOL noView2;            /* view2=none: the view does not answer ICoreWebView2_2 */
    BOOL noView12;           /* view12=none: the view does not answer ICoreWebView2_12 */
    BOOL captureFail;        /* capture=fail: the capture completes with E_FAIL */
    BOOL captureNever;       /* capture=never: the capture never completes */
    DWORD captureLateMs;     /* capture=late:MS: the capture completes after MS milliseconds */
    WCHAR origin[512];       /* origin=URL: every fetch goes to this origin instead */
    WCHAR logPath[MAX_PATH]; /* log=PATH: one UTF-8 line per call and per event */
} StandinSwitches;

void Standin_ReadSwitches(StandinSwitches* switches);
/* Appends one line to the log named by the switches, when there is one. */
void Standin_Log(const WCHAR* format, ...);

/* ---- Small helpers ---- */
LPWSTR Standin_CoTaskString(const WCHAR* text); /* null text gives an empty string */
WCHAR* Standin_Duplicate(const WCHAR* text);    /* heap copy; null stays null */
void Standin_Free(void* memory);
BOOL Standin_HandlerAnswers(StandinHandler* handler, const IID* iid);
HRESULT STDMETHODCALLTYPE Standin_NotImplemented(void* self);
/* Fills every slot a vtable left empty with Standin_NotImplemented. */
void Standin_FillVtable(void* vtable, size_t bytes);

/* ---- The posted work ---- */
typedef struct StandinEnvironment StandinEnvironment;
typedef struct StandinController StandinController;
typedef struct StandinView StandinView;

typedef enum StandinItemKind {
    STANDIN_ITEM_ENVIRONMENT_CREATED,
    STANDIN_ITEM_CONTROLLER_CREATED,
    STANDIN_ITEM_NAVIGATION_STEP,
    STANDIN_ITEM_SCRIPT_DONE,
    STANDIN_ITEM_CAPTURE,
    STANDIN_ITEM_PAGE_ACTION,
} StandinItemKind;

typedef struct StandinItem {
    StandinItemKind kind;
    StandinEnvironment* environment; /* held */
    StandinController* controller;   /* held */
    StandinView* view;               /* held */
    StandinHandler* handler;         /* held */
    HRESULT result;
    UINT64 navigationId;
    int command;
    WCHAR* text;
    IStream* stream; /* held */
    int format;
} StandinItem;

StandinItem* Standin_NewItem(StandinItemKind kind);
/* Posts the item to the environment's window; on failure the item is freed and FALSE
 * returned. */
BOOL Standin_Post(StandinEnvironment* environment, StandinItem* item);
void Standin_FreeItem(StandinItem* item);

/* ---- Objects ---- */
struct StandinEnvironment {
    const void* lpVtbl;
    LONG references;
    HWND messageWindow;
    DWORD thread; /* the thread that created it: the only one its objects answer */
};
/* Like the runtime's objects, the stand-in's answer only on the thread that created the
 * environment; other threads get RPC_E_WRONG_THREAD. */
BOOL Standin_IsOwnerThread(const StandinEnvironment* environment);
void Standin_EnvironmentAddRef(StandinEnvironment* environment);
void Standin_EnvironmentRelease(StandinEnvironment* environment);
StandinEnvironment* Standin_NewEnvironment(void);
void Standin_DeliverEnvironmentCreated(StandinItem* item);

/* A page as the view shows it. */
#define STANDIN_MAX_LINKS 32
typedef struct StandinLink {
    WCHAR* href; /* absolute */
    WCHAR* text;
    BOOL newWindow;
} StandinLink;
typedef struct StandinPage {
    WCHAR* title; /* null when the page has none */
    WCHAR* text;
    COLORREF background;
    int linkCount;
    StandinLink links[STANDIN_MAX_LINKS];
} StandinPage;
void Standin_ClearPage(StandinPage* page);
/* Fetches the address; 30x answers give their absolute Location in *redirect instead of
 * a page. Returns FALSE when nothing could be fetched. */
typedef struct StandinFetch {
    int status;
    WCHAR* redirect;
    char* body;
    size_t bodyLength;
} StandinFetch;
BOOL Standin_Fetch(const WCHAR* address, StandinFetch* fetch);
void Standin_ClearFetch(StandinFetch* fetch);
void Standin_ParsePage(const char* html, size_t length, const WCHAR* baseAddress, StandinPage* page);
/* Draws the page into the rectangle of the device context. */
void Standin_PaintPage(HDC dc, const RECT* area, const WCHAR* address, const StandinPage* page, int hoveredLink);
/* Draws the view into a bitmap of its client size and writes it to the stream. */
HRESULT Standin_WriteCapture(HWND window, const WCHAR* address, const StandinPage* page, int format, IStream* stream);
/* An absolute http, https, file or about address. */
BOOL Standin_IsNavigableAddress(const WCHAR* address);
WCHAR* Standin_ResolveAddress(const WCHAR* base, const WCHAR* relative);

/* ---- Event arguments, one object type for every event ---- */
typedef enum StandinArgsKind {
    STANDIN_ARGS_NAVIGATION_STARTING,
    STANDIN_ARGS_CONTENT_LOADING,
    STANDIN_ARGS_SOURCE_CHANGED,
    STANDIN_ARGS_NAVIGATION_COMPLETED,
    STANDIN_ARGS_NEW_WINDOW_REQUESTED,
} StandinArgsKind;
typedef struct StandinArgs {
    const void* lpVtbl;
    LONG references;
    const IID* iid;
    WCHAR* uri;
    BOOL userInitiated;
    BOOL redirected;
    BOOL handled;
    BOOL success;
    BOOL isNewDocument;
    BOOL isErrorPage;
    int webErrorStatus;
    UINT64 navigationId;
} StandinArgs;
StandinArgs* Standin_NewArgs(StandinArgsKind kind);
void Standin_ReleaseArgs(StandinArgs* args);

/* ---- The view, as the controller sees it ---- */
/* A view with its window hidden in the parent, or null; one reference, the caller's. */
StandinView* Standin_NewView(StandinEnvironment* environment, HWND parent);
HWND Standin_ViewWindow(const StandinView* view);
void Standin_ViewAddRef(StandinView* view);
void Standin_ViewRelease(StandinView* view);
/* Ends the view: its window goes and nothing it had queued is delivered. */
void Standin_CloseView(StandinView* view);
void Standin_ControllerRelease(StandinController* controller);

HRESULT Standin_CreateController(StandinEnvironment* environment, HWND parent, StandinHandler* handler);
void Standin_DeliverControllerCreated(StandinItem* item);
void Standin_RunNavigationStep(StandinItem* item);
void Standin_DeliverScriptDone(StandinItem* item);
void Standin_DeliverCapture(StandinItem* item);
void Standin_RunPageAction(StandinItem* item);
