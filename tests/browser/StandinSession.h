#pragma once
// A host for the stand-in runtime as the browser pane uses it: a window, the loader, the
// environment, the controller and the view, with every event the pane listens to recorded
// in arrival order.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/browser/StandinTestSupport.h"

struct StandinEvent {
    explicit StandinEvent(std::string eventName, std::wstring eventUri = L"")
        : name(std::move(eventName)), uri(std::move(eventUri))
    {
    }
    std::string name;
    std::wstring uri;
    BOOL userInitiated = FALSE;
    BOOL redirected = FALSE;
    BOOL success = FALSE;
    int webErrorStatus = 0;
    bool insideCall = false;  // raised while one of the session's calls was running
};

struct StandinCapture {
    HRESULT call = E_PENDING;        // what CapturePreview returned
    HRESULT completion = E_PENDING;  // what its completion said, E_PENDING when none came
    ComPtr<IStream> stream;
};

class StandinSession {
public:
    explicit StandinSession(const std::wstring& loaderPath = ProgramFolder() + L"\\WebView2Loader.dll");

    // Environment, controller and view, the view sized to the window and shown, the
    // handlers registered; false (with the failing step in FailedStep()) otherwise.
    bool Start();
    const std::string& FailedStep() const { return failedStep_; }

    HRESULT Navigate(const std::wstring& address);
    HRESULT Call(const std::function<HRESULT(ICoreWebView2*)>& call);
    bool WaitForCompletions(size_t count);
    size_t Count(const std::string& name) const;
    std::vector<std::string> Names() const;

    std::wstring Source();
    std::wstring Title();
    bool CanGoBack();
    bool CanGoForward();
    HWND ViewWindow() const;
    // Sends a page action (see StandinCommands.h) to the view's window.
    bool SendPageAction(int command, const std::wstring& text);
    // Waits until everything queued before this call has been delivered: a controller
    // created now completes after it.
    bool Drain();
    // Captures the view into a fresh memory stream and waits for the completion.
    StandinCapture Capture(COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT format);

    HostWindow host{640, 420};
    StandinLoader loader;
    ComPtr<ICoreWebView2Environment> environment;
    ComPtr<ICoreWebView2Controller> controller;
    ComPtr<ICoreWebView2> view;
    std::vector<StandinEvent> events;
    // When set, the NewWindowRequested handler navigates the view to the requested page
    // and marks the request handled, as the pane does.
    bool openNewWindowsInPlace = true;

private:
    void Record(StandinEvent event);
    void RegisterHandlers();

    bool insideCall_ = false;
    std::string failedStep_;
};
