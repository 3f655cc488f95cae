// The album load behind the splash: the contents files the first time and the fast-start
// cache the next, the decode requests for the missing strips, and the key lock of an album.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "tests/appproc/support/AppProcSupport.h"

namespace {

using namespace appproc;

// Names, sizes and write times of every file under folder.
std::map<std::wstring, std::pair<uint64_t, uint64_t>> FolderState(const std::wstring& folder)
{
    std::map<std::wstring, std::pair<uint64_t, uint64_t>> state;
    std::vector<std::wstring> pending{folder};
    while (!pending.empty()) {
        std::wstring current = pending.back();
        pending.pop_back();
        WIN32_FIND_DATAW found;
        HANDLE find = FindFirstFileW((current + L"\\*").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE) continue;
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring path = current + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                pending.push_back(path);
                continue;
            }
            uint64_t size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
            uint64_t time = (static_cast<uint64_t>(found.ftLastWriteTime.dwHighDateTime) << 32) |
                            found.ftLastWriteTime.dwLowDateTime;
            state[path] = {size, time};
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    return state;
}

class LoadTest : public testing::Test {
protected:
    void SetUp() override { SKIP_WITHOUT_PROGRAM(); }

    AppSandbox sandbox_;
};

TEST_F(LoadTest, ContentsFilesFirstThenTheCacheAndRequestsForEveryMissingStrip)
{
    ASSERT_EQ(sandbox_.MakeMovies(300), 0);
    const std::wstring program = sandbox_.ProgramWithStandinMaker();
    {
        ReelvaultProcess first;
        ASSERT_TRUE(first.Start(program));
        ASSERT_TRUE(WaitForReady(first));
        EXPECT_EQ(sandbox_.CountLogLines(kSlowLoadLine), 1);

        // Two messages: the first tells the maker to drop what it had queued.
        std::vector<Kiln_RequestDecodeRequest_CL> requests;
        WaitUntil([&] { return (requests = sandbox_.StandinDecodeRequests()).size() >= 2; }, 20000);
        ASSERT_EQ(requests.size(), 2u);
        EXPECT_EQ(requests[0].items.size(), 200u);
        EXPECT_EQ(requests[0].replaceFlag, 1u);
        EXPECT_EQ(requests[1].items.size(), 100u);
        EXPECT_EQ(requests[1].replaceFlag, 0u);
        std::vector<uint32_t> keys;
        for (const auto& request : requests)
            for (const auto& item : request.items) keys.push_back(item.decodeKey);
        std::sort(keys.begin(), keys.end());
        EXPECT_EQ(std::unique(keys.begin(), keys.end()), keys.end()) << "a decode key given twice";
        EXPECT_EQ(std::count(keys.begin(), keys.end(), 0u), 0);
        EXPECT_EQ(CloseAndWait(first), 0u);
    }
    ItemMovieDataList_CL cached;
    ASSERT_TRUE(sandbox_.LoadFromCache(cached));
    EXPECT_EQ(cached.records.size(), 300u);

    ReelvaultProcess second;
    ASSERT_TRUE(second.Start(program));
    ASSERT_TRUE(WaitForReady(second));
    EXPECT_EQ(sandbox_.CountLogLines(kSlowLoadLine), 1) << "the second start read the contents files again";
    EXPECT_EQ(CloseAndWait(second), 0u);
}

TEST_F(LoadTest, LockedAlbumWithoutItsKeysOpensTheFirstAfterThreeSeconds)
{
    ASSERT_EQ(sandbox_.MakeMovies(4, L"--album 1 --lock 5A"), 0);
    const auto lockedBefore = FolderState(sandbox_.albumFolder(1));
    ReelvaultProcess program;
    ASSERT_TRUE(program.Start(sandbox_.ProgramWithStandinMaker()));
    HWND splash = program.WaitForTopWindow(L"#32770", nullptr, kWindowTimeoutMs);
    ASSERT_NE(splash, nullptr);
    const ULONGLONG shown = GetTickCount64();
    ASSERT_TRUE(WaitForReady(program));
    EXPECT_GE(GetTickCount64() - shown, 3000u) << "the lock was given up too early";
    EXPECT_EQ(CloseAndWait(program), 0u);

    EXPECT_TRUE(FolderState(sandbox_.albumFolder(1)) == lockedBefore) << "the locked album was touched";
    EXPECT_NE(GetFileAttributesW((sandbox_.albumFolder(0) + L"\\LastAlbumInfo.dat").c_str()), INVALID_FILE_ATTRIBUTES);
    // The choice of the locked album stays for the next start.
    EXPECT_EQ(sandbox_.ProgramIni().Value(L"ALBUM_INFO", L"last_index"), L"1");
}

// Runs xdotool, a Linux program: Wine starts it as one, but hands back no handle to wait
// on or exit code to read, so the keys are given a moment to arrive.
bool RunXdotool(const std::wstring& arguments)
{
    ReelvaultProcess tool;
    if (!tool.Start(L"Z:\\usr\\bin\\xdotool", arguments)) return false;
    Sleep(1000);
    return true;
}

TEST_F(LoadTest, LockedAlbumOpensWithItsKeysHeldOnTheSplash)
{
    if (GetEnvironmentVariableW(L"REELVAULT_KEYS_ALONE", nullptr, 0) == 0)
        GTEST_SKIP() << "runs alone as the CTest entry appproc_keys: it takes the X focus and holds keys";
    if (GetFileAttributesW(L"Z:\\usr\\bin\\xdotool") == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "xdotool is not installed (tools/setup.sh installs it)";
    ASSERT_EQ(sandbox_.MakeMovies(4, L"--album 1 --lock 5A"), 0);
    ReelvaultProcess program;
    ASSERT_TRUE(program.Start(sandbox_.ProgramWithStandinMaker()));
    HWND splash = program.WaitForTopWindow(L"#32770", nullptr, kWindowTimeoutMs);
    ASSERT_NE(splash, nullptr);
    // Keys held before the window has the focus are not in its thread's key state: the
    // splash's X window gets the focus first (Wine names it in a window property).
    const auto xWindow = reinterpret_cast<UINT_PTR>(GetPropW(splash, L"__wine_x11_whole_window"));
    ASSERT_NE(xWindow, 0u);
    ASSERT_TRUE(RunXdotool(L"windowfocus --sync " + std::to_wstring(xWindow) + L" keydown 5 keydown a"));
    const bool ready = WaitForReady(program);
    RunXdotool(L"keyup a keyup 5");
    ASSERT_TRUE(ready);
    EXPECT_EQ(CloseAndWait(program), 0u);
    EXPECT_NE(GetFileAttributesW((sandbox_.albumFolder(1) + L"\\LastAlbumInfo.dat").c_str()), INVALID_FILE_ATTRIBUTES)
        << "the locked album was not the one opened";
    ItemMovieDataList_CL movies;
    ASSERT_TRUE(sandbox_.LoadFromCache(movies, 1));
    EXPECT_EQ(movies.records.size(), 4u);
}

}  // namespace
