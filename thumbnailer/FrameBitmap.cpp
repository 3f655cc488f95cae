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

bool Reduce(FramePixels pixels, const YuvFrameLayout& source, bool bottomUp, int factor, const BgrxTarget& target)
{
    switch (pixels) {
    case FramePixels::Rgb32:
        return ReduceRgb32ToBgrx(source, bottomUp, factor, target);
    case FramePixels::Yuy2:
        return ReduceYuy2ToBgrx(source, factor, target);
    case FramePixels::Nv12:
    case FramePixels::I420:
        break;
    }
    return false;
}

bool CanReduce(FramePixels pixels) { return pixels == FramePixels::Rgb32 || pixels == FramePixels::Yuy2; }

}  // namespace

int ReductionFor(int width, int height, int slotWidth, int slotHeight)
{
    if (width <= 0 || height <= 0 || slotWidth <= 0 || slotHeight <= 0) return 1;
    return std::max(1, std::min(width / slotWidth, height / slotHeight));
}

std::unique_ptr<Gdiplus::Bitmap> CreateFrameBitmap(FramePixels pixels, const YuvFrameLayout& source, bool bottomUp,
                                                   int reduction)
{
    if (source.width <= 0 || source.height <= 0) return nullptr;
    if (reduction < 1 || !CanReduce(pixels)) reduction = 1;
    const int width = reduction > 1 ? ReducedSide(source.width, reduction) : source.width;
    const int height = reduction > 1 ? ReducedSide(source.height, reduction) : source.height;
    std::unique_ptr<Gdiplus::Bitmap> bitmap(new Gdiplus::Bitmap(width, height, PixelFormat32bppRGB));
    if (!bitmap || bitmap->GetLastStatus() != Gdiplus::Ok) return nullptr;

    Gdiplus::Rect area(0, 0, width, height);
    Gdiplus::BitmapData data{};
    if (bitmap->LockBits(&area, Gdiplus::ImageLockModeWrite, PixelFormat32bppRGB, &data) != Gdiplus::Ok) return nullptr;
    BgrxTarget target;
    target.data = static_cast<BYTE*>(data.Scan0);
    target.stride = data.Stride;
    // GDI+ may hand out a bottom-up buffer (negative stride); the converters write top-down.
    const bool converted = target.stride > 0 && (reduction > 1 ? Reduce(pixels, source, bottomUp, reduction, target)
                                                                : Convert(pixels, source, bottomUp, target));
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
