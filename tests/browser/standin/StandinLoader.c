/* The loader's two entry points, the environment, the switches, the log and the queue of
 * posted work. */
#include "Standin.h"

#include <stdarg.h>
#include <stdio.h>
#include <wchar.h>

const IID StandinIID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID StandinIID_Environment = {0xb96d755e, 0x0319, 0x4e92, {0xa2, 0x96, 0x23, 0x43, 0x6f, 0x46, 0xa1, 0xfc}};
const IID StandinIID_Controller = {0x4d00c0d1, 0x9434, 0x4eb6, {0x80, 0x78, 0x86, 0x97, 0xa5, 0x60, 0x33, 0x4f}};
const IID StandinIID_View = {0x76eceacb, 0x0462, 0x4d94, {0xac, 0x83, 0x42, 0x3a, 0x67, 0x93, 0x77, 0x5e}};
const IID StandinIID_View2 = {0x9e8f0cf8, 0xe670, 0x4b5e, {0xb2, 0xbc, 0x73, 0xe0, 0x61, 0xe3, 0x18, 0x4c}};
const IID StandinIID_View12 = {0x35d69927, 0xbcfa, 0x4566, {0x93, 0x49, 0x6b, 0x3e, 0x0d, 0x15, 0x4c, 0xac}};
const IID StandinIID_NavigationStartingArgs = {0x5b495469, 0xe119, 0x438a, {0x9b, 0x18, 0x76, 0x04, 0xf2, 0x5f, 0x2e, 0x49}};
const IID StandinIID_NavigationCompletedArgs = {0x30d68b7d, 0x20d9, 0x4752, {0xa9, 0xca, 0xec, 0x84, 0x48, 0xfb, 0xb5, 0xc1}};
const IID StandinIID_SourceChangedArgs = {0x31e0e545, 0x1dba, 0x4266, {0x89, 0x14, 0xf6, 0x38, 0x48, 0xa1, 0xf7, 0xd7}};
const IID StandinIID_ContentLoadingArgs = {0x0c8a1275, 0x9b6b, 0x4901, {0x87, 0xad, 0x70, 0xdf, 0x25, 0xba, 0xfa, 0x6e}};
const IID StandinIID_NewWindowRequestedArgs = {0x34acb11c, 0xfc37, 0x4418, {0x91, 0x32, 0xf9, 0xc2, 0x1d, 0x1e, 0xaf, 0xb9}};
const IID StandinIID_EnvironmentCompletedHandler = {0x4e8a3389, 0xc9d8, 0x4bd2, {0xb6, 0xb5, 0x12, 0x4f, 0xee, 0x6c, 0xc1, 0x4d}};
const IID StandinIID_ControllerCompletedHandler = {0x6c4819f3, 0xc9b7, 0x4260, {0x81, 0x27, 0xc9, 0xf5, 0xbd, 0xe7, 0xf6, 0x8c}};
const IID StandinIID_NavigationStartingHandler = {0x9adbe429, 0xf36d, 0x432b, {0x9d, 0xdc, 0xf8, 0x88, 0x1f, 0xbd, 0x76, 0xe3}};
const IID StandinIID_ContentLoadingHandler = {0x364471e7, 0xf2be, 0x4910, {0xbd, 0xba, 0xd7, 0x20, 0x77, 0xd5, 0x1c, 0x4b}};
const IID StandinIID_SourceChangedHandler = {0x3c067f9f, 0x5388, 0x4772, {0x8b, 0x48, 0x79, 0xf7, 0xef, 0x1a, 0xb3, 0x7c}};
const IID StandinIID_HistoryChangedHandler = {0xc79a420c, 0xefd9, 0x4058, {0x92, 0x95, 0x3e, 0x8b, 0x4b, 0xca, 0xb6, 0x45}};
const IID StandinIID_NavigationCompletedHandler = {0xd33a35bf, 0x1c49, 0x4f98, {0x93, 0xab, 0x00, 0x6e, 0x05, 0x33, 0xfe, 0x1c}};
const IID StandinIID_NewWindowRequestedHandler = {0xd4c185fe, 0xc81c, 0x4989, {0x97, 0xaf, 0x2d, 0x3f, 0xa7, 0xab, 0x56, 0x51}};
const IID StandinIID_DocumentTitleChangedHandler = {0xf5f2b923, 0x953e, 0x4042, {0x9f, 0x95, 0xf3, 0xa1, 0x18, 0xe1, 0xaf, 0xd4}};
const IID StandinIID_StatusBarTextChangedHandler = {0xa5e3b0d0, 0x10df, 0x4156, {0xbf, 0xad, 0x3b, 0x43, 0x86, 0x7a, 0xca, 0xc6}};
const IID StandinIID_ExecuteScriptHandler = {0x49511172, 0xcc67, 0x4bca, {0x99, 0x23, 0x13, 0x71, 0x12, 0xf4, 0xc4, 0xcc}};
const IID StandinIID_CapturePreviewHandler = {0x697e05e9, 0x3d8f, 0x45fa, {0x96, 0xf4, 0x8f, 0xfe, 0x1e, 0xde, 0xda, 0xf5}};

