#pragma once
// The browser pane's completion and event handlers: small reference-counted COM objects,
// one per registration, each holding a plain pointer to the pane and the pane operation it
// calls. A handler starts with one reference, which its creator releases once the call
// that registers or starts it has returned; the runtime keeps its own.
#include <windows.h>

#include <atomic>
#include <string>

#include "browser/WebView2Interfaces.h"

class BrowserBaseReelvault_CL;

// The IUnknown part every handler shares: it answers IUnknown and its own interface, and
// starts with one reference.
template <typename Interface>
class WebView2Unknown_CL : public Interface {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, __uuidof(Interface))) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

protected:
    virtual ~WebView2Unknown_CL() = default;

private:
    std::atomic<ULONG> references_{1};
};

template <typename Interface, typename... Args>
class WebView2Handler_CL final : public WebView2Unknown_CL<Interface> {
public:
    using Operation = HRESULT (BrowserBaseReelvault_CL::*)(Args...);

    WebView2Handler_CL(BrowserBaseReelvault_CL* pane, Operation operation) : pane_(pane), operation_(operation) {}

    HRESULT STDMETHODCALLTYPE Invoke(Args... args) override { return (pane_->*operation_)(args...); }

private:
    ~WebView2Handler_CL() override = default;

    BrowserBaseReelvault_CL* pane_;
    Operation operation_;
};

// A handler with its first reference; the caller releases it after registering it.
template <typename Interface, typename... Args>
Interface* NewWebView2Handler(BrowserBaseReelvault_CL* pane, HRESULT (BrowserBaseReelvault_CL::*operation)(Args...))
{
    return new WebView2Handler_CL<Interface, Args...>(pane, operation);
}

// The script completion that waits for nothing.
class ScriptDoneHandler_CL final : public WebView2Unknown_CL<ICoreWebView2ExecuteScriptCompletedHandler> {
public:
    HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode, LPCWSTR resultObjectAsJson) override;

private:
    ~ScriptDoneHandler_CL() override = default;
};

// A string the runtime allocated, freed with CoTaskMemFree; empty when none came.
std::wstring TakeWebView2String(LPWSTR text);
