#include "core/media/DShowSampleRendererInputPin.h"

#include <cwchar>

#include "core/media/DShowEnumMediaTypes.h"
#include "core/media/DShowSampleRenderer.h"
#include "core/media/MediaType.h"

using Microsoft::WRL::ComPtr;

DShowSampleRendererInputPin_CL::DShowSampleRendererInputPin_CL(DShowSampleRenderer* filter) : owner(filter) {}

DShowSampleRendererInputPin_CL::~DShowSampleRendererInputPin_CL() { FreeMediaType(connectionType); }

STDMETHODIMP DShowSampleRendererInputPin_CL::QueryInterface(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IPin) {
        *out = static_cast<IPin*>(this);
    } else if (iid == IID_IMemInputPin) {
        *out = static_cast<IMemInputPin*>(this);
    } else {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) DShowSampleRendererInputPin_CL::AddRef() { return owner->AddRef(); }

STDMETHODIMP_(ULONG) DShowSampleRendererInputPin_CL::Release() { return owner->Release(); }

// An input pin waits to be connected by an output pin.
STDMETHODIMP DShowSampleRendererInputPin_CL::Connect(IPin*, const AM_MEDIA_TYPE*) { return E_UNEXPECTED; }

STDMETHODIMP DShowSampleRendererInputPin_CL::ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type)
{
    if (!connector || !type) return E_POINTER;
    DShowSampleRenderer::StateLock_CL lock(owner);
    if (peer) return VFW_E_ALREADY_CONNECTED;
    if (owner->State() != State_Stopped) return VFW_E_NOT_STOPPED;
    PIN_DIRECTION direction = PINDIR_INPUT;
    if (FAILED(connector->QueryDirection(&direction)) || direction != PINDIR_OUTPUT) return VFW_E_INVALID_DIRECTION;
    if (owner->CheckMediaType(type) != S_OK) return VFW_E_TYPE_NOT_ACCEPTED;
    AM_MEDIA_TYPE copy{};
    if (FAILED(CopyMediaType(&copy, type))) return E_OUTOFMEMORY;
    if (owner->SetMediaType(type) != S_OK) {
        FreeMediaType(copy);
        return VFW_E_TYPE_NOT_ACCEPTED;
    }
    FreeMediaType(connectionType);
    connectionType = copy;
    peer = connector;
    return S_OK;
}

STDMETHODIMP DShowSampleRendererInputPin_CL::Disconnect()
{
    DShowSampleRenderer::StateLock_CL lock(owner);
    if (!peer) return S_FALSE;
    if (owner->State() != State_Stopped) return VFW_E_NOT_STOPPED;
    peer.Reset();
    allocator.Reset();
    FreeMediaType(connectionType);
    connectionType = AM_MEDIA_TYPE{};
    return S_OK;
}

STDMETHODIMP DShowSampleRendererInputPin_CL::ConnectedTo(IPin** out)
{
    if (!out) return E_POINTER;
    DShowSampleRenderer::StateLock_CL lock(owner);
    *out = peer.Get();
    if (!*out) return VFW_E_NOT_CONNECTED;
    (*out)->AddRef();
    return S_OK;
}

STDMETHODIMP DShowSampleRendererInputPin_CL::ConnectionMediaType(AM_MEDIA_TYPE* type)
{
    if (!type) return E_POINTER;
    DShowSampleRenderer::StateLock_CL lock(owner);
    if (!peer) {
        *type = AM_MEDIA_TYPE{};
        return VFW_E_NOT_CONNECTED;
    }
    return CopyMediaType(type, &connectionType);
}

STDMETHODIMP DShowSampleRendererInputPin_CL::QueryPinInfo(PIN_INFO* info)
{
    if (!info) return E_POINTER;
    info->pFilter = owner;
    owner->AddRef();
    info->dir = PINDIR_INPUT;
    wcscpy_s(info->achName, MAX_PIN_NAME, L"Input");
    return S_OK;
}

