#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "AlbumTestSupport.h"
#include "core/album/AlbumData.h"
#include "core/album/AlbumFiles.h"
#include "core/album/ItemCategoryData.h"
#include "core/album/SaveData.h"

using albumtest::ParsedIni;
using albumtest::ParseUtf16Ini;
using albumtest::WriteUtf16Text;

namespace {

using Strings = std::vector<std::wstring>;

std::wstring MakeFile(const TempFolder& folder, const std::wstring& name)
{
    std::wstring path = folder / name;
    WriteFileBytes(path, {1, 2, 3});
    return path;
}

TEST(CategoryFile, WritesEveryKeyInOrderAndReadsItBack)
{
    TempFolder folder;
    ItemCategoryData_CL written;
    written.ini_name = folder / L"category00004.ini";
    written.category = L"お気に入りサイト";
    written.sub_category = L"動画サイト";
    written.image_link = folder / L"category00004.jpg";
    written.find_folder = L"D:\\動画";
    written.url_link = L"https://example.com/?q=a&b=c";
    written.playlist = {MakeFile(folder, L"c.mp4"), MakeFile(folder, L"a.mp4"), MakeFile(folder, L"b.mp4")};
    written.sub_category_sort_index = 7;
    written.short_cut_key = 0x61;
    written.check_sub_folder = 1;
    written.item_count = 99;
    written.WriteIni();

    ParsedIni ini = ParseUtf16Ini(written.ini_name);
    EXPECT_TRUE(ini.hasMark);
    EXPECT_EQ(ini.sections, (Strings{L"CATEGORY", L"FAVORITE", L"PLAYLIST"}));
    EXPECT_EQ(ini.KeysOf(L"CATEGORY"), (Strings{L"category", L"sub_category", L"image_link", L"find_folder",
                                                 L"sub_category_sort_index", L"short_cut_key", L"check_sub_folder"}));
    EXPECT_EQ(ini.KeysOf(L"FAVORITE"), (Strings{L"url_link"}));
    EXPECT_EQ(ini.KeysOf(L"PLAYLIST"), (Strings{L"item_count", L"item0000", L"item0001", L"item0002"}));
    EXPECT_EQ(ini.Value(L"CATEGORY", L"short_cut_key"), L"97");
    EXPECT_EQ(ini.Value(L"PLAYLIST", L"item_count"), L"3");
    EXPECT_EQ(ini.Value(L"PLAYLIST", L"item0000"), written.playlist[0]);

    ItemCategoryData_CL read;
    read.ReadIni(written.ini_name);
    EXPECT_EQ(read.ini_name, written.ini_name);
    EXPECT_EQ(read.category, written.category);
    EXPECT_EQ(read.sub_category, written.sub_category);
    EXPECT_EQ(read.category_hash, NameHash(written.category));
    EXPECT_EQ(read.sub_category_hash, NameHash(written.sub_category));
    EXPECT_EQ(read.image_link, written.image_link);
    EXPECT_EQ(read.find_folder, written.find_folder);
    EXPECT_EQ(read.url_link, written.url_link);
    EXPECT_EQ(read.playlist, written.playlist);
    EXPECT_EQ(read.sub_category_sort_index, 7);
    EXPECT_EQ(read.short_cut_key, 0x61);
    EXPECT_EQ(read.check_sub_folder, 1);
    EXPECT_EQ(read.item_count, 0);  // computed, never stored
}

TEST(CategoryFile, PictureIsAlwaysBesideTheFile)
{
    TempFolder folder;
    std::wstring path = folder / L"category00001.ini";
    WriteUtf16Text(path, L"[CATEGORY]\ncategory=A\nimage_link=C:\\elsewhere\\x.jpg\n");
    ItemCategoryData_CL record;
    record.ReadIni(path);
    EXPECT_EQ(record.image_link, folder / L"category00001.jpg");
}

TEST(CategoryFile, EmptyAddressWritesNoFavoriteSection)
{
    TempFolder folder;
    ItemCategoryData_CL record;
    record.ini_name = folder / L"category00000.ini";
    record.category = L"アニメ";
    record.sub_category = L"長編\r\nshort_cut_key=5";
    record.WriteIni();
    ParsedIni ini = ParseUtf16Ini(record.ini_name);
    EXPECT_EQ(ini.sections, (Strings{L"CATEGORY", L"PLAYLIST"}));
    EXPECT_EQ(ini.Value(L"PLAYLIST", L"item_count"), L"0");
    // A name never spills into a key of its own.
    EXPECT_EQ(ini.Value(L"CATEGORY", L"sub_category"), L"長編short_cut_key=5");
    EXPECT_EQ(ini.Count(L"CATEGORY", L"short_cut_key"), 1);
}

TEST(CategoryFile, ShortCutKeysOutsideOneByteReadAsZero)
{
    TempFolder folder;
    const struct {
        const wchar_t* stored;
        int32_t read;
    } cases[] = {{L"97", 97}, {L"255", 255}, {L"256", 0}, {L"300", 0}, {L"-1", 0}, {L"0", 0}};
    for (const auto& c : cases) {
        std::wstring path = folder / L"category00000.ini";
        WriteUtf16Text(path, std::wstring(L"[CATEGORY]\nshort_cut_key=") + c.stored + L"\n");
        ItemCategoryData_CL record;
        record.ReadIni(path);
        EXPECT_EQ(record.short_cut_key, c.read) << c.stored[0] << c.stored[1];
    }
}

TEST(CategoryFile, PlaylistLeavesOutEntriesWhoseFileIsGone)
{
    TempFolder folder;
    std::wstring first = MakeFile(folder, L"1.mp4");
    std::wstring second = MakeFile(folder, L"2.mp4");
    std::wstring third = MakeFile(folder, L"3.mp4");
    std::wstring path = folder / L"category00000.ini";
    WriteUtf16Text(path, L"[CATEGORY]\ncategory=プレイリスト\n[PLAYLIST]\nitem_count=3\nitem0000=" + third +
                             L"\nitem0001=" + second + L"\nitem0002=" + first + L"\n");
    ASSERT_TRUE(DeleteFileW(second.c_str()));

    ItemCategoryData_CL record;
    record.ReadIni(path);
    EXPECT_EQ(record.playlist, (Strings{third, first}));
    // The file keeps the entry until the record is written again.
    EXPECT_EQ(ParseUtf16Ini(path).Value(L"PLAYLIST", L"item0001"), second);
}

TEST(CategoryFile, AnsiFileIsRewrittenAsUnicodeKeepingItsValues)
{
    ASSERT_EQ(GetACP(), 932u) << "the fixture is Shift_JIS text";
    TempFolder folder;
    std::wstring path = albumtest::CopyFixture(L"category_ansi.ini", folder.Path());
    ItemCategoryData_CL record;
    record.ReadIni(path);
    EXPECT_EQ(record.category, L"アニメ");
    EXPECT_EQ(record.sub_category, L"長編映画");
    EXPECT_EQ(record.url_link, L"https://example.com/長編");

    ParsedIni ini = ParseUtf16Ini(path);
    ASSERT_TRUE(ini.hasMark);
    EXPECT_EQ(ini.Value(L"CATEGORY", L"category"), L"アニメ");
    EXPECT_EQ(ini.Value(L"CATEGORY", L"sub_category"), L"長編映画");
    EXPECT_EQ(ini.Value(L"CATEGORY", L"find_folder"), L"D:\\動画\\長編");
    EXPECT_EQ(ini.Value(L"CATEGORY", L"image_link"), folder / L"category_ansi.jpg");
    EXPECT_EQ(ini.Value(L"CATEGORY", L"sub_category_sort_index"), L"3");
    EXPECT_EQ(ini.Value(L"CATEGORY", L"short_cut_key"), L"97");
    EXPECT_EQ(ini.Value(L"CATEGORY", L"check_sub_folder"), L"1");
    EXPECT_EQ(ini.Value(L"FAVORITE", L"url_link"), L"https://example.com/長編");
    EXPECT_EQ(ini.Count(L"CATEGORY", L"unknown_key"), 0);

    std::vector<uint8_t> converted = ReadFileBytes(path);
    ItemCategoryData_CL again;
    again.ReadIni(path);
    EXPECT_EQ(ReadFileBytes(path), converted);
}

// An album opened under a redirected data root inside a temporary folder.
class AddCategoryFile : public testing::Test {
protected:
    void SetUp() override
    {
        sandbox_.Redirect(root_.Path());
        CreateDirectoryW(GetDataFolder().c_str(), nullptr);
        data_.program_ini.SetPath(GetDataFolder() + L"\\Reelvault.ini");
        data_.album_data.LoadAlbumList();
        categoryFolder_ = GetDataFolder() + L"\\ALBUM_0001\\category";
    }

