#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/media/PixelConversion.h"

namespace {

using Bytes = std::vector<BYTE>;

// Values worked out by hand from C = 298 (Y - 16), D = U - 128, E = V - 128:
// R = (C + 409 E + 128) >> 8, G = (C - 100 D - 208 E + 128) >> 8, B = (C + 516 D + 128) >> 8.
TEST(PixelConversion, Bt601IntegerFormGivesHandComputedColours)
{
    struct Case {
        int y, u, v;
        uint32_t bgrx;
    };
    const Case cases[] = {
        {16, 128, 128, 0xFF000000},   // black
        {235, 128, 128, 0xFFFFFFFF},  // white: (298 x 219 + 128) >> 8 = 255
        {126, 128, 128, 0xFF808080},  // (32780 + 128) >> 8 = 128
        {81, 90, 240, 0xFFFF0000},    // red: R 255 (clamped), G 0, B clamped from -1
        {100, 150, 100, 0xFF35708E},  // R 53, G 112, B 142
        {0, 0, 0, 0xFF008700},        // below black: R and B clamp to 0, G (-4768+12800+26624+128)>>8 = 135
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "Y " << c.y << " U " << c.u << " V " << c.v);
        EXPECT_EQ(YuvToBgrx(c.y, c.u, c.v), c.bgrx);
    }
}

struct Target {
    explicit Target(int width, int height) : width(width), pixels(static_cast<size_t>(width) * height, 0xDEADBEEF) {}
    BgrxTarget Get()
    {
        BgrxTarget t;
        t.data = reinterpret_cast<BYTE*>(pixels.data());
        t.stride = width * 4;
        return t;
    }
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    int width;
    std::vector<uint32_t> pixels;
};

YuvFrameLayout Layout(const Bytes& data, int stride, int width, int height, size_t length)
{
    YuvFrameLayout layout;
    layout.data = data.data();
    layout.length = length;
    layout.stride = stride;
    layout.width = width;
    layout.height = height;
    return layout;
}

constexpr BYTE kPad = 0xEE;

TEST(PixelConversion, Yuy2ReadsEachPairWithItsChromaAndSkipsRowPadding)
{
    // Two rows of one pixel pair, each padded to 8 bytes; the padding must never be read as
    // pixels.
    const Bytes data = {16, 128, 235, 128, kPad, kPad, kPad, kPad, 100, 150, 126, 100, kPad, kPad, kPad, kPad};
    Target out(2, 2);
    ASSERT_TRUE(ConvertYuy2ToBgrx(Layout(data, 8, 2, 2, data.size()), out.Get()));
    EXPECT_EQ(out.At(0, 0), 0xFF000000u);
    EXPECT_EQ(out.At(1, 0), 0xFFFFFFFFu);
    EXPECT_EQ(out.At(0, 1), 0xFF35708Eu);
    EXPECT_EQ(out.At(1, 1), YuvToBgrx(126, 150, 100));
}

TEST(PixelConversion, Yuy2OddWidthUsesTheLastPairForTheLastPixel)
{
    const Bytes data = {16, 128, 235, 128, 126, 128, 16, 128};
    Target out(3, 1);
    ASSERT_TRUE(ConvertYuy2ToBgrx(Layout(data, 8, 3, 1, data.size()), out.Get()));
    EXPECT_EQ(out.At(2, 0), 0xFF808080u);
}

TEST(PixelConversion, Nv12SharesOneChromaPairPerTwoByTwoBlock)
{
    // Luma stride 4 (2 pixels + 2 padding), then one interleaved U V row.
    const Bytes data = {16, 235, kPad, kPad, 100, 126, kPad, kPad, 150, 100, kPad, kPad};
    Target out(2, 2);
    ASSERT_TRUE(ConvertNv12ToBgrx(Layout(data, 4, 2, 2, data.size()), out.Get()));
    EXPECT_EQ(out.At(0, 0), YuvToBgrx(16, 150, 100));
    EXPECT_EQ(out.At(1, 0), YuvToBgrx(235, 150, 100));
    EXPECT_EQ(out.At(0, 1), 0xFF35708Eu);
    EXPECT_EQ(out.At(1, 1), YuvToBgrx(126, 150, 100));
}

