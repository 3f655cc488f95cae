// Stillforge as a process: started, fed and closed through kilnctl, observed through its
// logs, its queue file and the responses kilnctl prints. The program under test is the
// scripted build (tests/thumbnailer/scripted), except where the real one is named.
#include "tests/thumbnailer/StillforgeProcessSupport.h"

namespace {

TEST(StillforgeProgram, EndsWithMinusOneWithoutNameAndFolder)
{
    const std::wstring program = Beside(L"..\\thumbnailer\\Stillforge.exe");
    for (const wchar_t* arguments : {L"", L"OnlyName"}) {
        RunResult run = RunCaptured(program, arguments, 20000);
        EXPECT_EQ(0xFFFFFFFFu, run.exitCode) << Utf8(arguments);
    }
}

TEST_F(StillforgeProcess, StartsWithWindowLogsAndPipeAndEndsOnCloseWhileIdle)
{
    RunResult run = Kilnctl(L"start " + Quote(Beside(L"..\\thumbnailer")) + L" priority 1 5 close 10000");
    ASSERT_EQ(0u, run.exitCode) << run.Text();
    const unsigned pid = run.Number("started pid=%u");
    EXPECT_TRUE(run.Has("sent kind=4 bytes=12")) << run.Text();
    EXPECT_TRUE(run.Has("closed pid=" + std::to_string(pid) + " exit=0")) << run.Text();

    const std::wstring log = Log(L"kiln_log.txt");
    const std::wstring first = L" : ★アプリ開始(Stillforge-" + name_ + L")\r\n";
    EXPECT_EQ(23u, log.find(first)) << Utf8(log);
    EXPECT_TRUE(Contains(log, L" : [LOG_LINE]  exe-info pid=" + std::to_wstring(pid) + L" path(")) << Utf8(log);
    EXPECT_TRUE(Contains(log, L"\\thumbnailer\\Stillforge.exe) build=")) << Utf8(log);
    const std::wstring list = Log(L"kiln_dec_list.txt");
    EXPECT_TRUE(Contains(list, L" : (exe-info) pid=" + std::to_wstring(pid) + L" path(")) << Utf8(list);
    EXPECT_TRUE(Contains(list, L"デコードアイテムは読み込まない")) << Utf8(list);
    EXPECT_TRUE(Contains(list, L"デコードキャンセルにより終了しました。")) << Utf8(list);
    EXPECT_TRUE(Contains(Log(L"kiln_seq.txt"), L" : WM_CREATE\r\n"));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((data_ / L"Thumbnail.ini").c_str()));
    // The build puts the error image beside the program.
    EXPECT_FALSE(Contains(log, L"error image not loaded")) << Utf8(log);
}

TEST_F(StillforgeProcess, RequestsOfEveryKindChangeTheQueueAndItsFileAtOnce)
{
    // Movie 1 is decoded for 6 s, long enough for every change to meet a busy head.
    RunResult run = Kilnctl(StartScripted() +
                            L" decode 1 5 1 delay-6000 2 two 3 three 4 four 5 five sleep 400 queue"
                            L" priority 2 5 3 sleep 400 queue"
                            L" delete 2 1 2 sleep 400 queue"
                            L" copydata 6 six - queue"
                            L" decode 1 1 7 seven sleep 400 queue"
                            L" responses 2 20000 close 10000");
    ASSERT_EQ(0u, run.exitCode) << run.Text();
    using Keys = std::vector<unsigned>;
    EXPECT_EQ((Keys{1, 2, 3, 4, 5}), run.QueueKeys(0)) << run.Text();
    EXPECT_EQ((Keys{1, 3, 5, 2, 4}), run.QueueKeys(1)) << run.Text();  // queue order kept, head stays
    EXPECT_EQ((Keys{1, 3, 5, 4}), run.QueueKeys(2)) << run.Text();     // the head is never deleted
    EXPECT_EQ((Keys{1, 3, 5, 4, 6}), run.QueueKeys(3)) << run.Text();
    EXPECT_EQ((Keys{1, 7}), run.QueueKeys(4)) << run.Text();           // replace keeps the head
    auto responses = run.Responses();
    ASSERT_EQ(2u, responses.size()) << run.Text();
    EXPECT_EQ(1u, responses[0].first);
    EXPECT_EQ(7u, responses[1].first);
}

