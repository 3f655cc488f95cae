#pragma once
// Helpers for the tests that drive the stand-in WebView2 runtime: loading it, handlers made
// from lambdas, a window to host the view, waiting while pumping messages, screenshots.
#include <windows.h>
#include <wrl/client.h>

#include <atomic>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "browser/WebView2Handlers.h"
#include "browser/WebView2Interfaces.h"

using Microsoft::WRL::ComPtr;

// The folder of the test program, where the stand-in loader is built.
std::wstring ProgramFolder();

// The loader library with its two entry points; either is null when the library lacks it.
class StandinLoader {
public:
    explicit StandinLoader(const std::wstring& path);
    ~StandinLoader();
    StandinLoader(const StandinLoader&) = delete;
    StandinLoader& operator=(const StandinLoader&) = delete;

    bool IsLoaded() const { return module_ != nullptr; }
    CreateCoreWebView2EnvironmentWithOptionsFunction create = nullptr;
    GetAvailableCoreWebView2BrowserVersionStringFunction version = nullptr;

private:
    HMODULE module_ = nullptr;
};

// Sets REELVAULT_WEBVIEW_STANDIN for the object's lifetime.
class ScopedStandinSwitches {
public:
    explicit ScopedStandinSwitches(const std::wstring& switches);
    ~ScopedStandinSwitches();
    ScopedStandinSwitches(const ScopedStandinSwitches&) = delete;
    ScopedStandinSwitches& operator=(const ScopedStandinSwitches&) = delete;
};

// A COM handler whose Invoke calls a function; its QueryInterface answers IUnknown and
// its own interface, as the runtime's callers expect.
template <typename Interface, typename... Args>
class LambdaHandler final : public WebView2Unknown_CL<Interface> {
public:
    explicit LambdaHandler(std::function<HRESULT(Args...)> body) : body_(std::move(body)) {}

    HRESULT STDMETHODCALLTYPE Invoke(Args... args) override { return body_(args...); }

private:
    std::function<HRESULT(Args...)> body_;
};

template <typename Interface, typename... Args>
ComPtr<Interface> MakeHandler(std::function<HRESULT(Args...)> body)
{
    ComPtr<Interface> handler;
    *handler.GetAddressOf() = new LambdaHandler<Interface, Args...>(std::move(body));
    return handler;
}

// Dispatches messages until the condition holds; false when it still does not after the
// limit, which is far above any normal wait.
bool PumpUntil(const std::function<bool()>& condition, DWORD limitMs = 60000);

// A top-level window that hosts the view, shown unless asked otherwise (showing one
// costs a wait for the X server).
class HostWindow {
public:
    HostWindow(int width, int height, bool shown = true);
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;
    HWND Get() const { return window_; }
    void Destroy();

private:
    HWND window_ = nullptr;
};

// Writes what the window shows on the screen to a PNG file; folders are created.
bool SaveWindowScreenshot(HWND window, const std::wstring& path);

// A string the runtime allocated, freed with CoTaskMemFree.
std::wstring TakeCoTaskString(LPWSTR text);
std::string Narrow(const std::wstring& text);
// The lines of the stand-in's own log file (narrow text), without their line ends.
std::vector<std::string> ReadStandinLogLines(const std::wstring& path);
