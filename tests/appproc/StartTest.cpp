// Single instance: the first start, second starts at several distances from the last
// duplicate start, and a first instance that no longer answers.
#include <gtest/gtest.h>

#include <cstdlib>

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
    }

    AppSandbox sandbox_;
};

TEST_F(StartTest, FirstStartWithoutIniRecordsTheTimeAndNoRect)
{
    DeleteFileW(sandbox_.programIniPath().c_str());
    const int64_t before = NowSeconds();
    ReelvaultProcess first;
    ASSERT_TRUE(first.Start(ProgramPath()));
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
    ASSERT_TRUE(first.Start(ProgramPath()));
    ASSERT_TRUE(WaitForReady(first));
    // A rectangle for the quick duplicate start to forget (the first start wrote none).
    sandbox_.WriteWindowRect(RECT{40, 40, 700, 540});
    sandbox_.WriteLastDuplicateTime(NowSeconds() + c.offsetSeconds);

    const int64_t before = NowSeconds();
    ReelvaultProcess second;
    ASSERT_TRUE(second.Start(ProgramPath()));
    EXPECT_EQ(second.WaitForExit(kExitTimeoutMs), 0u);
    EXPECT_EQ(sandbox_.CountLogLines(kDuplicate), 1);
    EXPECT_EQ(sandbox_.CountLogLines(kMutexEnd), 1);
    EXPECT_EQ(sandbox_.CountLogLines(kQuickDuplicate), c.firstCloses ? 1 : 0);
    EXPECT_GE(sandbox_.ReadLastDuplicateTime(), before - 2);
    EXPECT_EQ(HasWindowRect(sandbox_), !c.firstCloses);

    if (c.firstCloses) {
        EXPECT_EQ(first.WaitForExit(kExitTimeoutMs), 0u);
    } else {
        EXPECT_EQ(first.WaitForExit(3000), static_cast<DWORD>(STILL_ACTIVE));
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
    ASSERT_TRUE(first.Start(ProgramPath()));
    ASSERT_TRUE(WaitForReady(first));
    sandbox_.WriteLastDuplicateTime(NowSeconds() - 10);
    first.SuspendUiThread();

    ReelvaultProcess second;
    ASSERT_TRUE(second.Start(ProgramPath()));
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

TEST_F(StartTest, MutexHeldWithoutWindowEndsTheSecondQuietly)
{
    // Needs the program's single-instance mutex name, which only the program knows; the
    // test starts a first instance and catches it before its window exists instead.
    ReelvaultProcess first;
    ASSERT_TRUE(first.Start(ProgramPath()));
    // The banner is written before the mutex is taken; the window comes after it.
    ASSERT_TRUE(sandbox_.WaitForLogLine(kStartBanner, kWindowTimeoutMs));
    first.SuspendUiThread();
    if (first.MainWindow()) {
        first.ResumeUiThread();
        GTEST_SKIP() << "the first instance made its window before it could be held";
    }
    const int64_t stampBefore = sandbox_.ReadLastDuplicateTime();
    if (sandbox_.CountLogLines(kWindowReset) == 0 && stampBefore == -1) {
        first.ResumeUiThread();
        GTEST_SKIP() << "caught before the mutex was taken";
    }

    ReelvaultProcess second;
    ASSERT_TRUE(second.Start(ProgramPath()));
    const DWORD code = second.WaitForExit(kExitTimeoutMs);
    first.ResumeUiThread();
    if (sandbox_.CountLogLines(kMutexEnd) == 0) {
        // The second one got the mutex: the first was held before it took it.
        CloseAndWait(second);
        GTEST_SKIP() << "caught before the mutex was taken";
    }
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(sandbox_.CountLogLines(kDuplicate), 0);
    EXPECT_EQ(sandbox_.ReadLastDuplicateTime(), stampBefore) << "no window found: the time stays";
    ASSERT_TRUE(WaitForReady(first));
    EXPECT_EQ(CloseAndWait(first), 0u);
}

}  // namespace
