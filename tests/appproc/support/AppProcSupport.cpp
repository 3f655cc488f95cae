#include "AppProcSupport.h"

#include <commctrl.h>

#include <ctime>

#include "core/base/ByteReader.h"
#include "core/base/Inifile.h"
#include "core/base/PathName.h"
#include "core/ipc/StillforgeRequest.h"
#include "tests/common/PipeRecordFile.h"

namespace appproc {

const wchar_t kStartBanner[] = L"★★★★★ アプリ起動 ★★★★★";
const wchar_t kSlowLoadLine[] = L"低速読み込みを行います。";
const wchar_t kSaveStartLine[] = L"データ保存(開始)";
const wchar_t kSaveEndLine[] = L"データ保存(終了)";

std::wstring BuildProgramFolder() { return albumtest::HostPath(REELVAULT_APP_DIR); }
std::wstring ProgramFolder() { return albumtest::HostPath(REELVAULT_RUN_DIR); }
std::wstring ProgramPath() { return ProgramFolder() + L"\\Reelvault.exe"; }
std::wstring DemoMakerPath() { return BuildProgramFolder() + L"\\demo\\DemoAlbum.exe"; }
std::wstring DemoClipFolder() { return BuildProgramFolder() + L"\\demo\\clips"; }
std::wstring DemoWatchedFolder() { return BuildProgramFolder() + L"\\demo\\watched"; }
std::wstring StandinMakerPath() { return albumtest::HostPath(REELVAULT_STANDIN_MAKER); }

int64_t NowSeconds() { return static_cast<int64_t>(time(nullptr)); }

namespace {

// What the program reads beside itself; the build's own files there stay behind.
bool IsProgramFile(const std::wstring& name)
{
    const std::wstring extension = PathName_CL::GetExtension(name);
    for (const wchar_t* wanted : {L".exe", L".dll", L".bmp", L".png", L".jpg", L".ico"}) {
        if (_wcsicmp(extension.c_str(), wanted) == 0) return true;
    }
    return false;
}

void CopyProgramFiles(const std::wstring& from, const std::wstring& to)
{
    CreateDirectoryW(to.c_str(), nullptr);
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((from + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring name = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !IsProgramFile(name)) continue;
        CopyFileW((from + L"\\" + name).c_str(), (to + L"\\" + name).c_str(), FALSE);
    } while (FindNextFileW(find, &found));
    FindClose(find);
}

BOOL CALLBACK CollectDescendant(HWND window, LPARAM parameter)
{
    reinterpret_cast<std::vector<ChildWindow>*>(parameter)->push_back(
        {window, ClassNameOf(window), GetDlgCtrlID(window), GetWindowLongW(window, GWL_STYLE)});
    return TRUE;
}

}  // namespace

AppSandbox::AppSandbox()
{
    documents_.Redirect(root_.Path());
    CreateDirectoryW(dataFolder().c_str(), nullptr);
    // No beep from the program under test.
    Inifile_CL ini;
    ini.SetPath(programIniPath());
    ini.WriteInt(1, L"ALBUM_INFO", L"no_complete_beep");
}

std::wstring AppSandbox::albumFolder(int index) const
{
    wchar_t name[16];
    _snwprintf(name, 16, L"ALBUM_%04d", index + 1);
    return dataFolder() + L"\\" + name;
}

int AppSandbox::RunDemoMaker(const std::wstring& arguments) const
{
    ReelvaultProcess maker;
    if (!maker.Start(DemoMakerPath(), L"\"" + dataRoot() + L"\" " + arguments)) return -1;
    DWORD code = maker.WaitForExit(600000);
    return static_cast<int>(code);
}

int AppSandbox::MakeDemoAlbum() const
{
    return RunDemoMaker(L"demo \"" + DemoClipFolder() + L"\" \"" + DemoWatchedFolder() + L"\"");
}

int AppSandbox::MakeMovies(int count, const std::wstring& options) const
{
    return RunDemoMaker(L"movies " + std::to_wstring(count) + L" " + options);
}

std::wstring AppSandbox::ProgramWithStandinMaker()
{
    programCopy_ = std::make_unique<TempFolder>();
    CopyProgramFiles(ProgramFolder(), programCopy_->Path());
    CopyProgramFiles(ProgramFolder() + L"\\images", *programCopy_ / L"images");
    CopyFileW(StandinMakerPath().c_str(), (*programCopy_ / L"Stillforge.exe").c_str(), FALSE);
    return *programCopy_ / L"Reelvault.exe";
}

std::vector<Kiln_RequestDecodeRequest_CL> AppSandbox::StandinDecodeRequests() const
{
    std::vector<Kiln_RequestDecodeRequest_CL> requests;
    for (const std::vector<uint8_t>& bytes : ReadRecordedMessages(standinRecordPath())) {
        ByteReader_CL message(bytes);
        Kiln_RequestDecodeRequest_CL request;
        if (PeekKilnMessageType(message) == kKilnDecodeRequest && SUCCEEDED(request.Load(message)))
            requests.push_back(std::move(request));
    }
    return requests;
}

std::wstring AppSandbox::LogText() const
{
    std::vector<uint8_t> bytes = ReadFileBytes(logPath());
    size_t start = bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE ? 2 : 0;
    std::wstring text;
    text.reserve(bytes.size() / 2);
    for (size_t i = start; i + 1 < bytes.size(); i += 2) text += static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8));
    return text;
}

