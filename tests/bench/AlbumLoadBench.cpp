// Measures the ways an album opens: reading every contents ini (from one snapshot of each
// file, and key by key through the profile functions), and the fast-start cache; then the
// registration of new movie files. Prints figures; asserts nothing.
//   album_bench.exe [movies]
#include <windows.h>
#include <psapi.h>
#include <shlobj.h>

#include <cstdio>
#include <algorithm>
#include <string>
#include <vector>

#include "core/album/AlbumData.h"
#include "core/album/ItemMovieDataList.h"
#include "core/album/MovieRegistration.h"
#include "core/album/SaveData.h"
#include "core/base/Inifile.h"
#include "tests/common/TempFolder.h"

namespace {

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

LARGE_INTEGER Now()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now;
}

// The main window's side of a registration, doing nothing.
class QuietHost : public RegistrationHost_IF {
public:
    void AddRegisteredRow(const std::wstring&, const std::wstring&) override {}
    void AddRejectedRow(const std::wstring&, const std::wstring&) override {}
    void ClearListenerBitmaps() override {}
    void SelectCategoryTab(int, int) override {}
    void SelectSortTab(int) override {}
    void RebuildCategoryTabs() override {}
    void RefreshMovieList() override {}
    void RequestMissingThumbnails() override {}
};

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const int movies = argc > 1 ? _wtoi(argv[1]) : 10000;
    TempFolder root;

    // The data root follows the redirect in Documents\Reelvault\Reelvault.ini: point it
    // at a temporary folder for the run, and put the old value back at the end.
    wchar_t documents[MAX_PATH] = {};
    if (SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents) != S_OK) return 1;
    CreateDirectoryW((std::wstring(documents) + L"\\Reelvault").c_str(), nullptr);
    Inifile_CL programIni;
    programIni.SetPath(std::wstring(documents) + L"\\Reelvault\\Reelvault.ini");
    const std::wstring savedRedirect = programIni.ReadString(L"FOLDER", L"redirect", L"");
    programIni.WriteString(L"FOLDER", L"redirect", root.Path());

    CreateAlbumFolders(L"ALBUM_0001");
    const std::wstring album = root.Path() + L"\\Reelvault\\ALBUM_0001";

    // One contents ini written by the record itself, copied with each movie's own names.
    ItemMovieData_CL model;
    model.ini_name = album + L"\\template.tmp";
    model.link_name = L"C:\\movies\\MOVIE_NAME.mp4";
    model.content_name = L"MOVIE_NAME";
    model.note = L"A note of a few words";
    model.tags = {L"drama", L"2024"};
    model.skip_frames.resize(ItemMovieData_CL::kSkipFrameCount);
    model.favorites_frames.resize(ItemMovieData_CL::kFavoritesFrameCount);
    model.WriteContentsIni();
    const std::vector<uint8_t> templateBytes = ReadFileBytes(model.ini_name);
    DeleteFileW(model.ini_name.c_str());

    LARGE_INTEGER start = Now();
    for (int i = 0; i < movies; ++i) {
        std::wstring name = L"movie" + std::to_wstring(i);
        uint32_t folder = ItemMovieData_CL::GetContentsFolderNumber(L"C:\\movies\\" + name + L".mp4");
        std::wstring path = ItemMovieData_CL::MakeContentsIniPath(root.Path(), L"ALBUM_0001", folder, i);
        WriteFileBytes(path, SubstituteUtf16(templateBytes, L"MOVIE_NAME", name));
    }
    LARGE_INTEGER made = Now();

    ItemMovieDataList_CL list;
    list.Load(album);
    LARGE_INTEGER slowLoaded = Now();
    ItemMovieDataList_CL keyByKey;
    keyByKey.read_with_snapshots = false;
    keyByKey.Load(album);
    LARGE_INTEGER profileLoaded = Now();
    LARGE_INTEGER saveStart = Now();
    list.SaveFastStart(album);
    LARGE_INTEGER saved = Now();
    ItemMovieDataList_CL fast;
    HRESULT fastResult = fast.LoadFastStart(album);
    LARGE_INTEGER fastLoaded = Now();

    // New movie files registered one by one into the open album, as a drop does (".mpg" is
    // among the built-in extensions, whatever the registry holds).
    const int newMovies = std::min(movies, 1000);
    TempFolder movieFolder;
    std::vector<std::wstring> newPaths;
    for (int i = 0; i < newMovies; ++i) {
        newPaths.push_back(movieFolder / (L"new movie " + std::to_wstring(i) + L".mpg"));
        WriteFileBytes(newPaths.back(), {'m', 'o', 'v'});
    }
    SaveData_CL data;
    data.program_ini.SetPath(std::wstring(documents) + L"\\Reelvault\\Reelvault.ini");
    data.LoadAlbumInfo();
    data.LoadAlbum();
    QuietHost host;
    MovieRegistration_CL registration(data, host);
    LARGE_INTEGER registerStart = Now();
    int registered = 0;
    for (const std::wstring& path : newPaths) registered += registration.RegisterMovieFile(path, L"", L"");
    LARGE_INTEGER registerEnd = Now();

    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));

    wprintf(L"movies                 %d\n", movies);
    wprintf(L"contents files made    %.2f s\n", Seconds(start, made));
    wprintf(L"slow load (snapshots)  %.2f s (%d records)\n", Seconds(made, slowLoaded),
            static_cast<int>(list.records.size()));
    wprintf(L"slow load (key by key) %.2f s (%d records)\n", Seconds(slowLoaded, profileLoaded),
            static_cast<int>(keyByKey.records.size()));
    wprintf(L"cache write            %.2f s\n", Seconds(saveStart, saved));
    wprintf(L"fast-start load        %.2f s (%d records, %ls)\n", Seconds(saved, fastLoaded),
            static_cast<int>(fast.records.size()), fastResult == 0 ? L"ok" : L"FAILED");
    wprintf(L"speed-up over snapshots %.1fx\n", Seconds(made, slowLoaded) / Seconds(saved, fastLoaded));
    wprintf(L"registration           %.2f s for %d new movies (%d registered, %.1f ms each)\n",
            Seconds(registerStart, registerEnd), newMovies, registered,
            newMovies ? 1000.0 * Seconds(registerStart, registerEnd) / newMovies : 0.0);
    wprintf(L"peak working set       %.1f MB\n", memory.PeakWorkingSetSize / 1048576.0);
    wprintf(L"peak committed memory  %.1f MB\n", memory.PeakPagefileUsage / 1048576.0);

    programIni.WriteString(L"FOLDER", L"redirect", savedRedirect);
    return fastResult == 0 ? 0 : 1;
}
