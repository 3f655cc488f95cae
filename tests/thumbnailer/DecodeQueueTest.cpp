#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/common/TempFolder.h"
#include "thumbnailer/DecodeRequestList.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Keys = std::vector<uint32_t>;

// Little-endian bytes written by hand, independent of the program's writer.
struct Le {
    Bytes bytes;
    Le& U32(uint32_t v)
    {
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
        return *this;
    }
    Le& I64(int64_t v)
    {
        for (int i = 0; i < 8; ++i) bytes.push_back(static_cast<uint8_t>(static_cast<uint64_t>(v) >> (8 * i)));
        return *this;
    }
    Le& Str(const std::wstring& s)
    {
        U32(static_cast<uint32_t>(s.size()));
        for (wchar_t c : s) {
            bytes.push_back(static_cast<uint8_t>(c & 0xFF));
            bytes.push_back(static_cast<uint8_t>(c >> 8));
        }
        bytes.push_back(0);
        bytes.push_back(0);
        return *this;
    }
    Le& Raw(const Bytes& more)
    {
        bytes.insert(bytes.end(), more.begin(), more.end());
        return *this;
    }
};

DecodeRequestItem_CL MakeItem(uint32_t key, const std::wstring& movie = L"", std::vector<int64_t> positions = {})
{
    DecodeRequestItem_CL item;
    item.request_id = key;
    item.moviePath = movie;
    item.positions = std::move(positions);
    item.request_count = static_cast<uint32_t>(item.positions.size());
    return item;
}

Bytes ItemBytes(const DecodeRequestItem_CL& item)
{
    ByteWriter_CL out;
    item.Save(out);
    return out.GetBytes();
}

class DecodeQueue : public testing::Test {
protected:
    void SetUp() override
    {
        static int counter = 0;
        mutexName_ = L"StillforgeQueueTest/" + std::to_wstring(GetCurrentProcessId()) + L"/" +
                     std::to_wstring(++counter);
        ASSERT_EQ(0, mutex_.Create(mutexName_));
        ASSERT_EQ(0, queue_.OpenMutex(mutexName_));
        path_ = folder_ / L"StillforgeDataList.dat";
    }

    void Fill(const Keys& keys)
    {
        for (uint32_t key : keys) ASSERT_TRUE(queue_.Add(MakeItem(key, L"movie" + std::to_wstring(key))));
    }
    Keys QueueKeys()
    {
        Keys keys;
        for (const auto& item : queue_.GetItems()) keys.push_back(item.request_id);
        return keys;
    }

    TempFolder folder_;
    std::wstring mutexName_;
    std::wstring path_;
    Mutex_CL mutex_;
    DecodeRequestList_CL queue_;
};

TEST(DecodeRequestItem, EmptyItemTakes62BytesInFileOrder)
{
    DecodeRequestItem_CL item;
    item.request_id = 0x01020304;
    item.decode_count = 5;
    item.errorFlag = 1;
    item.request_count = 7;
    item.duration = 0x1122334455667788LL;
    item.imageType = 2;
    item.frameWidth = 0xFFFFFFFF;
    item.frameHeight = 144;
    Bytes expected = Le()
                         .U32(0x01020304).U32(5).U32(1).U32(7)
                         .Str(L"")
                         .Raw({0x47, 0x46, 0x54, 0x53})
                         .I64(0x1122334455667788LL)
                         .Str(L"").Str(L"")
                         .U32(2).U32(0xFFFFFFFF).U32(144)
                         .U32(0)
                         .bytes;
    ASSERT_EQ(62u, expected.size());
    EXPECT_EQ(expected, ItemBytes(item));
}