STDMETHODIMP DShowSampleRendererInputPin_CL::QueryDirection(PIN_DIRECTION* direction)
{
    if (!direction) return E_POINTER;
    *direction = PINDIR_INPUT;
    return S_OK;
}

STDMETHODIMP DShowSampleRendererInputPin_CL::QueryId(LPWSTR* id)
{
    if (!id) return E_POINTER;
    size_t bytes = (wcslen(kPinId) + 1) * sizeof(wchar_t);
    *id = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    if (!*id) return E_OUTOFMEMORY;
    CopyMemory(*id, kPinId, bytes);
    return S_OK;
}

STDMETHODIMP DShowSampleRendererInputPin_CL::QueryAccept(const AM_MEDIA_TYPE* type)
{
    if (!type) return E_POINTER;
    return owner->CheckMediaType(type) == S_OK ? S_OK : S_FALSE;
}

// The renderer proposes nothing: the upstream pin offers its own types and the filter picks.
STDMETHODIMP DShowSampleRendererInputPin_CL::EnumMediaTypes(IEnumMediaTypes** out)
{
    return DShowEnumMediaTypes_CL::Create({}, out);
}

STDMETHODIMP DShowSampleRendererInputPin_CL::QueryInternalConnections(IPin**, ULONG*) { return E_NOTIMPL; }

STDMETHODIMP DShowSampleRendererInputPin_CL::EndOfStream() { return owner->EndOfStream(); }

STDMETHODIMP DShowSampleRendererInputPin_CL::BeginFlush() { return owner->BeginFlush(); }

STDMETHODIMP DShowSampleRendererInputPin_CL::EndFlush() { return owner->EndFlush(); }

STDMETHODIMP DShowSampleRendererInputPin_CL::NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) { return S_OK; }

STDMETHODIMP DShowSampleRendererInputPin_CL::GetAllocator(IMemAllocator** out)
{
    if (!out) return E_POINTER;
    DShowSampleRenderer::StateLock_CL lock(owner);
    if (!allocator) {
        HRESULT hr = CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                                      reinterpret_cast<void**>(allocator.GetAddressOf()));
        if (FAILED(hr)) {
            *out = nullptr;
            return hr;
        }
    }
    *out = allocator.Get();
    (*out)->AddRef();
    return S_OK;
}

STDMETHODIMP DShowSampleRendererInputPin_CL::NotifyAllocator(IMemAllocator* chosen, BOOL)
{
    if (!chosen) return E_POINTER;
    DShowSampleRenderer::StateLock_CL lock(owner);
    allocator = chosen;
    return S_OK;
}

STDMETHODIMP DShowSampleRendererInputPin_CL::GetAllocatorRequirements(ALLOCATOR_PROPERTIES*) { return E_NOTIMPL; }

STDMETHODIMP DShowSampleRendererInputPin_CL::Receive(IMediaSample* sample)
{
    if (!sample) return E_POINTER;
    return owner->Receive(sample);
}

STDMETHODIMP DShowSampleRendererInputPin_CL::ReceiveMultiple(IMediaSample** samples, long count, long* processed)
{
    if (!samples || !processed) return E_POINTER;
    HRESULT hr = S_OK;
    *processed = 0;
    while (*processed < count) {
        hr = Receive(samples[*processed]);
        if (hr != S_OK) break;
        ++*processed;
    }
    return hr;
}

// Receive holds the streaming thread while the graph is paused.
STDMETHODIMP DShowSampleRendererInputPin_CL::ReceiveCanBlock() { return S_OK; }

ComPtr<IPin> DShowSampleRendererInputPin_CL::Peer()
{
    DShowSampleRenderer::StateLock_CL lock(owner);
    return peer;
}

bool DShowSampleRendererInputPin_CL::IsConnected()
{
    DShowSampleRenderer::StateLock_CL lock(owner);
    return peer != nullptr;
}
