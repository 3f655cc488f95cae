// The movie item commands' per-movie steps over a small album made in a temporary folder,
// and the pieces around the walk: start frame, play order, Explorer's parameter, the
// records a delete removes and what the thumbnail maker is told.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

#include "app/commands/ItemCommandSteps.h"
#include "core/album/SaveData.h"
#include "core/base/ByteReader.h"
#include "core/base/Inifile.h"
#include "core/base/PathName.h"
#include "core/base/UiThreadInvoker.h"
#include "core/base/UniqueHandle.h"
#include "core/ipc/StillforgeRequest.h"
#include "core/media/GdiplusSession.h"
#include "tests/album/AlbumTestSupport.h"
#include "tests/common/RecordingPipeServer.h"
#include "tests/common/TempFolder.h"
#include "tests/common/TestWindow.h"
#include "ui/views/MovieListWindow.h"
#include "ui/views/ViewHost.h"

namespace {

using albumtest::DocumentsSandbox;
using albumtest::WriteUtf16Text;

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

// Polls for up to 15 s; whether done() came true.
bool WaitFor(const std::function<bool()>& done)
{
    for (int i = 0; i < 300; ++i) {
        if (done()) return true;
        Sleep(50);
    }
    return done();
}

// A worker thread's body.
struct WorkerCall {
    std::function<void()> body;
};
DWORD WINAPI RunWorkerCall(void* parameter)
{
    static_cast<WorkerCall*>(parameter)->body();
    return 0;
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class ItemCommandTest : public testing::Test {
protected:
    void SetUp() override
    {
        CreateDirectoryW(sandbox_.dataFolder().c_str(), nullptr);
        data_.program_ini.SetPath(sandbox_.dataFolder() + L"\\Reelvault.ini");
        data_.album_ini.SetPath(folder_ / L"AlbumInfo.ini");
        data_.disp_setting.movie_view.records = &data_.movie_list.records;
    }

    // n movies with their movie file, contents ini and strip file (with files), and the
    // list showing them in album order.
    void MakeAlbum(size_t n, bool withFiles = true)
    {
        auto& records = data_.movie_list.records;
        records.reserve(n);
        for (size_t i = 0; i < n; ++i) {
            ItemMovieData_CL movie;
            const std::wstring number = std::to_wstring(i);
            movie.link_name = folder_ / (L"movie" + number + L".mp4");
            movie.ini_name = folder_ / (L"contents" + number + L".ini");
            movie.content_name = L"movie" + number;
            movie.decode_key = 100 + static_cast<uint32_t>(i);
            movie.skip_frames.resize(ItemMovieData_CL::kSkipFrameCount);
            movie.favorites_frames.resize(ItemMovieData_CL::kFavoritesFrameCount);
            for (int f = 0; f < ItemMovieData_CL::kFavoritesFrameCount; ++f) movie.favorites_frames[f].fav = 1000 * (f + 1);
            if (withFiles) {
                WriteUtf16Text(movie.link_name, L"movie");
                WriteUtf16Text(movie.GetThumbnailPath(), L"strip");
                movie.WriteContentsIni();
            }
            records.push_back(movie);
            data_.disp_setting.movie_view.indices.push_back(static_cast<int32_t>(i));
        }
    }

    ItemMovieData_CL& At(size_t position) { return data_.disp_setting.movie_view.at(position); }

    // The walk as the progress dialog runs it: the given positions in list order (backwards
    // when asked), stopping at a 0 result. Returns the number of movies applied.
    int Walk(uint32_t command, std::vector<int32_t> selected, void* p1 = nullptr, void* p2 = nullptr,
             bool backwards = false)
    {
        std::sort(selected.begin(), selected.end());
        if (backwards) std::reverse(selected.begin(), selected.end());
        int applied = 0;
        for (int32_t position : selected) {
            ++applied;
            if (steps_.Apply(command, position, p1, p2, At(static_cast<size_t>(position))) == 0) break;
        }
        return applied;
    }

    albumtest::ParsedIni Contents(size_t position) { return albumtest::ParseUtf16Ini(At(position).ini_name); }

    DocumentsSandbox sandbox_;
    TempFolder folder_;
    SaveData_CL data_;
    UiThreadInvoker_CL ui_;
    std::vector<std::wstring> recordedPlays_;
    ItemCommandSteps_CL steps_{data_, ui_, nullptr,
                               [this](ItemMovieData_CL& movie) { recordedPlays_.push_back(movie.link_name); }};
};

TEST(ItemCommandPieces, CellFrameOrderAndStartPosition)
{
    EXPECT_EQ(CellFrameOrder(5), (std::vector<int>{1, 2, 4, 5, 8}));
    EXPECT_EQ(CellFrameOrder(1), (std::vector<int>{1}));
    EXPECT_EQ(CellFrameOrder(10), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));

    ItemMovieData_CL movie;
    movie.favorites_frames.resize(ItemMovieData_CL::kFavoritesFrameCount);
    for (int f = 0; f < ItemMovieData_CL::kFavoritesFrameCount; ++f) movie.favorites_frames[f].fav = 1000 * f;
    struct Row {
        int frames;
        int32_t focus;
        int32_t hover;
        int32_t slot;
        int64_t want;
    };
    const Row rows[] = {
        {5, 3, 3, 0, 1000},  {5, 3, 3, 1, 2000},  {5, 3, 3, 2, 4000}, {5, 3, 3, 3, 5000}, {5, 3, 3, 4, 8000},
        {3, 0, 0, 2, 8000},  {2, 0, 0, 1, 8000},  {1, 0, 0, 0, 1000}, {10, 7, 7, 9, 9000},
        {5, 3, 4, 1, 0},     // the focused cell is not the hovered one
        {5, 3, 3, -1, 0},    // no frame under the pointer
        {5, 3, 3, 5, 0},     // a slot the cell does not have
    };
    for (const Row& row : rows) {
        EXPECT_EQ(PlayStartPosition(movie, row.frames, row.focus, row.hover, row.slot), row.want)
            << row.frames << " frames, slot " << row.slot << ", focus " << row.focus << ", hover " << row.hover;
    }
    movie.favorites_frames[4].fav = -1;
    EXPECT_EQ(PlayStartPosition(movie, 5, 0, 0, 2), 0);
    movie.favorites_frames[4].fav = -2;
    EXPECT_EQ(PlayStartPosition(movie, 5, 0, 0, 2), 0);
    movie.favorites_frames.clear();
    EXPECT_EQ(PlayStartPosition(movie, 5, 0, 0, 2), 0);
}

TEST(ItemCommandPieces, ShuffledOrderIsAPermutation)
{
    for (size_t n : {1u, 2u, 7u, 50u}) {
        std::vector<uint32_t> order(n);
        std::iota(order.begin(), order.end(), 0u);
        ShufflePlayOrder(order);
        std::vector<uint32_t> sorted = order;
        std::sort(sorted.begin(), sorted.end());
        std::vector<uint32_t> want(n);
        std::iota(want.begin(), want.end(), 0u);
        EXPECT_EQ(sorted, want) << n;
    }
    std::vector<uint32_t> none;
    ShufflePlayOrder(none);
    EXPECT_TRUE(none.empty());
}

TEST(ItemCommandPieces, ExplorerParameterQuotesThePath)
{
    struct Row {
        const wchar_t* path;
        const wchar_t* want;
    };
    const Row rows[] = {
        {L"C:\\movies\\a,b.mp4", L"/select,\"C:\\movies\\a,b.mp4\""},
        {L"C:\\my movies\\a b.mp4", L"/select,\"C:\\my movies\\a b.mp4\""},
        {L"C:\\動画\\夏　休み,２.mp4", L"/select,\"C:\\動画\\夏　休み,２.mp4\""},
    };
    for (const Row& row : rows) EXPECT_EQ(ExplorerSelectParameter(row.path), row.want);
}

TEST_F(ItemCommandTest, ListPlayCollectsPathsInWalkOrderAndCountsEachPlay)
{
    MakeAlbum(4);
    At(2).link_name.clear();  // a record without a movie path is left out
    std::vector<std::wstring> paths;
    std::vector<uint32_t> order;
    Walk(kItemPlayListInOrder, {0, 1, 2, 3}, &paths, &order);
    EXPECT_EQ(paths, (std::vector<std::wstring>{At(0).link_name, At(1).link_name, At(3).link_name}));
    EXPECT_EQ(order, (std::vector<uint32_t>{0, 1, 2}));
    EXPECT_EQ(recordedPlays_, paths);
}

TEST_F(ItemCommandTest, StarsGoToTheContentsIniAndTheSiblingPlayersFiles)
{
    MakeAlbum(3);
    // The sibling player keeps one file per movie in its contents folders under Documents.
    const std::wstring player = sandbox_.documents() + L"\\Playdeck";
    CreateDirectoryW(player.c_str(), nullptr);
    CreateDirectoryW((player + L"\\contents").c_str(), nullptr);
    std::vector<std::wstring> playerFiles;
    for (size_t i = 0; i < 3; ++i) {
        wchar_t number[8];
        _snwprintf(number, 8, L"%03u", LinkNameHash(At(i).link_name) % 100);
        const std::wstring folder = player + L"\\contents\\" + number;
        CreateDirectoryW(folder.c_str(), nullptr);
        playerFiles.push_back(folder + L"\\movie" + std::to_wstring(i) + L".ini");
        WriteUtf16Text(playerFiles.back(), L"[MOVIE_INFO]\nlink_name=" + At(i).link_name + L"\nstar_count=0\n");
    }
    Walk(kItemStarsNone + 3, {0, 2});
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(testing::Message() << "movie " << i);
        const std::wstring want = i == 1 ? L"0" : L"3";
        EXPECT_EQ(At(i).star_count, i == 1 ? 0u : 3u);
        EXPECT_EQ(Contents(i).Value(L"MOVIE_INFO", L"star_count"), want);
        EXPECT_EQ(albumtest::ParseUtf16Ini(playerFiles[i]).Value(L"MOVIE_INFO", L"star_count"), want);
    }
    Walk(kItemStarsNone, {0});
    EXPECT_EQ(Contents(0).Value(L"MOVIE_INFO", L"star_count"), L"0");
    EXPECT_EQ(albumtest::ParseUtf16Ini(playerFiles[0]).Value(L"MOVIE_INFO", L"star_count"), L"0");
    RemoveTree(player);
}

