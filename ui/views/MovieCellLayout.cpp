#include "ui/views/MovieListWindow.h"

#include "ui/views/PictureListBase.h"
#include "ui/views/ViewFont.h"

MovieCellLayout::MovieCellLayout() = default;

MovieCellLayout::~MovieCellLayout() = default;

void MovieCellLayout::Layout(Gdiplus::Graphics* graphics, const Gdiplus::RectF& cell, const ItemMovieData_CL& record,
                             int frameWidth, int frameHeight, int frameCount)
{
    if (!measureFont_) measureFont_ = CreateViewFont(L"MS UI Gothic", 9.0f, Gdiplus::FontStyleBold);
    if (lineHeight_ == 0 && measureFont_) {
        Gdiplus::RectF bounds;
        graphics->MeasureString(L"Ｗ", -1, measureFont_.get(), cell, &bounds);
        lineHeight_ = static_cast<float>(static_cast<int>(bounds.Height) + 2);
    }
    const float line = lineHeight_;
    const float x = cell.X, y = cell.Y, w = cell.Width, h = cell.Height;
    innerRect = Gdiplus::RectF(x + 2, y + 2, w - 4, h - 4);

    frameBoxes.clear();
    for (int i = 0; i < frameCount; ++i) {
        CellBox box;
        box.id = i;
        box.x = x + 6 + static_cast<float>(i * (frameWidth + 4));
        box.y = y + 6;
        box.width = static_cast<float>(frameWidth);
        box.height = static_cast<float>(frameHeight);
        frameBoxes.push_back(box);
    }

    LayoutTagChips(graphics, cell, record, measureFont_.get(), line);

    title = record.content_name;
    const float top = y + static_cast<float>(frameHeight) + 10;
    titleRect = Gdiplus::RectF(x + 6, top, w - 12, (y + h) - (line + 5) - top);
    if (tagBoxes.empty()) titleRect.Height += line + 1;
}

void MovieCellLayout::LayoutTagChips(Gdiplus::Graphics* graphics, const Gdiplus::RectF& cell,
                                     const ItemMovieData_CL& record, const Gdiplus::Font* font, float lineHeight)
{
    tagBoxes.clear();
    if (record.tags.empty() || !font) return;
    const float top = cell.Y + cell.Height - (lineHeight + 4);
    const float start = cell.X + 10;
    const float limit = start + cell.Width - 20;
    float x = start;
    for (const std::wstring& tag : record.tags) {
        Gdiplus::RectF bounds;
        graphics->MeasureString(tag.c_str(), static_cast<INT>(tag.size()), font, cell, &bounds);
        const float width = bounds.Width + 4;
        // A chip that would reach the limit is left out with every one after it; none is cut.
        if (x + width >= limit) break;
        CellBox chip;
        chip.id = static_cast<int32_t>(tagBoxes.size());
        chip.x = x;
        chip.y = top;
        chip.width = width;
        chip.height = lineHeight;
        chip.text = tag;
        tagBoxes.push_back(chip);
        x += width + 6;
    }
}

void MovieCellLayout::DrawBase(Gdiplus::Graphics* graphics, int32_t* hoveredFrame, int32_t* hoveredTag)
{
    const int colour = state & 3;
    if (gdiTarget) {
        DrawBackgroundAndBorders(gdiTarget, graphics, hoveredFrame);
    } else {
        Gdiplus::SolidBrush background{Gdiplus::Color(kBackgroundColours[colour])};
        DrawRoundedRectangle(graphics, &background, innerRect);
        DrawFrameBorders(graphics, hoveredFrame);
    }
    DrawTagChips(graphics, hoveredTag);
    if (labelFont && !title.empty()) {
        Gdiplus::SolidBrush text{Gdiplus::Color(kTitleColours[colour])};
        graphics->DrawString(title.c_str(), static_cast<INT>(title.size()), labelFont, titleRect, nullptr, &text);
    }
}

