#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "core/album/SaveData.h"
#include "core/base/Log.h"
#include "core/base/PathName.h"
#include "core/base/UniqueHandle.h"
#include "tests/album/AlbumTestSupport.h"
#include "tests/album/peers/AlbumDump.h"
#include "tests/common/TempFolder.h"

namespace {

using albumtest::DocumentsSandbox;

// A first start in the test's Documents: the program ini in the data folder, the album
// loaded, and the log in a file of the test's own.
class SaveDataTest : public testing::Test {
protected:
    void SetUp() override
    {
        CreateDirectoryW(sandbox_.dataFolder().c_str(), nullptr);
        savedLog_ = AppLog;
        AppLog.path = work_ / L"log.txt";
        data_.program_ini.SetPath(sandbox_.dataFolder() + L"\\Reelvault.ini");
    }
    void TearDown() override { AppLog = savedLog_; }

    void Open(SaveData_CL& data)
    {
        data.LoadAlbumInfo();
        data.LoadAlbum();
    }
    // A movie registered in the open album, written to its contents ini.
    ItemMovieData_CL& AddMovie(SaveData_CL& data, const std::wstring& name, int number)
    {
        ItemMovieData_CL movie;
        movie.link_name = L"C:\\movies\\" + name + L".mp4";
        movie.content_name = name;
        movie.ini_name = ItemMovieData_CL::MakeContentsIniPath(sandbox_.documents(), L"ALBUM_0001",
                                                               ItemMovieData_CL::GetContentsFolderNumber(movie.link_name),
                                                               number);
        movie.skip_frames.resize(ItemMovieData_CL::kSkipFrameCount);
        movie.favorites_frames.resize(ItemMovieData_CL::kFavoritesFrameCount);
        movie.WriteContentsIni();
        data.movie_list.records.push_back(movie);
        return data.movie_list.records.back();
    }
    // Runs the second process and returns its dump and its log.
    std::pair<std::wstring, std::wstring> LoadInAnotherProcess()
    {
        const std::wstring dump = work_ / L"peer-dump.txt";
        const std::wstring log = work_ / L"peer-log.txt";
        DeleteFileW(dump.c_str());
        DeleteFileW(log.c_str());
        std::wstring command =
            L"\"" + PathName_CL::GetModuleFolder() + L"\\album_load_peer.exe\" \"" + dump + L"\" \"" + log + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        EXPECT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
        UniqueHandle processHandle(process.hProcess);
        UniqueHandle threadHandle(process.hThread);
        EXPECT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
        DWORD exitCode = 1;
        GetExitCodeProcess(process.hProcess, &exitCode);
        EXPECT_EQ(exitCode, 0u);
        std::wstring text = ReadUtf16File(dump);
        return {text, ReadUtf16File(log)};
    }

