#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "core/album/ItemMovieDataList.h"
#include "core/base/PathName.h"
#include "core/ipc/PipeClient.h"
#include "core/ipc/PipeServer.h"
#include "core/ipc/StillforgeRequest.h"
#include "tests/common/RecordingPipeServer.h"
#include "tests/common/TempFolder.h"
#include "tests/ipc/IpcTestSupport.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::wstring UniqueTitle(const wchar_t* what)
{
    static int counter = 0;
    return std::wstring(L"RvMaker-") + what + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(++counter);
}

struct MakerSearch {
    std::wstring title;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectMakerWindow(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<MakerSearch*>(param);
    wchar_t className[64] = {}, text[256] = {};
    GetClassNameW(window, className, 64);
    GetWindowTextW(window, text, 256);
    if (std::wstring(className) == L"Stillforge" && search->title == text) search->found.push_back(window);
    return TRUE;
}

std::vector<HWND> MakerWindows(const std::wstring& title)
{
    MakerSearch search{title, {}};
    EnumWindows(CollectMakerWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

DWORD ProcessOf(HWND window)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

class ThumbnailMakerControl : public testing::Test {
protected:
    void TearDown() override
    {
        // A maker left by a failed test is ended by force.
        for (HWND window : MakerWindows(StillforgeRequest.title)) {
            UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, ProcessOf(window)));
            if (process) TerminateProcess(process.get(), 98);
            if (process) WaitForSingleObject(process.get(), 5000);
        }
    }
};

TEST_F(ThumbnailMakerControl, StartsTheMakerOnceFindsItByClassAndTitleAndStopsIt)
{
    TempFolder root;
    const std::wstring data = root / L"データ folder";
    ASSERT_TRUE(CreateDirectoryW(data.c_str(), nullptr));
    wchar_t makerFolder[MAX_PATH];
    GetFullPathNameW(ipctest::BesideTests(L"..\\thumbnailer").c_str(), MAX_PATH, makerFolder, nullptr);
    const std::wstring title = UniqueTitle(L"start");
    SetThumbnailMakerParams(title, data, makerFolder);
    EXPECT_EQ(std::wstring(makerFolder) + L"\\Stillforge.exe", StillforgeRequest.exePath);
    ASSERT_EQ(nullptr, FindThumbnailMaker());

    ASSERT_EQ(TRUE, StartThumbnailMaker());
    HWND maker = FindThumbnailMaker();
    ASSERT_NE(nullptr, maker);
    const DWORD pid = ProcessOf(maker);
    // The maker took the title as its name and the quoted folder, spaces and all, as its
    // data folder, and nothing more (no restart argument).
    const std::wstring log = ReadUtf16File(data + L"\\kiln_log.txt");
    EXPECT_NE(std::wstring::npos, log.find(L"★アプリ開始(Stillforge-" + title + L")"));
    EXPECT_NE(std::wstring::npos,
              ReadUtf16File(data + L"\\kiln_dec_list.txt").find(L"デコードアイテムは読み込まない"));

    EXPECT_EQ(TRUE, StartThumbnailMaker());
    auto windows = MakerWindows(title);
    ASSERT_EQ(1u, windows.size());
    EXPECT_EQ(pid, ProcessOf(windows[0]));

    UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
    ASSERT_TRUE(process);
    StopThumbnailMaker();
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.get(), 5000));
    EXPECT_EQ(nullptr, FindThumbnailMaker());
    StopThumbnailMaker();  // nothing left to stop
}

struct HungMakerContext {
    const std::wstring* title;
    HANDLE created, release;
};

