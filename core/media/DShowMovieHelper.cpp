#include "core/media/DShowMovieHelper.h"

#include <vector>

#include "core/media/ComAdopt.h"
#include "core/media/DShowGuids.h"
#include "core/media/DShowSampleRenderer.h"
#include "core/media/MediaType.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr const wchar_t* kVideoRendererName = L"Video Renderer";
constexpr const wchar_t* kAudioRendererName = L"Default DirectSound Device";
constexpr const wchar_t* kSplitterNames[] = {L"Avi Splitter", L"MPEG-I Stream Splitter", L"MPEG-2 Demultiplexer"};
constexpr DWORD kInProcess = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER;

bool IsSplitterName(const std::wstring& name)
{
    for (const wchar_t* splitter : kSplitterNames)
        if (name == splitter) return true;
    return false;
}

}  // namespace

std::vector<ComPtr<IPin>> ListPins(IBaseFilter* filter)
{
    std::vector<ComPtr<IPin>> pins;
    ComPtr<IEnumPins> pinEnum;
    if (!filter || FAILED(filter->EnumPins(&pinEnum))) return pins;
    ComPtr<IPin> pin;
    while (pinEnum->Next(1, pin.ReleaseAndGetAddressOf(), nullptr) == S_OK) pins.push_back(pin);
    return pins;
}

ComPtr<IBaseFilter> OwnerOf(IPin* pin)
{
    ComPtr<IBaseFilter> owner;
    PIN_INFO info{};
    if (pin && SUCCEEDED(pin->QueryPinInfo(&info))) owner = AdoptCom(info.pFilter);
    return owner;
}

IPin* GetFirstPin(IBaseFilter* filter, PIN_DIRECTION direction)
{
    for (const auto& pin : ListPins(filter)) {
        PIN_DIRECTION pinDirection;
        if (SUCCEEDED(pin->QueryDirection(&pinDirection)) && pinDirection == direction) {
            pin->AddRef();
            return pin.Get();
        }
    }
    return nullptr;
}

HRESULT FindOutputPinByMajorType(IBaseFilter* filter, IPin** out, GUID majorType)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    for (const auto& pin : ListPins(filter)) {
        PIN_DIRECTION direction;
        if (FAILED(pin->QueryDirection(&direction)) || direction != PINDIR_OUTPUT) continue;
        bool found = majorType == GUID_NULL;
        ComPtr<IEnumMediaTypes> typeEnum;
        if (!found && SUCCEEDED(pin->EnumMediaTypes(&typeEnum))) {
            AM_MEDIA_TYPE* type = nullptr;
            while (!found && typeEnum->Next(1, &type, nullptr) == S_OK) {
                found = type->majortype == majorType;
                DeleteMediaType(type);
            }
        }
        if (found) {
            pin->AddRef();
            *out = pin.Get();
            return S_OK;
        }
    }
    return E_FAIL;
}

DShowMovieHelper_CL::~DShowMovieHelper_CL() { ReleaseGraph(); }

DShowSampleRenderer* DShowMovieHelper_CL::SampleRenderer() const
{
    // The slot holds the filter's only base, so the pointer is the object's own.
    return static_cast<DShowSampleRenderer*>(renderer.Get());
}

void DShowMovieHelper_CL::SetOwnerSlot(size_t index, IUnknown* item)
{
    if (index < kOwnerSlotCount) ownerSlots[index] = item;
}

HRESULT DShowMovieHelper_CL::Initialize(const GUID& videoSubtype)
{
    ReleaseGraph();
    flags = 0;
    text.clear();
    HRESULT result = E_FAIL;

    CoCreateInstance(CLSID_FilterGraph, nullptr, kInProcess, IID_IGraphBuilder,
                     reinterpret_cast<void**>(graph.GetAddressOf()));
    if (graph) {
        if (mode == kModeSampleRenderer) {
            DShowSampleRenderer* created = nullptr;
            result = DShowSampleRenderer::Create(&created);
            if (result == S_OK) {
                renderer = AdoptCom(created);
                grabberFilter = renderer;
            }
        } else {
            CoCreateInstance(CLSID_SampleGrabber, nullptr, kInProcess, IID_IBaseFilter,
                             reinterpret_cast<void**>(grabberFilter.GetAddressOf()));
        }
    }
    if (grabberFilter) {
        if (SUCCEEDED(grabberFilter.As(&grabber))) {
            AM_MEDIA_TYPE type{};
            type.majortype = MEDIATYPE_Video;
            type.subtype = videoSubtype;
            type.formattype = GUID_NULL;
            result = grabber->SetMediaType(&type);
            if (result == S_OK) result = graph->AddFilter(grabberFilter.Get(), L"Sample Grabber");
        } else {
            result = E_FAIL;
        }
        // The owner renders through this interface, so a graph without it is of no use.
        if (FAILED(graph.As(&mediaControl))) result = E_FAIL;
    }
    if (result == S_OK && graph) return S_OK;

    ReleaseGraph();
    text += L"(error)Initialize()";
    return E_FAIL;
}

