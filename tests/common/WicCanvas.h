#pragma once
// A Direct2D target over a 32bppPBGRA WIC bitmap, whose pixels can be read back: under Wine
// what a window target draws cannot be (every way of reading the window gives black), so the
// views' Direct2D drawing is checked on one of these.
#include <windows.h>
#include <d2d1.h>
#include <gdiplus.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <functional>
#include <string>
#include <vector>

class WicCanvas {
public:
    // COM is started on the thread for the life of the canvas.
    WicCanvas(int width, int height);
    ~WicCanvas();
    WicCanvas(const WicCanvas&) = delete;
    WicCanvas& operator=(const WicCanvas&) = delete;

    bool IsReady() const { return target_ != nullptr; }
    ID2D1RenderTarget* Target() const { return target_.Get(); }
    int Width() const { return width_; }
    int Height() const { return height_; }

    // BeginDraw, the drawing, EndDraw; then the pixels are read back. The EndDraw result.
    HRESULT Draw(const std::function<void(ID2D1RenderTarget*)>& drawing);
    // A pixel of the last Draw, alpha included (premultiplied as drawn).
    Gdiplus::Color Pixel(int x, int y) const;
    // Pixels of the rectangle whose colour is within `tolerance` of `colour`.
    int CountNear(const RECT& area, COLORREF colour, int tolerance = 60) const;
    int CountUnlike(const RECT& area, COLORREF colour, int tolerance = 60) const
    {
        return (area.right - area.left) * (area.bottom - area.top) - CountNear(area, colour, tolerance);
    }
    // The last Draw as a PNG under the test program's screenshots; the path, or empty.
    std::wstring SavePng(const std::wstring& area, const std::wstring& name) const;

private:
    int width_;
    int height_;
    bool comStarted_ = false;
    Microsoft::WRL::ComPtr<IWICImagingFactory> wic_;
    Microsoft::WRL::ComPtr<IWICBitmap> bitmap_;
    Microsoft::WRL::ComPtr<ID2D1Factory> factory_;
    Microsoft::WRL::ComPtr<ID2D1RenderTarget> target_;
    std::vector<BYTE> pixels_;  // BGRA, top row first
};