    DocumentsSandbox sandbox_;
    TempFolder work_;
    Logger savedLog_;
    SaveData_CL data_;
};

TEST_F(SaveDataTest, SavedAlbumReopensFromTheCacheInAnotherProcess)
{
    Open(data_);
    ItemMovieData_CL& first = AddMovie(data_, L"first", 1);
    first.play_count = 7;
    first.note = L"line one\r\nline two";
    data_.AddTagsToMovie(first, L"drama 2024", 1);
    first.WriteContentsIni();
    AddMovie(data_, L"second", 2).star_count = 5;
    data_.movie_list.records.back().WriteContentsIni();
    data_.web_logins[1].user = L"yamada";
    data_.web_logins[1].pass = L"secret";
    ASSERT_EQ(data_.SaveAll(), 0);

    auto [dump, log] = LoadInAnotherProcess();
    EXPECT_EQ(dump, AlbumDump(data_.movie_list));
    EXPECT_NE(log.find(L"読み込み(終了)"), std::wstring::npos) << "not loaded from the cache";
    EXPECT_EQ(log.find(L"低速読み込みを行います。"), std::wstring::npos);

    SaveData_CL again;
    again.program_ini.SetPath(data_.program_ini.GetPath());
    Open(again);
    EXPECT_EQ(again.web_logins[1].user, L"yamada");
    EXPECT_EQ(again.web_logins[1].pass, L"secret");
    EXPECT_EQ(again.album_data.tag_history, (std::vector<std::wstring>{L"2024", L"drama"}));
}

TEST_F(SaveDataTest, ReloadFlagDeletesTheCacheSoTheNextStartReadsEveryFile)
{
    Open(data_);
    AddMovie(data_, L"only", 1);
    ASSERT_EQ(data_.SaveAll(), 0);
    const std::wstring cache = data_.album_folder + L"\\LastAlbumInfo.dat";
    ASSERT_NE(GetFileAttributesW(cache.c_str()), INVALID_FILE_ATTRIBUTES);

    data_.reload_flag = 1;
    EXPECT_EQ(data_.SaveAll(), 0);
    EXPECT_EQ(GetFileAttributesW(cache.c_str()), INVALID_FILE_ATTRIBUTES);
    // Every later save of the run deletes it again.
    EXPECT_EQ(data_.SaveAll(), 0);
    EXPECT_EQ(GetFileAttributesW(cache.c_str()), INVALID_FILE_ATTRIBUTES);

    auto [dump, log] = LoadInAnotherProcess();
    EXPECT_EQ(dump, AlbumDump(data_.movie_list));
    EXPECT_NE(log.find(L"低速読み込みを行います。"), std::wstring::npos);
}

TEST_F(SaveDataTest, DisplaySettingsAreClamped)
{
    struct Case {
        const wchar_t* key;
        const wchar_t* stored;  // null: key missing
        int expected;
    };
    const Case cases[] = {
        {L"thumbnail_count", L"0", 5},         {L"thumbnail_count", L"11", 5},
        {L"thumbnail_count", L"10", 10},       {L"thumbnail_count", nullptr, 5},
        {L"thumbnail_size_index", L"3", 1},    {L"thumbnail_size_index", L"-1", 1},
        {L"thumbnail_size_index", nullptr, 2}, {L"thumbnail_size_index", L"0", 0},
        {L"ui_font_size_level", L"0", 1},      {L"ui_font_size_level", L"15", 10},
        {L"ui_font_size_level", L"4", 4},      {L"movie_list_use_direct2d", L"7", 1},
        {L"movie_list_use_direct2d", nullptr, 0},
    };
    Open(data_);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        SaveData_CL data;
        data.program_ini.SetPath(data_.program_ini.GetPath());
        if (c.stored) {
            data_.album_ini.WriteString(L"DISP_SETTING", c.key, c.stored);
        } else {
            data_.album_ini.DeleteKey(L"DISP_SETTING", c.key);
        }
        Open(data);
        const DispSettingData_CL& s = data.disp_setting;
        int got = std::wstring(c.key) == L"thumbnail_count"        ? s.thumbnail_count
                  : std::wstring(c.key) == L"thumbnail_size_index" ? s.thumbnail_size_index
                  : std::wstring(c.key) == L"ui_font_size_level"   ? s.ui_font_size_level
                                                                   : s.movie_list_use_direct2d;
        EXPECT_EQ(got, c.expected);
    }
}

// Records what the album load asks of the windows.
class RecordingUi : public AlbumUiBinding_IF {
public:
    void BindAndLoadBrowserHistories(const Inifile_CL* ini) override
    {
        calls.push_back(L"bind");
        bound = ini;
    }
    void SaveBrowserHistories() override
    {
        calls.push_back(L"browser");
        if (bound) bound->WriteString(L"BROWSER", L"address_item_count", L"0");
    }
    void SaveIncSearchHistory() override { calls.push_back(L"incsearch"); }
    std::vector<std::wstring> calls;
    const Inifile_CL* bound = nullptr;
};

