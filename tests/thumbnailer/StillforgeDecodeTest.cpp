// The real Stillforge over generated movies, end to end through kilnctl: one response per
// frame, the strips it writes, the failing files, a cancel and a crashed movie.
#include "tests/thumbnailer/GrabberTestSupport.h"
#include "tests/thumbnailer/StillforgeProcessSupport.h"

#include <map>
#include <memory>

namespace {

struct Response {
    unsigned id = 0, error = 0, decodeCount = 0, requestCount = 0;
    long long duration = 0;
    std::vector<int64_t> positions;
};

std::vector<Response> ParseResponses(const RunResult& run)
{
    std::vector<Response> responses;
    for (const auto& line : run.lines) {
        Response r;
        unsigned count = 0;
        unsigned long long ms = 0;
        int used = 0;
        if (sscanf(line.c_str(), "response id=%u error=%u decode_count=%u request_count=%u duration=%lld positions=%u ms=%llu at=%n",
                   &r.id, &r.error, &r.decodeCount, &r.requestCount, &r.duration, &count, &ms, &used) < 7)
            continue;
        for (const char* at = line.c_str() + used; *at;) {
            char* end = nullptr;
            r.positions.push_back(strtoll(at, &end, 10));
            at = *end == ',' ? end + 1 : end;
        }
        responses.push_back(r);
    }
    return responses;
}

std::map<unsigned, std::vector<Response>> ByMovie(const std::vector<Response>& responses)
{
    std::map<unsigned, std::vector<Response>> movies;
    for (const auto& r : responses) movies[r.id].push_back(r);
    return movies;
}

// Twenty good movies as keys 1 .. 20, then the failing ones as 21 .. 23, all in one request.
const wchar_t* const kGoodMovies[] = {
    L"decode-01-stepped.mp4", L"decode-02.avi", L"decode-03.mp4", L"decode-04.mkv", L"decode-05.mov",
    L"decode-06.wmv",         L"decode-07.m4v", L"decode-08.avi", L"decode-09.mp4", L"decode-10.mkv",
    L"decode-11.mp4",         L"decode-12.avi", L"decode-13.mov", L"decode-14.wmv", L"decode-15.avi",
    L"decode-16.mp4",         L"decode-17.mkv", L"decode-18.avi", L"decode-19.mp4", L"decode-20.avi",
};
const wchar_t* const kFailingMovies[] = {L"grab-truncated.mp4", L"grab-random.avi", L"no-such-movie.mp4"};
constexpr unsigned kMovieCount = 23;

class StillforgeDecode : public StillforgeProcess {
protected:
    static std::wstring StartReal() { return L"start " + Quote(Beside(L"..\\thumbnailer")); }
    static std::wstring Movie(const wchar_t* name) { return Quote(GrabMoviePath(name)); }

    // Runs the whole set once for every test of this suite.
    static void SetUpTestSuite()
    {
        suite_ = new Suite;
        std::wstring decode = L" decode 1 " + std::to_wstring(kMovieCount);
        unsigned key = 0;
        for (const wchar_t* movie : kGoodMovies) decode += L" " + std::to_wstring(++key) + L" " + Movie(movie);
        for (const wchar_t* movie : kFailingMovies) decode += L" " + std::to_wstring(++key) + L" " + Movie(movie);
        suite_->name = L"KilnDecode-" + std::to_wstring(GetCurrentProcessId());
        suite_->run = RunCaptured(Beside(L"kilnctl.exe"),
                                  Quote(suite_->name) + L" " + Quote(suite_->data.Path()) + L" " + StartReal() + decode +
                                      L" responses " + std::to_wstring(kMovieCount * 10) +
                                      L" 200000 sleep 500 queue close 15000",
                                  240000);
        suite_->responses = ParseResponses(suite_->run);
    }
    static void TearDownTestSuite()
    {
        delete suite_;
        suite_ = nullptr;
    }