template <class Visit>
void DShowMovieHelper_CL::ListFilters(Visit visit)
{
    ComPtr<IEnumFilters> filterEnum;
    if (!graph || FAILED(graph->EnumFilters(&filterEnum))) return;
    ComPtr<IBaseFilter> filter;
    while (filterEnum->Next(1, filter.ReleaseAndGetAddressOf(), nullptr) == S_OK) {
        FILTER_INFO info{};
        if (SUCCEEDED(filter->QueryFilterInfo(&info)) && info.pGraph) info.pGraph->Release();
        std::wstring name = info.achName;
        text += L"\t" + name + L"\r\n";
        if (visit(filter.Get(), name)) break;
    }
}

bool DShowMovieHelper_CL::HasVideoRenderer()
{
    bool found = false;
    ListFilters([&](IBaseFilter*, const std::wstring& name) {
        found = name == kVideoRendererName;
        return found;
    });
    return found;
}

HRESULT DShowMovieHelper_CL::AddNullRenderer(const wchar_t* name, ComPtr<IBaseFilter>& out)
{
    HRESULT hr = CoCreateInstance(CLSID_NullRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                  reinterpret_cast<void**>(out.ReleaseAndGetAddressOf()));
    if (FAILED(hr)) return hr;
    hr = graph->AddFilter(out.Get(), name);
    if (FAILED(hr)) out.Reset();
    return hr;
}

HRESULT DShowMovieHelper_CL::EditFilterGraphToVideo()
{
    text += L"■EditFilterGraphToVideo()\r\n";
    if (!graph) {
        text += L"\r\n\r\n";
        return E_FAIL;
    }
    {
        // Left unconnected: it only has to be in the graph.
        ComPtr<IBaseFilter> nullRenderer;
        AddNullRenderer(L"NullRenderer-Video", nullRenderer);
    }
    bool hasVideoRenderer = false;
    ListFilters([&](IBaseFilter*, const std::wstring& name) {
        if (name == kVideoRendererName) hasVideoRenderer = true;
        return false;
    });

    HRESULT result = E_FAIL;
    if (mode != kModeSampleRenderer && !hasVideoRenderer) {
        flags |= kFlagNoVideoRenderer;
    } else {
        ComPtr<IPin> input;
        input = AdoptCom(GetFirstPin(grabberFilter.Get(), PINDIR_INPUT));
        ComPtr<IPin> peer;
        if (input) result = input->ConnectedTo(&peer);
        if (result == S_OK && mode != kModeSampleRenderer) {
            ComPtr<IPin> output;
            output = AdoptCom(GetFirstPin(grabberFilter.Get(), PINDIR_OUTPUT));
            result = output ? output->ConnectedTo(peer.ReleaseAndGetAddressOf()) : E_FAIL;
        }
    }
    text += L"\r\n\r\n";
    return result;
}

