#include "core/media/DShowSampleRenderer.h"

#include <cwchar>
#include <new>
#include <vector>

#include "core/media/DShowEnumPins.h"
#include "core/media/DShowGuids.h"
#include "core/media/DShowSampleRendererISampleGrabber.h"
#include "core/media/DShowSampleRendererInputPin.h"
#include "core/media/DShowSeekingPassThru.h"
#include "core/media/MediaType.h"

namespace {

LONG liveRenderers = 0;

}  // namespace

LONG DShowSampleRenderer::LiveCount() { return InterlockedCompareExchange(&liveRenderers, 0, 0); }

DShowSampleRenderer::DShowSampleRenderer()
{
    InitializeConditionVariable(&stateChanged);
    preferredType.subtype = MEDIASUBTYPE_YUY2;
    InterlockedIncrement(&liveRenderers);
}

DShowSampleRenderer::~DShowSampleRenderer()
{
    // The pin goes first: it may still hold the upstream pin and the allocator.
    pin.reset();
    seeking.reset();
    DeleteMediaType(connectedType);
    if (callback) callback->Release();
    if (clock) clock->Release();
    InterlockedDecrement(&liveRenderers);
}

HRESULT DShowSampleRenderer::Create(DShowSampleRenderer** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    auto* filter = new (std::nothrow) DShowSampleRenderer();
    if (!filter) return E_OUTOFMEMORY;
    filter->pin.reset(new (std::nothrow) DShowSampleRendererInputPin_CL(filter));
    filter->seeking.reset(new (std::nothrow) DShowSeekingPassThru_CL(filter));
    if (!filter->pin || !filter->seeking) {
        filter->Release();
        return E_OUTOFMEMORY;
    }
    *out = filter;
    return S_OK;
}

STDMETHODIMP DShowSampleRenderer::QueryInterface(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_ISampleGrabber) {
        // A new face per request, each with its own count; the faces do not hold the filter.
        auto* face = new (std::nothrow) DShowSampleRendererISampleGrabber_CL(this);
        if (!face) return E_OUTOFMEMORY;
        *out = static_cast<ISampleGrabber*>(face);
        return S_OK;
    }
    if (iid == IID_IUnknown || iid == IID_IPersist || iid == IID_IMediaFilter || iid == IID_IBaseFilter) {
        *out = static_cast<IBaseFilter*>(this);
    } else if (iid == IID_IMediaSeeking) {
        *out = static_cast<IMediaSeeking*>(seeking.get());
    } else {
        // The filter graph reads anything but E_NOINTERFACE as a failure of its own call.
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) DShowSampleRenderer::AddRef() { return InterlockedIncrement(&refCount); }

STDMETHODIMP_(ULONG) DShowSampleRenderer::Release()
{
    ULONG count = InterlockedDecrement(&refCount);
    if (count == 0) delete this;
    return count;
}

STDMETHODIMP DShowSampleRenderer::GetClassID(CLSID* classId)
{
    if (!classId) return E_POINTER;
    *classId = CLSID_DShowSampleRenderer;
    return S_OK;
}

FILTER_STATE DShowSampleRenderer::State()
{
    StateLock_CL lock(this);
    return state;
}

STDMETHODIMP DShowSampleRenderer::Stop()
{
    StateLock_CL lock(this);
    state = State_Stopped;
    ready = false;
    endOfStream = false;
    WakeWaiters();
    return S_OK;
}

STDMETHODIMP DShowSampleRenderer::Pause()
{
    StateLock_CL lock(this);
    // Paused again (a graph told to run pauses its filters first and is paused once more
    // before it runs them): the frame already held keeps the pause complete, and no other
    // would come to complete it until a seek or a run.
    if (state != State_Paused) {
        if (state == State_Stopped) endOfStream = false;
        // Without a connection nothing will come to complete the pause, so it is complete now.
        ready = endOfStream || !pin->IsConnected();
        state = State_Paused;
    }
    WakeWaiters();
    return ready ? S_OK : S_FALSE;
}

STDMETHODIMP DShowSampleRenderer::Run(REFERENCE_TIME)
{
    bool complete = false;
    {
        StateLock_CL lock(this);
        if (state == State_Stopped) endOfStream = false;
        state = State_Running;
        complete = endOfStream;
        WakeWaiters();
    }
    // The stream ended while paused: the graph still waits to hear it from every renderer.
    if (complete) NotifyEvent(EC_COMPLETE, S_OK, reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(this)));
    return S_OK;
}

