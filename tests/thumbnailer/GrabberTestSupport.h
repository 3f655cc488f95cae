#pragma once
// Shared pieces of the frame-grabber and writer tests: the generated movies, a data folder
// with its own Thumbnail.ini and logs, COM and GDI+, and a brightness probe for frames.
#include <gtest/gtest.h>

#include <windows.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/media/GdiplusSession.h"
#include "tests/common/TempFolder.h"
#include "thumbnailer/StillforgeGlobals.h"

constexpr int64_t kUnitsPerSecond = 10000000;

// A generated movie's Windows path (the build passes the folder with forward slashes).
inline std::wstring GrabMoviePath(const std::wstring& fileName)
{
    std::wstring path = std::wstring(REELVAULT_GRAB_MOVIE_DIR) + L"/" + fileName;
    for (auto& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

// The duration ffprobe wrote beside the movie, in 100-ns units; -1 when there is none.
inline int64_t ProbedDuration(const std::wstring& fileName)
{
    FILE* file = _wfopen((GrabMoviePath(fileName) + L".duration").c_str(), L"rb");
    if (!file) return -1;
    double seconds = -1;
    if (fscanf(file, "%lf", &seconds) != 1) seconds = -1;
    fclose(file);
    return seconds < 0 ? -1 : static_cast<int64_t>(seconds * kUnitsPerSecond + 0.5);
}

// Each test gets a fresh data folder for the settings and the four logs, a COM apartment
// as the decode thread has, and GDI+.
class StillforgeFolderTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        InitStillforgeGlobals(L"StillforgeTest", folder.Path());
        ASSERT_TRUE(gdiplus.IsStarted());
    }
    void TearDown() override
    {
        // What the grabber logged tells a slow machine's time-out from a wrong frame.
        if (HasFailure()) wprintf(L"---- kiln_log.txt\n%ls\n", KilnLogText().c_str());
        CoUninitialize();
        InitStillforgeGlobals(L"", L"");
    }

    void SetSetting(const wchar_t* key, int value) { WriteThumbnailSetting(key, value); }
    std::wstring KilnLogText() const { return ReadUtf16File(folder / L"kiln_log.txt"); }
    std::wstring DecodeListText() const { return ReadUtf16File(folder / L"kiln_dec_list.txt"); }

    TempFolder folder;
    GdiplusSession gdiplus;
};

inline size_t CountOccurrences(const std::wstring& text, const std::wstring& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + part.size())) ++count;
    return count;
}

// Mean studio-range luma of picture rows [firstRow, lastRow] and columns [firstColumn,
// lastColumn] (-1: the middle half of the row); -1 when the bitmap cannot be read.
inline int MeanLuma(Gdiplus::Bitmap& bitmap, int firstRow, int lastRow, int firstColumn = -1, int lastColumn = -1)
{
    const int width = static_cast<int>(bitmap.GetWidth());
    if (firstColumn < 0) {
        firstColumn = width / 4;
        lastColumn = width * 3 / 4 - 1;
    }
    Gdiplus::Rect area(0, 0, width, static_cast<int>(bitmap.GetHeight()));
    Gdiplus::BitmapData data{};
    if (bitmap.LockBits(&area, Gdiplus::ImageLockModeRead, PixelFormat32bppRGB, &data) != Gdiplus::Ok) return -1;
    long long sum = 0;
    long long n = 0;
    for (int row = firstRow; row <= lastRow; ++row) {
        const BYTE* line = static_cast<const BYTE*>(data.Scan0) + static_cast<ptrdiff_t>(row) * data.Stride;
        for (int x = firstColumn; x <= lastColumn; ++x, ++n) {
            const BYTE* p = line + x * 4;
            const int full = (p[0] + p[1] + p[2]) / 3;
            sum += 16 + full * 219 / 255;
        }
    }
    bitmap.UnlockBits(&data);
    return n ? static_cast<int>(sum / n) : -1;
}

// The brightness step (second) a frame of the generated movies shows, or -1.
inline int BrightnessStep(Gdiplus::Bitmap& bitmap)
{
    const int height = static_cast<int>(bitmap.GetHeight());
    const int body = MeanLuma(bitmap, height / 3, height - 5);
    return body < 0 ? -1 : (body - 40 + 15) / 30;
}

// The white band is at the top of the picture whichever way up the rows came.
inline bool BandIsOnTop(Gdiplus::Bitmap& bitmap)
{
    const int height = static_cast<int>(bitmap.GetHeight());
    const int band = MeanLuma(bitmap, 2, height / 8 - 3);
    const int body = MeanLuma(bitmap, height / 3, height - 5);
    return band > 200 && band > body + 40;
}

// The black stripe down the left eighth stays in its columns on every row below the band,
// which a wrong row stride would slant away.
inline bool StripeIsStraight(Gdiplus::Bitmap& bitmap)
{
    const int width = static_cast<int>(bitmap.GetWidth());
    const int height = static_cast<int>(bitmap.GetHeight());
    for (int row = height / 8 + 4; row < height - 2; row += 7) {
        if (MeanLuma(bitmap, row, row, width / 32, width / 8 - width / 32) > 30) return false;
        if (MeanLuma(bitmap, row, row, width / 8 + width / 32, width / 4) < 35) return false;
    }
    return true;
}

// The pictures are grey: a wrongly placed chroma plane shows as colour.
inline int MaxColourCast(Gdiplus::Bitmap& bitmap)
{
    const int width = static_cast<int>(bitmap.GetWidth());
    const int height = static_cast<int>(bitmap.GetHeight());
    Gdiplus::Rect area(0, 0, width, height);
    Gdiplus::BitmapData data{};
    if (bitmap.LockBits(&area, Gdiplus::ImageLockModeRead, PixelFormat32bppRGB, &data) != Gdiplus::Ok) return 255;
    int worst = 0;
    for (int row = 0; row < height; row += 5) {
        const BYTE* line = static_cast<const BYTE*>(data.Scan0) + static_cast<ptrdiff_t>(row) * data.Stride;
        for (int x = 0; x < width; x += 5) {
            const BYTE* p = line + x * 4;
            worst = std::max({worst, std::abs(p[0] - p[1]), std::abs(p[2] - p[1])});
        }
    }
    bitmap.UnlockBits(&data);
    return worst;
}