#define STANDIN_WM_ITEM (WM_APP + 1)
static const WCHAR kMessageWindowClass[] = L"ReelvaultStandinWebView2Queue";
static const WCHAR kVersion[] = L"120.0.0.0 standin";

/* ---- Helpers ---- */

LPWSTR Standin_CoTaskString(const WCHAR* text)
{
    if (!text) text = L"";
    const size_t bytes = (wcslen(text) + 1) * sizeof(WCHAR);
    LPWSTR copy = (LPWSTR)CoTaskMemAlloc(bytes);
    if (copy) memcpy(copy, text, bytes);
    return copy;
}

WCHAR* Standin_Duplicate(const WCHAR* text)
{
    if (!text) return NULL;
    const size_t bytes = (wcslen(text) + 1) * sizeof(WCHAR);
    WCHAR* copy = (WCHAR*)HeapAlloc(GetProcessHeap(), 0, bytes);
    if (copy) memcpy(copy, text, bytes);
    return copy;
}

void Standin_Free(void* memory)
{
    if (memory) HeapFree(GetProcessHeap(), 0, memory);
}

BOOL Standin_HandlerAnswers(StandinHandler* handler, const IID* iid)
{
    void* answered = NULL;
    if (!handler || FAILED(handler->lpVtbl->QueryInterface(handler, iid, &answered)) || !answered) return FALSE;
    ((StandinHandler*)answered)->lpVtbl->Release((StandinHandler*)answered);
    return TRUE;
}

HRESULT STDMETHODCALLTYPE Standin_NotImplemented(void* self)
{
    (void)self;
    return E_NOTIMPL;
}

/* The slots a host has no business calling all hold one function that refuses. On the
 * 32-bit build a call passing more arguments would unbalance the stack, so such a call
 * shows at once rather than quietly. */
void Standin_FillVtable(void* vtable, size_t bytes)
{
    void** slots = (void**)vtable;
    for (size_t i = 0; i < bytes / sizeof(void*); ++i)
        if (!slots[i]) slots[i] = (void*)Standin_NotImplemented;
}

/* ---- Switches ---- */

static BOOL StartsWith(const WCHAR* text, const WCHAR* prefix)
{
    return wcsncmp(text, prefix, wcslen(prefix)) == 0;
}

void Standin_ReadSwitches(StandinSwitches* switches)
{
    ZeroMemory(switches, sizeof(*switches));
    WCHAR value[2048];
    const DWORD length = GetEnvironmentVariableW(L"REELVAULT_WEBVIEW_STANDIN", value, ARRAYSIZE(value));
    if (length == 0 || length >= ARRAYSIZE(value)) return;
    /* Switches are separated by ';' since an address or a path may hold ','. */
    WCHAR* context = NULL;
    for (WCHAR* token = wcstok_s(value, L";", &context); token; token = wcstok_s(NULL, L";", &context)) {
        if (wcscmp(token, L"version=none") == 0) switches->versionNone = TRUE;
        else if (wcscmp(token, L"version=empty") == 0) switches->versionEmpty = TRUE;
        else if (wcscmp(token, L"environment=refused") == 0) switches->environmentRefused = TRUE;
        else if (wcscmp(token, L"environment=failed") == 0) switches->environmentFailed = TRUE;
        else if (wcscmp(token, L"controller=failed") == 0) switches->controllerFailed = TRUE;
        else if (wcscmp(token, L"view=none") == 0) switches->noView = TRUE;
        else if (wcscmp(token, L"view2=none") == 0) switches->noView2 = TRUE;
        else if (wcscmp(token, L"view12=none") == 0) switches->noView12 = TRUE;
        else if (wcscmp(token, L"capture=fail") == 0) switches->captureFail = TRUE;
        else if (wcscmp(token, L"capture=never") == 0) switches->captureNever = TRUE;
        else if (StartsWith(token, L"capture=late:")) switches->captureLateMs = wcstoul(token + 13, NULL, 10);
        else if (StartsWith(token, L"origin=")) lstrcpynW(switches->origin, token + 7, ARRAYSIZE(switches->origin));
        else if (StartsWith(token, L"log=")) lstrcpynW(switches->logPath, token + 4, ARRAYSIZE(switches->logPath));
    }
}