TEST(DecodeRequestItem, CharactersAndPositionsGrowTheItem)
{
    struct Case {
        std::wstring title, movie, output;
        std::vector<int64_t> positions;
    } cases[] = {
        {L"a", L"", L"", {}},
        {L"", L"Z:\\映画\\x.mp4", L"", {-1}},
        {L"", L"", L"C:\\o.jpg", {-2, 0, 600000000}},
        {L"ウインドウ", L"m", L"o", {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1}},
    };
    for (const auto& c : cases) {
        DecodeRequestItem_CL item;
        item.replyTitle = c.title;
        item.moviePath = c.movie;
        item.outputPath = c.output;
        item.positions = c.positions;
        item.imageType = 1;
        item.frameWidth = 256;
        item.frameHeight = 144;
        Bytes expected = Le()
                             .U32(0).U32(0).U32(0).U32(0)
                             .Str(c.title).U32(DecodeRequestItem_CL::kTag).I64(0)
                             .Str(c.movie).Str(c.output)
                             .U32(1).U32(256).U32(144)
                             .U32(static_cast<uint32_t>(c.positions.size()))
                             .bytes;
        for (int64_t p : c.positions) expected = Le{expected}.I64(p).bytes;
        Bytes actual = ItemBytes(item);
        EXPECT_EQ(62 + 2 * (c.title.size() + c.movie.size() + c.output.size()) + 8 * c.positions.size(),
                  actual.size());
        EXPECT_EQ(expected, actual);

        DecodeRequestItem_CL loaded;
        ByteReader_CL in(actual);
        ASSERT_EQ(S_OK, loaded.Load(in));
        EXPECT_EQ(0u, in.GetRemaining());
        EXPECT_EQ(c.title, loaded.replyTitle);
        EXPECT_EQ(c.movie, loaded.moviePath);
        EXPECT_EQ(c.output, loaded.outputPath);
        EXPECT_EQ(c.positions, loaded.positions);
        EXPECT_EQ(256u, loaded.frameWidth);
    }
}

TEST(DecodeRequestItem, RefusesForeignTagCutItemsAndHostileLengthsUnchanged)
{
    const Bytes good = ItemBytes(MakeItem(9, L"movie", {-1, -1}));
    Bytes wrongTag = good;
    wrongTag[4 * 4 + 6] ^= 0xFF;  // first byte of the tag, behind the four u32 and the empty title
    Bytes hugeTitle = good;
    std::memset(&hugeTitle[16], 0xFF, 4);  // title length 0xFFFFFFFF
    Bytes hugePositions = good;
    std::memset(&hugePositions[hugePositions.size() - 20], 0xFF, 4);  // position count before two int64
    const Bytes inputs[] = {Bytes(), Bytes(good.begin(), good.begin() + 30), Bytes(good.begin(), good.end() - 1),
                            wrongTag, hugeTitle, hugePositions};
    for (const auto& input : inputs) {
        DecodeRequestItem_CL item = MakeItem(77, L"kept");
        ByteReader_CL in(input);
        EXPECT_EQ(E_FAIL, item.Load(in)) << input.size() << " bytes";
        EXPECT_EQ(77u, item.request_id);
        EXPECT_EQ(L"kept", item.moviePath);
    }
}

TEST_F(DecodeQueue, SavesVersionCountAndItemsAndLoadsThemBack)
{
    DecodeRequestItem_CL a = MakeItem(1, L"Z:\\動画\\a.mp4", {-1, 5000000});
    a.outputPath = L"Z:\\out\\a.jpg";
    a.replyTitle = L"reply";
    a.imageType = 1;
    ASSERT_TRUE(queue_.Add(a));
    ASSERT_TRUE(queue_.Add(MakeItem(2)));
    ASSERT_EQ(0, queue_.Save(path_));

    Bytes expected = Le().U32(0x10000).U32(2).Raw(ItemBytes(a)).Raw(ItemBytes(MakeItem(2))).bytes;
    EXPECT_EQ(expected, ReadFileBytes(path_));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((path_ + L".tmp").c_str()));

    DecodeRequestList_CL other;
    ASSERT_EQ(0, other.OpenMutex(mutexName_));
    ASSERT_EQ(S_OK, other.Load(path_));
    auto items = other.GetItems();
    ASSERT_EQ(2u, items.size());
    EXPECT_EQ(a.moviePath, items[0].moviePath);
    EXPECT_EQ(a.outputPath, items[0].outputPath);
    EXPECT_EQ(a.replyTitle, items[0].replyTitle);
    EXPECT_EQ(a.positions, items[0].positions);
    EXPECT_EQ(2u, items[1].request_id);
}

