#include <gtest/gtest.h>

#include <windows.h>
#include <d2d1.h>
#include <dwrite.h>

#include <cstring>
#include <vector>

#include "core/media/GdiplusSession.h"
#include "tests/common/TestWindow.h"
#include "tests/common/WicCanvas.h"
#include "ui/views/D2DSupport.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr int kWidth = 3;
constexpr int kHeight = 2;

// BGRA bytes of pixel (x, y) of a test picture: every pixel different, some translucent.
void SourcePixel(int x, int y, BYTE out[4])
{
    out[0] = static_cast<BYTE>(10 + x * 40);
    out[1] = static_cast<BYTE>(20 + y * 90);
    out[2] = static_cast<BYTE>(30 + x * 10 + y * 50);
    out[3] = static_cast<BYTE>(x == 1 ? 0x80 : 0xFF);
}

// Writes the test picture into a bitmap's pixels in its own format, row by row through the
// stride the bitmap reports (negative for a bottom-up bitmap).
void FillSource(Gdiplus::Bitmap* bitmap)
{
    const Gdiplus::PixelFormat format = bitmap->GetPixelFormat();
    const int bytes = format == PixelFormat24bppRGB ? 3 : 4;
    Gdiplus::Rect whole(0, 0, kWidth, kHeight);
    Gdiplus::BitmapData data = {};
    ASSERT_EQ(bitmap->LockBits(&whole, Gdiplus::ImageLockModeWrite, format, &data), Gdiplus::Ok);
    for (int y = 0; y < kHeight; ++y) {
        BYTE* row = static_cast<BYTE*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride;
        for (int x = 0; x < kWidth; ++x) {
            BYTE pixel[4];
            SourcePixel(x, y, pixel);
            std::memcpy(row + x * bytes, pixel, bytes);
        }
    }
    bitmap->UnlockBits(&data);
}

class D2DSupportTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(gdiplus_.IsStarted());
        ASSERT_TRUE(canvas_.IsReady());
    }

    GdiplusSession gdiplus_;
    WicCanvas canvas_{64, 32};
};

TEST_F(D2DSupportTest, GdiBitmapsCopiedByFormat)
{
    // A bottom-up picture: its first row sits at the end of the memory.
    const INT stride = kWidth * 4;
    std::vector<BYTE> bottomUpMemory(static_cast<size_t>(stride) * kHeight);
    Gdiplus::Bitmap bottomUp(kWidth, kHeight, -stride, PixelFormat32bppPARGB,
                             bottomUpMemory.data() + static_cast<size_t>(stride) * (kHeight - 1));
    Gdiplus::Bitmap premultiplied(kWidth, kHeight, PixelFormat32bppPARGB);
    Gdiplus::Bitmap rgb24(kWidth, kHeight, PixelFormat24bppRGB);
    Gdiplus::Bitmap argb32(kWidth, kHeight, PixelFormat32bppARGB);
    Gdiplus::Bitmap rgb555(kWidth, kHeight, PixelFormat16bppRGB555);
    FillSource(&premultiplied);
    FillSource(&rgb24);
    FillSource(&bottomUp);

    const struct {
        const char* name;
        Gdiplus::Bitmap* source;
        bool copied;
        bool opaque;
    } cases[] = {
        {"32bppPARGB", &premultiplied, true, false},
        {"24bppRGB", &rgb24, true, true},
        {"bottom-up 32bppPARGB", &bottomUp, true, false},
        {"32bppARGB", &argb32, false, false},
        {"16bppRGB555", &rgb555, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        D2DBitmapCacheEntry entry;
        const HRESULT hr = UpdateD2DBitmapFromGdiBitmap(canvas_.Target(), c.source, &entry);
        if (!c.copied) {
            EXPECT_EQ(hr, S_FALSE);
            EXPECT_FALSE(entry.bitmap);
            EXPECT_TRUE(entry.pixels.empty());
            continue;
        }
        ASSERT_EQ(hr, S_OK);
        ASSERT_TRUE(entry.bitmap);
        EXPECT_EQ(entry.width, static_cast<UINT32>(kWidth));
        EXPECT_EQ(entry.height, static_cast<UINT32>(kHeight));
        ASSERT_EQ(entry.pixels.size(), static_cast<size_t>(kWidth * kHeight * 4));
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                BYTE expected[4];
                SourcePixel(x, y, expected);
                if (c.opaque) expected[3] = 0xFF;
                const BYTE* got = &entry.pixels[(static_cast<size_t>(y) * kWidth + x) * 4];
                EXPECT_EQ(0, std::memcmp(got, expected, 4)) << x << "," << y;
            }
        }
    }
}

