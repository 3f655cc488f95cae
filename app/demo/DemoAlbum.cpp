// Makes an album for trying Reelvault out and for the tests and benchmarks that start it.
// The movies are registered the way a drop registers them.
//
//   DemoAlbum.exe DATA_ROOT demo CLIP_FOLDER WATCHED_FOLDER
//       the clips of CLIP_FOLDER in two categories of a user tab, a playlist and a favourite
//       site, with tags and stars; WATCHED_FOLDER becomes a sub-category's watched folder,
//       whose files Reelvault registers itself when it loads the album
//   DemoAlbum.exe DATA_ROOT redirect
//       only points the data root at DATA_ROOT
//   DemoAlbum.exe DATA_ROOT movies N [--strips] [--cache] [--album INDEX] [--lock KEYS]
//       N movies named movie00000.mp4... (the files need not exist); --strips puts a
//       finished thumbnail strip (a copy of strip.jpg beside this program) beside every
//       record, --cache writes the fast-start cache, --album opens album INDEX (0..4) next
//       time, --lock locks that album with the key chord KEYS ("5A")
//
// The data root is set through the redirect of Documents\Reelvault\Reelvault.ini, which
// Reelvault reads too. Exit code 0 when every movie was registered.
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "core/album/AlbumData.h"
#include "core/album/MovieRegistration.h"
#include "core/album/SaveData.h"
#include "core/base/Inifile.h"
#include "core/base/Log.h"
#include "core/base/PathName.h"

namespace {

const wchar_t kPlaylistCategory[] = L"プレイリスト";
const wchar_t kSiteCategory[] = L"お気に入りサイト";
const wchar_t kUserCategory[] = L"映画";

// Registration outside the main window: no lists to refresh, no maker to ask. Reelvault
// asks for the missing strips itself when it loads the album.
class QuietHost_CL : public RegistrationHost_IF {
public:
    void AddRegisteredRow(const std::wstring&, const std::wstring&) override {}
    void AddRejectedRow(const std::wstring& path, const std::wstring& text) override
    {
        fwprintf(stderr, L"not registered: %ls (%ls)\n", path.c_str(), text.c_str());
    }
    void ClearListenerBitmaps() override {}
    void SelectCategoryTab(int, int) override {}
    void SelectSortTab(int) override {}
    void RebuildCategoryTabs() override {}
    void RefreshMovieList() override {}
    void RequestMissingThumbnails() override {}
};

struct Options {
    std::wstring dataRoot;
    std::wstring mode;
    std::vector<std::wstring> positional;
    bool strips = false;
    bool cache = false;
    int album = 0;
    std::wstring lock;
};

bool ParseOptions(int argc, wchar_t** argv, Options& options)
{
    if (argc < 3) return false;
    options.dataRoot = argv[1];
    options.mode = argv[2];
    for (int i = 3; i < argc; ++i) {
        std::wstring arg = argv[i];
        if (arg == L"--strips") {
            options.strips = true;
        } else if (arg == L"--cache") {
            options.cache = true;
        } else if (arg == L"--album" && i + 1 < argc) {
            options.album = _wtoi(argv[++i]);
            if (options.album < 0 || options.album >= AlbumData_CL::kAlbumCount) return false;
        } else if (arg == L"--lock" && i + 1 < argc) {
            options.lock = argv[++i];
        } else {
            options.positional.push_back(arg);
        }
    }
    return true;
}

std::wstring DocumentsFolder()
{
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path))) return std::wstring();
    return path;
}

// Points the data root at root; GetDataRootFolder answers with it from now on.
bool RedirectDataRoot(const std::wstring& root)
{
    const std::wstring documents = DocumentsFolder();
    if (documents.empty()) return false;
    CreateDirectoryW((documents + L"\\Reelvault").c_str(), nullptr);
    CreateDirectoryW(root.c_str(), nullptr);
    Inifile_CL redirect;
    redirect.SetPath(documents + L"\\Reelvault\\Reelvault.ini");
    redirect.WriteString(L"FOLDER", L"redirect", root);
    return GetDataRootFolder() == root;
}

