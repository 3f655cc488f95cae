#pragma once
// A top-down DIB section selected into its own memory DC: GDI fills and copies into it are
// plain memory work, and a GDI+ bitmap can be laid over the same pixels.
#include <windows.h>
#include <gdiplus.h>

class DibSection_CL {
public:
    DibSection_CL() = default;
    ~DibSection_CL() { Reset(); }
    DibSection_CL(const DibSection_CL&) = delete;
    DibSection_CL& operator=(const DibSection_CL&) = delete;

    // 24 or 32 bits per pixel. False (and nothing held) when GDI cannot make it.
    bool Create(int width, int height, int bitsPerPixel);
    void Reset();

    HDC Dc() const { return dc_; }
    void* Bits() const { return bits_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Bytes from one row to the next (rows are DWORD-aligned).
    int Stride() const { return stride_; }
    int BitsPerPixel() const { return bitsPerPixel_; }
    // A GDI+ bitmap over these pixels, in the format of their bits per pixel; null when
    // there are none. It must be deleted before this object lets the pixels go.
    Gdiplus::Bitmap* NewGdiplusBitmap(Gdiplus::PixelFormat format) const;
    // Lays the colour with its alpha over the pixels of the rectangle (clipped to the
    // section): what an alpha fill does, as plain memory work. GDI work still queued must
    // be flushed first.
    void BlendRect(const RECT& rect, Gdiplus::ARGB colour);

private:
    HBITMAP bitmap_ = nullptr;
    HDC dc_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    void* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    int stride_ = 0;
    int bitsPerPixel_ = 0;
};
