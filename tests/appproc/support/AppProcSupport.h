#pragma once
// The setting of a process test: Documents\Reelvault moved aside, the data root redirected
// into a temporary folder, albums made there by the demo-album maker, and what the program
// leaves behind (its log, its ini files, its album) read back.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/album/ItemMovieDataList.h"
#include "core/ipc/Kiln_RequestDecodeRequest.h"
#include "tests/album/AlbumTestSupport.h"
#include "tests/appproc/support/ReelvaultProcess.h"
#include "tests/common/TempFolder.h"

namespace appproc {

// Limits of the waits: generous, since five builds may share the machine. They bound a
// hang; they measure nothing.
constexpr DWORD kWindowTimeoutMs = 30000;
constexpr DWORD kReadyTimeoutMs = 90000;
constexpr DWORD kExitTimeoutMs = 30000;

// The programs as the build leaves them.
// build/app as the build leaves it: the programs without any WebView2 loader.
std::wstring BuildProgramFolder();
// The folder the process tests start the program from: build/app's files with the
// stand-in WebView2 loader beside them.
std::wstring ProgramFolder();
std::wstring ProgramPath();
std::wstring DemoMakerPath();
std::wstring DemoClipFolder();
std::wstring DemoWatchedFolder();
std::wstring StandinMakerPath();

// The sections and keys of the program and its ini files.
extern const wchar_t kStartBanner[];
extern const wchar_t kSlowLoadLine[];
extern const wchar_t kSaveStartLine[];
extern const wchar_t kSaveEndLine[];

// Seconds since 1970, as the program writes them.
int64_t NowSeconds();

class AppSandbox {
public:
    AppSandbox();

    const std::wstring& dataRoot() const { return root_.Path(); }
    std::wstring dataFolder() const { return root_.Path() + L"\\Reelvault"; }
    std::wstring albumFolder(int index = 0) const;
    std::wstring logPath() const { return dataFolder() + L"\\Reelvault.txt"; }
    std::wstring programIniPath() const { return dataFolder() + L"\\Reelvault.ini"; }

    // Runs the demo-album maker with these arguments after the data root; its exit code.
    int RunDemoMaker(const std::wstring& arguments) const;
    int MakeDemoAlbum() const;
    int MakeMovies(int count, const std::wstring& options = L"") const;

    // A copy of the program folder whose thumbnail maker is the recording stand-in; the
    // stand-in writes what it receives to standinRecordPath().
    std::wstring ProgramWithStandinMaker();
    std::wstring standinRecordPath() const { return dataFolder() + L"\\standin-requests.bin"; }
    // The decode requests the stand-in received, in arrival order.
    std::vector<Kiln_RequestDecodeRequest_CL> StandinDecodeRequests() const;

    // The log as text, and the number of its lines that hold text.
    std::wstring LogText() const;
    int CountLogLines(const std::wstring& text) const;
    bool WaitForLogLine(const std::wstring& text, DWORD timeoutMs, int atLeast = 1) const;

    albumtest::ParsedIni ProgramIni() const { return albumtest::ParseUtf16Ini(programIniPath()); }
    // [WINDOW] lastDuplicateTime as the program's 64-bit writer formats it.
    void WriteLastDuplicateTime(int64_t seconds) const;
    void WriteWindowRect(const RECT& rect) const;
    // lastDuplicateTime, or -1 when missing or unreadable.
    int64_t ReadLastDuplicateTime() const;

    // The movies of an album as the core's readers see them: from the fast-start cache
    // (false when there is none) and from the contents files.
    bool LoadFromCache(ItemMovieDataList_CL& list, int album = 0) const;
    void LoadFromFiles(ItemMovieDataList_CL& list, int album = 0) const;

private:
    albumtest::DocumentsSandbox documents_;
    TempFolder root_;
    std::unique_ptr<TempFolder> programCopy_;
};

// The main window is ready once its tab controls have been enabled.
bool IsReady(HWND mainWindow);
bool WaitForReady(const ReelvaultProcess& process, DWORD timeoutMs = kReadyTimeoutMs);
// The status bar of the main window.
HWND StatusBarOf(HWND mainWindow);
// Every window under parent, at any depth.
std::vector<ChildWindow> AllDescendants(HWND parent);

// Posts WM_CLOSE and waits for the end; the exit code or STILL_ACTIVE.
DWORD CloseAndWait(ReelvaultProcess& process, DWORD timeoutMs = kExitTimeoutMs);
// True while a thumbnail maker of this title has a window.
bool MakerRunning();

}  // namespace appproc

// Process tests need the program; until it is built they say so instead of failing.
#define SKIP_WITHOUT_PROGRAM()                                                       \
    do {                                                                             \
        if (GetFileAttributesW(appproc::ProgramPath().c_str()) == INVALID_FILE_ATTRIBUTES) \
            GTEST_SKIP() << "Reelvault.exe is not part of this build yet";          \
    } while (0)
