#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "core/media/GdiplusSession.h"
#include "core/media/MovieBitmapChcheBase.h"
#include "tests/common/TempFolder.h"

namespace {

// An image that counts its own deletion.
class TrackedBitmap : public Gdiplus::Bitmap {
public:
    explicit TrackedBitmap(int* deleted) : Gdiplus::Bitmap(4, 4, PixelFormat32bppARGB), deleted_(deleted) {}
    ~TrackedBitmap() override { ++*deleted_; }

private:
    int* deleted_;
};

class BitmapCacheTest : public testing::Test {
protected:
    std::vector<int64_t> Keys(const MovieBitmapChcheBase_CL& cache)
    {
        std::vector<int64_t> keys;
        cache.ForEachKey([&](int64_t key) { keys.push_back(key); });
        return keys;
    }
    GdiplusSession gdiplus_;
    int deleted_ = 0;
};

TEST_F(BitmapCacheTest, EvictsTheLeastRecentlyUsed)
{
    MovieBitmapChcheBase_CL cache(2);
    EXPECT_EQ(cache.Find(nullptr, 1), nullptr);  // empty cache
    auto* k1 = new TrackedBitmap(&deleted_);
    cache.Put(nullptr, 1, k1);
    cache.Put(nullptr, 2, new TrackedBitmap(&deleted_));
    EXPECT_EQ(cache.Find(nullptr, 1), k1);
    cache.Put(nullptr, 3, new TrackedBitmap(&deleted_));

    EXPECT_EQ(Keys(cache), (std::vector<int64_t>{3, 1}));
    EXPECT_EQ(deleted_, 1);
    EXPECT_EQ(cache.Find(nullptr, 2), nullptr);
    cache.Clear();
    EXPECT_EQ(deleted_, 3);
    EXPECT_EQ(cache.GetCount(), 0);
}

TEST_F(BitmapCacheTest, SameKeyKeepsOneEntryAndFreesTheOldImage)
{
    MovieBitmapChcheBase_CL cache(800);
    cache.Put(nullptr, 7, new TrackedBitmap(&deleted_));
    cache.Put(nullptr, 8, new TrackedBitmap(&deleted_));
    auto* second = new TrackedBitmap(&deleted_);
    cache.Put(nullptr, 7, second);
    EXPECT_EQ(deleted_, 1);
    EXPECT_EQ(Keys(cache), (std::vector<int64_t>{7, 8}));
    // Putting the very image again neither frees nor duplicates it.
    cache.Put(nullptr, 7, second);
    EXPECT_EQ(deleted_, 1);
    EXPECT_EQ(cache.Find(nullptr, 7), second);
}

TEST_F(BitmapCacheTest, NullEmptiesAKeyUntilAnImageComesBack)
{
    MovieBitmapChcheBase_CL cache(800);
    cache.Put(nullptr, 5, new TrackedBitmap(&deleted_));
    cache.Put(nullptr, 5, nullptr);
    EXPECT_EQ(deleted_, 1);
    EXPECT_EQ(cache.Find(nullptr, 5), nullptr);
    auto* again = new TrackedBitmap(&deleted_);
    cache.Put(nullptr, 5, again);
    EXPECT_EQ(cache.GetCount(), 1);
    EXPECT_EQ(cache.Find(nullptr, 5), again);
}

TEST_F(BitmapCacheTest, NeverHoldsMoreThanItsCapacity)
{
    MovieBitmapChcheBase_CL cache(800);
    for (int64_t key = 0; key < 1000; ++key) cache.Put(nullptr, key, new TrackedBitmap(&deleted_));
    EXPECT_EQ(cache.GetCount(), 800);
    EXPECT_EQ(deleted_, 200);
    EXPECT_EQ(cache.Find(nullptr, 199), nullptr);
    EXPECT_NE(cache.Find(nullptr, 200), nullptr);
}

// One step of a cache script: put an image (or null) under a key, or find a key.
struct CacheStep {
    char op;      // 'P' put an image, 'N' put null, 'F' find
    int64_t key;
    bool found = false;  // for 'F': whether an image comes back
};

struct CacheScript {
    const char* what;
    int capacity;
    std::vector<CacheStep> steps;
    std::vector<int64_t> keys;  // most recently used first, at the end
    int deleted;                // images freed by the end, before Clear
};

const CacheScript kCacheScripts[] = {
    {"a find refreshes the entry it hits", 2, {{'P', 1}, {'P', 2}, {'F', 1, true}, {'P', 3}}, {3, 1}, 1},
    {"a miss changes nothing", 2, {{'P', 1}, {'P', 2}, {'F', 9, false}, {'P', 3}}, {3, 2}, 1},
    {"capacity one keeps the newest", 1, {{'P', 1}, {'P', 2}, {'F', 1, false}, {'F', 2, true}}, {2}, 1},
    {"an emptied key still takes a place", 2, {{'P', 1}, {'N', 1}, {'P', 2}, {'F', 1, false}}, {2, 1}, 1},
    {"an emptied key is evicted like any other", 2, {{'P', 1}, {'N', 1}, {'P', 2}, {'P', 3}}, {3, 2}, 1},
    {"refilling an emptied key reuses its entry", 3, {{'P', 1}, {'N', 1}, {'P', 2}, {'P', 1}, {'F', 1, true}}, {1, 2},
     1},
    {"putting a key again moves it to the front", 3, {{'P', 1}, {'P', 2}, {'P', 3}, {'P', 1}}, {1, 3, 2}, 1},
};

TEST_F(BitmapCacheTest, ScriptTable)
{
    for (const auto& script : kCacheScripts) {
        SCOPED_TRACE(script.what);
        deleted_ = 0;
        {
            MovieBitmapChcheBase_CL cache(script.capacity);
            for (const auto& step : script.steps) {
                if (step.op == 'P') {
                    cache.Put(nullptr, step.key, new TrackedBitmap(&deleted_));
                } else if (step.op == 'N') {
                    cache.Put(nullptr, step.key, nullptr);
                } else {
                    EXPECT_EQ(cache.Find(nullptr, step.key) != nullptr, step.found) << "find " << step.key;
                }
            }
            EXPECT_EQ(Keys(cache), script.keys);
            EXPECT_EQ(deleted_, script.deleted);
            EXPECT_LE(cache.GetCount(), script.capacity);
        }
        int put = 0;
        for (const auto& step : script.steps) put += step.op == 'P';
        EXPECT_EQ(deleted_, put) << "the cache frees every image it still holds when it goes";
    }
}

// A 64 x 32 top-down bitmap: left half red, right half blue.
HBITMAP MakeTwoColourBitmap()
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 64;
    info.bmiHeader.biHeight = -32;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return nullptr;
    auto* pixels = static_cast<uint32_t*>(bits);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x) pixels[y * 64 + x] = x < 32 ? 0x00FF0000 : 0x000000FF;
    return bitmap;
}

