// The browser pane's WebView2 host: the loader library, the runtime check, the host window,
// the environment and the controller, and the view's events.
#include "browser/BrowserBaseReelvault.h"

#include <shlobj.h>

#include "browser/BrowserLog.h"
#include "browser/WebView2Handlers.h"

namespace {

// Loaded at most once per process and never freed: objects of the runtime may still sit
// in the thread's message queue when a pane goes.
HMODULE g_webView2Loader = nullptr;

const wchar_t kLoaderName[] = L"\\WebView2Loader.dll";
// Where the loader sits in the SDK's package, relative to the program folder.
const wchar_t kPackagedLoader[] =
    L"\\..\\third_party\\WebView2\\Microsoft.Web.WebView2.1.0.3912.50\\runtimes\\win-x86\\native\\WebView2Loader.dll";

std::wstring ProgramFolder()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length < MAX_PATH ? length : MAX_PATH - 1);
    const size_t separator = folder.find_last_of(L"\\/");
    return separator == std::wstring::npos ? folder : folder.substr(0, separator);
}

HMODULE LoadLoaderFrom(const std::wstring& path)
{
    // The loader's own dependencies are looked for beside it, never in the current folder.
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

// Only the program's own folder is trusted: a loader planted in the current folder or on
// PATH must never be loaded, so the library is always named by its full path.
HMODULE LoadWebView2Loader()
{
    if (g_webView2Loader) return g_webView2Loader;
    const std::wstring folder = ProgramFolder();
    const std::wstring beside = folder + kLoaderName;
    g_webView2Loader = LoadLoaderFrom(beside);
    if (g_webView2Loader) return g_webView2Loader;
    // A failed copy is not logged by itself: the "not found" line follows.
    if (CopyFileW((folder + kPackagedLoader).c_str(), beside.c_str(), FALSE)) g_webView2Loader = LoadLoaderFrom(beside);
    return g_webView2Loader;
}

template <typename Function>
Function LoaderEntry(const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(g_webView2Loader, name)));
}

}  // namespace

void BrowserBaseReelvault_CL::ShowRuntimeNotice(const wchar_t* text)
{
    if (runtimeNoticeShown) return;
    MessageBoxW(parentWindow, text, L"Reelvault", MB_OK | MB_ICONWARNING);
    runtimeNoticeShown = 1;
}

HWND BrowserBaseReelvault_CL::CreateWebView2Host(HWND parent, const RECT* rectangle, DWORD style)
{
    if (!parent) {
        WriteBrowserLog(L"[Browser] WebView2 host requires parent window.");
        return nullptr;
    }
    if (!LoadWebView2Loader()) {
        WriteBrowserLog(L"[Browser] WebView2Loader.dll not found. fallback to IE ActiveX.");
        ShowRuntimeNotice(L"WebView2 Runtime が見つかりません。\nIEモードで継続します。");
        return nullptr;
    }
    auto version = LoaderEntry<GetAvailableCoreWebView2BrowserVersionStringFunction>(
        "GetAvailableCoreWebView2BrowserVersionString");
    auto create =
        LoaderEntry<CreateCoreWebView2EnvironmentWithOptionsFunction>("CreateCoreWebView2EnvironmentWithOptions");
    if (!version) {
        WriteBrowserLog(L"[Browser] WebView2Loader.dll found, but version API is unavailable. fallback to IE ActiveX.");
        ShowRuntimeNotice(L"WebView2 Runtime の検出APIが利用できません。\nIEモードで継続します。");
        return nullptr;
    }
    if (!create) {
        WriteBrowserLog(
            L"[Browser] WebView2Loader.dll found, but create environment API is unavailable. fallback to IE ActiveX.");
        ShowRuntimeNotice(L"WebView2 Runtime の生成APIが利用できません。\nIEモードで継続します。");
        return nullptr;
    }

    LPWSTR versionText = nullptr;
    const HRESULT asked = version(nullptr, &versionText);
    const bool haveVersion = SUCCEEDED(asked) && versionText && versionText[0];
    const std::wstring versionString = TakeWebView2String(versionText);
    if (!haveVersion) {
        WriteBrowserLog(L"[Browser] WebView2 runtime version is unavailable. fallback to IE ActiveX.");
        ShowRuntimeNotice(L"WebView2 Runtime が見つからないか、バージョン取得に失敗しました。\nIEモードで継続します。");
        return nullptr;
    }
    WriteBrowserLog(L"[Browser] WebView2 runtime detected. version=%s", versionString.c_str());

    RECT bounds = *rectangle;
    if (bounds.right <= bounds.left || bounds.bottom <= bounds.top) GetClientRect(parent, &bounds);
    hostWindow = CreateWindowExW(0, L"STATIC", L"", style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, bounds.left,
                                 bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, parent, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    if (!hostWindow) {
        WriteBrowserLog(L"[Browser] Failed to create WebView2 host window. fallback to IE ActiveX.");
        return nullptr;
    }
    SetWindowLongPtrW(hostWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    hostWindowProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hostWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&BrowserBaseReelvault_CL::HostWindowProc)));

    // The data-root redirect of the program ini does not apply to the runtime's folder.
    std::wstring userDataFolder;
    wchar_t documents[MAX_PATH] = {};
    const HRESULT found = getFolderPath(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents);
    if (FAILED(found) || !documents[0]) {
        WriteBrowserLog(L"[Browser] Failed to resolve Documents path for WebView2 userDataFolder. hr=0x%08X",
                        static_cast<unsigned>(found));
    } else {
        const std::wstring programFolder = std::wstring(documents) + L"\\Reelvault";
        userDataFolder = programFolder + L"\\WebView2";
        // An existing folder is what is wanted; other failures surface in the runtime.
        CreateDirectoryW(programFolder.c_str(), nullptr);
        CreateDirectoryW(userDataFolder.c_str(), nullptr);
        WriteBrowserLog(L"[Browser] WebView2 userDataFolder = \"%s\"", userDataFolder.c_str());
    }

    auto* created = NewWebView2Handler<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler>(
        this, &BrowserBaseReelvault_CL::OnEnvironmentCreated);
    const HRESULT started =
        create(nullptr, userDataFolder.empty() ? nullptr : userDataFolder.c_str(), nullptr, created);
    created->Release();
    if (FAILED(started)) {
        WriteBrowserLog(L"[Browser] CreateCoreWebView2Environment API call failed.");
        DestroyWindow(hostWindow);
        hostWindow = nullptr;
        return nullptr;
    }
    WriteBrowserLog(L"[Browser] WebView2 host creation started.");
    return hostWindow;
}

