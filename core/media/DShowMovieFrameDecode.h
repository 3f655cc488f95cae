#pragma once
// One movie opened in a paused DirectShow graph that ends in our own sample renderer; each seek
// yields one frame, taken by the sample-grabber callback as a GDI+ bitmap. The owner's window
// thread opens and closes the movie and asks for frames through the decode thread that serves
// this decoder; that thread seeks and waits.
#include <windows.h>
#include <dshow.h>
#include <gdiplus.h>
#include <qedit.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "core/base/ThreadMessages.h"
#include "core/base/UniqueHandle.h"
#include "core/media/DShowMovieHelper.h"

class DShowMovieFrameDecodeThread_CL;

class DShowMovieFrameDecode_CL {
public:
    // A seek is tried this many times, each waiting this long for its frame.
    static constexpr int kSeekAttempts = 3;
    static constexpr DWORD kFrameWaitMs = 10000;
    // Owner slots of the helper.
    static constexpr size_t kSlotSeeking = 0;
    static constexpr size_t kSlotBasicAudio = 1;

    // Part of the decoder and not reference counted. It takes the first frame after each seek
    // request and hands it over through one atomic pointer.
    class FrameDecodeSampleGrabberCB : public ISampleGrabberCB {
    public:
        explicit FrameDecodeSampleGrabberCB(DShowMovieFrameDecode_CL* owner) : owner(owner) {}
        ~FrameDecodeSampleGrabberCB() { DiscardFrame(); }
        FrameDecodeSampleGrabberCB(const FrameDecodeSampleGrabberCB&) = delete;
        FrameDecodeSampleGrabberCB& operator=(const FrameDecodeSampleGrabberCB&) = delete;

        STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
        STDMETHODIMP_(ULONG) AddRef() override { return 1; }
        STDMETHODIMP_(ULONG) Release() override { return 0; }
        // 0 when the sample was not wanted, 1 when a frame was taken or could not be made.
        STDMETHODIMP SampleCB(double sampleTime, IMediaSample* sample) override;
        STDMETHODIMP BufferCB(double, BYTE*, long) override { return 0; }

        // Frames are taken only between these two calls, so that a preroll that arrives after
        // its request gave up does not answer the next one.
        void BeginRequest();
        void EndRequest() { accepting = 0; }
        // The held frame, now the caller's, or null.
        Gdiplus::Bitmap* TakeFrame() { return frame.exchange(nullptr); }
        // Deletes a frame that nobody took.
        void DiscardFrame() { delete TakeFrame(); }

        // The layout of the connection, set by Open before the graph streams.
        void SetLayout(int32_t width, int32_t height, bool rgb32);
        void SetControl(IMediaControl* control, HANDLE event)
        {
            mediaControl = control;
            frameEvent = event;
        }

    private:
        Gdiplus::Bitmap* MakeFrame(const BYTE* data, size_t length);

        DShowMovieFrameDecode_CL* owner;
        std::atomic<Gdiplus::Bitmap*> frame{nullptr};
        std::atomic<LONG> accepting{0};
        int32_t width = 0;
        int32_t height = 0;
        bool rgb32 = false;
        IMediaControl* mediaControl = nullptr;  // not counted
        HANDLE frameEvent = nullptr;            // not owned
    };

    // `videoSubtype` is what the renderer asks of the graph; it takes RGB32 as well.
    explicit DShowMovieFrameDecode_CL(const GUID& timeFormat = TIME_FORMAT_MEDIA_TIME,
                                      const GUID& videoSubtype = MEDIASUBTYPE_YUY2);
    virtual ~DShowMovieFrameDecode_CL();
    DShowMovieFrameDecode_CL(const DShowMovieFrameDecode_CL&) = delete;
    DShowMovieFrameDecode_CL& operator=(const DShowMovieFrameDecode_CL&) = delete;

    // Opens the movie in a paused graph. S_OK or E_FAIL; the helper's text tells why.
    HRESULT Open(const std::wstring& path);
    void Close();
    // In `timeFormat`; the graph goes back to the constructor's format afterwards. 0 when closed.
    int64_t GetDuration(const GUID& timeFormat);
    // Seeks and waits for the frame (decode thread). The caller deletes it; null when none came.
    Gdiplus::Bitmap* SeekAndWaitFrame(int64_t position);
    // Queues a request on the decoder's thread. The request id, or -1 (0xFFFFFFFF) while the
    // request cannot be taken (no thread, or a cancel of this decoder is on its way).
    uint32_t RequestFrame(int64_t position, int32_t userValue, int32_t atFront);
    // Drains the graph's events; the window calls it for WM_GRAPH_NOTIFY.
    void OnGraphNotify();

    void SetThread(DShowMovieFrameDecodeThread_CL* thread) { this->thread = thread; }
    DShowMovieFrameDecodeThread_CL* GetThread() const { return thread; }
    void SetWindow(HWND window) { this->window = window; }
    HWND GetWindow() const { return window; }
    const DShowMovieHelper_CL& Helper() const { return helper; }
    const AM_MEDIA_TYPE& MediaType() const { return mediaType; }
    bool IsOpen() const { return helper.Graph() != nullptr; }

private:
    friend class DShowMovieFrameDecodeThread_CL;

    HRESULT BuildGraph(const std::wstring& path);
    // Waits (bounded) until the decode thread is not working for this decoder, after telling a
    // wait in progress to give up; then removes this decoder's queued requests when `dropQueued`.
    void WaitForDecodeThread(bool dropQueued);
    // True when waiting for a frame is no longer wanted: the decoder is cancelling or closing,
    // or its thread is stopping.
    bool IsAbandoned() const;
    // Wakes a SeekAndWaitFrame in progress so that it sees a cancel at once.
    void WakeWaiter() { SetEvent(frameEvent.get()); }

    DShowMovieHelper_CL helper{DShowMovieHelper_CL::kModeSampleRenderer};
    FrameDecodeSampleGrabberCB callback{this};
    AM_MEDIA_TYPE mediaType{};
    Microsoft::WRL::ComPtr<IMediaEventEx> events;
    DShowMovieFrameDecodeThread_CL* thread = nullptr;
    HWND window = nullptr;
    // Guarded by the thread's request lock.
    int32_t pending = 0;
    // Cancels of this decoder posted and not yet carried out by the thread.
    std::atomic<LONG> cancelling{0};
    // Set while Close or the destructor waits for the decode thread.
    std::atomic<LONG> abandoning{0};
    GUID timeFormat;
    GUID videoSubtype;
    int64_t duration = 0;
    UniqueHandle frameEvent;
    int32_t closing = 0;
};