STDMETHODIMP DShowSampleRenderer::GetState(DWORD timeoutMs, FILTER_STATE* out)
{
    if (!out) return E_POINTER;
    StateLock_CL lock(this);
    DWORD start = GetTickCount();
    while (state == State_Paused && !ready) {
        DWORD elapsed = GetTickCount() - start;
        if (timeoutMs != INFINITE && elapsed >= timeoutMs) break;
        DWORD wait = timeoutMs == INFINITE ? INFINITE : timeoutMs - elapsed;
        if (!SleepConditionVariableCS(&stateChanged, &stateLock.section, wait)) break;
    }
    *out = state;
    return state == State_Paused && !ready ? VFW_S_STATE_INTERMEDIATE : S_OK;
}

STDMETHODIMP DShowSampleRenderer::SetSyncSource(IReferenceClock* newClock)
{
    StateLock_CL lock(this);
    if (newClock) newClock->AddRef();
    if (clock) clock->Release();
    clock = newClock;
    return S_OK;
}

STDMETHODIMP DShowSampleRenderer::GetSyncSource(IReferenceClock** out)
{
    if (!out) return E_POINTER;
    StateLock_CL lock(this);
    *out = clock;
    if (clock) clock->AddRef();
    return S_OK;
}

STDMETHODIMP DShowSampleRenderer::EnumPins(IEnumPins** out)
{
    return DShowEnumPins_CL::Create({static_cast<IPin*>(pin.get())}, out);
}

STDMETHODIMP DShowSampleRenderer::FindPin(LPCWSTR id, IPin** out)
{
    if (!id || !out) return E_POINTER;
    if (wcscmp(id, DShowSampleRendererInputPin_CL::kPinId) != 0) {
        *out = nullptr;
        return VFW_E_NOT_FOUND;
    }
    *out = pin.get();
    (*out)->AddRef();
    return S_OK;
}

STDMETHODIMP DShowSampleRenderer::QueryFilterInfo(FILTER_INFO* info)
{
    if (!info) return E_POINTER;
    StateLock_CL lock(this);
    wcsncpy_s(info->achName, MAX_FILTER_NAME, name.c_str(), _TRUNCATE);
    info->pGraph = graph;
    if (graph) graph->AddRef();
    return S_OK;
}

STDMETHODIMP DShowSampleRenderer::JoinFilterGraph(IFilterGraph* newGraph, LPCWSTR newName)
{
    StateLock_CL lock(this);
    graph = newGraph;
    name = newName ? newName : L"";
    eventSink = nullptr;
    IMediaEventSink* sink = nullptr;
    if (graph && SUCCEEDED(graph->QueryInterface(IID_IMediaEventSink, reinterpret_cast<void**>(&sink)))) {
        // A counted reference from a filter to its graph would keep both alive for ever.
        eventSink = sink;
        sink->Release();
    }
    return S_OK;
}

STDMETHODIMP DShowSampleRenderer::QueryVendorInfo(LPWSTR* vendorInfo)
{
    if (vendorInfo) *vendorInfo = nullptr;
    return E_NOTIMPL;
}

void DShowSampleRenderer::NotifyEvent(long code, LONG_PTR param1, LONG_PTR param2)
{
    IMediaEventSink* sink = nullptr;
    {
        StateLock_CL lock(this);
        sink = eventSink;
    }
    if (sink) sink->Notify(code, param1, param2);
}

HRESULT DShowSampleRenderer::CheckMediaType(const AM_MEDIA_TYPE* type)
{
    if (!type) return S_FALSE;
    ULONG headerSize = 0;
    if (type->formattype == FORMAT_VideoInfo) {
        headerSize = sizeof(VIDEOINFOHEADER);
    } else if (type->formattype == FORMAT_VideoInfo2) {
        headerSize = sizeof(VIDEOINFOHEADER2);
    } else {
        return S_FALSE;
    }
    // The block is read as that header when the pin connects.
    if (!type->pbFormat || type->cbFormat < headerSize) return S_FALSE;
    StateLock_CL lock(this);
    if (type->subtype == preferredType.subtype || type->subtype == MEDIASUBTYPE_RGB32) return S_OK;
    return S_FALSE;
}

