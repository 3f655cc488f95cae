#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "AlbumTestSupport.h"
#include "core/album/ItemMovieData.h"
#include "core/album/ItemMovieDataList.h"
#include "core/base/PathName.h"

using albumtest::ParsedIni;
using albumtest::ParseUtf16Ini;

namespace {

std::wstring MakeMovieFile(const TempFolder& folder, const std::wstring& name, size_t size)
{
    std::wstring path = folder / name;
    WriteFileBytes(path, std::vector<uint8_t>(size, 0x42));
    return path;
}

ItemMovieData_CL FullRecord(const TempFolder& folder)
{
    ItemMovieData_CL record;
    record.ini_name = folder / L"contents007-00012.ini";
    record.category = L"アニメ";
    record.sub_category = L"長編";
    record.link_name = MakeMovieFile(folder, L"作品.mp4", 1234);
    record.content_name = L"作品 第1話";
    record.note = L"メモ: a=b; \"c\"";
    record.last_play_frame = 37230000000LL;
    for (int i = 0; i < ItemMovieData_CL::kSkipFrameCount; ++i)
        record.skip_frames.push_back({i * 1000LL, i == 5 ? -1LL : i * 1000LL + 500});
    for (int i = 0; i < ItemMovieData_CL::kFavoritesFrameCount; ++i)
        record.favorites_frames.push_back({L"frame" + std::to_wstring(i), i == 8 ? -2LL : (i == 9 ? -1LL : i * 10000000LL)});
    record.tags = {L"b", L"日本", L"a"};
    record.no_resume = 1;
    record.vol_offset = -12;
    record.movie_player_name = L"Player X";
    record.decodo_err = 1;
    record.play_count = 42;
    record.star_count = 5;
    record.play_date_time = 1700000000;
    record.add_date = 1600000000;
    return record;
}

TEST(MovieRecord, FullRecordRoundTrips)
{
    TempFolder folder;
    ItemMovieData_CL written = FullRecord(folder);
    written.WriteContentsIni();

    ItemMovieData_CL read;
    read.ReadContentsIni(written.ini_name);

    EXPECT_EQ(read.ini_name, written.ini_name);
    EXPECT_EQ(read.category, written.category);
    EXPECT_EQ(read.sub_category, written.sub_category);
    EXPECT_EQ(read.category_hash, NameHash(L"アニメ"));
    EXPECT_EQ(read.sub_category_hash, NameHash(L"長編"));
    EXPECT_EQ(read.link_hash, LinkNameHash(written.link_name));
    EXPECT_EQ(read.link_name, written.link_name);
    EXPECT_EQ(read.content_name, written.content_name);
    EXPECT_EQ(read.note, written.note);
    EXPECT_EQ(read.last_play_frame, written.last_play_frame);
    ASSERT_EQ(read.skip_frames.size(), 6u);
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(read.skip_frames[i].beg, written.skip_frames[i].beg) << i;
        EXPECT_EQ(read.skip_frames[i].end, written.skip_frames[i].end) << i;
    }
    ASSERT_EQ(read.favorites_frames.size(), 10u);
    for (size_t i = 0; i < 10; ++i) {
        EXPECT_EQ(read.favorites_frames[i].fav_name, written.favorites_frames[i].fav_name) << i;
        EXPECT_EQ(read.favorites_frames[i].fav, written.favorites_frames[i].fav) << i;
    }
    EXPECT_EQ(read.tags, (std::vector<std::wstring>{L"a", L"b", L"日本"}));
    EXPECT_EQ(read.tag_text, L"a,b,日本");
    EXPECT_EQ(read.no_resume, 1u);
    EXPECT_EQ(read.vol_offset, -12);
    EXPECT_EQ(read.movie_player_name, written.movie_player_name);
    EXPECT_EQ(read.decodo_err, 1u);
    EXPECT_EQ(read.play_count, 42u);
    EXPECT_EQ(read.star_count, 5u);
    EXPECT_EQ(read.play_date_time, 1700000000);
    EXPECT_EQ(read.add_date, 1600000000);
    EXPECT_EQ(read.file_size, 1234);
    EXPECT_EQ(read.file_missing, 0u);
    EXPECT_EQ(read.file_unchecked, 0u);
    EXPECT_EQ(read.run_decode, 0u);
    EXPECT_EQ(read.decode_key, 0u);
}