TEST_F(BitmapCacheTest, SavesAJpegThatReadsBack)
{
    TempFolder folder;
    const std::wstring path = folder / L"サムネイル.jpg";
    HBITMAP bitmap = MakeTwoColourBitmap();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(SaveBitmapAsJpeg(path.c_str(), bitmap), 1);
    EXPECT_NE(GetObjectType(bitmap), 0u) << "the caller's bitmap must stay alive";
    DeleteObject(bitmap);

    std::vector<uint8_t> bytes = ReadFileBytes(path);
    ASSERT_GE(bytes.size(), 3u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xD8);
    Gdiplus::Bitmap loaded(path.c_str());
    ASSERT_EQ(loaded.GetLastStatus(), Gdiplus::Ok);
    EXPECT_EQ(loaded.GetWidth(), 64u);
    EXPECT_EQ(loaded.GetHeight(), 32u);
    Gdiplus::Color left, right;
    loaded.GetPixel(8, 16, &left);
    loaded.GetPixel(56, 16, &right);
    EXPECT_GT(left.GetR(), 200);
    EXPECT_LT(left.GetB(), 60);
    EXPECT_GT(right.GetB(), 200);
    EXPECT_LT(right.GetR(), 60);
}

TEST_F(BitmapCacheTest, FailedJpegSaveIsReported)
{
    TempFolder folder;
    const std::wstring path = folder / L"missing-folder\\a.jpg";
    HBITMAP bitmap = MakeTwoColourBitmap();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(SaveBitmapAsJpeg(path.c_str(), bitmap), 0);
    DeleteObject(bitmap);
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
