#pragma once
// The image strip of one movie: its frames side by side, slot i at x = frame width x i.
// 16 bits per pixel in the 5-5-5 layout: GDI under Wine fills a 5-6-5 GDI+ bitmap drawn
// through its HDC with 5-5-5 bits, which turns every colour (white reads back as
// 123,255,255), while 5-5-5 comes out right there and on Windows.
#include <windows.h>
#include <gdiplus.h>

#include <memory>
#include <string>
#include <type_traits>

struct GdiObjectDeleter {
    void operator()(HBITMAP bitmap) const { DeleteObject(bitmap); }
};
using UniqueHBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiObjectDeleter>;

class ThumbnailStrip_CL {
public:
    // Frame sizes a request may ask for; a strip of 64 frames of the largest size is still
    // refused by GDI+ when the memory isn't there, which fails the movie, not the program.
    static constexpr int kMaxFrameSide = 4096;

    // The movie path and the frame count are for the log lines only.
    ThumbnailStrip_CL(const std::wstring& moviePath, int frameCount);
    virtual ~ThumbnailStrip_CL() = default;
    ThumbnailStrip_CL(const ThumbnailStrip_CL&) = delete;
    ThumbnailStrip_CL& operator=(const ThumbnailStrip_CL&) = delete;

    // Makes the strip of frameCount frames of this size, black. false when a side is
    // outside 1 .. kMaxFrameSide or GDI+ cannot make the bitmap.
    bool Create(int frameWidth, int frameHeight);
    bool IsCreated() const { return static_cast<bool>(bitmap_); }
    int GetFrameWidth() const { return frameWidth_; }
    int GetFrameHeight() const { return frameHeight_; }
    Gdiplus::Bitmap* GetBitmap() const { return bitmap_.get(); }

    // Stretches `source` into slot `slot`. false, with the slot as it was, when the source
    // cannot be turned into an HBITMAP or the strip cannot be drawn on.
    bool DrawFrame(int slot, Gdiplus::Bitmap& source);
    // Paints the slot in one colour: the stand-in when not even the error image is there.
    bool FillSlot(int slot, Gdiplus::ARGB colour);
    // The strip as an HBITMAP over black, for the image writers; null on failure.
    UniqueHBitmap CreateHBitmap() const;

private:
    bool IsSlot(int slot) const { return slot >= 0 && slot < frameCount_; }

    std::wstring moviePath_;
    int frameCount_;
    int frameWidth_ = 0;
    int frameHeight_ = 0;
    std::unique_ptr<Gdiplus::Bitmap> bitmap_;
};
