// Each process test gets its own time limit: a test that waits on a hung program ends the
// run with its name in the log, instead of using up the whole program's limit silently.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>

namespace {

constexpr DWORD kTestLimitMs = 240000;

// One watch per test, with its own event: a watcher that wakes late never sees the
// next test's event.
struct Watch {
    HANDLE finished;
    char name[256];
};

DWORD WINAPI WatchTest(void* parameter)
{
    auto* watch = static_cast<Watch*>(parameter);
    if (WaitForSingleObject(watch->finished, kTestLimitMs) != WAIT_OBJECT_0) {
        fprintf(stderr, "%s did not end within %lu s\n", watch->name, kTestLimitMs / 1000);
        fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 3);
    }
    CloseHandle(watch->finished);
    delete watch;
    return 0;
}

class TestTimeout : public testing::EmptyTestEventListener {
public:
    void OnTestStart(const testing::TestInfo& info) override
    {
        auto* watch = new Watch{CreateEventW(nullptr, TRUE, FALSE, nullptr), {}};
        _snprintf(watch->name, sizeof(watch->name) - 1, "%s.%s", info.test_suite_name(), info.name());
        finished_ = watch->finished;
        HANDLE watcher = CreateThread(nullptr, 0, WatchTest, watch, 0, nullptr);
        if (watcher) {
            CloseHandle(watcher);
        } else {
            CloseHandle(watch->finished);
            delete watch;
            finished_ = nullptr;
        }
    }
    void OnTestEnd(const testing::TestInfo&) override
    {
        if (finished_) SetEvent(finished_);
        finished_ = nullptr;
    }

private:
    HANDLE finished_ = nullptr;
};

const bool registered = [] {
    testing::UnitTest::GetInstance()->listeners().Append(new TestTimeout);
    return true;
}();

}  // namespace
