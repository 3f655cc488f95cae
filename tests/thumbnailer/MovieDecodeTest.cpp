// The frames of one movie against a scripted grabber: what is drawn, written and answered
// after every frame, and how failures, time-outs and a cancel change it. The replies go over
// a real pipe to a stand-in for Reelvault.
#include <windows.h>
#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <vector>

#include "core/media/GdiplusSession.h"
#include "tests/thumbnailer/SolidFrame.h"
#include "tests/thumbnailer/kilnctl/ResponseServer.h"
#include "thumbnailer/MovieDecode.h"
#include "thumbnailer/StillforgeGlobals.h"

namespace {

using Positions = std::vector<int64_t>;
using Colours = std::vector<Gdiplus::ARGB>;

// Grab k of a movie is a grey whose 5-bit level is 2 + 4 k (exact in the 16-bit strip).
Gdiplus::ARGB GreyOf(int k)
{
    const Gdiplus::ARGB five = 2 + 4 * k;
    const Gdiplus::ARGB level = five << 3 | five >> 2;
    return 0xFF000000 | level << 16 | level << 8 | level;
}
constexpr Gdiplus::ARGB kErrorBlue = 0xFF0000FF;
constexpr Gdiplus::ARGB kBlack = 0xFF000000;

// Colours as the strip gives them back: 5 bits a channel, so each within 8 of the original.
::testing::AssertionResult SameColours(const Colours& expected, const Colours& actual)
{
    bool same = expected.size() == actual.size();
    for (size_t i = 0; same && i < expected.size(); ++i)
        for (int shift : {0, 8, 16}) same = same && abs(int(expected[i] >> shift & 0xFF) - int(actual[i] >> shift & 0xFF)) <= 8;
    if (same) return ::testing::AssertionSuccess();
    auto text = [](const Colours& colours) {
        std::string out;
        char buffer[16];
        for (auto c : colours) {
            snprintf(buffer, sizeof(buffer), "%06x ", static_cast<unsigned>(c & 0xFFFFFF));
            out += buffer;
        }
        return out;
    };
    return ::testing::AssertionFailure() << "expected " << text(expected) << "got " << text(actual);
}

class Host : public DecodeHost_IF {
public:
    bool IsCancelling() const override { return cancelling; }
    void SetCancelling() override { cancelling = true; }
    Gdiplus::Bitmap* GetErrorImage() const override { return errorImage.get(); }

    bool cancelling = false;
    std::unique_ptr<Gdiplus::Bitmap> errorImage = SolidFrame(64, 36, kErrorBlue);
};

// The grabber's answer for each call in turn; calls past the script grab a frame.
struct Grab {
    uint32_t result;
    bool bitmap;
};

class ScriptedDecode : public MovieDecode_CL {
public:
    ScriptedDecode(Host& host, DecodeRequestItem_CL& work) : MovieDecode_CL(host, work), slots_(work.positions.size())
    {
    }

    HRESULT openResult = 0;
    int64_t duration = 100000000;
    std::vector<Grab> script;
    int sourceWidth = 320, sourceHeight = 180;
    bool brokenFrames = false;  // frames that are no bitmap at all

