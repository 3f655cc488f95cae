#pragma once
// The WebView2 loader entry points and the runtime's COM interfaces the browser pane calls.
// MinGW ships no WebView2 header and the SDK is not on the build machines, so they are
// declared here from the runtime's published interface definitions.
//
// The runtime calls through fixed vtable slots: every interface lists each method up to the
// last one the pane uses, in the runtime's order, so that the slot of each method equals
// the runtime's. A method the pane never calls keeps its place with loose parameter types.
// Never add a virtual destructor or a second method of the same name here: either shifts
// every slot after it.
#include <windows.h>
#include <objidl.h>
#include <unknwn.h>

// Declares an interface's name, its IID_ constant for QueryInterface and MinGW's
// __uuidof(), both from the same numbers.
#define REELVAULT_WEBVIEW2_IID(name, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8) \
    struct name;                                                                 \
    inline constexpr IID IID_##name = {l, w1, w2, {b1, b2, b3, b4, b5, b6, b7, b8}}; \
    __CRT_UUID_DECL(name, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8)

REELVAULT_WEBVIEW2_IID(ICoreWebView2Environment, 0xb96d755e, 0x0319, 0x4e92, 0xa2, 0x96, 0x23, 0x43, 0x6f, 0x46, 0xa1, 0xfc)
REELVAULT_WEBVIEW2_IID(ICoreWebView2Controller, 0x4d00c0d1, 0x9434, 0x4eb6, 0x80, 0x78, 0x86, 0x97, 0xa5, 0x60, 0x33, 0x4f)
REELVAULT_WEBVIEW2_IID(ICoreWebView2, 0x76eceacb, 0x0462, 0x4d94, 0xac, 0x83, 0x42, 0x3a, 0x67, 0x93, 0x77, 0x5e)
REELVAULT_WEBVIEW2_IID(ICoreWebView2_2, 0x9e8f0cf8, 0xe670, 0x4b5e, 0xb2, 0xbc, 0x73, 0xe0, 0x61, 0xe3, 0x18, 0x4c)
REELVAULT_WEBVIEW2_IID(ICoreWebView2_12, 0x35d69927, 0xbcfa, 0x4566, 0x93, 0x49, 0x6b, 0x3e, 0x0d, 0x15, 0x4c, 0xac)
REELVAULT_WEBVIEW2_IID(ICoreWebView2NavigationStartingEventArgs, 0x5b495469, 0xe119, 0x438a, 0x9b, 0x18, 0x76, 0x04, 0xf2, 0x5f, 0x2e, 0x49)
REELVAULT_WEBVIEW2_IID(ICoreWebView2NewWindowRequestedEventArgs, 0x34acb11c, 0xfc37, 0x4418, 0x91, 0x32, 0xf9, 0xc2, 0x1d, 0x1e, 0xaf, 0xb9)
REELVAULT_WEBVIEW2_IID(ICoreWebView2NavigationCompletedEventArgs, 0x30d68b7d, 0x20d9, 0x4752, 0xa9, 0xca, 0xec, 0x84, 0x48, 0xfb, 0xb5, 0xc1)
REELVAULT_WEBVIEW2_IID(ICoreWebView2SourceChangedEventArgs, 0x31e0e545, 0x1dba, 0x4266, 0x89, 0x14, 0xf6, 0x38, 0x48, 0xa1, 0xf7, 0xd7)
REELVAULT_WEBVIEW2_IID(ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler, 0x4e8a3389, 0xc9d8, 0x4bd2, 0xb6, 0xb5, 0x12, 0x4f, 0xee, 0x6c, 0xc1, 0x4d)
REELVAULT_WEBVIEW2_IID(ICoreWebView2CreateCoreWebView2ControllerCompletedHandler, 0x6c4819f3, 0xc9b7, 0x4260, 0x81, 0x27, 0xc9, 0xf5, 0xbd, 0xe7, 0xf6, 0x8c)
REELVAULT_WEBVIEW2_IID(ICoreWebView2NavigationStartingEventHandler, 0x9adbe429, 0xf36d, 0x432b, 0x9d, 0xdc, 0xf8, 0x88, 0x1f, 0xbd, 0x76, 0xe3)
REELVAULT_WEBVIEW2_IID(ICoreWebView2NavigationCompletedEventHandler, 0xd33a35bf, 0x1c49, 0x4f98, 0x93, 0xab, 0x00, 0x6e, 0x05, 0x33, 0xfe, 0x1c)
REELVAULT_WEBVIEW2_IID(ICoreWebView2SourceChangedEventHandler, 0x3c067f9f, 0x5388, 0x4772, 0x8b, 0x48, 0x79, 0xf7, 0xef, 0x1a, 0xb3, 0x7c)
REELVAULT_WEBVIEW2_IID(ICoreWebView2HistoryChangedEventHandler, 0xc79a420c, 0xefd9, 0x4058, 0x92, 0x95, 0x3e, 0x8b, 0x4b, 0xca, 0xb6, 0x45)
REELVAULT_WEBVIEW2_IID(ICoreWebView2DocumentTitleChangedEventHandler, 0xf5f2b923, 0x953e, 0x4042, 0x9f, 0x95, 0xf3, 0xa1, 0x18, 0xe1, 0xaf, 0xd4)
REELVAULT_WEBVIEW2_IID(ICoreWebView2StatusBarTextChangedEventHandler, 0xa5e3b0d0, 0x10df, 0x4156, 0xbf, 0xad, 0x3b, 0x43, 0x86, 0x7a, 0xca, 0xc6)
REELVAULT_WEBVIEW2_IID(ICoreWebView2NewWindowRequestedEventHandler, 0xd4c185fe, 0xc81c, 0x4989, 0x97, 0xaf, 0x2d, 0x3f, 0xa7, 0xab, 0x56, 0x51)
REELVAULT_WEBVIEW2_IID(ICoreWebView2ExecuteScriptCompletedHandler, 0x49511172, 0xcc67, 0x4bca, 0x99, 0x23, 0x13, 0x71, 0x12, 0xf4, 0xc4, 0xcc)
REELVAULT_WEBVIEW2_IID(ICoreWebView2CapturePreviewCompletedHandler, 0x697e05e9, 0x3d8f, 0x45fa, 0x96, 0xf4, 0x8f, 0xfe, 0x1e, 0xde, 0xda, 0xf5)

