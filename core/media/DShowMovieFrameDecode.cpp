#include "core/media/DShowMovieFrameDecode.h"

#include <dvdmedia.h>

#include <cstring>
#include <cstdlib>
#include <new>

#include "core/base/Semapho.h"
#include "core/media/DShowMovieFrameDecodeThread.h"
#include "core/media/DShowSampleRenderer.h"
#include "core/media/MediaType.h"
#include "core/media/PixelConversion.h"

using Microsoft::WRL::ComPtr;

namespace {

// How long Open lets the first pause complete, so that its preroll frame has come and gone
// before any request is made. A graph that cannot preroll is still opened; its seeks will tell.
constexpr DWORD kFirstPauseWaitMs = 5000;

}  // namespace

STDMETHODIMP DShowMovieFrameDecode_CL::FrameDecodeSampleGrabberCB::QueryInterface(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_ISampleGrabberCB) {
        *out = static_cast<ISampleGrabberCB*>(this);
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

void DShowMovieFrameDecode_CL::FrameDecodeSampleGrabberCB::BeginRequest()
{
    DiscardFrame();
    accepting = 1;
}

void DShowMovieFrameDecode_CL::FrameDecodeSampleGrabberCB::SetLayout(int32_t frameWidth, int32_t frameHeight,
                                                                    bool frameRgb32)
{
    width = frameWidth;
    height = frameHeight;
    rgb32 = frameRgb32;
}

STDMETHODIMP DShowMovieFrameDecode_CL::FrameDecodeSampleGrabberCB::SampleCB(double, IMediaSample* sample)
{
    // Only the first frame after each seek request counts.
    if (!accepting || frame.load() || !sample) return 0;
    BYTE* data = nullptr;
    const long length = sample->GetActualDataLength();
    if (FAILED(sample->GetPointer(&data)) || !data || length < 1) return 0;
    if (frame.load()) return 0;

    Gdiplus::Bitmap* made = MakeFrame(data, static_cast<size_t>(length));
    Gdiplus::Bitmap* none = nullptr;
    if (made && !frame.compare_exchange_strong(none, made)) delete made;
    // Also without a frame: the waiter then tries again at once instead of sitting out its wait.
    if (frameEvent) SetEvent(frameEvent);
    return 1;
}

Gdiplus::Bitmap* DShowMovieFrameDecode_CL::FrameDecodeSampleGrabberCB::MakeFrame(const BYTE* data, size_t length)
{
    const size_t frameBytes = FrameByteCount(width, height, 4);
    if (frameBytes == 0) return nullptr;
    // The sample must hold the whole frame the format block promised.
    const size_t sampleBytes = rgb32 ? frameBytes : (width % 2 == 0 ? FrameByteCount(width, height, 2) : 0);
    if (sampleBytes == 0 || length < sampleBytes) return nullptr;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    // RGB32 arrives bottom-up; the converted YUY2 rows are written top-down.
    info.bmiHeader.biHeight = rgb32 ? height : -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = static_cast<DWORD>(frameBytes);
    HDC screen = GetDC(nullptr);
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (screen) ReleaseDC(nullptr, screen);
    if (!section) return nullptr;
    bool filled = bits != nullptr;
    if (filled && rgb32) {
        memcpy(bits, data, frameBytes);
    } else if (filled) {
        YuvFrameLayout source;
        source.data = data;
        source.length = length;
        source.stride = width * 2;
        source.width = width;
        source.height = height;
        BgrxTarget target;
        target.data = static_cast<BYTE*>(bits);
        target.stride = width * 4;
        filled = ConvertYuy2ToBgrx(source, target);
    }
    Gdiplus::Bitmap* bitmap = filled ? Gdiplus::Bitmap::FromHBITMAP(section, nullptr) : nullptr;
    DeleteObject(section);
    if (bitmap && bitmap->GetLastStatus() != Gdiplus::Ok) {
        delete bitmap;
        bitmap = nullptr;
    }
    return bitmap;
}

DShowMovieFrameDecode_CL::DShowMovieFrameDecode_CL(const GUID& timeFormat, const GUID& videoSubtype)
    : timeFormat(timeFormat), videoSubtype(videoSubtype), frameEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr))
{
}

