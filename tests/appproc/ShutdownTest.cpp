// Shut-down: refused while the album loads, saved once when it ends, the watchdog's timer
// alone ending it unsaved, and no movie lost to a kill at any stage.
#include <gtest/gtest.h>

#include "core/album/PlaydeckSync.h"
#include "tests/appproc/support/AppProcSupport.h"

namespace {

using namespace appproc;

constexpr UINT_PTR kCloseWatchdogTimer = 0x12345555;

bool CacheExists(const AppSandbox& sandbox)
{
    return GetFileAttributesW((sandbox.albumFolder(0) + L"\\LastAlbumInfo.dat").c_str()) != INVALID_FILE_ATTRIBUTES;
}

class ShutdownTest : public testing::Test {
protected:
    void SetUp() override { SKIP_WITHOUT_PROGRAM(); }

    AppSandbox sandbox_;
};

// The sibling player's item update for a movie of the album being loaded.
LRESULT SendItemUpdate(HWND window, const std::wstring& moviePath)
{
    PlaydeckItemUpdate update = {};
    for (size_t i = 0; i < moviePath.size() && i < 259; ++i) update.path[i] = moviePath[i];
    COPYDATASTRUCT data = {kPlaydeckItemUpdateTag, kPlaydeckItemUpdateSize, &update};
    DWORD_PTR answer = 0xBAD;
    if (!SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 20000,
                             &answer))
        return 0xBAD;
    return static_cast<LRESULT>(answer);
}

TEST_F(ShutdownTest, CloseAndPlayerUpdatesDuringTheLoadAreRefused)
{
    // The first album's movies have their strips; a locked second album, last used, holds
    // the splash up for three seconds before the first opens.
    ASSERT_EQ(sandbox_.MakeMovies(3, L"--strips"), 0);
    ASSERT_EQ(sandbox_.MakeMovies(2, L"--album 1 --lock 5A"), 0);
    ItemMovieDataList_CL movies;
    sandbox_.LoadFromFiles(movies);
    ASSERT_EQ(movies.records.size(), 3u);
    const std::wstring moviePath = movies.records[0].link_name;

    ReelvaultProcess program;
    ASSERT_TRUE(program.Start(sandbox_.ProgramWithStandinMaker()));
    ASSERT_NE(program.WaitForTopWindow(L"#32770", nullptr, kWindowTimeoutMs), nullptr);
    ASSERT_FALSE(IsReady(program.MainWindow()));
    PostMessageW(program.MainWindow(), WM_CLOSE, 0, 0);
    // The player's update walks and saves the list the load is still filling.
    EXPECT_EQ(SendItemUpdate(program.MainWindow(), moviePath), FALSE);
    ASSERT_TRUE(WaitForReady(program));
    EXPECT_EQ(program.WaitForExit(2000), static_cast<DWORD>(STILL_ACTIVE)) << "closed during the load";
    EXPECT_EQ(SendItemUpdate(program.MainWindow(), moviePath), TRUE);
    EXPECT_EQ(CloseAndWait(program), 0u);
}

TEST_F(ShutdownTest, CloseAfterTheLoadSavesOnceAndStopsTheMaker)
{
    ASSERT_EQ(sandbox_.MakeMovies(5, L"--strips"), 0);
    ReelvaultProcess program;
    ASSERT_TRUE(program.Start(ProgramPath()));
    ASSERT_TRUE(WaitForReady(program));
    EXPECT_TRUE(WaitUntil(MakerRunning, 20000)) << "the thumbnail maker was not started";
    const int savesBefore = sandbox_.CountLogLines(kSaveStartLine);
    ASSERT_FALSE(CacheExists(sandbox_));

    PostMessageW(program.MainWindow(), WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(15000), 0u);
    EXPECT_EQ(sandbox_.CountLogLines(kSaveStartLine) - savesBefore, 1);
    EXPECT_EQ(sandbox_.CountLogLines(kSaveStartLine), sandbox_.CountLogLines(kSaveEndLine));
    EXPECT_TRUE(CacheExists(sandbox_));
    EXPECT_TRUE(WaitUntil([] { return !MakerRunning(); }, 5000)) << "the thumbnail maker was left running";
}

struct TimerCase {
    const char* name;
    UINT_PTR id;
    bool ends;
};

class TimerTest : public ShutdownTest, public testing::WithParamInterface<TimerCase> {};

