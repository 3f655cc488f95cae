#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "tests/common/Screenshot.h"
#include "tests/grid/GridTestSupport.h"

namespace {

// The grid under test keeps the pictures of the cells it drew; a second grid over the same
// album, made afresh for every comparison, draws every cell anew. Both must show the same.
class GridCellPictureTest : public GridTest {
protected:
    void SetUp() override
    {
        GridTest::SetUp();
        UseLayout(0, 5);
        for (int i = 0; i < 12; ++i) {
            ItemMovieData_CL& movie = AddMovie(L"映画 " + std::to_wstring(i) + L" with a title long enough to wrap once",
                                               i != 4);
            movie.star_count = static_cast<uint32_t>(i % 6);
            movie.play_count = 100u * static_cast<uint32_t>(i);
            if (i % 3 == 0) movie.tags = {L"drama", L"1998", L"夜"};
            // A tag whose larger text reaches past its cell: such a cell is always drawn.
            if (i == 3) movie.tags = {L"a-tag-long-enough-to-reach-out-of-its-cell-when-written"};
        }
        album_.disp_setting.selected_sort_tab = 5;
        ShowAll();
    }

    // The fresh grid in the state of the grid under test.
    std::unique_ptr<MovieListWindow_CL> Fresh()
    {
        auto fresh = std::make_unique<MovieListWindow_CL>(&album_, &freshHost_);
        fresh->SetKeyStateReader(&keys_);
        freshHost_.album = &album_;
        freshHost_.grid = fresh.get();
        EXPECT_NE(fresh->Create(window_.Get(), 0x78, kClientWidth, kClientHeight), nullptr);
        // Hidden, it paints only when told to below: every cell is drawn then.
        ShowWindow(fresh->hwnd, SW_HIDE);
        const DispSettingData_CL& s = album_.disp_setting;
        fresh->SetThumbnailLayoutForFont(s.frame_sizes[s.thumbnail_size_index][0],
                                         s.frame_sizes[s.thumbnail_size_index][1], s.thumbnail_count, 0,
                                         s.GetUiFontHeight(), 0);
        fresh->RecalcLayout();
        freshHost_.RefreshMovieList();
        PumpMessages();
        for (uint32_t i = 0; i < grid_->GetItemCount(); ++i) fresh->SetSelect(i, grid_->IsSelected(i));
        fresh->focusIndex = grid_->focusIndex;
        fresh->cursorIndex = grid_->cursorIndex;
        fresh->lastMousePoint = grid_->lastMousePoint;
        fresh->verticalBar.info.nPos = grid_->verticalBar.info.nPos;
        return fresh;
    }

    // Paints the grid under test and a fresh one; the pixels that differ.
    int Differences(const char* step)
    {
        SendMessageW(grid_->hwnd, WM_PAINT, 0, 0);
        std::unique_ptr<MovieListWindow_CL> fresh = Fresh();
        SendMessageW(fresh->hwnd, WM_PAINT, 0, 0);
        EXPECT_EQ(fresh->keptCellPaints, 0u) << step;
        EXPECT_EQ(fresh->HoveredFrameIndex(), grid_->HoveredFrameIndex()) << step;
        EXPECT_EQ(fresh->HoveredTagIndex(), grid_->HoveredTagIndex()) << step;
        EXPECT_EQ(fresh->hotIndex, grid_->hotIndex) << step;
        EXPECT_EQ(fresh->missingThumbnails, grid_->missingThumbnails) << step;
        EXPECT_EQ(fresh->visibleKeys, grid_->visibleKeys) << step;
        const int differences = CompareBackBuffers(grid_->GetBackBuffer(), fresh->GetBackBuffer());
        if (differences != 0) {
            SaveWindowScreenshot(grid_->hwnd, L"grid", std::wstring(L"pictures_kept_") + static_cast<wchar_t>(step[0]));
            SaveWindowScreenshot(fresh->hwnd, L"grid", std::wstring(L"pictures_fresh_") + static_cast<wchar_t>(step[0]));
        }
        DestroyWindow(fresh->hwnd);
        return differences;
    }

    static int CompareBackBuffers(Gdiplus::Bitmap* a, Gdiplus::Bitmap* b)
    {
        if (!a || !b || a->GetWidth() != b->GetWidth() || a->GetHeight() != b->GetHeight()) return -1;
        const Gdiplus::Rect all(0, 0, static_cast<INT>(a->GetWidth()), static_cast<INT>(a->GetHeight()));
        Gdiplus::BitmapData da = {}, db = {};
        if (a->LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppRGB, &da) != Gdiplus::Ok) return -1;
        if (b->LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppRGB, &db) != Gdiplus::Ok) {
            a->UnlockBits(&da);
            return -1;
        }
        int differences = 0;
        for (UINT y = 0; y < da.Height; ++y) {
            const auto* ra = static_cast<const uint32_t*>(da.Scan0) + y * static_cast<UINT>(da.Stride) / 4;
            const auto* rb = static_cast<const uint32_t*>(db.Scan0) + y * static_cast<UINT>(db.Stride) / 4;
            for (UINT x = 0; x < da.Width; ++x) differences += (ra[x] & 0xFFFFFF) != (rb[x] & 0xFFFFFF) ? 1 : 0;
        }
        a->UnlockBits(&da);
        b->UnlockBits(&db);
        return differences;
    }

    GridHost freshHost_;
};

TEST_F(GridCellPictureTest, KeptPicturesShowWhatAFreshPaintDraws)
{
    const RECT first = CellRect(1);
    grid_->lastMousePoint = {-1, -1};
    Paint();
    const uint64_t drawnOnce = grid_->keptCellPaints;
    EXPECT_EQ(Differences("a"), 0) << "unchanged";
    // Every cell but the one with the long tag came from its picture.
    EXPECT_EQ(grid_->keptCellPaints, drawnOnce + grid_->visibleKeys.size() - 1);

    const char* const steps[] = {"b: selected, the mouse over frame 2", "c: the mouse over the next frame",
                                 "d: the cursor moves",       "e: new stars and play count",
                                 "f: a movie file gone",      "g: another sort tab",
                                 "h: scrolled one row down",  "i: a title renamed"};
    for (int step = 0; step < 8; ++step) {
        switch (step) {
        case 0:
            Select({1}, 1);
            grid_->lastMousePoint = {first.left + 6 + 2 * 132 + 40, first.top + 30};
            break;
        case 1: grid_->lastMousePoint = {first.left + 6 + 3 * 132 + 40, first.top + 30}; break;
        case 2: grid_->cursorIndex = 2; break;
        case 3:
            album_.movie_list.records[0].star_count = 4;
            album_.movie_list.records[3].play_count = 7;
            break;
        case 4: DeleteFileW(album_.movie_list.records[2].link_name.c_str()); break;
        case 5: album_.disp_setting.selected_sort_tab = 8; break;
        case 6: grid_->verticalBar.info.nPos += grid_->cellHeight + grid_->verticalGap; break;
        default: album_.movie_list.records[6].content_name = L"renamed"; break;
        }
        const uint64_t before = grid_->keptCellPaints;
        EXPECT_EQ(Differences(steps[step]), 0) << steps[step];
        // Every label changes with the sort tab; otherwise the unchanged cells came from pictures.
        if (step != 5) EXPECT_GT(grid_->keptCellPaints, before) << steps[step];
    }
    EXPECT_EQ(grid_->HoveredFrameIndex(), -1) << "scrolled away from the hovered cell";
}

}  // namespace
