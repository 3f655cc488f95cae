// Times Reelvault's start on an album of many movies whose strips are all there (the
// thumbnail maker has nothing to do): from the process start to the main window and to the
// loaded album, first from the contents files, then from the fast-start cache the first
// run left, with the program's peak memory. Prints figures; asserts nothing.
//   startup_bench.exe [movies, default 10000]
#include <windows.h>
#include <psapi.h>

#include <cstdio>

#include "tests/appproc/support/AppProcSupport.h"

namespace {

using namespace appproc;

double SecondsSince(ULONGLONG start) { return static_cast<double>(GetTickCount64() - start) / 1000.0; }

bool TimeOneStart(const AppSandbox& sandbox, const wchar_t* label)
{
    const int slowLoadsBefore = sandbox.CountLogLines(kSlowLoadLine);
    ReelvaultProcess program;
    const ULONGLONG start = GetTickCount64();
    if (!program.Start(ProgramPath())) {
        wprintf(L"%ls: the program did not start\n", label);
        return false;
    }
    if (!WaitUntil([&] { return program.MainWindow() != nullptr; }, 600000, 10)) {
        wprintf(L"%ls: no main window\n", label);
        return false;
    }
    const double window = SecondsSince(start);
    if (!WaitUntil([&] { return IsReady(program.MainWindow()); }, 1800000, 10)) {
        wprintf(L"%ls: never ready\n", label);
        return false;
    }
    const double ready = SecondsSince(start);
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(program.Handle(), &memory, sizeof(memory));
    const bool slow = sandbox.CountLogLines(kSlowLoadLine) > slowLoadsBefore;

    wprintf(L"%-22ls start -> window %6.2f s, -> ready %6.2f s (%ls)\n", label, window, ready,
            slow ? L"contents files" : L"fast-start cache");
    wprintf(L"%-22ls peak working set %.1f MB, peak committed %.1f MB\n", L"", memory.PeakWorkingSetSize / 1048576.0,
            memory.PeakPagefileUsage / 1048576.0);
    const ULONGLONG closing = GetTickCount64();
    const DWORD code = CloseAndWait(program, 600000);
    wprintf(L"%-22ls close -> end %6.2f s (exit code %lu)\n", L"", SecondsSince(closing), code);
    return code == 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const int movies = argc > 1 ? _wtoi(argv[1]) : 10000;
    if (GetFileAttributesW(ProgramPath().c_str()) == INVALID_FILE_ATTRIBUTES) {
        wprintf(L"Reelvault.exe is not part of this build yet\n");
        return 1;
    }
    AppSandbox sandbox;
    const ULONGLONG making = GetTickCount64();
    if (sandbox.MakeMovies(movies, L"--strips") != 0) {
        wprintf(L"the album of %d movies could not be made\n", movies);
        return 1;
    }
    wprintf(L"movies                 %d (album made in %.1f s, every strip present)\n", movies, SecondsSince(making));
    bool ok = TimeOneStart(sandbox, L"first start");
    ok = TimeOneStart(sandbox, L"second start") && ok;
    return ok ? 0 : 1;
}