#undef REELVAULT_WEBVIEW2_IID

// Interfaces that only appear as parameters of methods the pane never calls.
struct ICoreWebView2EnvironmentOptions;

struct EventRegistrationToken {
    __int64 value;
};

enum COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT {
    COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_PNG = 0,
    COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_JPEG = 1,
};

// ---- Completion and event handlers: implemented by the pane, Invoke at slot 3 ----

struct ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode, ICoreWebView2Environment* environment) = 0;
};

struct ICoreWebView2CreateCoreWebView2ControllerCompletedHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode, ICoreWebView2Controller* controller) = 0;
};

struct ICoreWebView2NavigationStartingEventHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, ICoreWebView2NavigationStartingEventArgs* args) = 0;
};

struct ICoreWebView2NavigationCompletedEventHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, ICoreWebView2NavigationCompletedEventArgs* args) = 0;
};

struct ICoreWebView2SourceChangedEventHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, ICoreWebView2SourceChangedEventArgs* args) = 0;
};

// The three events below carry no arguments: args is always null.
struct ICoreWebView2HistoryChangedEventHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, IUnknown* args) = 0;
};

struct ICoreWebView2DocumentTitleChangedEventHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, IUnknown* args) = 0;
};

struct ICoreWebView2StatusBarTextChangedEventHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, IUnknown* args) = 0;
};

struct ICoreWebView2NewWindowRequestedEventHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, ICoreWebView2NewWindowRequestedEventArgs* args) = 0;
};

// resultObjectAsJson is the script's result as JSON ("null" for undefined).
struct ICoreWebView2ExecuteScriptCompletedHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode, LPCWSTR resultObjectAsJson) = 0;
};

struct ICoreWebView2CapturePreviewCompletedHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode) = 0;
};

// ---- Event arguments: implemented by the runtime ----

struct ICoreWebView2NavigationStartingEventArgs : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) = 0;                     // 3
    virtual HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL* isUserInitiated) = 0; // 4
    virtual HRESULT STDMETHODCALLTYPE get_IsRedirected(BOOL* isRedirected) = 0;       // 5
    virtual HRESULT STDMETHODCALLTYPE get_RequestHeaders(IUnknown** requestHeaders) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Cancel(BOOL* cancel) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Cancel(BOOL cancel) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_NavigationId(UINT64* navigationId) = 0;
};

struct ICoreWebView2NavigationCompletedEventArgs : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_IsSuccess(BOOL* isSuccess) = 0; // 3
    virtual HRESULT STDMETHODCALLTYPE get_WebErrorStatus(int* webErrorStatus) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_NavigationId(UINT64* navigationId) = 0;
};

