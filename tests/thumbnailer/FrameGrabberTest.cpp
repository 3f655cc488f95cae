#include "GrabberTestSupport.h"

#include <psapi.h>

#include <atomic>
#include <thread>

#include "thumbnailer/DShowThumbnailMaker.h"
#include "thumbnailer/MediaFoundationFrameReader.h"

namespace {

using Maker = DShowThumbnailMaker_CL;

struct GoodMovie {
    const wchar_t* file;
    int width;
    int height;
    bool shortClip;  // one second: only its first step can be asked for
    const char* what;
};

const GoodMovie kGoodMovies[] = {
    {L"grab-480.avi", 854, 480, false, "avi_mpeg4_480_with_sound"},
    {L"grab-480-silent.mp4", 854, 480, false, "mp4_h264_480_silent"},
    {L"grab-1080.mp4", 1920, 1080, false, "mp4_h264_1080_with_sound"},
    {L"grab-1080-silent.avi", 1920, 1080, false, "avi_mpeg4_1080_silent"},
    {L"grab-1s.mp4", 854, 480, true, "mp4_one_second_with_sound"},
    {L"grab.wmv", 854, 480, false, "wmv_with_sound"},
};

std::string MovieName(const testing::TestParamInfo<GoodMovie>& info) { return info.param.what; }

// Positions in tenths of a second, out of order, each inside one brightness step.
std::vector<int> TenthsFor(const GoodMovie& movie)
{
    if (movie.shortClip) return {5, 2, 8};
    return {25, 5, 35, 15};
}

constexpr int64_t kDurationTolerance = kUnitsPerSecond / 5;

void ExpectFrameShows(Gdiplus::Bitmap& frame, int tenths)
{
    EXPECT_EQ(BrightnessStep(frame), tenths / 10);
    EXPECT_TRUE(BandIsOnTop(frame));
    EXPECT_TRUE(StripeIsStraight(frame));
    EXPECT_LE(MaxColourCast(frame), 24);
}

class FrameGrabberMovies : public StillforgeFolderTest, public testing::WithParamInterface<GoodMovie> {};

TEST_P(FrameGrabberMovies, DirectShowGivesTheDurationSizeAndTheFrameOfEachPosition)
{
    const GoodMovie& movie = GetParam();
    Maker maker(nullptr);
    ASSERT_EQ(maker.SetContent(GrabMoviePath(movie.file)), 0);
    EXPECT_NEAR(static_cast<double>(maker.GetDuration()), static_cast<double>(ProbedDuration(movie.file)),
                kDurationTolerance);
    EXPECT_EQ(maker.GetSourceWidth(), movie.width);
    EXPECT_EQ(maker.GetSourceHeight(), movie.height);
    for (int tenths : TenthsFor(movie)) {
        SCOPED_TRACE(testing::Message() << "at " << tenths / 10.0 << " s");
        uint32_t result = 99;
        Gdiplus::Bitmap* frame = maker.DecodeFrame(tenths * kUnitsPerSecond / 10, result);
        ASSERT_EQ(result, Maker::kFrameOk);
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(static_cast<int>(frame->GetWidth()), movie.width);
        EXPECT_EQ(static_cast<int>(frame->GetHeight()), movie.height);
        ExpectFrameShows(*frame, tenths);
    }
    EXPECT_FALSE(maker.IsStickyLocal());
    EXPECT_EQ(CountOccurrences(KilnLogText(), L"route-switch"), 0u);
}

TEST_P(FrameGrabberMovies, MediaFoundationGivesTheDurationSizeAndTheFrameOfEachPosition)
{
    const GoodMovie& movie = GetParam();
    MediaFoundationFrameReader_CL reader;
    ASSERT_EQ(reader.Open(GrabMoviePath(movie.file), 0), S_OK);
    EXPECT_NEAR(static_cast<double>(reader.Duration()), static_cast<double>(ProbedDuration(movie.file)),
                kDurationTolerance);
    EXPECT_EQ(reader.Width(), movie.width);
    EXPECT_EQ(reader.Height(), movie.height);
    // Frames above 1280 pixels come scaled down to it.
    const int scale = std::max(movie.width, movie.height) > 1280 ? std::max(movie.width, movie.height) : 1280;
    for (int tenths : TenthsFor(movie)) {
        SCOPED_TRACE(testing::Message() << "at " << tenths / 10.0 << " s");
        std::unique_ptr<Gdiplus::Bitmap> frame = reader.ReadFrame(tenths * kUnitsPerSecond / 10, nullptr);
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(static_cast<int>(frame->GetWidth()), std::min(movie.width, movie.width * 1280 / scale));
        EXPECT_EQ(static_cast<int>(frame->GetHeight()), std::min(movie.height, movie.height * 1280 / scale));
        ExpectFrameShows(*frame, tenths);
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, FrameGrabberMovies, testing::ValuesIn(kGoodMovies), MovieName);

// The pause at the open sends the movie's first frame through the grabber on its own time;
// the first seek must not take it for its own. The race is short, so the open is repeated.
TEST_F(StillforgeFolderTest, FirstFrameAfterAnOpenIsOfTheAskedPosition)
{
    for (int open = 0; open < 25; ++open) {
        SCOPED_TRACE(testing::Message() << "open " << open);
        Maker maker(nullptr);
        ASSERT_EQ(maker.SetContent(GrabMoviePath(L"grab-480-silent.mp4")), 0);
        uint32_t result = 99;
        Gdiplus::Bitmap* frame = maker.DecodeFrame(25 * kUnitsPerSecond / 10, result);
        ASSERT_EQ(result, Maker::kFrameOk);
        ASSERT_NE(frame, nullptr);
        ASSERT_EQ(BrightnessStep(*frame), 2);
    }
}

struct BadMovie {
    const wchar_t* file;
    const char* what;
};

const BadMovie kBadMovies[] = {
    {L"grab-truncated.mp4", "mp4_cut_before_its_index"},
    {L"grab-random.avi", "random_bytes_named_avi"},
    {L"grab-missing.mp4", "missing_file"},
};

class FrameGrabberBadMovies : public StillforgeFolderTest, public testing::WithParamInterface<BadMovie> {};

TEST_P(FrameGrabberBadMovies, OpenFailsAndEveryFrameFailsAtOnce)
{
    Maker maker(nullptr);
    EXPECT_EQ(maker.SetContent(GrabMoviePath(GetParam().file)), E_FAIL);
    EXPECT_EQ(maker.GetDuration(), 0);
    EXPECT_EQ(maker.GetSourceWidth(), 0);
    uint32_t result = 99;
    const DWORD start = GetTickCount();
    EXPECT_EQ(maker.DecodeFrame(kUnitsPerSecond, result), nullptr);
    EXPECT_EQ(result, Maker::kFrameFailed);
    EXPECT_LT(GetTickCount() - start, 400u);
    EXPECT_NE(KilnLogText().find(L"ds-seek-null"), std::wstring::npos);
    EXPECT_FALSE(Maker::IsSticky(GrabMoviePath(GetParam().file)));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, FrameGrabberBadMovies, testing::ValuesIn(kBadMovies),
                         [](const testing::TestParamInfo<BadMovie>& info) { return std::string(info.param.what); });

TEST_F(StillforgeFolderTest, TimeoutSettingsAreClampedTo500Through600000)
{
    struct Case {
        bool present;
        int stored;
        int expected;
    };
    const Case cases[] = {{false, 0, 10000}, {true, 100, 500},         {true, 499, 500},   {true, 500, 500},
                          {true, -5, 500},   {true, 600000, 600000},  {true, 1000000, 600000}, {true, 2000, 2000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "stored " << c.stored);
        if (c.present)
            SetSetting(L"decode_frame_timeout_ms", c.stored);
        else
            ThumbnailIni.DeleteKey(kThumbnailSection, L"decode_frame_timeout_ms");
        EXPECT_EQ(Maker::ReadTimeoutSetting(L"decode_frame_timeout_ms", 10000), c.expected);
    }
}

// A position past the end never brings a frame, so the wait runs to its limit.
constexpr int64_t kPastTheEnd = 30 * kUnitsPerSecond;

class FrameGrabberTimeouts : public StillforgeFolderTest, public testing::WithParamInterface<const wchar_t*> {};

TEST_P(FrameGrabberTimeouts, ShortTimeoutWaitsHalfASecondAndTheGraphStillSeeksAfterwards)
{
    SetSetting(L"decode_frame_timeout_ms", 100);
    SetSetting(L"decode_use_media_foundation_on_dshow_fail", 0);
    Maker maker(nullptr);
    ASSERT_EQ(maker.SetContent(GrabMoviePath(GetParam())), 0);
    uint32_t result = 99;
    ASSERT_NE(maker.DecodeFrame(5 * kUnitsPerSecond / 10, result), nullptr);

    const DWORD start = GetTickCount();
    EXPECT_EQ(maker.DecodeFrame(kPastTheEnd, result), nullptr);
    const DWORD waited = GetTickCount() - start;
    EXPECT_EQ(result, Maker::kFrameTimeout);
    EXPECT_GE(waited, 480u);
    EXPECT_LT(waited, 5000u);
    const std::wstring log = KilnLogText();
    EXPECT_NE(log.find(L"decode_frame_timeout_ms=500 "), std::wstring::npos);
    EXPECT_NE(log.find(L"(timeout)decode_frame wait 500 ms (normal)"), std::wstring::npos);

    // After the stop and pause of the time-out, the next seek gets its own frame, not a
    // frame left over from the pause.
    for (int tenths : {25, 15}) {
        Gdiplus::Bitmap* frame = maker.DecodeFrame(tenths * kUnitsPerSecond / 10, result);
        ASSERT_EQ(result, Maker::kFrameOk);
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(BrightnessStep(*frame), tenths / 10);
    }
    // Closing a graph with sound must not hang in the splitter.
    const DWORD closing = GetTickCount();
    maker.Close();
    EXPECT_LT(GetTickCount() - closing, 5000u);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, FrameGrabberTimeouts,
                         testing::Values(L"grab-480-silent.mp4", L"grab-480.avi", L"grab-1080.mp4"),
                         [](const testing::TestParamInfo<const wchar_t*>& info) {
                             return std::string(info.index == 0 ? "silent_mp4" : info.index == 1 ? "avi_with_sound"
                                                                                                  : "mp4_1080_with_sound");
                         });

TEST_F(StillforgeFolderTest, CancelDuringTheWaitReturnsCancelledPromptlyWithoutFallback)
{
    SetSetting(L"decode_frame_timeout_ms", 20000);
    UniqueHandle cancel(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    Maker maker(cancel.get());
    ASSERT_EQ(maker.SetContent(GrabMoviePath(L"grab-1080.mp4")), 0);
    uint32_t result = 99;
    ASSERT_NE(maker.DecodeFrame(kUnitsPerSecond / 2, result), nullptr);

    std::atomic<DWORD> setAt{0};
    std::thread canceller([&] {
        Sleep(300);
        setAt = GetTickCount();
        SetEvent(cancel.get());
    });
    EXPECT_EQ(maker.DecodeFrame(kPastTheEnd, result), nullptr);
    const DWORD returnedAt = GetTickCount();
    canceller.join();
    EXPECT_EQ(result, Maker::kFrameCancelled);
    EXPECT_LT(returnedAt - setAt, 200u);
    EXPECT_EQ(CountOccurrences(KilnLogText(), L"route-switch"), 0u);
    EXPECT_FALSE(Maker::IsSticky(GrabMoviePath(L"grab-1080.mp4")));
}

// A copy of a fixture under a name no other test uses: the sticky record lasts the process.
std::wstring CopyFixture(const TempFolder& folder, const wchar_t* source, const wchar_t* name)
{
    const std::wstring target = folder / name;
    EXPECT_TRUE(CopyFileW(GrabMoviePath(source).c_str(), target.c_str(), FALSE));
    return target;
}

// Sends the file to Media Foundation the way a slow movie does: the first frame's wait,
// counted from the open, is used up before the frame is asked for.
Gdiplus::Bitmap* GrabFirstFrameAfterTheFirstFrameTimeout(Maker& maker, const std::wstring& path, int tenths,
                                                         uint32_t& result)
{
    WriteThumbnailSetting(L"decode_first_frame_timeout_ms", 500);
    if (maker.SetContent(path) != 0) return nullptr;
    Sleep(700);
    return maker.DecodeFrame(tenths * kUnitsPerSecond / 10, result);
}

TEST_F(StillforgeFolderTest, FallbackFrameMakesTheFileStickToMediaFoundationWithItsRealDuration)
{
    const std::wstring path = CopyFixture(folder, L"grab-480.avi", L"slow.avi");
    const int64_t probed = ProbedDuration(L"grab-480.avi");
    {
        Maker maker(nullptr);
        uint32_t result = 99;
        Gdiplus::Bitmap* frame = GrabFirstFrameAfterTheFirstFrameTimeout(maker, path, 25, result);
        ASSERT_EQ(result, Maker::kFrameOk);
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(BrightnessStep(*frame), 2);
        EXPECT_TRUE(maker.IsStickyLocal());
        EXPECT_TRUE(Maker::IsSticky(path));
        EXPECT_NE(KilnLogText().find(L"(timeout)decode_frame wait 0 ms (first)"), std::wstring::npos);
        EXPECT_EQ(CountOccurrences(KilnLogText(), L"route-switch ds->mf"), 1u);

        frame = maker.DecodeFrame(5 * kUnitsPerSecond / 10, result);
        ASSERT_EQ(result, Maker::kFrameOk);
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(BrightnessStep(*frame), 0);
        EXPECT_EQ(CountOccurrences(KilnLogText(), L"route-switch ds->mf"), 1u);
    }
    // Later makers open the file without a graph, yet with its duration and size.
    for (int round = 0; round < 2; ++round) {
        Maker maker(nullptr);
        ASSERT_EQ(maker.SetContent(path), 0);
        EXPECT_NEAR(static_cast<double>(maker.GetDuration()), static_cast<double>(probed), kDurationTolerance);
        EXPECT_EQ(maker.GetSourceWidth(), 854);
        EXPECT_EQ(maker.GetSourceHeight(), 480);
        uint32_t result = 99;
        Gdiplus::Bitmap* frame = maker.DecodeFrame(35 * kUnitsPerSecond / 10, result);
        ASSERT_EQ(result, Maker::kFrameOk);
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(BrightnessStep(*frame), 3);
    }
    const std::wstring log = KilnLogText();
    EXPECT_EQ(CountOccurrences(log, L"sticky-mf setcontent-bypass-ds file(" + path + L")"), 1u);
    EXPECT_EQ(CountOccurrences(log, L"route-switch ds->mf"), 1u);
    EXPECT_GE(CountOccurrences(log, L"sticky-mf(global) frame="), 2u);
}

TEST_F(StillforgeFolderTest, FallbackIsNotTriedWhenItIsSwitchedOff)
{
    SetSetting(L"decode_use_media_foundation_on_dshow_fail", 0);
    const std::wstring path = CopyFixture(folder, L"grab-480-silent.mp4", L"no-fallback.mp4");
    Maker maker(nullptr);
    uint32_t result = 99;
    EXPECT_EQ(GrabFirstFrameAfterTheFirstFrameTimeout(maker, path, 25, result), nullptr);
    EXPECT_EQ(result, Maker::kFrameTimeout);
    EXPECT_FALSE(Maker::IsSticky(path));
    EXPECT_EQ(CountOccurrences(KilnLogText(), L"(mf-fallback) enter"), 0u);
}

SIZE_T PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters));
    return counters.PrivateUsage;
}

