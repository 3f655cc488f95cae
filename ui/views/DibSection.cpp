#include "ui/views/DibSection.h"

bool DibSection_CL::Create(int width, int height, int bitsPerPixel)
{
    Reset();
    if (width <= 0 || height <= 0 || (bitsPerPixel != 24 && bitsPerPixel != 32)) return false;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down: row 0 first, as GDI+ expects
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(bitsPerPixel);
    info.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    if (!dc_) return false;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
    if (!bitmap_ || !bits_) {
        Reset();
        return false;
    }
    previous_ = SelectObject(dc_, bitmap_);
    width_ = width;
    height_ = height;
    bitsPerPixel_ = bitsPerPixel;
    stride_ = ((width * bitsPerPixel + 31) / 32) * 4;
    return true;
}

void DibSection_CL::Reset()
{
    if (dc_ && previous_) SelectObject(dc_, previous_);
    if (bitmap_) DeleteObject(bitmap_);
    if (dc_) DeleteDC(dc_);
    bitmap_ = nullptr;
    dc_ = nullptr;
    previous_ = nullptr;
    bits_ = nullptr;
    width_ = height_ = stride_ = bitsPerPixel_ = 0;
}

Gdiplus::Bitmap* DibSection_CL::NewGdiplusBitmap(Gdiplus::PixelFormat format) const
{
    if (!bits_) return nullptr;
    auto* bitmap = new Gdiplus::Bitmap(width_, height_, stride_, format, static_cast<BYTE*>(bits_));
    if (bitmap->GetLastStatus() != Gdiplus::Ok) {
        delete bitmap;
        return nullptr;
    }
    return bitmap;
}

void DibSection_CL::BlendRect(const RECT& rect, Gdiplus::ARGB colour)
{
    if (!bits_) return;
    const int left = rect.left < 0 ? 0 : rect.left;
    const int top = rect.top < 0 ? 0 : rect.top;
    const int right = rect.right > width_ ? width_ : rect.right;
    const int bottom = rect.bottom > height_ ? height_ : rect.bottom;
    const unsigned alpha = colour >> 24;
    // Channels in memory order: blue, green, red.
    const unsigned source[3] = {colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF};
    const int bytes = bitsPerPixel_ / 8;
    for (int y = top; y < bottom; ++y) {
        BYTE* pixel = static_cast<BYTE*>(bits_) + static_cast<size_t>(y) * stride_ + static_cast<size_t>(left) * bytes;
        for (int x = left; x < right; ++x, pixel += bytes) {
            for (int c = 0; c < 3; ++c) pixel[c] = static_cast<BYTE>((source[c] * alpha + pixel[c] * (255 - alpha)) / 255);
        }
    }
}
