// The movie grid's GDI+ painting: the cells, their strips and labels, and the priority
// request after each paint.
#include <shlwapi.h>
#include <time.h>

#include <algorithm>

#include "core/album/SaveData.h"
#include "ui/views/DibSection.h"
#include "ui/views/MovieFieldText.h"
#include "ui/views/MovieListWindow.h"

namespace {

// Strip frames are 256 pixels wide; a strip exactly 1920 pixels wide holds 192-pixel frames.
constexpr INT kStripFrameWidth = 256;
constexpr INT kOldStripFrameWidth = 192;
constexpr UINT kOldStripWidth = 1920;
// The most frames a strip is taken to hold.
constexpr INT kMaxStripFrames = 16;
constexpr Gdiplus::ARGB kLabelBoxColour = 0xC8646464;
constexpr Gdiplus::ARGB kStarColour = 0xFFFFFF00;
constexpr Gdiplus::ARGB kErrorColour = 0xFFFF0000;
// The latest time the C run-time converts: 3000-12-31 23:59:59 UTC.
constexpr int64_t kLastLocalTime = 32535215999;

// The pixels of a kept strip: a DIB section, so that a frame goes to the back buffer with
// one BitBlt. A base of GridStrip, made before the GDI+ bitmap over it and freed after.
struct StripPixels {
    StripPixels(INT width, INT height) { dib.Create(width, height, 24); }
    DibSection_CL dib;
};

// A strip as the grid keeps it: its frames cut and scaled to the cell's frame size, so that
// drawing a frame is a plain copy.
class GridStrip final : private StripPixels, public Gdiplus::Bitmap {
public:
    GridStrip(INT frames, INT frameWidth, INT frameHeight)
        : StripPixels(frames * frameWidth, frameHeight),
          Gdiplus::Bitmap(frames * frameWidth, frameHeight, dib.Stride(), PixelFormat24bppRGB,
                          static_cast<BYTE*>(dib.Bits())),
          frameWidth(frameWidth),
          frameHeight(frameHeight)
    {
    }
    bool IsValid() { return dib.Bits() && GetLastStatus() == Gdiplus::Ok; }
    HDC Dc() const { return dib.Dc(); }

    const INT frameWidth;
    const INT frameHeight;
};

// Where a 192-pixel frame of a 1920 strip goes in a box of that width: moved up by `up`
// and `height` tall, clipped to the box. Other widths keep the box.
bool OldStripPlacement(float boxWidth, float* up, float* height)
{
    switch (static_cast<int>(boxWidth)) {
    case 128: *up = 6.5f; *height = 85.0f; return true;
    case 176: *up = 16.5f; *height = 132.0f; return true;
    case 256: *up = 24.0f; *height = 192.0f; return true;
    default: return false;
    }
}

// One frame of the strip as it is loaded, into the box.
void DrawFrameFromFile(Gdiplus::Graphics* graphics, Gdiplus::Image* strip, INT frame, const Gdiplus::RectF& box)
{
    const INT stripHeight = static_cast<INT>(strip->GetHeight());
    if (strip->GetWidth() != kOldStripWidth) {
        graphics->DrawImage(strip, box, static_cast<Gdiplus::REAL>(frame * kStripFrameWidth), 0.0f,
                            static_cast<Gdiplus::REAL>(kStripFrameWidth), static_cast<Gdiplus::REAL>(stripHeight),
                            Gdiplus::UnitPixel);
        return;
    }
    Gdiplus::RectF target = box;
    float up = 0, height = 0;
    if (OldStripPlacement(box.Width, &up, &height)) {
        target.Y -= up;
        target.Height = height;
    }
    Gdiplus::Region previous;
    graphics->GetClip(&previous);
    graphics->SetClip(box, Gdiplus::CombineModeIntersect);
    graphics->DrawImage(strip, target, static_cast<Gdiplus::REAL>(frame * kOldStripFrameWidth), 0.0f,
                        static_cast<Gdiplus::REAL>(kOldStripFrameWidth), static_cast<Gdiplus::REAL>(stripHeight),
                        Gdiplus::UnitPixel);
    graphics->SetClip(&previous);
}

// The loaded strip redrawn at frameWidth x frameHeight per frame, as the cells show it;
// null when it cannot be made. The frames of a strip lie side by side, so the whole strip
// is scaled in one halftone stretch (GDI+ scaling costs many times more).
GridStrip* MakeGridStrip(Gdiplus::Image* loaded, INT frameWidth, INT frameHeight)
{
    auto* source = dynamic_cast<Gdiplus::Bitmap*>(loaded);
    if (!source || frameWidth <= 0 || frameHeight <= 0) return nullptr;
    const INT width = static_cast<INT>(loaded->GetWidth());
    const INT height = static_cast<INT>(loaded->GetHeight());
    const INT frameSource = width == static_cast<INT>(kOldStripWidth) ? kOldStripFrameWidth : kStripFrameWidth;
    const INT frames = std::min<INT>(std::max<INT>((width + frameSource - 1) / frameSource, 1), kMaxStripFrames);
    auto strip = std::make_unique<GridStrip>(frames, frameWidth, frameHeight);
    if (!strip->IsValid() || width <= 0 || height <= 0) return nullptr;

    Gdiplus::BitmapData pixels = {};
    const Gdiplus::Rect all(0, 0, width, height);
    if (source->LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat24bppRGB, &pixels) != Gdiplus::Ok) return nullptr;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    int copied = 0;
    // The rows must be laid out as a DIB's: DWORD-aligned, top-down.
    if (pixels.Stride == ((width * 24 + 31) / 32) * 4) {
        // A 1920 strip's 192-pixel frames are taller than the box: moved up and clipped.
        float up = 0, drawnHeight = static_cast<float>(frameHeight);
        const bool old = width == static_cast<INT>(kOldStripWidth);
        if (old && !OldStripPlacement(static_cast<float>(frameWidth), &up, &drawnHeight)) up = 0;
        HDC dc = strip->Dc();
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        const int destWidth = width * frameWidth / frameSource;
        copied = StretchDIBits(dc, 0, -static_cast<int>(up + 0.5f), destWidth, static_cast<int>(drawnHeight + 0.5f), 0, 0,
                               width, height, pixels.Scan0, &info, DIB_RGB_COLORS, SRCCOPY);
        GdiFlush();
    }
    source->UnlockBits(&pixels);
    if (copied <= 0) return nullptr;
    return strip.release();
}

}  // namespace

