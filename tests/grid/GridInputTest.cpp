#include <gtest/gtest.h>

#include <windows.h>

#include "core/album/ItemBase.h"
#include "tests/common/Screenshot.h"
#include "tests/grid/GridTestSupport.h"

namespace {

class GridInputTest : public GridTest {
protected:
    void SetUp() override
    {
        GridTest::SetUp();
        for (int i = 0; i < 8; ++i) AddMovie(L"m" + std::to_wstring(i));
        ShowAll();
        ASSERT_EQ(grid_->GetItemCount(), 8u);
    }

    void Char(wchar_t c) { SendMessageW(grid_->hwnd, WM_CHAR, c, 1); }
    LRESULT Wheel(int delta) { return SendMessageW(grid_->hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, delta), MAKELPARAM(50, 50)); }
    uint32_t Stars(size_t i) { return album_.movie_list.records[i].star_count; }
    ItemMovieData_CL& Movie(size_t i) { return album_.movie_list.records[i]; }
};

TEST_F(GridInputTest, DigitRatesEverySelectedMovieAndBeepsOnce)
{
    Select({0, 2, 3, 5, 7}, 2);
    Char(L'3');
    for (size_t i = 0; i < 8; ++i) EXPECT_EQ(Stars(i), (i == 1 || i == 4 || i == 6) ? 0u : 3u) << i;
    EXPECT_EQ(host_.beeps, (std::vector<int>{1}));
    EXPECT_EQ(grid_->GetSelectedCount(), 5u) << "rating keeps the selection";
}

TEST_F(GridInputTest, OneSelectedBeforeTheFocusIsRated)
{
    Select({1}, 4);
    Char(L'4');
    EXPECT_EQ(Stars(1), 4u);
    EXPECT_EQ(Stars(4), 0u);
    // At the focus, the walk from the focus finds it at once.
    Select({4}, 4);
    Char(L'2');
    EXPECT_EQ(Stars(4), 2u);
    EXPECT_EQ(Stars(1), 4u);
}

TEST_F(GridInputTest, KeysThatRateNothing)
{
    struct Row {
        wchar_t key;
        bool control;
        int32_t focus;
    };
    const Row rows[] = {{L'6', false, 0}, {L'7', false, 0}, {L'9', false, 0},
                        {L'3', true, 0},  {0x13, true, 0},  {L'3', false, -1}};
    for (const Row& row : rows) {
        Select({0, 1}, row.focus);
        keys_.control = row.control;
        Char(row.key);
        keys_.control = false;
        EXPECT_EQ(Stars(0), 0u) << static_cast<int>(row.key);
        EXPECT_EQ(Stars(1), 0u) << static_cast<int>(row.key);
    }
    EXPECT_TRUE(host_.beeps.empty());
}

TEST_F(GridInputTest, CategoryKeyMovesTheSelectionAndRebuildsOnce)
{
    ItemCategoryData_CL other;
    other.category = L"Other";
    other.sub_category = L"Nope";
    other.short_cut_key = 'b';
    ItemCategoryData_CL target;
    target.category = L"映画";
    target.sub_category = L"夜";
    target.short_cut_key = 'a';
    album_.category_list.records = {other, target};
    const uint32_t refreshesBefore = static_cast<uint32_t>(host_.refreshes);

    Select({3, 6}, 3);
    Char(L'a');
    for (size_t i : {3u, 6u}) {
        EXPECT_EQ(Movie(i).category, L"映画");
        EXPECT_EQ(Movie(i).sub_category, L"夜");
        EXPECT_EQ(Movie(i).category_hash, NameHash(L"映画"));
        EXPECT_EQ(Movie(i).sub_category_hash, NameHash(L"夜"));
    }
    EXPECT_EQ(Movie(2).category, L"Cat");
    EXPECT_EQ(grid_->GetSelectedCount(), 0u);
    EXPECT_EQ(grid_->GetFocusIndex(), -1);
    EXPECT_EQ(grid_->rangeEnd, -1);
    EXPECT_EQ(host_.tabRebuilds, 1);
    EXPECT_EQ(static_cast<uint32_t>(host_.refreshes), refreshesBefore + 1);
    EXPECT_EQ(host_.beeps, (std::vector<int>{1}));

    // Case is not folded: 'A' is no short-cut here.
    Select({4}, 4);
    Char(L'A');
    EXPECT_EQ(Movie(4).category, L"Cat");
    EXPECT_EQ(host_.tabRebuilds, 1);
}