TEST_F(ItemCommandTest, TagsAddedAndRemovedOverTheSelection)
{
    MakeAlbum(4);
    for (int t = 0; t < 19; ++t) At(2).tags.push_back(L"full" + std::to_wstring(100 + t));
    At(2).SortTags();
    int32_t firstMovie = 1;
    std::wstring text = L"a b\x3000" L"c";
    Walk(kItemAddTags, {0, 1, 2}, &firstMovie, &text);
    EXPECT_EQ(firstMovie, 0);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(At(i).tags, (std::vector<std::wstring>{L"a", L"b", L"c"})) << i;
    }
    // The movie with 19 tags takes one more and no other.
    EXPECT_EQ(At(2).tags.size(), 20u);
    EXPECT_TRUE(At(3).tags.empty());
    EXPECT_EQ(data_.album_data.tag_history, (std::vector<std::wstring>{L"c", L"b", L"a"}));

    // A later movie of the walk leaves the history alone.
    data_.album_data.tag_history.clear();
    std::wstring other = L"x";
    int32_t notFirst = 0;
    EXPECT_EQ(steps_.Apply(kItemAddTags, 3, &notFirst, &other, At(3)), 1);
    EXPECT_EQ(At(3).tags, (std::vector<std::wstring>{L"x"}));
    EXPECT_TRUE(data_.album_data.tag_history.empty());

    // The tag went to every selected movie's contents ini; removing it takes it from each
    // selected movie that has it.
    std::wstring b = L"b";
    Walk(kItemRemoveTag, {1, 2, 3}, &b);
    EXPECT_EQ(At(0).tags, (std::vector<std::wstring>{L"a", L"b", L"c"}));
    EXPECT_EQ(At(1).tags, (std::vector<std::wstring>{L"a", L"c"}));
    EXPECT_EQ(At(3).tags, (std::vector<std::wstring>{L"x"}));
    ItemMovieData_CL reread;
    reread.ReadContentsIni(At(1).ini_name);
    EXPECT_EQ(reread.tags, (std::vector<std::wstring>{L"a", L"c"}));
    reread.ReadContentsIni(At(0).ini_name);
    EXPECT_EQ(reread.tags, (std::vector<std::wstring>{L"a", L"b", L"c"}));
}

