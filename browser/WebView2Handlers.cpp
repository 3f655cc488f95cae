#include "browser/WebView2Handlers.h"

HRESULT STDMETHODCALLTYPE ScriptDoneHandler_CL::Invoke(HRESULT, LPCWSTR) { return S_OK; }

std::wstring TakeWebView2String(LPWSTR text)
{
    if (!text) return L"";
    std::wstring copy(text);
    CoTaskMemFree(text);
    return copy;
}