// The clips of a folder, in name order.
std::vector<std::wstring> ListFiles(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\*.*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(folder + L"\\" + found.cFileName);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

// The demo's clips use containers the registry of a fresh prefix may not list as video.
void AcceptClipExtensions(SaveData_CL& data)
{
    const wchar_t* const extensions[] = {L".mp4", L".avi", L".mkv", L".wmv", L".mov"};
    int count = static_cast<int>(data.program_ini.ReadInt(L"USER_EXT_INFO", L"count", 0));
    for (const wchar_t* extension : extensions) {
        if (data.ext_info.Contains(std::wstring(L"x") + extension)) continue;
        wchar_t key[32];
        _snwprintf(key, 32, L"ext_item%04d", count++);
        data.program_ini.WriteString(L"USER_EXT_INFO", key, std::wstring(L"1") + extension);
        data.ext_info.AddItem({extension, L"", L"ユーザー追加", L"", 1, 1});
    }
    data.program_ini.WriteInt(count, L"USER_EXT_INFO", L"count");
}

void AddTopCategory(SaveData_CL& data, const std::wstring& name)
{
    for (const auto& tab : data.category_list.top_categories) {
        if (tab.name == name) return;
    }
    data.category_list.top_categories.push_back({0, name, name, ItemTopCategoryData_CL::kKindMovies});
    data.category_list.SaveTopCategoryList(data.album_ini);
}

// A category record with the demo's picture, last in its tab's order.
ItemCategoryData_CL* AddCategory(SaveData_CL& data, const std::wstring& category, const std::wstring& sub,
                                 const std::wstring& findFolder)
{
    const std::wstring picture = PathName_CL::GetModuleFolder() + L"\\category.jpg";
    int32_t index = data.AddCategoryFile(category, sub, picture, findFolder);
    if (index < 0) {
        fwprintf(stderr, L"category file not written: %ls / %ls\n", category.c_str(), sub.c_str());
        return nullptr;
    }
    int32_t order = 0;
    for (const auto& record : data.category_list.records) order += record.category == category;
    ItemCategoryData_CL& record = data.category_list.records[index];
    record.sub_category_sort_index = order - 1;
    record.WriteIni();
    return &record;
}

ItemMovieData_CL* FindMovie(SaveData_CL& data, const std::wstring& path)
{
    for (auto& movie : data.movie_list.records) {
        if (movie.link_name == path) return &movie;
    }
    return nullptr;
}

int MakeDemo(SaveData_CL& data, MovieRegistration_CL& registration, const Options& options)
{
    if (options.positional.size() != 2) return 2;
    const std::wstring& clips = options.positional[0];
    const std::wstring& watched = options.positional[1];
    std::vector<std::wstring> files = ListFiles(clips);
    if (files.empty()) {
        fwprintf(stderr, L"no clips in %ls\n", clips.c_str());
        return 3;
    }

    AddTopCategory(data, kUserCategory);
    AddCategory(data, kUserCategory, L"風景", L"");
    AddCategory(data, kUserCategory, L"街角", L"");
    AddCategory(data, kUserCategory, L"監視フォルダ", watched);

    // Every other clip goes to a sub-category; the rest stay without one.
    int failed = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        std::wstring sub = i % 3 == 0 ? L"風景" : i % 3 == 1 ? L"街角" : L"";
        std::wstring category = sub.empty() ? L"" : kUserCategory;
        if (registration.RegisterMovieFile(files[i], category, sub) != 1) ++failed;
    }

    const wchar_t* const tagTexts[] = {L"夕暮れ 海", L"夜景 街", L"テスト", L"山　空", L"お気に入り 夜景"};
    for (size_t i = 0; i < files.size(); ++i) {
        ItemMovieData_CL* movie = FindMovie(data, files[i]);
        if (!movie) continue;
        data.AddTagsToMovie(*movie, tagTexts[i % 5], 1);
        movie->star_count = static_cast<uint32_t>(i % 6);
        movie->note = L"デモ用の動画 " + std::to_wstring(i + 1);
        movie->WriteContentsIni();
    }
    data.album_data.SaveTagHistory();

    if (ItemCategoryData_CL* playlist = AddCategory(data, kPlaylistCategory, L"おすすめ", L"")) {
        for (size_t i = 0; i < files.size() && i < 3; ++i) playlist->playlist.push_back(files[i]);
        playlist->WriteIni();
    }
    if (ItemCategoryData_CL* site = AddCategory(data, kSiteCategory, L"サンプルサイト", L"")) {
        site->url_link = L"https://example.com/";
        site->WriteIni();
    }
    wprintf(L"%d clips registered, %d not\n", static_cast<int>(files.size()) - failed, failed);
    return failed == 0 ? 0 : 1;
}

