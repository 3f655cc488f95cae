#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "core/album/PlaydeckSync.h"
#include "core/album/SaveData.h"
#include "core/base/PathName.h"
#include "core/base/UniqueHandle.h"
#include "tests/album/AlbumTestSupport.h"
#include "tests/common/TempFolder.h"

namespace {

using albumtest::DocumentsSandbox;
using albumtest::WriteUtf16Text;

class PlaydeckSyncTest : public testing::Test {
protected:
    void SetUp() override
    {
        movie_.link_name = movies_ / L"clip.mp4";
        movie_.ini_name = movies_ / L"contents.ini";
        movie_.skip_frames.resize(ItemMovieData_CL::kSkipFrameCount);
        movie_.favorites_frames.resize(ItemMovieData_CL::kFavoritesFrameCount);
        wchar_t number[8];
        _snwprintf(number, 8, L"%03u", LinkNameHash(movie_.link_name) % 100);
        playerFolder_ = sandbox_.documents() + L"\\Playdeck\\contents\\" + number;
        for (const wchar_t* part : {L"\\Playdeck", L"\\Playdeck\\contents"})
            CreateDirectoryW((sandbox_.documents() + part).c_str(), nullptr);
        CreateDirectoryW(playerFolder_.c_str(), nullptr);
        // A decoy with the program's own ini name is never merged.
        WritePlayerFile(L"Reelvault.ini", movie_.link_name, 999, 999, 5);
    }
    void TearDown() override { RemoveTree(sandbox_.documents() + L"\\Playdeck"); }

    void WritePlayerFile(const std::wstring& name, const std::wstring& link, int count, int64_t date, int stars,
                         const std::wstring& folder = L"")
    {
        std::wstring text = L"[MOVIE_INFO]\nlink_name=" + link + L"\nplay_count=" + std::to_wstring(count) + L"\n";
        if (date != -1) {
            wchar_t hex[32];
            _snwprintf(hex, 32, L"%08x:%08x", static_cast<unsigned>(date >> 32), static_cast<unsigned>(date));
            text += std::wstring(L"play_date_time=") + hex + L"\n";
        }
        if (stars != -1) text += L"star_count=" + std::to_wstring(stars) + L"\n";
        WriteUtf16Text((folder.empty() ? playerFolder_ : folder) + L"\\" + name, text);
    }

