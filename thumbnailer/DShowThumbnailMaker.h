#pragma once
// Opens one movie and gives one still frame per position. The first route is a DirectShow
// graph ending in the program's own sample renderer; when DirectShow fails or times out on
// a frame, a Media Foundation source reader takes over, and the file stays with Media
// Foundation for the rest of the process (the sticky route).
//
// Every frame returned, from either route, stays the maker's: it is freed at the next
// DecodeFrame, at SetContent, at Close and with the maker.
#include <windows.h>
#include <dshow.h>
#include <gdiplus.h>

#include <cstdint>
#include <memory>
#include <string>

#include "core/media/DShowMovieHelper.h"
#include "thumbnailer/DShowThumbnailMakerSampleGrabber.h"
#include "thumbnailer/MediaFoundationFrameReader.h"

class DShowThumbnailMaker_CL {
public:
    // Result codes of DecodeFrame.
    static constexpr uint32_t kFrameOk = 0;
    static constexpr uint32_t kFrameTimeout = 1;    // DirectShow timed out (the fallback failed too, if tried)
    static constexpr uint32_t kFrameCancelled = 2;  // the cancel event fired during the wait
    static constexpr uint32_t kFrameFailed = 3;     // no graph, no frame after the wait, or the sticky route failed

    // Bounds of both time-out settings, in milliseconds.
    static constexpr int kMinTimeoutMs = 500;
    static constexpr int kMaxTimeoutMs = 600000;

    // `cancelEvent` is the window's; it stays the window's.
    explicit DShowThumbnailMaker_CL(HANDLE cancelEvent);
    virtual ~DShowThumbnailMaker_CL();
    DShowThumbnailMaker_CL(const DShowThumbnailMaker_CL&) = delete;
    DShowThumbnailMaker_CL& operator=(const DShowThumbnailMaker_CL&) = delete;

    // Opens the movie: a paused graph ready for seeks, or, for a file already on the sticky
    // route, a Media Foundation reader. 0 or E_FAIL (the reason is in the log).
    HRESULT SetContent(const std::wstring& path);
    // The frame at `position` (100-ns units), or null with the reason in `result`.
    Gdiplus::Bitmap* DecodeFrame(int64_t position, uint32_t& result);
    // The strip's slot: DirectShow frames come no larger than needed to fill it (the Media
    // Foundation route keeps its own cap). Kept across opens; 0 x 0 for full-size frames.
    void SetSlotSize(int width, int height) { grabber.SetSlotSize(width, height); }
    // Releases the graph, the reader and the frame; the maker can open another movie.
    void Close();

    // 100-ns units; 0 until an open has read it.
    int64_t GetDuration() const { return duration; }
    int GetSourceWidth() const { return sourceWidth; }
    int GetSourceHeight() const { return sourceHeight; }
    const std::wstring& GetPath() const { return moviePath; }
    bool IsStickyLocal() const { return stickyLocal; }

    // The process-wide record of files that needed Media Foundation.
    static bool IsSticky(const std::wstring& path);

    // A time-out setting in milliseconds, clamped to kMinTimeoutMs .. kMaxTimeoutMs.
    static int ReadTimeoutSetting(const wchar_t* key, int defaultValue);

private:
    HRESULT OpenGraph();
    // The movie's source filter, with its pins rendered into the sample renderer only.
    HRESULT RenderToSampleRenderer();
    // Whether the last pause completed, that is its frame went through the grabber, within
    // kPausedFrameWaitMs; false at once on a cancel.
    bool WaitForPausedFrame();
    static constexpr ULONGLONG kPausedFrameWaitMs = 2000;
    // Leaves the graph's audio streams unconnected at the splitter (see the .cpp for why).
    void DetachAudioStreams();
    void ReadSourceSize(const AM_MEDIA_TYPE& connected);
    // The Media Foundation frame at `mfFrame`, opening the reader when needed.
    std::unique_ptr<Gdiplus::Bitmap> DecodeWithMediaFoundation(int64_t mfFrame);
    Gdiplus::Bitmap* KeepFrame(std::unique_ptr<Gdiplus::Bitmap> bitmap);
    Gdiplus::Bitmap* StickyFrame(int64_t position, int64_t mfFrame, bool global, uint32_t& result);
    HRESULT Fail(const wchar_t* text);

    std::wstring moviePath;
    DShowMovieHelper_CL movieHelper;
    Microsoft::WRL::ComPtr<IMediaSeeking> mediaSeeking;
    Microsoft::WRL::ComPtr<IBasicAudio> basicAudio;
    Microsoft::WRL::ComPtr<IMediaEventEx> mediaEvent;
    int64_t duration = 0;
    int sourceWidth = 0;
    int sourceHeight = 0;
    DShowThumbnailMakerSampleGrabber_CL grabber;
    HANDLE cancelEvent;
    // The time-out settings, read once per movie at the open.
    int frameTimeoutMs = 10000;
    int firstFrameTimeoutMs = 30000;
    bool firstFramePending = false;
    bool pausedFrameOnItsWay = false;
    ULONGLONG openTick = 0;
    bool stickyLocal = false;
    MediaFoundationFrameReader_CL mfReader;
    std::unique_ptr<Gdiplus::Bitmap> frame;
};