int MakeMovies(SaveData_CL& data, MovieRegistration_CL& registration, const Options& options)
{
    if (options.positional.size() != 1) return 2;
    const int count = _wtoi(options.positional[0].c_str());
    if (count < 0) return 2;
    const std::wstring strip = PathName_CL::GetModuleFolder() + L"\\strip.jpg";
    if (options.strips && GetFileAttributesW(strip.c_str()) == INVALID_FILE_ATTRIBUTES) {
        fwprintf(stderr, L"missing %ls\n", strip.c_str());
        return 3;
    }
    const std::wstring folder = data.album_folder + L"\\movies";
    int failed = 0;
    for (int i = 0; i < count; ++i) {
        wchar_t name[32];
        _snwprintf(name, 32, L"\\movie%05d.mp4", i);
        if (registration.RegisterMovieFile(folder + name, L"", L"") != 1) ++failed;
    }
    if (options.strips) {
        // A strip beside its record is a finished decode; the cache, when asked for,
        // says so too.
        for (auto& movie : data.movie_list.records) {
            CopyFileW(strip.c_str(), movie.GetThumbnailPath().c_str(), FALSE);
            movie.run_decode = 0;
        }
    }
    if (options.cache) data.SaveAll();
    wprintf(L"%d movies registered, %d not\n", count - failed, failed);
    return failed == 0 ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options) ||
        (options.mode != L"demo" && options.mode != L"movies" && options.mode != L"redirect")) {
        fwprintf(stderr, L"usage: DemoAlbum.exe DATA_ROOT demo CLIP_FOLDER WATCHED_FOLDER\n"
                         L"       DemoAlbum.exe DATA_ROOT redirect\n"
                         L"       DemoAlbum.exe DATA_ROOT movies N [--strips] [--cache] [--album INDEX] [--lock KEYS]\n");
        return 2;
    }
    if (!RedirectDataRoot(options.dataRoot)) {
        fwprintf(stderr, L"cannot point the data root at %ls\n", options.dataRoot.c_str());
        return 3;
    }
    if (options.mode == L"redirect") return 0;

    SaveData_CL& data = g_saveData;
    CreateDirectoryW(GetDataFolder().c_str(), nullptr);
    AppLog.path = GetDataFolder() + L"\\DemoAlbum.txt";
    data.program_ini.SetPath(GetDataFolder() + L"\\Reelvault.ini");
    data.program_ini.WriteInt(options.album, L"ALBUM_INFO", L"last_index");
    data.LoadAlbumInfo();
    AcceptClipExtensions(data);
    data.LoadAlbum();
    if (!options.lock.empty()) data.album_ini.WriteString(L"LOCK", L"key", options.lock);

    QuietHost_CL host;
    MovieRegistration_CL registration(data, host);
    return options.mode == L"demo" ? MakeDemo(data, registration, options) : MakeMovies(data, registration, options);
}
