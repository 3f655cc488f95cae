#include "ui/views/PictureListViewReelvault.h"

#include <shellapi.h>
#include <strsafe.h>

#include <algorithm>
#include <climits>

#include "core/base/Log.h"
#include "core/base/ThreadMessages.h"
#include "ui/views/ViewFont.h"

PictureListViewReelvault_CL::PictureListViewReelvault_CL() : PictureListBase_CL(kControlPictureList)
{
    timeStampFont = CreateViewFont(L"MS UI Gothic", 10.0f, Gdiplus::FontStyleRegular);
}

PictureListViewReelvault_CL::~PictureListViewReelvault_CL() = default;

uint32_t PictureListViewReelvault_CL::CellCount(int64_t duration, int64_t interval)
{
    // A broken file may report a negative duration; as an unsigned count it would be billions.
    if (duration <= 0 || interval <= 0) return 0;
    // Rounded up without adding first, which could pass the 64-bit limit.
    const int64_t cells = duration / interval + (duration % interval != 0 ? 1 : 0);
    return cells > static_cast<int64_t>(kMaxCells) ? kMaxCells : static_cast<uint32_t>(cells);
}

std::wstring PictureListViewReelvault_CL::FormatTimeStamp(int64_t position)
{
    const int64_t seconds = std::max<int64_t>(position / kUnitsPerSecond, 0);
    wchar_t text[32] = {};
    StringCchPrintfW(text, 32, L"%02d:%02d:%02d", static_cast<int>(seconds / 3600),
                     static_cast<int>((seconds / 60) % 60), static_cast<int>(seconds % 60));
    return text;
}

void PictureListViewReelvault_CL::LoadMovie(const std::wstring& path)
{
    moviePath = path;
    showIndex = 0;
    cancelling = 1;
    CancelRequests();
}

void PictureListViewReelvault_CL::RequestReload(int value)
{
    pendingReloadValue = value;
    CancelRequests();
}

void PictureListViewReelvault_CL::CancelRequests()
{
    // The thread drops every request still queued: none of them will be answered.
    requestedFrames.clear();
    if (DShowMovieFrameDecodeThread_CL* thread = decoder.GetThread()) {
        thread->Cancel(&decoder);
    } else if (hwnd) {
        // Nobody else would answer, and the load (or the owner waiting for the stop) would
        // wait for ever.
        PostMessageW(hwnd, WM_LIST_REFRESH, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&decoder));
    }
}

uint32_t PictureListViewReelvault_CL::QueueFrameRequest(int64_t position, int32_t index, int32_t atFront)
{
    if (DShowMovieFrameDecodeThread_CL* thread = decoder.GetThread()) thread->SetTargetSize(pictureWidth, pictureHeight);
    return decoder.RequestFrame(position, index, atFront);
}

void PictureListViewReelvault_CL::ReloadFrames(WPARAM wParam)
{
    if (wParam != static_cast<WPARAM>(-1)) return;
    cancelling = 0;
    requestedFrames.clear();
    if (moviePath.empty()) return;

    const bool opened = decoder.Open(moviePath) == S_OK;
    uint32_t count = 0;
    if (opened) {
        count = CellCount(decoder.GetDuration(TIME_FORMAT_MEDIA_TIME), interval);
    } else {
        WriteLog(AppLog, L"frame list: the movie could not be opened: %s", moviePath.c_str());
    }
    SetItemCount(count);
    for (ScrollBar_CL* bar : {&horizontalBar, &verticalBar}) {
        bar->info.nPos = 0;
        if (hwnd) SetScrollPos(hwnd, bar->bar, 0, TRUE);
    }
    RecalcLayout();

    const uint32_t requests = std::min(GetItemCount(), kMaxLoadRequests);
    for (uint32_t i = 0; i < requests; ++i) {
        // A refusal means another cancel is on its way; its reload asks again.
        if (QueueFrameRequest(static_cast<int64_t>(i) * interval, static_cast<int32_t>(i), 0) ==
            DShowMovieFrameDecodeThread_CL::kNoRequest)
            break;
    }
    UpdateVisibleCells();

    if (opened) {
        ShowCell(showIndex);
        showIndex = 0;
        frameCache.Clear();
    }
    moviePath.clear();
}