TEST(MovieRecord, FileHasTheSectionsKeyOrderAndValueForms)
{
    TempFolder folder;
    ItemMovieData_CL record = FullRecord(folder);
    record.WriteContentsIni();

    ParsedIni ini = ParseUtf16Ini(record.ini_name);
    EXPECT_TRUE(ini.hasMark);
    EXPECT_EQ(ini.sections, (std::vector<std::wstring>{L"MOVIE_INFO", L"CATEGORY", L"SKIP_FRAME", L"FAVORITES_FRAME",
                                                        L"TAG_INFO"}));
    EXPECT_EQ(ini.KeysOf(L"MOVIE_INFO"),
              (std::vector<std::wstring>{L"hash", L"ini_name", L"link_name", L"content_name", L"last_play_frame",
                                         L"no_resume", L"vol_offset", L"note", L"play_count", L"star_count",
                                         L"play_date_time", L"add_date", L"decodo_err", L"movie_player_name"}));
    EXPECT_EQ(ini.KeysOf(L"CATEGORY"), (std::vector<std::wstring>{L"category", L"sub_category"}));

    std::vector<std::wstring> skipKeys = {L"count"};
    for (int i = 0; i < 6; ++i) {
        skipKeys.push_back(L"beg0" + std::to_wstring(i));
        skipKeys.push_back(L"end0" + std::to_wstring(i));
    }
    EXPECT_EQ(ini.KeysOf(L"SKIP_FRAME"), skipKeys);
    std::vector<std::wstring> favoriteKeys = {L"count"};
    for (int i = 0; i < 10; ++i) {
        favoriteKeys.push_back(L"fav_name0" + std::to_wstring(i));
        favoriteKeys.push_back(L"fav0" + std::to_wstring(i));
    }
    EXPECT_EQ(ini.KeysOf(L"FAVORITES_FRAME"), favoriteKeys);
    EXPECT_EQ(ini.KeysOf(L"TAG_INFO"), (std::vector<std::wstring>{L"count", L"item0", L"item1", L"item2"}));

    EXPECT_EQ(ini.Value(L"MOVIE_INFO", L"hash"), std::to_wstring(static_cast<int32_t>(LinkNameHash(record.link_name))));
    EXPECT_EQ(ini.Value(L"MOVIE_INFO", L"last_play_frame"), L"00000008:ab14b780");
    EXPECT_EQ(ini.Value(L"MOVIE_INFO", L"play_date_time"), L"00000000:6553f100");
    EXPECT_EQ(ini.Value(L"MOVIE_INFO", L"vol_offset"), L"-12");
    EXPECT_EQ(ini.Value(L"MOVIE_INFO", L"decodo_err"), L"1");
    EXPECT_EQ(ini.Value(L"MOVIE_INFO", L"note"), L"メモ: a=b; \"c\"");
    EXPECT_EQ(ini.Value(L"SKIP_FRAME", L"count"), L"6");
    EXPECT_EQ(ini.Value(L"SKIP_FRAME", L"end05"), L"ffffffff:ffffffff");
    EXPECT_EQ(ini.Value(L"FAVORITES_FRAME", L"fav01"), L"00000000:00989680");
    EXPECT_EQ(ini.Value(L"FAVORITES_FRAME", L"fav08"), L"ffffffff:fffffffe");
    EXPECT_EQ(ini.Value(L"TAG_INFO", L"item1"), L"日本");
    // Values that only live in memory never reach the file.
    for (const wchar_t* key : {L"run_decode", L"tag_text", L"file_unchecked", L"file_time", L"file_size",
                               L"decode_key", L"file_missing"})
        EXPECT_EQ(ini.Count(L"MOVIE_INFO", key), 0) << key;
}

TEST(MovieRecord, MissingFileGivesDefaultsAndAnEmptyUnicodeFile)
{
    TempFolder folder;
    std::wstring path = folder / L"contents000-00000.ini";
    ItemMovieData_CL record;
    record.ReadContentsIni(path);

    EXPECT_EQ(record.ini_name, path);
    EXPECT_EQ(record.last_play_frame, -1);
    EXPECT_EQ(record.play_date_time, -1);
    EXPECT_GT(record.add_date, 1600000000);  // "now"
    EXPECT_EQ(record.skip_frames.size(), 6u);
    EXPECT_EQ(record.favorites_frames.size(), 10u);
    EXPECT_TRUE(record.tags.empty());
    EXPECT_EQ(record.file_missing, 1u);
    EXPECT_EQ(record.file_unchecked, 1u);
    EXPECT_EQ(ReadFileBytes(path), (std::vector<uint8_t>{0xFF, 0xFE}));
}

