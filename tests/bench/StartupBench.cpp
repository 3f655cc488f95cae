// Times Reelvault's start on an album of many movies whose strips are all there (the
// thumbnail maker has nothing to do): from the process start to the main window and to the
// loaded album, first from the contents files, then from the fast-start cache the first
// run left, with the program's peak memory. Prints figures; asserts nothing.
//   startup_bench.exe [movies, default 10000]
#include <windows.h>
#include <psapi.h>

#include <commctrl.h>

#include <cstdio>
#include <set>
#include <vector>

#include "tests/appproc/support/AppProcSupport.h"

namespace {

using namespace appproc;

double SecondsSince(ULONGLONG start) { return static_cast<double>(GetTickCount64() - start) / 1000.0; }

constexpr int kSortTabId = 0x1104;
constexpr int kMovieGridId = 0x1101;

HWND ChildById(HWND parent, int id)
{
    for (const ChildWindow& child : DirectChildren(parent)) {
        if (child.id == id) return child.window;
    }
    return nullptr;
}

// Whether the window's area of the screen shows a strip: the strips are a colourful test
// picture, while cells without one hold a few flat colours and text.
bool ShowsAStrip(HWND window)
{
    RECT rect = {};
    if (!IsWindowVisible(window) || !GetWindowRect(window, &rect)) return false;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::set<uint32_t> colours;
    if (bitmap && bits) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
        GdiFlush();
        const auto* pixels = static_cast<const uint32_t*>(bits);
        for (size_t i = 0; i < static_cast<size_t>(width) * static_cast<size_t>(height); i += 7)
            colours.insert(pixels[i] & 0xE0E0E0);
        SelectObject(memory, old);
    }
    if (bitmap) DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return colours.size() >= 64;
}

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
    // The user's first look at the movies: a click on the first sort order, then the grid
    // until a strip shows on the screen.
    HWND main = program.MainWindow();
    SetWindowPos(main, HWND_TOPMOST, 0, 0, 1100, 700, SWP_NOACTIVATE);
    HWND grid = ChildById(main, kMovieGridId);
    const ULONGLONG clicked = GetTickCount64();
    const bool clickPosted = ClickTab(ChildById(main, kSortTabId), 1);
    const bool painted = clickPosted && grid && WaitUntil([&] { return ShowsAStrip(grid); }, 120000, 20);
    const double gridSeconds = SecondsSince(start);
    const double clickToGrid = SecondsSince(clicked);
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(program.Handle(), &memory, sizeof(memory));
    const bool slow = sandbox.CountLogLines(kSlowLoadLine) > slowLoadsBefore;

    wprintf(L"%-22ls start -> window %6.2f s, -> ready %6.2f s (%ls)\n", label, window, ready,
            slow ? L"contents files" : L"fast-start cache");
    if (painted)
        wprintf(L"%-22ls start -> first painted grid %6.2f s (click -> strip on screen %6.2f s)\n", L"", gridSeconds,
                clickToGrid);
    else
        wprintf(L"%-22ls the grid showed no strip within 120 s of the click\n", L"");
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
