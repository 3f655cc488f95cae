#pragma once
// An album the grid tests build in a temporary folder (movie files, contents inis beside
// their JPEG strips with one plain colour per frame), a host that records what the grid
// asks of it, and the grid itself in a test window.
#include <windows.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/album/SaveData.h"
#include "core/media/GdiplusSession.h"
#include "tests/common/TempFolder.h"
#include "tests/common/TestWindow.h"
#include "ui/views/CategoryListWindow.h"
#include "ui/views/KeyStateReader.h"
#include "ui/views/MovieListWindow.h"
#include "ui/views/ViewHost.h"

// Keys held down as far as the grid can tell; the desktop's keyboard is not touched.
class GridKeys : public KeyStateReader_CL {
public:
    SHORT KeyState(int key) const override { return key == VK_CONTROL && control ? static_cast<SHORT>(0x8000) : 0; }
    SHORT AsyncKeyState(int key) const override { return KeyState(key); }
    bool control = false;
};

// The main window as far as the grid sees it.
class GridHost : public ViewHost_IF {
public:
    void RefreshMovieList() override;
    void RebuildCategoryTabs() override { ++tabRebuilds; }
    void ApplyUiFontSize() override { ++fontApplies; }
    void PlayCompleteBeep(int saveFirst) override { beeps.push_back(saveFirst); }
    CategoryListWindow_CL* GetCategoryListWindow() override { return tiles; }
    void SetStatusText(int part, const std::wstring& text) override
    {
        if (part == 0) status = text;
    }

    SaveData_CL* album = nullptr;
    MovieListWindow_CL* grid = nullptr;
    CategoryListWindow_CL* tiles = nullptr;
    int refreshes = 0;
    int tabRebuilds = 0;
    int fontApplies = 0;
    std::vector<int> beeps;
    std::wstring status;
};

// The colour of strip frame f: plain colours far apart, so that JPEG keeps them apart.
COLORREF FrameColour(int frame);
// The colour of an ARGB value, without its alpha.
COLORREF FromArgb(Gdiplus::ARGB argb);
// Whether every channel is within tolerance of the colour.
bool Near(const Gdiplus::Color& pixel, COLORREF expected, int tolerance = 24);
// src blended over dst with the alpha of src.
COLORREF Blend(Gdiplus::ARGB src, COLORREF dst);

class GridTest : public testing::Test {
protected:
    static constexpr int kClientWidth = 1000;
    static constexpr int kClientHeight = 700;

    void SetUp() override;
    void TearDown() override;

    // A movie with an existing movie file and, with strip, a strip of `frames` frames of
    // frameWidth x stripHeight (rows from markerRow on in markerColour).
    ItemMovieData_CL& AddMovie(const std::wstring& name, bool strip = true, int frameWidth = 256, int frames = 10);
    bool WriteStrip(const ItemMovieData_CL& movie, int frameWidth, int frames, int stripHeight = 144,
                    int markerRow = -1, COLORREF markerColour = 0);
    // The album's size index and frame count, applied to the grid as the host does.
    void UseLayout(int sizeIndex, int count);
    // Shows every movie of the album in album order (the host's list rebuild).
    void ShowAll();
    void Paint();
    Gdiplus::Color Pixel(int x, int y);
    // Pixels in the rectangle for which match holds.
    template <typename Match>
    int CountPixels(const RECT& area, Match match);
    RECT CellRect(uint32_t index);
    void Select(std::initializer_list<uint32_t> indices, int32_t focus);

    GdiplusSession gdiplus_;
    TestHostWindow window_{kClientWidth + 20, kClientHeight + 20};
    TempFolder folder_;
    SaveData_CL album_;
    GridHost host_;
    GridKeys keys_;
    std::unique_ptr<MovieListWindow_CL> grid_;
};

template <typename Match>
int GridTest::CountPixels(const RECT& area, Match match)
{
    int n = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (match(Pixel(x, y))) ++n;
        }
    }
    return n;
}