TEST_F(D2DSupportTest, SameSizeKeepsTheBitmapNewSizeRemakesIt)
{
    Gdiplus::Bitmap red(8, 4, PixelFormat24bppRGB);
    Gdiplus::Bitmap blue(8, 4, PixelFormat24bppRGB);
    Gdiplus::Bitmap wide(16, 4, PixelFormat24bppRGB);
    {
        Gdiplus::Graphics(&red).Clear(Gdiplus::Color(255, 220, 0, 0));
        Gdiplus::Graphics(&blue).Clear(Gdiplus::Color(255, 0, 0, 220));
        Gdiplus::Graphics(&wide).Clear(Gdiplus::Color(255, 0, 220, 0));
    }
    D2DBitmapCacheEntry entry;
    ASSERT_EQ(UpdateD2DBitmapFromGdiBitmap(canvas_.Target(), &red, &entry), S_OK);
    ID2D1Bitmap* first = entry.bitmap.Get();
    ASSERT_EQ(UpdateD2DBitmapFromGdiBitmap(canvas_.Target(), &blue, &entry), S_OK);
    EXPECT_EQ(entry.bitmap.Get(), first);
    // The kept bitmap holds the new pixels.
    canvas_.Draw([&](ID2D1RenderTarget* target) {
        target->Clear(D2D1::ColorF(0, 0, 0, 1));
        target->DrawBitmap(entry.bitmap.Get(), D2D1::RectF(0, 0, 8, 4));
    });
    EXPECT_EQ(canvas_.CountNear({0, 0, 8, 4}, RGB(0, 0, 220), 8), 32);

    ComPtr<ID2D1Bitmap> keep = entry.bitmap;
    ASSERT_EQ(UpdateD2DBitmapFromGdiBitmap(canvas_.Target(), &wide, &entry), S_OK);
    EXPECT_NE(entry.bitmap.Get(), keep.Get());
    EXPECT_EQ(entry.width, 16u);
    const D2D1_SIZE_U size = entry.bitmap->GetPixelSize();
    EXPECT_EQ(size.width, 16u);
    EXPECT_EQ(size.height, 4u);

    entry.Release();
    EXPECT_FALSE(entry.bitmap);
    EXPECT_EQ(entry.width, 0u);
    EXPECT_TRUE(entry.pixels.empty());
}

TEST_F(D2DSupportTest, ImagePartsDrawnScaledAndClippedThroughTheScratch)
{
    // Two 256-pixel frames: green, then blue.
    Gdiplus::Bitmap strip(512, 144, PixelFormat24bppRGB);
    {
        Gdiplus::Graphics graphics(&strip);
        Gdiplus::SolidBrush green(Gdiplus::Color(255, 0, 200, 0));
        Gdiplus::SolidBrush blue(Gdiplus::Color(255, 0, 0, 200));
        graphics.FillRectangle(&green, 0, 0, 256, 144);
        graphics.FillRectangle(&blue, 256, 0, 256, 144);
    }
    WicCanvas canvas(200, 120);
    ASSERT_TRUE(canvas.IsReady());
    D2DScratchSurface scratch;
    HRESULT first = E_FAIL;
    HRESULT second = E_FAIL;
    // The second frame scaled into 128 x 72 at (10, 10); then the first, 192 high, moved up and
    // clipped to a 128 x 72 box at (10, 90) (it would reach up to y 66 unclipped).
    const D2D1_RECT_F clip = D2D1::RectF(10, 90, 138, 162);
    canvas.Draw([&](ID2D1RenderTarget* target) {
        target->Clear(D2D1::ColorF(1, 1, 1, 1));
        first = DrawGdiImageD2D(target, &strip, D2D1::RectF(10, 10, 138, 82), Gdiplus::RectF(256, 0, 256, 144), nullptr,
                                &scratch);
        second = DrawGdiImageD2D(target, &strip, D2D1::RectF(10, 66, 138, 258), Gdiplus::RectF(0, 0, 256, 144), &clip,
                                 &scratch);
    });
    ASSERT_EQ(first, S_OK);
    ASSERT_EQ(second, S_OK);
    EXPECT_EQ(canvas.CountNear({12, 12, 136, 80}, RGB(0, 0, 200), 16), 124 * 68);
    EXPECT_EQ(canvas.CountNear({10, 83, 138, 90}, RGB(255, 255, 255), 4), 128 * 7);
    EXPECT_GT(canvas.CountNear({12, 92, 136, 118}, RGB(0, 200, 0), 16), 124 * 25);
    // The scratch grew to the larger part and kept that size.
    EXPECT_EQ(scratch.width, 128);
    EXPECT_EQ(scratch.height, 192);
    EXPECT_EQ(DrawGdiImageD2D(nullptr, &strip, D2D1::RectF(0, 0, 1, 1), Gdiplus::RectF(0, 0, 1, 1), nullptr, nullptr),
              E_POINTER);
}

