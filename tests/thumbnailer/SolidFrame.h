#pragma once
// A frame of one colour, as a grabber would hand it over (32-bit, opaque).
#include <windows.h>
#include <gdiplus.h>

#include <memory>

inline std::unique_ptr<Gdiplus::Bitmap> SolidFrame(int width, int height, Gdiplus::ARGB colour)
{
    std::unique_ptr<Gdiplus::Bitmap> frame(new Gdiplus::Bitmap(width, height, PixelFormat32bppRGB));
    Gdiplus::Graphics graphics(frame.get());
    Gdiplus::SolidBrush brush{Gdiplus::Color(colour)};
    graphics.FillRectangle(&brush, 0, 0, width, height);
    return frame;
}
