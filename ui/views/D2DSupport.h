#pragma once
// What the Direct2D painting of the picture views shares: the window's DPI, GDI+ pictures
// copied into Direct2D bitmaps, DirectWrite families that are really installed, and the end
// of a drawing pass.
#include <windows.h>
#include <d2d1.h>
#include <dwrite.h>
#include <gdiplus.h>
#include <wrl/client.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

// Both DPI values of the window; 96 x 96 for no window.
void GetWindowDpi(HWND window, float* dpiX, float* dpiY);

// A Direct2D bitmap and the pixels last copied into it (premultiplied BGRA, top row first,
// width x 4 bytes a row).
struct D2DBitmapCacheEntry {
    Microsoft::WRL::ComPtr<ID2D1Bitmap> bitmap;
    UINT32 width = 0;
    UINT32 height = 0;
    std::vector<BYTE> pixels;

    void Release();
};

// Copies a 32bppPARGB or 24bppRGB GDI+ bitmap into the entry (24-bit pixels become opaque),
// remaking the entry's Direct2D bitmap only when the size changed. S_FALSE, and nothing
// copied, for an empty bitmap or any other pixel format; a failure when the pixels cannot be
// read or the target makes no bitmap (D2DERR_RECREATE_TARGET once its device is lost), with
// the entry then empty.
HRESULT UpdateD2DBitmapFromGdiBitmap(ID2D1RenderTarget* target, Gdiplus::Bitmap* source, D2DBitmapCacheEntry* entry);

// A GDI+ surface that parts of pictures are redrawn on before they go to Direct2D, with the
// Direct2D bitmap they are copied into. It grows to the largest part drawn and never shrinks.
struct D2DScratchSurface {
    std::unique_ptr<Gdiplus::Bitmap> bitmap;  // 32bppPARGB
    int32_t width = 0;
    int32_t height = 0;
    D2DBitmapCacheEntry entry;

    void Release();
};

// Draws the `source` rectangle of a GDI+ image into `destination` on the target, within
// `clip` when one is given: the region is first redrawn (bilinear) at the destination's pixel
// size on the scratch surface, a temporary one when `scratch` is null. E_POINTER without a
// target or an image, E_FAIL when GDI+ or Direct2D cannot make a surface.
HRESULT DrawGdiImageD2D(ID2D1RenderTarget* target, Gdiplus::Image* image, const D2D1_RECT_F& destination,
                        const Gdiplus::RectF& source, const D2D1_RECT_F* clip, D2DScratchSurface* scratch);

// The last family of every fallback list: the Japanese family the rig and most systems
// without the Windows fonts have.
constexpr const wchar_t* kLastFontFamily = L"IPAGothic";

// The first of `families` that the system font collection holds, else kLastFontFamily when it
// is there; empty when none is. CreateTextFormat accepts a family that is not installed and
// the format then draws nothing, so a family is looked up before a format is made of it.
std::wstring FindInstalledFontFamily(IDWriteFactory* factory, std::initializer_list<const wchar_t*> families);

// A "ja-jp" text format of `family` with its word wrapping; null when it cannot be made.
Microsoft::WRL::ComPtr<IDWriteTextFormat> CreateViewTextFormat(IDWriteFactory* factory, const std::wstring& family,
                                                               DWRITE_FONT_WEIGHT weight, float size,
                                                               DWRITE_WORD_WRAPPING wrapping);

// An ARGB value as Direct2D takes it, each channel / 255.
D2D1_COLOR_F ColourFromArgb(Gdiplus::ARGB argb);

// The answer of a target whose device is lost: every object made on it must be made again.
constexpr HRESULT kD2DRecreateTarget = static_cast<HRESULT>(D2DERR_RECREATE_TARGET);

// Ends a drawing pass. The views end theirs through a pointer to such a function, which a test
// points elsewhere to answer as a lost device would.
using EndDrawFunction = HRESULT (*)(ID2D1RenderTarget* target);
HRESULT EndDrawOnTarget(ID2D1RenderTarget* target);
