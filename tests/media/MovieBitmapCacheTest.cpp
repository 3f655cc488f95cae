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
