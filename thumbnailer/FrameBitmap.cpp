#include "thumbnailer/FrameBitmap.h"

#include <algorithm>

namespace {

bool Convert(FramePixels pixels, const YuvFrameLayout& source, bool bottomUp, const BgrxTarget& target)
{
    switch (pixels) {
    case FramePixels::Rgb32:
        return CopyRgb32ToBgrx(source, bottomUp, target);
    case FramePixels::Yuy2:
        return ConvertYuy2ToBgrx(source, target);
    case FramePixels::Nv12:
        return ConvertNv12ToBgrx(source, target);
    case FramePixels::I420:
        return ConvertI420ToBgrx(source, target);
    }
    return false;
}

}  // namespace

std::unique_ptr<Gdiplus::Bitmap> CreateFrameBitmap(FramePixels pixels, const YuvFrameLayout& source, bool bottomUp)
{
    if (source.width <= 0 || source.height <= 0) return nullptr;
    std::unique_ptr<Gdiplus::Bitmap> bitmap(new Gdiplus::Bitmap(source.width, source.height, PixelFormat32bppRGB));
    if (!bitmap || bitmap->GetLastStatus() != Gdiplus::Ok) return nullptr;

    Gdiplus::Rect area(0, 0, source.width, source.height);
    Gdiplus::BitmapData data{};
    if (bitmap->LockBits(&area, Gdiplus::ImageLockModeWrite, PixelFormat32bppRGB, &data) != Gdiplus::Ok) return nullptr;
    BgrxTarget target;
    target.data = static_cast<BYTE*>(data.Scan0);
    target.stride = data.Stride;
    // GDI+ may hand out a bottom-up buffer (negative stride); the converters write top-down.
    const bool converted = target.stride > 0 && Convert(pixels, source, bottomUp, target);
    bitmap->UnlockBits(&data);
    return converted ? std::move(bitmap) : nullptr;
}

std::unique_ptr<Gdiplus::Bitmap> ScaleDownFrame(std::unique_ptr<Gdiplus::Bitmap> frame, int maxSide)
{
    if (!frame) return nullptr;
    const int width = static_cast<int>(frame->GetWidth());
    const int height = static_cast<int>(frame->GetHeight());
    const int larger = std::max(width, height);
    if (larger <= maxSide) return frame;

    const int scaledWidth = std::max(1, static_cast<int>(static_cast<int64_t>(width) * maxSide / larger));
    const int scaledHeight = std::max(1, static_cast<int>(static_cast<int64_t>(height) * maxSide / larger));
    std::unique_ptr<Gdiplus::Bitmap> scaled(
        new Gdiplus::Bitmap(scaledWidth, scaledHeight, PixelFormat32bppARGB));
    if (!scaled || scaled->GetLastStatus() != Gdiplus::Ok) return nullptr;
    Gdiplus::Graphics graphics(scaled.get());
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    // Without the flipped tiling the bicubic filter blends the border with transparent black.
    Gdiplus::ImageAttributes attributes;
    attributes.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
    Gdiplus::Rect target(0, 0, scaledWidth, scaledHeight);
    if (graphics.DrawImage(frame.get(), target, 0, 0, width, height, Gdiplus::UnitPixel, &attributes) != Gdiplus::Ok)
        return nullptr;
    return scaled;
}