TEST(PixelConversion, Nv12FindsTheChromaPlaneBehindAnAlignedLumaPlane)
{
    // Two picture rows in a luma plane of four rows.
    const Bytes data = {81, 81, 81, 81, kPad, kPad, kPad, kPad, 90, 240};
    YuvFrameLayout layout = Layout(data, 2, 2, 2, data.size());
    layout.lumaRows = 4;
    Target out(2, 2);
    ASSERT_TRUE(ConvertNv12ToBgrx(layout, out.Get()));
    EXPECT_EQ(out.At(1, 1), 0xFFFF0000u);
}

TEST(PixelConversion, I420ReadsTheUAndVPlanesAtHalfStride)
{
    // Luma stride 4, so each chroma plane has stride 2: U = 150, V = 100.
    const Bytes data = {16, 235, kPad, kPad, 100, 126, kPad, kPad, 150, kPad, 100, kPad};
    Target out(2, 2);
    ASSERT_TRUE(ConvertI420ToBgrx(Layout(data, 4, 2, 2, data.size()), out.Get()));
    EXPECT_EQ(out.At(0, 0), YuvToBgrx(16, 150, 100));
    EXPECT_EQ(out.At(0, 1), 0xFF35708Eu);
}

TEST(PixelConversion, Rgb32BottomUpRowsComeOutTopDownAndOpaque)
{
    // Stored bottom row first.
    const Bytes data = {1, 2, 3, 0, 4, 5, 6, 0};
    Target out(1, 2);
    ASSERT_TRUE(CopyRgb32ToBgrx(Layout(data, 4, 1, 2, data.size()), true, out.Get()));
    EXPECT_EQ(out.At(0, 0), 0xFF060504u);
    EXPECT_EQ(out.At(0, 1), 0xFF030201u);
}

TEST(PixelConversion, RefusesBuffersShorterThanTheirLayout)
{
    // 4 x 2 pictures with padded strides (the luma stride for the planar ones).
    using Convert = bool (*)(const YuvFrameLayout&, const BgrxTarget&);
    struct Case {
        const char* what;
        Convert convert;
        int stride;
        size_t needed;  // bytes up to the last byte read
    };
    auto rgb32 = [](const YuvFrameLayout& s, const BgrxTarget& t) { return CopyRgb32ToBgrx(s, false, t); };
    const Case cases[] = {
        {"YUY2", ConvertYuy2ToBgrx, 12, 12 + 8},
        {"NV12", ConvertNv12ToBgrx, 12, 24 + 4},
        {"I420", ConvertI420ToBgrx, 12, 24 + 6 + 2},
        {"RGB32", rgb32, 20, 20 + 16},
    };
    const Bytes data(64, 128);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Target out(4, 2);
        EXPECT_TRUE(c.convert(Layout(data, c.stride, 4, 2, c.needed), out.Get()));
        EXPECT_FALSE(c.convert(Layout(data, c.stride, 4, 2, c.needed - 1), out.Get()));
        // A stride too narrow for the picture, a missing buffer and absurd sizes.
        EXPECT_FALSE(c.convert(Layout(data, 1, 4, 2, data.size()), out.Get()));
        EXPECT_FALSE(c.convert(Layout(Bytes(), c.stride, 4, 2, 64), out.Get()));
        EXPECT_FALSE(c.convert(Layout(data, c.stride, 0, 2, data.size()), out.Get()));
        EXPECT_FALSE(c.convert(Layout(data, c.stride, 4, -2, data.size()), out.Get()));
        EXPECT_FALSE(c.convert(Layout(data, c.stride, 100000, 2, data.size()), out.Get()));
    }
}

TEST(PixelConversion, RefusesATargetNarrowerThanThePicture)
{
    const Bytes data(64, 128);
    Target out(4, 2);
    BgrxTarget narrow = out.Get();
    narrow.stride = 12;
    EXPECT_FALSE(ConvertYuy2ToBgrx(Layout(data, 8, 4, 2, data.size()), narrow));
}