    DocumentsSandbox sandbox_;
    TempFolder movies_;
    std::wstring playerFolder_;
    ItemMovieData_CL movie_;
};

TEST_F(PlaydeckSyncTest, MergesCountsDatesAndStars)
{
    struct Case {
        uint32_t count;
        int playerCount;
        int64_t date;
        int64_t playerDate;  // -1: key missing
        uint32_t stars;
        int playerStars;  // -1: key missing
        int mode;
        uint32_t wantCount;
        int64_t wantDate;
        uint32_t wantStars;
        int wantPlayerStars;
    };
    const Case cases[] = {
        {3, 7, -1, 1700000000, 2, 4, 0, 7, 1700000000, 4, 4},
        {9, 7, 1800000000, 1700000000, 2, -1, 0, 9, 1800000000, 2, -1},
        {1, 0, -1, -1, 1, 4, 1, 1, -1, 1, 1},  // mode 1: the player takes this record's rating
        {0, 0, 5, 6, 5, 3, 0, 0, 6, 5, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        WritePlayerFile(L"movie.ini", movie_.link_name, c.playerCount, c.playerDate, c.playerStars);
        movie_.play_count = c.count;
        movie_.play_date_time = c.date;
        movie_.star_count = c.stars;
        SyncWithPlaydeck(movie_, c.mode);
        EXPECT_EQ(movie_.play_count, c.wantCount);
        EXPECT_EQ(movie_.play_date_time, c.wantDate);
        EXPECT_EQ(movie_.star_count, c.wantStars);
        Inifile_CL player(playerFolder_ + L"\\movie.ini");
        EXPECT_EQ(static_cast<int>(player.ReadInt(L"MOVIE_INFO", L"star_count", -1)), c.wantPlayerStars);
        // The record's own file is rewritten with the merge.
        Inifile_CL own(movie_.ini_name);
        EXPECT_EQ(own.ReadInt(L"MOVIE_INFO", L"play_count", 0), c.wantCount);
    }
}

TEST_F(PlaydeckSyncTest, OtherMoviesAreIgnoredAndSideFilesStandIn)
{
    WritePlayerFile(L"other.ini", movies_ / L"other.mp4", 50, -1, 5);
    movie_.play_count = 1;
    SyncWithPlaydeck(movie_, 0);
    EXPECT_EQ(movie_.play_count, 1u);

    // Both of the movie's player files are replaced by the side file beside the movie.
    WritePlayerFile(L"a.ini", movie_.link_name, 3, -1, -1);
    WritePlayerFile(L"b.ini", movie_.link_name, 4, -1, -1);
    WritePlayerFile(L"clip.mp4.Playdeck.ini", movie_.link_name, 20, -1, 2, movies_.Path());
    SyncWithPlaydeck(movie_, 0);
    EXPECT_EQ(movie_.play_count, 20u);
    EXPECT_EQ(movie_.star_count, 2u);
}

TEST_F(PlaydeckSyncTest, NothingOfThePlayersIsCreated)
{
    RemoveTree(sandbox_.documents() + L"\\Playdeck");
    SyncWithPlaydeck(movie_, 1);
    EXPECT_EQ(GetFileAttributesW((sandbox_.documents() + L"\\Playdeck").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(PlaydeckItemUpdate, PathNeedsItsTerminatorWithinTheField)
{
    std::vector<uint8_t> record(528, 0);
    const std::wstring path = L"C:\\m\\a.mp4";
    for (size_t i = 0; i < path.size(); ++i) {
        record[8 + 2 * i] = static_cast<uint8_t>(path[i] & 0xFF);
        record[9 + 2 * i] = static_cast<uint8_t>(path[i] >> 8);
    }
    EXPECT_EQ(PlaydeckItemUpdatePath(record.data(), 528), path);
    EXPECT_EQ(PlaydeckItemUpdatePath(record.data(), 527), L"");
    EXPECT_EQ(PlaydeckItemUpdatePath(nullptr, 528), L"");
    for (size_t i = 8; i < 528; i += 2) record[i] = 'x';
    EXPECT_EQ(PlaydeckItemUpdatePath(record.data(), 528), L"");
}

// A window that hands item updates to the album data, as the main window does.
class UpdateWindowTest : public testing::Test {
protected:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_COPYDATA) {
            auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
            auto* self = reinterpret_cast<UpdateWindowTest*>(GetWindowLongPtrW(window, GWLP_USERDATA));
            if (data->dwData == kPlaydeckItemUpdateTag && data->cbData == kPlaydeckItemUpdateSize)
                self->answers_.push_back(self->data_.UpdateItemFromPlaydeck(data->lpData, data->cbData));
            return TRUE;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    void SetUp() override
    {
        CreateDirectoryW(sandbox_.dataFolder().c_str(), nullptr);
        data_.program_ini.SetPath(sandbox_.dataFolder() + L"\\Reelvault.ini");
        data_.LoadAlbumInfo();
        data_.LoadAlbum();
        WNDCLASSW wc = {};
        wc.lpfnWndProc = Proc;
        wc.lpszClassName = L"ReelvaultUpdateTest";
        RegisterClassW(&wc);
        window_ = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

        ItemMovieData_CL movie;
        movie.link_name = L"C:\\m\\a.mp4";
        movie.ini_name = ItemMovieData_CL::MakeContentsIniPath(sandbox_.documents(), L"ALBUM_0001", 1, 1);
        movie.skip_frames.resize(ItemMovieData_CL::kSkipFrameCount);
        movie.favorites_frames.resize(ItemMovieData_CL::kFavoritesFrameCount);
        movie.WriteContentsIni();
        data_.movie_list.records.push_back(movie);
    }
    void TearDown() override { DestroyWindow(window_); }

    // Runs the sender and pumps messages until it ends; gives its exit code.
    DWORD Send(size_t size, const std::wstring& path, bool noTerminator = false)
    {
        wchar_t handle[32];
        _snwprintf(handle, 32, L"%lx", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(window_)));
        std::wstring command = L"\"" + PathName_CL::GetModuleFolder() + L"\\copydata_sender.exe\" " + handle + L" " +
                               std::to_wstring(size) + L" \"" + path + L"\"" + (noTerminator ? L" noterminator" : L"");
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
            return 1000;
        UniqueHandle processHandle(process.hProcess);
        UniqueHandle threadHandle(process.hThread);
        for (DWORD start = GetTickCount(); GetTickCount() - start < 30000;) {
            DWORD wait = MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 100, QS_ALLINPUT);
            if (wait == WAIT_OBJECT_0) break;
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        }
        DWORD code = 1001;
        GetExitCodeProcess(process.hProcess, &code);
        return code;
    }

    DocumentsSandbox sandbox_;
    SaveData_CL data_;
    HWND window_ = nullptr;
    std::vector<int> answers_;
};

TEST_F(UpdateWindowTest, AppliesAWholeUpdateForAMovieWithAThumbnail)
{
    ItemMovieData_CL& movie = data_.movie_list.records.back();
    movie.decode_key = 77;
    // The player changed the movie's file and the album's tag history behind our back.
    Inifile_CL(movie.ini_name).WriteString(L"MOVIE_INFO", L"play_count", L"12");
    data_.album_ini.WriteInt(1, L"TAG_HISTORY", L"count");
    data_.album_ini.WriteString(L"TAG_HISTORY", L"item0", L"新タグ");

    // Without its thumbnail the movie is not touched.
    EXPECT_EQ(Send(528, movie.link_name), 1u);
    EXPECT_EQ(answers_, std::vector<int>{0});
    EXPECT_EQ(movie.play_count, 0u);

    ASSERT_TRUE(WriteFileBytes(movie.GetThumbnailPath(), {0xFF, 0xD8}));
    EXPECT_EQ(Send(528, movie.link_name), 1u);
    EXPECT_EQ(answers_, (std::vector<int>{0, 1}));
    EXPECT_EQ(movie.play_count, 12u);
    EXPECT_EQ(movie.decode_key, 77u);
    EXPECT_EQ(data_.album_data.tag_history, std::vector<std::wstring>{L"新タグ"});
    EXPECT_NE(GetFileAttributesW((data_.album_folder + L"\\LastAlbumInfo.dat").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(UpdateWindowTest, WrongSizeOrNoTerminatorChangesNothing)
{
    ItemMovieData_CL& movie = data_.movie_list.records.back();
    ASSERT_TRUE(WriteFileBytes(movie.GetThumbnailPath(), {0xFF, 0xD8}));
    Inifile_CL(movie.ini_name).WriteString(L"MOVIE_INFO", L"play_count", L"12");
    EXPECT_EQ(Send(527, movie.link_name), 1u);
    EXPECT_TRUE(answers_.empty());
    EXPECT_EQ(Send(528, movie.link_name, true), 1u);
    EXPECT_EQ(answers_, std::vector<int>{0});
    EXPECT_EQ(movie.play_count, 0u);
}

}  // namespace
