#include <gtest/gtest.h>

#include <windows.h>

#include "core/album/ItemBase.h"
#include "tests/common/Screenshot.h"
#include "tests/grid/GridTestSupport.h"

namespace {

class GridCellTest : public GridTest {
protected:
    // The layout of one movie in a cell of that width, on the grid's back buffer.
    void LayOut(MovieCellLayout& layout, const ItemMovieData_CL& movie, float width)
    {
        Gdiplus::Bitmap scratch(8, 8, PixelFormat24bppRGB);
        Gdiplus::Graphics graphics(&scratch);
        layout.Layout(&graphics, Gdiplus::RectF(10, 20, width, 216), movie, 256, 144, 3);
    }

    // Pixels of the area in the colour.
    int Count(const RECT& area, COLORREF colour, int tolerance = 40)
    {
        return CountPixels(area, [&](const Gdiplus::Color& c) { return Near(c, colour, tolerance); });
    }
};

TEST_F(GridCellTest, ChipsStopBeforeTheLimitAndNoneIsShortened)
{
    ItemMovieData_CL movie;
    movie.tags = {L"alpha", L"ベータ", L"gamma-gamma", L"δ", L"epsilon-epsilon-epsilon", L"z"};
    MovieCellLayout layout;
    LayOut(layout, movie, 300);
    const float limit = 10 + 10 + 300 - 20;
    ASSERT_GE(layout.tagBoxes.size(), 2u);
    ASSERT_LT(layout.tagBoxes.size(), movie.tags.size());
    float x = 20;
    for (size_t i = 0; i < layout.tagBoxes.size(); ++i) {
        const CellBox& chip = layout.tagBoxes[i];
        EXPECT_EQ(chip.text, movie.tags[i]);
        EXPECT_FLOAT_EQ(chip.x, x);
        EXPECT_LT(chip.x + chip.width, limit);
        // Each chip is as wide as the same tag alone.
        ItemMovieData_CL alone;
        alone.tags = {movie.tags[i]};
        MovieCellLayout single;
        LayOut(single, alone, 300);
        ASSERT_EQ(single.tagBoxes.size(), 1u);
        EXPECT_FLOAT_EQ(chip.width, single.tagBoxes[0].width);
        x += chip.width + 6;
    }
    // The first tag left out would have reached the limit.
    ItemMovieData_CL next;
    next.tags = {movie.tags[layout.tagBoxes.size()]};
    MovieCellLayout single;
    LayOut(single, next, 300);
    ASSERT_EQ(single.tagBoxes.size(), 1u);
    EXPECT_GE(x + single.tagBoxes[0].width, limit);
}

TEST_F(GridCellTest, TitleTakesTheChipLineWhenThereAreNoChips)
{
    ItemMovieData_CL movie;
    movie.content_name = L"title";
    MovieCellLayout without;
    LayOut(without, movie, 788);
    movie.tags = {L"tag"};
    MovieCellLayout with;
    LayOut(with, movie, 788);
    ASSERT_EQ(with.tagBoxes.size(), 1u);
    const float line = with.tagBoxes[0].height;
    EXPECT_GT(line, 8.0f);
    EXPECT_FLOAT_EQ(with.titleRect.Y, 20 + 144 + 10);
    EXPECT_FLOAT_EQ(with.titleRect.Height, (20 + 216) - (line + 5) - (20 + 144 + 10));
    EXPECT_FLOAT_EQ(without.titleRect.Height, with.titleRect.Height + line + 1);
    EXPECT_FLOAT_EQ(with.tagBoxes[0].y, 20 + 216 - (line + 4));
    ASSERT_EQ(with.frameBoxes.size(), 3u);
    EXPECT_FLOAT_EQ(with.frameBoxes[2].x, 10 + 6 + 2 * 260);
}

TEST_F(GridCellTest, StateColoursAndHoverOnlyInSelectedCells)
{
    for (int i = 0; i < 3; ++i) AddMovie(L"movie " + std::to_wstring(i));
    ShowAll();
    ASSERT_EQ(grid_->GetItemCount(), 3u);
    // Cell 0 plain, 1 selected, 2 under the cursor and selected.
    Select({1, 2}, 1);
    grid_->cursorIndex = 2;
    grid_->lastMousePoint = {-1, -1};
    Paint();
    for (uint32_t i = 0; i < 3; ++i) {
        const RECT cell = CellRect(i);
        const int state = i == 0 ? 0 : (i == 1 ? 1 : 3);
        // The gap between the first two frames shows the background.
        EXPECT_TRUE(Near(Pixel(cell.left + 264, cell.top + 80), FromArgb(MovieCellLayout::kBackgroundColours[state]), 3))
            << "cell " << i;
        // The frames show the strip's frames 1, 4 and 8, in that order.
        EXPECT_TRUE(Near(Pixel(cell.left + 6 + 128, cell.top + 80), FrameColour(1)));
        EXPECT_TRUE(Near(Pixel(cell.left + 266 + 128, cell.top + 80), FrameColour(4)));
        EXPECT_TRUE(Near(Pixel(cell.left + 526 + 128, cell.top + 80), FrameColour(8)));
    }
    const RECT cursor = CellRect(0);
    grid_->cursorIndex = 0;
    Paint();
    EXPECT_TRUE(Near(Pixel(cursor.left + 264, cursor.top + 80), FromArgb(MovieCellLayout::kBackgroundColours[2]), 3));

    // The mouse over the second frame of the unselected cell: no yellow frame, no index.
    const RECT plain = CellRect(0);
    grid_->SelectAll(0);
    grid_->lastMousePoint = {plain.left + 300, plain.top + 80};
    Paint();
    EXPECT_EQ(grid_->HoveredFrameIndex(), -1);
    EXPECT_EQ(grid_->hotIndex, -1);
    // The border is drawn before the strip: its outer half shows, in the gap before the box.
    EXPECT_FALSE(Near(Pixel(plain.left + 264, plain.top + 80), RGB(255, 255, 0), 30));
    // Selected: the frame under the mouse is framed in yellow and becomes the hovered one.
    grid_->SetSelect(0, 1);
    Paint();
    EXPECT_EQ(grid_->HoveredFrameIndex(), 1);
    EXPECT_EQ(grid_->hotIndex, 1);
    EXPECT_EQ(album_.disp_setting.grid_indices[1], 1);
    EXPECT_TRUE(Near(Pixel(plain.left + 264, plain.top + 80), RGB(255, 255, 0), 30));
    EXPECT_FALSE(Near(Pixel(plain.left + 4, plain.top + 80), RGB(255, 255, 0), 30));
    SaveWindowScreenshot(grid_->hwnd, L"grid", L"grid_states_256");
}

TEST_F(GridCellTest, TagChipsAndHoveredTag)
{
    ItemMovieData_CL& movie = AddMovie(L"tagged");
    movie.tags = {L"drama", L"1998", L"夜"};
    ShowAll();
    grid_->lastMousePoint = {-1, -1};
    Paint();
    ASSERT_EQ(grid_->cellLayout.tagBoxes.size(), 3u);
    const CellBox chip = grid_->cellLayout.tagBoxes[1];
    EXPECT_TRUE(Near(Pixel(static_cast<int>(chip.x) + 1, static_cast<int>(chip.y) + 1),
                     FromArgb(MovieCellLayout::kChipColour), 3));
    // White text inside the chip.
    const RECT inside = {static_cast<LONG>(chip.x), static_cast<LONG>(chip.y), static_cast<LONG>(chip.x + chip.width),
                         static_cast<LONG>(chip.y + chip.height)};
    EXPECT_GT(Count(inside, RGB(255, 255, 255), 60), 5);

    grid_->lastMousePoint = {static_cast<LONG>(chip.x + chip.width / 2), static_cast<LONG>(chip.y + chip.height / 2)};
    Paint();
    EXPECT_EQ(grid_->HoveredTagIndex(), -1) << "an unselected cell";
    Select({0}, 0);
    Paint();
    EXPECT_EQ(grid_->HoveredTagIndex(), 1);
    EXPECT_EQ(grid_->HoveredFrameIndex(), -1);
    EXPECT_TRUE(Near(Pixel(static_cast<int>(chip.x), static_cast<int>(chip.y + chip.height / 2)), RGB(255, 255, 0), 40));
}

TEST_F(GridCellTest, InfoLabelBoxByTabAndStars)
{
    ItemMovieData_CL& movie = AddMovie(L"labelled");
    movie.star_count = 3;
    ShowAll();
    const RECT cell = CellRect(0);
    // Inside the label box: 2 px right of frame box 0 would leave the box; 2 px left of its
    // right edge and above its bottom edge is inside.
    const int bx = cell.left + 6, by = cell.top + 6;
    const POINT probe = {bx + 256 - 3, by + 144 - 2};
    const COLORREF under = FrameColour(1);
    struct Row {
        int tab;
        bool label;
    };
    for (const Row& row : {Row{0, false}, Row{1, false}, Row{6, false}, Row{5, true}, Row{7, true}, Row{8, true}}) {
        album_.disp_setting.selected_sort_tab = row.tab;
        Paint();
        EXPECT_TRUE(Near(Pixel(probe.x, probe.y), row.label ? Blend(0xC8646464, under) : under, 12)) << "tab " << row.tab;
    }

    // Stars top-left in the first frame, yellow; seven stored stars draw as five.
    const RECT starArea = {bx, by, bx + 200, by + 30};
    const auto yellow = [&]() { return Count(starArea, RGB(255, 255, 0), 60); };
    Paint();
    const int three = yellow();
    movie.star_count = 5;
    Paint();
    const int five = yellow();
    movie.star_count = 7;
    Paint();
    EXPECT_EQ(yellow(), five);
    movie.star_count = 0;
    Paint();
    EXPECT_EQ(yellow(), 0);
    EXPECT_GT(three, 20);
    EXPECT_GT(five, three);
}

TEST_F(GridCellTest, MissingFileTextStaysUntilTheRecordIsRead)
{
    ItemMovieData_CL& movie = AddMovie(L"gone");
    ShowAll();
    const RECT cell = CellRect(0);
    const RECT text = {cell.left + 9, cell.top + 9, cell.left + 9 + 255, cell.top + 9 + 143};
    const auto red = [&]() {
        return CountPixels(text, [](const Gdiplus::Color& c) { return c.GetR() > 200 && c.GetG() < 50 && c.GetB() < 50; });
    };
    Paint();
    EXPECT_EQ(red(), 0);
    EXPECT_EQ(movie.file_unchecked, 0u);
    EXPECT_EQ(movie.file_missing, 0u);

    const std::wstring away = movie.link_name + L".away";
    ASSERT_TRUE(MoveFileW(movie.link_name.c_str(), away.c_str()));
    Paint();
    EXPECT_EQ(movie.file_missing, 1u);
    EXPECT_GT(red(), 30);
    SaveWindowScreenshot(grid_->hwnd, L"grid", L"grid_missing_file");

    ASSERT_TRUE(MoveFileW(away.c_str(), movie.link_name.c_str()));
    Paint();
    EXPECT_GT(red(), 30) << "the text stays until the record is read again";
}

TEST_F(GridCellTest, OldStripAt128IsShiftedAndScaledTo85)
{
    UseLayout(0, 5);
    ItemMovieData_CL& movie = AddMovie(L"old", false);
    // 1920 x 144 in 192-pixel frames; rows from 120 down in a marker colour, which shows at
    // the bottom of the box only when the frame is 85 pixels tall (at 96 it stays below).
    const COLORREF marker = RGB(250, 250, 250);
    ASSERT_TRUE(WriteStrip(movie, 192, 10, 144, 120, marker));
    ShowAll();
    Paint();
    const RECT cell = CellRect(0);
    const int bx = cell.left + 6, by = cell.top + 6;
    // Frame boxes 0..4 show frames 1, 2, 4, 5, 8 (sorted first five of the frame order).
    const int shown[5] = {1, 2, 4, 5, 8};
    for (int k = 0; k < 5; ++k) {
        const int x = bx + k * (128 + 4) + 64;
        EXPECT_TRUE(Near(Pixel(x, by + 10), FrameColour(shown[k]))) << "box " << k;
        EXPECT_TRUE(Near(Pixel(x, by + 69), marker)) << "box " << k;
        EXPECT_TRUE(Near(Pixel(x, by + 60), FrameColour(shown[k]))) << "box " << k;
    }
    // Nothing is drawn outside the box above it.
    EXPECT_FALSE(Near(Pixel(bx + 64, by - 3), FrameColour(1)));
    SaveWindowScreenshot(grid_->hwnd, L"grid", L"grid_old_strip_128");
}

TEST_F(GridCellTest, ThreeSizesForReview)
{
    for (int i = 0; i < 12; ++i) {
        ItemMovieData_CL& movie = AddMovie(L"映画 " + std::to_wstring(i) + L" — a title long enough to wrap in a cell",
                                           i % 4 != 3);
        movie.star_count = static_cast<uint32_t>(i % 6);
        movie.play_count = static_cast<uint32_t>(i * 7);
        if (i % 2 == 0) movie.tags = {L"drama", L"1998", L"夜", L"tag-" + std::to_wstring(i)};
    }
    album_.disp_setting.selected_sort_tab = 7;
    ShowAll();
    const struct {
        int size;
        int count;
        const wchar_t* name;
    } sizes[] = {{0, 5, L"grid_128x72_5"}, {1, 5, L"grid_176x99_5"}, {2, 3, L"grid_256x144_3"}};
    for (const auto& s : sizes) {
        UseLayout(s.size, s.count);
        Select({1}, 1);
        grid_->cursorIndex = 2;
        Paint();
        EXPECT_FALSE(SaveWindowScreenshot(grid_->hwnd, L"grid", s.name).empty());
    }
}

}  // namespace
