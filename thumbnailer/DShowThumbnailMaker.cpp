#include "thumbnailer/DShowThumbnailMaker.h"

#include <dvdmedia.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <vector>

#include "core/base/CriticalSection.h"
#include "core/media/ComAdopt.h"
#include "core/media/MediaType.h"
#include "thumbnailer/StillforgeGlobals.h"

using Microsoft::WRL::ComPtr;

namespace {

// The files that needed Media Foundation, and those of them whose DirectShow open has been
// skipped once already (so that the skip is logged only once). They live until the process
// ends; the decode thread is their only user, the lock only keeps tests honest.
struct StickyFiles {
    CriticalSection_CL lock;
    std::set<std::wstring> sticky;
    std::set<std::wstring> bypassLogged;
};

StickyFiles& Sticky()
{
    static StickyFiles files;
    return files;
}

void AddSticky(const std::wstring& path)
{
    StickyFiles& files = Sticky();
    files.lock.Enter();
    files.sticky.insert(path);
    files.lock.Leave();
}

// True the first time it is called for the path.
bool MarkBypassLogged(const std::wstring& path)
{
    StickyFiles& files = Sticky();
    files.lock.Enter();
    const bool added = files.bypassLogged.insert(path).second;
    files.lock.Leave();
    return added;
}

std::vector<ComPtr<IBaseFilter>> ListFilters(IGraphBuilder* graph)
{
    std::vector<ComPtr<IBaseFilter>> filters;
    ComPtr<IEnumFilters> filterEnum;
    if (!graph || FAILED(graph->EnumFilters(&filterEnum))) return filters;
    ComPtr<IBaseFilter> filter;
    while (filterEnum->Next(1, filter.ReleaseAndGetAddressOf(), nullptr) == S_OK) filters.push_back(filter);
    return filters;
}

// The filter's pins of one direction.
std::vector<ComPtr<IPin>> ListPinsOf(IBaseFilter* filter, PIN_DIRECTION wanted)
{
    std::vector<ComPtr<IPin>> pins;
    for (const auto& pin : ListPins(filter)) {
        PIN_DIRECTION direction;
        if (SUCCEEDED(pin->QueryDirection(&direction)) && direction == wanted) pins.push_back(pin);
    }
    return pins;
}

// True when the pin is connected with an audio type.
bool CarriesAudio(IPin* pin)
{
    AM_MEDIA_TYPE type{};
    if (pin->ConnectionMediaType(&type) != S_OK) return false;
    const bool audio = type.majortype == MEDIATYPE_Audio;
    FreeMediaType(type);
    return audio;
}

}  // namespace

DShowThumbnailMaker_CL::DShowThumbnailMaker_CL(HANDLE cancelEvent)
    : movieHelper(DShowMovieHelper_CL::kModeSampleRenderer), cancelEvent(cancelEvent)
{
}

DShowThumbnailMaker_CL::~DShowThumbnailMaker_CL() { Close(); }

bool DShowThumbnailMaker_CL::IsSticky(const std::wstring& path)
{
    StickyFiles& files = Sticky();
    files.lock.Enter();
    const bool found = files.sticky.count(path) != 0;
    files.lock.Leave();
    return found;
}

int DShowThumbnailMaker_CL::ReadTimeoutSetting(const wchar_t* key, int defaultValue)
{
    const int value = ReadThumbnailSetting(key, defaultValue);
    return std::min(kMaxTimeoutMs, std::max(kMinTimeoutMs, value));
}

HRESULT DShowThumbnailMaker_CL::Fail(const wchar_t* text)
{
    WriteLog(KilnLog, L"%s", text);
    if (!movieHelper.Text().empty()) WriteLog(KilnLog, L"%s", movieHelper.Text().c_str());
    Close();
    return E_FAIL;
}

void DShowThumbnailMaker_CL::Close()
{
    if (mediaEvent) mediaEvent->SetNotifyWindow(0, 0, 0);
    // Stopped before it is let go, so that no streaming thread is left in our callback.
    if (movieHelper.MediaControl()) movieHelper.MediaControl()->Stop();
    if (movieHelper.Grabber()) movieHelper.Grabber()->SetCallback(nullptr, 0);
    grabber.ClearConnectedType();
    mediaEvent.Reset();
    basicAudio.Reset();
    mediaSeeking.Reset();
    movieHelper.ReleaseGraph();
    mfReader.Close();
    frame.reset();
    duration = 0;
    sourceWidth = sourceHeight = 0;
    firstFramePending = false;
    pausedFrameOnItsWay = false;
    openTick = 0;
}