HRESULT DShowMovieHelper_CL::EditFilterGraphToAudio()
{
    text += L"■EditFilterGraphToAudio()\r\n";
    if (!graph) {
        text += L"\r\n\r\n";
        return S_OK;
    }
    ComPtr<IBaseFilter> nullRenderer;
    AddNullRenderer(L"NullRenderer-Audio", nullRenderer);

    ComPtr<IBaseFilter> audioRenderer;
    ComPtr<IBaseFilter> splitter;
    ListFilters([&](IBaseFilter* filter, const std::wstring& name) {
        if (name == kAudioRendererName) {
            audioRenderer = filter;
        } else if (IsSplitterName(name)) {
            splitter = filter;
        }
        return false;
    });

    // The pin whose stream is to end in the null renderer; null leaves the graph as it was.
    ComPtr<IPin> source;
    if (audioRenderer && splitter) {
        ComPtr<IPin> output;
        ComPtr<IPin> peer;
        if (FindOutputPinByMajorType(splitter.Get(), &output, MEDIATYPE_Audio) == S_OK &&
            output->ConnectedTo(&peer) == S_OK) {
            ComPtr<IBaseFilter> downstream = OwnerOf(peer.Get());
            peer->Disconnect();
            output->Disconnect();
            // The decoder and the audio renderer behind it.
            RemoveFilterChain(downstream.Get());
            source = output;
        }
    } else if (audioRenderer) {
        ComPtr<IPin> input;
        input = AdoptCom(GetFirstPin(audioRenderer.Get(), PINDIR_INPUT));
        ComPtr<IPin> output;
        if (input && input->ConnectedTo(&output) == S_OK) {
            input->Disconnect();
            output->Disconnect();
            graph->RemoveFilter(audioRenderer.Get());
            source = output;
        }
    }
    if (source && nullRenderer) {
        ComPtr<IPin> nullInput;
        nullInput = AdoptCom(GetFirstPin(nullRenderer.Get(), PINDIR_INPUT));
        // Intelligent connect: a decoder may come between them. Silence is all that matters.
        if (nullInput) graph->Connect(source.Get(), nullInput.Get());
    }
    text += L"\r\n\r\n";
    return S_OK;
}

HRESULT DShowMovieHelper_CL::RemoveFilterChain(IBaseFilter* filter)
{
    if (!filter || !graph) return S_OK;
    for (const auto& pin : ListPins(filter)) {
        PIN_DIRECTION direction;
        if (FAILED(pin->QueryDirection(&direction)) || direction != PINDIR_OUTPUT) continue;
        ComPtr<IPin> peer;
        if (pin->ConnectedTo(&peer) != S_OK) continue;
        ComPtr<IBaseFilter> downstream = OwnerOf(peer.Get());
        pin->Disconnect();
        peer->Disconnect();
        RemoveFilterChain(downstream.Get());
    }
    graph->RemoveFilter(filter);
    return S_OK;
}

void DShowMovieHelper_CL::CutBranchesBesideGrabber()
{
    text += L"■CutBranchesBesideGrabber()\r\n";
    ComPtr<IPin> input;
    input = AdoptCom(GetFirstPin(grabberFilter.Get(), PINDIR_INPUT));
    // Up the video chain (decoder, splitter, source); a chain longer than this is not a movie's.
    for (int hop = 0; input && graph && hop < 16; ++hop) {
        ComPtr<IPin> videoOut;
        if (input->ConnectedTo(&videoOut) != S_OK) break;
        ComPtr<IBaseFilter> upstream = OwnerOf(videoOut.Get());
        for (const auto& pin : ListPins(upstream.Get())) {
            PIN_DIRECTION direction;
            // MinGW's ComPtr == does not compare the pointers held, so they are compared here.
            if (pin.Get() == videoOut.Get() || FAILED(pin->QueryDirection(&direction)) || direction != PINDIR_OUTPUT) continue;
            ComPtr<IPin> peer;
            if (pin->ConnectedTo(&peer) != S_OK) continue;
            ComPtr<IBaseFilter> branch = OwnerOf(peer.Get());
            FILTER_INFO info{};
            if (branch && SUCCEEDED(branch->QueryFilterInfo(&info)) && info.pGraph) info.pGraph->Release();
            text += L"\t" + std::wstring(info.achName) + L"\r\n";
            pin->Disconnect();
            peer->Disconnect();
            RemoveFilterChain(branch.Get());
        }
        input = AdoptCom(GetFirstPin(upstream.Get(), PINDIR_INPUT));
    }
    text += L"\r\n\r\n";
}

void DShowMovieHelper_CL::ReleaseGraph()
{
    for (auto& slot : ownerSlots) slot.Reset();
    grabber.Reset();
    mediaControl.Reset();
    grabberFilter.Reset();
    renderer.Reset();
    graph.Reset();
}
