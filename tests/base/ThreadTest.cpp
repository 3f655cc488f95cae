#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <thread>
#include <vector>

#include "core/base/EasyThreadBase.h"
#include "core/base/Log.h"
#include "core/base/Semapho.h"
#include "core/base/ThreadBase.h"
#include "tests/common/TempFolder.h"

namespace {

constexpr UINT TM_TEST = TM_FIRST + 0x100;

// Records what reaches the worker and on which thread; signals `seen` for each message.
class RecordingWorker : public ThreadBase_CL {
public:
    RecordingWorker() : seen(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
    ~RecordingWorker() override { Stop(); }

    UniqueHandle seen;
    std::atomic<DWORD> lastThread{0};
    std::atomic<int> kicks{0};
    std::atomic<int> tests{0};
    std::atomic<int> quitsToIgnore{0};

protected:
    uint32_t OnThreadMessage(UINT message, WPARAM, LPARAM) override
    {
        lastThread = GetCurrentThreadId();
        if (message == TM_KICK) ++kicks;
        if (message == TM_TEST) ++tests;
        uint32_t result = 0;
        if (message == TM_QUIT && quitsToIgnore > 0) {
            --quitsToIgnore;
            result = 1;
        }
        SetEvent(seen.get());
        return result;
    }
};

TEST(ThreadBase, MessagePostedRightAfterStartArrives)
{
    RecordingWorker worker;
    ASSERT_EQ(worker.Start(), 0);
    ASSERT_TRUE(PostThreadMessageW(worker.GetThreadId(), TM_TEST, 0, 0));
    ASSERT_EQ(WaitForSingleObject(worker.seen.get(), 5000), WAIT_OBJECT_0);
    EXPECT_EQ(worker.tests, 1);
    EXPECT_EQ(worker.lastThread, worker.GetThreadId());
}

TEST(ThreadBase, KickAndStopWithoutAThread)
{
    RecordingWorker worker;
    EXPECT_FALSE(worker.Kick());
    worker.Stop();  // nothing to stop
    EXPECT_FALSE(worker.IsRunning());
}

TEST(ThreadBase, SecondStartKeepsTheOneThreadAndStopAllowsANewOne)
{
    RecordingWorker worker;
    ASSERT_EQ(worker.Start(), 0);
    DWORD first = worker.GetThreadId();
    ASSERT_EQ(worker.Start(), 0);
    EXPECT_EQ(worker.GetThreadId(), first);

    ASSERT_TRUE(worker.Kick());
    ASSERT_EQ(WaitForSingleObject(worker.seen.get(), 5000), WAIT_OBJECT_0);
    EXPECT_EQ(worker.lastThread, first);
    EXPECT_EQ(worker.kicks, 1);

    worker.Stop();
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_FALSE(worker.Kick());
    ResetEvent(worker.seen.get());  // set by the quit that Stop sent
    ASSERT_EQ(worker.Start(), 0);
    EXPECT_NE(worker.GetThreadId(), 0u);
    ASSERT_TRUE(worker.Kick());
    ASSERT_EQ(WaitForSingleObject(worker.seen.get(), 5000), WAIT_OBJECT_0);
    EXPECT_EQ(worker.lastThread, worker.GetThreadId());
}

TEST(ThreadBase, QuitAnsweredNonZeroKeepsTheLoopRunning)
{
    RecordingWorker worker;
    worker.quitsToIgnore = 1;
    ASSERT_EQ(worker.Start(), 0);
    PostThreadMessageW(worker.GetThreadId(), TM_QUIT, 0, 0);
    ASSERT_EQ(WaitForSingleObject(worker.seen.get(), 5000), WAIT_OBJECT_0);
    ASSERT_TRUE(worker.Kick());
    ASSERT_EQ(WaitForSingleObject(worker.seen.get(), 5000), WAIT_OBJECT_0);
    EXPECT_EQ(worker.kicks, 1);
    EXPECT_TRUE(worker.IsRunning());
    worker.Stop();
    EXPECT_FALSE(worker.IsRunning());
}

class CountingJob : public EasyThreadBase_CL {
public:
    ~CountingJob() override { Join(); }
    std::vector<DWORD> threads;
    std::vector<uint32_t> args;
    std::vector<uint32_t> endStatus;

protected:
    void Run(EasyThreadBase_CL*, uint32_t a, uint32_t b) override
    {
        threads.push_back(GetCurrentThreadId());
        args.push_back(a + b);
        status = static_cast<LONG>(a * 10);
    }
    void OnEnd(EasyThreadBase_CL*, uint32_t s) override { endStatus.push_back(s); }
};

TEST(EasyThreadBase, RunsTwiceOnTwoThreadsWithOneStartEvent)
{
    CountingJob job;
    EXPECT_EQ(job.Start(1, 2), WAIT_OBJECT_0);
    HANDLE event = job.GetStartEvent();
    job.Join();
    EXPECT_FALSE(job.IsRunning());
    EXPECT_EQ(job.Start(3, 4), WAIT_OBJECT_0);
    EXPECT_EQ(job.GetStartEvent(), event);
    job.Join();

    ASSERT_EQ(job.threads.size(), 2u);
    EXPECT_NE(job.threads[0], job.threads[1]);
    EXPECT_EQ(job.args, (std::vector<uint32_t>{3, 7}));
    EXPECT_EQ(job.endStatus, (std::vector<uint32_t>{10, 30}));
}

// With a maximum count of 1, a second release fails: the count must be exactly 1 at rest.
bool IsFreeWithCountOne(Semapho_CL& semaphore)
{
    if (WaitForSingleObject(semaphore.GetHandle(), 0) != WAIT_OBJECT_0) return false;
    LONG previous = -1;
    if (!ReleaseSemaphore(semaphore.GetHandle(), 1, &previous) || previous != 0) return false;
    return !ReleaseSemaphore(semaphore.GetHandle(), 1, nullptr);
}

TEST(Semapho, TimedOutWaitHoldsNothingAndReleasesNothing)
{
    TempFolder folder;
    Logger saved = AppLog;
    AppLog.path = folder / L"app.txt";

    Semapho_CL semaphore(L"", 0, 5);
    UniqueHandle holding(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    UniqueHandle finish(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::atomic<bool> holderGotIt{false};
    std::thread holder([&] {
        Semapho_CL::Lock_CL lock(semaphore, Semapho_CL::kWaitLimit);
        holderGotIt = lock.IsHeld();
        SetEvent(holding.get());
        WaitForSingleObject(finish.get(), INFINITE);
    });
    ASSERT_EQ(WaitForSingleObject(holding.get(), 5000), WAIT_OBJECT_0);
    EXPECT_TRUE(holderGotIt);

    {
        Semapho_CL::Lock_CL late(semaphore, 100);
        EXPECT_FALSE(late.IsHeld());
    }
    // The late waiter gave nothing back: the holder still has the semaphore.
    {
        Semapho_CL::Lock_CL again(semaphore, 0);
        EXPECT_FALSE(again.IsHeld());
    }
    SetEvent(finish.get());
    holder.join();
    AppLog = saved;

    EXPECT_TRUE(IsFreeWithCountOne(semaphore));
    std::wstring log = ReadUtf16File(folder / L"app.txt");
    EXPECT_NE(log.find(L"timed out after 100 ms (tag 5)"), std::wstring::npos) << "the skip is not logged";
}

TEST(Semapho, NamedSemaphoresAreSharedUnnamedOnesAreNot)
{
    std::wstring name = L"ReelvaultTestSemaphore-" + std::to_wstring(GetCurrentProcessId());
    Semapho_CL first(name, 1, 0);
    Semapho_CL second(name, 1, 0);
    Semapho_CL privateOne(name, 0, 0);
    Semapho_CL::Lock_CL lock(first, 1000);
    ASSERT_TRUE(lock.IsHeld());
    EXPECT_FALSE(Semapho_CL::Lock_CL(second, 50).IsHeld());
    EXPECT_TRUE(Semapho_CL::Lock_CL(privateOne, 50).IsHeld());
}

TEST(Semapho, LockGivesTheCountBackAtTheEndOfItsScope)
{
    Semapho_CL semaphore(L"", 0, 0);
    for (int i = 0; i < 3; ++i) {
        Semapho_CL::Lock_CL lock(semaphore, Semapho_CL::kWaitLimit);
        ASSERT_TRUE(lock.IsHeld());
    }
    EXPECT_TRUE(IsFreeWithCountOne(semaphore));
}

}  // namespace
