// The album store's side of the start-up: what it must not do before an album is loaded,
// the decode keys of one run against another's, and the first album opened when the key
// lock was not satisfied.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <set>

#include "core/album/SaveData.h"
#include "core/base/Log.h"
#include "tests/album/AlbumTestSupport.h"
#include "tests/common/TempFolder.h"

namespace {

// Points the program log at a file of the test for its lifetime.
class LogCapture {
public:
    explicit LogCapture(const std::wstring& path) : saved_(AppLog.path) { AppLog.path = path; }
    ~LogCapture() { AppLog.path = saved_; }

private:
    std::wstring saved_;
};

TEST(CoreFixes, SaveAllBeforeAnAlbumIsLoadedWritesNothing)
{
    // The cache path is the album folder + "\LastAlbumInfo.dat": with no album folder yet it
    // names the root of the current drive.
    const std::wstring rootCache = L"\\LastAlbumInfo.dat";
    if (GetFileAttributesW(rootCache.c_str()) != INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "a cache lies at the root";
    TempFolder folder;
    LogCapture log(folder / L"log.txt");

    SaveData_CL data;
    data.movie_list.records.emplace_back();
    data.movie_list.records.back().link_name = L"C:\\movies\\a.mp4";
    EXPECT_EQ(data.SaveAll(), 0);
    EXPECT_EQ(GetFileAttributesW(rootCache.c_str()), INVALID_FILE_ATTRIBUTES);
    DeleteFileW(rootCache.c_str());

    data.reload_flag = 1;
    EXPECT_EQ(data.SaveAll(), 0);
    EXPECT_EQ(ReadUtf16File(folder / L"log.txt").find(L"データ保存"), std::wstring::npos);
}

TEST(CoreFixes, DecodeKeysOfTwoRunsDoNotMeet)
{
    ItemMovieDataList_CL first;
    ItemMovieDataList_CL second;
    first.StartDecodeKeysAtRandom();
    second.StartDecodeKeysAtRandom();
    std::set<uint32_t> keys;
    for (int i = 0; i < 1000; ++i) {
        const uint32_t key = first.TakeDecodeKey();
        ASSERT_NE(key, 0u);
        keys.insert(key);
    }
    for (int i = 0; i < 1000; ++i) {
        const uint32_t key = second.TakeDecodeKey();
        ASSERT_NE(key, 0u);
        EXPECT_EQ(keys.count(key), 0u) << key;
    }
}

TEST(CoreFixes, KeysPastTheTopSkipZero)
{
    ItemMovieDataList_CL list;
    list.next_decode_key = 0xFFFFFFFFu;
    EXPECT_EQ(list.TakeDecodeKey(), 0xFFFFFFFFu);
    EXPECT_EQ(list.TakeDecodeKey(), 1u);
}

TEST(CoreFixes, OpenFirstAlbumFlagWinsOverTheLastIndex)
{
    albumtest::DocumentsSandbox sandbox;
    CreateDirectoryW(sandbox.dataFolder().c_str(), nullptr);
    SaveData_CL data;
    data.program_ini.SetPath(sandbox.dataFolder() + L"\\Reelvault.ini");
    data.program_ini.WriteInt(1, L"ALBUM_INFO", L"last_index");

    data.album_data.LoadAlbumList();
    EXPECT_EQ(data.album_data.current_index, 1);

    // The splash gave up on album 1's lock: every later read of the list opens album 0.
    data.album_data.open_first_album = 1;
    data.album_data.current_index = 0;
    data.LoadAlbum();
    EXPECT_EQ(data.album_data.current_index, 0);
    EXPECT_EQ(data.album_data.GetCurrentAlbumName(), L"ALBUM_0001");
    EXPECT_NE(data.album_folder.find(L"ALBUM_0001"), std::wstring::npos);
}

}  // namespace
