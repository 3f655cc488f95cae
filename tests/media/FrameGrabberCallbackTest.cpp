// The sample-grabber callback on its own: frames built from hand-made samples.
#include <gtest/gtest.h>

#include <windows.h>
#include <dshow.h>

#include <memory>
#include <vector>

#include "core/media/DShowMovieFrameDecode.h"
#include "core/media/GdiplusSession.h"
#include "tests/common/FakeMediaSample.h"

namespace {

using FakeSample = FakeMediaSample;

using Callback = DShowMovieFrameDecode_CL::FrameDecodeSampleGrabberCB;

class FrameGrabberCallback : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(gdiplus.IsStarted());
        callback.SetControl(nullptr, event);
    }
    void TearDown() override { CloseHandle(event); }

    // A frame whose top row is white and the rest black, in the layout the connection gives.
    static std::vector<BYTE> TopWhiteFrame(int width, int height, bool rgb32)
    {
        std::vector<BYTE> bytes;
        if (rgb32) {
            bytes.assign(static_cast<size_t>(width) * height * 4, 0);
            // Bottom-up: the picture's top row is the last one in memory.
            std::fill(bytes.end() - width * 4, bytes.end(), 0xFF);
        } else {
            for (int row = 0; row < height; ++row)
                for (int pair = 0; pair < width / 2; ++pair) {
                    BYTE y = row == 0 ? 235 : 16;
                    bytes.insert(bytes.end(), {y, 128, y, 128});
                }
        }
        return bytes;
    }

    std::unique_ptr<Gdiplus::Bitmap> Deliver(FakeSample& sample)
    {
        callback.BeginRequest();
        ResetEvent(event);
        callback.SampleCB(0.0, &sample);
        callback.EndRequest();
        return std::unique_ptr<Gdiplus::Bitmap>(callback.TakeFrame());
    }

    GdiplusSession gdiplus;
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    Callback callback{nullptr};
};

TEST_F(FrameGrabberCallback, BothLayoutsComeOutTheRightWayUp)
{
    for (bool rgb32 : {false, true}) {
        SCOPED_TRACE(rgb32 ? "RGB32" : "YUY2");
        callback.SetLayout(8, 4, rgb32);
        FakeSample sample(TopWhiteFrame(8, 4, rgb32));
        auto frame = Deliver(sample);
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
        EXPECT_EQ(frame->GetWidth(), 8u);
        EXPECT_EQ(frame->GetHeight(), 4u);
        Gdiplus::Color top, bottom;
        frame->GetPixel(3, 0, &top);
        frame->GetPixel(3, 3, &bottom);
        EXPECT_GT(top.GetR(), 240);
        EXPECT_LT(bottom.GetR(), 15);
    }
}

struct BadSampleCase {
    const char* what;
    int32_t width, height;
    bool rgb32;
    size_t bytes;  // the sample's length
};

// Sizes come from the format block and the length from the sample: neither is trusted.
const BadSampleCase kBadSamples[] = {
    {"RGB32 one byte short", 8, 4, true, 8 * 4 * 4 - 1},
    {"YUY2 one byte short", 8, 4, false, 8 * 4 * 2 - 1},
    {"YUY2 odd width", 7, 4, false, 8 * 4 * 2},
    {"zero width", 0, 4, true, 64},
    {"negative height", 8, -4, true, 8 * 4 * 4},
    {"size past what a frame can be", 0x10000, 0x10000, true, 64},
};

TEST_F(FrameGrabberCallback, DropsSamplesThatDoNotHoldTheFrame)
{
    for (const auto& c : kBadSamples) {
        SCOPED_TRACE(c.what);
        callback.SetLayout(c.width, c.height, c.rgb32);
        FakeSample sample(std::vector<BYTE>(c.bytes, 0x80));
        EXPECT_EQ(Deliver(sample), nullptr);
    }
}

TEST_F(FrameGrabberCallback, TakesOnlyTheFirstFrameOfARequest)
{
    callback.SetLayout(8, 4, true);
    FakeSample sample(TopWhiteFrame(8, 4, true));
    // Outside a request nothing is taken (the preroll of the first pause, a late frame).
    EXPECT_EQ(callback.SampleCB(0.0, &sample), 0);
    EXPECT_EQ(callback.TakeFrame(), nullptr);

    callback.BeginRequest();
    EXPECT_EQ(callback.SampleCB(0.0, &sample), 1);
    EXPECT_EQ(callback.SampleCB(0.0, &sample), 0);
    std::unique_ptr<Gdiplus::Bitmap> first(callback.TakeFrame());
    EXPECT_NE(first, nullptr);
    callback.EndRequest();
    EXPECT_EQ(callback.SampleCB(0.0, &sample), 0);
    EXPECT_EQ(callback.TakeFrame(), nullptr);
}

TEST_F(FrameGrabberCallback, EmptySampleIsNotAFrame)
{
    callback.SetLayout(8, 4, true);
    FakeSample sample(TopWhiteFrame(8, 4, true));
    sample.length = 0;
    callback.BeginRequest();
    EXPECT_EQ(callback.SampleCB(0.0, &sample), 0);
    EXPECT_EQ(callback.TakeFrame(), nullptr);
}

}  // namespace