HRESULT DShowThumbnailMaker_CL::SetContent(const std::wstring& path)
{
    Close();
    moviePath = path;
    stickyLocal = false;
    frameTimeoutMs = ReadTimeoutSetting(L"decode_frame_timeout_ms", 10000);
    firstFrameTimeoutMs = ReadTimeoutSetting(L"decode_first_frame_timeout_ms", 30000);
    if (IsSticky(path)) {
        stickyLocal = true;
        if (MarkBypassLogged(path)) {
            WriteLog(KilnLog, L"[LOG_LINE] (decode-route) sticky-mf setcontent-bypass-ds file(%s)", path.c_str());
            WriteLog(DecodeListLog, L"(decode-route) sticky-mf setcontent-bypass-ds file(%s)", path.c_str());
        }
        // No graph is built, but the movie's length and size still come from the media
        // source: Reelvault stores the duration and the positions planned from it for good.
        if (SUCCEEDED(mfReader.Open(path, 0))) {
            duration = mfReader.Duration();
            sourceWidth = mfReader.Width();
            sourceHeight = mfReader.Height();
        }
        return 0;
    }
    WriteLog(KilnLog, L"(file)%s", path.c_str());
    return OpenGraph();
}

void DShowThumbnailMaker_CL::DetachAudioStreams()
{
    // Under Wine's GStreamer splitter every stream comes from one pipeline: while a renderer
    // on the audio branch holds its paused sample, a paused seek may never bring the video
    // frame, and stopping the graph then hangs in the splitter. An audio pin left
    // unconnected is not streamed at all, so each audio stream is cut where it leaves the
    // filter that first puts it out (the splitter), with everything downstream of it.
    std::vector<ComPtr<IPin>> sources;
    for (const auto& filter : ListFilters(movieHelper.Graph())) {
        bool audioComesIn = false;
        for (const auto& input : ListPinsOf(filter.Get(), PINDIR_INPUT))
            if (CarriesAudio(input.Get())) audioComesIn = true;
        if (audioComesIn) continue;
        for (const auto& output : ListPinsOf(filter.Get(), PINDIR_OUTPUT))
            if (CarriesAudio(output.Get())) sources.push_back(output);
    }
    for (const auto& output : sources) {
        ComPtr<IPin> peer;
        if (output->ConnectedTo(&peer) != S_OK) continue;
        ComPtr<IBaseFilter> downstream = OwnerOf(peer.Get());
        output->Disconnect();
        peer->Disconnect();
        movieHelper.RemoveFilterChain(downstream.Get());
        movieHelper.AppendText(L"(audio) detached\r\n");
    }
}

void DShowThumbnailMaker_CL::ReadSourceSize(const AM_MEDIA_TYPE& connected)
{
    int connectedWidth = 0;
    int connectedHeight = 0;
    const BITMAPINFOHEADER* header = nullptr;
    if (connected.pbFormat && connected.formattype == FORMAT_VideoInfo && connected.cbFormat >= sizeof(VIDEOINFOHEADER))
        header = &reinterpret_cast<const VIDEOINFOHEADER*>(connected.pbFormat)->bmiHeader;
    else if (connected.pbFormat && connected.formattype == FORMAT_VideoInfo2 &&
             connected.cbFormat >= sizeof(VIDEOINFOHEADER2))
        header = &reinterpret_cast<const VIDEOINFOHEADER2*>(connected.pbFormat)->bmiHeader;
    if (header && header->biWidth != 0 && header->biHeight != 0) {
        connectedWidth = std::labs(header->biWidth);
        connectedHeight = std::labs(header->biHeight);
    }
    sourceWidth = connectedWidth;
    sourceHeight = connectedHeight;

    bool videoAnswered = false;
    ComPtr<IBasicVideo> basicVideo;
    if (SUCCEEDED(movieHelper.Graph()->QueryInterface(IID_IBasicVideo, reinterpret_cast<void**>(basicVideo.GetAddressOf())))) {
        long width = 0;
        long height = 0;
        if (SUCCEEDED(basicVideo->GetVideoSize(&width, &height)) && width >= 1 && height >= 1) {
            sourceWidth = width;
            sourceHeight = height;
            videoAnswered = true;
        }
    }

    const wchar_t* path = moviePath.c_str();
    if (videoAnswered) {
        for (Logger* log : {&KilnLog, &DecodeListLog})
            WriteLog(*log, L"(decode-route) route=ds setcontent file(%s) source_size=%dx%d connected_size=%dx%d", path,
                     sourceWidth, sourceHeight, connectedWidth, connectedHeight);
    } else if (sourceWidth > 0) {
        for (Logger* log : {&KilnLog, &DecodeListLog})
            WriteLog(*log, L"(decode-route) route=ds setcontent file(%s) source_size=%dx%d", path, sourceWidth,
                     sourceHeight);
    } else {
        for (Logger* log : {&KilnLog, &DecodeListLog})
            WriteLog(*log, L"(decode-route) route=ds setcontent file(%s) source_size=unknown", path);
    }
}

