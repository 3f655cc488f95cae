// The 16-bit image strip: colours survive the draw, slots land side by side, bad sizes are
// refused.
#include <gtest/gtest.h>

#include <memory>

#include "core/media/GdiplusSession.h"
#include "tests/thumbnailer/SolidFrame.h"
#include "thumbnailer/ThumbnailStrip.h"

namespace {

// The strip keeps 5 bits per channel: a channel may differ by the bits it drops.
void ExpectColour(Gdiplus::Bitmap& strip, int x, int y, int r, int g, int b, const char* what)
{
    Gdiplus::Color pixel;
    ASSERT_EQ(Gdiplus::Ok, strip.GetPixel(x, y, &pixel)) << what;
    EXPECT_NEAR(r, pixel.GetR(), 8) << what << " at " << x << "," << y;
    EXPECT_NEAR(g, pixel.GetG(), 8) << what << " at " << x << "," << y;
    EXPECT_NEAR(b, pixel.GetB(), 8) << what << " at " << x << "," << y;
}

class ThumbnailStrip : public testing::Test {
protected:
    GdiplusSession gdiplus_;
};

TEST_F(ThumbnailStrip, WhiteAndColouredFramesKeepTheirColoursInTheirSlots)
{
    ThumbnailStrip_CL strip(L"movie.mp4", 3);
    ASSERT_TRUE(strip.Create(32, 18));
    EXPECT_EQ(PixelFormat16bppRGB555, strip.GetBitmap()->GetPixelFormat());
    EXPECT_EQ(96u, strip.GetBitmap()->GetWidth());
    EXPECT_EQ(18u, strip.GetBitmap()->GetHeight());

    auto white = SolidFrame(320, 180, 0xFFFFFFFF);
    auto coloured = SolidFrame(64, 36, 0xFFC82878);  // 200, 40, 120
    ASSERT_TRUE(strip.DrawFrame(0, *white));
    ASSERT_TRUE(strip.DrawFrame(1, *coloured));
    Gdiplus::Bitmap& bitmap = *strip.GetBitmap();
    for (int y : {0, 9, 17}) {
        ExpectColour(bitmap, 0, y, 255, 255, 255, "white slot");
        ExpectColour(bitmap, 31, y, 255, 255, 255, "white slot");
        ExpectColour(bitmap, 32, y, 200, 40, 120, "coloured slot");
        ExpectColour(bitmap, 63, y, 200, 40, 120, "coloured slot");
        ExpectColour(bitmap, 64, y, 0, 0, 0, "slot not drawn yet");
    }

    // What the writers get is the same picture.
    UniqueHBitmap saved = strip.CreateHBitmap();
    ASSERT_TRUE(saved);
    Gdiplus::Bitmap reread(saved.get(), nullptr);
    ExpectColour(reread, 5, 5, 255, 255, 255, "saved white");
    ExpectColour(reread, 40, 5, 200, 40, 120, "saved colour");
}

TEST_F(ThumbnailStrip, FillSlotPaintsOnlyItsSlot)
{
    ThumbnailStrip_CL strip(L"movie.mp4", 2);
    ASSERT_TRUE(strip.Create(8, 8));
    ASSERT_TRUE(strip.FillSlot(1, 0xFF808080));
    ExpectColour(*strip.GetBitmap(), 7, 4, 0, 0, 0, "slot 0");
    ExpectColour(*strip.GetBitmap(), 8, 4, 128, 128, 128, "slot 1");
    EXPECT_FALSE(strip.FillSlot(2, 0xFF808080));
    EXPECT_FALSE(strip.FillSlot(-1, 0xFF808080));
}

TEST_F(ThumbnailStrip, RefusesSizesOutsideTheFrameLimits)
{
    struct Case {
        int frames, width, height;
        bool made;
    } cases[] = {
        {1, 1, 1, true},      {10, 256, 144, true},  {1, 4096, 4096, true}, {1, 0, 144, false},
        {1, 256, 0, false},   {1, -1, -1, false},    {1, 4097, 144, false}, {1, 256, 4097, false},
        {0, 256, 144, false},
    };
    for (const Case& c : cases) {
        ThumbnailStrip_CL strip(L"movie.mp4", c.frames);
        EXPECT_EQ(c.made, strip.Create(c.width, c.height)) << c.frames << " x " << c.width << "x" << c.height;
        EXPECT_EQ(c.made, strip.IsCreated());
    }
}

TEST_F(ThumbnailStrip, DrawingOutsideTheStripOrBeforeItExistsFails)
{
    auto white = SolidFrame(8, 8, 0xFFFFFFFF);
    ThumbnailStrip_CL strip(L"movie.mp4", 2);
    EXPECT_FALSE(strip.DrawFrame(0, *white));
    ASSERT_TRUE(strip.Create(8, 8));
    EXPECT_FALSE(strip.DrawFrame(2, *white));
    // A source that is no bitmap at all (a failed load) leaves the slot as it was.
    Gdiplus::Bitmap missing(L"Z:\\no\\such\\image.jpg");
    EXPECT_FALSE(strip.DrawFrame(0, missing));
    ExpectColour(*strip.GetBitmap(), 4, 4, 0, 0, 0, "untouched slot");
}

}  // namespace