void PictureListViewReelvault_CL::ShowCell(int32_t index)
{
    const int64_t count = GetItemCount();
    // Before any layout of a non-empty list there are no columns to place the cell by.
    const int64_t cols = count != 0 ? columns : 0;
    const int64_t shown = count == 0 ? -1 : std::min<int64_t>(std::max(index, 0), count - 1);
    int64_t horizontal = 0;
    int64_t vertical = 0;
    if (cols != 0 && shown >= 0) {
        const int64_t x = static_cast<int64_t>(cellWidth) * (shown % cols);
        const int64_t y = static_cast<int64_t>(cellHeight) * (shown / cols);
        const int64_t rows = (count + cols - 1) / cols;
        if (layoutMode == 0) horizontal = std::min(x - clientRect.left, cellWidth * cols - clientRect.right);
        vertical = std::min(y - clientRect.top, rows * cellHeight - clientRect.bottom);
    }
    // A list shorter than its window stays at the top.
    horizontalBar.info.nPos = static_cast<int>(std::min<int64_t>(std::max<int64_t>(horizontal, 0), INT_MAX));
    verticalBar.info.nPos = static_cast<int>(std::min<int64_t>(std::max<int64_t>(vertical, 0), INT_MAX));
    if (hwnd) {
        SetScrollPos(hwnd, SB_HORZ, horizontalBar.info.nPos, TRUE);
        SetScrollPos(hwnd, SB_VERT, verticalBar.info.nPos, TRUE);
    }
    cursorIndex = static_cast<int32_t>(shown);
    UpdateVisibleCells();
    Invalidate();
}

void PictureListViewReelvault_CL::PaintAll()
{
    // While a cancel is on its way the cells would show the movie that is going.
    if (cancelling != 0) return;
    missingFrames.clear();
    PictureListBase_CL::PaintAll();
    RequestMissingFrames();
}

void PictureListViewReelvault_CL::RequestMissingFrames()
{
    // Every request goes to the front, so the last one made is decoded first: asking for the
    // remainders 3, 2, 1, 0 of index / 4, each from the last cell back, gives a coarse set of
    // frames (every fourth, in order) before the rest.
    for (int pass = 3; pass >= 0; --pass) {
        for (auto it = missingFrames.rbegin(); it != missingFrames.rend(); ++it) {
            const int32_t index = *it;
            if (index % 4 != pass) continue;
            const int64_t position = static_cast<int64_t>(index) * interval;
            if (frameCache.Find(this, position)) continue;
            if (requestedFrames.count(position)) continue;
            frameCache.Put(this, position, nullptr);
            if (QueueFrameRequest(position, index, 1) != DShowMovieFrameDecodeThread_CL::kNoRequest)
                requestedFrames.insert(position);
        }
    }
}