HRESULT BrowserBaseReelvault_CL::OnEnvironmentCreated(HRESULT errorCode, ICoreWebView2Environment* createdEnvironment)
{
    if (FAILED(errorCode) || !createdEnvironment) {
        WriteBrowserLog(L"[Browser] CreateCoreWebView2Environment failed.");
        return S_OK;
    }
    environment = createdEnvironment;
    auto* created = NewWebView2Handler<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler>(
        this, &BrowserBaseReelvault_CL::OnControllerCreated);
    const HRESULT started = environment->CreateCoreWebView2Controller(hostWindow, created);
    created->Release();
    // Refused at once, no completion will come to say so.
    if (FAILED(started)) WriteBrowserLog(L"[Browser] CreateCoreWebView2Controller failed.");
    return started;
}

HRESULT BrowserBaseReelvault_CL::OnControllerCreated(HRESULT errorCode, ICoreWebView2Controller* createdController)
{
    if (FAILED(errorCode) || !createdController) {
        WriteBrowserLog(L"[Browser] CreateCoreWebView2Controller failed.");
        return S_OK;
    }
    controller = createdController;
    view.Reset();
    if (FAILED(controller->get_CoreWebView2(view.ReleaseAndGetAddressOf())) || !view) {
        view.Reset();
        WriteBrowserLog(L"[Browser] get_CoreWebView2 failed.");
        return S_OK;
    }
    RECT client = {};
    GetClientRect(hostWindow, &client);
    controller->put_Bounds(client);
    controller->put_IsVisible(TRUE);
    RegisterEventHandlers();
    if (!pendingUrl.empty()) {
        const std::wstring url = std::move(pendingUrl);
        pendingUrl.clear();
        Navigate(url);
    }
    WriteBrowserLog(L"[Browser] WebView2 controller created and events hooked.");
    return S_OK;
}

void BrowserBaseReelvault_CL::RegisterEventHandlers()
{
    // The tokens are not kept: no handler is ever removed.
    EventRegistrationToken token = {};
    auto* starting = NewWebView2Handler<ICoreWebView2NavigationStartingEventHandler>(
        this, &BrowserBaseReelvault_CL::OnNavigationStartingEvent);
    view->add_NavigationStarting(starting, &token);
    starting->Release();
    auto* completed = NewWebView2Handler<ICoreWebView2NavigationCompletedEventHandler>(
        this, &BrowserBaseReelvault_CL::OnNavigationCompletedEvent);
    view->add_NavigationCompleted(completed, &token);
    completed->Release();
    auto* source =
        NewWebView2Handler<ICoreWebView2SourceChangedEventHandler>(this, &BrowserBaseReelvault_CL::OnSourceChanged);
    view->add_SourceChanged(source, &token);
    source->Release();
    auto* history =
        NewWebView2Handler<ICoreWebView2HistoryChangedEventHandler>(this, &BrowserBaseReelvault_CL::OnHistoryChanged);
    view->add_HistoryChanged(history, &token);
    history->Release();
    auto* title = NewWebView2Handler<ICoreWebView2DocumentTitleChangedEventHandler>(
        this, &BrowserBaseReelvault_CL::OnDocumentTitleChanged);
    view->add_DocumentTitleChanged(title, &token);
    title->Release();
    Microsoft::WRL::ComPtr<ICoreWebView2_12> view12;
    if (SUCCEEDED(view.As(&view12)) && view12) {
        auto* status = NewWebView2Handler<ICoreWebView2StatusBarTextChangedEventHandler>(
            this, &BrowserBaseReelvault_CL::OnStatusBarTextChanged);
        view12->add_StatusBarTextChanged(status, &token);
        status->Release();
    }
    auto* newWindow = NewWebView2Handler<ICoreWebView2NewWindowRequestedEventHandler>(
        this, &BrowserBaseReelvault_CL::OnNewWindowRequested);
    view->add_NewWindowRequested(newWindow, &token);
    newWindow->Release();
}

