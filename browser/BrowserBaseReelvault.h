#pragma once
// The web browser pane beside the movie grid: a "STATIC" host window inside the main window
// in which WebView2 shows the pages, the pane's own back and forward history, its tool bar,
// the fixed search-engine table and the address bar object. WebView2 is loaded at run time;
// without it the pane keeps its bars and only remembers the address it was sent to.
// Everything runs on the user-interface thread; the runtime's completions and events come
// through its message loop. The pane talks back to the main window only by messages.
#include <windows.h>
#include <wrl/client.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "browser/AddressBarReelvault.h"
#include "browser/BrowserHistoryItem.h"
#include "browser/SearchEngineEntry.h"
#include "browser/WebView2Interfaces.h"
#include "ui/widgets/ImageList.h"
#include "ui/widgets/PopupMenu.h"
#include "ui/widgets/ToolBar.h"

namespace Gdiplus {
class Bitmap;
}

class Inifile_CL;
class StatusBar_CL;
class SaveData_CL;

// Who started the navigation under way.
enum HistoryAction : int32_t {
    kHistoryBack = -1,
    kHistoryNone = 0,  // none, or started inside the page
    kHistoryForward = 1,
    kHistoryNavigate = 2,  // started by BrowserBaseReelvault_CL::Navigate
};

// Tool-bar command ids (the drop-down menus of back and forward use the ids above them).
constexpr int kBrowserBackCommand = 0x9600;
constexpr int kBrowserForwardCommand = 0x9700;
constexpr int kBrowserStopCommand = 0x9501;
constexpr int kBrowserReloadCommand = 0x9502;
constexpr int kBrowserHomeCommand = 0x9503;
constexpr int kBrowserInternetOptionsCommand = 0x9504;
constexpr int kBrowserAddFavoriteCommand = 0x9505;
// Posted to the main window after a command; lParam 0 brings the browser tab forward.
constexpr UINT kShowBrowserCommand = 0x9508;
// GoHistory's direction for back; any other value goes forward.
constexpr int kHistoryDirectionBack = 0x10;
constexpr int kHistoryDirectionForward = 0x20;
// The pane's tool bar shares its control id with the application tool bar: the two are
// told apart by window handle.
constexpr int kBrowserToolBarId = 0x5000;
constexpr size_t kBrowserHistoryLimit = 50;

// The text before the first "#", the whole text without one.
std::wstring StripUrlFragment(const std::wstring& url);
// Equal once both lose their fragments; no other normalisation.
bool IsSameUrl(const std::wstring& a, const std::wstring& b);

class BrowserBaseReelvault_CL {
public:
    // Builds the engine table; creates no window. saveData gives the program ini used
    // while no ini is bound (may be null in tests).
    explicit BrowserBaseReelvault_CL(SaveData_CL* saveData = nullptr);
    virtual ~BrowserBaseReelvault_CL();
    BrowserBaseReelvault_CL(const BrowserBaseReelvault_CL&) = delete;
    BrowserBaseReelvault_CL& operator=(const BrowserBaseReelvault_CL&) = delete;

    // Messages of the main window, seen before the main window handles them: the pane's
    // commands and its tool bar's drop-downs. Always 0; the main window goes on with the message.
    virtual LRESULT HandleParentMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    // Builds and tracks the drop-down menu of one tool-bar button (only back and forward have one).
    void ShowDropDownMenu(int command, int x, int y, HWND owner);
    // One owner-drawn item per entry, newest first, with command firstCommand + i.
    void AppendHistoryMenuItems(PopupMenu_CL& menu, const std::vector<BrowserHistoryItem>& entries, int firstCommand,
                                int iconIndex);

    // A 24-bit copy of what the view shows, owned by the caller; null on any failure or when
    // the view does not answer within 5 seconds.
    Gdiplus::Bitmap* CapturePage();

    // The host window, WebView2's creation under way; null when WebView2 cannot be used.
    HWND Create(HWND parent, const std::wstring& toolBarBitmapPath);
    // Only tells the log that the old "backend" values are no longer honoured.
    void ApplyBackendSetting();

    // The pane's tool bar, a child of the rebar.
    HWND CreateToolBar(HWND parent);
    // The address bar, kept by the pane before its controls exist; its window.
    HWND CreateAddressBar(HWND parent, const std::wstring& imagePath);

    // ---- WebView2 host ----
    HWND CreateWebView2Host(HWND parent, const RECT* rectangle, DWORD style);
    HRESULT OnEnvironmentCreated(HRESULT errorCode, ICoreWebView2Environment* createdEnvironment);
    HRESULT OnControllerCreated(HRESULT errorCode, ICoreWebView2Controller* createdController);
    static LRESULT CALLBACK HostWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    // Part 0 of the bound status bar; nothing without one.
    void SetStatusText(const std::wstring& text);