TEST_F(StillforgeProcess, HostilePayloadsAreRefusedAndTheProgramGoesOn)
{
    // A whole 62-byte item but for its tag.
    const std::wstring foreignTag = L"01000000000000000000000000000000" L"000000000000" L"41424344" +
                                    std::wstring(2 * 36, L'0');
    RunResult run = Kilnctl(StartScripted() +
                            L" raw 02000000"                                   // kind 2, cut after the kind
                            L" raw 020000000100000001000000000100009000000005000000"  // 5 items, none there
                            L" raw 04000000ffffffff"                           // 4294967295 keys
                            L" raw 01"                                         // no kind at all
                            L" raw 09000000"                                   // unknown kind
                            L" rawcopy - rawcopy 0100000002000000 rawcopy " + foreignTag +
                            L" copydata 8 delay-10 - responses 1 10000 sleep 300 queue pid close 10000");
    ASSERT_EQ(0u, run.exitCode) << run.Text();
    EXPECT_EQ(3u, static_cast<unsigned>(std::count(run.lines.begin(), run.lines.end(), "copydata result=0")))
        << run.Text();
    EXPECT_TRUE(run.Has("copydata result=1")) << run.Text();
    auto responses = run.Responses();
    ASSERT_EQ(1u, responses.size()) << run.Text();
    EXPECT_EQ(8u, responses[0].first);
    EXPECT_TRUE(run.QueueKeys(0).empty()) << run.Text();
    EXPECT_EQ(run.Number("started pid=%u"), run.Number("pid %u"));
}

TEST_F(StillforgeProcess, PeriodicRestartHandsEveryQueuedMovieToTheNextInstance)
{
    ini_.WriteInt(1, L"THUMBNAIL", L"decode_periodic_restart_count");
    RunResult run = Kilnctl(StartScripted() + L" decode 1 3 1 delay-50 2 delay-50 3 delay-50"
                                              L" responses 3 30000 sleep 1000 close 15000");
    ASSERT_EQ(0u, run.exitCode) << run.Text();
    std::set<unsigned> keys;
    for (auto& response : run.Responses()) keys.insert(response.first);
    EXPECT_EQ((std::set<unsigned>{1, 2, 3}), keys) << run.Text();
    // One instance per movie after the first, which restarts on the request itself.
    std::vector<DWORD> pids = ProcessIds();
    EXPECT_GE(std::set<DWORD>(pids.begin(), pids.end()).size(), 4u);
    const std::wstring list = Log(L"kiln_dec_list.txt");
    EXPECT_TRUE(Contains(list, L"定期デコードによる再起動(2)")) << Utf8(list);
    EXPECT_TRUE(Contains(list, L"デコードアイテムの読み込み")) << Utf8(list);
}

// A limit below what any instance needs: every instance takes one movie, then restarts
// before the next, and the movies are answered as one instance answers them, the one
// that takes the process down included.
TEST_F(StillforgeProcess, MemoryLimitRestartsBetweenMoviesAndLosesNothing)
{
    const std::wstring work = L" decode 1 5 1 delay-20 2 delay-20 3 fault-decode 4 delay-20 5 delay-20"
                              L" responses 5 40000 sleep 800 queue close 15000";
    RunResult plain = Kilnctl(StartScripted() + work);
    ASSERT_EQ(0u, plain.exitCode) << plain.Text();
    const size_t plainInstances = ProcessIds().size();
    EXPECT_FALSE(Contains(Log(L"kiln_dec_list.txt"), L"(memory) restart")) << "the default limit is far away";

    ini_.WriteInt(1, L"THUMBNAIL", L"decode_restart_private_mb");
    RunResult limited = Kilnctl(StartScripted() + work);
    ASSERT_EQ(0u, limited.exitCode) << limited.Text();
    EXPECT_EQ(plain.Responses(), limited.Responses()) << limited.Text();
    EXPECT_EQ(5u, limited.Responses().size()) << limited.Text();
    EXPECT_TRUE(limited.QueueKeys(0).empty()) << limited.Text();
    EXPECT_EQ(1u, plainInstances);
    // One instance per movie, and one more for the movie that faulted: the instance that
    // sets it aside restarts before the next.
    EXPECT_EQ(6u, ProcessIds().size() - plainInstances);
    const std::wstring list = Log(L"kiln_dec_list.txt");
    EXPECT_TRUE(Contains(list, L"(memory) restart private_mb=")) << Utf8(list);
    EXPECT_TRUE(Contains(Log(L"kiln_log.txt"), L"[LOG_LINE] (memory) restart private_mb=")) << Utf8(list);
}