TEST(MovieRecord, SkipCountOfTwoLoadsSixRangesAndIsRewrittenWithSix)
{
    TempFolder folder;
    std::wstring path = albumtest::CopyFixture(L"contents_skip_count2.ini", folder.Path());
    ItemMovieData_CL record;
    record.ReadContentsIni(path);

    ASSERT_EQ(record.skip_frames.size(), 6u);
    EXPECT_EQ(record.skip_frames[0].beg, 100);
    EXPECT_EQ(record.skip_frames[0].end, 200);
    EXPECT_EQ(record.skip_frames[1].beg, 0x100000000LL);
    EXPECT_EQ(record.skip_frames[1].end, 0x100000010LL);
    for (size_t i = 2; i < 6; ++i) {
        EXPECT_EQ(record.skip_frames[i].beg, -1) << i;
        EXPECT_EQ(record.skip_frames[i].end, -1) << i;
    }

    record.WriteContentsIni();
    ParsedIni ini = ParseUtf16Ini(path);
    EXPECT_EQ(ini.Value(L"SKIP_FRAME", L"count"), L"6");
    EXPECT_EQ(ini.Value(L"SKIP_FRAME", L"beg05"), L"ffffffff:ffffffff");
}

TEST(MovieRecord, MissingFavoritesSectionGivesTenUnsetFrames)
{
    TempFolder folder;
    ItemMovieData_CL record;
    record.ReadContentsIni(albumtest::CopyFixture(L"contents_no_favorites.ini", folder.Path()));
    ASSERT_EQ(record.favorites_frames.size(), 10u);
    for (const auto& frame : record.favorites_frames) {
        EXPECT_TRUE(frame.fav_name.empty());
        EXPECT_EQ(frame.fav, -1);
    }
}

TEST(MovieRecord, EmptyTagItemIsSkippedAndTagsAreSorted)
{
    TempFolder folder;
    ItemMovieData_CL record;
    record.ReadContentsIni(albumtest::CopyFixture(L"contents_tags_empty_item.ini", folder.Path()));
    EXPECT_EQ(record.tags, (std::vector<std::wstring>{L"alpha", L"zeta"}));
    EXPECT_EQ(record.tag_text, L"alpha,zeta");
}

TEST(MovieRecord, AnsiFileWithoutTagsIsMigratedOnce)
{
    ASSERT_EQ(GetACP(), 932u) << "the fixture is Shift_JIS text";
    TempFolder folder;
    std::wstring path = albumtest::CopyFixture(L"contents_ansi_no_tags.ini", folder.Path());
    ItemMovieData_CL record;
    record.ReadContentsIni(path);

    EXPECT_EQ(record.content_name, L"旧作品のタイトル");
    EXPECT_EQ(record.note, L"古いメモ");
    EXPECT_EQ(record.star_count, 4u);

    ParsedIni ini = ParseUtf16Ini(path);
    ASSERT_TRUE(ini.hasMark);
    EXPECT_EQ(ini.Value(L"MOVIE_INFO", L"content_name"), L"旧作品のタイトル");
    EXPECT_EQ(ini.Value(L"MOVIE_INFO", L"link_name"), L"C:\\movies\\旧作品.avi");
    EXPECT_EQ(ini.Value(L"MOVIE_INFO", L"star_count"), L"4");
    EXPECT_EQ(ini.Value(L"MOVIE_INFO", L"play_count"), L"7");
    EXPECT_EQ(ini.Value(L"CATEGORY", L"category"), L"アニメ");
    EXPECT_EQ(ini.Value(L"CATEGORY", L"sub_category"), L"長編");
    EXPECT_EQ(ini.Value(L"FAVORITES_FRAME", L"fav_name00"), L"冒頭");
    EXPECT_EQ(ini.Value(L"FAVORITES_FRAME", L"fav00"), L"00000000:00989680");
    EXPECT_EQ(ini.Value(L"SKIP_FRAME", L"count"), L"6");
    EXPECT_EQ(ini.Value(L"TAG_INFO", L"count"), L"0");
    EXPECT_EQ(ini.Count(L"MOVIE_INFO", L"movie_player_name"), 1);

    std::vector<uint8_t> migrated = ReadFileBytes(path);
    ItemMovieData_CL again;
    again.ReadContentsIni(path);
    EXPECT_EQ(ReadFileBytes(path), migrated);
    EXPECT_EQ(again.content_name, L"旧作品のタイトル");
}