void PictureListViewReelvault_CL::DrawCell(Gdiplus::Graphics* graphics, const RECT* cell, uint32_t index)
{
    if (index >= GetItemCount()) return;
    const int64_t position = static_cast<int64_t>(index) * interval;
    const INT left = cell->left + horizontalGap;
    const INT top = cell->top + verticalGap;
    if (Gdiplus::Image* frame = frameCache.Find(this, position)) {
        graphics->DrawImage(frame, left, top, static_cast<INT>(frame->GetWidth()), static_cast<INT>(frame->GetHeight()));
    } else {
        missingFrames.push_back(static_cast<int32_t>(index));
    }

    if (!timeStampFont) return;
    const std::wstring stamp = FormatTimeStamp(position);
    Gdiplus::RectF layout(static_cast<Gdiplus::REAL>(left), static_cast<Gdiplus::REAL>(top),
                          static_cast<Gdiplus::REAL>(cellWidth), static_cast<Gdiplus::REAL>(cellHeight));
    Gdiplus::RectF bounds;
    graphics->MeasureString(stamp.c_str(), -1, timeStampFont.get(), layout, &bounds);
    Gdiplus::SolidBrush box{Gdiplus::Color(kTimeStampBoxColour)};
    graphics->FillRectangle(&box, bounds);
    Gdiplus::SolidBrush white{Gdiplus::Color(0xFFFFFFFF)};
    graphics->DrawString(stamp.c_str(), -1, timeStampFont.get(), layout, nullptr, &white);
    // Once more a pixel to the right: a bolder stamp that stays legible over any frame.
    layout.X += 1.0f;
    graphics->DrawString(stamp.c_str(), -1, timeStampFont.get(), layout, nullptr, &white);
}

void PictureListViewReelvault_CL::OnFrameDecoded(DecodoRequestItemBase_CL* item, uint32_t)
{
    if (!item) return;
    if (item->kind != DecodoRequestItemBase_CL::kKindFrame) {
        DeleteResult(item);
        return;
    }
    auto* frame = static_cast<DecodoRequestItem_CL*>(item);
    frameCache.Put(this, frame->position, frame->bitmap);
    frame->bitmap = nullptr;
    requestedFrames.erase(frame->position);
    RECT rect;
    if (hwnd && frame->userValue >= 0 && GetItemRect(static_cast<uint32_t>(frame->userValue), &rect))
        InvalidateRect(hwnd, &rect, FALSE);
    delete frame;
}

void PictureListViewReelvault_CL::DeleteResult(DecodoRequestItemBase_CL* item)
{
    if (!item) return;
    delete item->bitmap;
    delete item;
}

void PictureListViewReelvault_CL::DiscardQueuedResults(HWND window)
{
    MSG msg;
    while (PeekMessageW(&msg, window, WM_DECODE_FRAME, WM_DECODE_FRAME, PM_REMOVE))
        DeleteResult(reinterpret_cast<DecodoRequestItemBase_CL*>(msg.lParam));
}

void PictureListViewReelvault_CL::OnDropFiles(HDROP drop)
{
    // Only the first file: the list shows one movie. Its name is read whole, however long.
    const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    std::wstring path(length, L'\0');
    if (length != 0 && DragQueryFileW(drop, 0, &path[0], length + 1) != length) path.clear();
    DragFinish(drop);
    moviePath = path;
    CancelRequests();
}

LRESULT PictureListViewReelvault_CL::HandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    handled = 1;
    switch (msg) {
    case WM_DECODE_FRAME: {
        auto* item = reinterpret_cast<DecodoRequestItemBase_CL*>(lParam);
        if (cancelling == 0) {
            OnFrameDecoded(item, static_cast<uint32_t>(wParam));
        } else {
            DeleteResult(item);
        }
        break;
    }
    case WM_DESTROY:
        DiscardQueuedResults(window);
        return 0;
    case WM_CLOSE: return 0;
    case WM_DROPFILES:
        if (dropForwarding == 1) {
            SendMessageW(GetParent(window), WM_DROPFILES, wParam, lParam);
        } else {
            OnDropFiles(reinterpret_cast<HDROP>(wParam));
        }
        break;
    case WM_LIST_REFRESH:
        ReloadFrames(wParam);
        if (pendingReloadValue != 0) {
            PostMessageW(GetParent(window), WM_LIST_RELOAD, reinterpret_cast<WPARAM>(window), pendingReloadValue);
            pendingReloadValue = 0;
        }
        break;
    case WM_GRAPH_NOTIFY: decoder.OnGraphNotify(); break;
    default: break;
    }
    return PictureListBase_CL::HandleMessage(window, msg, wParam, lParam);
}
