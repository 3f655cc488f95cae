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
          frameHeight(frameHeight),
          serial(++lastSerial)
    {
    }
    bool IsValid() { return dib.Bits() && GetLastStatus() == Gdiplus::Ok; }
    HDC Dc() const { return dib.Dc(); }

    const INT frameWidth;
    const INT frameHeight;
    // Tells this strip from any other made before or after it, also one made at the same
    // address: the Direct2D paint keeps its copies of strips by this number.
    const uint64_t serial;

private:
    static uint64_t lastSerial;
};

uint64_t GridStrip::lastSerial = 0;

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

MovieListWindow_CL::CellFrames MovieListWindow_CL::CurrentCellFrames() const
{
    CellFrames frames = {pictureWidth, pictureHeight, frameCount};
    if (albumData) {
        const DispSettingData_CL& settings = albumData->disp_setting;
        const int sizeIndex = std::min(std::max(settings.thumbnail_size_index, 0), 2);
        frames.width = settings.frame_sizes[sizeIndex][0];
        frames.height = settings.frame_sizes[sizeIndex][1];
        frames.count = std::min(std::max(settings.thumbnail_count, 1), 10);
    }
    return frames;
}

void MovieListWindow_CL::LayoutCell(Gdiplus::Graphics* graphics, const RECT& cell, uint32_t index,
                                    const ItemMovieData_CL& record, bool scrolling, const CellFrames& frames)
{
    cellLayout.mousePoint = scrolling ? Gdiplus::PointF(-10000.0f, -10000.0f)
                                      : Gdiplus::PointF(static_cast<Gdiplus::REAL>(lastMousePoint.x),
                                                        static_cast<Gdiplus::REAL>(lastMousePoint.y));
    cellLayout.index = index;
    cellLayout.labelFont = labelFont.get();
    cellLayout.state = (IsSelected(index) == 1 ? 1 : 0) | (!scrolling && static_cast<int32_t>(index) == cursorIndex ? 2 : 0);
    const Gdiplus::RectF cellRect(static_cast<Gdiplus::REAL>(cell.left), static_cast<Gdiplus::REAL>(cell.top),
                                  static_cast<Gdiplus::REAL>(cellWidth), static_cast<Gdiplus::REAL>(cellHeight));
    cellLayout.Layout(graphics, cellRect, record, frames.width, frames.height, frames.count);
}

bool MovieListWindow_CL::ShowsMissingFile(ItemMovieData_CL* record)
{
    if (!PathFileExistsW(record->link_name.c_str())) {
        record->file_missing = 1;
        return true;
    }
    if (record->file_missing == 1) return true;
    record->file_unchecked = 0;
    return false;
}

uint64_t MovieListWindow_CL::KeptStripSerial(Gdiplus::Image* strip)
{
    auto* kept = dynamic_cast<GridStrip*>(strip);
    return kept ? kept->serial : 0;
}

