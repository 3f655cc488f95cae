// The thumbnail maker's answers as the album keeps them, the decode keys across runs, and
// the sibling player's item update.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "core/album/PlaydeckSync.h"
#include "core/base/PathName.h"
#include "tests/appproc/support/AppProcSupport.h"
#include "tests/common/Screenshot.h"

namespace {

using namespace appproc;

const wchar_t kDecodeCountPrefix[] = L"残動画デコード数( ";

// ffprobe's length of a demo clip in seconds, written by the build; negative when unknown.
double ProbedSeconds(const std::wstring& moviePath)
{
    std::wstring file = BuildProgramFolder() + L"\\demo\\durations\\" + PathName_CL::GetFileName(moviePath) + L".duration";
    std::vector<uint8_t> bytes = ReadFileBytes(file);
    if (bytes.empty()) return -1;
    return atof(std::string(bytes.begin(), bytes.end()).c_str());
}

class ResponseTest : public testing::Test {
protected:
    void SetUp() override { SKIP_WITHOUT_PROGRAM(); }

    AppSandbox sandbox_;
};

TEST_F(ResponseTest, DemoClipsGetTheirLengthsPositionsAndTheBrokenOneItsError)
{
    ASSERT_EQ(sandbox_.MakeDemoAlbum(), 0);
    ReelvaultProcess program;
    ASSERT_TRUE(program.Start(ProgramPath()));
    ASSERT_TRUE(WaitForReady(program));
    HWND status = StatusBarOf(program.MainWindow());
    ASSERT_NE(status, nullptr);

    // The count shows while movies wait and is emptied after the last one.
    std::wstring counted;
    const bool drained = WaitUntil(
        [&] {
            std::wstring text = RemoteStatusText(status, 1);
            if (text.compare(0, wcslen(kDecodeCountPrefix), kDecodeCountPrefix) == 0) counted = text;
            return !counted.empty() && text.empty();
        },
        180000, 100);
    EXPECT_TRUE(drained) << "last status text: " << testing::PrintToString(counted);
    EXPECT_EQ(counted.back(), L')');
    EXPECT_FALSE(SaveWindowScreenshot(program.MainWindow(), L"appproc", L"ready-demo").empty());
    EXPECT_EQ(CloseAndWait(program), 0u);

    ItemMovieDataList_CL movies;
    sandbox_.LoadFromFiles(movies);
    ASSERT_EQ(movies.records.size(), 7u) << "six clips and the watched folder's one";
    for (const ItemMovieData_CL& movie : movies.records) {
        SCOPED_TRACE(testing::PrintToString(movie.link_name));
        if (PathName_CL::GetFileName(movie.link_name) == L"07-broken.mp4") {
            EXPECT_EQ(movie.decodo_err, 1u);
            continue;
        }
        EXPECT_EQ(movie.decodo_err, 0u);
        const double probed = ProbedSeconds(movie.link_name);
        ASSERT_GT(probed, 0);
        const double measured = static_cast<double>(movie.last_play_frame) / 1e7;
        EXPECT_NEAR(measured, probed, 0.5);
        for (const FavoritesFrameEntry& frame : movie.favorites_frames) {
            EXPECT_GE(frame.fav, 0);
            EXPECT_LE(frame.fav, movie.last_play_frame);
        }
    }
}

// Stillforge keeps its movie in hand across Reelvault's restarts: a key given again in the
// next run would name another movie.
TEST_F(ResponseTest, DecodeKeysOfTwoRunsAreDisjoint)
{
    ASSERT_EQ(sandbox_.MakeMovies(20), 0);
    const std::wstring program = sandbox_.ProgramWithStandinMaker();
    std::set<uint32_t> runs[2];
    for (auto& keys : runs) {
        DeleteFileW(sandbox_.standinRecordPath().c_str());
        ReelvaultProcess run;
        ASSERT_TRUE(run.Start(program));
        ASSERT_TRUE(WaitForReady(run));
        WaitUntil(
            [&] {
                keys.clear();
                for (const auto& request : sandbox_.StandinDecodeRequests())
                    for (const auto& item : request.items) keys.insert(item.decodeKey);
                return keys.size() >= 20;
            },
            20000);
        EXPECT_EQ(keys.size(), 20u);
        EXPECT_EQ(keys.count(0), 0u);
        EXPECT_EQ(CloseAndWait(run), 0u);
    }
    std::vector<uint32_t> common;
    std::set_intersection(runs[0].begin(), runs[0].end(), runs[1].begin(), runs[1].end(), std::back_inserter(common));
    EXPECT_TRUE(common.empty()) << common.size() << " keys given in both runs, e.g. " << common.front();
}

struct CopyDataCase {
    const char* name;
    DWORD size;
    LRESULT answer;
};

class ItemUpdateTest : public ResponseTest, public testing::WithParamInterface<CopyDataCase> {};

TEST_P(ItemUpdateTest, OnlyTheWholeRecordIsTaken)
{
    const CopyDataCase& c = GetParam();
    ASSERT_EQ(sandbox_.MakeMovies(3, L"--strips"), 0);
    ReelvaultProcess program;
    ASSERT_TRUE(program.Start(sandbox_.ProgramWithStandinMaker()));
    ASSERT_TRUE(WaitForReady(program));

    // The player changed the movie's note in its contents file; the update makes the
    // program read the record again, and its next save carries the new note.
    ItemMovieDataList_CL before;
    sandbox_.LoadFromFiles(before);
    ASSERT_EQ(before.records.size(), 3u);
    ItemMovieData_CL changed = before.records[1];
    changed.note = L"プレイヤーが書いたメモ";
    changed.WriteContentsIni();

    PlaydeckItemUpdate update = {};
    for (size_t i = 0; i < changed.link_name.size() && i < 259; ++i) update.path[i] = changed.link_name[i];
    COPYDATASTRUCT data = {kPlaydeckItemUpdateTag, c.size, &update};
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutW(program.MainWindow(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                                    SMTO_ABORTIFHUNG, 20000, &answer));
    EXPECT_EQ(static_cast<LRESULT>(answer), c.answer);

    ItemMovieDataList_CL cached;
    const bool saved = sandbox_.LoadFromCache(cached);
    if (c.answer == TRUE) {
        ASSERT_TRUE(saved) << "the update saves the album";
        bool found = false;
        for (const auto& movie : cached.records) {
            if (movie.link_name != changed.link_name) continue;
            found = true;
            EXPECT_EQ(movie.note, changed.note);
        }
        EXPECT_TRUE(found);
    } else {
        EXPECT_FALSE(saved) << "a refused update saved the album";
    }
    EXPECT_EQ(CloseAndWait(program), 0u);
}

INSTANTIATE_TEST_SUITE_P(Table, ItemUpdateTest,
                         testing::Values(CopyDataCase{"WholeRecord", kPlaydeckItemUpdateSize, TRUE},
                                         CopyDataCase{"OneByteShort", kPlaydeckItemUpdateSize - 1, FALSE}),
                         [](const testing::TestParamInfo<CopyDataCase>& info) { return info.param.name; });

}  // namespace