// A reduced frame is the mean of each block: taken in YUV for YUY2 (one conversion per
// block), per channel for RGB32; columns and rows past the last whole block are left out.
TEST(PixelConversion, ReductionAveragesEachBlockAndDropsTheRaggedEdge)
{
    // 5 x 4 YUY2 (stride 12) reduced by 2 to 2 x 2: the fifth column is left out.
    Bytes yuy2 = {
        20,  100, 40,  200, 60,  110, 80,  210, 250, 128, kPad, kPad,
        30,  100, 50,  200, 70,  110, 90,  210, 250, 128, kPad, kPad,
        100, 120, 100, 140, 200, 130, 200, 150, 250, 128, kPad, kPad,
        100, 120, 100, 140, 200, 130, 200, 150, 250, 128, kPad, kPad,
    };
    Target out(2, 2);
    ASSERT_TRUE(ReduceYuy2ToBgrx(Layout(yuy2, 12, 5, 4, yuy2.size()), 2, out.Get()));
    EXPECT_EQ(out.At(0, 0), YuvToBgrx(35, 100, 200));  // (20 + 40 + 30 + 50) / 4
    EXPECT_EQ(out.At(1, 0), YuvToBgrx(75, 110, 210));
    EXPECT_EQ(out.At(0, 1), YuvToBgrx(100, 120, 140));
    EXPECT_EQ(out.At(1, 1), YuvToBgrx(200, 130, 150));
    EXPECT_EQ(ReducedSide(5, 2), 2);
    EXPECT_EQ(ReducedSide(3, 7), 1);

    // RGB32 bottom-up, 2 x 2 reduced by 2 to one pixel; the means round to the nearest.
    const Bytes rgb = {10, 20, 30, 0, 11, 21, 31, 0, 12, 22, 32, 0, 14, 24, 35, 0};
    Target one(1, 1);
    ASSERT_TRUE(ReduceRgb32ToBgrx(Layout(rgb, 8, 2, 2, rgb.size()), true, 2, one.Get()));
    EXPECT_EQ(one.At(0, 0), 0xFF20160Cu);  // B 47 / 4 -> 12, G 87 / 4 -> 22, R 128 / 4 = 32
}

TEST(PixelConversion, ReductionRefusesWhatTheFullSizeConversionRefuses)
{
    const Bytes data(64, 128);
    Target out(4, 2);
    EXPECT_TRUE(ReduceYuy2ToBgrx(Layout(data, 12, 4, 2, 12 + 8), 2, out.Get()));
    EXPECT_FALSE(ReduceYuy2ToBgrx(Layout(data, 12, 4, 2, 12 + 7), 2, out.Get()));
    EXPECT_FALSE(ReduceRgb32ToBgrx(Layout(data, 20, 4, 2, 20 + 15), false, 2, out.Get()));
    EXPECT_FALSE(ReduceYuy2ToBgrx(Layout(data, 12, 4, 2, data.size()), 0, out.Get()));
    EXPECT_FALSE(ReduceYuy2ToBgrx(Layout(data, 1, 4, 2, data.size()), 2, out.Get()));
    BgrxTarget narrow = out.Get();
    narrow.stride = 4;  // one pixel, the reduced row needs two
    EXPECT_FALSE(ReduceYuy2ToBgrx(Layout(data, 12, 4, 2, data.size()), 2, narrow));
}

TEST(PixelConversion, FrameByteCountRefusesWhatCannotBeAFrame)
{
    EXPECT_EQ(FrameByteCount(160, 120, 4), 160u * 120u * 4u);
    EXPECT_EQ(FrameByteCount(160, 120, 2), 160u * 120u * 2u);
    EXPECT_EQ(FrameByteCount(0, 120, 4), 0u);
    EXPECT_EQ(FrameByteCount(160, -120, 4), 0u);
    // 32768 x 16384 x 4 is 2^31: one past what a DIB section can hold.
    EXPECT_EQ(FrameByteCount(32768, 16384, 4), 0u);
    EXPECT_EQ(FrameByteCount(32768, 16383, 4), 32768u * 16383u * 4u);
    EXPECT_EQ(FrameByteCount(0x7FFFFFFF, 0x7FFFFFFF, 4), 0u);
}

}  // namespace
