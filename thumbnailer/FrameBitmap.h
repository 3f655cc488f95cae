#pragma once
// The GDI+ bitmaps that the frame grabbers hand to the decode thread: opaque 32-bit frames
// filled straight from a decoder's buffer.
#include <windows.h>
#include <gdiplus.h>

#include <memory>

#include "core/media/PixelConversion.h"

// The pixel layouts the grabbers accept from DirectShow and Media Foundation.
enum class FramePixels { Rgb32, Yuy2, Nv12, I420 };

// A new top-down 32-bit bitmap of the picture size in `source`, converted from `pixels`;
// null when the layout is refused or GDI+ has no memory. `bottomUp` only matters for RGB32.
// A `reduction` above 1 makes the bitmap that many times smaller on each side, each pixel
// the mean of its block (YUY2 and RGB32 only; the planar layouts keep their size).
std::unique_ptr<Gdiplus::Bitmap> CreateFrameBitmap(FramePixels pixels, const YuvFrameLayout& source, bool bottomUp,
                                                   int reduction = 1);

// The largest whole reduction that still leaves a frame of width x height at least as large
// as a slot on both sides; 1 when any size is unknown.
int ReductionFor(int width, int height, int slotWidth, int slotHeight);

// The frame itself when its larger side is at most `maxSide`, else a smooth copy scaled to
// that side (the smaller side keeps the proportion, at least 1 pixel). Null on failure.
std::unique_ptr<Gdiplus::Bitmap> ScaleDownFrame(std::unique_ptr<Gdiplus::Bitmap> frame, int maxSide);