TEST_F(DecodeQueue, EmptyQueueSavesCountZeroWhichLoadsEmptyWithFailure)
{
    Fill({5});
    ASSERT_EQ(0, queue_.Save(path_));
    ASSERT_TRUE(queue_.Delete({5}) == 0);  // the head stays
    ASSERT_TRUE(queue_.RemoveHead(queue_.GetItems()[0]));
    ASSERT_EQ(0, queue_.Save(path_));
    EXPECT_EQ(Le().U32(0x10000).U32(0).bytes, ReadFileBytes(path_));
    Fill({8});
    EXPECT_EQ(E_FAIL, queue_.Load(path_));
    EXPECT_EQ(0u, queue_.GetCount());
}

TEST_F(DecodeQueue, FileCutMidItemKeepsTheWholeItemsBeforeIt)
{
    Fill({1, 2, 3});
    ASSERT_EQ(0, queue_.Save(path_));
    const Bytes whole = ReadFileBytes(path_);
    const size_t itemSize = ItemBytes(MakeItem(1, L"movie1")).size();
    struct Case {
        size_t length;
        Keys kept;
    } cases[] = {
        {8, {}},
        {8 + itemSize - 1, {}},
        {8 + itemSize, {1}},
        {8 + itemSize + 25, {1}},
        {whole.size() - 1, {1, 2}},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteFileBytes(path_, Bytes(whole.begin(), whole.begin() + c.length)));
        HRESULT result = queue_.Load(path_);
        EXPECT_EQ(S_FALSE, result) << c.length;
        EXPECT_EQ(c.kept, QueueKeys()) << c.length;
    }
}

TEST_F(DecodeQueue, LoadingStopsAtTheFirstItemThatIsNoItem)
{
    Bytes second = ItemBytes(MakeItem(2, L"b"));
    second[22] = 'X';  // a foreign tag
    Bytes file = Le().U32(0x10000).U32(3).Raw(ItemBytes(MakeItem(1, L"a"))).Raw(second)
                     .Raw(ItemBytes(MakeItem(3, L"c"))).bytes;
    ASSERT_TRUE(WriteFileBytes(path_, file));
    EXPECT_EQ(S_FALSE, queue_.Load(path_));
    EXPECT_EQ(Keys{1}, QueueKeys());
}

TEST_F(DecodeQueue, HostileFilesLoadAsEmptyOrShortWithoutACrash)
{
    const Bytes one = ItemBytes(MakeItem(1, L"a"));
    struct Case {
        const char* what;
        Bytes bytes;
        HRESULT result;
        Keys kept;
    } cases[] = {
        {"empty", {}, E_FAIL, {}},
        {"version only", Le().U32(0x10000).bytes, E_FAIL, {}},
        {"other version", Le().U32(0x20000).U32(1).Raw(one).bytes, E_FAIL, {}},
        {"negative count", Le().U32(0x10000).U32(0x80000000).Raw(one).bytes, E_FAIL, {}},
        {"count far beyond the file", Le().U32(0x10000).U32(0x7FFFFFFF).Raw(one).bytes, S_FALSE, {1}},
        {"string length beyond the file",
         Le().U32(0x10000).U32(1).U32(1).U32(0).U32(0).U32(0).U32(0x7FFFFFFF).bytes, S_FALSE, {}},
        {"position count beyond the file",
         Le().U32(0x10000).U32(1).U32(1).U32(0).U32(0).U32(0).Str(L"").U32(DecodeRequestItem_CL::kTag).I64(0)
             .Str(L"").Str(L"").U32(0).U32(0).U32(0).U32(0x10000000).bytes,
         S_FALSE, {}},
    };
    for (const auto& c : cases) {
        Fill({42});
        ASSERT_TRUE(WriteFileBytes(path_, c.bytes));
        EXPECT_EQ(c.result, queue_.Load(path_)) << c.what;
        EXPECT_EQ(c.kept, QueueKeys()) << c.what;
    }
    Fill({42});
    EXPECT_EQ(E_FAIL, queue_.Load(folder_ / L"missing.dat"));
    EXPECT_EQ(0u, queue_.GetCount());
}