TEST_F(D2DSupportTest, WindowDpi)
{
    float x = 0;
    float y = 0;
    GetWindowDpi(nullptr, &x, &y);
    EXPECT_EQ(x, 96.0f);
    EXPECT_EQ(y, 96.0f);

    TestHostWindow host(200, 100);
    HDC dc = GetDC(host.Get());
    const float expected = static_cast<float>(GetDeviceCaps(dc, LOGPIXELSX));
    ReleaseDC(host.Get(), dc);
    GetWindowDpi(host.Get(), &x, &y);
    EXPECT_EQ(x, expected);
    EXPECT_EQ(y, expected);
}

// A family that is not installed is skipped for the next one, and every list ends with a
// family that draws: a format of the family found lights pixels.
TEST_F(D2DSupportTest, InstalledFamilyFoundInOrderAndDraws)
{
    ComPtr<IDWriteFactory> factory;
    ASSERT_EQ(DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                                  reinterpret_cast<IUnknown**>(factory.GetAddressOf())),
              S_OK);
    EXPECT_EQ(FindInstalledFontFamily(factory.Get(), {L"Reelvault Absent Family", kLastFontFamily, L"Arial"}),
              kLastFontFamily);
    EXPECT_EQ(FindInstalledFontFamily(factory.Get(), {L"Reelvault Absent Family"}), kLastFontFamily);
    EXPECT_EQ(FindInstalledFontFamily(nullptr, {L"Arial"}), L"");

    const std::wstring family = FindInstalledFontFamily(factory.Get(), {L"Reelvault Absent Family"});
    ComPtr<IDWriteTextFormat> format =
        CreateViewTextFormat(factory.Get(), family, DWRITE_FONT_WEIGHT_BOLD, 16.0f, DWRITE_WORD_WRAPPING_WRAP);
    ASSERT_TRUE(format);
    EXPECT_EQ(format->GetWordWrapping(), DWRITE_WORD_WRAPPING_WRAP);
    EXPECT_FALSE(CreateViewTextFormat(factory.Get(), L"", DWRITE_FONT_WEIGHT_BOLD, 16.0f, DWRITE_WORD_WRAPPING_WRAP));

    ComPtr<ID2D1SolidColorBrush> brush;
    ASSERT_EQ(canvas_.Target()->CreateSolidColorBrush(D2D1::ColorF(1, 1, 1, 1), &brush), S_OK);
    canvas_.Draw([&](ID2D1RenderTarget* target) {
        target->Clear(D2D1::ColorF(0, 0, 0, 1));
        const wchar_t text[] = L"日本語";
        target->DrawText(text, 3, format.Get(), D2D1::RectF(0, 0, 64, 32), brush.Get());
    });
    EXPECT_GT(canvas_.CountUnlike({0, 0, 64, 32}, RGB(0, 0, 0), 40), 30);
}

}  // namespace