void Standin_Log(const WCHAR* format, ...)
{
    StandinSwitches switches;
    Standin_ReadSwitches(&switches);
    if (!switches.logPath[0]) return;

    WCHAR line[2048];
    va_list arguments;
    va_start(arguments, format);
    _vsnwprintf(line, ARRAYSIZE(line) - 3, format, arguments);
    va_end(arguments);
    line[ARRAYSIZE(line) - 3] = 0;
    wcscat(line, L"\r\n");

    char utf8[6144];
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, line, -1, utf8, sizeof(utf8), NULL, NULL);
    if (bytes <= 1) return;
    HANDLE file = CreateFileW(switches.logPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, utf8, (DWORD)(bytes - 1), &written, NULL);
    CloseHandle(file);
}

/* ---- Posted work ---- */

StandinItem* Standin_NewItem(StandinItemKind kind)
{
    StandinItem* item = (StandinItem*)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(StandinItem));
    if (item) item->kind = kind;
    return item;
}


void Standin_FreeItem(StandinItem* item)
{
    if (!item) return;
    if (item->handler) item->handler->lpVtbl->Release(item->handler);
    if (item->stream) item->stream->lpVtbl->Release(item->stream);
    if (item->view) Standin_ViewRelease(item->view);
    if (item->controller) Standin_ControllerRelease(item->controller);
    if (item->environment) Standin_EnvironmentRelease(item->environment);
    Standin_Free(item->text);
    HeapFree(GetProcessHeap(), 0, item);
}

BOOL Standin_Post(StandinEnvironment* environment, StandinItem* item)
{
    if (!item) return FALSE;
    if (!environment || !IsWindow(environment->messageWindow) ||
        !PostMessageW(environment->messageWindow, STANDIN_WM_ITEM, 0, (LPARAM)item)) {
        Standin_FreeItem(item);
        return FALSE;
    }
    return TRUE;
}

static LRESULT CALLBACK MessageWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != STANDIN_WM_ITEM) return DefWindowProcW(window, message, wParam, lParam);
    StandinItem* item = (StandinItem*)lParam;
    switch (item->kind) {
    case STANDIN_ITEM_ENVIRONMENT_CREATED: Standin_DeliverEnvironmentCreated(item); break;
    case STANDIN_ITEM_CONTROLLER_CREATED: Standin_DeliverControllerCreated(item); break;
    case STANDIN_ITEM_NAVIGATION_STEP: Standin_RunNavigationStep(item); break;
    case STANDIN_ITEM_SCRIPT_DONE: Standin_DeliverScriptDone(item); break;
    case STANDIN_ITEM_CAPTURE: Standin_DeliverCapture(item); break;
    case STANDIN_ITEM_PAGE_ACTION: Standin_RunPageAction(item); break;
    }
    Standin_FreeItem(item);
    return 0;
}

/* ---- The environment ---- */

typedef struct EnvironmentVtbl {
    HRESULT(STDMETHODCALLTYPE* QueryInterface)(StandinEnvironment* self, REFIID iid, void** object);
    ULONG(STDMETHODCALLTYPE* AddRef)(StandinEnvironment* self);
    ULONG(STDMETHODCALLTYPE* Release)(StandinEnvironment* self);
    HRESULT(STDMETHODCALLTYPE* CreateCoreWebView2Controller)(StandinEnvironment* self, HWND parent,
                                                             StandinHandler* handler);
    void* CreateWebResourceResponse;
    void* get_BrowserVersionString;
    void* add_NewBrowserVersionAvailable;
    void* remove_NewBrowserVersionAvailable;
} EnvironmentVtbl;
STANDIN_ASSERT_SLOT(EnvironmentVtbl, QueryInterface, 0);
STANDIN_ASSERT_SLOT(EnvironmentVtbl, Release, 2);
STANDIN_ASSERT_SLOT(EnvironmentVtbl, CreateCoreWebView2Controller, 3);

static HRESULT STDMETHODCALLTYPE Environment_QueryInterface(StandinEnvironment* self, REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    *object = NULL;
    if (!IsEqualIID(iid, &StandinIID_IUnknown) && !IsEqualIID(iid, &StandinIID_Environment)) return E_NOINTERFACE;
    Standin_EnvironmentAddRef(self);
    *object = self;
    return S_OK;
}

static ULONG STDMETHODCALLTYPE Environment_AddRef(StandinEnvironment* self)
{
    return (ULONG)InterlockedIncrement(&self->references);
}

static ULONG STDMETHODCALLTYPE Environment_Release(StandinEnvironment* self)
{
    const LONG left = InterlockedDecrement(&self->references);
    if (left == 0) {
        if (self->messageWindow) DestroyWindow(self->messageWindow);
        HeapFree(GetProcessHeap(), 0, self);
    }
    return (ULONG)left;
}