TEST_F(SaveDataTest, AnsiAlbumIniIsConvertedWithEveryKeyKept)
{
    Open(data_);
    const std::wstring path = data_.album_ini.GetPath();
    // Code page 932 bytes, as an older version wrote them.
    std::string ansi =
        "[LOCK]\r\nkey=16,17\r\n[DATA_SETTING]\r\nfav_web_capture=1\r\n[TOP_CATEGORY_LIST]\r\ncount=1\r\n"
        "item00000=\x89\x66\x89\xe6\r\n[DISP_SETTING]\r\nthumbnail_count=40\r\nthumbnail_size_index=0\r\n"
        "[TAG_HISTORY]\r\ncount=1\r\nitem0=\x83\x5e\x83\x4f\r\n[LAST_SELECT]\r\ntop_category=4\r\n";
    ASSERT_TRUE(WriteFileBytes(path, std::vector<uint8_t>(ansi.begin(), ansi.end())));

    RecordingUi ui;
    SaveData_CL data;
    data.ui = &ui;
    data.program_ini.SetPath(data_.program_ini.GetPath());
    Open(data);

    std::vector<uint8_t> bytes = ReadFileBytes(path);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xFE);
    Inifile_CL ini(path);
    EXPECT_EQ(ini.ReadString(L"LOCK", L"key", L""), L"16,17");
    EXPECT_EQ(ini.ReadInt(L"DATA_SETTING", L"fav_web_capture", 0), 1u);
    EXPECT_EQ(ini.ReadString(L"TOP_CATEGORY_LIST", L"item00000", L""), L"映画");
    EXPECT_EQ(ini.ReadInt(L"DISP_SETTING", L"thumbnail_count", 0), 5u);  // clamped value written back
    EXPECT_EQ(ini.ReadInt(L"DISP_SETTING", L"thumbnail_size_index", 9), 0u);
    EXPECT_EQ(ini.ReadString(L"TAG_HISTORY", L"item0", L""), L"タグ");
    EXPECT_EQ(ini.ReadInt(L"LAST_SELECT", L"top_category", 0), 4u);
    EXPECT_EQ(ini.ReadString(L"BROWSER", L"address_item_count", L"x"), L"0");
    EXPECT_EQ(ui.calls, (std::vector<std::wstring>{L"bind", L"browser", L"incsearch"}));
    EXPECT_EQ(data.disp_setting.thumbnail_count, 5);

    // A second load finds a Unicode file and leaves it alone.
    ui.calls.clear();
    std::vector<uint8_t> before = ReadFileBytes(path);
    Open(data);
    EXPECT_EQ(ui.calls, std::vector<std::wstring>{L"bind"});
    EXPECT_EQ(ReadFileBytes(path), before);
}

TEST_F(SaveDataTest, TagsSplitCutAndStopAtTwenty)
{
    Open(data_);
    ItemMovieData_CL movie;
    EXPECT_EQ(data_.AddTagsToMovie(movie, L"x y\x3000z\tx", 0), 1);
    EXPECT_EQ(movie.tags, (std::vector<std::wstring>{L"x", L"y", L"z"}));
    EXPECT_TRUE(data_.album_data.tag_history.empty());

    const std::wstring seventy(70, L'長');
    EXPECT_EQ(data_.AddTagsToMovie(movie, seventy, 1), 1);
    EXPECT_NE(std::find(movie.tags.begin(), movie.tags.end(), std::wstring(64, L'長')), movie.tags.end());

    ItemMovieData_CL full;
    for (int i = 0; i < 20; ++i) full.tags.push_back(L"t" + std::to_wstring(i));
    data_.album_data.tag_history.clear();
    EXPECT_EQ(data_.AddTagsToMovie(full, L"new1 new2", 1), 0);
    EXPECT_EQ(full.tags.size(), 20u);
    EXPECT_EQ(data_.album_data.tag_history, (std::vector<std::wstring>{L"new2", L"new1"}));
}

}  // namespace