    int opened = 0;
    Positions grabbed;
    std::vector<Colours> writes;  // the centre of every slot, at every write
    UINT stripWidth = 0, stripHeight = 0;
    std::vector<std::wstring> errorList;

protected:
    HRESULT OpenMovie(const std::wstring&) override
    {
        ++opened;
        return openResult;
    }
    int64_t GetMovieDuration() override { return openResult == 0 ? duration : 0; }
    Gdiplus::Bitmap* GrabFrame(int64_t position, uint32_t& result) override
    {
        const size_t call = grabbed.size();
        grabbed.push_back(position);
        const Grab grab = call < script.size() ? script[call] : Grab{kGrabOk, true};
        result = grab.result;
        if (!grab.bitmap) return nullptr;
        frame_ = brokenFrames ? std::make_unique<Gdiplus::Bitmap>(L"Z:\\no\\such\\frame.png")
                              : SolidFrame(sourceWidth, sourceHeight, GreyOf(static_cast<int>(call)));
        return frame_.get();
    }
    void WriteStrip(uint32_t, const std::wstring&, Gdiplus::Bitmap& copy) override
    {
        stripWidth = copy.GetWidth();
        stripHeight = copy.GetHeight();
        Colours colours;
        for (size_t i = 0; i < slots_; ++i) {
            Gdiplus::Color pixel;
            copy.GetPixel(static_cast<INT>(stripWidth / slots_ * i + stripWidth / slots_ / 2), stripHeight / 2, &pixel);
            colours.push_back(pixel.GetValue());
        }
        writes.push_back(colours);
    }
    void AddToErrorList(const std::wstring& path) override { errorList.push_back(path); }

private:
    size_t slots_;
    std::unique_ptr<Gdiplus::Bitmap> frame_;
};

struct Reply {
    uint32_t error = 0, decodeCount = 0, requestCount = 0;
    int64_t duration = 0;
    Positions positions = {};
    bool operator==(const Reply& o) const
    {
        return error == o.error && decodeCount == o.decodeCount && requestCount == o.requestCount;
    }
};

class MovieDecode : public testing::Test {
protected:
    void SetUp() override
    {
        static int counter = 0;
        StillforgeName = L"MovieDecodeTest-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
        server_.SetName(StillforgeName);
        ASSERT_EQ(0, server_.Start());
        work_.request_id = 42;
        work_.request_count = 3;
        work_.moviePath = L"Z:\\movies\\movie.mp4";
        work_.outputPath = L"Z:\\out\\42.jpg";
        work_.imageType = 1;
        work_.frameWidth = 32;
        work_.frameHeight = 18;
        work_.positions.assign(3, -1);
    }

    // Runs the movie and waits for `replies` responses (and a little for any extra one).
    void Run(ScriptedDecode& decode, size_t replies, bool crashed = false)
    {
        decode.Run(crashed);
        server_.WaitForResponses(static_cast<uint32_t>(replies), 5000);
        Sleep(replies == 0 ? 300 : 50);
    }
    std::vector<Reply> Replies()
    {
        std::lock_guard<std::mutex> lock(lock_);
        return replies_;
    }
    std::vector<uint32_t> ErrorFlags()
    {
        std::vector<uint32_t> flags;
        for (const Reply& reply : Replies()) flags.push_back(reply.error);
        return flags;
    }

