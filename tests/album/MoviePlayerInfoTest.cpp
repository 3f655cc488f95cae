#include <gtest/gtest.h>

#include "core/album/MoviePlayerInfo.h"
#include "tests/common/TempFolder.h"

namespace {

TEST(MoviePlayerInfo, IniRoundTripAndLookupByExactName)
{
    TempFolder folder;
    Inifile_CL ini;
    ini.SetPath(folder / L"Reelvault.ini");
    MoviePlayerInfo_CL saved;
    saved.AddPlayer({L"MPC", L"C:\\mpc\\mpc.exe", L"%path% /start %ms%"});
    saved.AddPlayer({L"空のプレーヤー", L"", L""});
    saved.Save(ini);
    EXPECT_EQ(ini.ReadString(L"MOVIE_PLAYER_INFO", L"path_item0000", L""), L"C:\\mpc\\mpc.exe");

    // Keys past "count" from a longer list are ignored.
    ini.WriteString(L"MOVIE_PLAYER_INFO", L"name_item0002", L"leftover");
    MoviePlayerInfo_CL loaded;
    loaded.Load(ini);
    ASSERT_EQ(loaded.players.size(), 2u);
    EXPECT_EQ(loaded.players[0].param, L"%path% /start %ms%");
    EXPECT_EQ(loaded.players[1].name, L"空のプレーヤー");

    MoviePlayerInfoItem found;
    EXPECT_TRUE(loaded.FindByName(L"MPC", found));
    EXPECT_EQ(found.path, L"C:\\mpc\\mpc.exe");
    EXPECT_FALSE(loaded.FindByName(L"mpc", found));
    EXPECT_FALSE(loaded.FindByName(L"leftover", found));
}

TEST(MoviePlayerInfo, LineBreaksTypedIntoFieldsInjectNoKeys)
{
    TempFolder folder;
    Inifile_CL ini;
    ini.SetPath(folder / L"Reelvault.ini");
    MoviePlayerInfo_CL players;
    players.AddPlayer({L"MPC\r\ncount=0", L"C:\\mpc.exe\n", L"%path%\r\nname_item0000=evil"});
    players.Save(ini);
    EXPECT_EQ(ini.ReadString(L"MOVIE_PLAYER_INFO", L"name_item0000", L""), L"MPCcount=0");
    EXPECT_EQ(ini.ReadString(L"MOVIE_PLAYER_INFO", L"path_item0000", L""), L"C:\\mpc.exe");
    EXPECT_EQ(ini.ReadInt(L"MOVIE_PLAYER_INFO", L"count", 0), 1u);
    MoviePlayerInfo_CL loaded;
    loaded.Load(ini);
    ASSERT_EQ(loaded.players.size(), 1u);
    EXPECT_EQ(loaded.players[0].param, L"%path%name_item0000=evil");
}

TEST(PlayerParams, PlaceholdersAreFilledOnce)
{
    struct Case {
        const wchar_t* param;
        const wchar_t* path;
        int64_t position;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"%path% /seek=%sec%", L"C:\\m\\a.mp4", 1234567890, L"\"C:\\m\\a.mp4\" /seek=123"},
        {L"/ms=%ms%", L"a", 9999, L"/ms=0"},
        {L"/ms=%ms% /ms2=%ms%", L"a", 25000, L"/ms=2 /ms2=2"},
        // A path that itself holds the placeholder is inserted once.
        {L"%path%", L"C:\\%path%\\b.avi", 0, L"\"C:\\%path%\\b.avi\""},
        // Positions are printed as 32-bit values.
        {L"%ms%", L"a", 0x7FFFFFFFLL * 10000 + 10000, L"-2147483648"},
        {L"%sec%", L"a", -15000000, L"-1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BuildPlayerParams(c.param, c.path, c.position), c.expected) << "case " << (&c - cases);
}

TEST(PlayerParams, ReplaceAllGoesOnAfterTheInsertedText)
{
    std::wstring text = L"aXbXc";
    ReplaceAll(text, L"X", L"XX");
    EXPECT_EQ(text, L"aXXbXXc");
    ReplaceAll(text, L"", L"never");
    EXPECT_EQ(text, L"aXXbXXc");
}

TEST(PlaydeckArguments, OptionsInTheirOrder)
{
    struct Case {
        int64_t position;
        uint32_t command;
        bool noResume;
        bool fullScreen;
        const wchar_t* expected;
    };
    const wchar_t* q = L"\"D:\\v\\m.mp4\"";
    const Case cases[] = {
        {0x100000002LL, kCommandPlayMovie, false, false, L" /EndClose /StartFrame:00000001:00000002 /Reelvault"},
        {0x100000002LL, kCommandPlayMovie, true, false, L" /EndClose /NoResume /Reelvault"},
        {0, kCommandPlayFromFirstFrame, false, false, L" /EndClose /NoResume /Reelvault"},
        {0, kCommandPlayMovie, false, false, L" /EndClose /Reelvault"},
        {-1, kCommandPlayMovie, false, false, L" /EndClose /Reelvault"},
        {0xABC, kCommandPlayMovie, false, true, L" /FullScreen /EndClose /StartFrame:00000000:00000abc /Reelvault"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BuildPlaydeckArguments(L"D:\\v\\m.mp4", c.position, c.command, c.noResume, c.fullScreen),
                  q + std::wstring(c.expected))
            << "case " << (&c - cases);
    }
}

TEST(Playlist, WritesPathsInTheGivenOrderAsNarrowLines)
{
    TempFolder folder;
    const std::wstring list = folder / L"PlayList.playlist";
    std::vector<std::wstring> paths = {L"C:\\a.mp4", L"C:\\動画\\b.mp4", L"C:\\c.mp4"};
    std::wstring arguments = WritePlaylistFile(list, paths, {2, 7, 1}, true);
    EXPECT_EQ(arguments, L"\"" + list + L"\" /FullScreen /EndClose /NoResume /Reelvault");

    // Code page 932: 動 is 93 AE and 画 is 89 E6. The out-of-range index is skipped.
    std::vector<uint8_t> expected;
    for (char c : std::string("C:\\c.mp4\r\n")) expected.push_back(static_cast<uint8_t>(c));
    std::vector<uint8_t> bytes = ReadFileBytes(list);
    ASSERT_GE(bytes.size(), expected.size());
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + expected.size()), expected);
    std::string rest(bytes.begin() + expected.size(), bytes.end());
    if (GetACP() == 932) {
        EXPECT_EQ(rest, "C:\\\x93\xae\x89\xe6\\b.mp4\r\n");
    }
}

TEST(Playlist, PathOutsideTheCodePageIsNeverGarbage)
{
    TempFolder folder;
    const std::wstring movie = folder / L"\x0639\x0631\x0628.mp4";  // Arabic letters: in no East Asian code page
    ASSERT_TRUE(WriteFileBytes(movie, {'x'}));
    const std::wstring list = folder / L"PlayList.playlist";
    WritePlaylistFile(list, {movie, L"C:\\\x0639.mp4"}, {0, 1}, false);
    std::vector<uint8_t> bytes = ReadFileBytes(list);
    std::string text(bytes.begin(), bytes.end());
    EXPECT_EQ(text.find('?'), std::string::npos) << text;
    // The existing file is written by its short name, the missing one is skipped.
    size_t lines = std::count(text.begin(), text.end(), '\n');
    EXPECT_LE(lines, 1u);
}

}  // namespace