HRESULT DShowThumbnailMaker_CL::RenderToSampleRenderer()
{
    // Rendered into the renderers already in the graph, which is only the sample renderer:
    // the video finds its way there, and no audio decoder and renderer are built only to
    // be cut off again. A pin that reaches no renderer is left as it is.
    IGraphBuilder* graph = movieHelper.Graph();
    ComPtr<IFilterGraph2> builder;
    if (FAILED(graph->QueryInterface(IID_PPV_ARGS(&builder)))) return E_NOINTERFACE;
    ComPtr<IBaseFilter> source;
    HRESULT hr = graph->AddSourceFilter(moviePath.c_str(), L"Source", &source);
    if (FAILED(hr)) return hr;
    hr = VFW_E_CANNOT_RENDER;
    for (const auto& output : ListPinsOf(source.Get(), PINDIR_OUTPUT)) {
        const HRESULT pin = builder->RenderEx(output.Get(), AM_RENDEREX_RENDERTOEXISTINGRENDERERS, nullptr);
        if (SUCCEEDED(pin)) hr = pin;
    }
    return hr;
}

HRESULT DShowThumbnailMaker_CL::OpenGraph()
{
    if (movieHelper.Initialize(MEDIASUBTYPE_YUY2) != S_OK) return Fail(L"SetContent初期化失敗。");

    const HRESULT rendered = RenderToSampleRenderer();
    if (FAILED(rendered)) {
        movieHelper.AppendText(L"(error)RenderFile()\r\n");
        if (!movieHelper.HasVideoRenderer()) return Fail(L"コーデックが存在しないか、非対応ファイルです。");
    }

    IGraphBuilder* graph = movieHelper.Graph();
    graph->QueryInterface(IID_PPV_ARGS(&mediaSeeking));
    graph->QueryInterface(IID_IBasicAudio, reinterpret_cast<void**>(basicAudio.GetAddressOf()));
    if (FAILED(graph->QueryInterface(IID_IMediaEventEx, reinterpret_cast<void**>(mediaEvent.GetAddressOf()))))
        return Fail(L"IMediaEventExの取得失敗");

    if (mediaSeeking) {
        mediaSeeking->SetTimeFormat(&TIME_FORMAT_MEDIA_TIME);
        LONGLONG length = 0;
        if (SUCCEEDED(mediaSeeking->GetDuration(&length)) && length > 0) duration = length;
    }
    movieHelper.Grabber()->SetBufferSamples(TRUE);
    movieHelper.Grabber()->SetCallback(&grabber, 0);

    // Any audio chain that did reach a renderer is cut off at the splitter below; sending it
    // to a null renderer first (as the in-process decoder does) would only build a chain
    // that the cut then takes down again.
    if (movieHelper.EditFilterGraphToVideo() != S_OK) return Fail(L"コーデックが存在しないか、非動画ファイルです。");
    DetachAudioStreams();

    // Without a reference clock a seek delivers its frame at once.
    ComPtr<IMediaFilter> graphFilter;
    if (SUCCEEDED(graph->QueryInterface(IID_PPV_ARGS(&graphFilter)))) graphFilter->SetSyncSource(nullptr);

    AM_MEDIA_TYPE connected{};
    if (FAILED(movieHelper.Grabber()->GetConnectedMediaType(&connected)))
        return Fail(L"(error)GetConnectedMediaType()");
    const bool readable = grabber.SetConnectedType(connected);
    ReadSourceSize(connected);
    FreeMediaType(connected);
    if (!readable) return Fail(L"(error)GetConnectedMediaType()");

    movieHelper.MediaControl()->Run();
    movieHelper.MediaControl()->Pause();
    firstFramePending = true;
    openTick = GetTickCount64();
    pausedFrameOnItsWay = true;
    return 0;
}

