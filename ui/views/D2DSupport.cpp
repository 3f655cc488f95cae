#include "ui/views/D2DSupport.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>

using Microsoft::WRL::ComPtr;

namespace {

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);

// Windows 10 and later have it; older systems answer through the window's DC.
GetDpiForWindowFunction LookUpGetDpiForWindow()
{
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (!user32) return nullptr;
    return reinterpret_cast<GetDpiForWindowFunction>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForWindow")));
}

}  // namespace

void GetWindowDpi(HWND window, float* dpiX, float* dpiY)
{
    float x = 96.0f;
    float y = 96.0f;
    if (window) {
        static const GetDpiForWindowFunction getDpiForWindow = LookUpGetDpiForWindow();
        if (getDpiForWindow) {
            x = y = static_cast<float>(getDpiForWindow(window));
        } else if (HDC dc = GetDC(window)) {
            x = static_cast<float>(GetDeviceCaps(dc, LOGPIXELSX));
            y = static_cast<float>(GetDeviceCaps(dc, LOGPIXELSY));
            ReleaseDC(window, dc);
        }
    }
    if (dpiX) *dpiX = x;
    if (dpiY) *dpiY = y;
}

void D2DBitmapCacheEntry::Release()
{
    bitmap.Reset();
    width = 0;
    height = 0;
    std::vector<BYTE>().swap(pixels);
}

HRESULT UpdateD2DBitmapFromGdiBitmap(ID2D1RenderTarget* target, Gdiplus::Bitmap* source, D2DBitmapCacheEntry* entry)
{
    if (!target || !source || !entry) return E_POINTER;
    const UINT width = source->GetWidth();
    const UINT height = source->GetHeight();
    const Gdiplus::PixelFormat format = source->GetPixelFormat();
    if (width == 0 || height == 0) return S_FALSE;
    if (format != PixelFormat32bppPARGB && format != PixelFormat24bppRGB) return S_FALSE;

    const size_t rowBytes = static_cast<size_t>(width) * 4;
    if (rowBytes / 4 != width || height > std::numeric_limits<size_t>::max() / rowBytes) return E_OUTOFMEMORY;
    try {
        entry->pixels.resize(rowBytes * height);
    } catch (const std::bad_alloc&) {
        entry->Release();
        return E_OUTOFMEMORY;
    }

    Gdiplus::Rect whole(0, 0, static_cast<INT>(width), static_cast<INT>(height));
    Gdiplus::BitmapData data = {};
    if (source->LockBits(&whole, Gdiplus::ImageLockModeRead, format, &data) != Gdiplus::Ok) return E_FAIL;
    const BYTE* scan0 = static_cast<const BYTE*>(data.Scan0);
    BYTE* out = entry->pixels.data();
    // Rows are taken through the stride, which is negative for a bottom-up picture: the
    // copy comes out top row first either way.
    if (format == PixelFormat32bppPARGB) {
        if (data.Stride == static_cast<INT>(rowBytes)) {
            std::memcpy(out, scan0, rowBytes * height);
        } else {
            for (UINT y = 0; y < height; ++y) {
                std::memcpy(out + rowBytes * y, scan0 + static_cast<ptrdiff_t>(y) * data.Stride, rowBytes);
            }
        }
    } else {
        for (UINT y = 0; y < height; ++y) {
            const BYTE* in = scan0 + static_cast<ptrdiff_t>(y) * data.Stride;
            BYTE* row = out + rowBytes * y;
            for (UINT x = 0; x < width; ++x) {
                row[x * 4 + 0] = in[x * 3 + 0];
                row[x * 4 + 1] = in[x * 3 + 1];
                row[x * 4 + 2] = in[x * 3 + 2];
                row[x * 4 + 3] = 0xFF;
            }
        }
    }
    source->UnlockBits(&data);

    if (!entry->bitmap || entry->width != width || entry->height != height) {
        entry->bitmap.Reset();
        float dpiX = 96.0f;
        float dpiY = 96.0f;
        target->GetDpi(&dpiX, &dpiY);
        const D2D1_BITMAP_PROPERTIES properties = D2D1::BitmapProperties(
            D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED), dpiX, dpiY);
        const HRESULT hr = target->CreateBitmap(D2D1::SizeU(width, height), properties, entry->bitmap.GetAddressOf());
        if (FAILED(hr) || !entry->bitmap) {
            entry->Release();
            return FAILED(hr) ? hr : E_FAIL;
        }
        entry->width = width;
        entry->height = height;
    }
    return entry->bitmap->CopyFromMemory(nullptr, entry->pixels.data(), static_cast<UINT32>(rowBytes));
}

void D2DScratchSurface::Release()
{
    bitmap.reset();
    width = 0;
    height = 0;
    entry.Release();
}