int AppSandbox::CountLogLines(const std::wstring& text) const
{
    std::wstring log = LogText();
    int count = 0;
    for (size_t at = log.find(text); at != std::wstring::npos; at = log.find(text, at + text.size())) ++count;
    return count;
}

bool AppSandbox::WaitForLogLine(const std::wstring& text, DWORD timeoutMs, int atLeast) const
{
    return WaitUntil([&] { return CountLogLines(text) >= atLeast; }, timeoutMs, 100);
}

void AppSandbox::WriteLastDuplicateTime(int64_t seconds) const
{
    Inifile_CL ini;
    ini.SetPath(programIniPath());
    ini.WriteHex64(seconds, L"WINDOW", L"lastDuplicateTime");
}

void AppSandbox::WriteWindowRect(const RECT& rect) const
{
    Inifile_CL ini;
    ini.SetPath(programIniPath());
    ini.WriteStruct(L"WINDOW", L"rect", &rect, sizeof(rect));
}

int64_t AppSandbox::ReadLastDuplicateTime() const
{
    Inifile_CL ini;
    ini.SetPath(programIniPath());
    return ini.ReadHex64(-1, L"WINDOW", L"lastDuplicateTime");
}

bool AppSandbox::LoadFromCache(ItemMovieDataList_CL& list, int album) const
{
    return list.LoadFastStart(albumFolder(album)) == S_OK;
}

void AppSandbox::LoadFromFiles(ItemMovieDataList_CL& list, int album) const
{
    // Without the cache the list reads every contents file.
    TempFolder aside;
    std::wstring cache = albumFolder(album) + L"\\LastAlbumInfo.dat";
    std::wstring moved = aside / L"LastAlbumInfo.dat";
    bool hadCache = MoveFileW(cache.c_str(), moved.c_str()) != FALSE;
    list.Load(albumFolder(album));
    if (hadCache) MoveFileW(moved.c_str(), cache.c_str());
}

std::vector<ChildWindow> AllDescendants(HWND parent)
{
    std::vector<ChildWindow> found;
    EnumChildWindows(parent, CollectDescendant, reinterpret_cast<LPARAM>(&found));
    return found;
}

bool IsReady(HWND mainWindow)
{
    if (!mainWindow) return false;
    int tabs = 0;
    for (const ChildWindow& child : DirectChildren(mainWindow)) {
        if (child.className != WC_TABCONTROLW) continue;
        if (!IsWindowEnabled(child.window)) return false;
        ++tabs;
    }
    return tabs == 2;
}

bool WaitForReady(const ReelvaultProcess& process, DWORD timeoutMs)
{
    return WaitUntil([&] { return IsReady(process.MainWindow()); }, timeoutMs, 100);
}

HWND StatusBarOf(HWND mainWindow) { return FindChild(mainWindow, STATUSCLASSNAMEW); }

DWORD CloseAndWait(ReelvaultProcess& process, DWORD timeoutMs)
{
    HWND window = process.MainWindow();
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
    return process.WaitForExit(timeoutMs);
}

bool MakerRunning() { return FindWindowW(kStillforgeWindowClass, L"Reelvault") != nullptr; }

}  // namespace appproc