    struct Suite {
        TempFolder data;
        std::wstring name;
        RunResult run;
        std::vector<Response> responses;
    };
    static Suite* suite_;
    GdiplusSession gdiplus_;
};

StillforgeDecode::Suite* StillforgeDecode::suite_ = nullptr;

TEST_F(StillforgeDecode, EveryMovieIsAnsweredOncePerFrameCountingDown)
{
    ASSERT_EQ(0u, suite_->run.exitCode) << suite_->run.Text();
    auto movies = ByMovie(suite_->responses);
    ASSERT_EQ(kMovieCount, movies.size()) << suite_->run.Text();
    unsigned expectedKey = 1;
    for (auto& [key, responses] : movies) {
        EXPECT_EQ(expectedKey++, key);
        ASSERT_EQ(10u, responses.size()) << "movie " << key;
        // Movie k is taken while 24 - k movies are queued, itself included.
        const unsigned queued = kMovieCount + 1 - key;
        const unsigned failed = key > 20 ? 1 : 0;
        for (unsigned i = 0; i < 10; ++i) {
            EXPECT_EQ(9 - i, responses[i].decodeCount) << "movie " << key;
            EXPECT_EQ(i < 9 ? queued : queued - 1, responses[i].requestCount) << "movie " << key;
            EXPECT_EQ(failed, responses[i].error) << "movie " << key << " frame " << i;
            EXPECT_EQ(10u, responses[i].positions.size());
        }
        if (!failed) {
            EXPECT_GT(responses[9].duration, 0) << "movie " << key;
        }
    }
    // The movies are answered in queue order, each finished before the next begins.
    std::vector<unsigned> order;
    for (const auto& r : suite_->responses)
        if (order.empty() || order.back() != r.id) order.push_back(r.id);
    EXPECT_EQ(kMovieCount, order.size());
}

TEST_F(StillforgeDecode, EveryStripIsAJpegOfTenFramesOf256x144)
{
    for (unsigned key = 1; key <= kMovieCount; ++key) {
        const std::wstring path = suite_->data / (L"out\\" + std::to_wstring(key) + L".jpg");
        Gdiplus::Bitmap strip(path.c_str());
        ASSERT_EQ(Gdiplus::Ok, strip.GetLastStatus()) << Utf8(path);
        EXPECT_EQ(2560u, strip.GetWidth()) << key;
        EXPECT_EQ(144u, strip.GetHeight()) << key;
        GUID format;
        strip.GetRawFormat(&format);
        EXPECT_TRUE(IsEqualGUID(Gdiplus::ImageFormatJPEG, format)) << key;
    }
}

// The stepped clip brightens by one step each second: each slot shows the step of the
// position its response names.
TEST_F(StillforgeDecode, SlotBrightnessFollowsThePlannedPositions)
{
    auto movies = ByMovie(suite_->responses);
    ASSERT_EQ(10u, movies[1].size());
    const std::vector<int64_t> planned = movies[1].back().positions;
    ASSERT_EQ(10u, planned.size());
    // Six seconds: the middle of each of ten slices.
    EXPECT_EQ(3000000, planned[0]);
    EXPECT_EQ(57000000, planned[9]);
    Gdiplus::Bitmap strip((suite_->data / L"out\\1.jpg").c_str());
    ASSERT_EQ(Gdiplus::Ok, strip.GetLastStatus());
    for (int slot = 0; slot < 10; ++slot) {
        const int luma = MeanLuma(strip, 40, 136, 256 * slot + 48, 256 * slot + 240);
        const int step = (luma - 40 + 15) / 30;
        EXPECT_EQ(static_cast<int>(planned[slot] / kUnitsPerSecond), step) << "slot " << slot << " luma " << luma;
    }
}

TEST_F(StillforgeDecode, FailingFilesAreFlaggedLoggedAndListed)
{
    const std::wstring errors = ReadUtf16File(suite_->data / L"kiln_err_list.txt");
    Inifile_CL ini(suite_->data / L"Thumbnail.ini");
    EXPECT_EQ(3u, ini.ReadInt(L"ERR_FILE", L"decode_err_path_count", 0));
    std::set<std::wstring> listed;
    for (int i = 1; i <= 3; ++i)
        listed.insert(ini.ReadString(L"ERR_FILE", (L"decode_err_path_" + std::to_wstring(i)).c_str(), L""));
    for (const wchar_t* movie : kFailingMovies) {
        const std::wstring path = GrabMoviePath(movie);
        EXPECT_TRUE(Contains(errors, L" : " + path + L"\r\n")) << Utf8(movie) << "\n" << Utf8(errors);
        EXPECT_EQ(1u, listed.count(path)) << Utf8(movie);
    }
    // The failing ones get the error image, not black.
    Gdiplus::Bitmap strip((suite_->data / L"out\\23.jpg").c_str());
    ASSERT_EQ(Gdiplus::Ok, strip.GetLastStatus());
    Gdiplus::Color corner;
    strip.GetPixel(4, 4, &corner);
    EXPECT_GT(corner.GetR() + corner.GetG() + corner.GetB(), 60);
}

TEST_F(StillforgeDecode, QueueFileEndsEmpty)
{
    EXPECT_TRUE(suite_->run.QueueKeys(0).empty()) << suite_->run.Text();
    EXPECT_TRUE(suite_->run.Has("queue count=0 result=0x80004005")) << suite_->run.Text();
}

TEST_F(StillforgeDecode, CancelMidMovieStopsTheRepliesAndLeavesTheMovieQueued)
{
    RunResult run = Kilnctl(StartReal() + L" shape 1 256 144 64 decode 1 1 16 " + Movie(L"decode-16.mp4") +
                            L" responses 2 30000 close 15000 sleep 500 queue");
    ASSERT_EQ(0u, run.exitCode) << run.Text();
    const size_t answered = ParseResponses(run).size();
    EXPECT_GE(answered, 2u);
    EXPECT_LT(answered, 64u) << run.Text();
    EXPECT_EQ(std::vector<unsigned>{16}, run.QueueKeys(0)) << run.Text();
    EXPECT_EQ(0u, ini_.ReadInt(L"ERR_FILE", L"decode_err_path_count", 0));
}

// The marker that a previous instance died on this movie: it is answered as failed without
// being opened, and the next request for it is decoded.
TEST_F(StillforgeDecode, CrashedMovieIsAnsweredAsFailedWithoutBeingOpened)
{
    const std::wstring movie = GrabMoviePath(L"decode-02.avi");
    ini_.WriteInt(1, L"THUMBNAIL", L"exception");
    ini_.WriteString(L"THUMBNAIL", L"exception_file", movie);
    RunResult run = Kilnctl(StartReal() + L" decode 1 1 2 " + Quote(movie) + L" responses 10 30000 decode 0 1 3 " +
                            Quote(movie) + L" responses 20 30000 close 15000");
    ASSERT_EQ(0u, run.exitCode) << run.Text();
    auto movies = ByMovie(ParseResponses(run));
    ASSERT_EQ(10u, movies[2].size());
    for (const auto& r : movies[2]) {
        EXPECT_EQ(1u, r.error);
        EXPECT_EQ(std::vector<int64_t>(10, -1), r.positions);  // nothing was grabbed
    }
    ASSERT_EQ(10u, movies[3].size());
    EXPECT_EQ(0u, movies[3].back().error);
    EXPECT_EQ(1u, CountOccurrences(Log(L"kiln_log.txt"), L"(file)" + movie));
}

TEST_F(StillforgeDecode, FrameSizeOfTheSourceAndImageTypesReachTheStrip)
{
    RunResult run = Kilnctl(StartReal() + L" shape 2 -1 -1 3 decode 1 1 4 " + Movie(L"decode-02.avi") +
                            L" shape 3 256 144 2 decode 0 1 5 " + Movie(L"decode-02.avi") +
                            L" responses 5 30000 close 15000");
    ASSERT_EQ(0u, run.exitCode) << run.Text();
    auto movies = ByMovie(ParseResponses(run));
    EXPECT_EQ(3u, movies[4].size());
    EXPECT_EQ(2u, movies[5].size());
    Gdiplus::Bitmap png((data_ / L"out\\4.png").c_str());
    ASSERT_EQ(Gdiplus::Ok, png.GetLastStatus());
    EXPECT_EQ(960u, png.GetWidth());
    EXPECT_EQ(240u, png.GetHeight());
    // An image type that no writer knows writes nothing, and is still answered.
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((data_ / L"out\\5.img").c_str()));
    EXPECT_EQ(0u, movies[5].back().error);
}

}  // namespace