    GdiplusSession gdiplus_;
    Host host_;
    DecodeRequestItem_CL work_;
    std::mutex lock_;
    std::vector<Reply> replies_;
    ResponseServer_CL server_{[this](const Kiln_ResponseDecode_CL& r) {
        std::lock_guard<std::mutex> lock(lock_);
        replies_.push_back({r.errorFlag, r.decode_count, r.request_count, r.duration, r.positions});
    }};
};

TEST_F(MovieDecode, EachFrameIsDrawnWrittenAndAnsweredWithWhatIsLeft)
{
    ScriptedDecode decode(host_, work_);
    Run(decode, 3);
    // Ten seconds in three slices: the middle of each.
    const Positions planned = {16666666, 49999999, 83333332};
    EXPECT_EQ(planned, decode.grabbed);
    auto replies = Replies();
    ASSERT_EQ(3u, replies.size());
    EXPECT_EQ((Reply{0, 2, 3}), replies[0]);
    EXPECT_EQ((Reply{0, 1, 3}), replies[1]);
    EXPECT_EQ((Reply{0, 0, 2}), replies[2]);
    EXPECT_EQ(100000000, replies[2].duration);
    // The first reply already carries the planned position of its frame; the rest are
    // still the wanted ones.
    EXPECT_EQ((Positions{16666666, -1, -1}), replies[0].positions);
    EXPECT_EQ(planned, replies[2].positions);

    ASSERT_EQ(3u, decode.writes.size());
    EXPECT_TRUE(SameColours(Colours{GreyOf(0), kBlack, kBlack}, decode.writes[0]));
    EXPECT_TRUE(SameColours(Colours{GreyOf(0), GreyOf(1), kBlack}, decode.writes[1]));
    EXPECT_TRUE(SameColours(Colours{GreyOf(0), GreyOf(1), GreyOf(2)}, decode.writes[2]));
    EXPECT_EQ(96u, decode.stripWidth);
    EXPECT_EQ(18u, decode.stripHeight);
    EXPECT_TRUE(decode.errorList.empty());
    EXPECT_EQ(0u, work_.errorFlag);
}

TEST_F(MovieDecode, MovieThatCannotBeOpenedAnswersEveryFrameAsFailed)
{
    ScriptedDecode decode(host_, work_);
    decode.openResult = E_FAIL;
    Run(decode, 3);
    EXPECT_TRUE(decode.grabbed.empty());
    auto replies = Replies();
    ASSERT_EQ(3u, replies.size());
    EXPECT_EQ((Reply{1, 0, 2}), replies[2]);
    EXPECT_EQ(0, replies[2].duration);
    EXPECT_EQ((Positions{-1, -1, -1}), replies[2].positions);  // nothing was handed to a grabber
    ASSERT_EQ(3u, decode.writes.size());
    EXPECT_TRUE(SameColours(Colours{kErrorBlue, kErrorBlue, kErrorBlue}, decode.writes[2]));
    EXPECT_EQ(std::vector<std::wstring>{work_.moviePath}, decode.errorList);
}

TEST_F(MovieDecode, CrashedMovieIsNeitherOpenedNorGrabbed)
{
    ScriptedDecode decode(host_, work_);
    Run(decode, 3, true);
    EXPECT_EQ(0, decode.opened);
    EXPECT_TRUE(decode.grabbed.empty());
    EXPECT_EQ((std::vector<uint32_t>{1, 1, 1}), ErrorFlags());
    EXPECT_EQ(1u, decode.errorList.size());
}

// Without the error image (missing beside the program), and with frames that are no
// bitmap, every frame is still written and answered: the slot is painted plainly.
TEST_F(MovieDecode, SlotsWithoutAnyDrawableImageAreFilledSavedAndAnswered)
{
    host_.errorImage.reset();
    ScriptedDecode failedOpen(host_, work_);
    failedOpen.openResult = E_FAIL;
    Run(failedOpen, 3);
    EXPECT_EQ((std::vector<uint32_t>{1, 1, 1}), ErrorFlags());
    ASSERT_EQ(3u, failedOpen.writes.size());
    EXPECT_TRUE(SameColours(Colours(3, MovieDecode_CL::kNoImageColour), failedOpen.writes[2]));

    replies_.clear();
    work_.errorFlag = 0;
    work_.request_count = 3;
    host_.errorImage = SolidFrame(8, 8, kErrorBlue);
    ScriptedDecode brokenFrames(host_, work_);
    brokenFrames.brokenFrames = true;
    Run(brokenFrames, 3);
    auto replies = Replies();
    ASSERT_EQ(3u, replies.size());
    EXPECT_EQ((Reply{1, 0, 2}), replies[2]);
    ASSERT_EQ(3u, brokenFrames.writes.size());
    EXPECT_TRUE(SameColours(Colours(3, MovieDecode_CL::kNoImageColour), brokenFrames.writes[2]));
}

TEST_F(MovieDecode, FailedFrameShowsTheErrorImageAndFlagsTheRestOfTheMovie)
{
    work_.positions.assign(4, -1);
    ScriptedDecode decode(host_, work_);
    decode.script = {{MovieDecode_CL::kGrabOk, true}, {MovieDecode_CL::kGrabFailed, false}};
    Run(decode, 4);
    EXPECT_EQ((std::vector<uint32_t>{0, 1, 1, 1}), ErrorFlags());
    ASSERT_EQ(4u, decode.writes.size());
    EXPECT_TRUE(SameColours(Colours{GreyOf(0), kErrorBlue, GreyOf(2), GreyOf(3)}, decode.writes[3]));
    EXPECT_EQ(1u, decode.errorList.size());
}

TEST_F(MovieDecode, ConsecutiveTimeOutsStopTheGrabbingButEveryFrameIsAnswered)
{
    work_.positions.assign(6, -1);
    ScriptedDecode decode(host_, work_);
    const Grab timeout = {MovieDecode_CL::kGrabTimeout, false};
    // Two time-outs, a frame (the count starts again), then three in a row.
    decode.script = {timeout, timeout, {MovieDecode_CL::kGrabOk, true}, timeout, timeout, timeout};
    Run(decode, 6);
    EXPECT_EQ(6u, decode.grabbed.size());
    EXPECT_EQ(6u, Replies().size());

    replies_.clear();
    work_.positions.assign(6, -1);
    work_.errorFlag = 0;
    ScriptedDecode stopped(host_, work_);
    stopped.script = {timeout, timeout, timeout};
    Run(stopped, 6);
    EXPECT_EQ(3u, stopped.grabbed.size());  // the last three are not tried
    EXPECT_EQ(6u, Replies().size());
    EXPECT_TRUE(SameColours(Colours(6, kErrorBlue), stopped.writes.back()));
    EXPECT_EQ(1u, stopped.errorList.size());
}

TEST_F(MovieDecode, CancelledGrabStopsRepliesAndKeepsTheMovieOffTheErrorList)
{
    work_.positions.assign(4, -1);
    ScriptedDecode decode(host_, work_);
    decode.script = {{MovieDecode_CL::kGrabOk, true}, {MovieDecode_CL::kGrabCancelled, false}};
    Run(decode, 1);
    EXPECT_TRUE(host_.cancelling);
    EXPECT_EQ(2u, decode.grabbed.size());
    EXPECT_EQ(1u, Replies().size());
    // The rest are still drawn and written, with the error image.
    ASSERT_EQ(4u, decode.writes.size());
    EXPECT_TRUE(SameColours(Colours{GreyOf(0), kErrorBlue, kErrorBlue, kErrorBlue}, decode.writes[3]));
    EXPECT_TRUE(decode.errorList.empty());
}

TEST_F(MovieDecode, RequestShapesOutsideTheLimits)
{
    struct Case {
        const char* name;
        uint32_t width, height;
        size_t frames;
        bool opened;
        size_t replies;
        size_t writes;
        uint32_t lastError;
    } cases[] = {
        {"frame size of the source", 0xFFFFFFFF, 0xFFFFFFFF, 2, true, 2, 2, 0},
        {"largest side", 4096, 1, 1, true, 1, 1, 0},
        {"zero width", 0, 144, 2, false, 2, 0, 1},
        {"width past 4096", 4097, 144, 2, false, 2, 0, 1},
        {"height past 4096 with width of the source", 0xFFFFFFFF, 5000, 2, false, 2, 0, 1},
        {"64 frames", 16, 9, 64, true, 64, 64, 0},
        {"65 frames: one failed reply", 16, 9, 65, false, 1, 0, 1},
        {"no frames: nothing at all", 16, 9, 0, false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        replies_.clear();
        DecodeRequestItem_CL work = work_;
        work.frameWidth = c.width;
        work.frameHeight = c.height;
        work.positions.assign(c.frames, -1);
        ScriptedDecode decode(host_, work);
        Run(decode, c.replies);
        EXPECT_EQ(c.opened ? 1 : 0, decode.opened) << c.name;
        auto replies = Replies();
        ASSERT_EQ(c.replies, replies.size()) << c.name;
        EXPECT_EQ(c.writes, decode.writes.size()) << c.name;
        if (c.replies == 0) continue;
        EXPECT_EQ((Reply{c.lastError, 0, 2}), replies.back()) << c.name;
        EXPECT_EQ(c.lastError != 0, decode.errorList.size() == 1) << c.name;
    }
    // -1 takes the size of the first frame grabbed.
    DecodeRequestItem_CL work = work_;
    work.frameWidth = work.frameHeight = 0xFFFFFFFF;
    ScriptedDecode decode(host_, work);
    Run(decode, 3);
    EXPECT_EQ(960u, decode.stripWidth);
    EXPECT_EQ(180u, decode.stripHeight);
    EXPECT_EQ(320u, work.frameWidth);
}

TEST_F(MovieDecode, TitledItemsAreAnsweredOnlyWhileTheirWindowExistsUntitledAlways)
{
    EXPECT_TRUE(MovieDecode_CL::IsReplyWanted(L""));
    const std::wstring title = L"ReplyGate-" + std::to_wstring(GetCurrentProcessId());
    EXPECT_FALSE(MovieDecode_CL::IsReplyWanted(title));
    HWND window = CreateWindowExW(0, L"STATIC", title.c_str(), WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, window);
    EXPECT_TRUE(MovieDecode_CL::IsReplyWanted(title));

    work_.replyTitle = title;
    ScriptedDecode answered(host_, work_);
    Run(answered, 3);
    EXPECT_EQ(3u, Replies().size());
    DestroyWindow(window);

    replies_.clear();
    work_.request_count = 3;
    ScriptedDecode unanswered(host_, work_);
    Run(unanswered, 0);
    EXPECT_TRUE(Replies().empty());
    EXPECT_EQ(3u, unanswered.writes.size());
}

}  // namespace