void MovieListWindow_CL::StripFramePlacement(Gdiplus::Image* strip, int frame, const Gdiplus::RectF& box,
                                             Gdiplus::RectF* source, Gdiplus::RectF* destination, bool* clipToBox)
{
    *destination = box;
    *clipToBox = false;
    if (auto* kept = dynamic_cast<GridStrip*>(strip)) {
        // Cut and scaled already: a plain copy of the frame at the box's corner.
        *source = Gdiplus::RectF(static_cast<Gdiplus::REAL>(frame * kept->frameWidth), 0.0f,
                                 static_cast<Gdiplus::REAL>(kept->frameWidth), static_cast<Gdiplus::REAL>(kept->frameHeight));
        destination->Width = source->Width;
        destination->Height = source->Height;
        return;
    }
    const Gdiplus::REAL stripHeight = static_cast<Gdiplus::REAL>(strip->GetHeight());
    if (strip->GetWidth() != kOldStripWidth) {
        *source = Gdiplus::RectF(static_cast<Gdiplus::REAL>(frame * kStripFrameWidth), 0.0f,
                                 static_cast<Gdiplus::REAL>(kStripFrameWidth), stripHeight);
        return;
    }
    *source = Gdiplus::RectF(static_cast<Gdiplus::REAL>(frame * kOldStripFrameWidth), 0.0f,
                             static_cast<Gdiplus::REAL>(kOldStripFrameWidth), stripHeight);
    float up = 0, height = 0;
    if (OldStripPlacement(box.Width, &up, &height)) {
        destination->Y -= up;
        destination->Height = height;
    }
    *clipToBox = true;
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
    ++paintPasses_;
    NoteLabelFontFamily();

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

        const CellFrames cellFrames = CurrentCellFrames();

        const uint32_t count = GetItemCount();
        for (const VisibleCell& visible : visibleCells) {
            if (count == 0) break;
            const uint32_t index = visible.index;
            ItemMovieData_CL* record = index < count ? gridListener.Record(index) : nullptr;
            if (record) visibleKeys.push_back(record->decode_key);
            const RECT cell = {visible.x, visible.y, visible.x + cellWidth, visible.y + cellHeight};
            if (cell.top >= clientRect.bottom) break;
            if (cell.right <= clientRect.left || cell.bottom <= clientRect.top || cell.left >= clientRect.right) continue;
            if (!record) continue;

            cellLayout.gdiTarget = dc;
            LayoutCell(&graphics, cell, index, *record, scrolling, cellFrames);
            if (dc) {
                PaintCellGdi(&graphics, dc, cell, index, record);
            } else {
                cellLayout.DrawBase(&graphics, &HoverSlot(1), &HoverSlot(2));
                DrawCell(&graphics, &cell, index);
            }
            if (HoverSlot(1) != -1) hotIndex = HoverSlot(1);
        }
        // Pictures of cells that left the screen go, the least recently shown first.
        cellPictures_.Trim(2 * visibleCells.size() + 8);

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

int32_t MovieListWindow_CL::HoveredBox(const std::vector<CellBox>& boxes) const
{
    if ((cellLayout.state & 1) == 0) return -1;
    int32_t hovered = -1;
    for (const CellBox& box : boxes) {
        if (box.Contains(cellLayout.mousePoint.X, cellLayout.mousePoint.Y)) hovered = box.id;
    }
    return hovered;
}

bool MovieListWindow_CL::MakeCellPictureKey(const RECT& cell, ItemMovieData_CL* record, Gdiplus::Image* strip,
                                            bool direct2d, CellPictureKey* key)
{
    key->strip = strip ? KeptStripSerial(strip) : 0;
    if (strip && key->strip == 0) return false;
    const float left = static_cast<float>(cell.left);
    const float top = static_cast<float>(cell.top);
    if (!direct2d) {
        // A chip's text is written larger than the chip was measured and is not clipped: a
        // long tag may reach past the cell, where no picture of the cell would hold it.
        // Bounded by the larger font's width plus a pixel a character for hinting.
        for (const CellBox& chip : cellLayout.tagBoxes) {
            const float half = ((chip.width - 4) * 11.0f / 9.0f + static_cast<float>(chip.text.size())) / 2 + 2;
            const float centre = chip.x + 1 + chip.width / 2;
            if (centre - half < left || centre + half > static_cast<float>(cell.right)) return false;
        }
    }
    key->cellWidth = cellWidth;
    key->cellHeight = cellHeight;
    key->pictureWidth = pictureWidth;
    key->pictureHeight = pictureHeight;
    key->background = backgroundColour;
    key->labelFont = labelFontFamily_;
    key->labelFontSize = labelFont ? labelFont->GetSize() : 0;
    const size_t frames = std::min(cellLayout.frameBoxes.size(), static_cast<size_t>(std::max(frameCount, 0)));
    key->boxes.clear();
    key->framesShown.clear();
    key->chipTexts.clear();
    for (const std::vector<CellBox>* boxes : {&cellLayout.frameBoxes, &cellLayout.tagBoxes}) {
        for (const CellBox& box : *boxes) {
            key->boxes.insert(key->boxes.end(), {box.x - left, box.y - top, box.width, box.height});
        }
    }
    for (size_t k = 0; k < frames; ++k) {
        key->framesShown.push_back(useFramesShown == 1 && k < framesShown.size() ? framesShown[k] : 0);
    }
    for (const CellBox& chip : cellLayout.tagBoxes) key->chipTexts.push_back(chip.text);
    const Gdiplus::RectF& title = cellLayout.titleRect;
    key->titleRect[0] = title.X - left;
    key->titleRect[1] = title.Y - top;
    key->titleRect[2] = title.Width;
    key->titleRect[3] = title.Height;
    key->title = cellLayout.title;
    key->state = cellLayout.state & 3;
    key->hoveredFrame = HoveredBox(cellLayout.frameBoxes);
    key->hoveredTag = HoveredBox(cellLayout.tagBoxes);
    const int sortTab = albumData ? albumData->disp_setting.selected_sort_tab : 0;
    const int dateOnly = albumData && albumData->disp_setting.thumbnail_size_index == 0 ? 1 : 0;
    key->labelColour = 0xFFFFFFFF;
    key->label = BuildInfoLabel(*record, sortTab, dateOnly, &key->labelColour);
    if (sortTab == kSortName || sortTab == kSortStars) key->label.clear();
    key->stars = std::min<uint32_t>(record->star_count, 5);
    key->missingFile = ShowsMissingFile(record);
    return true;
}

void MovieListWindow_CL::NoteLabelFontFamily()
{
    labelFontFamily_.clear();
    Gdiplus::FontFamily family;
    wchar_t name[LF_FACESIZE] = {};
    if (labelFont && labelFont->GetFamily(&family) == Gdiplus::Ok && family.GetFamilyName(name) == Gdiplus::Ok) {
        labelFontFamily_ = name;
    }
}

void MovieListWindow_CL::PaintCellGdi(Gdiplus::Graphics* graphics, HDC dc, const RECT& cell, uint32_t index,
                                      ItemMovieData_CL* record)
{
    Gdiplus::Image* strip = StripFor(index);
    CellPictureKey key;
    const bool keepable = MakeCellPictureKey(cell, record, strip, false, &key);
    const int bits = backBufferSurface.BitsPerPixel();
    // GDI+ work still queued must land before GDI copies over it, and before it is copied.
    graphics->Flush(Gdiplus::FlushIntentionSync);
    if (keepable && cellPictures_.Paint(index, key, cell, clientRect, dc, bits, paintPasses_)) {
        if (key.hoveredFrame != -1) HoverSlot(1) = key.hoveredFrame;
        if (key.hoveredTag != -1) HoverSlot(2) = key.hoveredTag;
        if (!strip) missingThumbnails.push_back(index << 8);
        ++keptCellPaints;
        return;
    }
    cellLayout.DrawBase(graphics, &HoverSlot(1), &HoverSlot(2));
    DrawCell(graphics, &cell, index);
    if (!keepable) return;
    graphics->Flush(Gdiplus::FlushIntentionSync);
    GdiFlush();
    cellPictures_.Keep(index, key, cell, clientRect, dc, bits, paintPasses_);
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

    if (ShowsMissingFile(record) && labelFont) {
        Gdiplus::SolidBrush red{Gdiplus::Color(kErrorColour)};
        const std::wstring text = LineBreaksForDrawing(kMissingFileText);
        graphics->DrawString(text.c_str(), static_cast<INT>(text.size()), labelFont.get(), textArea, nullptr, &red);
    }
}