HRESULT BrowserBaseReelvault_CL::OnNavigationStartingEvent(ICoreWebView2*,
                                                           ICoreWebView2NavigationStartingEventArgs* args)
{
    if (args) OnNavigationStarting(args);
    return S_OK;
}

HRESULT BrowserBaseReelvault_CL::OnNavigationCompletedEvent(ICoreWebView2* sender,
                                                            ICoreWebView2NavigationCompletedEventArgs*)
{
    if (sender) OnNavigationCompleted(sender);
    return S_OK;
}

HRESULT BrowserBaseReelvault_CL::OnSourceChanged(ICoreWebView2* sender, ICoreWebView2SourceChangedEventArgs*)
{
    if (!sender) return S_OK;
    LPWSTR source = nullptr;
    if (FAILED(sender->get_Source(&source)) || !source) {
        TakeWebView2String(source);
        return S_OK;
    }
    const std::wstring url = TakeWebView2String(source);
    if (addressBar) addressBar->SetAddressText(url);
    return S_OK;
}

HRESULT BrowserBaseReelvault_CL::OnHistoryChanged(ICoreWebView2*, IUnknown*)
{
    RefreshHistory();
    return S_OK;
}

HRESULT BrowserBaseReelvault_CL::OnDocumentTitleChanged(ICoreWebView2* sender, IUnknown*)
{
    if (!sender) return S_OK;
    LPWSTR title = nullptr;
    const HRESULT asked = sender->get_DocumentTitle(&title);
    const bool given = SUCCEEDED(asked) && title;
    const std::wstring text = TakeWebView2String(title);
    if (!given) return S_OK;
    currentPage.title = text;
    RefreshHistory();
    return S_OK;
}

HRESULT BrowserBaseReelvault_CL::OnStatusBarTextChanged(ICoreWebView2* sender, IUnknown*)
{
    if (!sender) return S_OK;
    Microsoft::WRL::ComPtr<ICoreWebView2_12> view12;
    if (FAILED(sender->QueryInterface(IID_ICoreWebView2_12, reinterpret_cast<void**>(view12.GetAddressOf()))) ||
        !view12)
        return S_OK;
    LPWSTR text = nullptr;
    const HRESULT asked = view12->get_StatusBarText(&text);
    const bool given = SUCCEEDED(asked) && text;
    const std::wstring status = TakeWebView2String(text);
    if (given) SetStatusText(status);
    return S_OK;
}

HRESULT BrowserBaseReelvault_CL::OnNewWindowRequested(ICoreWebView2* sender,
                                                      ICoreWebView2NewWindowRequestedEventArgs* args)
{
    if (!sender || !args) return S_OK;
    LPWSTR uri = nullptr;
    const HRESULT asked = args->get_Uri(&uri);
    const bool given = SUCCEEDED(asked) && uri;
    const std::wstring url = TakeWebView2String(uri);
    // The view's own Navigate: the pane's history action stays as it is. No second window
    // is ever opened.
    if (given) sender->Navigate(url.c_str());
    args->put_Handled(TRUE);
    return S_OK;
}

LRESULT CALLBACK BrowserBaseReelvault_CL::HostWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* pane = reinterpret_cast<BrowserBaseReelvault_CL*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!pane) return DefWindowProcW(window, msg, wParam, lParam);
    if (msg == WM_SIZE && pane->hostWindow && pane->controller) {
        RECT client = {};
        GetClientRect(pane->hostWindow, &client);
        pane->controller->put_Bounds(client);
    }
    if (msg == WM_DESTROY) SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    if (pane->hostWindowProc) return CallWindowProcW(pane->hostWindowProc, window, msg, wParam, lParam);
    return DefWindowProcW(window, msg, wParam, lParam);
}
