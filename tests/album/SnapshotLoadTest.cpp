#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "core/album/AlbumFiles.h"
#include "core/album/ItemCategoryData.h"
#include "core/album/ItemMovieDataList.h"
#include "core/base/IniSnapshot.h"
#include "core/base/Inifile.h"
#include "tests/album/AlbumTestSupport.h"
#include "tests/common/TempFolder.h"

namespace {

// Every field a load fills, in one line, so that two loads compare record by record.
std::wstring Describe(const ItemMovieData_CL& r)
{
    std::wstring line = r.ini_name + L"|" + r.link_name + L"|" + r.content_name + L"|" + r.category + L"|" +
                        r.sub_category + L"|" + r.note + L"|" + r.tag_text + L"|" + r.movie_player_name + L"|";
    for (int64_t value : {static_cast<int64_t>(r.link_hash), r.last_play_frame, static_cast<int64_t>(r.no_resume),
                          static_cast<int64_t>(r.vol_offset), static_cast<int64_t>(r.decodo_err),
                          static_cast<int64_t>(r.play_count), static_cast<int64_t>(r.star_count), r.play_date_time,
                          r.add_date, static_cast<int64_t>(r.run_decode), static_cast<int64_t>(r.decode_key),
                          static_cast<int64_t>(r.file_missing), static_cast<int64_t>(r.file_unchecked),
                          static_cast<int64_t>(r.category_hash), static_cast<int64_t>(r.sub_category_hash)})
        line += std::to_wstring(value) + L",";
    for (const auto& range : r.skip_frames) line += std::to_wstring(range.beg) + L"-" + std::to_wstring(range.end) + L";";
    for (const auto& frame : r.favorites_frames) line += frame.fav_name + L":" + std::to_wstring(frame.fav) + L";";
    return line;
}

// Record shapes a real album holds: Japanese names, notes over several lines, quotes,
// many tags, positions set and unset, a note longer than one profile read.
std::vector<std::vector<uint8_t>> TemplateFiles(const std::wstring& folder)
{
    std::vector<std::vector<uint8_t>> files;
    for (int shape = 0; shape < 12; ++shape) {
        ItemMovieData_CL movie;
        movie.ini_name = folder + L"\\template" + std::to_wstring(shape) + L".ini";
        movie.link_name = L"C:\\動画\\NAME_" + std::to_wstring(shape) + L".mp4";
        movie.content_name = shape % 3 ? L"NAME の記録" : L"\"NAME\" 'quoted'";
        movie.category = shape % 4 ? L"映画" : L"";
        movie.sub_category = shape % 5 ? L"SF" : L"";
        movie.note = shape % 2 ? L"一行目\r\n二行目 NAME\r\n\r\n四行目" : std::wstring(shape * 700, L'長');
        movie.play_count = static_cast<uint32_t>(shape * 3);
        movie.star_count = static_cast<uint32_t>(shape % 6);
        movie.last_play_frame = shape % 2 ? -1 : 123456789LL * shape;
        movie.play_date_time = 0x100000000LL * shape + 7;
        movie.add_date = 1700000000 + shape;
        movie.vol_offset = -shape;
        movie.run_decode = shape % 2;
        movie.movie_player_name = shape % 3 ? L"" : L"プレーヤー";
        for (int t = 0; t < shape * 2; ++t) movie.tags.push_back(L"タグ" + std::to_wstring(t));
        movie.skip_frames.resize(ItemMovieData_CL::kSkipFrameCount);
        if (shape % 2) movie.skip_frames[1] = {100, 200};
        movie.favorites_frames.resize(ItemMovieData_CL::kFavoritesFrameCount);
        for (int f = 0; f < shape && f < ItemMovieData_CL::kFavoritesFrameCount; ++f)
            movie.favorites_frames[f] = {L"frame" + std::to_wstring(f), 1000LL * f};
        movie.WriteContentsIni();
        files.push_back(ReadFileBytes(movie.ini_name));
        DeleteFileW(movie.ini_name.c_str());
    }
    return files;
}

TEST(SnapshotLoad, AlbumOfTwoThousandMoviesLoadsToTheSameRecordsBothWays)
{
    TempFolder folder;
    const std::wstring album = folder / L"ALBUM_0001";
    CreateDirectoryW(album.c_str(), nullptr);
    CreateDirectoryW((album + L"\\contents").c_str(), nullptr);
    for (int f = 0; f < 100; ++f) {
        wchar_t name[16];
        _snwprintf(name, 16, L"%03d", f);
        CreateDirectoryW((album + L"\\contents\\" + name).c_str(), nullptr);
    }
    const auto templates = TemplateFiles(folder.Path());
    for (int i = 0; i < 2000; ++i) {
        wchar_t name[64];
        _snwprintf(name, 64, L"\\contents\\%03d\\contents%03d-%05d.ini", i % 100, i % 100, i);
        const std::wstring path = album + name;
        if (i % 400 == 7) {
            // Files of an older version, in the system code page: both ways read them through
            // the profile functions.
            ASSERT_TRUE(WriteFileBytes(path, ReadFileBytes(albumtest::FixturePath(L"contents_ansi_with_tags.ini"))));
            continue;
        }
        std::vector<uint8_t> bytes =
            SubstituteUtf16(templates[static_cast<size_t>(i) % templates.size()], L"NAME", L"movie" + std::to_wstring(i));
        ASSERT_TRUE(WriteFileBytes(path, bytes));
    }

    ItemMovieDataList_CL viaSnapshots;
    viaSnapshots.Load(album);
    ItemMovieDataList_CL viaProfile;
    viaProfile.read_with_snapshots = false;
    viaProfile.Load(album);

    ASSERT_EQ(viaSnapshots.records.size(), 2000u);
    ASSERT_EQ(viaProfile.records.size(), 2000u);
    for (size_t i = 0; i < viaProfile.records.size(); ++i) {
        // The old files carry no add_date: each read stamps the time of that read.
        const std::wstring& name = viaProfile.records[i].ini_name;
        if (_wtoi(name.substr(name.size() - 9, 5).c_str()) % 400 == 7)
            viaSnapshots.records[i].add_date = viaProfile.records[i].add_date;
        ASSERT_EQ(Describe(viaSnapshots.records[i]), Describe(viaProfile.records[i])) << "record " << i;
    }
}

// A damaged list count costs nothing beyond the keys that are there, whichever way the
// file is read, and the entries that are there are all read.
TEST(SnapshotLoad, HugeListCountsReadOnlyTheKeysPresent)
{
    TempFolder folder;
    const std::wstring contents = folder / L"contents.ini";
    albumtest::WriteUtf16Text(contents, L"[MOVIE_INFO]\nlink_name=C:\\m.mp4\n[TAG_INFO]\ncount=2000000000\n"
                                        L"item0=b\nitem1=\nITEM7=a\nitem99999999=never\n");
    const std::wstring category = folder / L"category.ini";
    const std::wstring movie = folder / L"listed.mp4";
    ASSERT_TRUE(WriteFileBytes(movie, {1}));
    albumtest::WriteUtf16Text(category, L"[CATEGORY]\ncategory=c\n[PLAYLIST]\nitem_count=2000000000\nitem0003=" +
                                            movie + L"\n");

    IniSnapshot_CL snapshot;
    ASSERT_TRUE(snapshot.Load(contents));
    EXPECT_EQ(StoredListLength(snapshot, L"TAG_INFO", 2000000000), 8);
    EXPECT_EQ(StoredListLength(Inifile_CL(contents), L"TAG_INFO", 2000000000), 8);
    EXPECT_EQ(StoredListLength(snapshot, L"TAG_INFO", 3), 2);
    EXPECT_EQ(StoredListLength(snapshot, L"TAG_INFO", 0), 0);

    for (bool useSnapshot : {true, false}) {
        ItemMovieData_CL record;
        if (useSnapshot)
            record.ReadContentsIni(contents, snapshot);
        else
            record.ReadContentsIni(contents);
        EXPECT_EQ(record.tags, (std::vector<std::wstring>{L"a", L"b"})) << useSnapshot;

        ItemCategoryData_CL playlist;
        IniSnapshot_CL categorySnapshot;
        ASSERT_TRUE(categorySnapshot.Load(category));
        if (useSnapshot)
            playlist.ReadIni(category, categorySnapshot);
        else
            playlist.ReadIni(category);
        EXPECT_EQ(playlist.playlist, (std::vector<std::wstring>{movie})) << useSnapshot;
    }
}

}  // namespace

