#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "core/album/AlbumData.h"
#include "core/album/ItemMovieDataList.h"
#include "core/base/Log.h"
#include "tests/album/AlbumTestSupport.h"
#include "tests/common/TempFolder.h"

namespace {

using albumtest::DocumentsSandbox;

// The two records the independent writer (cache_golden.py) describes.
std::vector<ItemMovieData_CL> GoldenRecords()
{
    ItemMovieData_CL a;
    a.ini_name = L"Z:\\nowhere\\ALBUM_0001\\contents\\017\\contents017-00003.ini";
    a.link_name = L"C:\\movies\\abc.mp4";
    a.content_name = L"abc";
    a.last_play_frame = 0x0123456789AB;
    a.no_resume = 1;
    a.vol_offset = -5;
    a.category = L"映画";
    a.note = L"note\r\nline2";
    a.play_count = 3;
    a.star_count = 4;
    a.play_date_time = 1700000000;
    a.add_date = -1;
    a.decodo_err = 0;
    for (int i = 0; i < 6; ++i) a.skip_frames.push_back({i * 10, i * 10 + 5});
    for (int i = 0; i < 10; ++i) a.favorites_frames.push_back({L"f" + std::to_wstring(i), i == 2 ? 123456 : -1});
    a.file_unchecked = 0;
    a.file_size = 5000000000LL;
    a.file_time = 1600000000;
    a.tags = {L"drama", L"あ"};
    a.movie_player_name = L"MPC";

    ItemMovieData_CL b;
    b.ini_name = L"Z:\\nowhere\\ALBUM_0001\\contents\\099\\contents099-99999.ini";
    b.link_name = L"D:\\" + std::wstring(300, L'長');
    b.content_name = std::wstring(300, L'x');
    b.last_play_frame = -1;
    b.category = std::wstring(40, L'c');
    b.sub_category = L"サブ";
    b.note = std::wstring(1200, L'n');
    b.play_count = 0xFFFFFFFF;
    b.add_date = 0;
    b.decodo_err = 1;
    b.skip_frames.assign(6, SkipFrameEntry());
    b.favorites_frames.assign(10, FavoritesFrameEntry());
    b.favorites_frames[0] = {std::wstring(40, L'z'), -2};
    b.file_unchecked = 1;
    b.file_size = 0;
    b.file_time = 0;
    for (int i = 0; i < 25; ++i) b.tags.push_back((i < 10 ? L"t0" : L"t") + std::to_wstring(i));
    return {a, b};
}

TEST(FastStartCache, WriterMatchesTheIndependentLayout)
{
    TempFolder album;
    ItemMovieDataList_CL list;
    list.records = GoldenRecords();
    ASSERT_EQ(list.SaveFastStart(album.Path()), 0);
    std::vector<uint8_t> expected = ReadFileBytes(albumtest::HostPath(REELVAULT_ALBUM_GOLDEN));
    ASSERT_EQ(expected.size(), 12u + 2 * 7342);
    EXPECT_TRUE(ReadFileBytes(album / L"LastAlbumInfo.dat") == expected);
    EXPECT_EQ(GetFileAttributesW((album / L"LastAlbumInfo.dat.tmp").c_str()), INVALID_FILE_ATTRIBUTES);
}

// An album folder under the test's data root, with its log pointed at a file of its own.
class CacheLoadTest : public testing::Test {
protected:
    void SetUp() override
    {
        CreateDirectoryW(sandbox_.dataFolder().c_str(), nullptr);
        CreateAlbumFolders(L"ALBUM_0002");
        album_ = sandbox_.dataFolder() + L"\\ALBUM_0002";
        savedLog_ = AppLog;
        AppLog.path = log_ / L"log.txt";
    }
    void TearDown() override { AppLog = savedLog_; }