TEST_F(GridInputTest, CtrlWheelChangesTheFontLevelAndRelaysBothViews)
{
    CategoryListWindow_CL tiles(&album_, &host_);
    ASSERT_NE(tiles.Create(window_.Get(), 0x78, 300, 200), nullptr);
    host_.tiles = &tiles;
    album_.disp_setting.ui_font_size_level = 4;
    const int scrollBefore = grid_->verticalBar.info.nPos;

    keys_.control = true;
    EXPECT_EQ(Wheel(120), 0);
    keys_.control = false;
    EXPECT_EQ(album_.disp_setting.ui_font_size_level, 5);
    EXPECT_EQ(album_.album_ini.ReadInt(L"DISP_SETTING", L"ui_font_size_level", 0), 5u);
    EXPECT_EQ(host_.fontApplies, 1);
    const int s = album_.disp_setting.GetUiFontHeight();
    EXPECT_EQ(s, 16);
    EXPECT_EQ(grid_->cellMargins.bottom, std::max(4 * s + 12, 64));
    EXPECT_EQ(tiles.cellMargins.bottom, std::max(4 * s + 12, 48));
    EXPECT_EQ(grid_->fontOverlayFlag, 1);
    EXPECT_EQ(grid_->fontOverlayLevel, 5);
    EXPECT_EQ(grid_->verticalBar.info.nPos, scrollBefore) << "the wheel with Ctrl does not scroll";
    // The box's timer runs: it ends the box one second after the last turn.
    EXPECT_TRUE(KillTimer(grid_->hwnd, MovieListWindow_CL::kFontOverlayTimer));
    PostMessageW(grid_->hwnd, WM_TIMER, MovieListWindow_CL::kFontOverlayTimer, 0);
    PumpMessages();
    EXPECT_EQ(grid_->fontOverlayFlag, 0);
    host_.tiles = nullptr;
    DestroyWindow(tiles.hwnd);
}

TEST_F(GridInputTest, CtrlWheelAtTheEndsAndWithoutDelta)
{
    album_.disp_setting.ui_font_size_level = 10;
    const int margin = grid_->cellMargins.bottom;
    keys_.control = true;
    Wheel(120);
    EXPECT_EQ(album_.disp_setting.ui_font_size_level, 10);
    EXPECT_EQ(album_.album_ini.ReadInt(L"DISP_SETTING", L"ui_font_size_level", 0), 0u) << "nothing written";
    EXPECT_EQ(host_.fontApplies, 0);
    EXPECT_EQ(grid_->cellMargins.bottom, margin);
    EXPECT_EQ(grid_->fontOverlayFlag, 1);
    EXPECT_EQ(grid_->fontOverlayLevel, 10);
    Paint();
    SaveWindowScreenshot(grid_->hwnd, L"grid", L"grid_font_box");

    grid_->fontOverlayFlag = 0;
    KillTimer(grid_->hwnd, MovieListWindow_CL::kFontOverlayTimer);
    Wheel(0);
    keys_.control = false;
    EXPECT_EQ(grid_->fontOverlayFlag, 0);
    EXPECT_FALSE(KillTimer(grid_->hwnd, MovieListWindow_CL::kFontOverlayTimer));
}

TEST_F(GridInputTest, PlainWheelScrollsAndMarksScrolling)
{
    const int before = grid_->verticalBar.info.nPos;
    Wheel(-120);
    EXPECT_GT(grid_->verticalBar.info.nPos, before);
    EXPECT_TRUE(grid_->IsScrolling());
    EXPECT_TRUE(KillTimer(grid_->hwnd, MovieListWindow_CL::kScrollTimer));
    PostMessageW(grid_->hwnd, WM_TIMER, MovieListWindow_CL::kScrollTimer, 0);
    PumpMessages();
    EXPECT_FALSE(grid_->IsScrolling());
}

