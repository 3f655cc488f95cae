#pragma once
// The ISampleGrabber face of DShowSampleRenderer. Each QueryInterface of the renderer for
// ISampleGrabber makes a new face with a count of its own; a face does not keep the renderer
// alive, so it must not be used after the renderer's graph is released.
#include <windows.h>
#include <dshow.h>
#include <qedit.h>

class DShowSampleRenderer;

class DShowSampleRendererISampleGrabber_CL final : public ISampleGrabber {
public:
    explicit DShowSampleRendererISampleGrabber_CL(DShowSampleRenderer* renderer) : renderer(renderer) {}

    // Always E_FAIL: the face is reached only through the renderer.
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP SetOneShot(BOOL oneShot) override;
    STDMETHODIMP SetMediaType(const AM_MEDIA_TYPE* type) override;
    STDMETHODIMP GetConnectedMediaType(AM_MEDIA_TYPE* type) override;
    STDMETHODIMP SetBufferSamples(BOOL bufferThem) override;
    STDMETHODIMP GetCurrentBuffer(LONG* size, LONG* buffer) override;
    STDMETHODIMP GetCurrentSample(IMediaSample** sample) override;
    STDMETHODIMP SetCallback(ISampleGrabberCB* callback, LONG method) override;

private:
    ~DShowSampleRendererISampleGrabber_CL() = default;

    LONG refCount = 1;
    DShowSampleRenderer* renderer;  // not counted
};
