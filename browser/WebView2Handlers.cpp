#include "browser/WebView2Handlers.h"

HRESULT STDMETHODCALLTYPE ScriptDoneHandler_CL::QueryInterface(REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ICoreWebView2ExecuteScriptCompletedHandler)) {
        *object = static_cast<ICoreWebView2ExecuteScriptCompletedHandler*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE ScriptDoneHandler_CL::AddRef() { return ++references_; }

ULONG STDMETHODCALLTYPE ScriptDoneHandler_CL::Release()
{
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT STDMETHODCALLTYPE ScriptDoneHandler_CL::Invoke(HRESULT, LPCWSTR) { return S_OK; }

std::wstring TakeWebView2String(LPWSTR text)
{
    if (!text) return L"";
    std::wstring copy(text);
    CoTaskMemFree(text);
    return copy;
}