TEST_F(ItemCommandTest, CategoryPairAndPlaylistItems)
{
    MakeAlbum(3);
    ItemCategoryPair pair{L"アニメ", L"夏"};
    Walk(kItemSetCategory, {0, 2}, &pair);
    for (size_t i : {0u, 2u}) {
        EXPECT_EQ(At(i).category, L"アニメ");
        EXPECT_EQ(At(i).sub_category, L"夏");
        EXPECT_TRUE(At(i).IsInSubCategory(NameHash(L"夏"), L"夏"));
        ItemMovieData_CL reread;
        reread.ReadContentsIni(At(i).ini_name);
        EXPECT_EQ(reread.category, L"アニメ");
        EXPECT_EQ(reread.sub_category, L"夏");
    }
    EXPECT_TRUE(At(1).category.empty());

    ItemCategoryData_CL playlist;
    Walk(kItemAddToPlaylist, {1}, &playlist);
    Walk(kItemAddToPlaylist, {0, 1}, &playlist);
    EXPECT_EQ(playlist.playlist, (std::vector<std::wstring>{At(1).ini_name, At(0).ini_name, At(1).ini_name}));
    Walk(kItemRemoveFromPlaylist, {1, 2}, &playlist, nullptr, true);
    EXPECT_EQ(playlist.playlist, (std::vector<std::wstring>{At(0).ini_name, At(1).ini_name}));
}