    std::wstring ContentsPath(int folder, int number) const
    {
        return ItemMovieData_CL::MakeContentsIniPath(sandbox_.documents(), L"ALBUM_0002", folder, number);
    }
    // Two ordinary records saved in the album's cache; returns the cache's bytes.
    std::vector<uint8_t> SaveTwo()
    {
        ItemMovieDataList_CL list;
        list.records = GoldenRecords();
        list.records[0].ini_name = ContentsPath(17, 3);
        list.records[1].ini_name = ContentsPath(99, 99999);
        EXPECT_EQ(list.SaveFastStart(album_), 0);
        return ReadFileBytes(album_ + L"\\LastAlbumInfo.dat");
    }
    std::wstring LogText() { return ReadUtf16File(log_ / L"log.txt"); }

    DocumentsSandbox sandbox_;
    TempFolder log_;
    std::wstring album_;
    Logger savedLog_;
};

TEST_F(CacheLoadTest, TwoRecordsComeBackAsTheyWereStored)
{
    SaveTwo();
    ItemMovieDataList_CL list;
    list.next_decode_key = 41;
    ASSERT_EQ(list.LoadFastStart(album_), 0);
    ASSERT_EQ(list.records.size(), 2u);
    std::vector<ItemMovieData_CL> want = GoldenRecords();

    const ItemMovieData_CL& a = list.records[0];
    EXPECT_EQ(a.ini_name, ContentsPath(17, 3));
    EXPECT_EQ(a.link_name, want[0].link_name);
    EXPECT_EQ(a.link_hash, LinkNameHash(want[0].link_name));
    EXPECT_EQ(a.note, want[0].note);
    EXPECT_EQ(a.vol_offset, -5);
    EXPECT_EQ(a.last_play_frame, 0x0123456789ABLL);
    EXPECT_EQ(a.skip_frames[5].end, 55);
    EXPECT_EQ(a.favorites_frames[2].fav, 123456);
    EXPECT_EQ(a.favorites_frames[9].fav_name, L"f9");
    EXPECT_EQ(a.tags, want[0].tags);
    EXPECT_EQ(a.category_hash, NameHash(L"映画"));
    EXPECT_EQ(a.decode_key, 41u);
    EXPECT_EQ(a.run_decode, 0u);
    EXPECT_EQ(a.file_missing, 0u);
    // Saving created the contents ini that was missing.
    EXPECT_NE(GetFileAttributesW(a.ini_name.c_str()), INVALID_FILE_ATTRIBUTES);

    const ItemMovieData_CL& b = list.records[1];
    EXPECT_EQ(b.content_name, std::wstring(260, L'x'));
    EXPECT_EQ(b.note, std::wstring(1000, L'n'));
    EXPECT_EQ(b.category, std::wstring(32, L'c'));
    EXPECT_EQ(b.favorites_frames[0].fav_name, std::wstring(32, L'z'));
    EXPECT_EQ(b.favorites_frames[0].fav, -2);
    EXPECT_EQ(b.play_count, 0xFFFFFFFFu);
    ASSERT_EQ(b.tags.size(), 20u);  // the first twenty in sorted order
    EXPECT_EQ(b.tags.back(), L"t19");
    EXPECT_EQ(b.decode_key, 42u);

    std::wstring log = LogText();
    EXPECT_NE(log.find(L"読み込み(開始)"), std::wstring::npos);
    EXPECT_NE(log.find(L"読み込み(終了)"), std::wstring::npos);
}

TEST_F(CacheLoadTest, FramesMissingFromTheCacheComeBackAtZero)
{
    ItemMovieDataList_CL list;
    list.records = GoldenRecords();
    list.records.resize(1);
    list.records[0].ini_name = ContentsPath(17, 3);
    list.records[0].favorites_frames.resize(3);
    ASSERT_EQ(list.SaveFastStart(album_), 0);
    ASSERT_EQ(list.LoadFastStart(album_), 0);
    ASSERT_EQ(list.records[0].favorites_frames.size(), 10u);
    EXPECT_EQ(list.records[0].favorites_frames[2].fav, 123456);
    EXPECT_EQ(list.records[0].favorites_frames[3].fav, 0);
    EXPECT_EQ(list.records[0].favorites_frames[3].fav_name, L"");
}

// Any split of an item's size between skip ranges and frames loads: 43 ranges and 2 frames
// fill exactly the bytes of 6 ranges and 10 frames.
TEST_F(CacheLoadTest, ItemOfAnotherRangeAndFrameSplitLoads)
{
    ItemMovieDataList_CL list;
    list.records = GoldenRecords();
    list.records.resize(1);
    list.records[0].ini_name = ContentsPath(17, 3);
    list.records[0].skip_frames.clear();
    for (int i = 0; i < 43; ++i) list.records[0].skip_frames.push_back({i, i + 1});
    list.records[0].favorites_frames.resize(2);
    ASSERT_EQ(list.SaveFastStart(album_), 0);
    std::vector<uint8_t> bytes = ReadFileBytes(album_ + L"\\LastAlbumInfo.dat");
    ASSERT_EQ(bytes.size(), 12u + 7342u);

    ASSERT_EQ(list.LoadFastStart(album_), 0);
    ASSERT_EQ(list.records.size(), 1u);
    const ItemMovieData_CL& record = list.records[0];
    ASSERT_EQ(record.skip_frames.size(), static_cast<size_t>(ItemMovieData_CL::kSkipFrameCount));
    EXPECT_EQ(record.skip_frames[5].beg, 5);
    EXPECT_EQ(record.favorites_frames[1].fav_name, L"f1");
    EXPECT_EQ(record.favorites_frames[2].fav, 0);
    EXPECT_EQ(record.tags, GoldenRecords()[0].tags);
    EXPECT_EQ(record.movie_player_name, L"MPC");
}

void PutU32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

// Offsets inside the first item, which starts at byte 12.
constexpr size_t kItem = 12;
constexpr size_t kRangeCount = kItem + 3748;
constexpr size_t kFrameCount = kItem + 3752 + 16 * 6;

TEST_F(CacheLoadTest, DamagedCachesFallBackToTheSlowLoad)
{
    const wchar_t* caught = L"(err)データ読み込み中に例外をキャッチしました。";
    const wchar_t* mismatch = L"(err)データ読み込み中にアイテムサイズの不一致を検出しました。";
    const wchar_t* foreign = L"(err)高速起動用データのパスがアルバムのフォルダを指していません。";
    const wchar_t* slow = L"低速読み込みを行います。";
    struct Case {
        const char* what;
        void (*damage)(std::vector<uint8_t>&);
        const wchar_t* errorLine;  // null: none
        bool slowLine;
    };
    const Case cases[] = {
        {"empty file", [](std::vector<uint8_t>& b) { b.clear(); }, nullptr, true},
        {"header only, count 0", [](std::vector<uint8_t>& b) { b.resize(8); PutU32(b, 4, 0); }, nullptr, true},
        {"count 0xFFFFFFFF", [](std::vector<uint8_t>& b) { PutU32(b, 4, 0xFFFFFFFF); }, caught, true},
        {"count past the end", [](std::vector<uint8_t>& b) { PutU32(b, 4, 3); }, caught, true},
        {"cut mid-item", [](std::vector<uint8_t>& b) { b.resize(b.size() - 100); }, caught, true},
        {"item size too small", [](std::vector<uint8_t>& b) { PutU32(b, 8, 7000); }, mismatch, false},
        {"item size too large", [](std::vector<uint8_t>& b) { PutU32(b, 8, 7343); }, mismatch, false},
        {"ranges 0xFFFFFFFF", [](std::vector<uint8_t>& b) { PutU32(b, kRangeCount, 0xFFFFFFFF); }, mismatch, false},
        {"ranges 5", [](std::vector<uint8_t>& b) { PutU32(b, kRangeCount, 5); }, mismatch, false},
        {"frames 11", [](std::vector<uint8_t>& b) { PutU32(b, kFrameCount, 11); }, mismatch, false},
        {"path climbing out",
         [](std::vector<uint8_t>& b) {
             // "..\\..\\x\\" in front of the stored album-relative part.
             std::wstring path = L"C:\\r\\ALBUM_0002\\..\\..\\x\\contents017-00003.ini";
             for (size_t i = 0; i <= path.size(); ++i) {
                 wchar_t unit = i < path.size() ? path[i] : 0;
                 b[kItem + 4 + 2 * i] = static_cast<uint8_t>(unit & 0xFF);
                 b[kItem + 5 + 2 * i] = static_cast<uint8_t>(unit >> 8);
             }
         },
         foreign, true},
    };
    const std::vector<uint8_t> good = SaveTwo();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> bytes = good;
        c.damage(bytes);
        ASSERT_TRUE(WriteFileBytes(album_ + L"\\LastAlbumInfo.dat", bytes));
        WriteFileBytes(log_ / L"log.txt", {});

        ItemMovieDataList_CL list;
        EXPECT_EQ(list.LoadFastStart(album_), E_FAIL);
        EXPECT_TRUE(list.records.empty());
        std::wstring log = LogText();
        if (c.errorLine) {
            EXPECT_NE(log.find(c.errorLine), std::wstring::npos) << "missing error line";
        }
        EXPECT_EQ(log.find(slow) != std::wstring::npos, c.slowLine);
        EXPECT_EQ(log.find(L"読み込み(終了)"), std::wstring::npos);
    }
    // Nothing was made outside the album folders.
    EXPECT_EQ(GetFileAttributesW((sandbox_.documents() + L"\\x").c_str()), INVALID_FILE_ATTRIBUTES);

