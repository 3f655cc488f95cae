#pragma once
// The browser pane beside the movie grid. For now it holds its host window, the address it
// was last sent to, the search-engine table and the address bar; the WebView2 runtime joins
// later. The pane talks back to the main window only by messages.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "browser/AddressBarReelvault.h"
#include "browser/SearchEngineEntry.h"

class Inifile_CL;
class StatusBar_CL;

class BrowserBaseReelvault_CL {
public:
    BrowserBaseReelvault_CL() = default;
    virtual ~BrowserBaseReelvault_CL();
    BrowserBaseReelvault_CL(const BrowserBaseReelvault_CL&) = delete;
    BrowserBaseReelvault_CL& operator=(const BrowserBaseReelvault_CL&) = delete;

    // The host window the pages will be shown in: a hidden "STATIC" child of the parent.
    // Null when it could not be made.
    HWND Create(HWND parent, const std::wstring& menuImagePath);
    // The pane's tool bar, a child of the rebar; none yet (null).
    HWND CreateToolBar(HWND rebar);
    // The address bar, kept by the pane, with its controls; returns its window.
    HWND CreateAddressBar(HWND parent, const std::wstring& imagePath);
    // Messages of the main window, seen before the main window handles them. 0: not handled.
    LRESULT HandleParentMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    // Keeps the address as the one shown.
    HRESULT Navigate(const std::wstring& address);
    // Part 0 of the bound status bar; nothing without one.
    void SetStatusText(const std::wstring& text);

    void SetStatusBar(StatusBar_CL* statusBar) { statusBar_ = statusBar; }
    void SetProgramIni(const Inifile_CL* ini) { programIni_ = ini; }
    void SetHomeAddress(const std::wstring& address) { homeAddress_ = address; }

    HWND GetHostWindow() const { return host_; }
    AddressBarReelvault_CL* GetAddressBar() const { return addressBar.get(); }
    const std::wstring& GetCurrentAddress() const { return pendingUrl; }
    const std::wstring& GetHomeAddress() const { return homeAddress_; }

    std::vector<SearchEngineEntry> engineTable = MakeSearchEngineTable();
    std::unique_ptr<AddressBarReelvault_CL> addressBar;
    std::wstring pendingUrl;
    HWND parentWindow = nullptr;

private:
    HWND host_ = nullptr;
    std::wstring menuImagePath_;
    std::wstring homeAddress_;
    StatusBar_CL* statusBar_ = nullptr;
    const Inifile_CL* programIni_ = nullptr;
};