TEST_F(ItemCommandTest, RefetchDeletesTheStripAndSetsThePositions)
{
    MakeAlbum(4);
    struct Row {
        uint32_t command;
        int64_t want;  // 0: positions kept
    };
    const Row rows[] = {{kItemRefetch, 0}, {kItemRefetchEven, -1}, {kItemRefetchRandom, -2}};
    for (const Row& row : rows) {
        const size_t i = static_cast<size_t>(&row - rows);
        SCOPED_TRACE(testing::Message() << std::hex << row.command);
        Walk(row.command, {static_cast<int32_t>(i)});
        EXPECT_FALSE(Exists(At(i).GetThumbnailPath()));
        EXPECT_EQ(At(i).run_decode, 1u);
        for (int f = 0; f < ItemMovieData_CL::kFavoritesFrameCount; ++f)
            EXPECT_EQ(At(i).favorites_frames[f].fav, row.want ? row.want : 1000 * (f + 1));
    }
    EXPECT_TRUE(Exists(At(3).GetThumbnailPath()));
    EXPECT_EQ(At(3).run_decode, 0u);
}

TEST_F(ItemCommandTest, DeleteRemovesRecordsFilesAndTellsTheMaker)
{
    MakeAlbum(8);
    // The list shows the records in reverse, so that list positions and record numbers differ.
    auto& view = data_.disp_setting.movie_view;
    std::reverse(view.indices.begin(), view.indices.end());
    std::vector<std::wstring> names;
    for (size_t p = 0; p < 8; ++p) names.push_back(At(p).link_name);
    const std::vector<std::wstring> removedInis = {At(2).ini_name, At(5).ini_name};
    const std::vector<std::wstring> removedStrips = {At(2).GetThumbnailPath(), At(5).GetThumbnailPath()};

    RecordingPipeServer maker;
    maker.SetName(GetThumbnailMakerPipeName());
    ASSERT_EQ(maker.Start(), S_OK);

    // Nothing selected: nothing sent, nothing removed.
    Kiln_RequestDeleteRequest_CL empty;
    std::vector<int32_t> none;
    Walk(kItemDelete, {}, &empty, &none, true);
    SendDeleteRequest(empty);
    RemoveDeletedRecords(data_.movie_list.records, view.indices, none);
    EXPECT_EQ(view.size(), 8u);

    Kiln_RequestDeleteRequest_CL request;
    std::vector<int32_t> positions;
    Walk(kItemDelete, {2, 5}, &request, &positions, true);
    EXPECT_EQ(positions, (std::vector<int32_t>{5, 2}));
    SendDeleteRequest(request);
    RemoveDeletedRecords(data_.movie_list.records, view.indices, positions);

    ASSERT_EQ(view.size(), 6u);
    EXPECT_EQ(data_.movie_list.records.size(), 6u);
    std::vector<std::wstring> left;
    for (size_t p = 0; p < view.size(); ++p) left.push_back(At(p).link_name);
    EXPECT_EQ(left, (std::vector<std::wstring>{names[0], names[1], names[3], names[4], names[6], names[7]}));
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_FALSE(Exists(removedInis[i]));
        EXPECT_FALSE(Exists(removedStrips[i]));
    }
    for (const std::wstring& movie : names) EXPECT_TRUE(Exists(movie)) << Narrow(movie);

    const auto messages = maker.WaitFor(1);
    ASSERT_EQ(messages.size(), 1u);
    ByteReader_CL reader(messages[0]);
    Kiln_RequestDeleteRequest_CL received;
    ASSERT_EQ(received.Load(reader), S_OK);
    EXPECT_EQ(received.kind, 1u);
    // Records 5 and 2 of the reversed list sit at positions 2 and 5: the highest position first.
    EXPECT_EQ(received.keys, (std::vector<uint32_t>{100 + 2, 100 + 5}));
}

