#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "AlbumTestSupport.h"
#include "core/album/AlbumData.h"
#include "core/album/SaveData.h"
#include "core/base/Log.h"

using albumtest::DocumentsSandbox;
using albumtest::ParsedIni;
using albumtest::ParseUtf16Ini;

namespace {

bool IsFolder(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int CountSubfolders(const std::wstring& folder)
{
    int count = 0;
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return 0;
    do {
        std::wstring name = data.cFileName;
        if (name != L"." && name != L".." && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++count;
    } while (FindNextFileW(search, &data));
    FindClose(search);
    return count;
}

void ExpectAlbumLayout(const std::wstring& dataFolder)
{
    for (int i = 1; i <= 5; ++i) {
        std::wstring album = dataFolder + L"\\ALBUM_000" + std::to_wstring(i);
        SCOPED_TRACE(testing::Message() << "album " << i);
        ASSERT_TRUE(IsFolder(album));
        EXPECT_EQ(CountSubfolders(album), 2);
        EXPECT_TRUE(IsFolder(album + L"\\category"));
        EXPECT_EQ(CountSubfolders(album + L"\\contents"), 100);
        for (int n = 0; n < 100; ++n) {
            wchar_t name[8];
            _snwprintf(name, 8, L"%03d", n);
            EXPECT_TRUE(IsFolder(album + L"\\contents\\" + name)) << n;
        }
    }
}

TEST(AlbumFolders, FirstStartMakesFiveAlbumsWithTheirFolders)
{
    DocumentsSandbox sandbox;
    ASSERT_FALSE(IsFolder(sandbox.dataFolder()));
    EXPECT_EQ(GetDataRootFolder(), sandbox.documents());
    EXPECT_EQ(GetDataFolder(), sandbox.dataFolder());

    SaveData_CL data;
    data.program_ini.SetPath(GetDataFolder() + L"\\Reelvault.ini");
    data.album_data.LoadAlbumList();

    EXPECT_EQ(data.album_data.album_names,
              (std::vector<std::wstring>{L"ALBUM_0001", L"ALBUM_0002", L"ALBUM_0003", L"ALBUM_0004", L"ALBUM_0005"}));
    EXPECT_EQ(data.album_data.current_index, 0);
    EXPECT_EQ(data.album_data.GetCurrentAlbumName(), L"ALBUM_0001");
    EXPECT_EQ(CountSubfolders(sandbox.dataFolder()), 5);
    ExpectAlbumLayout(sandbox.dataFolder());
    EXPECT_EQ(data.album_data.FindAlbumIndex(L"ALBUM_0004"), 3);
    EXPECT_EQ(data.album_data.FindAlbumIndex(L"album_0004"), -1);

    // Now that the data folder exists, a missing redirect is written back empty.
    EXPECT_EQ(GetDataRootFolder(), sandbox.documents());
    ParsedIni ini = ParseUtf16Ini(sandbox.dataFolder() + L"\\Reelvault.ini");
    bool found = false;
    EXPECT_EQ(ini.Value(L"FOLDER", L"redirect", &found), L"");
    EXPECT_TRUE(found);
}

TEST(AlbumFolders, RedirectMovesTheDataRoot)
{
    DocumentsSandbox sandbox;
    TempFolder root;
    sandbox.Redirect(root.Path());

    EXPECT_EQ(GetDataRootFolder(), root.Path());
    EXPECT_EQ(GetDataFolder(), root.Path() + L"\\Reelvault");

    // Start-up makes the data folder before it opens the program ini there.
    ASSERT_TRUE(CreateDirectoryW(GetDataFolder().c_str(), nullptr));
    SaveData_CL data;
    data.program_ini.SetPath(GetDataFolder() + L"\\Reelvault.ini");
    data.program_ini.WriteInt(2, L"ALBUM_INFO", L"last_index");
    data.album_data.LoadAlbumList();
    EXPECT_EQ(data.album_data.current_index, 2);
    ExpectAlbumLayout(root.Path() + L"\\Reelvault");

    // The copy under Documents keeps only the redirect; no album lands there.
    EXPECT_EQ(CountSubfolders(sandbox.dataFolder()), 0);
    ParsedIni documentsIni = ParseUtf16Ini(sandbox.dataFolder() + L"\\Reelvault.ini");
    ASSERT_EQ(documentsIni.lines.size(), 1u);
    EXPECT_EQ(documentsIni.lines[0].section, L"FOLDER");
    EXPECT_EQ(documentsIni.lines[0].key, L"redirect");
    EXPECT_EQ(documentsIni.lines[0].value, root.Path());
    EXPECT_EQ(ParseUtf16Ini(root.Path() + L"\\Reelvault\\Reelvault.ini").Value(L"ALBUM_INFO", L"last_index"), L"2");
}

TEST(AlbumFolders, StoredIndexThatNamesNoAlbumOpensTheFirst)
{
    DocumentsSandbox sandbox;
    TempFolder root;
    sandbox.Redirect(root.Path());
    ASSERT_TRUE(CreateDirectoryW(GetDataFolder().c_str(), nullptr));
    SaveData_CL data;
    data.program_ini.SetPath(GetDataFolder() + L"\\Reelvault.ini");

    const struct {
        const wchar_t* stored;
        int32_t opened;
    } cases[] = {{L"0", 0}, {L"4", 4}, {L"5", 0}, {L"-1", 0}, {L"100", 0}, {L"x", 0}};
    for (const auto& c : cases) {
        data.program_ini.WriteString(L"ALBUM_INFO", L"last_index", c.stored);
        data.album_data.LoadAlbumList();
        EXPECT_EQ(data.album_data.current_index, c.opened) << c.opened;
        EXPECT_EQ(data.album_data.album_names.size(), 5u);
    }
}

std::vector<std::wstring> Tags(std::initializer_list<const wchar_t*> tags)
{
    return std::vector<std::wstring>(tags.begin(), tags.end());
}

TEST(TagHistory, AddPutsTheTagFirstWithoutDuplicates)
{
    SaveData_CL data;
    AlbumData_CL& albums = data.album_data;
    albums.tag_history = Tags({L"y", L"x", L"z"});
    albums.AddTagHistory(L"x");
    EXPECT_EQ(albums.tag_history, Tags({L"x", L"y", L"z"}));

    albums.AddTagHistory(L"");
    EXPECT_EQ(albums.tag_history, Tags({L"x", L"y", L"z"}));

    // Cut to 32 units before it is compared, so a longer spelling of a held tag moves it.
    std::wstring long40(40, L'タ');
    albums.AddTagHistory(long40);
    ASSERT_EQ(albums.tag_history.size(), 4u);
    EXPECT_EQ(albums.tag_history[0], std::wstring(32, L'タ'));
    albums.AddTagHistory(L"x");
    albums.AddTagHistory(std::wstring(33, L'タ'));
    EXPECT_EQ(albums.tag_history, (std::vector<std::wstring>{std::wstring(32, L'タ'), L"x", L"y", L"z"}));
}

TEST(TagHistory, HoldsAtMostOneHundredDroppingTheOldest)
{
    SaveData_CL data;
    AlbumData_CL& albums = data.album_data;
    for (int i = 0; i < 100; ++i) albums.AddTagHistory(L"tag" + std::to_wstring(i));
    ASSERT_EQ(albums.tag_history.size(), 100u);
    EXPECT_EQ(albums.tag_history.back(), L"tag0");
    albums.AddTagHistory(L"tag100");
    ASSERT_EQ(albums.tag_history.size(), 100u);
    EXPECT_EQ(albums.tag_history.front(), L"tag100");
    EXPECT_EQ(albums.tag_history.back(), L"tag1");
    // Re-adding a held tag at the limit drops nothing else.
    albums.AddTagHistory(L"tag50");
    EXPECT_EQ(albums.tag_history.size(), 100u);
    EXPECT_EQ(albums.tag_history.back(), L"tag1");
}

class TagHistoryFile : public testing::Test {
protected:
    void SetUp() override
    {
        savedLog_ = AppLog;
        AppLog.path = folder_ / L"Reelvault.txt";
        data_.album_ini.SetPath(folder_ / L"AlbumInfo.ini");
    }
    void TearDown() override { AppLog = savedLog_; }

    TempFolder folder_;
    SaveData_CL data_;
    Logger savedLog_;
};

TEST_F(TagHistoryFile, SavesMostRecentFirstAndLoadsSkippingEmptyItems)
{
    data_.album_data.tag_history = Tags({L"new", L"mid", L"old"});
    data_.album_data.SaveTagHistory();
    ParsedIni ini = ParseUtf16Ini(data_.album_ini.GetPath());
    EXPECT_EQ(ini.KeysOf(L"TAG_HISTORY"), Tags({L"count", L"item0", L"item1", L"item2"}));
    EXPECT_EQ(ini.Value(L"TAG_HISTORY", L"count"), L"3");
    EXPECT_EQ(ini.Value(L"TAG_HISTORY", L"item0"), L"new");
    EXPECT_EQ(ini.Value(L"TAG_HISTORY", L"item2"), L"old");
    EXPECT_NE(ReadUtf16File(AppLog.path).find(L"タグ履歴保存数 = 3"), std::wstring::npos);

    data_.album_ini.WriteString(L"TAG_HISTORY", L"item1", L"");
    data_.album_data.LoadTagHistory();
    EXPECT_EQ(data_.album_data.tag_history, Tags({L"new", L"old"}));
}

TEST_F(TagHistoryFile, RefusesToShrinkTheStoredHistory)
{
    albumtest::WriteUtf16Text(data_.album_ini.GetPath(),
                              L"[TAG_HISTORY]\ncount=5\nitem0=a\nitem1=b\nitem2=c\nitem3=d\nitem4=e\n");
    std::vector<uint8_t> before = ReadFileBytes(data_.album_ini.GetPath());
    data_.album_data.tag_history = Tags({L"x", L"y", L"z"});
    data_.album_data.SaveTagHistory();

    EXPECT_EQ(ReadFileBytes(data_.album_ini.GetPath()), before);
    std::wstring log = ReadUtf16File(AppLog.path);
    EXPECT_NE(log.find(L"タグ履歴保存数 = 3"), std::wstring::npos);
    EXPECT_NE(log.find(L"タグ履歴保存数が減少した為、保存しませんでした。"), std::wstring::npos);
}

}  // namespace