void Standin_EnvironmentAddRef(StandinEnvironment* environment)
{
    Environment_AddRef(environment);
}

void Standin_EnvironmentRelease(StandinEnvironment* environment)
{
    Environment_Release(environment);
}

BOOL Standin_IsOwnerThread(const StandinEnvironment* environment)
{
    return environment->thread == GetCurrentThreadId();
}

static HRESULT STDMETHODCALLTYPE Environment_CreateCoreWebView2Controller(StandinEnvironment* self, HWND parent,
                                                                          StandinHandler* handler)
{
    Standin_Log(L"call CreateCoreWebView2Controller");
    if (!Standin_IsOwnerThread(self)) return RPC_E_WRONG_THREAD;
    return Standin_CreateController(self, parent, handler);
}

static EnvironmentVtbl environmentVtbl = {
    .QueryInterface = Environment_QueryInterface,
    .AddRef = Environment_AddRef,
    .Release = Environment_Release,
    .CreateCoreWebView2Controller = Environment_CreateCoreWebView2Controller,
};

StandinEnvironment* Standin_NewEnvironment(void)
{
    static BOOL prepared = FALSE;
    if (!prepared) {
        Standin_FillVtable(&environmentVtbl, sizeof(environmentVtbl));
        WNDCLASSEXW windowClass;
        ZeroMemory(&windowClass, sizeof(windowClass));
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = MessageWindowProc;
        windowClass.hInstance = GetModuleHandleW(NULL);
        windowClass.lpszClassName = kMessageWindowClass;
        RegisterClassExW(&windowClass);
        prepared = TRUE;
    }
    StandinEnvironment* environment =
        (StandinEnvironment*)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(StandinEnvironment));
    if (!environment) return NULL;
    environment->lpVtbl = &environmentVtbl;
    environment->references = 1;
    environment->thread = GetCurrentThreadId();
    environment->messageWindow = CreateWindowExW(0, kMessageWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL,
                                                 GetModuleHandleW(NULL), NULL);
    if (!environment->messageWindow) {
        HeapFree(GetProcessHeap(), 0, environment);
        return NULL;
    }
    return environment;
}

void Standin_DeliverEnvironmentCreated(StandinItem* item)
{
    StandinSwitches switches;
    Standin_ReadSwitches(&switches);
    if (switches.environmentFailed) {
        Standin_Log(L"event EnvironmentCreated hr=0x%08lX", (unsigned long)E_FAIL);
        item->handler->lpVtbl->Invoke.object(item->handler, E_FAIL, NULL);
        return;
    }
    Standin_Log(L"event EnvironmentCreated hr=0x00000000");
    item->handler->lpVtbl->Invoke.object(item->handler, S_OK, item->environment);
}

/* ---- The loader's entry points ---- */

/* Exported undecorated through the .def file the build writes. */
HRESULT STDMETHODCALLTYPE GetAvailableCoreWebView2BrowserVersionString(PCWSTR browserFolder,
                                                                                            LPWSTR* versionInfo)
{
    StandinSwitches switches;
    Standin_ReadSwitches(&switches);
    Standin_Log(L"call GetAvailableCoreWebView2BrowserVersionString");
    if (!versionInfo) return E_POINTER;
    *versionInfo = NULL;
    (void)browserFolder;
    if (switches.versionNone) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    *versionInfo = Standin_CoTaskString(switches.versionEmpty ? L"" : kVersion);
    return *versionInfo ? S_OK : E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE CreateCoreWebView2EnvironmentWithOptions(PCWSTR browserFolder,
                                                                                        PCWSTR userDataFolder,
                                                                                        void* options,
                                                                                        StandinHandler* handler)
{
    StandinSwitches switches;
    Standin_ReadSwitches(&switches);
    Standin_Log(L"call CreateCoreWebView2EnvironmentWithOptions userDataFolder=%ls",
                userDataFolder ? userDataFolder : L"(none)");
    (void)browserFolder;
    (void)options;
    if (!handler) return E_POINTER;
    if (!Standin_HandlerAnswers(handler, &StandinIID_EnvironmentCompletedHandler)) return E_NOINTERFACE;
    if (switches.environmentRefused) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);

    StandinEnvironment* environment = Standin_NewEnvironment();
    if (!environment) return E_OUTOFMEMORY;
    StandinItem* item = Standin_NewItem(STANDIN_ITEM_ENVIRONMENT_CREATED);
    if (!item) {
        Standin_EnvironmentRelease(environment);
        return E_OUTOFMEMORY;
    }
    item->environment = environment; /* the item takes the first reference */
    item->handler = handler;
    handler->lpVtbl->AddRef(handler);
    /* The environment's own window carries the item; it lives as long as the item holds
     * the environment. */
    return Standin_Post(environment, item) ? S_OK : E_FAIL;
}