HRESULT DrawGdiImageD2D(ID2D1RenderTarget* target, Gdiplus::Image* image, const D2D1_RECT_F& destination,
                        const Gdiplus::RectF& source, const D2D1_RECT_F* clip, D2DScratchSurface* scratch)
{
    if (!target || !image) return E_POINTER;
    const float destinationWidth = destination.right - destination.left;
    const float destinationHeight = destination.bottom - destination.top;
    const INT width = std::max(static_cast<INT>(std::ceil(destinationWidth)), 1);
    const INT height = std::max(static_cast<INT>(std::ceil(destinationHeight)), 1);

    D2DScratchSurface temporary;
    D2DScratchSurface& surface = scratch ? *scratch : temporary;
    if (!surface.bitmap || surface.width < width || surface.height < height) {
        const INT grownWidth = std::max(width, surface.width);
        const INT grownHeight = std::max(height, surface.height);
        surface.bitmap.reset();
        surface.width = surface.height = 0;
        auto bitmap = std::make_unique<Gdiplus::Bitmap>(grownWidth, grownHeight, PixelFormat32bppPARGB);
        if (bitmap->GetLastStatus() != Gdiplus::Ok) return E_FAIL;
        surface.bitmap = std::move(bitmap);
        surface.width = grownWidth;
        surface.height = grownHeight;
    }
    {
        Gdiplus::Graphics graphics(surface.bitmap.get());
        if (graphics.GetLastStatus() != Gdiplus::Ok) return E_FAIL;
        graphics.SetInterpolationMode(Gdiplus::InterpolationModeBilinear);
        const Gdiplus::Rect part(0, 0, width, height);
        graphics.SetClip(part);
        graphics.Clear(Gdiplus::Color(0, 0, 0, 0));
        graphics.DrawImage(image, Gdiplus::Rect(0, 0, width, height), static_cast<INT>(source.X),
                           static_cast<INT>(source.Y), static_cast<INT>(source.Width), static_cast<INT>(source.Height),
                           Gdiplus::UnitPixel);
        if (graphics.GetLastStatus() != Gdiplus::Ok) return E_FAIL;
    }
    const HRESULT copied = UpdateD2DBitmapFromGdiBitmap(target, surface.bitmap.get(), &surface.entry);
    if (FAILED(copied)) return copied;
    if (!surface.entry.bitmap) return E_FAIL;

    if (clip) target->PushAxisAlignedClip(*clip, D2D1_ANTIALIAS_MODE_ALIASED);
    // Only the region just drawn: the surface may be larger than this destination.
    float dpiX = 96.0f;
    float dpiY = 96.0f;
    target->GetDpi(&dpiX, &dpiY);
    const D2D1_RECT_F part = D2D1::RectF(0.0f, 0.0f, static_cast<float>(width) * 96.0f / dpiX,
                                         static_cast<float>(height) * 96.0f / dpiY);
    target->DrawBitmap(surface.entry.bitmap.Get(), destination, 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, &part);
    if (clip) target->PopAxisAlignedClip();
    return S_OK;
}

std::wstring FindInstalledFontFamily(IDWriteFactory* factory, std::initializer_list<const wchar_t*> families)
{
    if (!factory) return std::wstring();
    ComPtr<IDWriteFontCollection> collection;
    if (FAILED(factory->GetSystemFontCollection(collection.GetAddressOf(), FALSE)) || !collection) {
        return std::wstring();
    }
    auto installed = [&collection](const wchar_t* name) {
        if (!name || !*name) return false;
        UINT32 index = 0;
        BOOL exists = FALSE;
        return SUCCEEDED(collection->FindFamilyName(name, &index, &exists)) && exists;
    };
    for (const wchar_t* name : families) {
        if (installed(name)) return name;
    }
    return installed(kLastFontFamily) ? kLastFontFamily : std::wstring();
}

ComPtr<IDWriteTextFormat> CreateViewTextFormat(IDWriteFactory* factory, const std::wstring& family,
                                               DWRITE_FONT_WEIGHT weight, float size, DWRITE_WORD_WRAPPING wrapping)
{
    ComPtr<IDWriteTextFormat> format;
    if (!factory || family.empty() || !(size > 0.0f)) return format;
    if (FAILED(factory->CreateTextFormat(family.c_str(), nullptr, weight, DWRITE_FONT_STYLE_NORMAL,
                                         DWRITE_FONT_STRETCH_NORMAL, size, L"ja-jp", format.GetAddressOf()))) {
        return ComPtr<IDWriteTextFormat>();
    }
    if (format) format->SetWordWrapping(wrapping);
    return format;
}

D2D1_COLOR_F ColourFromArgb(Gdiplus::ARGB argb)
{
    return D2D1::ColorF(static_cast<float>((argb >> 16) & 0xFF) / 255.0f, static_cast<float>((argb >> 8) & 0xFF) / 255.0f,
                        static_cast<float>(argb & 0xFF) / 255.0f, static_cast<float>((argb >> 24) & 0xFF) / 255.0f);
}

HRESULT EndDrawOnTarget(ID2D1RenderTarget* target)
{
    return target ? target->EndDraw() : E_POINTER;
}
