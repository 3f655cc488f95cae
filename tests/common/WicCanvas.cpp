#include "WicCanvas.h"

#include <cstdlib>
#include <cstring>

#include "Screenshot.h"

WicCanvas::WicCanvas(int width, int height) : width_(width), height_(height)
{
    comStarted_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&wic_)))) return;
    if (FAILED(wic_->CreateBitmap(static_cast<UINT>(width), static_cast<UINT>(height), GUID_WICPixelFormat32bppPBGRA,
                                  WICBitmapCacheOnLoad, &bitmap_))) {
        return;
    }
    if (FAILED(D2D1CreateFactory(D2D1_FACTORY_TYPE_SINGLE_THREADED, __uuidof(ID2D1Factory), nullptr,
                                 reinterpret_cast<void**>(factory_.GetAddressOf())))) {
        return;
    }
    const D2D1_RENDER_TARGET_PROPERTIES properties = D2D1::RenderTargetProperties(
        D2D1_RENDER_TARGET_TYPE_DEFAULT, D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED),
        96.0f, 96.0f);
    factory_->CreateWicBitmapRenderTarget(bitmap_.Get(), properties, target_.GetAddressOf());
}

WicCanvas::~WicCanvas()
{
    target_.Reset();
    factory_.Reset();
    bitmap_.Reset();
    wic_.Reset();
    if (comStarted_) CoUninitialize();
}

HRESULT WicCanvas::Draw(const std::function<void(ID2D1RenderTarget*)>& drawing)
{
    if (!target_) return E_POINTER;
    target_->BeginDraw();
    drawing(target_.Get());
    const HRESULT result = target_->EndDraw();
    pixels_.assign(static_cast<size_t>(width_) * height_ * 4, 0);
    WICRect whole = {0, 0, width_, height_};
    bitmap_->CopyPixels(&whole, static_cast<UINT>(width_) * 4, static_cast<UINT>(pixels_.size()), pixels_.data());
    return result;
}

Gdiplus::Color WicCanvas::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || pixels_.empty()) return Gdiplus::Color(0, 0, 0, 0);
    const BYTE* p = pixels_.data() + (static_cast<size_t>(y) * width_ + x) * 4;
    return Gdiplus::Color(p[3], p[2], p[1], p[0]);
}

int WicCanvas::CountNear(const RECT& area, COLORREF colour, int tolerance) const
{
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            const Gdiplus::Color p = Pixel(x, y);
            if (std::abs(p.GetR() - GetRValue(colour)) <= tolerance && std::abs(p.GetG() - GetGValue(colour)) <= tolerance &&
                std::abs(p.GetB() - GetBValue(colour)) <= tolerance) {
                ++count;
            }
        }
    }
    return count;
}

std::wstring WicCanvas::SavePng(const std::wstring& area, const std::wstring& name) const
{
    if (pixels_.empty()) return std::wstring();
    const std::wstring path = ScreenshotPath(area, name);
    if (path.empty()) return std::wstring();
    HDC screen = GetDC(nullptr);
    void* bits = nullptr;
    HBITMAP dib = CreateTopDownDib(screen, width_, height_, &bits);
    ReleaseDC(nullptr, screen);
    if (!dib) return std::wstring();
    // Shown as it would look on an opaque window: alpha dropped.
    std::memcpy(bits, pixels_.data(), pixels_.size());
    for (size_t i = 3; i < pixels_.size(); i += 4) static_cast<BYTE*>(bits)[i] = 0xFF;
    const bool saved = SaveBitmapAsPng(dib, path);
    DeleteObject(dib);
    return saved ? path : std::wstring();
}
