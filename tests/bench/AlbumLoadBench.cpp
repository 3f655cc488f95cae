// Measures the two ways an album opens: reading every contents ini, and the fast-start
// cache. Prints figures; asserts nothing.
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

// Replaces every occurrence of `what` in UTF-16LE bytes.
std::vector<uint8_t> Substitute(const std::vector<uint8_t>& bytes, const std::wstring& what, const std::wstring& with)
{
    std::vector<uint8_t> from = Utf16Bytes(what);
    std::vector<uint8_t> to = Utf16Bytes(with);
    std::vector<uint8_t> out;
    for (size_t i = 0; i < bytes.size();) {
        if (i + from.size() <= bytes.size() && std::equal(from.begin(), from.end(), bytes.begin() + i)) {
            out.insert(out.end(), to.begin(), to.end());
            i += from.size();
        } else {
            out.push_back(bytes[i++]);
        }
    }
    return out;
}

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
        WriteFileBytes(path, Substitute(templateBytes, L"MOVIE_NAME", name));
    }
    LARGE_INTEGER made = Now();

    ItemMovieDataList_CL list;
    list.Load(album);
    LARGE_INTEGER slowLoaded = Now();
    list.SaveFastStart(album);
    LARGE_INTEGER saved = Now();
    ItemMovieDataList_CL fast;
    HRESULT fastResult = fast.LoadFastStart(album);
    LARGE_INTEGER fastLoaded = Now();

    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));

    wprintf(L"movies                 %d\n", movies);
    wprintf(L"contents files made    %.2f s\n", Seconds(start, made));
    wprintf(L"slow load              %.2f s (%d records)\n", Seconds(made, slowLoaded),
            static_cast<int>(list.records.size()));
    wprintf(L"cache write            %.2f s\n", Seconds(slowLoaded, saved));
    wprintf(L"fast-start load        %.2f s (%d records, %ls)\n", Seconds(saved, fastLoaded),
            static_cast<int>(fast.records.size()), fastResult == 0 ? L"ok" : L"FAILED");
    wprintf(L"speed-up               %.1fx\n", Seconds(made, slowLoaded) / Seconds(saved, fastLoaded));
    wprintf(L"peak working set       %.1f MB\n", memory.PeakWorkingSetSize / 1048576.0);
    wprintf(L"peak committed memory  %.1f MB\n", memory.PeakPagefileUsage / 1048576.0);

    programIni.WriteString(L"FOLDER", L"redirect", savedRedirect);
    return fastResult == 0 ? 0 : 1;
}