namespace {

// A new contents file written in one piece holds the very bytes the profile functions
// leave after writing the record key by key into an empty file.
TEST(NewContentsFile, OnePieceEqualsKeyByKey)
{
    struct Case {
        const char* what;
        void (*fill)(ItemMovieData_CL&);
    };
    const Case cases[] = {
        {"defaults", [](ItemMovieData_CL&) {}},
        {"Japanese with a note over several lines",
         [](ItemMovieData_CL& m) {
             m.link_name = L"D:\\動画\\となりの動画.mp4";
             m.content_name = L"となりの動画 ～特別編～";
             m.category = L"映画";
             m.sub_category = L"アニメ";
             m.note = L"一行目\r\n二行目\n三行目\r\r\n";
             m.tags = {L"ドラマ", L"2024", L"\xD83C\xDFAC"};
         }},
        {"leading blanks, quotes, = and brackets",
         [](ItemMovieData_CL& m) {
             m.content_name = L"   spaced";
             m.note = L"\t \"quoted note\"";
             m.movie_player_name = L"a=b [c]";
             m.category = L"'single'";
         }},
        {"uncertain blank first (written key by key)",
         [](ItemMovieData_CL& m) {
             m.content_name = L"\x3000全角スペース";
             m.note = L"\x2028";
         }},
        {"numbers at their limits",
         [](ItemMovieData_CL& m) {
             m.play_count = 0xFFFFFFFF;
             m.vol_offset = -2147483647 - 1;
             m.last_play_frame = INT64_MIN;
             m.play_date_time = INT64_MAX;
             m.add_date = 0;
             m.skip_frames.assign(ItemMovieData_CL::kSkipFrameCount, SkipFrameEntry());
             m.skip_frames[3] = {1, 2};
             m.favorites_frames.assign(ItemMovieData_CL::kFavoritesFrameCount, FavoritesFrameEntry());
             m.favorites_frames[9] = {L"最後", 99};
         }},
        {"a long note and many tags",
         [](ItemMovieData_CL& m) {
             m.note = std::wstring(10000, L'長');
             for (int i = 0; i < 40; ++i) m.tags.push_back(L"tag" + std::to_wstring(i));
         }},
    };
    TempFolder folder;
    const std::wstring path = folder / L"contents000-00001.ini";
    for (const Case& c : cases) {
        ItemMovieData_CL keyByKey;
        c.fill(keyByKey);
        keyByKey.ini_name = path;
        ItemMovieData_CL onePiece = keyByKey;
        keyByKey.WriteContentsIni();
        const std::vector<uint8_t> expected = ReadFileBytes(path);
        ASSERT_TRUE(DeleteFileW(path.c_str()));
        onePiece.WriteNewContentsIni();
        EXPECT_EQ(ReadFileBytes(path), expected) << c.what;
        DeleteFileW(path.c_str());
    }
}

}  // namespace