std::wstring MovieListWindow_CL::FormatDateTime(int64_t seconds, int dateOnly)
{
    std::wstring text = L"----/--/-- --:--:--";
    if (seconds >= 0 && seconds <= kLastLocalTime) {
        const __time64_t value = seconds;
        const struct tm* local = _localtime64(&value);
        if (local) {
            wchar_t buffer[64];
            _snwprintf(buffer, sizeof(buffer) / sizeof(buffer[0]) - 1, L"%04d/%02d/%02d %02d:%02d:%02d",
                       local->tm_year + 1900, local->tm_mon + 1, local->tm_mday, local->tm_hour, local->tm_min,
                       local->tm_sec);
            buffer[sizeof(buffer) / sizeof(buffer[0]) - 1] = L'\0';
            text = buffer;
        }
    }
    if (dateOnly == 1) text.resize(10);
    return text;
}

std::wstring MovieListWindow_CL::BuildInfoLabel(const ItemMovieData_CL& record, int sortTab, int dateOnly,
                                                Gdiplus::ARGB* colour)
{
    *colour = 0xFFFFFFFF;
    switch (sortTab) {
    case kSortName:
    case kSortStars: *colour = kStarColour; return StarText(record.star_count);
    case kSortPlayDate: return FormatDateTime(record.play_date_time, dateOnly);
    case kSortFileTime: return FormatDateTime(record.file_time, dateOnly);
    case kSortAddDate: return FormatDateTime(record.add_date, dateOnly);
    case kSortPlayCount: return L" " + PadNumber(record.play_count, 4) + L"回";
    case kSortFileSize: return FormatMegabytes(record.file_size, 6) + L"MB";
    case kSortLength: return FormatDuration(record.last_play_frame);
    default: return std::wstring();
    }
}