// Another program holding a contents file open (a virus checker, a reader of the album)
// makes DeleteFileW fail for a moment. A movie whose file stays would come back at the next
// load, so it stays in the list and the maker keeps it; one released soon is deleted.
TEST_F(ItemCommandTest, DeleteWaitsForAFileHeldOpenAndKeepsAMovieWhoseFileStays)
{
    MakeAlbum(4);
    auto& view = data_.disp_setting.movie_view;
    const std::wstring held = At(1).ini_name, brief = At(2).ini_name;
    const uint32_t briefKey = At(2).decode_key;
    auto open = [](const std::wstring& path) {
        return UniqueHandle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    };
    UniqueHandle heldFile = open(held);
    ASSERT_TRUE(heldFile);
    struct Release {
        UniqueHandle file;
        static DWORD WINAPI Run(void* self)
        {
            Sleep(400);
            static_cast<Release*>(self)->file.reset();
            return 0;
        }
    } release{open(brief)};
    ASSERT_TRUE(release.file);
    UniqueHandle releaser(CreateThread(nullptr, 0, &Release::Run, &release, 0, nullptr));
    ASSERT_TRUE(releaser);

    Kiln_RequestDeleteRequest_CL request;
    std::vector<int32_t> positions;
    Walk(kItemDelete, {1, 2}, &request, &positions, true);
    WaitForSingleObject(releaser.get(), 10000);
    EXPECT_EQ(positions, (std::vector<int32_t>{2}));
    EXPECT_EQ(request.keys, (std::vector<uint32_t>{briefKey}));
    EXPECT_FALSE(Exists(brief));
    EXPECT_TRUE(Exists(held));
    EXPECT_TRUE(Exists(At(1).GetThumbnailPath())) << "a movie that stays keeps its strip";
    RemoveDeletedRecords(data_.movie_list.records, view.indices, positions);
    EXPECT_EQ(view.size(), 3u);
    EXPECT_EQ(At(1).ini_name, held);
}

// Runs one step on a worker while this thread pumps; false when it did not end in time.
bool ApplyOnWorker(const std::function<void()>& step, DWORD idleFirstMs, const std::function<void()>& whileIdle)
{
    std::atomic<int> done{0};
    WorkerCall work{[&] {
        step();
        done = 1;
    }};
    UniqueHandle worker(CreateThread(nullptr, 0, RunWorkerCall, &work, 0, nullptr));
    if (!worker) return false;
    Sleep(idleFirstMs);
    whileIdle();
    HANDLE handle = worker.get();
    for (DWORD start = GetTickCount(); GetTickCount() - start < 30000;) {
        if (MsgWaitForMultipleObjects(1, &handle, FALSE, 50, QS_ALLINPUT) == WAIT_OBJECT_0) return done == 1;
        PumpMessages();
    }
    return false;
}

