#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/album/DataLoadProgress.h"
#include "core/album/ItemMovieDataList.h"
#include "core/album/SaveData.h"
#include "tests/common/TempFolder.h"

namespace {

// An album folder with contents ini files written through the record itself.
class AlbumFolderTest : public testing::Test {
protected:
    std::wstring WriteMovie(const std::wstring& relative, const std::wstring& name)
    {
        std::wstring path = album_ / (L"contents\\" + relative);
        ItemMovieData_CL movie;
        movie.ini_name = path;
        movie.content_name = name;
        movie.link_name = L"C:\\movies\\" + name + L".mp4";
        movie.category = L"映画";
        movie.skip_frames.resize(ItemMovieData_CL::kSkipFrameCount);
        movie.favorites_frames.resize(ItemMovieData_CL::kFavoritesFrameCount);
        movie.WriteContentsIni();
        return path;
    }
    void MakeFolder(const std::wstring& relative) { CreateDirectoryW((album_ / relative).c_str(), nullptr); }
    void SetUp() override
    {
        MakeFolder(L"contents");
        MakeFolder(L"contents\\000");
        MakeFolder(L"contents\\001");
        MakeFolder(L"contents\\001\\deep");
        MakeFolder(L"contents\\001\\deep\\deeper");
    }

    TempFolder album_;
};

std::vector<std::wstring> Names(const ItemMovieDataList_CL& list)
{
    std::vector<std::wstring> names;
    for (const auto& r : list.records) names.push_back(r.content_name);
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(AlbumFolderTest, SlowLoadTakesOnlyContentsIniFilesAtAnyDepth)
{
    WriteMovie(L"000\\contents000-00001.ini", L"top");
    WriteMovie(L"001\\deep\\deeper\\contents001-00002.ini", L"nested");
    WriteMovie(L"000\\b.ini", L"lower-case");
    WriteMovie(L"000\\a.INI", L"upper-case extension");
    WriteMovie(L"000\\Reelvault.ini", L"program ini");
    WriteMovie(L"000\\c.ini.bak", L"backup");

    ItemMovieDataList_CL list;
    EXPECT_EQ(list.Load(album_.Path()), 0);
    EXPECT_EQ(Names(list), (std::vector<std::wstring>{L"lower-case", L"nested", L"top"}));
    for (const auto& record : list.records) {
        EXPECT_EQ(record.category_hash, NameHash(L"映画"));
        EXPECT_EQ(record.ini_name.rfind(album_.Path(), 0), 0u);
    }
}

// Another program (a second reader, the sibling player, the user) deletes contents files
// while the album loads: a file listed and then gone is a movie gone, never an empty
// movie whose file the load makes again.
TEST_F(AlbumFolderTest, FilesDeletedDuringLoadsStayDeleted)
{
    constexpr int kMovies = 40;
    struct Deleter {
        std::vector<std::wstring> paths;
        static DWORD WINAPI Run(void* self)
        {
            for (const std::wstring& path : static_cast<Deleter*>(self)->paths) {
                DeleteFileW(path.c_str());
                Sleep(2);
            }
            return 0;
        }
    } deleter;
    for (int i = 0; i < kMovies; ++i) {
        wchar_t name[40];
        swprintf(name, 40, L"000\\contents000-%05d.ini", i);
        deleter.paths.push_back(WriteMovie(name, L"m" + std::to_wstring(i)));
    }
    HANDLE thread = CreateThread(nullptr, 0, &Deleter::Run, &deleter, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    ItemMovieDataList_CL list;
    size_t loads = 0;
    while (WaitForSingleObject(thread, 0) == WAIT_TIMEOUT) {
        list.Load(album_.Path());
        ++loads;
        for (const auto& record : list.records) EXPECT_FALSE(record.content_name.empty()) << "an empty movie";
    }
    CloseHandle(thread);
    EXPECT_GT(loads, 1u);
    list.Load(album_.Path());
    EXPECT_TRUE(list.records.empty());
    for (const std::wstring& path : deleter.paths)
        EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES) << "made again";
}

TEST_F(AlbumFolderTest, DecodeKeysKeepGrowingAcrossLoadsAndSkipZero)
{
    WriteMovie(L"000\\contents000-00001.ini", L"one");
    WriteMovie(L"000\\contents000-00002.ini", L"two");

    ItemMovieDataList_CL list;
    list.Load(album_.Path());
    std::vector<uint32_t> keys;
    for (const auto& r : list.records) keys.push_back(r.decode_key);
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(keys, (std::vector<uint32_t>{1, 2}));

    list.Load(album_.Path());
    keys.clear();
    for (const auto& r : list.records) keys.push_back(r.decode_key);
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(keys, (std::vector<uint32_t>{3, 4}));

    list.next_decode_key = 0xFFFFFFFF;
    list.Load(album_.Path());
    keys.clear();
    for (const auto& r : list.records) keys.push_back(r.decode_key);
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(keys, (std::vector<uint32_t>{1, 0xFFFFFFFF}));
    EXPECT_EQ(list.TakeDecodeKey(), 2u);
}

// Records every position a progress bar is given.
LRESULT CALLBACK RecordingBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    if (message == PBM_SETPOS) reinterpret_cast<std::vector<int>*>(data)->push_back(static_cast<int>(wParam));
    return DefSubclassProc(window, message, wParam, lParam);
}

class ProgressBarTest : public AlbumFolderTest {
protected:
    void SetUp() override
    {
        AlbumFolderTest::SetUp();
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        bar_ = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_POPUP, 0, 0, 200, 20, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(bar_, nullptr);
        SetWindowSubclass(bar_, RecordingBarProc, 1, reinterpret_cast<DWORD_PTR>(&positions_));
        progress_.progressBar = bar_;
        g_dataLoadProgress = &progress_;
    }
    void TearDown() override
    {
        g_dataLoadProgress = nullptr;
        RemoveWindowSubclass(bar_, RecordingBarProc, 1);
        DestroyWindow(bar_);
    }