namespace {

COLORREF ToColorRef(Gdiplus::ARGB argb)
{
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

int Pixel(float v)
{
    return static_cast<int>(v + 0.5f);
}

}  // namespace

void MovieCellLayout::DrawBackgroundAndBorders(HDC dc, Gdiplus::Graphics* graphics, int32_t* hoveredFrame)
{
    graphics->Flush(Gdiplus::FlushIntentionSync);
    // GDI's rectangles leave out their right and bottom edges; GDI+'s outlines cover them.
    HBRUSH fill = CreateSolidBrush(ToColorRef(kBackgroundColours[state & 3]));
    HPEN white = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
    HPEN plain = CreatePen(PS_SOLID, 1, ToColorRef(kFrameBorderColour));
    HPEN hover = CreatePen(PS_SOLID, 4, ToColorRef(kHoverColour));
    HGDIOBJ oldBrush = SelectObject(dc, fill);
    HGDIOBJ oldPen = SelectObject(dc, white);
    const int x = Pixel(innerRect.X), y = Pixel(innerRect.Y);
    RoundRect(dc, x, y, x + Pixel(innerRect.Width) + 1, y + Pixel(innerRect.Height) + 1, 8, 8);
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    for (const CellBox& box : frameBoxes) {
        const bool hovered = (state & 1) && box.Contains(mousePoint.X, mousePoint.Y);
        SelectObject(dc, hovered ? hover : plain);
        const int bx = Pixel(box.x), by = Pixel(box.y);
        Rectangle(dc, bx, by, bx + Pixel(box.width) + 1, by + Pixel(box.height) + 1);
        if (hovered && hoveredFrame) *hoveredFrame = box.id;
    }
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(hover);
    DeleteObject(plain);
    DeleteObject(white);
    DeleteObject(fill);
}

void MovieCellLayout::DrawFrameBorders(Gdiplus::Graphics* graphics, int32_t* hoveredFrame)
{
    if (frameBoxes.empty()) return;
    Gdiplus::Pen plain(Gdiplus::Color(kFrameBorderColour), 1.0f);
    Gdiplus::Pen hover(Gdiplus::Color(kHoverColour), 4.0f);
    for (const CellBox& box : frameBoxes) {
        if ((state & 1) && box.Contains(mousePoint.X, mousePoint.Y)) {
            graphics->DrawRectangle(&hover, box.x, box.y, box.width, box.height);
            if (hoveredFrame) *hoveredFrame = box.id;
        } else {
            graphics->DrawRectangle(&plain, box.x, box.y, box.width, box.height);
        }
    }
}

void MovieCellLayout::DrawTagChips(Gdiplus::Graphics* graphics, int32_t* hoveredTag)
{
    if (tagBoxes.empty()) return;
    if (!chipFont_) chipFont_ = CreateViewFont(L"MS UI Gothic", 11.0f, Gdiplus::FontStyleBold);
    Gdiplus::SolidBrush fill{Gdiplus::Color(kChipColour)};
    Gdiplus::SolidBrush white{Gdiplus::Color(0xFFFFFFFF)};
    Gdiplus::Pen hover(Gdiplus::Color(kHoverColour), 2.0f);
    Gdiplus::StringFormat format;
    format.SetAlignment(Gdiplus::StringAlignmentCenter);
    format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    // The chip is measured in the 9-pt font and written in the 11-pt one: wrapped, trimmed
    // or clipped to the chip, GDI+ would leave out glyphs or whole words of it.
    format.SetFormatFlags(Gdiplus::StringFormatFlagsNoWrap | Gdiplus::StringFormatFlagsNoClip);
    format.SetTrimming(Gdiplus::StringTrimmingNone);
    for (const CellBox& chip : tagBoxes) {
        graphics->FillRectangle(&fill, chip.x, chip.y, chip.width, chip.height);
        if (chipFont_) {
            // Centred on the chip's text box, in a box wide enough that no glyph is dropped.
            const Gdiplus::RectF box(chip.x + 2 - chip.width, chip.y + 1 - chip.height, 3 * chip.width - 2,
                                     3 * chip.height - 2);
            graphics->DrawString(chip.text.c_str(), static_cast<INT>(chip.text.size()), chipFont_.get(), box, &format,
                                 &white);
        }
        if ((state & 1) && chip.Contains(mousePoint.X, mousePoint.Y)) {
            graphics->DrawRectangle(&hover, chip.x, chip.y, chip.width, chip.height);
            if (hoveredTag) *hoveredTag = chip.id;
        }
    }
}
