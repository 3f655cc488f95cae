#include <gtest/gtest.h>

#include <windows.h>
#include <gdiplus.h>

#include <memory>
#include <string>

#include "tests/browser/LocalHttpServer.h"
#include "tests/browser/StandinSession.h"

namespace {

class StandinCaptureTest : public testing::Test {
protected:
    void SetUp() override
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        Gdiplus::GdiplusStartupInput input;
        ASSERT_EQ(Gdiplus::GdiplusStartup(&gdiplus_, &input, nullptr), Gdiplus::Ok);
        server_.ServePage("/green", "<html><head><title>Green</title></head><body bgcolor=\"#20a040\">x</body></html>");
    }
    void TearDown() override
    {
        Gdiplus::GdiplusShutdown(gdiplus_);
        CoUninitialize();
    }

    ULONG_PTR gdiplus_ = 0;
    LocalHttpServer server_;
};

TEST_F(StandinCaptureTest, FailsBeforeTheFirstPageThenDecodesToTheViewsSizeAndColour)
{
    StandinSession session;
    ASSERT_TRUE(session.Start()) << session.FailedStep();
    EXPECT_TRUE(FAILED(session.Capture(COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_PNG).call));

    ASSERT_EQ(session.Navigate(server_.Url("/green")), S_OK);
    ASSERT_TRUE(session.WaitForCompletions(1));
    RECT bounds = {0, 0, 320, 200};
    ASSERT_EQ(session.controller->put_Bounds(bounds), S_OK);

    const struct {
        COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT format;
        GUID rawFormat;
        int tolerance;
    } cases[] = {
        {COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_PNG, Gdiplus::ImageFormatPNG, 0},
        {COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_JPEG, Gdiplus::ImageFormatJPEG, 12},
    };
    for (const auto& c : cases) {
        StandinCapture capture = session.Capture(c.format);
        ASSERT_EQ(capture.call, S_OK);
        ASSERT_EQ(capture.completion, S_OK);
        LARGE_INTEGER start = {};
        capture.stream->Seek(start, STREAM_SEEK_SET, nullptr);
        Gdiplus::Bitmap image(capture.stream.Get());
        ASSERT_EQ(image.GetLastStatus(), Gdiplus::Ok);
        GUID rawFormat;
        image.GetRawFormat(&rawFormat);
        EXPECT_TRUE(IsEqualGUID(rawFormat, c.rawFormat));
        EXPECT_EQ(image.GetWidth(), 320u);
        EXPECT_EQ(image.GetHeight(), 200u);
        Gdiplus::Color pixel;
        image.GetPixel(310, 190, &pixel);
        EXPECT_NEAR(pixel.GetR(), 0x20, c.tolerance);
        EXPECT_NEAR(pixel.GetG(), 0xa0, c.tolerance);
        EXPECT_NEAR(pixel.GetB(), 0x40, c.tolerance);
    }
    for (const StandinEvent& event : session.events) EXPECT_FALSE(event.insideCall) << event.name;
}

TEST_F(StandinCaptureTest, RefusesWhatTheRuntimeRefuses)
{
    StandinSession session;
    ASSERT_TRUE(session.Start()) << session.FailedStep();
    ASSERT_EQ(session.Navigate(server_.Url("/green")), S_OK);
    ASSERT_TRUE(session.WaitForCompletions(1));
    ComPtr<IStream> stream;
    CreateStreamOnHGlobal(nullptr, TRUE, stream.GetAddressOf());
    auto done = MakeHandler<ICoreWebView2CapturePreviewCompletedHandler>(
        std::function<HRESULT(HRESULT)>([](HRESULT) { return S_OK; }));
    EXPECT_EQ(session.view->CapturePreview(static_cast<COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT>(2), stream.Get(),
                                           done.Get()),
              E_INVALIDARG);
    EXPECT_EQ(session.view->CapturePreview(COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_PNG, nullptr, done.Get()),
              E_INVALIDARG);
}

}  // namespace
