// Single instance: the first start, second starts at several distances from the last
// duplicate start, and a first instance that no longer answers.
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/shell/SingleInstance.h"
#include "tests/appproc/support/AppProcSupport.h"

namespace {

using namespace appproc;

const wchar_t kWindowReset[] = L"★ウインドウ位置異常回避しました。";
const wchar_t kDuplicate[] = L"多重起動でした。";
const wchar_t kQuickDuplicate[] = L"★30秒以内の多重起動を検出しました。";
const wchar_t kMutexEnd[] = L"----- Reelvault End(Mutex) -----";
const wchar_t kEnd[] = L"----- Reelvault End -----";

bool HasWindowRect(const AppSandbox& sandbox)
{
    bool found = false;
    sandbox.ProgramIni().Value(L"WINDOW", L"rect", &found);
    return found;
}

class StartTest : public testing::Test {
protected:
    void SetUp() override
    {
        SKIP_WITHOUT_PROGRAM();
        ASSERT_EQ(sandbox_.MakeMovies(3), 0);
        // A maker that answers nothing keeps the first instance from saving while the test
        // writes the program ini: profile writes of two processes would undo each other.
        program_ = sandbox_.ProgramWithStandinMaker();
    }

    AppSandbox sandbox_;
    std::wstring program_;
};

TEST_F(StartTest, FirstStartWithoutIniRecordsTheTimeAndNoRect)
{
    DeleteFileW(sandbox_.programIniPath().c_str());
    const int64_t before = NowSeconds();
    ReelvaultProcess first;
    ASSERT_TRUE(first.Start(program_));
    ASSERT_TRUE(WaitForReady(first));
    EXPECT_EQ(sandbox_.CountLogLines(kWindowReset), 1);
    const int64_t stamp = sandbox_.ReadLastDuplicateTime();
    EXPECT_GE(stamp, before - 2);
    EXPECT_LE(stamp, NowSeconds() + 2);

    EXPECT_EQ(CloseAndWait(first), 0u);
    EXPECT_FALSE(HasWindowRect(sandbox_));
    EXPECT_EQ(sandbox_.CountLogLines(kEnd), 1);
}

struct SecondStartCase {
    const char* name;
    int64_t offsetSeconds;  // lastDuplicateTime relative to now when the second starts
    bool firstCloses;
};

class SecondStartTest : public StartTest, public testing::WithParamInterface<SecondStartCase> {};

TEST_P(SecondStartTest, SecondEndsAndTheFirstClosesOnlyWithinThirtySeconds)
{
    const SecondStartCase& c = GetParam();
    ReelvaultProcess first;
    ASSERT_TRUE(first.Start(program_));
    ASSERT_TRUE(WaitForReady(first));
    // A rectangle for the quick duplicate start to forget (the first start wrote none).
    sandbox_.WriteWindowRect(RECT{40, 40, 700, 540});
    sandbox_.WriteLastDuplicateTime(NowSeconds() + c.offsetSeconds);

    const int64_t before = NowSeconds();
    ReelvaultProcess second;
    ASSERT_TRUE(second.Start(program_));
    EXPECT_EQ(second.WaitForExit(kExitTimeoutMs), 0u);
    EXPECT_EQ(sandbox_.CountLogLines(kDuplicate), 1);
    EXPECT_EQ(sandbox_.CountLogLines(kMutexEnd), 1);
    EXPECT_EQ(sandbox_.CountLogLines(kQuickDuplicate), c.firstCloses ? 1 : 0);
    if (c.firstCloses) {
        EXPECT_EQ(first.WaitForExit(kExitTimeoutMs), 0u);
    } else {
        EXPECT_EQ(first.WaitForExit(3000), static_cast<DWORD>(STILL_ACTIVE));
    }
    // Read once the first instance has nothing more to write: a profile write rewrites
    // the whole file.
    EXPECT_GE(sandbox_.ReadLastDuplicateTime(), before - 2);
    EXPECT_EQ(HasWindowRect(sandbox_), !c.firstCloses);
    if (!c.firstCloses) {
        EXPECT_EQ(CloseAndWait(first), 0u);
    }
    EXPECT_EQ(sandbox_.CountLogLines(kEnd), 1);
}

INSTANTIATE_TEST_SUITE_P(Table, SecondStartTest,
                         testing::Values(SecondStartCase{"TenSecondsAgo", -10, true},
                                         SecondStartCase{"ThirtyOneSecondsAgo", -31, false},
                                         SecondStartCase{"InTheFuture", 3600, true}),
                         [](const testing::TestParamInfo<SecondStartCase>& info) { return info.param.name; });

// The rescue of a hung first instance must not hang the second: it posts the close and
// raises the window without waiting on the first one's thread.
TEST_F(StartTest, HungFirstDoesNotHangTheSecondAndClosesOnceResumed)
{
    ReelvaultProcess first;
    ASSERT_TRUE(first.Start(program_));
    ASSERT_TRUE(WaitForReady(first));
    sandbox_.WriteLastDuplicateTime(NowSeconds() - 10);
    first.SuspendUiThread();
    // Under load a suspension can take effect late: wait until the window stops answering.
    HWND window = first.MainWindow();
    ASSERT_TRUE(WaitUntil(
        [&] {
            DWORD_PTR ignored = 0;
            return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 200, &ignored) == 0;
        },
        10000));

    ReelvaultProcess second;
    ASSERT_TRUE(second.Start(program_));
    const ULONGLONG start = GetTickCount64();
    const DWORD code = second.WaitForExit(20000);
    const ULONGLONG took = GetTickCount64() - start;
    EXPECT_EQ(code, 0u) << "the second start waited on the hung first one";
    EXPECT_LT(took, 20000u);
    EXPECT_TRUE(first.IsRunning());

    first.ResumeUiThread();
    EXPECT_EQ(first.WaitForExit(kExitTimeoutMs), 0u);
    if (HasFailure()) ADD_FAILURE() << testing::PrintToString(sandbox_.LogText());
}

// Another holder of the mutex without a window (a first instance still being created):
// the start ends quietly and records nothing.
TEST_F(StartTest, MutexHeldWithoutWindowEndsTheStartQuietly)
{
    const int64_t stamp = NowSeconds() - 5;
    sandbox_.WriteLastDuplicateTime(stamp);
    UniqueHandle mutex(CreateMutexW(nullptr, TRUE, kSingleInstanceMutexName));
    ASSERT_TRUE(mutex);
    ASSERT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << "a Reelvault is running";

    ReelvaultProcess second;
    ASSERT_TRUE(second.Start(program_));
    EXPECT_EQ(second.WaitForExit(kExitTimeoutMs), 0u);
    EXPECT_EQ(sandbox_.CountLogLines(kMutexEnd), 1);
    EXPECT_EQ(sandbox_.CountLogLines(kDuplicate), 0);
    EXPECT_EQ(sandbox_.CountLogLines(kQuickDuplicate), 0);
    EXPECT_EQ(sandbox_.ReadLastDuplicateTime(), stamp) << "no window found: the time stays";
}

}  // namespace
