#include "core/media/DShowSeekingPassThru.h"

#include "core/media/DShowSampleRenderer.h"
#include "core/media/DShowSampleRendererInputPin.h"

using Microsoft::WRL::ComPtr;

STDMETHODIMP DShowSeekingPassThru_CL::QueryInterface(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    if (iid == IID_IMediaSeeking) {
        *out = static_cast<IMediaSeeking*>(this);
        AddRef();
        return S_OK;
    }
    return owner->QueryInterface(iid, out);
}

STDMETHODIMP_(ULONG) DShowSeekingPassThru_CL::AddRef() { return owner->AddRef(); }

STDMETHODIMP_(ULONG) DShowSeekingPassThru_CL::Release() { return owner->Release(); }

HRESULT DShowSeekingPassThru_CL::Upstream(ComPtr<IMediaSeeking>& out)
{
    ComPtr<IPin> peer = owner->InputPin()->Peer();
    if (!peer) return E_NOTIMPL;
    HRESULT hr = peer.As(&out);
    return FAILED(hr) ? E_NOTIMPL : S_OK;
}

// Each method asks the upstream pin the same question.
#define PASS_THROUGH(call)                  \
    ComPtr<IMediaSeeking> upstream;         \
    HRESULT hr = Upstream(upstream);        \
    if (FAILED(hr)) return hr;              \
    return upstream->call

STDMETHODIMP DShowSeekingPassThru_CL::GetCapabilities(DWORD* capabilities) { PASS_THROUGH(GetCapabilities(capabilities)); }
STDMETHODIMP DShowSeekingPassThru_CL::CheckCapabilities(DWORD* capabilities) { PASS_THROUGH(CheckCapabilities(capabilities)); }
STDMETHODIMP DShowSeekingPassThru_CL::IsFormatSupported(const GUID* format) { PASS_THROUGH(IsFormatSupported(format)); }
STDMETHODIMP DShowSeekingPassThru_CL::QueryPreferredFormat(GUID* format) { PASS_THROUGH(QueryPreferredFormat(format)); }
STDMETHODIMP DShowSeekingPassThru_CL::GetTimeFormat(GUID* format) { PASS_THROUGH(GetTimeFormat(format)); }
STDMETHODIMP DShowSeekingPassThru_CL::IsUsingTimeFormat(const GUID* format) { PASS_THROUGH(IsUsingTimeFormat(format)); }
STDMETHODIMP DShowSeekingPassThru_CL::SetTimeFormat(const GUID* format) { PASS_THROUGH(SetTimeFormat(format)); }
STDMETHODIMP DShowSeekingPassThru_CL::GetDuration(LONGLONG* duration) { PASS_THROUGH(GetDuration(duration)); }
STDMETHODIMP DShowSeekingPassThru_CL::GetStopPosition(LONGLONG* stop) { PASS_THROUGH(GetStopPosition(stop)); }
STDMETHODIMP DShowSeekingPassThru_CL::GetCurrentPosition(LONGLONG* current) { PASS_THROUGH(GetCurrentPosition(current)); }
STDMETHODIMP DShowSeekingPassThru_CL::ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                                                        const GUID* sourceFormat)
{
    PASS_THROUGH(ConvertTimeFormat(target, targetFormat, source, sourceFormat));
}
STDMETHODIMP DShowSeekingPassThru_CL::SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags)
{
    PASS_THROUGH(SetPositions(current, currentFlags, stop, stopFlags));
}
STDMETHODIMP DShowSeekingPassThru_CL::GetPositions(LONGLONG* current, LONGLONG* stop) { PASS_THROUGH(GetPositions(current, stop)); }
STDMETHODIMP DShowSeekingPassThru_CL::GetAvailable(LONGLONG* earliest, LONGLONG* latest) { PASS_THROUGH(GetAvailable(earliest, latest)); }
STDMETHODIMP DShowSeekingPassThru_CL::SetRate(double rate) { PASS_THROUGH(SetRate(rate)); }
STDMETHODIMP DShowSeekingPassThru_CL::GetRate(double* rate) { PASS_THROUGH(GetRate(rate)); }
STDMETHODIMP DShowSeekingPassThru_CL::GetPreroll(LONGLONG* preroll) { PASS_THROUGH(GetPreroll(preroll)); }

#undef PASS_THROUGH