    HWND bar_ = nullptr;
    DataLoadProgress_CL progress_;
    std::vector<int> positions_;
};

TEST_F(ProgressBarTest, SlowLoadReportsEachNewPercent)
{
    for (int i = 1; i <= 3; ++i) WriteMovie(L"000\\contents000-0000" + std::to_wstring(i) + L".ini", L"m");
    progress_.lastPercent = 55;  // left over from an earlier load
    ItemMovieDataList_CL list;
    list.Load(album_.Path());
    EXPECT_EQ(positions_, (std::vector<int>{0, 33, 66, 100}));
    EXPECT_EQ(SendMessageW(bar_, PBM_GETPOS, 0, 0), 100);
    EXPECT_EQ(progress_.total, 3);
    EXPECT_EQ(progress_.done, 3);
}

TEST_F(ProgressBarTest, EmptyAlbumEndsAtZero)
{
    ItemMovieDataList_CL list;
    list.Load(album_.Path());
    EXPECT_TRUE(list.records.empty());
    EXPECT_TRUE(positions_.empty());
    EXPECT_EQ(SendMessageW(bar_, PBM_GETPOS, 0, 0), 0);
}

// Records for the filter and sort tables.
ItemMovieData_CL Movie(const wchar_t* name, const wchar_t* tags, const wchar_t* note)
{
    ItemMovieData_CL movie;
    movie.content_name = name;
    movie.tag_text = tags;
    movie.note = note;
    movie.file_unchecked = 0;
    return movie;
}

class MovieFilterTest : public testing::Test {
protected:
    void SetUp() override
    {
        ini_.SetPath(folder_ / L"Reelvault.ini");
        list_.records = {
            Movie(L"abc movie", L"[drama]", L"first line\r\nsecond"),
            Movie(L"ABC MOVIE", L"[comedy][drama]", L""),
            Movie(L"xyz", L"", L"abc in the note"),
            Movie(L"missing abc", L"[drama]", L""),
            Movie(L"broken", L"", L""),
        };
        list_.records[3].file_missing = 1;
        list_.records[4].decodo_err = 1;
        list_.SelectAll(all_);
    }
    void TearDown() override { g_movieSearchMode = 0; }

    std::vector<int32_t> Run(int mode, const std::wstring& text, int regex)
    {
        g_movieSearchMode = mode;
        ItemMovieView_CL out;
        all_.Filter(text, out, regex, ini_);
        return out.indices;
    }

