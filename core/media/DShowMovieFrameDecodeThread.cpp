#include "core/media/DShowMovieFrameDecodeThread.h"

#include <memory>

#include "core/base/Log.h"
#include "core/media/DShowMovieFrameDecode.h"

namespace {

uint32_t FollowingId(uint32_t id)
{
    ++id;
    // 0 is no request at all and kNoRequest is RequestFrame's refusal.
    return id == 0 || id == DShowMovieFrameDecodeThread_CL::kNoRequest ? 1 : id;
}

}  // namespace

DShowMovieFrameDecodeThread_CL::DShowMovieFrameDecodeThread_CL()
    : requestLock(L"DShowMovieFrameDecodeThread_CL_RequestData", 0, 1),
      decodeLock(L"DShowMovieFrameDecodeThread_CL_Decode", 0, 2),
      notifyLock(L"DShowMovieFrameDecodeThread_DShowNotify", 1, 3)
{
    SetThreadName(L"DShowMovieFrameDecodeThreadスレッド");
}

DShowMovieFrameDecodeThread_CL::~DShowMovieFrameDecodeThread_CL()
{
    Stop();
    for (auto* item : queue) delete item;
    queue.clear();
}

void DShowMovieFrameDecodeThread_CL::Stop()
{
    if (GetThreadId()) {
        stopping = 1;
        {
            // A wait for a frame gives up at once instead of running out its time.
            Semapho_CL::Lock_CL request(requestLock, Semapho_CL::kWaitLimit);
            if (request.IsHeld() && current) current->decoder->WakeWaiter();
        }
        PostThreadMessageW(GetThreadId(), TM_DECODE_CANCEL, 0, 0);
    }
    ThreadBase_CL::Stop();
}

void DShowMovieFrameDecodeThread_CL::Cancel(DShowMovieFrameDecode_CL* decoder)
{
    if (decoder) {
        ++decoder->cancelling;
        decoder->WakeWaiter();
    } else {
        stopping = 1;
        Semapho_CL::Lock_CL request(requestLock, Semapho_CL::kWaitLimit);
        if (request.IsHeld() && current) current->decoder->WakeWaiter();
    }
    if (!GetThreadId() || !PostThreadMessageW(GetThreadId(), TM_DECODE_CANCEL, 0, reinterpret_cast<LPARAM>(decoder))) {
        // No thread to carry it out: do it here, or the decoder would refuse requests for ever.
        CancelRequests(decoder);
    }
}

void DShowMovieFrameDecodeThread_CL::SetNextId(uint32_t id)
{
    Semapho_CL::Lock_CL request(requestLock, Semapho_CL::kWaitLimit);
    if (request.IsHeld()) nextId = id == 0 || id == kNoRequest ? 1 : id;
}

uint32_t DShowMovieFrameDecodeThread_CL::QueueRequest(DecodoRequestItem_CL* item, int32_t atFront)
{
    Semapho_CL::Lock_CL request(requestLock, Semapho_CL::kWaitLimit);
    if (!request.IsHeld()) {
        delete item;
        return kNoRequest;
    }
    item->id = nextId;
    nextId = FollowingId(nextId);
    if (atFront == 1) {
        queue.push_front(item);
    } else {
        queue.push_back(item);
    }
    ++item->decoder->pending;
    KickIfWaiting();
    return item->id;
}

void DShowMovieFrameDecodeThread_CL::KickIfWaiting()
{
    if (kicked || queue.empty() || !GetThreadId()) return;
    kicked = PostThreadMessageW(GetThreadId(), TM_RUN, 0, 0) ? 1 : 0;
}

int DShowMovieFrameDecodeThread_CL::DropRequests(DShowMovieFrameDecode_CL* decoder)
{
    int dropped = 0;
    for (auto it = queue.begin(); it != queue.end();) {
        DecodoRequestItem_CL* item = *it;
        if (decoder && item->decoder != decoder) {
            ++it;
            continue;
        }
        if (item->decoder->pending > 0) --item->decoder->pending;
        delete item;
        it = queue.erase(it);
        ++dropped;
    }
    return dropped;
}