// A maker window whose thread takes no message until it is released.
DWORD WINAPI HungMakerThread(void* param)
{
    auto* context = static_cast<HungMakerContext*>(param);
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"Stillforge";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowW(L"Stillforge", context->title->c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 64, 64, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
    SetEvent(context->created);
    WaitForSingleObject(context->release, 30000);
    DestroyWindow(window);
    UnregisterClassW(L"Stillforge", GetModuleHandleW(nullptr));
    return 0;
}

// A maker whose window thread no longer takes messages must not hold Reelvault's window.
TEST_F(ThumbnailMakerControl, StopReturnsWhenTheMakerDoesNotAnswer)
{
    const std::wstring title = UniqueTitle(L"hung");
    SetThumbnailMakerParams(title, L"", L"");
    UniqueHandle created(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    UniqueHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    HungMakerContext context{&title, created.get(), release.get()};
    UniqueHandle thread(CreateThread(nullptr, 0, HungMakerThread, &context, 0, nullptr));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(created.get(), 5000));
    ASSERT_NE(nullptr, FindThumbnailMaker());

    const ULONGLONG start = GetTickCount64();
    StopThumbnailMaker();
    const ULONGLONG took = GetTickCount64() - start;
    SetEvent(release.get());
    WaitForSingleObject(thread.get(), 10000);
    EXPECT_LT(took, 10000u);
}

TEST_F(ThumbnailMakerControl, StartGivesUpOnAMissingProgram)
{
    TempFolder root;
    SetThumbnailMakerParams(UniqueTitle(L"missing"), root.Path(), root.Path());
    EXPECT_EQ(FALSE, StartThumbnailMaker());
}

using RecordingServer = RecordingPipeServer;

uint32_t U32At(const Bytes& bytes, size_t offset)
{
    return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 | static_cast<uint32_t>(bytes[offset + 3]) << 24;
}

// A hand-written reader of one decode item, independent of the program's reader.
struct ItemCursor {
    const Bytes& bytes;
    size_t at;
    uint32_t U32()
    {
        uint32_t v = U32At(bytes, at);
        at += 4;
        return v;
    }
    int64_t I64()
    {
        uint64_t low = U32(), high = U32();
        return static_cast<int64_t>(high << 32 | low);
    }
    std::wstring Str()
    {
        uint32_t n = U32();
        std::wstring text;
        for (uint32_t i = 0; i < n; ++i) text += static_cast<wchar_t>(bytes[at + 2 * i] | bytes[at + 2 * i + 1] << 8);
        EXPECT_EQ(0, bytes[at + 2 * n] | bytes[at + 2 * n + 1]);
        at += 2 * n + 2;
        return text;
    }
};

TEST_F(ThumbnailMakerControl, RequestsMissingStripsInMessagesOfAtMost200)
{
    struct Case {
        int needing;
        std::vector<uint32_t> sizes;
    } cases[] = {{450, {200, 200, 50}}, {200, {200}}, {201, {200, 1}}, {0, {}}};
    TempFolder folder;
    for (const auto& c : cases) {
        const std::wstring title = UniqueTitle(L"request");
        SetThumbnailMakerParams(title, folder.Path(), folder.Path());
        RecordingServer server;
        server.SetName(L"Stillforge-" + title);
        ASSERT_EQ(0, server.Start());

        // Every third movie has its strip and nothing pending, and is not asked for; one with
        // a strip but a pending decode is.
        ItemMovieDataList_CL list;
        std::vector<uint32_t> expectedKeys;
        for (int needed = 0, i = 0; needed < c.needing || i < 5; ++i) {
            ItemMovieData_CL record;
            record.decode_key = 1000 + i;
            record.link_name = L"Z:\\movies\\動画 " + std::to_wstring(i) + L".mp4";
            record.ini_name = folder / (L"contents-" + std::to_wstring(i) + L".ini");
            for (int f = 0; f < ItemMovieData_CL::kFavoritesFrameCount; ++f)
                record.favorites_frames.push_back({L"", f == 0 ? -1 : f == 1 ? -2 : 10000000LL * f + i});
            bool needs = needed < c.needing && i % 3 != 2;
            if (!needs || i == 4) {
                ASSERT_TRUE(WriteFileBytes(record.GetThumbnailPath(), {0xFF, 0xD8}));
            }
            if (needs && i == 4) record.run_decode = 1;
            if (needs) {
                ++needed;
                expectedKeys.push_back(record.decode_key);
            }
            list.records.push_back(record);
        }

        list.RequestMissingThumbnails();
        auto messages = server.WaitFor(c.sizes.size());
        ASSERT_EQ(c.sizes.size(), messages.size()) << c.needing;

        size_t next = 0;
        for (size_t m = 0; m < messages.size(); ++m) {
            const Bytes& bytes = messages[m];
            ASSERT_GE(bytes.size(), 24u);
            EXPECT_EQ(2u, U32At(bytes, 0));
            EXPECT_EQ(m == 0 ? 1u : 0u, U32At(bytes, 4)) << "replace flag of message " << m;
            EXPECT_EQ(1u, U32At(bytes, 8));
            EXPECT_EQ(256u, U32At(bytes, 12));
            EXPECT_EQ(144u, U32At(bytes, 16));
            ASSERT_EQ(c.sizes[m], U32At(bytes, 20));
            ItemCursor cursor{bytes, 24};
            for (uint32_t k = 0; k < c.sizes[m]; ++k, ++next) {
                ASSERT_LT(next, expectedKeys.size());
                const ItemMovieData_CL& record = list.records[expectedKeys[next] - 1000];
                EXPECT_EQ(record.decode_key, cursor.U32());
                EXPECT_EQ(record.link_name, cursor.Str());
                EXPECT_EQ(PathName_CL::RemoveExtension(record.ini_name) + L".jpg", cursor.Str());
                ASSERT_EQ(10u, cursor.U32());
                for (const auto& frame : record.favorites_frames) {
                    EXPECT_EQ(frame.fav, cursor.I64());
                }
            }
            EXPECT_EQ(bytes.size(), cursor.at);
        }
        EXPECT_EQ(expectedKeys.size(), next);
    }
}

}  // namespace