    // The whole load then reads the contents files instead.
    SaveTwo();
    std::vector<uint8_t> bytes = good;
    PutU32(bytes, 4, 0xFFFFFFFF);
    WriteFileBytes(album_ + L"\\LastAlbumInfo.dat", bytes);
    ItemMovieDataList_CL list;
    list.Load(album_);
    EXPECT_EQ(list.records.size(), 2u);
}

// Answers the version notice and reports its text.
std::wstring AnswerNotice(std::atomic<bool>& done)
{
    for (int i = 0; i < 200 && !done; ++i) {
        HWND box = FindWindowW(L"#32770", L"お知らせ");
        if (box) {
            wchar_t text[512] = {};
            GetDlgItemTextW(box, 0xFFFF, text, 512);
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            return text;
        }
        Sleep(50);
    }
    return std::wstring();
}

TEST_F(CacheLoadTest, OtherVersionShowsOneNoticeAndLoadsSlowly)
{
    std::vector<uint8_t> bytes = SaveTwo();
    PutU32(bytes, 0, 258);
    ASSERT_TRUE(WriteFileBytes(album_ + L"\\LastAlbumInfo.dat", bytes));

    std::atomic<bool> done{false};
    HRESULT result = S_OK;
    std::thread loader([&] {
        ItemMovieDataList_CL list;
        result = list.LoadFastStart(album_);
        done = true;
    });
    std::wstring notice = AnswerNotice(done);
    loader.join();
    EXPECT_EQ(result, E_FAIL);
    EXPECT_EQ(notice,
              L"Reelvault高速起動用データのバージョンが異なる為、データの再読み込みを行います。しばらくお待ちください。");
    EXPECT_NE(LogText().find(L"低速読み込みを行います。"), std::wstring::npos);
}