// What the views paint from changes only on the user-interface thread: while that thread
// pumps no message, a worker's step waits with the change not yet made.
TEST_F(ItemCommandTest, ChangesTheViewsReadWaitForTheUserInterfaceThread)
{
    MakeAlbum(2);
    At(1).tags = {L"old"};
    ItemCategoryPair pair{L"c", L"s"};
    int32_t firstMovie = 1;
    std::wstring text = L"t";
    std::wstring tag = L"old";
    ItemCategoryData_CL playlist;
    struct Row {
        uint32_t command;
        size_t position;
        void* p1;
        void* p2;
        std::function<bool()> changed;
    };
    const Row rows[] = {
        {kItemAddTags, 0, &firstMovie, &text, [&] { return !At(0).tags.empty(); }},
        {kItemRemoveTag, 1, &tag, nullptr, [&] { return At(1).tags.empty(); }},
        {kItemSetCategory, 0, &pair, nullptr, [&] { return At(0).category == L"c"; }},
        {kItemRefetchEven, 1, nullptr, nullptr, [&] { return !Exists(At(1).GetThumbnailPath()); }},
        {kItemAddToPlaylist, 0, &playlist, nullptr, [&] { return !playlist.playlist.empty(); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << std::hex << row.command);
        bool changedWhileIdle = true;
        EXPECT_TRUE(ApplyOnWorker(
            [&] { steps_.Apply(row.command, static_cast<int32_t>(row.position), row.p1, row.p2, At(row.position)); },
            300, [&] { changedWhileIdle = row.changed(); }));
        EXPECT_FALSE(changedWhileIdle);
        EXPECT_TRUE(row.changed());
    }
}

// The main window's side of the grid: refreshes hand the album's list to it.
class StressHost : public ViewHost_IF {
public:
    void RefreshMovieList() override {}
};

TEST_F(ItemCommandTest, TagsAddedFromAWorkerWhileTheGridRepaints)
{
    constexpr size_t kMovies = 500;
    MakeAlbum(kMovies, false);
    for (size_t i = 0; i < kMovies; ++i) {
        // Full vectors: the next tag makes each one move its storage.
        At(i).tags = {L"one", L"two", L"three"};
        At(i).tags.shrink_to_fit();
    }
    GdiplusSession gdiplus;
    ASSERT_TRUE(gdiplus.IsStarted());
    TestHostWindow window(640, 420);
    StressHost host;
    MovieListWindow_CL grid(&data_, &host);
    ASSERT_NE(grid.Create(window.Get(), 0x77, 620, 400), nullptr);
    const DispSettingData_CL& settings = data_.disp_setting;
    grid.SetThumbnailLayoutForFont(settings.frame_sizes[0][0], settings.frame_sizes[0][1], 3, 0,
                                   settings.GetUiFontHeight(), 0);
    grid.gridListener.pendingRecords = &data_.movie_list.records;
    grid.gridListener.pendingIndices = settings.movie_view.indices;
    grid.RequestRefresh();
    PumpMessages();
    ASSERT_EQ(grid.GetItemCount(), kMovies);
    grid.SelectAll(1);

    ItemCommandSteps_CL steps(data_, ui_, &grid, nullptr);
    std::wstring text = L"stress";
    int32_t firstMovie = 1;
    std::atomic<int> done{0};
    WorkerCall work{[&] {
        for (size_t i = 0; i < kMovies; ++i) steps.Apply(kItemAddTags, static_cast<int32_t>(i), &firstMovie, &text, At(i));
        done = 1;
    }};
    UniqueHandle worker(CreateThread(nullptr, 0, RunWorkerCall, &work, 0, nullptr));
    ASSERT_TRUE(worker);
    int paints = 0;
    for (DWORD start = GetTickCount(); !done && GetTickCount() - start < 120000; ++paints) {
        InvalidateRect(grid.hwnd, nullptr, FALSE);
        UpdateWindow(grid.hwnd);
        PumpMessages();
    }
    ASSERT_EQ(WaitForSingleObject(worker.get(), 10000), WAIT_OBJECT_0);
    EXPECT_GT(paints, 10);
    for (size_t i = 0; i < kMovies; ++i) {
        ASSERT_EQ(std::count(At(i).tags.begin(), At(i).tags.end(), L"stress"), 1) << i;
        ASSERT_EQ(At(i).tags.size(), 4u) << i;
    }
    ItemMovieData_CL reread;
    reread.ReadContentsIni(At(kMovies - 1).ini_name);
    EXPECT_EQ(std::count(reread.tags.begin(), reread.tags.end(), L"stress"), 1);
    DestroyWindow(grid.hwnd);
    PumpMessages();
}

// Wine's Explorer windows (class "ExplorerWClass") with their titles, the folder shown.
struct ExplorerWindow {
    HWND window;
    std::wstring title;
};
BOOL CALLBACK CollectExplorerWindow(HWND window, LPARAM out)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (!IsWindowVisible(window) || wcscmp(name, L"ExplorerWClass") != 0) return TRUE;
    wchar_t title[MAX_PATH] = {};
    GetWindowTextW(window, title, MAX_PATH);
    reinterpret_cast<std::vector<ExplorerWindow>*>(out)->push_back({window, title});
    return TRUE;
}
std::vector<ExplorerWindow> ExplorerWindows()
{
    std::vector<ExplorerWindow> found;
    EnumWindows(CollectExplorerWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

TEST_F(ItemCommandTest, OpenFolderShowsTheFirstSelectedMovieInOneExplorerWindow)
{
    // Folder names Explorer's argument splitting would break; the movie lies in the first.
    const std::wstring folders[] = {L"夏,休み 2", L"b", L"c"};
    MakeAlbum(3, false);
    for (size_t i = 0; i < 3; ++i) {
        CreateDirectoryW((folder_ / folders[i]).c_str(), nullptr);
        At(i).link_name = folder_ / (folders[i] + L"\\movie,1.mp4");
        WriteUtf16Text(At(i).link_name, L"movie");
    }
    for (const ExplorerWindow& old : ExplorerWindows()) PostMessageW(old.window, WM_CLOSE, 0, 0);
    WaitFor([&] { return ExplorerWindows().empty(); });

    EXPECT_EQ(Walk(kItemOpenFolder, {0, 1, 2}), 1);
    EXPECT_TRUE(WaitFor([&] { return !ExplorerWindows().empty(); }));
    Sleep(1500);  // room for a second window that must not come
    const std::vector<ExplorerWindow> shown = ExplorerWindows();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, folders[0]);
    for (const ExplorerWindow& window : shown) PostMessageW(window.window, WM_CLOSE, 0, 0);
}

}  // namespace