TEST_P(TimerTest, OnlyTheWatchdogTimerEndsTheProgramUnsaved)
{
    const TimerCase& c = GetParam();
    ASSERT_EQ(sandbox_.MakeMovies(3, L"--strips"), 0);
    ReelvaultProcess program;
    ASSERT_TRUE(program.Start(sandbox_.ProgramWithStandinMaker()));
    ASSERT_TRUE(WaitForReady(program));
    const int savesBefore = sandbox_.CountLogLines(kSaveStartLine);

    PostMessageW(program.MainWindow(), WM_TIMER, c.id, 0);
    if (c.ends) {
        EXPECT_EQ(program.WaitForExit(15000), 0u);
        EXPECT_EQ(sandbox_.CountLogLines(kSaveStartLine), savesBefore);
        EXPECT_FALSE(CacheExists(sandbox_));
    } else {
        EXPECT_EQ(program.WaitForExit(3000), static_cast<DWORD>(STILL_ACTIVE));
        EXPECT_EQ(CloseAndWait(program), 0u);
        EXPECT_TRUE(CacheExists(sandbox_));
    }
}

INSTANTIATE_TEST_SUITE_P(Table, TimerTest,
                         testing::Values(TimerCase{"Watchdog", kCloseWatchdogTimer, true},
                                         TimerCase{"SplashTimer", 0x123, false},
                                         TimerCase{"AnotherProgramsTimer", 1, false}),
                         [](const testing::TestParamInfo<TimerCase>& info) { return info.param.name; });

// Where a kill lands, and the album it lands on.
enum class KillPoint { kDuringLoad, kAmidResponses, kInTheClose };

struct KillCase {
    const char* name;
    KillPoint point;
};

class KillTest : public ShutdownTest, public testing::WithParamInterface<KillCase> {};

TEST_P(KillTest, NextStartHasEveryMovie)
{
    const KillCase& c = GetParam();
    size_t expected = 0;
    std::wstring program;
    if (c.point == KillPoint::kAmidResponses) {
        ASSERT_EQ(sandbox_.MakeDemoAlbum(), 0);
        program = ProgramPath();
        expected = 7;  // six clips and the watched folder's one
    } else {
        ASSERT_EQ(sandbox_.MakeMovies(300), 0);
        program = sandbox_.ProgramWithStandinMaker();
        expected = 300;
    }

    {
        ReelvaultProcess victim;
        ASSERT_TRUE(victim.Start(program));
        switch (c.point) {
        case KillPoint::kDuringLoad:
            ASSERT_NE(victim.WaitForTopWindow(L"#32770", nullptr, kWindowTimeoutMs), nullptr);
            Sleep(300);
            break;
        case KillPoint::kAmidResponses:
            ASSERT_TRUE(WaitForReady(victim));
            ASSERT_TRUE(sandbox_.WaitForLogLine(L"デコード完了通知の処理(終了)", 120000, 3));
            break;
        case KillPoint::kInTheClose: {
            ASSERT_TRUE(WaitForReady(victim));
            const int saves = sandbox_.CountLogLines(kSaveStartLine);
            PostMessageW(victim.MainWindow(), WM_CLOSE, 0, 0);
            ASSERT_TRUE(sandbox_.WaitForLogLine(kSaveStartLine, 15000, saves + 1));
            break;
        }
        }
        victim.Kill();
    }

    ReelvaultProcess next;
    ASSERT_TRUE(next.Start(program));
    ASSERT_TRUE(WaitForReady(next));
    EXPECT_EQ(CloseAndWait(next), 0u);
    ItemMovieDataList_CL fromFiles;
    sandbox_.LoadFromFiles(fromFiles);
    EXPECT_EQ(fromFiles.records.size(), expected);
    ItemMovieDataList_CL fromCache;
    ASSERT_TRUE(sandbox_.LoadFromCache(fromCache));
    EXPECT_EQ(fromCache.records.size(), expected);
}

INSTANTIATE_TEST_SUITE_P(Table, KillTest,
                         testing::Values(KillCase{"DuringTheLoad", KillPoint::kDuringLoad},
                                         KillCase{"AmidResponses", KillPoint::kAmidResponses},
                                         KillCase{"InTheClose", KillPoint::kInTheClose}),
                         [](const testing::TestParamInfo<KillCase>& info) { return info.param.name; });

}  // namespace
