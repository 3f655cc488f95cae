#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <string>

#include "core/album/MoviePlayLauncher.h"
#include "core/album/SaveData.h"
#include "core/base/PathName.h"
#include "core/base/UniqueHandle.h"
#include "tests/album/AlbumTestSupport.h"
#include "tests/common/TempFolder.h"

namespace {

// Wine 8 shows HKLM\Software\Classes through HKEY_CLASSES_ROOT.
const wchar_t* const kPlaydeckKey = L"Software\\Classes\\Playdeck\\shell\\open\\command";

std::wstring Stub(const wchar_t* name)
{
    return PathName_CL::GetModuleFolder() + L"\\" + name + L".exe";
}

// The command line a stub recorded, or empty when it did not run within the time.
std::wstring WaitForArgs(const std::wstring& stub, DWORD milliseconds = 15000)
{
    const std::wstring file = stub + L".args.txt";
    for (DWORD waited = 0; waited < milliseconds; waited += 50) {
        std::wstring text = ReadUtf16File(file);
        if (!text.empty()) return text;
        Sleep(50);
    }
    return std::wstring();
}

bool EndsWith(const std::wstring& text, const std::wstring& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

class PlayLauncherTest : public testing::Test {
protected:
    void SetUp() override
    {
        CreateDirectoryW(sandbox_.dataFolder().c_str(), nullptr);
        data_.program_ini.SetPath(sandbox_.dataFolder() + L"\\Reelvault.ini");
        data_.player_info.AddPlayer({L"P1", Stub(L"player_stub"), L"%path% /seek=%sec%"});
        data_.player_info.AddPlayer({L"P2", Stub(L"player_stub"), L"/ms=%ms% %path%"});
        movie_.link_name = L"C:\\m\\a.mp4";
        movie_.ini_name = work_ / L"contents000-00001.ini";
        movie_.skip_frames.resize(ItemMovieData_CL::kSkipFrameCount);
        movie_.favorites_frames.resize(ItemMovieData_CL::kFavoritesFrameCount);
        for (const wchar_t* stub : {L"player_stub", L"playdeck_stub"}) DeleteFileW((Stub(stub) + L".args.txt").c_str());
    }
    void TearDown() override { RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\Playdeck"); }

    void RegisterPlaydeck()
    {
        std::wstring command = L"\"" + Stub(L"playdeck_stub") + L"\" \"%1\"";
        UniqueRegKey key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kPlaydeckKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(),
                                  nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
        data_.disp_setting.playdeck_command = ReadSiblingProgramPath(L"Playdeck\\shell\\open\\command");
    }
    // A "movie" the shell opens by running it: it leaves a marker file.
    std::wstring ShellOpenedMovie()
    {
        const std::wstring script = work_ / L"movie.bat";
        std::ofstream out(script.c_str());
        std::wstring marker = work_ / L"opened.txt";
        out << "@echo opened> \"" << std::string(marker.begin(), marker.end()) << "\"\r\n";
        return script;
    }
    bool ShellOpened()
    {
        for (int i = 0; i < 300; ++i) {
            if (GetFileAttributesW((work_ / L"opened.txt").c_str()) != INVALID_FILE_ATTRIBUTES) return true;
            Sleep(50);
        }
        return false;
    }

    albumtest::DocumentsSandbox sandbox_;
    TempFolder work_;
    SaveData_CL data_;
    ItemMovieData_CL movie_;
};

TEST_F(PlayLauncherTest, SiblingCommandGivesItsProgramPath)
{
    EXPECT_EQ(ReadSiblingProgramPath(L"Playdeck\\shell\\open\\command"), L"");
    RegisterPlaydeck();
    EXPECT_EQ(data_.disp_setting.playdeck_command, Stub(L"playdeck_stub"));

    UniqueRegKey key;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, kPlaydeckKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr);
    const wchar_t shortValue[] = L"\"x\"";
    RegSetValueExW(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(shortValue), sizeof(shortValue));
    EXPECT_EQ(ReadSiblingProgramPath(L"Playdeck\\shell\\open\\command"), L"");
}

TEST_F(PlayLauncherTest, PlayerChoiceAndCommandLines)
{
    RegisterPlaydeck();
    struct Case {
        const wchar_t* chosen;
        const wchar_t* moviePlayer;
        const wchar_t* doubleClick;
        int64_t position;
        uint32_t command;
        int noResume;
        int fullScreen;
        const wchar_t* stub;
        const wchar_t* tail;
    };
    const Case cases[] = {
        {L"P1", L"", L"", 1234567890, kCommandPlayMovie, 0, 0, L"player_stub", L" \"C:\\m\\a.mp4\" /seek=123"},
        {nullptr, L"P2", L"", 99999, kCommandPlayMovie, 0, 0, L"player_stub", L" /ms=9 \"C:\\m\\a.mp4\""},
        // A player that no longer exists falls back to the double-click player...
        {nullptr, L"Gone", L"P1", 30000000, kCommandPlayMovie, 0, 0, L"player_stub", L" \"C:\\m\\a.mp4\" /seek=3"},
        // ...then to the sibling player.
        {nullptr, L"Gone", L"", 0x100000002LL, kCommandPlayMovie, 0, 0, L"playdeck_stub",
         L" \"C:\\m\\a.mp4\" /EndClose /StartFrame:00000001:00000002 /Reelvault"},
        {L"NoSuch", L"", L"", 5, kCommandPlayFromFirstFrame, 0, 1, L"playdeck_stub",
         L" \"C:\\m\\a.mp4\" /FullScreen /EndClose /NoResume /Reelvault"},
        {nullptr, L"", L"", 5, kCommandPlayMovie, 1, 0, L"playdeck_stub",
         L" \"C:\\m\\a.mp4\" /EndClose /NoResume /Reelvault"},
    };
    uint32_t plays = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        movie_.movie_player_name = c.moviePlayer;
        movie_.no_resume = c.noResume;
        data_.program_ini.WriteString(L"MOVIE_PLAYER_INFO", L"doubleclick_movie_player", c.doubleClick);
        data_.program_ini.WriteInt(c.fullScreen, L"DISP_SETTING", L"full_screen");
        PlayMovieWithPlayer(data_, movie_, c.position, c.command, c.chosen, nullptr);
        std::wstring args = WaitForArgs(Stub(c.stub));
        EXPECT_TRUE(EndsWith(args, c.tail)) << std::string(args.begin(), args.end());
        DeleteFileW((Stub(c.stub) + L".args.txt").c_str());
        EXPECT_EQ(movie_.play_count, ++plays);
    }
}

TEST_F(PlayLauncherTest, ShellOpensTheMovieAndThePlayStillCounts)
{
    movie_.link_name = ShellOpenedMovie();
    time_t before = time(nullptr);
    PlayMovieWithPlayer(data_, movie_, 0, kCommandPlayWithAssociated, L"P1", nullptr);
    EXPECT_TRUE(ShellOpened());
    EXPECT_EQ(movie_.play_count, 1u);
    EXPECT_GE(movie_.play_date_time, static_cast<int64_t>(before));
    Inifile_CL ini(movie_.ini_name);
    EXPECT_EQ(ini.ReadString(L"MOVIE_INFO", L"play_count", L""), L"1");
    // Nobody installed: with no player named and no sibling player, the shell opens it.
    DeleteFileW((work_ / L"opened.txt").c_str());
    PlayMovieWithPlayer(data_, movie_, 0, kCommandPlayMovie, nullptr, nullptr);
    EXPECT_TRUE(ShellOpened());
    EXPECT_EQ(movie_.play_count, 2u);
}

TEST_F(PlayLauncherTest, PlaylistGoesToTheSiblingPlayer)
{
    RegisterPlaydeck();
    PlayPlaylistFile(data_, {L"C:\\a.mp4", L"C:\\b.mp4"}, {1, 0});
    const std::wstring list = sandbox_.dataFolder() + L"\\PlayList.playlist";
    std::wstring args = WaitForArgs(Stub(L"playdeck_stub"));
    EXPECT_TRUE(EndsWith(args, L" \"" + list + L"\" /EndClose /NoResume /Reelvault"))
        << std::string(args.begin(), args.end());
    std::vector<uint8_t> bytes = ReadFileBytes(list);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "C:\\b.mp4\r\nC:\\a.mp4\r\n");
}

}  // namespace
