#include "core/media/DShowSampleRendererISampleGrabber.h"

#include "core/media/DShowSampleRenderer.h"
#include "core/media/MediaType.h"

STDMETHODIMP DShowSampleRendererISampleGrabber_CL::QueryInterface(REFIID, void** out)
{
    if (out) *out = nullptr;
    return E_FAIL;
}

STDMETHODIMP_(ULONG) DShowSampleRendererISampleGrabber_CL::AddRef() { return InterlockedIncrement(&refCount); }

STDMETHODIMP_(ULONG) DShowSampleRendererISampleGrabber_CL::Release()
{
    ULONG count = InterlockedDecrement(&refCount);
    if (count == 0) delete this;
    return count;
}

STDMETHODIMP DShowSampleRendererISampleGrabber_CL::SetOneShot(BOOL) { return S_OK; }

STDMETHODIMP DShowSampleRendererISampleGrabber_CL::SetMediaType(const AM_MEDIA_TYPE* type)
{
    if (!type) return E_POINTER;
    DShowSampleRenderer::StateLock_CL lock(renderer);
    renderer->preferredType = *type;
    return S_OK;
}

STDMETHODIMP DShowSampleRendererISampleGrabber_CL::GetConnectedMediaType(AM_MEDIA_TYPE* type)
{
    if (!type) return E_POINTER;
    DShowSampleRenderer::StateLock_CL lock(renderer);
    if (!renderer->connectedType) {
        *type = AM_MEDIA_TYPE{};
        return VFW_E_NOT_CONNECTED;
    }
    return CopyMediaType(type, renderer->connectedType);
}

STDMETHODIMP DShowSampleRendererISampleGrabber_CL::SetBufferSamples(BOOL) { return S_OK; }

STDMETHODIMP DShowSampleRendererISampleGrabber_CL::GetCurrentBuffer(LONG* size, LONG* buffer)
{
    if (!size || !buffer) return E_POINTER;
    *size = renderer->sampleBufferSize;
    *buffer = static_cast<LONG>(reinterpret_cast<INT_PTR>(renderer->sampleBuffer));
    return S_OK;
}

// No sample is kept, so there is none to give; the caller must not find a stale pointer.
STDMETHODIMP DShowSampleRendererISampleGrabber_CL::GetCurrentSample(IMediaSample** sample)
{
    if (!sample) return E_POINTER;
    *sample = nullptr;
    return S_OK;
}

STDMETHODIMP DShowSampleRendererISampleGrabber_CL::SetCallback(ISampleGrabberCB* callback, LONG method)
{
    if (callback) callback->AddRef();
    renderer->callbackLock.Enter();
    ISampleGrabberCB* previous = renderer->callback;
    renderer->callback = callback;
    renderer->callbackMethod = method;
    renderer->callbackLock.Leave();
    if (previous) previous->Release();
    return S_OK;
}