namespace {

// Two hundred movies with very long paths do not fit one pipe frame: the request is split
// by size, and every movie still arrives, in order.
TEST_F(ThumbnailMakerControl, LongPathsSplitARequestBySize)
{
    TempFolder folder;
    const std::wstring title = UniqueTitle(L"long");
    SetThumbnailMakerParams(title, folder.Path(), folder.Path());
    RecordingServer server;
    server.SetName(L"Stillforge-" + title);
    ASSERT_EQ(0, server.Start());

    ItemMovieDataList_CL list;
    for (int i = 0; i < 200; ++i) {
        ItemMovieData_CL record;
        record.decode_key = 1 + i;
        record.link_name = L"Z:\\" + std::wstring(15000, L'a') + std::to_wstring(i) + L".mp4";
        record.ini_name = folder / (L"c" + std::to_wstring(i) + L".ini");
        record.favorites_frames.assign(ItemMovieData_CL::kFavoritesFrameCount, FavoritesFrameEntry());
        list.records.push_back(record);
    }
    list.RequestMissingThumbnails();
    auto messages = server.WaitFor(2);
    ASSERT_EQ(2u, messages.size());
    uint32_t next = 1;
    for (size_t m = 0; m < messages.size(); ++m) {
        const Bytes& bytes = messages[m];
        EXPECT_LE(bytes.size(), kMaxPipePayload);
        EXPECT_EQ(m == 0 ? 1u : 0u, U32At(bytes, 4));
        ItemCursor cursor{bytes, 24};
        for (uint32_t k = 0; k < U32At(bytes, 20); ++k, ++next) {
            EXPECT_EQ(next, cursor.U32());
            cursor.Str();
            cursor.Str();
            uint32_t positions = cursor.U32();
            for (uint32_t p = 0; p < positions; ++p) cursor.I64();
        }
    }
    EXPECT_EQ(201u, next);
}

}  // namespace