TEST_F(StillforgeFolderTest, FiveHundredMediaFoundationFramesDoNotPileUp)
{
    const std::wstring path = CopyFixture(folder, L"grab-480-silent.mp4", L"many-frames.mp4");
    Maker maker(nullptr);
    uint32_t result = 99;
    ASSERT_NE(GrabFirstFrameAfterTheFirstFrameTimeout(maker, path, 5, result), nullptr);
    ASSERT_TRUE(maker.IsStickyLocal());
    // The logs would grow with every frame and are not what is measured.
    InitStillforgeGlobals(L"StillforgeTest", L"");

    SIZE_T settled = 0;
    for (int i = 0; i < 500; ++i) {
        if (i == 30) settled = PrivateBytes();
        const int tenths = 5 + (i % 4) * 10;
        Gdiplus::Bitmap* frame = maker.DecodeFrame(tenths * kUnitsPerSecond / 10, result);
        ASSERT_EQ(result, Maker::kFrameOk) << "frame " << i;
        ASSERT_NE(frame, nullptr);
    }
    // One 854 x 480 frame is about 1.6 MB: keeping them all would add some 750 MB.
    const SIZE_T grown = PrivateBytes() > settled ? PrivateBytes() - settled : 0;
    EXPECT_LT(grown, static_cast<SIZE_T>(24) << 20) << "grew by " << grown;
}

}  // namespace
