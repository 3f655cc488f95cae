#pragma once
// IMediaSeeking of a renderer of the program's own: every call goes to the pin upstream of the
// renderer's input, which is how the filter graph reaches the source's seeking and duration.
#include <windows.h>
#include <dshow.h>
#include <wrl/client.h>

class DShowSampleRenderer;

class DShowSeekingPassThru_CL final : public IMediaSeeking {
public:
    explicit DShowSeekingPassThru_CL(DShowSampleRenderer* owner) : owner(owner) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP GetCapabilities(DWORD* capabilities) override;
    STDMETHODIMP CheckCapabilities(DWORD* capabilities) override;
    STDMETHODIMP IsFormatSupported(const GUID* format) override;
    STDMETHODIMP QueryPreferredFormat(GUID* format) override;
    STDMETHODIMP GetTimeFormat(GUID* format) override;
    STDMETHODIMP IsUsingTimeFormat(const GUID* format) override;
    STDMETHODIMP SetTimeFormat(const GUID* format) override;
    STDMETHODIMP GetDuration(LONGLONG* duration) override;
    STDMETHODIMP GetStopPosition(LONGLONG* stop) override;
    STDMETHODIMP GetCurrentPosition(LONGLONG* current) override;
    STDMETHODIMP ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                                   const GUID* sourceFormat) override;
    STDMETHODIMP SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags) override;
    STDMETHODIMP GetPositions(LONGLONG* current, LONGLONG* stop) override;
    STDMETHODIMP GetAvailable(LONGLONG* earliest, LONGLONG* latest) override;
    STDMETHODIMP SetRate(double rate) override;
    STDMETHODIMP GetRate(double* rate) override;
    STDMETHODIMP GetPreroll(LONGLONG* preroll) override;

private:
    // The upstream pin's IMediaSeeking; E_NOTIMPL while unconnected, which the filter graph
    // reads as "this filter does not seek" rather than as a failure of the whole graph.
    HRESULT Upstream(Microsoft::WRL::ComPtr<IMediaSeeking>& out);

    DShowSampleRenderer* owner;  // not counted: the filter owns this object
};