TEST_F(DecodeQueue, FailedSaveLeavesThePreviousFileWhole)
{
    Fill({1, 2});
    ASSERT_EQ(0, queue_.Save(path_));
    const Bytes before = ReadFileBytes(path_);
    // The temporary file cannot be written where a folder of its name stands.
    ASSERT_TRUE(CreateDirectoryW((path_ + L".tmp").c_str(), nullptr));
    Fill({3});
    EXPECT_EQ(E_FAIL, queue_.Save(path_));
    EXPECT_EQ(before, ReadFileBytes(path_));
}

TEST_F(DecodeQueue, MoveToTopKeepsTheHeadAndTheQueueOrderOfTheMovedMovies)
{
    enum : uint32_t { H = 10, A = 11, B = 12, C = 13 };
    struct Case {
        Keys queue, keys, expected;
        bool moved;
    } cases[] = {
        {{H, A, B, C}, {C, A}, {H, A, C, B}, true},
        {{H, A, B, C}, {C}, {H, C, A, B}, true},
        {{H, A, B, C}, {H}, {H, A, B, C}, false},
        {{H, A, B, C}, {99}, {H, A, B, C}, false},
        {{H, A, B, C}, {}, {H, A, B, C}, false},
        {{H, A, A, B}, {A}, {H, A, A, B}, true},
        {{H, A, B, A}, {A, A}, {H, A, A, B}, true},
        {{H}, {H}, {H}, false},
    };
    for (const auto& c : cases) {
        queue_.DropAllButHead();
        while (queue_.GetCount() > 0) queue_.RemoveHead(queue_.GetItems()[0]);
        Fill(c.queue);
        EXPECT_EQ(c.moved, queue_.MoveToTop(c.keys));
        EXPECT_EQ(c.expected, QueueKeys());
    }
}

TEST_F(DecodeQueue, DeletesAndReplaceNeverRemoveTheHead)
{
    Fill({1, 2, 3, 2});
    EXPECT_EQ(1u, queue_.Delete({1, 2, 99}));  // only the first 2 behind the head
    EXPECT_EQ((Keys{1, 3, 2}), QueueKeys());
    EXPECT_EQ(2u, queue_.DropAllButHead());
    EXPECT_EQ(Keys{1}, QueueKeys());
    EXPECT_EQ(0u, queue_.Delete({1}));
    EXPECT_EQ(0u, queue_.DropAllButHead());
    EXPECT_EQ(Keys{1}, QueueKeys());
}

TEST_F(DecodeQueue, HeadCopyCountsTheQueueAndOnlyThatMovieIsRemovedAsHead)
{
    Fill({1, 2, 3});
    DecodeRequestItem_CL head;
    ASSERT_TRUE(queue_.GetHead(head));
    EXPECT_EQ(1u, head.request_id);
    EXPECT_EQ(3u, head.request_count);

    EXPECT_TRUE(queue_.MoveHeadToEnd());
    EXPECT_EQ((Keys{2, 3, 1}), QueueKeys());
    EXPECT_FALSE(queue_.RemoveHead(head));  // the finished movie is no longer the head
    EXPECT_EQ((Keys{2, 3, 1}), QueueKeys());
    ASSERT_TRUE(queue_.GetHead(head));
    EXPECT_TRUE(queue_.RemoveHead(head));
    EXPECT_EQ((Keys{3, 1}), QueueKeys());

    queue_.DropAllButHead();
    EXPECT_FALSE(queue_.MoveHeadToEnd());
    EXPECT_EQ(Keys{3}, QueueKeys());
}

TEST(DecodeQueueMutex, QueueWithoutItsMutexChangesNothing)
{
    DecodeRequestList_CL queue;
    EXPECT_EQ(E_FAIL, queue.OpenMutex(L"StillforgeQueueTest/never-created"));
    EXPECT_FALSE(queue.Add(MakeItem(1)));
    EXPECT_EQ(0u, queue.GetCount());
    DecodeRequestItem_CL head;
    EXPECT_FALSE(queue.GetHead(head));
}

}  // namespace