struct ICoreWebView2SourceChangedEventArgs : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_IsNewDocument(BOOL* isNewDocument) = 0; // 3
};

struct ICoreWebView2NewWindowRequestedEventArgs : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) = 0; // 3
    virtual HRESULT STDMETHODCALLTYPE put_NewWindow(ICoreWebView2* newWindow) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_NewWindow(ICoreWebView2** newWindow) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Handled(BOOL handled) = 0; // 6
    virtual HRESULT STDMETHODCALLTYPE get_Handled(BOOL* handled) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL* isUserInitiated) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDeferral(IUnknown** deferral) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_WindowFeatures(IUnknown** value) = 0;
};

// ---- The environment, the controller and the view: implemented by the runtime ----

struct ICoreWebView2Environment : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CreateCoreWebView2Controller(
        HWND parentWindow, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) = 0; // 3
};

struct ICoreWebView2Controller : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_IsVisible(BOOL* isVisible) = 0; // 3
    virtual HRESULT STDMETHODCALLTYPE put_IsVisible(BOOL isVisible) = 0;  // 4
    virtual HRESULT STDMETHODCALLTYPE get_Bounds(RECT* bounds) = 0;       // 5
    virtual HRESULT STDMETHODCALLTYPE put_Bounds(RECT bounds) = 0;        // 6
    virtual HRESULT STDMETHODCALLTYPE get_ZoomFactor(double* zoomFactor) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ZoomFactor(double zoomFactor) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_ZoomFactorChanged(IUnknown* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_ZoomFactorChanged(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetBoundsAndZoomFactor(RECT bounds, double zoomFactor) = 0;
    virtual HRESULT STDMETHODCALLTYPE MoveFocus(int reason) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_MoveFocusRequested(IUnknown* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_MoveFocusRequested(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_GotFocus(IUnknown* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_GotFocus(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_LostFocus(IUnknown* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_LostFocus(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_AcceleratorKeyPressed(IUnknown* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_AcceleratorKeyPressed(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ParentWindow(HWND* parentWindow) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ParentWindow(HWND parentWindow) = 0;
    virtual HRESULT STDMETHODCALLTYPE NotifyParentWindowPositionChanged() = 0;
    virtual HRESULT STDMETHODCALLTYPE Close() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_CoreWebView2(ICoreWebView2** coreWebView2) = 0; // 25
};

struct ICoreWebView2 : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_Settings(IUnknown** settings) = 0; // 3
    virtual HRESULT STDMETHODCALLTYPE get_Source(LPWSTR* uri) = 0;           // 4
    virtual HRESULT STDMETHODCALLTYPE Navigate(LPCWSTR uri) = 0;             // 5
    virtual HRESULT STDMETHODCALLTYPE NavigateToString(LPCWSTR htmlContent) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_NavigationStarting(ICoreWebView2NavigationStartingEventHandler* eventHandler,
                                                             EventRegistrationToken* token) = 0; // 7
    virtual HRESULT STDMETHODCALLTYPE remove_NavigationStarting(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_ContentLoading(IUnknown* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_ContentLoading(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_SourceChanged(ICoreWebView2SourceChangedEventHandler* eventHandler,
                                                        EventRegistrationToken* token) = 0; // 11
    virtual HRESULT STDMETHODCALLTYPE remove_SourceChanged(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_HistoryChanged(ICoreWebView2HistoryChangedEventHandler* eventHandler,
                                                         EventRegistrationToken* token) = 0; // 13
    virtual HRESULT STDMETHODCALLTYPE remove_HistoryChanged(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_NavigationCompleted(ICoreWebView2NavigationCompletedEventHandler* eventHandler,
                                                              EventRegistrationToken* token) = 0; // 15
    virtual HRESULT STDMETHODCALLTYPE remove_NavigationCompleted(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_FrameNavigationStarting(IUnknown* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_FrameNavigationStarting(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_FrameNavigationCompleted(IUnknown* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_FrameNavigationCompleted(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_ScriptDialogOpening(IUnknown* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_ScriptDialogOpening(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_PermissionRequested(IUnknown* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_PermissionRequested(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_ProcessFailed(IUnknown* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_ProcessFailed(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddScriptToExecuteOnDocumentCreated(LPCWSTR javaScript, IUnknown* handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveScriptToExecuteOnDocumentCreated(LPCWSTR id) = 0;
    virtual HRESULT STDMETHODCALLTYPE ExecuteScript(LPCWSTR javaScript,
                                                    ICoreWebView2ExecuteScriptCompletedHandler* handler) = 0; // 29
    virtual HRESULT STDMETHODCALLTYPE CapturePreview(COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT imageFormat,
                                                     IStream* imageStream,
                                                     ICoreWebView2CapturePreviewCompletedHandler* handler) = 0; // 30
    virtual HRESULT STDMETHODCALLTYPE Reload() = 0; // 31
    virtual HRESULT STDMETHODCALLTYPE PostWebMessageAsJson(LPCWSTR webMessageAsJson) = 0;
    virtual HRESULT STDMETHODCALLTYPE PostWebMessageAsString(LPCWSTR webMessageAsString) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_WebMessageReceived(IUnknown* handler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_WebMessageReceived(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE CallDevToolsProtocolMethod(LPCWSTR methodName, LPCWSTR parametersAsJson,
                                                                 IUnknown* handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_BrowserProcessId(UINT32* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_CanGoBack(BOOL* canGoBack) = 0;       // 38
    virtual HRESULT STDMETHODCALLTYPE get_CanGoForward(BOOL* canGoForward) = 0; // 39
    virtual HRESULT STDMETHODCALLTYPE GoBack() = 0;                             // 40
    virtual HRESULT STDMETHODCALLTYPE GoForward() = 0;                          // 41
    virtual HRESULT STDMETHODCALLTYPE GetDevToolsProtocolEventReceiver(LPCWSTR eventName, IUnknown** receiver) = 0;
    virtual HRESULT STDMETHODCALLTYPE Stop() = 0; // 43
    virtual HRESULT STDMETHODCALLTYPE add_NewWindowRequested(ICoreWebView2NewWindowRequestedEventHandler* eventHandler,
                                                             EventRegistrationToken* token) = 0; // 44
    virtual HRESULT STDMETHODCALLTYPE remove_NewWindowRequested(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_DocumentTitleChanged(ICoreWebView2DocumentTitleChangedEventHandler* eventHandler,
                                                               EventRegistrationToken* token) = 0; // 46
    virtual HRESULT STDMETHODCALLTYPE remove_DocumentTitleChanged(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DocumentTitle(LPWSTR* title) = 0; // 48
    virtual HRESULT STDMETHODCALLTYPE AddHostObjectToScript(LPCWSTR name, VARIANT* object) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveHostObjectFromScript(LPCWSTR name) = 0;
    virtual HRESULT STDMETHODCALLTYPE OpenDevToolsWindow() = 0;
    virtual HRESULT STDMETHODCALLTYPE add_ContainsFullScreenElementChanged(IUnknown* eventHandler,
                                                                           EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_ContainsFullScreenElementChanged(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ContainsFullScreenElement(BOOL* containsFullScreenElement) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_WebResourceRequested(IUnknown* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_WebResourceRequested(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddWebResourceRequestedFilter(LPCWSTR uri, int resourceContext) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveWebResourceRequestedFilter(LPCWSTR uri, int resourceContext) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_WindowCloseRequested(IUnknown* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_WindowCloseRequested(EventRegistrationToken token) = 0; // 60
};

// ICoreWebView2_2 is asked for by the page capture; its own methods are not called.
struct ICoreWebView2_2 : public ICoreWebView2 {
    virtual HRESULT STDMETHODCALLTYPE add_WebResourceResponseReceived(IUnknown* eventHandler,
                                                                      EventRegistrationToken* token) = 0; // 61
    virtual HRESULT STDMETHODCALLTYPE remove_WebResourceResponseReceived(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE NavigateWithWebResourceRequest(IUnknown* request) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_DOMContentLoaded(IUnknown* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_DOMContentLoaded(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_CookieManager(IUnknown** cookieManager) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Environment(ICoreWebView2Environment** environment) = 0; // 67
};

// The generations between _2 and _12 only hold places in the vtable; their IIDs are
// never asked for.
struct ICoreWebView2_3 : public ICoreWebView2_2 {
    virtual HRESULT STDMETHODCALLTYPE TrySuspend(IUnknown* handler) = 0; // 68
    virtual HRESULT STDMETHODCALLTYPE Resume() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsSuspended(BOOL* isSuspended) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetVirtualHostNameToFolderMapping(LPCWSTR hostName, LPCWSTR folderPath,
                                                                        int accessKind) = 0;
    virtual HRESULT STDMETHODCALLTYPE ClearVirtualHostNameToFolderMapping(LPCWSTR hostName) = 0; // 72
};

struct ICoreWebView2_4 : public ICoreWebView2_3 {
    virtual HRESULT STDMETHODCALLTYPE add_FrameCreated(IUnknown* eventHandler, EventRegistrationToken* token) = 0; // 73
    virtual HRESULT STDMETHODCALLTYPE remove_FrameCreated(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_DownloadStarting(IUnknown* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_DownloadStarting(EventRegistrationToken token) = 0; // 76
};

struct ICoreWebView2_5 : public ICoreWebView2_4 {
    virtual HRESULT STDMETHODCALLTYPE add_ClientCertificateRequested(IUnknown* eventHandler,
                                                                     EventRegistrationToken* token) = 0; // 77
    virtual HRESULT STDMETHODCALLTYPE remove_ClientCertificateRequested(EventRegistrationToken token) = 0; // 78
};

struct ICoreWebView2_6 : public ICoreWebView2_5 {
    virtual HRESULT STDMETHODCALLTYPE OpenTaskManagerWindow() = 0; // 79
};

struct ICoreWebView2_7 : public ICoreWebView2_6 {
    virtual HRESULT STDMETHODCALLTYPE PrintToPdf(LPCWSTR resultFilePath, IUnknown* printSettings,
                                                 IUnknown* handler) = 0; // 80
};

struct ICoreWebView2_8 : public ICoreWebView2_7 {
    virtual HRESULT STDMETHODCALLTYPE add_IsMutedChanged(IUnknown* eventHandler, EventRegistrationToken* token) = 0; // 81
    virtual HRESULT STDMETHODCALLTYPE remove_IsMutedChanged(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsMuted(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsMuted(BOOL value) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_IsDocumentPlayingAudioChanged(IUnknown* eventHandler,
                                                                        EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_IsDocumentPlayingAudioChanged(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsDocumentPlayingAudio(BOOL* value) = 0; // 87
};

struct ICoreWebView2_9 : public ICoreWebView2_8 {
    virtual HRESULT STDMETHODCALLTYPE add_IsDefaultDownloadDialogOpenChanged(IUnknown* handler,
                                                                             EventRegistrationToken* token) = 0; // 88
    virtual HRESULT STDMETHODCALLTYPE remove_IsDefaultDownloadDialogOpenChanged(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsDefaultDownloadDialogOpen(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE OpenDefaultDownloadDialog() = 0;
    virtual HRESULT STDMETHODCALLTYPE CloseDefaultDownloadDialog() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DefaultDownloadDialogCornerAlignment(int* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_DefaultDownloadDialogCornerAlignment(int value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DefaultDownloadDialogMargin(POINT* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_DefaultDownloadDialogMargin(POINT value) = 0; // 96
};

struct ICoreWebView2_10 : public ICoreWebView2_9 {
    virtual HRESULT STDMETHODCALLTYPE add_BasicAuthenticationRequested(IUnknown* eventHandler,
                                                                       EventRegistrationToken* token) = 0; // 97
    virtual HRESULT STDMETHODCALLTYPE remove_BasicAuthenticationRequested(EventRegistrationToken token) = 0; // 98
};

struct ICoreWebView2_11 : public ICoreWebView2_10 {
    virtual HRESULT STDMETHODCALLTYPE CallDevToolsProtocolMethodForSession(LPCWSTR sessionId, LPCWSTR methodName,
                                                                           LPCWSTR parametersAsJson,
                                                                           IUnknown* handler) = 0; // 99
    virtual HRESULT STDMETHODCALLTYPE add_ContextMenuRequested(IUnknown* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_ContextMenuRequested(EventRegistrationToken token) = 0; // 101
};

struct ICoreWebView2_12 : public ICoreWebView2_11 {
    virtual HRESULT STDMETHODCALLTYPE add_StatusBarTextChanged(ICoreWebView2StatusBarTextChangedEventHandler* eventHandler,
                                                               EventRegistrationToken* token) = 0; // 102
    virtual HRESULT STDMETHODCALLTYPE remove_StatusBarTextChanged(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_StatusBarText(LPWSTR* value) = 0; // 104
};

// ---- The loader library's entry points, looked up by name ----

using CreateCoreWebView2EnvironmentWithOptionsFunction = HRESULT(STDMETHODCALLTYPE*)(
    PCWSTR browserExecutableFolder, PCWSTR userDataFolder, ICoreWebView2EnvironmentOptions* environmentOptions,
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* environmentCreatedHandler);
// The version string is allocated by the loader and freed by the caller with CoTaskMemFree.
using GetAvailableCoreWebView2BrowserVersionStringFunction = HRESULT(STDMETHODCALLTYPE*)(PCWSTR browserExecutableFolder,
                                                                                          LPWSTR* versionInfo);