DShowMovieFrameDecode_CL::~DShowMovieFrameDecode_CL()
{
    closing = 1;
    // Requests still queued would reach a decoder that is gone.
    WaitForDecodeThread(true);
    Close();
}

void DShowMovieFrameDecode_CL::WaitForDecodeThread(bool dropQueued)
{
    if (!thread) return;
    abandoning = 1;
    WakeWaiter();
    {
        Semapho_CL::Lock_CL decode(thread->decodeLock, Semapho_CL::kWaitLimit);
        if (dropQueued && decode.IsHeld()) {
            Semapho_CL::Lock_CL request(thread->requestLock, Semapho_CL::kWaitLimit);
            if (request.IsHeld()) thread->DropRequests(this);
        }
    }
    abandoning = 0;
}

bool DShowMovieFrameDecode_CL::IsAbandoned() const
{
    return cancelling != 0 || abandoning != 0 || (thread && thread->IsStopping());
}

HRESULT DShowMovieFrameDecode_CL::Open(const std::wstring& path)
{
    Close();
    HRESULT hr = BuildGraph(path);
    return hr == S_OK ? S_OK : E_FAIL;
}

HRESULT DShowMovieFrameDecode_CL::BuildGraph(const std::wstring& path)
{
    if (!frameEvent) return E_FAIL;
    if (helper.Initialize(videoSubtype) != S_OK) return E_FAIL;

    BSTR name = SysAllocString(path.c_str());
    if (!name) return E_FAIL;
    HRESULT hr = helper.MediaControl()->RenderFile(name);
    SysFreeString(name);
    // A success code other than S_OK (VFW_S_PARTIAL_RENDER: an audio stream with no sound
    // device, say) still rendered what it could; the connection check below decides.
    if (FAILED(hr)) {
        helper.AppendText(L"(error)RenderFile()\r\n");
        if (!helper.HasVideoRenderer()) return E_FAIL;
    }

    IGraphBuilder* graph = helper.Graph();
    ComPtr<IMediaSeeking> seeking;
    ComPtr<IBasicAudio> basicAudio;
    graph->QueryInterface(IID_IMediaSeeking, reinterpret_cast<void**>(seeking.GetAddressOf()));
    graph->QueryInterface(IID_IBasicAudio, reinterpret_cast<void**>(basicAudio.GetAddressOf()));
    graph->QueryInterface(IID_IMediaEventEx, reinterpret_cast<void**>(events.GetAddressOf()));
    if (!seeking) return E_FAIL;
    helper.SetOwnerSlot(kSlotSeeking, seeking.Get());
    helper.SetOwnerSlot(kSlotBasicAudio, basicAudio.Get());

    seeking->SetTimeFormat(&timeFormat);
    LONGLONG length = 0;
    duration = seeking->GetDuration(&length) == S_OK ? length : 0;
    ISampleGrabber* grabber = helper.Grabber();
    grabber->SetBufferSamples(TRUE);
    callback.SetControl(helper.MediaControl(), frameEvent.get());
    if (grabber->SetCallback(&callback, 0) != S_OK) return E_FAIL;
    if (events) events->SetNotifyWindow(reinterpret_cast<OAHWND>(window), WM_GRAPH_NOTIFY, 0);

    if (helper.EditFilterGraphToVideo() != S_OK) return E_FAIL;
    if (helper.EditFilterGraphToAudio() != S_OK) return E_FAIL;
    // Under Wine's GStreamer splitter a paused seek may never deliver the video frame while an
    // audio renderer (the null one included) holds its own paused sample, and Stop then hangs.
    // The frames need no sound, so the audio branch goes altogether.
    helper.CutBranchesBesideGrabber();

    ComPtr<IMediaFilter> graphFilter;
    if (SUCCEEDED(graph->QueryInterface(IID_IMediaFilter, reinterpret_cast<void**>(graphFilter.GetAddressOf()))))
        graphFilter->SetSyncSource(nullptr);

    if (grabber->GetConnectedMediaType(&mediaType) != S_OK) return E_FAIL;
    if (mediaType.formattype != FORMAT_VideoInfo2 || !mediaType.pbFormat ||
        mediaType.cbFormat < sizeof(VIDEOINFOHEADER2)) {
        helper.AppendText(L"(error)GetConnectedMediaType()\r\n");
        return E_FAIL;
    }
    const auto* header = reinterpret_cast<const VIDEOINFOHEADER2*>(mediaType.pbFormat);
    const int32_t width = header->bmiHeader.biWidth;
    const int32_t height = header->bmiHeader.biHeight == INT32_MIN ? 0 : std::abs(header->bmiHeader.biHeight);
    const bool rgb32 = helper.SampleRenderer() && helper.SampleRenderer()->IsRgb32();
    if (FrameByteCount(width, height, 4) == 0 || (!rgb32 && width % 2 != 0)) {
        helper.AppendText(L"(error)frame size\r\n");
        return E_FAIL;
    }
    callback.SetLayout(width, height, rgb32);

    if (FAILED(helper.MediaControl()->Run()) || FAILED(helper.MediaControl()->Pause())) {
        helper.AppendText(L"(error)Pause()\r\n");
        return E_FAIL;
    }
    OAFilterState state = State_Stopped;
    helper.MediaControl()->GetState(kFirstPauseWaitMs, &state);
    return S_OK;
}