#include "tests/app/MainWindowFixture.h"

namespace {

// Answers the first message box of this process with that title, from a thread of its own,
// while the command that shows it waits in the box's loop.
class BoxAnswer {
public:
    BoxAnswer(const wchar_t* title, int button) : title_(title), button_(button)
    {
        call_.body = [this] {
            for (int i = 0; i < 600 && !answered_; ++i) {
                HWND box = FindWindowW(L"#32770", title_);
                if (box) {
                    PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(button_), 0);
                    answered_ = true;
                }
                Sleep(50);
            }
        };
        thread_.reset(CreateThread(nullptr, 0, RunWorkerCall, &call_, 0, nullptr));
    }
    ~BoxAnswer() { WaitForSingleObject(thread_.get(), 35000); }
    bool Answered() const { return answered_; }

private:
    const wchar_t* title_;
    int button_;
    std::atomic<bool> answered_{false};
    WorkerCall call_;
    UniqueHandle thread_;
};

class ItemCommandWindowTest : public apptest::LoadedMainWindow {
protected:
    void TearDown() override
    {
        DispSettingData_CL& settings = g_saveData.disp_setting;
        settings.sub_category_view.indices.clear();
        settings.selected_sub_category = -1;
        g_saveData.category_list.records.clear();
        g_saveData.movie_list.records.clear();
        settings.movie_view.indices.clear();
        LoadedMainWindow::TearDown();
    }

    // n movies of the album with their contents ini and strip, shown in album order.
    void ShowMovies(size_t n)
    {
        auto& records = g_saveData.movie_list.records;
        records.clear();
        for (size_t i = 0; i < n; ++i) {
            ItemMovieData_CL movie;
            movie.link_name = folder_ / (L"movie" + std::to_wstring(i) + L".mp4");
            movie.ini_name = folder_ / (L"contents" + std::to_wstring(i) + L".ini");
            movie.content_name = L"movie" + std::to_wstring(i);
            movie.skip_frames.resize(ItemMovieData_CL::kSkipFrameCount);
            movie.favorites_frames.resize(ItemMovieData_CL::kFavoritesFrameCount);
            WriteUtf16Text(movie.link_name, L"movie");
            WriteUtf16Text(movie.GetThumbnailPath(), L"strip");
            movie.WriteContentsIni();
            records.push_back(movie);
        }
        // Shown as the list of a category tab would show them.
        DispSettingData_CL& settings = g_saveData.disp_setting;
        g_saveData.movie_list.SelectAll(settings.movie_view);
        MovieListWindow_CL* grid = window_->GetMovieGrid();
        grid->gridListener.pendingRecords = settings.movie_view.records;
        grid->gridListener.pendingIndices = settings.movie_view.indices;
        grid->RequestRefresh();
        ASSERT_TRUE(apptest::PumpUntil([&] { return grid->updatePending == 0; }, 5000));
        ASSERT_EQ(grid->GetItemCount(), n);
    }
    void Select(std::initializer_list<uint32_t> positions)
    {
        MovieListWindow_CL* grid = window_->GetMovieGrid();
        grid->SelectAll(0);
        for (uint32_t p : positions) grid->SetSelect(p, 1);
    }
    ItemMovieData_CL& Movie(size_t position) { return g_saveData.disp_setting.movie_view.at(position); }

