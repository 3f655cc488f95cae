#pragma once
// The browser pane beside the movie grid. For now it holds its host window, the address it
// was last sent to, and the address bar's histories; the WebView2 runtime joins later. The
// pane talks back to the main window only by messages.
#include <windows.h>

#include <string>

#include "browser/AddressBarReelvault.h"

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
    // The address bar's object; it has no windows yet, so null is returned and the bar
    // keeps its histories in memory and in the ini it is bound to.
    HWND CreateAddressBar(HWND rebar, const std::wstring& imagePath);
    // Messages of the main window, seen before the main window handles them. 0: not handled.
    LRESULT HandleParentMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    // Keeps the address as the one shown.
    void Navigate(const std::wstring& address);

    void SetStatusBar(StatusBar_CL* statusBar) { statusBar_ = statusBar; }
    void SetProgramIni(const Inifile_CL* ini) { programIni_ = ini; }
    void SetHomeAddress(const std::wstring& address) { homeAddress_ = address; }

    HWND GetHostWindow() const { return host_; }
    AddressBarReelvault_CL& GetAddressBar() { return addressBar_; }
    const std::wstring& GetCurrentAddress() const { return currentAddress_; }
    const std::wstring& GetHomeAddress() const { return homeAddress_; }

private:
    HWND host_ = nullptr;
    std::wstring menuImagePath_;
    std::wstring searchImagePath_;
    std::wstring homeAddress_;
    std::wstring currentAddress_;
    StatusBar_CL* statusBar_ = nullptr;
    const Inifile_CL* programIni_ = nullptr;
    AddressBarReelvault_CL addressBar_;
};