    // ---- History and navigation ----
    // Before the view exists only the last address is kept, and navigated once it does.
    HRESULT Navigate(const std::wstring& url);
    // E_PENDING without a view, S_FALSE when the view cannot move.
    HRESULT GoBack();
    HRESULT GoForward();
    // direction kHistoryDirectionBack or any other value for forward; the sign of count
    // is ignored.
    void GoHistory(int direction, int count);
    void OnNavigationStarting(ICoreWebView2NavigationStartingEventArgs* arguments);
    void OnNavigationCompleted(ICoreWebView2* sender);
    void UpdateHistory(const std::wstring& targetUrl);
    void SetCurrentUrl(const std::wstring& url);
    void RefreshHistory();
    // The back and forward buttons as the lists will be once the navigation under way
    // completes.
    void UpdateToolBarState();
    struct ButtonCounts {
        size_t back;
        size_t forward;
    };
    // The list sizes the buttons show: the lists' as they will be after the navigation
    // under way.
    ButtonCounts PredictButtonCounts() const;

    // Accessors the main window uses.
    HWND GetHostWindow() const { return hostWindow; }
    void SetStatusBar(StatusBar_CL* bar) { statusBar = bar; }
    void SetProgramIni(const Inifile_CL* ini) { boundIni = ini; }
    void SetHomeAddress(const std::wstring& address) { homeUrl = address; }
    AddressBarReelvault_CL* GetAddressBar() const { return addressBar.get(); }
    // The bound ini, else the program ini of the save data; null with neither.
    const Inifile_CL* GetIni() const;

    // ---- Fields (the main window and the tests read some directly) ----
    std::vector<SearchEngineEntry> engineTable;
    ToolBar_CL toolBar;
    std::unique_ptr<AddressBarReelvault_CL> addressBar;
    StatusBar_CL* statusBar = nullptr;  // not owned
    ImageList_CL toolBarImages;
    std::wstring homeUrl;
    int32_t runtimeNoticeShown = 0;
    Microsoft::WRL::ComPtr<ICoreWebView2Environment> environment;
    Microsoft::WRL::ComPtr<ICoreWebView2Controller> controller;
    Microsoft::WRL::ComPtr<ICoreWebView2> view;
    int32_t historyAction = kHistoryNone;
    std::wstring pendingUrl;
    BrowserHistoryItem previousPage;
    int32_t lastNavigationUserInitiated = FALSE;
    int32_t navigationRequested = 0;
    int32_t pendingHistorySteps = 0;
    WNDPROC hostWindowProc = nullptr;
    std::vector<BrowserHistoryItem> forwardList;  // index 0 is the nearest page
    std::vector<BrowserHistoryItem> backList;     // index 0 is the nearest page
    BrowserHistoryItem currentPage;
    HWND hostWindow = nullptr;
    HWND parentWindow = nullptr;
    std::wstring toolBarBitmapPath;
    const Inifile_CL* boundIni = nullptr;
    SaveData_CL* saveData = nullptr;

    // Where the user-data folder comes from; a test replaces it to see the pane go on
    // without one.
    HRESULT(WINAPI* getFolderPath)(HWND, int, HANDLE, DWORD, LPWSTR) = nullptr;
    // What starts the Internet Options control panel; a test sees the request instead.
    HINSTANCE(WINAPI* shellExecute)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT) = nullptr;
    // The texts of the history drop-down's items, kept while the menu points into them.
    std::vector<std::wstring> historyMenuItems;

private:
    void OnToolBarDropDown(const NMTOOLBARW& notice);
    void RunCommand(int command);
    // Shows the one warning box this pane may show, owned by the main window (the log line
    // is the caller's).
    void ShowRuntimeNotice(HWND owner, const wchar_t* text);
    void RegisterEventHandlers();
    // One step back or forward: asks the view whether it can, marks the action, moves.
    HRESULT GoOneStep(HRESULT (STDMETHODCALLTYPE ICoreWebView2::*canGo)(BOOL*),
                      HRESULT (STDMETHODCALLTYPE ICoreWebView2::*go)(), int32_t action);

    // What the registered handlers call; each answers S_OK whatever happened.
    HRESULT OnNavigationStartingEvent(ICoreWebView2* sender, ICoreWebView2NavigationStartingEventArgs* args);
    HRESULT OnNavigationCompletedEvent(ICoreWebView2* sender, ICoreWebView2NavigationCompletedEventArgs* args);
    HRESULT OnSourceChanged(ICoreWebView2* sender, ICoreWebView2SourceChangedEventArgs* args);
    HRESULT OnHistoryChanged(ICoreWebView2* sender, IUnknown* args);
    HRESULT OnDocumentTitleChanged(ICoreWebView2* sender, IUnknown* args);
    HRESULT OnStatusBarTextChanged(ICoreWebView2* sender, IUnknown* args);
    HRESULT OnNewWindowRequested(ICoreWebView2* sender, ICoreWebView2NewWindowRequestedEventArgs* args);
};