TEST(MovieRecord, AnsiFileWithTagsIsNeverRewritten)
{
    ASSERT_EQ(GetACP(), 932u) << "the fixture is Shift_JIS text";
    TempFolder folder;
    std::wstring path = albumtest::CopyFixture(L"contents_ansi_with_tags.ini", folder.Path());
    std::vector<uint8_t> original = ReadFileBytes(path);
    ItemMovieData_CL record;
    record.ReadContentsIni(path);
    EXPECT_EQ(record.content_name, L"タグ付きの旧作品");
    EXPECT_EQ(record.tags, (std::vector<std::wstring>{L"旧タグ"}));
    EXPECT_EQ(ReadFileBytes(path), original);
}

TEST(MovieRecord, MultiLineNoteSurvivesAndInjectsNoKey)
{
    TempFolder folder;
    ItemMovieData_CL record;
    record.ini_name = folder / L"contents001-00000.ini";
    record.star_count = 2;
    record.play_count = 3;
    record.note = L"first line\r\nstar_count=5\r\n[TAG_INFO]\r\ncount=9\r\n\r\nlast";
    record.content_name = L"title\r\nplay_count=99";
    record.WriteContentsIni();

    ParsedIni ini = ParseUtf16Ini(record.ini_name);
    EXPECT_EQ(ini.Count(L"MOVIE_INFO", L"star_count"), 1);
    EXPECT_EQ(ini.Value(L"MOVIE_INFO", L"star_count"), L"2");
    EXPECT_EQ(ini.Count(L"MOVIE_INFO", L"play_count"), 1);
    EXPECT_EQ(ini.Count(L"TAG_INFO", L"count"), 1);
    EXPECT_EQ(ini.Value(L"TAG_INFO", L"count"), L"0");
    EXPECT_EQ(ini.Value(L"MOVIE_INFO", L"note"),
              L"first line\x2028star_count=5\x2028[TAG_INFO]\x2028" L"count=9\x2028\x2028last");
    EXPECT_EQ(ini.Value(L"MOVIE_INFO", L"content_name"), L"titleplay_count=99");

    ItemMovieData_CL read;
    read.ReadContentsIni(record.ini_name);
    EXPECT_EQ(read.note, record.note);
    EXPECT_EQ(read.star_count, 2u);
    EXPECT_EQ(read.play_count, 3u);
    EXPECT_TRUE(read.tags.empty());
}

TEST(MovieRecord, LoneLineBreaksOfTheNoteReadBackAsCrLf)
{
    TempFolder folder;
    ItemMovieData_CL record;
    record.ini_name = folder / L"contents001-00001.ini";
    record.note = L"a\nb\rc";
    record.WriteContentsIni();
    ItemMovieData_CL read;
    read.ReadContentsIni(record.ini_name);
    EXPECT_EQ(read.note, L"a\r\nb\r\nc");
}

TEST(MovieRecord, NoteLongerThanTheIniReadBufferSurvives)
{
    TempFolder folder;
    ItemMovieData_CL record;
    record.ini_name = folder / L"contents001-00002.ini";
    for (int i = 0; i < 1500; ++i) record.note += L"行" + std::to_wstring(i) + L"\r\n";
    ASSERT_GT(record.note.size(), 8000u);
    record.WriteContentsIni();
    ItemMovieData_CL read;
    read.ReadContentsIni(record.ini_name);
    EXPECT_EQ(read.note, record.note);
}