Gdiplus::Bitmap* DShowThumbnailMaker_CL::KeepFrame(std::unique_ptr<Gdiplus::Bitmap> bitmap)
{
    frame = std::move(bitmap);
    return frame.get();
}

std::unique_ptr<Gdiplus::Bitmap> DShowThumbnailMaker_CL::DecodeWithMediaFoundation(int64_t mfFrame)
{
    const wchar_t* path = moviePath.c_str();
    WriteLog(KilnLog, L"[LOG_LINE] (mf-fallback) enter frame=%lld file(%s)", mfFrame, path);
    WriteLog(DecodeListLog, L"(mf-fallback) enter frame=%lld file(%s)", mfFrame, path);
    WriteLog(KilnLog, L"[LOG_LINE] (mf-fallback) decoder-rev=%s", MediaFoundationFrameReader_CL::kRevision);
    WriteLog(DecodeListLog, L"(mf-fallback) decoder-rev=%s file(%s)", MediaFoundationFrameReader_CL::kRevision, path);

    std::unique_ptr<Gdiplus::Bitmap> bitmap;
    if (mfReader.IsOpen() || SUCCEEDED(mfReader.Open(moviePath, mfFrame))) {
        // A DirectShow open that failed to read them leaves them to the media source.
        if (duration <= 0) duration = mfReader.Duration();
        if (sourceWidth <= 0 || sourceHeight <= 0) {
            sourceWidth = mfReader.Width();
            sourceHeight = mfReader.Height();
        }
        bitmap = mfReader.ReadFrame(mfFrame, cancelEvent);
    }
    if (bitmap) {
        WriteLog(KilnLog, L"[LOG_LINE] (mf-fallback) exit success frame=%lld file(%s)", mfFrame, path);
    } else {
        WriteLog(KilnLog, L"[LOG_LINE] (mf-fallback) exit fail frame=%lld file(%s)", mfFrame, path);
        WriteLog(DecodeListLog, L"(mf-fallback) exit fail frame=%lld file(%s)", mfFrame, path);
    }
    return bitmap;
}

Gdiplus::Bitmap* DShowThumbnailMaker_CL::StickyFrame(int64_t position, int64_t mfFrame, bool global, uint32_t& result)
{
    const wchar_t* path = moviePath.c_str();
    if (global) {
        WriteLog(KilnLog, L"[LOG_LINE] (mf-fallback) sticky-mf(global) frame=%lld mf_frame=%lld file(%s)", position,
                 mfFrame, path);
        WriteLog(DecodeListLog, L"(mf-fallback) sticky-mf(global) frame=%lld mf_frame=%lld file(%s)", position, mfFrame,
                 path);
    } else {
        WriteLog(KilnLog, L"[LOG_LINE] (mf-fallback) sticky-mf frame=%lld mf_frame=%lld file(%s)", position, mfFrame, path);
        WriteLog(DecodeListLog, L"(mf-fallback) sticky-mf frame=%lld mf_frame=%lld file(%s)", position, mfFrame, path);
    }
    std::unique_ptr<Gdiplus::Bitmap> bitmap = DecodeWithMediaFoundation(mfFrame);
    if (bitmap) {
        result = kFrameOk;
        return KeepFrame(std::move(bitmap));
    }
    result = kFrameFailed;
    if (global) {
        WriteLog(KilnLog, L"[LOG_LINE] (mf-fallback) sticky-mf(global) failed frame=%lld; keep-mf return-null", position);
        WriteLog(DecodeListLog, L"(mf-fallback) sticky-mf(global) failed frame=%lld; keep-mf return-null", position);
    } else {
        WriteLog(KilnLog, L"[LOG_LINE] (mf-fallback) sticky-mf fail; keep-mf return-null frame=%lld file(%s)", position,
                 path);
        WriteLog(DecodeListLog, L"(mf-fallback) sticky-mf fail; keep-mf return-null frame=%lld file(%s)", position, path);
    }
    return nullptr;
}

