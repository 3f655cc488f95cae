#pragma once
// Painting into memory and probing the pixels, and strip bitmaps made at test time.
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>

#include "ui/widgets/Gdi.h"

// A 32-bit top-down DIB selected into a memory DC.
class Canvas {
public:
    Canvas(int width, int height);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return dc_; }
    COLORREF Pixel(int x, int y) const;
    void Fill(COLORREF colour);
    // The leftmost and rightmost columns in [left, right) holding a pixel other than
    // `background`; -1 each when there is none. right -1: the canvas width.
    std::pair<int, int> InkColumns(COLORREF background, int left = 0, int right = -1) const;

private:
    int width_;
    int height_;
    HDC dc_;
    UniqueGdiObject<HBITMAP> bitmap_;
    uint32_t* bits_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

// The width of a text in the default GUI font on the screen DC.
int DefaultFontTextWidth(const std::wstring& text);

constexpr COLORREF kMagenta = RGB(0xFF, 0x00, 0xFF);

// The colour of the right half of image `image` of a strip from WriteStripBitmap.
COLORREF StripColour(int image);

// A 24-bit BMP file of `count` images of 16 x 16 side by side: each one's left half
// magenta (transparent), its right half StripColour of its index. False on failure.
bool WriteStripBitmap(const std::wstring& path, int count);
