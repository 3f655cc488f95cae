#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/media/Yuy2Convert.h"

namespace {

struct PixelCase {
    const char* what;
    uint8_t y, u, v;
    uint8_t b, g, r;
};

// Studio-range BT.601: 16 is black, 235 white; below 16 and above 235 clamp.
const PixelCase kPixels[] = {
    {"black", 16, 128, 128, 0, 0, 0},
    {"white", 235, 128, 128, 255, 255, 255},
    {"below black clamps", 0, 128, 128, 0, 0, 0},
    {"above white clamps", 255, 128, 128, 255, 255, 255},
    {"mid grey", 126, 128, 128, 128, 128, 128},
    {"red", 81, 90, 240, 0, 0, 255},
    {"green", 145, 54, 34, 0, 255, 0},
    {"blue", 41, 240, 110, 255, 0, 0},
};

TEST(Yuy2Convert, PixelTable)
{
    for (const auto& c : kPixels) {
        SCOPED_TRACE(c.what);
        // Both pixels of the pair carry the same luma here.
        const uint8_t source[4] = {c.y, c.u, c.y, c.v};
        uint8_t target[8] = {};
        ASSERT_TRUE(ConvertYuy2ToBgrx(source, sizeof(source), 2, 1, target, sizeof(target)));
        for (int pixel = 0; pixel < 2; ++pixel) {
            EXPECT_NEAR(target[pixel * 4 + 0], c.b, 2);
            EXPECT_NEAR(target[pixel * 4 + 1], c.g, 2);
            EXPECT_NEAR(target[pixel * 4 + 2], c.r, 2);
            EXPECT_EQ(target[pixel * 4 + 3], 0);
        }
    }
}

TEST(Yuy2Convert, PairsShareChromaAndRowsStayInOrder)
{
    // 4 x 2: row 0 black then white, row 1 white then black; rows packed without padding.
    const std::vector<uint8_t> source = {16, 128, 235, 128, 16, 128, 235, 128,
                                         235, 128, 16, 128, 235, 128, 16, 128};
    std::vector<uint8_t> target(4 * 2 * 4, 0xAA);
    ASSERT_TRUE(ConvertYuy2ToBgrx(source.data(), source.size(), 4, 2, target.data(), target.size()));
    const int expected[2][4] = {{0, 255, 0, 255}, {255, 0, 255, 0}};
    for (int row = 0; row < 2; ++row)
        for (int x = 0; x < 4; ++x) {
            const uint8_t* p = &target[(row * 4 + x) * 4];
            EXPECT_EQ(p[0], expected[row][x]) << row << "," << x;
            EXPECT_EQ(p[1], expected[row][x]) << row << "," << x;
            EXPECT_EQ(p[2], expected[row][x]) << row << "," << x;
        }
}

struct RefusalCase {
    const char* what;
    int32_t width, height;
    size_t sourceLength, targetLength;
};

const RefusalCase kRefusals[] = {
    {"odd width", 3, 2, 64, 64},
    {"zero width", 0, 2, 64, 64},
    {"negative height", 2, -2, 64, 64},
    {"source one byte short", 4, 2, 15, 32},
    {"target one byte short", 4, 2, 16, 31},
    {"size overflows", 0x10000, 0x10000, 64, 64},
};

TEST(Yuy2Convert, RefusesBadSizesAndShortBuffersWithoutWriting)
{
    std::vector<uint8_t> source(64, 16);
    for (const auto& c : kRefusals) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> target(64, 0xAA);
        EXPECT_FALSE(ConvertYuy2ToBgrx(source.data(), c.sourceLength, c.width, c.height, target.data(),
                                       c.targetLength));
        EXPECT_EQ(target, std::vector<uint8_t>(64, 0xAA));
    }
}

TEST(Yuy2Convert, FrameByteCountRefusesWhatCannotBeAFrame)
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