uint32_t DShowMovieFrameDecodeThread_CL::OnThreadMessage(UINT message, WPARAM, LPARAM lParam)
{
    if (message == TM_RUN) {
        RunFront();
    } else if (message == TM_DECODE_CANCEL) {
        CancelRequests(reinterpret_cast<DShowMovieFrameDecode_CL*>(lParam));
    }
    return 0;
}

void DShowMovieFrameDecodeThread_CL::RunFront()
{
    Semapho_CL::Lock_CL decode(decodeLock, Semapho_CL::kWaitLimit);
    DecodoRequestItem_CL* item = nullptr;
    {
        Semapho_CL::Lock_CL request(requestLock, Semapho_CL::kWaitLimit);
        if (!request.IsHeld()) return;
        kicked = 0;
        // A stop or a cancel of everything is on its way and drops what waits.
        if (stopping) return;
        if (!decode.IsHeld()) {
            // Someone held the decode lock past its limit: come back for the work later.
            KickIfWaiting();
            return;
        }
        if (queue.empty()) return;
        item = queue.front();
        queue.pop_front();
        current = item;
    }

    DShowMovieFrameDecode_CL* decoder = item->decoder;
    Gdiplus::Bitmap* frame = decoder->IsAbandoned() ? nullptr : decoder->SeekAndWaitFrame(item->position);
    bool posted = false;
    if (frame && !decoder->IsAbandoned() && decoder->GetWindow()) {
        item->bitmap = ScaleFrame(frame);
        if (item->bitmap) {
            {
                Semapho_CL::Lock_CL request(requestLock, Semapho_CL::kWaitLimit);
                item->remaining = static_cast<int32_t>(queue.size());
            }
            posted = PostMessageW(decoder->GetWindow(), WM_DECODE_FRAME, item->id, reinterpret_cast<LPARAM>(item));
            if (!posted) {
                delete item->bitmap;
                item->bitmap = nullptr;
            }
        }
    }
    delete frame;
    // The window owns a posted item; one that was not posted is dropped unheard.
    if (!posted) delete item;

    Semapho_CL::Lock_CL request(requestLock, Semapho_CL::kWaitLimit);
    if (!request.IsHeld()) return;
    current = nullptr;
    if (decoder->pending > 0) --decoder->pending;
    // Whoever's requests wait next: one decoder finishing must not stall another's.
    KickIfWaiting();
}

void DShowMovieFrameDecodeThread_CL::CancelRequests(DShowMovieFrameDecode_CL* decoder)
{
    {
        Semapho_CL::Lock_CL decode(decodeLock, Semapho_CL::kWaitLimit);
        Semapho_CL::Lock_CL request(requestLock, Semapho_CL::kWaitLimit);
        if (decode.IsHeld() && request.IsHeld()) {
            DropRequests(decoder);
            if (decoder) decoder->pending = 0;
        }
    }
    if (decoder) {
        if (decoder->GetWindow())
            PostMessageW(decoder->GetWindow(), WM_LIST_REFRESH, static_cast<WPARAM>(-1),
                         reinterpret_cast<LPARAM>(decoder));
        if (decoder->cancelling > 0) --decoder->cancelling;
    } else {
        stopping = 0;
    }
    Semapho_CL::Lock_CL request(requestLock, Semapho_CL::kWaitLimit);
    if (!request.IsHeld()) return;
    kicked = 0;
    KickIfWaiting();
}

Gdiplus::Bitmap* DShowMovieFrameDecodeThread_CL::ScaleFrame(Gdiplus::Bitmap* frame) const
{
    int width = targetWidth;
    int height = targetHeight;
    if (width == kOwnSize || height == kOwnSize || width <= 0 || height <= 0) {
        width = static_cast<int>(frame->GetWidth());
        height = static_cast<int>(frame->GetHeight());
    }
    auto scaled = std::make_unique<Gdiplus::Bitmap>(width, height, static_cast<Gdiplus::PixelFormat>(pixelFormat));
    if (scaled->GetLastStatus() != Gdiplus::Ok) return nullptr;
    Gdiplus::Graphics graphics(scaled.get());
    if (graphics.GetLastStatus() != Gdiplus::Ok) return nullptr;
    graphics.SetInterpolationMode(static_cast<Gdiplus::InterpolationMode>(interpolationMode));
    if (graphics.DrawImage(frame, 0, 0, width, height) != Gdiplus::Ok) return nullptr;
    return scaled.release();
}