TEST_F(StillforgeProcess, WatchdogMovesTheHungMovieLastAndTheOldProcessEnds)
{
    ini_.WriteInt(1500, L"THUMBNAIL_TEST", L"watchdog_ms");
    RunResult run = Kilnctl(StartScripted() + L" decode 1 3 1 hang 2 delay-10 3 delay-10 responses 2 20000 sleep 300 queue");
    ASSERT_EQ(0u, run.exitCode) << run.Text();
    const unsigned first = run.Number("started pid=%u");
    auto responses = run.Responses();
    ASSERT_EQ(2u, responses.size()) << run.Text();
    EXPECT_EQ(2u, responses[0].first);
    EXPECT_EQ(3u, responses[1].first);
    EXPECT_EQ(std::vector<unsigned>{1}, run.QueueKeys(0)) << run.Text();

    // The old instance's decode thread never returns: the grace period ends it.
    RunResult gone = Kilnctl(L"gone " + std::to_wstring(first) + L" 8000");
    EXPECT_TRUE(gone.Has("gone pid=" + std::to_string(first) + " exit=3")) << gone.Text();
    const std::wstring list = Log(L"kiln_dec_list.txt");
    EXPECT_TRUE(Contains(list, L"無応答による再起動")) << Utf8(list);
    EXPECT_TRUE(Contains(list, L"(decode-queue) timeout-restart move-top-to-last")) << Utf8(list);
    EXPECT_TRUE(Contains(Log(L"kiln_log.txt"), L"[LOG_LINE]  timeout-restart move-top-to-last"));
}

TEST_F(StillforgeProcess, FaultOnAnotherThreadLeavesTheCrashMarkerAndTheMovieIsSkipped)
{
    RunResult run = Kilnctl(StartScripted() + L" decode 1 2 1 fault-thread 2 delay-10 responses 2 20000"
                                              L" sleep 300 close 10000");
    ASSERT_EQ(0u, run.exitCode) << run.Text();
    auto responses = run.Responses();
    ASSERT_EQ(2u, responses.size()) << run.Text();
    EXPECT_EQ(std::make_pair(1u, 1u), responses[0]);  // skipped as failed by the next instance
    EXPECT_EQ(std::make_pair(2u, 0u), responses[1]);
    EXPECT_EQ(2u, ProcessIds().size());
    EXPECT_TRUE(Contains(Log(L"kiln_dec_list.txt"), L"例外発生による再起動\n"));
    EXPECT_TRUE(Contains(Log(L"kiln_log.txt"), L"[LOG_LINE] (ini) exception=1 file(fault-thread)"));
    EXPECT_TRUE(Contains(Log(L"kiln_err_list.txt"), L" : fault-thread\r\n"));
    EXPECT_EQ(0u, ini_.ReadInt(L"THUMBNAIL", L"exception", -1));
    EXPECT_EQ(0u, ini_.ReadInt(L"THUMBNAIL", L"run_decode", -1));
}