    std::wstring CategoryPath(int number) const
    {
        wchar_t name[32];
        _snwprintf(name, 32, L"\\category%05d.ini", number);
        return categoryFolder_ + name;
    }

    albumtest::DocumentsSandbox sandbox_;
    TempFolder root_;
    SaveData_CL data_;
    std::wstring categoryFolder_;
};

TEST_F(AddCategoryFile, FillsTheLowestFreeNumber)
{
    WriteUtf16Text(CategoryPath(0), L"[CATEGORY]\ncategory=A\n");
    WriteUtf16Text(CategoryPath(2), L"[CATEGORY]\ncategory=A\n");
    data_.category_list.Load(GetDataFolder() + L"\\ALBUM_0001");
    ASSERT_EQ(data_.category_list.records.size(), 2u);
    data_.category_list.SelectByCategory(L"A", data_.disp_setting.sub_category_view);

    TempFolder source;
    std::wstring picture = source / L"capture.jpg";
    WriteFileBytes(picture, {0xFF, 0xD8, 0xFF, 0xD9});

    int32_t index = data_.AddCategoryFile(L"A", L"新しい分類", picture, L"D:\\watch");
    ASSERT_EQ(index, 2);
    const ItemCategoryData_CL& added = data_.category_list.records[index];
    EXPECT_EQ(added.ini_name, CategoryPath(1));
    EXPECT_EQ(added.image_link, categoryFolder_ + L"\\category00001.jpg");
    EXPECT_EQ(ReadFileBytes(added.image_link), (std::vector<uint8_t>{0xFF, 0xD8, 0xFF, 0xD9}));
    EXPECT_EQ(added.sub_category_sort_index, 2);
    EXPECT_EQ(added.category_hash, NameHash(L"A"));
    EXPECT_EQ(added.sub_category_hash, NameHash(L"新しい分類"));

    ParsedIni ini = ParseUtf16Ini(CategoryPath(1));
    EXPECT_EQ(ini.Value(L"CATEGORY", L"sub_category"), L"新しい分類");
    EXPECT_EQ(ini.Value(L"CATEGORY", L"find_folder"), L"D:\\watch");
    EXPECT_EQ(ini.Value(L"CATEGORY", L"sub_category_sort_index"), L"2");

    // A missing picture is no failure; the next number is the next gap.
    int32_t next = data_.AddCategoryFile(L"A", L"次", L"", L"");
    ASSERT_EQ(next, 3);
    EXPECT_EQ(data_.category_list.records[next].ini_name, CategoryPath(3));
    // The first index still names the first new record after the vector grew.
    EXPECT_EQ(data_.category_list.records[index].sub_category, L"新しい分類");
}

TEST(FindFreeFileNumber, ReportsWhenEveryNumberIsTaken)
{
    // A hundred thousand real files take minutes to make under Wine; one taken file
    // stands for every number instead.
    TempFolder folder;
    std::wstring taken = MakeFile(folder, L"taken");
    std::wstring free = folder / L"free";
    EXPECT_EQ(FindFreeFileNumber([&](int32_t) { return taken; }), -1);
    EXPECT_EQ(FindFreeFileNumber([&](int32_t n) { return n == 99999 ? free : taken; }), 99999);
    EXPECT_EQ(FindFreeFileNumber([&](int32_t n) { return n == 100000 ? free : taken; }), -1);
    // A folder of that name takes the number too.
    EXPECT_EQ(FindFreeFileNumber([&](int32_t n) { return n == 0 ? folder.Path() : free; }), 1);
}

TEST_F(AddCategoryFile, FailsWhenTheFileCannotBeWritten)
{
    RemoveTree(categoryFolder_);
    EXPECT_EQ(data_.AddCategoryFile(L"A", L"B", L"", L""), -1);
    EXPECT_TRUE(data_.category_list.records.empty());
}

TEST(AddCategoryFileWithoutAlbum, FailsBeforeTheAlbumListIsLoaded)
{
    SaveData_CL data;
    EXPECT_EQ(data.AddCategoryFile(L"A", L"B", L"", L""), -1);
    EXPECT_TRUE(data.category_list.records.empty());
}

}  // namespace
