#pragma once
// The frame list of the image-selection dialog: the frames of one movie at a fixed interval,
// one cell each with its time stamp. The frames are grabbed in process by the dialog's decode
// thread through the list's own decoder and arrive one by one as WM_DECODE_FRAME.
#include <windows.h>
#include <gdiplus.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/media/DShowMovieFrameDecode.h"
#include "core/media/DShowMovieFrameDecodeThread.h"
#include "core/media/DecodoRequestItem.h"
#include "core/media/MovieBitmapChcheBase.h"
#include "ui/views/PictureListBase.h"

class PictureListViewReelvault_CL : public PictureListBase_CL {
public:
    static constexpr int kCacheCapacity = 800;
    // Requests queued when a movie is loaded; later cells are asked for when they are shown.
    static constexpr uint32_t kMaxLoadRequests = 800;
    static constexpr int64_t kDefaultInterval = 150000000;  // 15 s
    static constexpr int64_t kUnitsPerSecond = 10000000;
    static constexpr Gdiplus::ARGB kTimeStampBoxColour = 0x80505050;
    // Cell indexes travel as int32 user values and cursor indexes: no more cells than that.
    static constexpr uint32_t kMaxCells = 0x7FFFFFFF;

    PictureListViewReelvault_CL();
    ~PictureListViewReelvault_CL() override;

    LRESULT HandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) override;
    void DrawCell(Gdiplus::Graphics* graphics, const RECT* cell, uint32_t index) override;
    void PaintAll() override;
    // Ends the decoding of this list; the parent hears WM_LIST_RELOAD with `value` once the
    // decode thread has dropped the list's requests.
    void RequestReload(int value) override;
    // Takes a result of the decode thread (the item is deleted, its bitmap cached).
    virtual void OnFrameDecoded(DecodoRequestItemBase_CL* item, uint32_t id);
    // The decode thread's answer to a cancel (wParam -1): opens the movie path and asks for its
    // frames.
    virtual void ReloadFrames(WPARAM wParam);

    // What the dialog does to show a movie: the list loads it once the decode thread has
    // dropped the requests of the previous one.
    void LoadMovie(const std::wstring& path);

    // ceil(duration / interval) in 64 bits; 0 for a duration or interval of 0 or less, and
    // never more than kMaxCells.
    static uint32_t CellCount(int64_t duration, int64_t interval);
    // "hh:mm:ss" of the whole seconds of a position in 100-ns units.
    static std::wstring FormatTimeStamp(int64_t position);

    DShowMovieFrameDecode_CL decoder{TIME_FORMAT_MEDIA_TIME};
    MovieBitmapChcheBase_CL frameCache{kCacheCapacity};
    std::vector<int32_t> missingFrames;
    int32_t cancelling = 0;
    int64_t interval = kDefaultInterval;
    std::wstring moviePath;
    int32_t showIndex = 0;
    int32_t dropForwarding = 1;

protected:
    // One request to the decode thread at the picture size; the request id, or
    // DShowMovieFrameDecodeThread_CL::kNoRequest when it was refused.
    virtual uint32_t QueueFrameRequest(int64_t position, int32_t index, int32_t atFront);

private:
    // Tells the decode thread to drop this list's requests; it answers with WM_LIST_REFRESH.
    void CancelRequests();
    void RequestMissingFrames();
    void ShowCell(int32_t index);
    void OnDropFiles(HDROP drop);
    // Results still queued for a window that is going away are freed here.
    void DiscardQueuedResults(HWND window);
    static void DeleteResult(DecodoRequestItemBase_CL* item);

    std::unique_ptr<Gdiplus::Font> timeStampFont;
    // A paint asks for a missing frame only once: a frame still on its way is not asked for
    // again at every paint (each mouse move paints).
    std::unordered_set<int64_t> requestedFrames;
};