HRESULT DShowSampleRenderer::SetMediaType(const AM_MEDIA_TYPE* type)
{
    if (!type) return E_POINTER;
    bool videoInfo = type->formattype == FORMAT_VideoInfo;
    bool videoInfo2 = type->formattype == FORMAT_VideoInfo2;
    ULONG headerSize = videoInfo ? sizeof(VIDEOINFOHEADER) : videoInfo2 ? sizeof(VIDEOINFOHEADER2) : 0;
    if (headerSize && (!type->pbFormat || type->cbFormat < headerSize)) return VFW_E_TYPE_NOT_ACCEPTED;

    AM_MEDIA_TYPE* copy = CreateMediaType(type);
    if (!copy) return E_OUTOFMEMORY;
    VIDEOINFOHEADER2 header{};
    bool haveHeader = false;
    if (videoInfo2) {
        CopyMemory(&header, type->pbFormat, sizeof(header));
        haveHeader = true;
    } else if (videoInfo) {
        VIDEOINFOHEADER source;
        CopyMemory(&source, type->pbFormat, sizeof(source));
        header.rcSource = source.rcSource;
        header.rcTarget = source.rcTarget;
        header.dwBitRate = source.dwBitRate;
        header.dwBitErrorRate = source.dwBitErrorRate;
        header.AvgTimePerFrame = source.AvgTimePerFrame;
        header.bmiHeader = source.bmiHeader;
        haveHeader = true;
        // Consumers read one layout whatever the upstream offered.
        auto* block = static_cast<BYTE*>(CoTaskMemAlloc(sizeof(VIDEOINFOHEADER2)));
        if (!block) {
            DeleteMediaType(copy);
            return E_OUTOFMEMORY;
        }
        CopyMemory(block, &header, sizeof(header));
        CoTaskMemFree(copy->pbFormat);
        copy->pbFormat = block;
        copy->cbFormat = sizeof(VIDEOINFOHEADER2);
        copy->formattype = FORMAT_VideoInfo2;
    }

    StateLock_CL lock(this);
    DeleteMediaType(connectedType);
    connectedType = copy;
    if (haveHeader) videoHeader = header;
    // Reset as well as set, so that a later YUY2 connection is not read as RGB32.
    rgb32 = type->subtype == MEDIASUBTYPE_RGB32 ? 1 : 0;
    return S_OK;
}

void DShowSampleRenderer::OnReceiveFirstSample(IMediaSample* sample)
{
    ISampleGrabberCB* target = nullptr;
    callbackLock.Enter();
    target = callback;
    if (target) target->AddRef();
    callbackLock.Leave();
    if (!target) return;
    target->SampleCB(0.0, sample);
    target->Release();
}

HRESULT DShowSampleRenderer::DoRenderSample(IMediaSample*) { return S_OK; }

HRESULT DShowSampleRenderer::Receive(IMediaSample* sample)
{
    {
        StateLock_CL lock(this);
        if (flushing) return S_FALSE;
        if (state == State_Stopped) return VFW_E_WRONG_STATE;
        if (endOfStream) return VFW_E_SAMPLE_REJECTED_EOS;
    }
    // A preroll sample only leads up to the wanted position; it is not a frame to show.
    if (sample->IsPreroll() == S_OK) return S_OK;

    uint32_t flushesBefore = 0;
    {
        StateLock_CL lock(this);
        if (state == State_Running) {
            // Without a reference clock there is nothing to wait for.
            return DoRenderSample(sample);
        }
        flushesBefore = flushCount;
    }
    OnReceiveFirstSample(sample);

    // The pause is complete only once the frame has been handed over: a caller that waits
    // for the paused state and then seeks must not receive this frame as the seek's.
    StateLock_CL lock(this);
    if (state == State_Paused && !flushing && flushCount == flushesBefore) {
        ready = true;
        WakeWaiters();
    }
    // Paused: hold the streaming thread, so that exactly one frame comes per seek, until the
    // graph runs or stops or a seek flushes.
    while (state == State_Paused && !flushing) SleepConditionVariableCS(&stateChanged, &stateLock.section, INFINITE);
    if (state == State_Running && !flushing) return DoRenderSample(sample);
    return S_OK;
}

HRESULT DShowSampleRenderer::EndOfStream()
{
    bool running = false;
    {
        StateLock_CL lock(this);
        if (flushing) return S_OK;
        if (state == State_Stopped) return VFW_E_WRONG_STATE;
        endOfStream = true;
        ready = true;
        running = state == State_Running;
        WakeWaiters();
    }
    if (running) NotifyEvent(EC_COMPLETE, S_OK, reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(this)));
    return S_OK;
}

HRESULT DShowSampleRenderer::BeginFlush()
{
    StateLock_CL lock(this);
    flushing = true;
    ++flushCount;
    endOfStream = false;
    // A paused graph is not paused again until the frame of the new position arrives.
    if (state == State_Paused) ready = false;
    WakeWaiters();
    return S_OK;
}

HRESULT DShowSampleRenderer::EndFlush()
{
    StateLock_CL lock(this);
    flushing = false;
    WakeWaiters();
    return S_OK;
}