void MovieListWindow_CL::PaintAll()
{
    const bool scrolling = IsScrolling();
    visibleKeys.clear();
    missingThumbnails.clear();
    hotIndex = -1;
    HoverSlot(1) = -1;
    HoverSlot(2) = -1;
    if (!backBuffer) return;

    {
        // Drawn through the back buffer's DC where there is one: GDI+ then writes text with
        // the system's text output, and the fill and the frame copies are plain GDI.
        HDC dc = GetBackBufferDC();
        std::unique_ptr<Gdiplus::Graphics> drawing(dc ? new Gdiplus::Graphics(dc) : new Gdiplus::Graphics(backBuffer.get()));
        Gdiplus::Graphics& graphics = *drawing;
        if (dc) {
            HBRUSH brush = CreateSolidBrush(RGB((backgroundColour >> 16) & 0xFF, (backgroundColour >> 8) & 0xFF,
                                                backgroundColour & 0xFF));
            FillRect(dc, &clientRect, brush);
            DeleteObject(brush);
        } else {
            Gdiplus::SolidBrush background{Gdiplus::Color(backgroundColour)};
            graphics.FillRectangle(&background, static_cast<INT>(clientRect.left), static_cast<INT>(clientRect.top),
                                   static_cast<INT>(clientRect.right - clientRect.left),
                                   static_cast<INT>(clientRect.bottom - clientRect.top));
        }

        int frameWidth = pictureWidth, frameHeight = pictureHeight, frames = frameCount;
        int sizeIndex = 2;
        if (albumData) {
            const DispSettingData_CL& settings = albumData->disp_setting;
            sizeIndex = std::min(std::max(settings.thumbnail_size_index, 0), 2);
            frameWidth = settings.frame_sizes[sizeIndex][0];
            frameHeight = settings.frame_sizes[sizeIndex][1];
            frames = std::min(std::max(settings.thumbnail_count, 1), 10);
        }

        const uint32_t count = GetItemCount();
        for (const VisibleCell& visible : count ? visibleCells : std::vector<VisibleCell>()) {
            const uint32_t index = visible.index;
            ItemMovieData_CL* record = index < count ? gridListener.Record(index) : nullptr;
            if (record) visibleKeys.push_back(record->decode_key);
            const RECT cell = {visible.x, visible.y, visible.x + cellWidth, visible.y + cellHeight};
            if (cell.top >= clientRect.bottom) break;
            if (cell.right <= clientRect.left || cell.bottom <= clientRect.top || cell.left >= clientRect.right) continue;
            if (!record) continue;

            cellLayout.mousePoint = scrolling ? Gdiplus::PointF(-10000.0f, -10000.0f)
                                              : Gdiplus::PointF(static_cast<Gdiplus::REAL>(lastMousePoint.x),
                                                                static_cast<Gdiplus::REAL>(lastMousePoint.y));
            cellLayout.index = index;
            cellLayout.labelFont = labelFont.get();
            cellLayout.gdiTarget = dc;
            cellLayout.state = (IsSelected(index) == 1 ? 1 : 0) |
                               (!scrolling && static_cast<int32_t>(index) == cursorIndex ? 2 : 0);
            const Gdiplus::RectF cellRect(static_cast<Gdiplus::REAL>(cell.left), static_cast<Gdiplus::REAL>(cell.top),
                                          static_cast<Gdiplus::REAL>(cellWidth), static_cast<Gdiplus::REAL>(cellHeight));
            cellLayout.Layout(&graphics, cellRect, *record, frameWidth, frameHeight, frames);
            cellLayout.DrawBase(&graphics, &HoverSlot(1), &HoverSlot(2));
            DrawCell(&graphics, &cell, index);
            if (HoverSlot(1) != -1) hotIndex = HoverSlot(1);
        }

        cellLayout.gdiTarget = nullptr;
        if (count != 0) {
            if (interactionFlag != 0 && !scrolling) DrawDetailOverlay(&graphics, &clientRect, focusIndex);
            if (fontOverlayFlag == 1) DrawFontSizeOverlay(&graphics, &clientRect);
        } else if (fontOverlayFlag == 1) {
            // An empty grid still answers Ctrl+wheel with the level; it has no movie to detail.
            DrawFontSizeOverlay(&graphics, &clientRect);
        }
    }
    SendPriorityRequest();
}

Gdiplus::Image* MovieListWindow_CL::StripFor(uint32_t index)
{
    Gdiplus::Image* strip = gridListener.FindBitmap(index);
    auto* kept = dynamic_cast<GridStrip*>(strip);
    // A strip made for another frame size (the size changed since) is made again.
    if (kept && (kept->frameWidth != pictureWidth || kept->frameHeight != pictureHeight)) strip = nullptr;
    if (strip || index >= gridListener.GetItemCount()) return strip;
    std::unique_ptr<Gdiplus::Image> loaded(gridListener.LoadThumbnail(index));
    if (!loaded) return nullptr;
    GridStrip* made = MakeGridStrip(loaded.get(), pictureWidth, pictureHeight);
    if (!made) {
        // Kept as loaded, and drawn from it with scaling.
        gridListener.PutBitmap(index, loaded.release());
        return gridListener.FindBitmap(index);
    }
    gridListener.PutBitmap(index, made);
    return made;
}