    TempFolder folder_;
    Inifile_CL ini_;
    ItemMovieDataList_CL list_;
    ItemMovieView_CL all_;
};

TEST_F(MovieFilterTest, ModesTextsAndTheHideRule)
{
    struct Case {
        int hide;
        int mode;
        const wchar_t* text;
        int regex;
        std::vector<int32_t> kept;
    };
    const Case cases[] = {
        {0, 0, L"abc", 0, {0, 3}},  // case-sensitive: "ABC MOVIE" stays out
        {1, 0, L"abc", 0, {0}},     // the missing movie is hidden
        {0, 1, L"[drama]", 0, {0, 1, 3}},
        {0, 2, L"abc", 0, {2}},
        {0, 2, L"second", 0, {0}},
        {0, 0, L"", 0, {0, 1, 2, 3, 4}},
        {1, 0, L"", 0, {0, 1, 2, 4}},
        {1, 1, L"", 0, {0, 1, 2, 4}},
        // Movies with errors, missing ones included whatever the hide rule and the text.
        {1, 3, L"anything", 0, {3, 4}},
        {0, 3, L"", 0, {3, 4}},
        {0, 7, L"abc", 0, {0, 1, 2, 3, 4}},
        {0, -1, L"abc", 0, {}},
        {0, -1, L"", 0, {0, 1, 2, 3, 4}},
        {0, 0, L"^ABC", 1, {1}},
        {0, 0, L"[a-c]{3} movie$", 1, {0}},
        {0, 1, L"\\[comedy\\]", 1, {1}},
        {1, 0, L"abc", 1, {0}},
        {0, 0, L"(unclosed", 1, {}},  // an invalid pattern matches nothing
        {0, 0, L"(unclosed", 0, {}},  // but is plain text without the flag
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        ini_.WriteInt(c.hide, L"ALBUM_INFO", L"no_find_move_hide");
        EXPECT_EQ(Run(c.mode, c.text, c.regex), c.kept);
    }
}

TEST_F(MovieFilterTest, RegexOverALongFieldNeitherCrashesNorHangs)
{
    std::wstring note;
    for (int i = 0; i < 4095; ++i) note.push_back(i % 2 ? L'a' : L'b');
    list_.records[2].note = note;
    EXPECT_EQ(Run(2, L"^(a|b)*c", 1), std::vector<int32_t>{});
    list_.records[2].note = note + L"c";
    EXPECT_EQ(Run(2, L"^(a|b)*c", 1), std::vector<int32_t>{2});
}

class MovieSortTest : public testing::Test {
protected:
    void SetUp() override
    {
        data_.program_ini.SetPath(folder_ / L"Reelvault.ini");
        auto& r = data_.movie_list.records;
        r.resize(4);
        const wchar_t* names[] = {L"a10", L"b", L"a2", L"A1"};
        for (int i = 0; i < 4; ++i) {
            r[i].content_name = names[i];
            r[i].play_date_time = 100 - i;
            r[i].file_time = i * 7 % 4;
            r[i].add_date = -1 + i;
            r[i].file_size = (i * 3 % 4) * 1000000000LL;
            r[i].last_play_frame = 10 * i;
            r[i].star_count = static_cast<uint32_t>(i + 2) % 6;
        }
        r[0].play_count = 0x80000000u;  // above INT32_MAX: must still sort as the largest
        r[1].play_count = 1;
        r[2].play_count = 5;
        r[3].play_count = 0;
    }

    std::vector<std::wstring> Sorted(int tab, int descending, int dightSort)
    {
        data_.program_ini.WriteInt(dightSort, L"SORT_SETTING", L"dight_sort");
        data_.disp_setting.selected_sort_tab = tab;
        data_.disp_setting.sort_tabs[tab].descending = descending;
        ItemMovieView_CL view;
        data_.movie_list.SelectAll(view);
        view.Sort(data_);
        std::vector<std::wstring> names;
        for (size_t i = 0; i < view.size(); ++i) names.push_back(view.at(i).content_name);
        return names;
    }

    TempFolder folder_;
    SaveData_CL data_;
};

TEST_F(MovieSortTest, EveryTabInBothDirections)
{
    using V = std::vector<std::wstring>;
    struct Case {
        int tab;
        int descending;
        int dightSort;
        V expected;
    };
    const Case cases[] = {
        {1, 0, 0, V{L"A1", L"a10", L"a2", L"b"}},
        {1, 0, 1, V{L"A1", L"a2", L"a10", L"b"}},
        {1, 1, 1, V{L"b", L"a10", L"a2", L"A1"}},
        {0, 0, 1, V{L"A1", L"a2", L"a10", L"b"}},
        {2, 1, 0, V{L"a10", L"b", L"a2", L"A1"}},      // play date 100, 99, 98, 97
        {3, 0, 0, V{L"a10", L"A1", L"a2", L"b"}},      // file time 0, 3, 2, 1
        {4, 1, 0, V{L"A1", L"a2", L"b", L"a10"}},      // add date -1, 0, 1, 2
        {5, 1, 0, V{L"a10", L"a2", L"b", L"A1"}},      // unsigned play counts
        {5, 0, 0, V{L"A1", L"b", L"a2", L"a10"}},
        {6, 1, 0, V{L"A1", L"a2", L"b", L"a10"}},      // stars 2, 3, 4, 5: five first
        {7, 0, 0, V{L"a10", L"A1", L"a2", L"b"}},      // sizes 0, 3e9, 2e9, 1e9
        {8, 1, 0, V{L"A1", L"a2", L"b", L"a10"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        EXPECT_EQ(Sorted(c.tab, c.descending, c.dightSort), c.expected);
    }
}

TEST(DispSettingData, SortTabsStartAsTheProgramShipsThem)
{
    DispSettingData_CL settings;
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(settings.sort_tabs[i].sortKey, i);
        EXPECT_EQ(settings.sort_tabs[i].descending, i >= 2 ? 1 : 0);
    }
    EXPECT_EQ(settings.sort_tabs[6].caption, L"★マーク順");
    EXPECT_TRUE(settings.sort_tabs[9].caption.empty());
    const int heights[] = {11, 12, 13, 15, 16, 17, 18, 20, 21, 22};
    for (int level = 1; level <= 10; ++level) {
        settings.ui_font_size_level = level;
        EXPECT_EQ(settings.GetUiFontHeight(), heights[level - 1]);
    }
    settings.ui_font_size_level = 40;
    EXPECT_EQ(settings.GetUiFontHeight(), 22);
    settings.ui_font_size_level = -3;
    EXPECT_EQ(settings.GetUiFontHeight(), 11);
}

}  // namespace