TEST(MovieRecord, FileInfoIsReadWhileAnotherProgramHoldsTheMovieExclusively)
{
    TempFolder folder;
    ItemMovieData_CL record;
    record.link_name = MakeMovieFile(folder, L"held.mp4", 4321);
    // 2020-01-01 00:00:00 UTC as a FILETIME.
    ULARGE_INTEGER stamp;
    stamp.QuadPart = 116444736000000000ULL + 1577836800ULL * 10000000ULL;
    FILETIME time = {stamp.LowPart, stamp.HighPart};
    HANDLE player = CreateFileW(record.link_name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(player, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(SetFileTime(player, nullptr, nullptr, &time));

    record.UpdateFileInfo();
    CloseHandle(player);
    EXPECT_EQ(record.file_size, 4321);
    EXPECT_EQ(record.file_time, 1577836800);
}

TEST(MovieRecord, FileInfoOfAMissingMovieKeepsTheValues)
{
    ItemMovieData_CL record;
    record.link_name = L"C:\\no\\such\\movie.mp4";
    record.file_size = 77;
    record.file_time = 88;
    record.UpdateFileInfo();
    EXPECT_EQ(record.file_size, 77);
    EXPECT_EQ(record.file_time, 88);
}

TEST(MovieRecord, TagsSortByCodeUnitShorterFirst)
{
    ItemMovieData_CL record;
    record.tags = {L"ab", L"あ", L"a", L"B"};
    record.SortTags();
    EXPECT_EQ(record.tags, (std::vector<std::wstring>{L"B", L"a", L"ab", L"あ"}));
    EXPECT_EQ(record.tag_text, L"B,a,ab,あ");
}

TEST(MovieRecord, ThumbnailPathReplacesTheExtension)
{
    ItemMovieData_CL record;
    record.ini_name = L"C:\\d\\Reelvault\\ALBUM_0001\\contents\\007\\contents007-00012.ini";
    EXPECT_EQ(record.GetThumbnailPath(), L"C:\\d\\Reelvault\\ALBUM_0001\\contents\\007\\contents007-00012.jpg");
}

struct HashCase {
    const wchar_t* text;
    uint32_t nameHash;
    uint32_t linkHash;
};

TEST(NameHash, Vectors)
{
    const HashCase cases[] = {
        {L"", 0u, 0u},
        {L"a", 97u, 100u},
        {L"ab", 389u, 2u * 9 + 97 * 3 + 98},
        {L"\xFFFF", 0xFFFFu, 3u + 0xFFFF},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NameHash(c.text), c.nameHash) << c.nameHash;
        EXPECT_EQ(LinkNameHash(c.text), c.linkHash) << c.linkHash;
    }
    // Both wrap at 32 bits.
    std::wstring longName(30, L'z');
    uint32_t expected = 0;
    for (wchar_t unit : longName) expected = expected * 3 + unit;
    EXPECT_EQ(NameHash(longName), expected);
}

TEST(MovieRecord, ContentsFoldersStayBetween000And099)
{
    std::vector<std::wstring> paths = {L"", L"a", L"C:\\movies\\作品.mp4", std::wstring(300, L'\xFFFF')};
    for (int i = 0; i < 500; ++i) paths.push_back(L"D:\\動画\\clip" + std::to_wstring(i * 7919) + L".avi");
    for (const auto& path : paths) {
        uint32_t folder = ItemMovieData_CL::GetContentsFolderNumber(path);
        EXPECT_LT(folder, 100u);
        EXPECT_EQ(folder, LinkNameHash(path) % 100u);
    }
    // A hash with its top bit set is still taken unsigned.
    std::wstring high;
    for (wchar_t unit = L'a'; LinkNameHash(high) < 0x80000000u; unit = unit == L'z' ? L'a' : unit + 1) high += unit;
    EXPECT_EQ(ItemMovieData_CL::GetContentsFolderNumber(high), LinkNameHash(high) % 100u);

    EXPECT_EQ(ItemMovieData_CL::MakeContentsIniPath(L"C:\\root", L"ALBUM_0002", 7, 12),
              L"C:\\root\\Reelvault\\ALBUM_0002\\contents\\007\\contents007-00012.ini");
}

TEST(MovieList, SelectsByCategoryAndAll)
{
    ItemMovieDataList_CL list;
    for (const wchar_t* category : {L"A", L"B", L"A", L""}) {
        ItemMovieData_CL record;
        record.category = category;
        record.UpdateCategoryHash();
        list.records.push_back(record);
    }
    ItemMovieView_CL view;
    EXPECT_EQ(list.SelectByCategory(L"A", view), 4);
    EXPECT_EQ(view.records, &list.records);
    EXPECT_EQ(view.indices, (std::vector<int32_t>{0, 2}));
    list.SelectByCategory(L"", view);
    EXPECT_EQ(view.indices, (std::vector<int32_t>{3}));
    list.SelectAll(view);
    EXPECT_EQ(view.indices, (std::vector<int32_t>{0, 1, 2, 3}));
}

TEST(MovieList, EqualHashesAloneAreNoMatch)
{
    // NUL followed by U+0185 hashes to 389, like "ab".
    std::wstring a = L"ab";
    std::wstring b = {static_cast<wchar_t>(0), static_cast<wchar_t>(389)};
    ASSERT_EQ(NameHash(a), NameHash(b));
    ItemMovieDataList_CL list;
    ItemMovieData_CL record;
    record.category = b;
    record.UpdateCategoryHash();
    list.records.push_back(record);
    ItemMovieView_CL view;
    list.SelectByCategory(a, view);
    EXPECT_TRUE(view.indices.empty());
}

}  // namespace