TEST_F(CacheLoadTest, CacheFromAnotherDataRootIsRebased)
{
    ItemMovieDataList_CL list;
    list.records = GoldenRecords();
    list.records.resize(1);
    // The old root's own name holds "ALBUM_" too.
    list.records[0].ini_name = L"Z:\\old\\ALBUM_0005\\root\\Reelvault\\ALBUM_0002\\contents\\017\\contents017-00003.ini";
    ASSERT_EQ(list.SaveFastStart(album_), 0);
    ASSERT_EQ(list.LoadFastStart(album_), 0);
    EXPECT_EQ(list.records[0].ini_name, ContentsPath(17, 3));
    EXPECT_NE(GetFileAttributesW(ContentsPath(17, 3).c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(CacheLoadTest, FailedSaveRemovesTheStaleCache)
{
    SaveTwo();
    ItemMovieDataList_CL list;
    list.records = GoldenRecords();
    list.records[0].ini_name = ContentsPath(17, 3);
    list.records[1].ini_name = ContentsPath(99, 99999);
    list.records[1].skip_frames.resize(5);  // items of two sizes cannot share one header
    EXPECT_EQ(list.SaveFastStart(album_), E_FAIL);
    EXPECT_EQ(GetFileAttributesW((album_ + L"\\LastAlbumInfo.dat").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
