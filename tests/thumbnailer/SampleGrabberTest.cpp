#include "GrabberTestSupport.h"

#include <dshow.h>
#include <dvdmedia.h>

#include <vector>

#include "core/media/MediaType.h"
#include "tests/common/FakeMediaSample.h"
#include "thumbnailer/DShowThumbnailMakerSampleGrabber.h"

namespace {

using Grabber = DShowThumbnailMakerSampleGrabber_CL;

// A video type in the VIDEOINFOHEADER2 form the renderer connects with.
AM_MEDIA_TYPE* NewVideoType(const GUID& subtype, LONG width, LONG height, ULONG formatBytes = sizeof(VIDEOINFOHEADER2))
{
    auto* type = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    *type = AM_MEDIA_TYPE{};
    type->majortype = MEDIATYPE_Video;
    type->subtype = subtype;
    type->formattype = FORMAT_VideoInfo2;
    type->cbFormat = formatBytes;
    type->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(sizeof(VIDEOINFOHEADER2)));
    auto* header = reinterpret_cast<VIDEOINFOHEADER2*>(type->pbFormat);
    *header = VIDEOINFOHEADER2{};
    header->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header->bmiHeader.biWidth = width;
    header->bmiHeader.biHeight = height;
    return type;
}

using FakeSample = FakeMediaSample;

// A YUY2 picture of one grey level: Y = luma, U = V = 128.
std::vector<BYTE> GreyYuy2(int stride, int height, BYTE luma)
{
    std::vector<BYTE> bytes(static_cast<size_t>(stride) * height);
    for (size_t i = 0; i < bytes.size(); i += 2) {
        bytes[i] = luma;
        bytes[i + 1] = 128;
    }
    return bytes;
}

class SampleGrabber : public StillforgeFolderTest {
protected:
    void Connect(const GUID& subtype, LONG width, LONG height)
    {
        AM_MEDIA_TYPE* type = NewVideoType(subtype, width, height);
        ASSERT_TRUE(grabber.SetConnectedType(*type));
        DeleteMediaType(type);
    }
    bool FrameArrived() { return WaitForSingleObject(grabber.FrameEvent(), 0) == WAIT_OBJECT_0; }

    Grabber grabber;
};

TEST_F(SampleGrabber, TakesOnlyTheFirstFrameOfAnArmedSeek)
{
    Connect(MEDIASUBTYPE_YUY2, 4, 2);
    FakeSample early(GreyYuy2(8, 2, 40));
    FakeSample wanted(GreyYuy2(8, 2, 126));
    FakeSample late(GreyYuy2(8, 2, 200));

    // A preroll left over from an earlier pause, before the seek is armed.
    grabber.SampleCB(0, &early);
    EXPECT_FALSE(FrameArrived());

    grabber.Arm();
    grabber.SampleCB(0, &wanted);
    grabber.SampleCB(0, &late);
    EXPECT_TRUE(FrameArrived());
    std::unique_ptr<Gdiplus::Bitmap> frame = grabber.TakeFrame();
    ASSERT_NE(frame, nullptr);
    Gdiplus::Color pixel;
    frame->GetPixel(1, 1, &pixel);
    EXPECT_EQ(pixel.GetR(), 128);

    // After the frame was taken nothing more is accepted until the next seek.
    grabber.SampleCB(0, &late);
    EXPECT_EQ(grabber.TakeFrame(), nullptr);
    EXPECT_EQ(grabber.DroppedSamples(), 3);
}

TEST_F(SampleGrabber, DropsSamplesShorterThanTheirRows)
{
    struct Case {
        GUID subtype;
        LONG width;
        int stride;  // rows padded to four bytes
        const char* what;
    };
    const Case cases[] = {
        {MEDIASUBTYPE_YUY2, 854, 1708, "YUY2 854"},
        {MEDIASUBTYPE_YUY2, 853, 1708, "YUY2 odd width"},
        {MEDIASUBTYPE_RGB32, 6, 24, "RGB32"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Connect(c.subtype, c.width, 3);
        FakeSample sample(std::vector<BYTE>(static_cast<size_t>(c.stride) * 3, 128));
        sample.length = c.stride * 3 - 1;
        grabber.Arm();
        grabber.SampleCB(0, &sample);
        EXPECT_EQ(grabber.TakeFrame(), nullptr);

        sample.length = c.stride * 3;
        grabber.Arm();
        grabber.SampleCB(0, &sample);
        std::unique_ptr<Gdiplus::Bitmap> frame = grabber.TakeFrame();
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(static_cast<LONG>(frame->GetWidth()), c.width);
        EXPECT_EQ(frame->GetHeight(), 3u);
    }
}

TEST_F(SampleGrabber, FollowsAFormatChangeCarriedByTheSample)
{
    Connect(MEDIASUBTYPE_YUY2, 4, 2);
    // The decoder switches to a larger picture; the sample is far longer than the old one.
    FakeSample bigger(GreyYuy2(16, 6, 126), NewVideoType(MEDIASUBTYPE_YUY2, 8, 6));
    grabber.Arm();
    grabber.SampleCB(0, &bigger);
    std::unique_ptr<Gdiplus::Bitmap> frame = grabber.TakeFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->GetWidth(), 8u);
    EXPECT_EQ(frame->GetHeight(), 6u);

    // The new layout holds for the samples after it.
    FakeSample next(GreyYuy2(16, 6, 126));
    grabber.Arm();
    grabber.SampleCB(0, &next);
    frame = grabber.TakeFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->GetWidth(), 8u);
}

TEST_F(SampleGrabber, DropsSamplesOfATypeItCannotRead)
{
    struct Case {
        AM_MEDIA_TYPE* type;
        const char* what;
    };
    const Case cases[] = {
        {NewVideoType(MEDIASUBTYPE_NV12, 4, 2), "NV12"},
        {NewVideoType(MEDIASUBTYPE_YUY2, 4, 2, 40), "format block shorter than its header"},
        {NewVideoType(MEDIASUBTYPE_YUY2, 0, 2), "zero width"},
        {NewVideoType(MEDIASUBTYPE_YUY2, 100000, 2), "absurd width"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Connect(MEDIASUBTYPE_YUY2, 4, 2);
        FakeSample changed(GreyYuy2(8, 2, 126), c.type);
        grabber.Arm();
        grabber.SampleCB(0, &changed);
        EXPECT_EQ(grabber.TakeFrame(), nullptr);
        // Frames after the unreadable change are not read with the old layout either.
        FakeSample after(GreyYuy2(8, 2, 126));
        grabber.Arm();
        grabber.SampleCB(0, &after);
        EXPECT_EQ(grabber.TakeFrame(), nullptr);
    }
}

TEST_F(SampleGrabber, BottomUpRgb32ComesOutTheRightWayUp)
{
    Connect(MEDIASUBTYPE_RGB32, 1, 2);
    // The first row in memory is the bottom of the picture.
    FakeSample sample({0x10, 0x20, 0x30, 0, 0xA0, 0xB0, 0xC0, 0});
    grabber.Arm();
    grabber.SampleCB(0, &sample);
    std::unique_ptr<Gdiplus::Bitmap> frame = grabber.TakeFrame();
    ASSERT_NE(frame, nullptr);
    Gdiplus::Color top;
    Gdiplus::Color bottom;
    frame->GetPixel(0, 0, &top);
    frame->GetPixel(0, 1, &bottom);
    EXPECT_EQ(top.GetValue(), 0xFFC0B0A0u);
    EXPECT_EQ(bottom.GetValue(), 0xFF302010u);
}

}  // namespace