class GridOverlayTest : public GridTest {
protected:
    // The bounding box of the pixels that differ between the two paints, or empty.
    RECT Difference(const std::vector<Gdiplus::Color>& before)
    {
        RECT box = {LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
        Gdiplus::Bitmap* buffer = grid_->GetBackBuffer();
        const int w = static_cast<int>(buffer->GetWidth()), h = static_cast<int>(buffer->GetHeight());
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                if (Pixel(x, y).GetValue() == before[static_cast<size_t>(y) * w + x].GetValue()) continue;
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
        }
        return box.left == LONG_MAX ? RECT{} : box;
    }
    std::vector<Gdiplus::Color> Snapshot()
    {
        Gdiplus::Bitmap* buffer = grid_->GetBackBuffer();
        std::vector<Gdiplus::Color> pixels;
        for (UINT y = 0; y < buffer->GetHeight(); ++y)
            for (UINT x = 0; x < buffer->GetWidth(); ++x) pixels.push_back(Pixel(static_cast<int>(x), static_cast<int>(y)));
        return pixels;
    }
};

TEST_F(GridOverlayTest, PanelBelowForTheUpperHalfElseOnTop)
{
    for (int i = 0; i < 8; ++i) AddMovie(L"movie " + std::to_wstring(i));
    album_.movie_list.records[0].category = L"映画";
    album_.movie_list.records[0].sub_category = L"夜";
    album_.movie_list.records[0].star_count = 4;
    ShowAll();
    grid_->lastMousePoint = {-1, -1};
    Paint();
    const std::vector<Gdiplus::Color> plain = Snapshot();
    RECT client = {};
    GetClientRect(grid_->hwnd, &client);
    const int right = client.right - GetSystemMetrics(SM_CYVSCROLL);

    grid_->interactionFlag = 1;
    grid_->focusIndex = 0;
    Paint();
    RECT panel = Difference(plain);
    EXPECT_EQ(host_.status, L"映画/夜/movie 0");
    EXPECT_NEAR(panel.right, right, 1);
    EXPECT_NEAR(panel.bottom, client.bottom - GetSystemMetrics(SM_CYHSCROLL), 1);
    EXPECT_GT(panel.bottom - panel.top, 100);
    EXPECT_GT(panel.right - panel.left, 200);
    SaveWindowScreenshot(grid_->hwnd, L"grid", L"grid_detail_panel");

    // The last cell on screen is in the lower half: the panel goes to the top.
    grid_->focusIndex = 3;
    Paint();
    panel = Difference(plain);
    EXPECT_EQ(panel.top, 0);
    EXPECT_NEAR(panel.right, right, 1);
    EXPECT_EQ(host_.status, L"Cat/Sub/movie 3");

    // While the user scrolls there is no panel.
    grid_->scrollFlag = 1;
    grid_->scrollTick = GetTickCount();
    Paint();
    panel = Difference(plain);
    EXPECT_TRUE(IsRectEmpty(&panel));
}

TEST_F(GridOverlayTest, FontBoxIsCentredAndAnEmptyGridShowsItWithoutPanel)
{
    ShowAll();  // no movies
    grid_->interactionFlag = 1;
    grid_->focusIndex = 0;
    for (SIZE size : {SIZE{900, 600}, SIZE{500, 300}}) {
        SetWindowPos(grid_->hwnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOMOVE);
        Paint();
        const std::vector<Gdiplus::Color> plain = Snapshot();
        grid_->fontOverlayFlag = 1;
        grid_->fontOverlayLevel = 10;
        Paint();
        const RECT box = Difference(plain);
        grid_->fontOverlayFlag = 0;
        RECT client = {};
        GetClientRect(grid_->hwnd, &client);
        ASSERT_FALSE(IsRectEmpty(&box));
        EXPECT_NEAR((box.left + box.right) / 2.0, client.right / 2.0, 2.0);
        EXPECT_NEAR((box.top + box.bottom) / 2.0, client.bottom / 2.0, 2.0);
        EXPECT_LT(box.right - box.left, 300);
        EXPECT_TRUE(Near(Pixel(box.left + 5, box.top + 5), Blend(0xB4000000, RGB(255, 255, 255)), 6));
    }
    EXPECT_EQ(host_.status, L"");
}

}  // namespace