// A fault or a C++ exception on the decode thread: the next run sets the movie aside
// instead of taking it again without end.
TEST_F(StillforgeProcess, FaultOnTheDecodeThreadSetsTheMovieAsideInTheSameProcess)
{
    for (const wchar_t* movie : {L"fault-decode", L"throw-decode"}) {
        RunResult run = Kilnctl(StartScripted() + L" decode 1 2 1 " + movie + L" 2 delay-10 responses 2 20000"
                                                  L" close 10000");
        ASSERT_EQ(0u, run.exitCode) << run.Text();
        auto responses = run.Responses();
        ASSERT_EQ(2u, responses.size()) << run.Text();
        EXPECT_EQ(std::make_pair(1u, 1u), responses[0]) << Utf8(movie);
        EXPECT_EQ(std::make_pair(2u, 0u), responses[1]) << Utf8(movie);
        EXPECT_TRUE(Contains(Log(L"kiln_err_list.txt"), std::wstring(L" : ") + movie + L"\r\n")) << Utf8(movie);
    }
    EXPECT_EQ(2u, ProcessIds().size());
}

// The crash marker holds only against the movie it was left by: a fresh start with other
// work clears it and decodes the head.
TEST_F(StillforgeProcess, CrashMarkerSkipsOnlyTheMovieItWasLeftBy)
{
    struct Case {
        const wchar_t* markedFile;
        unsigned error;
    } cases[] = {{L"delay-11", 1}, {L"DELAY-11", 1}, {L"another-movie", 0}, {L"", 0}};
    for (const Case& c : cases) {
        ini_.WriteInt(1, L"THUMBNAIL", L"exception");
        ini_.WriteString(L"THUMBNAIL", L"exception_file", c.markedFile);
        RunResult run = Kilnctl(StartScripted() + L" decode 1 1 1 delay-11 responses 1 10000 close 10000");
        ASSERT_EQ(0u, run.exitCode) << run.Text();
        auto responses = run.Responses();
        ASSERT_EQ(1u, responses.size()) << run.Text();
        EXPECT_EQ(c.error, responses[0].second) << Utf8(c.markedFile);
        EXPECT_EQ(0u, ini_.ReadInt(L"THUMBNAIL", L"exception", -1)) << Utf8(c.markedFile);
        EXPECT_EQ(L"delay-11", ini_.ReadString(L"THUMBNAIL", L"exception_file", L"")) << Utf8(c.markedFile);
    }
    EXPECT_TRUE(Contains(Log(L"kiln_log.txt"), L"exception of another movie cleared crashed(another-movie) file(delay-11)"));
}

TEST_F(StillforgeProcess, CloseWhileBusyEndsTheProgramAndKeepsTheMovieQueued)
{
    RunResult run = Kilnctl(StartScripted() + L" decode 1 2 1 delay-30000 2 two sleep 500 close 10000 queue");
    ASSERT_EQ(0u, run.exitCode) << run.Text();
    EXPECT_TRUE(run.Has("closed pid=" + std::to_string(run.Number("started pid=%u")) + " exit=0")) << run.Text();
    EXPECT_TRUE(run.Responses().empty()) << run.Text();
    EXPECT_EQ((std::vector<unsigned>{1, 2}), run.QueueKeys(0)) << run.Text();
    EXPECT_TRUE(Contains(Log(L"kiln_dec_list.txt"), L"(scripted) cancelled key=1"));
}

TEST_F(StillforgeProcess, NewInstanceTakesThePipeOnceTheOldHolderLetsGo)
{
    PipeHolder holder;
    holder.SetName(L"Stillforge-" + name_);
    ASSERT_EQ(0, holder.Start());
    RunResult start = Kilnctl(StartScripted());
    ASSERT_EQ(0u, start.exitCode) << start.Text();
    EXPECT_TRUE(Contains(Log(L"kiln_log.txt"), L"not created yet; trying again"));
    holder.Stop();
    Sleep(800);

    RunResult run = Kilnctl(L"decode 0 1 4 delay-10 responses 1 10000 close 10000");
    ASSERT_EQ(0u, run.exitCode) << run.Text();
    EXPECT_TRUE(Contains(Log(L"kiln_log.txt"), L"[LOG_LINE]  pipe Stillforge-" + name_ + L" created"));
}

}  // namespace