bool DShowThumbnailMaker_CL::WaitForPausedFrame()
{
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        OAFilterState state = State_Stopped;
        const HRESULT hr = movieHelper.MediaControl()->GetState(20, &state);
        if (hr != VFW_S_STATE_INTERMEDIATE) return hr == S_OK;
        if (cancelEvent && WaitForSingleObject(cancelEvent, 0) == WAIT_OBJECT_0) return false;
        if (GetTickCount64() - start >= kPausedFrameWaitMs) return false;
    }
}

Gdiplus::Bitmap* DShowThumbnailMaker_CL::DecodeFrame(int64_t position, uint32_t& result)
{
    // The previous frame goes now, whichever route made it.
    frame.reset();
    const int64_t mfFrame = position > 0 ? position : 1;
    const wchar_t* path = moviePath.c_str();
    if (IsSticky(moviePath)) return StickyFrame(position, mfFrame, true, result);
    if (stickyLocal) return StickyFrame(position, mfFrame, false, result);

    WriteLog(KilnLog,
             L"[LOG_LINE] (decode-route) decodeframe-enter frame=%lld first=%d sticky_local=%d sticky_global=%d file(%s)",
             position, firstFramePending ? 1 : 0, stickyLocal ? 1 : 0, 0, path);
    if (position == 0) WriteLog(KilnLog, L"[LOG_LINE] (decode-route) warning frame_zero file(%s)", path);

    const int frameTimeout = frameTimeoutMs;
    const int firstTimeout = firstFrameTimeoutMs;
    WriteLog(KilnLog, L"[LOG_LINE] (ini) decode_frame_timeout_ms=%d decode_first_frame_timeout_ms=%d file(%s)",
             frameTimeout, firstTimeout, path);
    WriteLog(DecodeListLog, L"(ini) decode_frame_timeout_ms=%d decode_first_frame_timeout_ms=%d file(%s)", frameTimeout,
             firstTimeout, path);

    // The first frame's wait counts from the end of the open, so that a slow open eats into it.
    const bool first = firstFramePending;
    auto frameWaitMs = [&]() -> DWORD {
        if (!first) return static_cast<DWORD>(frameTimeout);
        if (openTick == 0) return static_cast<DWORD>(firstTimeout);
        const ULONGLONG elapsed = GetTickCount64() - openTick;
        return elapsed >= static_cast<ULONGLONG>(firstTimeout) ? 0 : static_cast<DWORD>(firstTimeout - elapsed);
    };
    DWORD waitMs = frameWaitMs();

    if (!mediaSeeking) {
        result = kFrameFailed;
        WriteLog(KilnLog, L"[LOG_LINE] (decode-route) ds-seek-null frame=%lld file(%s)", position, path);
        WriteLog(DecodeListLog, L"(decode-route) ds-seek-null frame=%lld file(%s)", position, path);
        return nullptr;
    }

    LONGLONG target = position;
    if (pausedFrameOnItsWay) {
        // A pause hands a frame of its own through the grabber, and it may still be on its
        // way; caught by the armed seek it would pass for that seek's frame. The pause is
        // complete once that frame has gone by. When it does not complete soon, a seek left
        // unwatched lets the frame go instead (a seek returns only after the frame on its way
        // has passed), at the price of decoding up to this position twice.
        if (!WaitForPausedFrame()) {
            WriteLog(KilnLog, L"[LOG_LINE] (decode-route) pause-incomplete seek-unwatched frame=%lld file(%s)", position,
                     path);
            mediaSeeking->SetPositions(&target, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
        }
        pausedFrameOnItsWay = false;
        waitMs = frameWaitMs();
    }
    grabber.Arm();
    mediaSeeking->SetPositions(&target, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
    HANDLE handles[2] = {grabber.FrameEvent(), cancelEvent};
    const DWORD handleCount = cancelEvent ? 2 : 1;
    const DWORD waitResult = WaitForMultipleObjectsEx(handleCount, handles, FALSE, waitMs, TRUE);
    std::unique_ptr<Gdiplus::Bitmap> bitmap = grabber.TakeFrame();
    WriteLog(KilnLog, L"[LOG_LINE] (decode-route) ds-wait-end frame=%lld wait_result=%u has_bitmap=%d wait_ms=%u",
             position, static_cast<unsigned>(waitResult), bitmap ? 1 : 0, static_cast<unsigned>(waitMs));
    firstFramePending = false;

    if (bitmap) {
        result = kFrameOk;
        WriteLog(KilnLog, L"[LOG_LINE] (decode-route) route=ds frame=%lld file(%s) source_size=%dx%d", position, path,
                 sourceWidth, sourceHeight);
        WriteLog(DecodeListLog, L"(decode-route) route=ds frame=%lld file(%s) source_size=%dx%d", position, path,
                 sourceWidth, sourceHeight);
        return KeepFrame(std::move(bitmap));
    }
    if (waitResult == WAIT_TIMEOUT) {
        WriteLog(KilnLog, L"(timeout)decode_frame wait %u ms (%s)", static_cast<unsigned>(waitMs),
                 first ? L"first" : L"normal");
        movieHelper.MediaControl()->Stop();
        movieHelper.MediaControl()->Pause();
        pausedFrameOnItsWay = true;
        result = kFrameTimeout;
    } else if (handleCount == 2 && waitResult == WAIT_OBJECT_0 + 1) {
        result = kFrameCancelled;
        WriteLog(KilnLog, L"[LOG_LINE] (decode-route) decodeframe-return-null frame=%lld result=%u file(%s)", position,
                 static_cast<unsigned>(result), path);
        return nullptr;
    } else {
        result = kFrameFailed;
    }

    const int useMediaFoundation = ReadThumbnailSetting(L"decode_use_media_foundation_on_dshow_fail", 1);
    WriteLog(KilnLog,
             L"[LOG_LINE] (ini) decode_use_media_foundation_on_dshow_fail=%d frame=%lld ds_result=%u file(%s)",
             useMediaFoundation, position, static_cast<unsigned>(result), path);
    WriteLog(DecodeListLog, L"(ini) decode_use_media_foundation_on_dshow_fail=%d frame=%lld ds_result=%u file(%s)",
             useMediaFoundation, position, static_cast<unsigned>(result), path);
    if (useMediaFoundation != 0 && !moviePath.empty()) {
        // Close keeps nothing of the movie but its path; the length read at the open stays.
        const int64_t keptDuration = duration;
        const int keptWidth = sourceWidth;
        const int keptHeight = sourceHeight;
        Close();
        duration = keptDuration;
        sourceWidth = keptWidth;
        sourceHeight = keptHeight;
        WriteLog(KilnLog, L"[LOG_LINE] (decode-route) route-switch ds->mf frame=%lld mf_frame=%lld file(%s) ds_released=1",
                 position, mfFrame, path);
        WriteLog(DecodeListLog, L"(decode-route) route-switch ds->mf frame=%lld mf_frame=%lld file(%s) ds_released=1",
                 position, mfFrame, path);
        WriteLog(KilnLog, L"[LOG_LINE] (mf-fallback) start frame=%lld mf_frame=%lld file(%s)", position, mfFrame, path);
        bitmap = DecodeWithMediaFoundation(mfFrame);
        if (bitmap) {
            result = kFrameOk;
            stickyLocal = true;
            AddSticky(moviePath);
            WriteLog(KilnLog, L"[LOG_LINE] (mf-fallback) success frame=%lld file(%s)", position, path);
            return KeepFrame(std::move(bitmap));
        }
        WriteLog(KilnLog, L"[LOG_LINE] (mf-fallback) fail frame=%lld file(%s)", position, path);
    }
    WriteLog(KilnLog, L"[LOG_LINE] (decode-route) decodeframe-return-null frame=%lld result=%u file(%s)", position,
             static_cast<unsigned>(result), path);
    return nullptr;
}
