// The movie item commands in the running program: playing with the recording stand-ins for
// the sibling player and a chosen player, and what the commands leave in the album.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/album/ItemMovieDataList.h"
#include "app/commands/ItemCommandSteps.h"
#include "core/album/MoviePlayerInfo.h"
#include "core/base/ByteReader.h"
#include "core/ipc/Kiln_RequestDeleteRequest.h"
#include "core/base/Inifile.h"
#include "core/base/PathName.h"
#include "core/base/UniqueHandle.h"
#include "tests/appproc/support/AppProcSupport.h"
#include "tests/common/PipeRecordFile.h"
#include "tests/common/Screenshot.h"

namespace {

using namespace appproc;

// Wine 8 does not show HKCU's classes through HKEY_CLASSES_ROOT; the machine's it does.
const wchar_t kPlaydeckKey[] = L"Software\\Classes\\Playdeck";
const wchar_t kPlaydeckCommandKey[] = L"Software\\Classes\\Playdeck\\shell\\open\\command";
constexpr int kGridId = 0x1101;

std::wstring Stub(const wchar_t* name)
{
    return PathName_CL::GetModuleFolder() + L"\\" + name + L".exe";
}
std::wstring ArgsFile(const wchar_t* stub)
{
    return Stub(stub) + L".args.txt";
}
// The command line a stand-in recorded, or empty when it did not run within the time.
std::wstring WaitForArgs(const wchar_t* stub, DWORD timeoutMs = 20000)
{
    std::wstring text;
    WaitUntil(
        [&] {
            text = ReadUtf16File(ArgsFile(stub));
            return !text.empty();
        },
        timeoutMs);
    DeleteFileW(ArgsFile(stub).c_str());
    return text;
}
bool EndsWith(const std::wstring& text, const std::wstring& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

class ItemCommandProcTest : public testing::Test {
protected:
    void SetUp() override
    {
        SKIP_WITHOUT_PROGRAM();
        for (const wchar_t* stub : {L"playdeck_stub", L"player_stub"}) {
            ASSERT_NE(GetFileAttributesW(Stub(stub).c_str()), INVALID_FILE_ATTRIBUTES) << "the stand-ins are built";
            DeleteFileW(ArgsFile(stub).c_str());
        }
    }
    void TearDown() override { RegDeleteTreeW(HKEY_LOCAL_MACHINE, kPlaydeckKey); }

    // The sibling player's shell command, as its installer leaves it.
    void RegisterPlaydeck()
    {
        const std::wstring command = L"\"" + Stub(L"playdeck_stub") + L"\" \"%1\"";
        UniqueRegKey key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kPlaydeckCommandKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  key.put(), nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    }
    // One chosen player, the recording stand-in, in the program ini's player list.
    void RegisterPlayer()
    {
        Inifile_CL programIni(sandbox_.programIniPath());
        MoviePlayerInfo_CL players;
        players.AddPlayer({L"Stub", Stub(L"player_stub"), L"%path% /sec=%sec%"});
        players.Save(programIni);
    }
    void Command(HWND main, uint32_t command) { PostMessageW(main, WM_COMMAND, command, 0); }
    // Clicks the category tab "全て" and waits until the grid shows the album's movies.
    bool ShowAllMovies(HWND main, int count)
    {
        HWND tab = nullptr;
        for (const ChildWindow& child : DirectChildren(main)) {
            if (child.className == L"SysTabControl32" && RemoteTabText(child.window, 0).rfind(L"全て", 0) == 0)
                tab = child.window;
        }
        if (!tab || !ClickTab(tab, 0)) return false;
        const std::wstring shown = L"アイテム数( " + std::to_wstring(count) + L" )";
        return WaitUntil([&] { return RemoteStatusText(StatusBarOf(main), 2) == shown; }, kWindowTimeoutMs);
    }
    // A left click on the middle of the grid's first cell.
    void ClickFirstCell(HWND grid)
    {
        const LPARAM point = MAKELPARAM(40, 30);
        PostMessageW(grid, WM_MOUSEMOVE, 0, point);
        PostMessageW(grid, WM_LBUTTONDOWN, MK_LBUTTON, point);
        PostMessageW(grid, WM_LBUTTONUP, 0, point);
    }

    AppSandbox sandbox_;
};

TEST_F(ItemCommandProcTest, PlayCommandsStartThePlayersAndCountThePlays)
{
    ASSERT_EQ(sandbox_.MakeMovies(3, L"--strips"), 0);
    RegisterPlaydeck();
    RegisterPlayer();
    ReelvaultProcess program;
    ASSERT_TRUE(program.Start(ProgramPath()));
    ASSERT_TRUE(WaitForReady(program));
    HWND main = program.MainWindow();
    HWND grid = GetDlgItem(main, kGridId);
    ASSERT_NE(grid, nullptr);
    ASSERT_TRUE(ShowAllMovies(main, 3));

    // No movie is current yet: nothing starts.
    Command(main, kCommandPlayMovie);
    EXPECT_TRUE(WaitForArgs(L"playdeck_stub", 2000).empty());

    ClickFirstCell(grid);
    Command(main, kCommandPlayMovie);
    const std::wstring played = WaitForArgs(L"playdeck_stub");
    EXPECT_TRUE(EndsWith(played, L" /Reelvault")) << testing::PrintToString(played);
    ItemMovieDataList_CL movies;
    sandbox_.LoadFromFiles(movies);
    const ItemMovieData_CL* movie = nullptr;
    for (const ItemMovieData_CL& record : movies.records) {
        if (played.find(L"\"" + record.link_name + L"\"") != std::wstring::npos) movie = &record;
    }
    ASSERT_NE(movie, nullptr) << "the quoted path of a movie of the album";
    const std::wstring quoted = L"\"" + movie->link_name + L"\"";
    const std::wstring contentsIni = movie->ini_name;
    EXPECT_EQ(played.find(L"/NoResume"), std::wstring::npos);

    Command(main, kCommandPlayFromFirstFrame);
    const std::wstring fromStart = WaitForArgs(L"playdeck_stub");
    EXPECT_NE(fromStart.find(quoted + L" /EndClose /NoResume /Reelvault"), std::wstring::npos)
        << testing::PrintToString(fromStart);

    // With play_minimize the window goes down before the player starts.
    Inifile_CL(sandbox_.programIniPath()).WriteInt(1, L"ALBUM_INFO", L"play_minimize");
    const int64_t before = NowSeconds();
    Command(main, 0x8500);
    const std::wstring chosen = WaitForArgs(L"player_stub");
    EXPECT_TRUE(EndsWith(chosen, L" " + quoted + L" /sec=0")) << testing::PrintToString(chosen);
    EXPECT_TRUE(WaitUntil([&] { return IsIconic(main) != FALSE; }, 5000));

    const albumtest::ParsedIni contents = albumtest::ParseUtf16Ini(contentsIni);
    EXPECT_EQ(contents.Value(L"MOVIE_INFO", L"play_count"), L"3");
    ItemMovieData_CL reread;
    reread.ReadContentsIni(contentsIni);
    EXPECT_GE(reread.play_date_time, before);
    EXPECT_EQ(CloseAndWait(program), 0u);
}

// The movie records of the album as its contents files hold them now.
std::vector<ItemMovieData_CL> ContentsOf(const AppSandbox& sandbox)
{
    ItemMovieDataList_CL movies;
    sandbox.LoadFromFiles(movies);
    return movies.records;
}

// Answers the program's confirmation box with the button.
bool AnswerBox(const ReelvaultProcess& program, const wchar_t* title, int button)
{
    HWND box = program.WaitForTopWindow(L"#32770", title, kWindowTimeoutMs);
    if (!box) return false;
    PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(button), 0);
    return WaitUntil([&] { return !IsWindow(box); }, kWindowTimeoutMs);
}

TEST_F(ItemCommandProcTest, StarsAndDeleteWorkOnTheClickedMovie)
{
    ASSERT_EQ(sandbox_.MakeMovies(8), 0);
    ReelvaultProcess program;
    ASSERT_TRUE(program.Start(sandbox_.ProgramWithStandinMaker()));
    ASSERT_TRUE(WaitForReady(program));
    HWND main = program.MainWindow();
    HWND grid = GetDlgItem(main, kGridId);
    ASSERT_NE(grid, nullptr);
    ASSERT_TRUE(ShowAllMovies(main, 8));
    // The stand-in learns every movie's key from the decode requests of the start.
    ASSERT_TRUE(WaitUntil([&] { return !sandbox_.StandinDecodeRequests().empty(); }, kWindowTimeoutMs));

    ClickFirstCell(grid);
    Command(main, kItemStarsNone + 3);
    std::wstring rated;
    EXPECT_TRUE(WaitUntil(
        [&] {
            for (const ItemMovieData_CL& movie : ContentsOf(sandbox_)) {
                if (movie.star_count == 3) rated = movie.ini_name;
            }
            return !rated.empty();
        },
        kWindowTimeoutMs));
    ASSERT_FALSE(rated.empty());
    int ratedCount = 0;
    for (const ItemMovieData_CL& movie : ContentsOf(sandbox_)) ratedCount += movie.star_count == 3 ? 1 : 0;
    EXPECT_EQ(ratedCount, 1) << "only the clicked movie is selected";

    // No leaves everything as it was.
    Command(main, kItemDelete);
    ASSERT_TRUE(AnswerBox(program, L"アイテム削除確認", IDNO));
    Sleep(1500);
    EXPECT_EQ(ContentsOf(sandbox_).size(), 8u);

    std::wstring strip;
    uint32_t key = 0;
    for (const Kiln_RequestDecodeRequest_CL& request : sandbox_.StandinDecodeRequests()) {
        for (const auto& item : request.items) {
            if (PathName_CL::RemoveExtension(item.outputPath) == PathName_CL::RemoveExtension(rated)) {
                strip = item.outputPath;
                key = item.decodeKey;
            }
        }
    }
    ASSERT_NE(key, 0u) << "the rated movie was asked for at the start";

    Command(main, kItemDelete);
    ASSERT_TRUE(AnswerBox(program, L"アイテム削除確認", IDYES));
    EXPECT_TRUE(WaitUntil([&] { return ContentsOf(sandbox_).size() == 7u; }, kWindowTimeoutMs));
    EXPECT_EQ(GetFileAttributesW(rated.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesW(strip.c_str()), INVALID_FILE_ATTRIBUTES);
    std::vector<std::vector<uint32_t>> deletes;
    EXPECT_TRUE(WaitUntil(
        [&] {
            deletes.clear();
            for (const std::vector<uint8_t>& bytes : ReadRecordedMessages(sandbox_.standinRecordPath())) {
                ByteReader_CL message(bytes);
                Kiln_RequestDeleteRequest_CL request;
                if (PeekKilnMessageType(message) == kKilnDeleteRequest && SUCCEEDED(request.Load(message)))
                    deletes.push_back(request.keys);
            }
            return !deletes.empty();
        },
        kWindowTimeoutMs));
    ASSERT_EQ(deletes.size(), 1u);
    EXPECT_EQ(deletes[0], std::vector<uint32_t>{key});
    EXPECT_EQ(CloseAndWait(program), 0u);
    EXPECT_EQ(ContentsOf(sandbox_).size(), 7u);
}

TEST_F(ItemCommandProcTest, ListPlaysNeedTheSiblingPlayerAndCountEveryMovie)
{
    ASSERT_EQ(sandbox_.MakeMovies(3, L"--strips"), 0);
    const std::wstring playlist = sandbox_.dataFolder() + L"\\PlayList.playlist";
    {
        // Without the sibling player the user is told so and nothing is written.
        ReelvaultProcess program;
        ASSERT_TRUE(program.Start(ProgramPath()));
        ASSERT_TRUE(WaitForReady(program));
        ASSERT_TRUE(ShowAllMovies(program.MainWindow(), 3));
        Command(program.MainWindow(), kItemPlayListInOrder);
        EXPECT_TRUE(AnswerBox(program, L"お知らせ", IDOK));
        EXPECT_EQ(GetFileAttributesW(playlist.c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(CloseAndWait(program), 0u);
    }
    RegisterPlaydeck();
    ReelvaultProcess program;
    ASSERT_TRUE(program.Start(ProgramPath()));
    ASSERT_TRUE(WaitForReady(program));
    HWND main = program.MainWindow();
    ASSERT_TRUE(ShowAllMovies(main, 3));
    Command(main, kItemPlayListInOrder);
    const std::wstring args = WaitForArgs(L"playdeck_stub");
    EXPECT_TRUE(EndsWith(args, L" \"" + playlist + L"\" /EndClose /NoResume /Reelvault")) << testing::PrintToString(args);
    const std::vector<uint8_t> inOrder = ReadFileBytes(playlist);
    Command(main, kItemPlayListRandom);
    EXPECT_FALSE(WaitForArgs(L"playdeck_stub").empty());
    const std::vector<uint8_t> shuffled = ReadFileBytes(playlist);
    EXPECT_EQ(CloseAndWait(program), 0u);

    // Every movie of the list once per line, each counted twice now (the order of the walk is
    // checked in-process).
    const std::vector<ItemMovieData_CL> movies = ContentsOf(sandbox_);
    std::vector<std::string> lines;
    std::string text(inOrder.begin(), inOrder.end());
    for (size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(text.substr(at, end - at));
    ASSERT_EQ(lines.size(), 3u) << text;
    std::vector<std::string> paths;
    for (const ItemMovieData_CL& movie : movies) {
        paths.push_back(std::string(movie.link_name.begin(), movie.link_name.end()));
        EXPECT_EQ(movie.play_count, 2u) << paths.back();
    }
    std::vector<std::string> sortedLines = lines;
    std::sort(sortedLines.begin(), sortedLines.end());
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(sortedLines, paths);
    // The random play holds the same lines in some order.
    std::string again(shuffled.begin(), shuffled.end());
    EXPECT_EQ(again.size(), text.size());
    for (const std::string& line : lines) EXPECT_NE(again.find(line + "\r\n"), std::string::npos) << line;
}

// The write time of the file, 0 when it is missing.
uint64_t WriteTime(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

TEST_F(ItemCommandProcTest, RefetchHasTheMakerRemakeTheClickedMoviesStrip)
{
    ASSERT_EQ(sandbox_.MakeDemoAlbum(), 0);
    ReelvaultProcess program;
    ASSERT_TRUE(program.Start(ProgramPath()));
    ASSERT_TRUE(WaitForReady(program));
    HWND main = program.MainWindow();
    HWND grid = GetDlgItem(main, kGridId);
    ASSERT_NE(grid, nullptr);
    // The thumbnail maker makes every strip of the start first.
    auto stripTimes = [&] {
        std::vector<std::pair<std::wstring, uint64_t>> times;
        for (const ItemMovieData_CL& movie : ContentsOf(sandbox_))
            times.emplace_back(movie.GetThumbnailPath(), WriteTime(movie.GetThumbnailPath()));
        return times;
    };
    auto allMade = [&] {
        if (!RemoteStatusText(StatusBarOf(main), 1).empty()) return false;
        int made = 0;
        for (const auto& strip : stripTimes()) made += strip.second != 0 ? 1 : 0;
        return made >= 6;
    };
    ASSERT_TRUE(WaitUntil(allMade, 180000, 200));
    ASSERT_TRUE(ShowAllMovies(main, 7));
    const auto before = stripTimes();

    ClickFirstCell(grid);
    Command(main, kItemRefetchEven);
    std::wstring remade;
    EXPECT_TRUE(WaitUntil(
        [&] {
            const auto now = stripTimes();
            int changed = 0;
            for (size_t i = 0; i < now.size() && i < before.size(); ++i) {
                if (now[i].second != before[i].second && now[i].second != 0) {
                    ++changed;
                    remade = now[i].first;
                }
            }
            return changed == 1;
        },
        120000, 200));
    EXPECT_FALSE(remade.empty());
    EXPECT_EQ(CloseAndWait(program), 0u);
    // The remade strip's positions are the maker's evenly spaced ones again.
    for (const ItemMovieData_CL& movie : ContentsOf(sandbox_)) {
        if (movie.GetThumbnailPath() != remade) continue;
        for (const FavoritesFrameEntry& frame : movie.favorites_frames) EXPECT_GE(frame.fav, 0);
    }
}

}  // namespace