void MovieListWindow_CL::DrawCell(Gdiplus::Graphics* graphics, const RECT* cell, uint32_t index)
{
    ItemMovieData_CL* record = gridListener.Record(index);
    if (!record) return;
    Gdiplus::Image* strip = StripFor(index);

    // The view's frame count is set apart from the layout: draw only boxes that exist.
    const size_t boxes = std::min(cellLayout.frameBoxes.size(), static_cast<size_t>(std::max(frameCount, 0)));
    HDC backBufferDc = GetBackBufferDC();
    // What GDI+ drew so far must be in the pixels before GDI copies frames over them.
    if (strip && backBufferDc) graphics->Flush(Gdiplus::FlushIntentionSync);
    for (size_t k = 0; k < boxes && strip; ++k) {
        const CellBox& box = cellLayout.frameBoxes[k];
        const INT f = useFramesShown == 1 && k < framesShown.size() ? framesShown[k] : 0;
        const Gdiplus::RectF target(box.x, box.y, box.width, box.height);
        auto* kept = dynamic_cast<GridStrip*>(strip);
        if (kept && backBufferDc) {
            BitBlt(backBufferDc, static_cast<int>(box.x), static_cast<int>(box.y), kept->frameWidth, kept->frameHeight,
                   kept->Dc(), f * kept->frameWidth, 0, SRCCOPY);
        } else if (kept) {
            graphics->DrawImage(kept, static_cast<INT>(box.x), static_cast<INT>(box.y), f * kept->frameWidth, 0,
                                kept->frameWidth, kept->frameHeight, Gdiplus::UnitPixel);
        } else {
            DrawFrameFromFile(graphics, strip, f, target);
        }
    }
    if (!strip) missingThumbnails.push_back(index << 8);

    const Gdiplus::RectF textArea(static_cast<Gdiplus::REAL>(cell->left + 9), static_cast<Gdiplus::REAL>(cell->top + 9),
                                  static_cast<Gdiplus::REAL>(pictureWidth - 1),
                                  static_cast<Gdiplus::REAL>(pictureHeight - 1));
    const int sortTab = albumData ? albumData->disp_setting.selected_sort_tab : 0;
    const int dateOnly = albumData && albumData->disp_setting.thumbnail_size_index == 0 ? 1 : 0;
    Gdiplus::ARGB labelColour = 0xFFFFFFFF;
    std::wstring label = BuildInfoLabel(*record, sortTab, dateOnly, &labelColour);
    if (sortTab == kSortName || sortTab == kSortStars) label.clear();
    if (!label.empty() && boldFont && !cellLayout.frameBoxes.empty()) {
        Gdiplus::RectF measured;
        graphics->MeasureString(label.c_str(), static_cast<INT>(label.size()), boldFont.get(), textArea, &measured);
        const CellBox& box = cellLayout.frameBoxes[0];
        const Gdiplus::RectF labelBox(box.x + box.width - measured.Width - 6, box.y + box.height - measured.Height - 4,
                                      measured.Width + 8, measured.Height + 4);
        if (backBufferDc) {
            // GDI+ blends through the DC pixel by pixel; the memory of the DIB is at hand.
            graphics->Flush(Gdiplus::FlushIntentionSync);
            GdiFlush();
            const RECT box = {static_cast<LONG>(labelBox.X + 0.5f), static_cast<LONG>(labelBox.Y + 0.5f),
                              static_cast<LONG>(labelBox.GetRight() + 0.5f), static_cast<LONG>(labelBox.GetBottom() + 0.5f)};
            backBufferSurface.BlendRect(box, kLabelBoxColour);
        } else {
            Gdiplus::SolidBrush fill{Gdiplus::Color(kLabelBoxColour)};
            graphics->FillRectangle(&fill, labelBox);
        }
        Gdiplus::StringFormat format;
        format.SetAlignment(Gdiplus::StringAlignmentCenter);
        format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
        Gdiplus::SolidBrush text{Gdiplus::Color(labelColour)};
        graphics->DrawString(label.c_str(), static_cast<INT>(label.size()), boldFont.get(), labelBox, &format, &text);
    }

    if (record->star_count > 0 && regularFont && !cellLayout.frameBoxes.empty()) {
        const std::wstring stars = StarText(record->star_count);
        const CellBox& box = cellLayout.frameBoxes[0];
        Gdiplus::SolidBrush yellow{Gdiplus::Color(kStarColour)};
        graphics->DrawString(stars.c_str(), static_cast<INT>(stars.size()), regularFont.get(),
                             Gdiplus::PointF(box.x, box.y), &yellow);
    }

    bool showMissing = false;
    if (!PathFileExistsW(record->link_name.c_str())) {
        record->file_missing = 1;
        showMissing = true;
    } else if (record->file_missing == 1) {
        showMissing = true;
    } else {
        record->file_unchecked = 0;
    }
    if (showMissing && labelFont) {
        Gdiplus::SolidBrush red{Gdiplus::Color(kErrorColour)};
        const std::wstring text = LineBreaksForDrawing(kMissingFileText);
        graphics->DrawString(text.c_str(), static_cast<INT>(text.size()), labelFont.get(), textArea, nullptr, &red);
    }
}