void DShowMovieFrameDecode_CL::Close()
{
    if (!closing && thread) {
        // An OnGraphNotify in progress finishes first.
        Semapho_CL::Lock_CL notify(thread->notifyLock, Semapho_CL::kWaitLimit);
    }
    // The decode thread may be seeking in this graph for a request made before a cancel.
    WaitForDecodeThread(false);
    if (events) events->SetNotifyWindow(0, 0, 0);
    if (helper.MediaControl()) helper.MediaControl()->Stop();
    helper.ReleaseGraph();
    events.Reset();
    callback.SetControl(nullptr, nullptr);
    callback.EndRequest();
    callback.DiscardFrame();
    FreeMediaType(mediaType);
    mediaType = AM_MEDIA_TYPE{};
    duration = 0;
}

int64_t DShowMovieFrameDecode_CL::GetDuration(const GUID& format)
{
    auto* seeking = helper.OwnerSlotAs<IMediaSeeking>(kSlotSeeking);
    if (!seeking) return 0;
    seeking->SetTimeFormat(&format);
    LONGLONG length = 0;
    if (seeking->GetDuration(&length) != S_OK) length = 0;
    seeking->SetTimeFormat(&timeFormat);
    return length;
}

Gdiplus::Bitmap* DShowMovieFrameDecode_CL::SeekAndWaitFrame(int64_t position)
{
    auto* seeking = helper.OwnerSlotAs<IMediaSeeking>(kSlotSeeking);
    callback.BeginRequest();
    ResetEvent(frameEvent.get());
    Gdiplus::Bitmap* frame = nullptr;
    for (int attempt = 0; seeking && !frame && attempt < kSeekAttempts && !IsAbandoned(); ++attempt) {
        LONGLONG at = position;
        if (seeking->SetPositions(&at, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning) != S_OK)
            continue;
        WaitForSingleObject(frameEvent.get(), kFrameWaitMs);
        frame = callback.TakeFrame();
    }
    // A frame that still comes stays held until the next request or Close frees it.
    callback.EndRequest();
    return frame;
}

uint32_t DShowMovieFrameDecode_CL::RequestFrame(int64_t position, int32_t userValue, int32_t atFront)
{
    if (!thread || thread->IsStopping() || cancelling != 0) return DShowMovieFrameDecodeThread_CL::kNoRequest;
    auto* item = new (std::nothrow) DecodoRequestItem_CL(this, userValue, position);
    if (!item) return DShowMovieFrameDecodeThread_CL::kNoRequest;
    return thread->QueueRequest(item, atFront);
}

void DShowMovieFrameDecode_CL::OnGraphNotify()
{
    if (!events) return;
    auto drain = [this] {
        long code = 0;
        LONG_PTR param1 = 0;
        LONG_PTR param2 = 0;
        while (events && events->GetEvent(&code, &param1, &param2, 0) == S_OK)
            events->FreeEventParams(code, param1, param2);
    };
    if (!thread) {
        drain();
        return;
    }
    Semapho_CL::Lock_CL notify(thread->notifyLock, Semapho_CL::kWaitLimit);
    if (notify.IsHeld()) drain();
}
