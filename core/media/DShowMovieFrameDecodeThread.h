#pragma once
// The worker that serves the frame requests of one or two decoders: it seeks, waits for the
// frame, scales it to the target size and posts it to the decoder's window as WM_DECODE_FRAME.
#include <windows.h>
#include <gdiplus.h>

#include <atomic>
#include <cstdint>
#include <list>

#include "core/base/Semapho.h"
#include "core/base/ThreadBase.h"
#include "core/base/ThreadMessages.h"
#include "core/media/DecodoRequestItem.h"

class DShowMovieFrameDecode_CL;

// A decoder's window gets WM_LIST_REFRESH once its requests were dropped: wParam -1,
// lParam the decoder.

class DShowMovieFrameDecodeThread_CL : public ThreadBase_CL {
public:
    // The answer of RequestFrame when the request was not queued.
    static constexpr uint32_t kNoRequest = 0xFFFFFFFF;
    static constexpr int32_t kOwnSize = -1;

    DShowMovieFrameDecodeThread_CL();
    ~DShowMovieFrameDecodeThread_CL() override;

    // Drops every request, ends the thread and waits for it.
    void Stop() override;
    // Drops the queued requests of `decoder` (0: of every decoder). Until the thread has done
    // so that decoder's RequestFrame refuses; its window then gets WM_LIST_REFRESH.
    void Cancel(DShowMovieFrameDecode_CL* decoder);

    // The size of the next results; kOwnSize in either keeps the frame's own size.
    void SetTargetSize(int32_t width, int32_t height)
    {
        targetWidth = width;
        targetHeight = height;
    }
    // The id the next request gets (ids are never 0 nor kNoRequest).
    void SetNextId(uint32_t id);
    bool IsStopping() const { return stopping != 0; }
    Semapho_CL& NotifyLock() { return notifyLock; }

protected:
    uint32_t OnThreadMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    friend class DShowMovieFrameDecode_CL;

    // Called by the decoder's RequestFrame.
    uint32_t QueueRequest(DecodoRequestItem_CL* item, int32_t atFront);
    // Removes `decoder`'s queued requests (all with null) and returns how many went.
    int DropRequests(DShowMovieFrameDecode_CL* decoder);
    void RunFront();
    void CancelRequests(DShowMovieFrameDecode_CL* decoder);
    // Posts TM_RUN when requests wait and none is on its way. Under the request lock.
    void KickIfWaiting();
    // The frame drawn at the target size in the thread's pixel format, or null.
    Gdiplus::Bitmap* ScaleFrame(Gdiplus::Bitmap* frame) const;

    Semapho_CL requestLock;
    Semapho_CL decodeLock;
    Semapho_CL notifyLock;
    int32_t kicked = 0;
    uint32_t nextId = 1;
    std::list<DecodoRequestItem_CL*> queue;
    DecodoRequestItem_CL* current = nullptr;
    int32_t interpolationMode = Gdiplus::InterpolationModeLowQuality;
    int32_t pixelFormat = PixelFormat16bppRGB565;
    std::atomic<int32_t> targetWidth{kOwnSize};
    std::atomic<int32_t> targetHeight{kOwnSize};
    std::atomic<LONG> stopping{0};
};