    TempFolder folder_;
};

TEST_F(ItemCommandWindowTest, PlaylistItemsAddedRemovedAndWrittenWithTheConfirmation)
{
    OpenAndLoad();
    ASSERT_NO_FATAL_FAILURE(ShowMovies(3));
    ItemCategoryData_CL record;
    record.ini_name = folder_ / L"category00001.ini";
    record.category = L"プレイリスト";
    record.sub_category = L"夜";
    g_saveData.category_list.records.push_back(record);
    DispSettingData_CL& settings = g_saveData.disp_setting;
    settings.sub_category_view.records = &g_saveData.category_list.records;
    settings.sub_category_view.indices = {0};
    settings.selected_sub_category = 0;
    ItemCategoryData_CL& playlist = g_saveData.category_list.records[0];
    const std::wstring first = Movie(0).ini_name;
    const std::wstring second = Movie(1).ini_name;

    Select({0});
    window_->AddSelectionToPlaylist(playlist);
    Select({0, 1});
    window_->AddSelectionToPlaylist(playlist);
    EXPECT_EQ(playlist.playlist, (std::vector<std::wstring>{first, first, second}));
    ItemCategoryData_CL reread;
    reread.ReadIni(playlist.ini_name);
    EXPECT_EQ(reread.playlist, playlist.playlist);

    {
        BoxAnswer no(L"アイテム削除確認", IDNO);
        window_->OnItemCommand(kItemRemoveFromPlaylist);
        EXPECT_TRUE(no.Answered());
    }
    EXPECT_EQ(playlist.playlist.size(), 3u);
    {
        BoxAnswer yes(L"アイテム削除確認", IDYES);
        Select({0});
        window_->OnItemCommand(kItemRemoveFromPlaylist);
        EXPECT_TRUE(yes.Answered());
    }
    EXPECT_EQ(g_saveData.category_list.records[0].playlist, (std::vector<std::wstring>{first, second}));
    reread.ReadIni(record.ini_name);
    EXPECT_EQ(reread.playlist, (std::vector<std::wstring>{first, second}));
}

TEST_F(ItemCommandWindowTest, DeleteThroughTheWindowRemovesTheSelectedRecords)
{
    OpenAndLoad();
    ASSERT_NO_FATAL_FAILURE(ShowMovies(8));
    std::vector<std::wstring> names;
    for (size_t p = 0; p < 8; ++p) names.push_back(Movie(p).link_name);
    const std::wstring gone = Movie(2).ini_name;
    {
        BoxAnswer no(L"アイテム削除確認", IDNO);
        Select({2, 5});
        window_->OnItemCommand(kItemDelete);
        EXPECT_TRUE(no.Answered());
    }
    EXPECT_EQ(g_saveData.movie_list.records.size(), 8u);
    EXPECT_TRUE(Exists(gone));
    {
        BoxAnswer yes(L"アイテム削除確認", IDYES);
        Select({2, 5});
        window_->OnItemCommand(kItemDelete);
        EXPECT_TRUE(yes.Answered());
    }
    std::vector<std::wstring> left;
    for (const ItemMovieData_CL& movie : g_saveData.movie_list.records) left.push_back(movie.link_name);
    EXPECT_EQ(left, (std::vector<std::wstring>{names[0], names[1], names[3], names[4], names[6], names[7]}));
    EXPECT_FALSE(Exists(gone));
    for (const std::wstring& movie : names) EXPECT_TRUE(Exists(movie));
}

}  // namespace
