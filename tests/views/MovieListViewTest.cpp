#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "core/base/ThreadMessages.h"
#include "core/media/GdiplusSession.h"
#include "tests/common/Screenshot.h"
#include "tests/common/TempFolder.h"
#include "tests/common/TestWindow.h"
#include "tests/views/PictureListTestSupport.h"
#include "ui/views/MovieListView.h"

namespace {

struct TestItem {
    std::wstring label;
    std::wstring moviePath;
    std::wstring thumbnailPath;
};

// Items from a vector the test fills; counts the calls a refresh makes.
class TestListener : public MovieListView_CL::DecodeRequestListenerTemplate_CL {
public:
    TestListener() : DecodeRequestListenerTemplate_CL(10, 256, 144) {}

    void ClearItems() override
    {
        ++clears;
        shown.clear();
    }
    void AttachItems() override { shown = items; }
    void ClearBitmaps() override
    {
        ++bitmapClears;
        DecodeRequestListenerTemplate_CL::ClearBitmaps();
    }
    uint32_t GetItemCount() override { return static_cast<uint32_t>(shown.size()); }
    const wchar_t* GetItemLabel(uint32_t index) override { return index < shown.size() ? shown[index].label.c_str() : L""; }
    const wchar_t* GetItemDetail(uint32_t index) override { return GetItemLabel(index); }
    void GetMoviePath(std::wstring* out, uint32_t index) override
    {
        *out = index < shown.size() ? shown[index].moviePath : L"";
    }
    uint32_t GetFavoriteFrameCount(uint32_t) override { return 0; }
    int64_t GetFavoriteFramePosition(uint32_t, uint32_t) override { return -1; }
    void GetThumbnailPath(std::wstring* out, uint32_t index) override
    {
        *out = index < shown.size() ? shown[index].thumbnailPath : (index < items.size() ? items[index].thumbnailPath : L"");
    }

    std::vector<TestItem> items;
    std::vector<TestItem> shown;
    int clears = 0;
    int bitmapClears = 0;
};

class TestMovieView : public MovieListView_CL {
public:
    TestMovieView()
    {
        listener = &items;
        items.ownerView = this;
    }
    void PaintAll() override
    {
        missingThumbnails.clear();
        hotIndex = -1;
        PictureListBase_CL::PaintAll();
    }
    void DrawDetailOverlay(Gdiplus::Graphics*, const RECT*, int32_t) override {}

    TestListener items;
};

// Colours that survive 5 bits per channel.
COLORREF FrameColour(int frame)
{
    return RGB(24 * frame, 248 - 16 * frame, 64 + 8 * frame);
}

// A strip with one plain colour per frame.
Gdiplus::Bitmap* MakeStrip(TestListener& listener, int frames, int frameWidth)
{
    Gdiplus::Bitmap* strip = listener.CreateStripBitmap();
    if (!strip) return nullptr;
    Gdiplus::Graphics graphics(strip);
    for (int f = 0; f < frames; ++f) {
        const COLORREF c = FrameColour(f);
        Gdiplus::SolidBrush brush(Gdiplus::Color(255, GetRValue(c), GetGValue(c), GetBValue(c)));
        graphics.FillRectangle(&brush, f * frameWidth, 0, frameWidth, static_cast<INT>(strip->GetHeight()));
    }
    return strip;
}



class MovieListViewTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(gdiplus_.IsStarted());
        recorder_ = std::make_unique<NotifyRecorder>(host_.Get(), 720, 620);
        view_ = std::make_unique<TestMovieView>();
        ASSERT_NE(view_->Create(recorder_->Get(), 91, 700, 600), nullptr);
    }

    void TearDown() override
    {
        if (view_ && view_->hwnd) DestroyWindow(view_->hwnd);
        view_.reset();
        PumpMessages();
    }

    void Show(std::vector<TestItem> items)
    {
        view_->items.items = std::move(items);
        view_->RequestRefresh();
        PumpMessages();
    }

    Gdiplus::Color Paint(int x, int y)
    {
        Gdiplus::Color colour;
        Gdiplus::Bitmap* buffer = view_->GetBackBuffer();
        if (buffer) buffer->GetPixel(x, y, &colour);
        return colour;
    }

    void Repaint()
    {
        InvalidateRect(view_->hwnd, nullptr, FALSE);
        UpdateWindow(view_->hwnd);
    }

    GdiplusSession gdiplus_;
    TestHostWindow host_{720, 620};
    std::unique_ptr<NotifyRecorder> recorder_;
    std::unique_ptr<TestMovieView> view_;
    TempFolder folder_;
};

TEST_F(MovieListViewTest, LayoutCellSizeAndFramesShown)
{
    view_->SetThumbnailLayout(256, 144, 5, 0, 13, 0);
    EXPECT_EQ(view_->cellWidth, 1300);
    EXPECT_EQ(view_->cellHeight, 216);
    EXPECT_EQ(view_->horizontalBar.lineStep, 258);
    EXPECT_EQ(view_->verticalBar.lineStep, 216);
    EXPECT_EQ(view_->framesShown, (std::vector<int32_t>{1, 2, 4, 5, 8}));
    view_->SetThumbnailLayout(256, 144, 3, 0, 13, 0);
    EXPECT_EQ(view_->framesShown, (std::vector<int32_t>{1, 4, 8}));
    view_->SetThumbnailLayout(256, 144, 10, 0, 13, 0);
    EXPECT_EQ(view_->framesShown, (std::vector<int32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    // A family that is not installed still gives a label font.
    ASSERT_NE(view_->labelFont, nullptr);
    EXPECT_TRUE(view_->labelFont->IsAvailable());
    ASSERT_NE(view_->overlayFontSmall, nullptr);
}

TEST_F(MovieListViewTest, RefreshesCoalesceAndNothingIsDrawnMeanwhile)
{
    view_->SetThumbnailLayout(128, 72, 5, 0, 11, 0);
    Show({{L"one", L"C:\\m\\1.mp4", L""}, {L"two", L"C:\\m\\2.mp4", L""}});
    ASSERT_EQ(view_->GetItemCount(), 2u);
    const int fullRefreshes = view_->items.bitmapClears;

    view_->items.items.push_back({L"three", L"C:\\m\\3.mp4", L""});
    view_->RequestRefresh();
    view_->RequestRefresh();
    Repaint();
    // Still pending: the cells show only the list's background.
    EXPECT_TRUE(Near(Paint(300, 100), RGB(255, 255, 255), 0));
    PumpMessages();
    EXPECT_EQ(view_->items.bitmapClears, fullRefreshes + 1);
    EXPECT_EQ(view_->GetItemCount(), 3u);
    Repaint();
    EXPECT_TRUE(Near(Paint(650, 100), FromArgb(MovieListView_CL::kBackgroundColours[0]), 2));

    std::wstring tip;
    view_->GetItemTip(&tip, 1);
    EXPECT_EQ(tip, L"two\r\nC:\\m\\2.mp4");
    view_->GetItemTip(&tip, 3);
    EXPECT_EQ(tip, L"");
}

TEST_F(MovieListViewTest, ReloadReachesTheParentOnlyWithAValue)
{
    Show({{L"one", L"", L""}});
    recorder_->others.clear();
    view_->RequestReload(0);
    PumpMessages();
    for (const auto& m : recorder_->others) EXPECT_NE(m.msg, WM_LIST_RELOAD);
    EXPECT_EQ(view_->GetItemCount(), 1u);

    view_->RequestReload(7);
    PumpMessages();
    ASSERT_EQ(recorder_->others.size(), 1u);
    EXPECT_EQ(recorder_->others[0].msg, WM_LIST_RELOAD);
    EXPECT_EQ(recorder_->others[0].wParam, reinterpret_cast<WPARAM>(view_->hwnd));
    EXPECT_EQ(recorder_->others[0].lParam, 7);
    EXPECT_EQ(view_->GetItemCount(), 0u);
    EXPECT_EQ(view_->items.clears, 1);
    EXPECT_EQ(view_->pendingReloadValue, 0);

    recorder_->others.clear();
    SendMessageW(view_->hwnd, WM_DROPFILES, 0x1234, 0);
    ASSERT_EQ(recorder_->others.size(), 1u);
    EXPECT_EQ(recorder_->others[0].msg, static_cast<UINT>(WM_DROPFILES));
    EXPECT_EQ(recorder_->others[0].wParam, 0x1234u);
}

TEST_F(MovieListViewTest, CellStatesOutlinesAndHotFrame)
{
    view_->SetThumbnailLayout(128, 72, 5, 0, 11, 0);
    view_->useFramesShown = 1;
    Show({{L"normal", L"", L""}, {L"selected", L"", L""}, {L"cursor", L"", L""}, {L"夏の海", L"", L""}});
    ASSERT_EQ(view_->cellWidth, 660);
    ASSERT_EQ(view_->cellHeight, 144);
    for (uint32_t i = 0; i < 4; ++i) view_->items.PutBitmap(i, MakeStrip(view_->items, 10, 256));
    view_->SetSelect(1, 1);
    view_->SetSelect(3, 1);
    view_->cursorIndex = 2;
    // The mouse over the third frame box of the first cell.
    const int boxLeft = 4 + 2;
    const int boxTop = 4 + 2;
    view_->lastMousePoint = {boxLeft + 2 * 130 + 10, boxTop + 10};
    Repaint();

    // Background beside the frames, right of the last box.
    const int besideX = boxLeft + 5 * 130 - 2 + 2;
    EXPECT_TRUE(Near(Paint(besideX, 40), FromArgb(MovieListView_CL::kBackgroundColours[0]), 2));
    EXPECT_TRUE(Near(Paint(besideX, 144 + 40), FromArgb(MovieListView_CL::kBackgroundColours[1]), 2));
    EXPECT_TRUE(Near(Paint(besideX, 288 + 40), FromArgb(MovieListView_CL::kBackgroundColours[2]), 2));
    view_->cursorIndex = 3;
    Repaint();
    EXPECT_TRUE(Near(Paint(besideX, 432 + 40), FromArgb(MovieListView_CL::kBackgroundColours[3]), 2));
    EXPECT_EQ(view_->hotIndex, 2);

    // Frames in the order shown (1, 2, 4, 5, 8), grey outlines, the hot frame in yellow.
    const int shown[5] = {1, 2, 4, 5, 8};
    for (int k = 0; k < 5; ++k) {
        SCOPED_TRACE(k);
        const int x = boxLeft + k * 130;
        EXPECT_TRUE(Near(Paint(x + 64, boxTop + 36), FrameColour(shown[k])));
        if (k == 2) {
            EXPECT_TRUE(Near(Paint(x, boxTop + 36), RGB(255, 255, 0), 2));
        } else {
            EXPECT_TRUE(Near(Paint(x, boxTop + 36), FromArgb(MovieListView_CL::kFrameOutlineColour), 2));
        }
    }
    // The base's focus frame and selection fill are not drawn over the cells.
    EXPECT_TRUE(Near(Paint(besideX, 144 + 40), FromArgb(MovieListView_CL::kBackgroundColours[1]), 2));

    // For people to look at: the cursor on a selected cell, then on a plain one.
    view_->lastMousePoint = {boxLeft + 1 * 130 + 10, boxTop + 10};
    Repaint();
    EXPECT_FALSE(SaveWindowScreenshot(view_->hwnd, L"views", L"movie_list_cursor_on_selected").empty());
    view_->cursorIndex = 2;
    Repaint();
    EXPECT_FALSE(SaveWindowScreenshot(view_->hwnd, L"views", L"movie_list_states").empty());
}

TEST_F(MovieListViewTest, StripFramesInOrderAndOldStripsShiftedAndClipped)
{
    view_->SetThumbnailLayout(64, 36, 10, 0, 9, 0);
    view_->useFramesShown = 1;
    Show({{L"strip", L"", L""}, {L"old", L"", L""}});
    view_->items.PutBitmap(0, MakeStrip(view_->items, 10, 256));
    // A 192-pixel-wide picture: red above its middle, blue below.
    auto* old = new Gdiplus::Bitmap(192, 144, PixelFormat24bppRGB);
    {
        Gdiplus::Graphics graphics(old);
        Gdiplus::SolidBrush red(Gdiplus::Color(255, 255, 0, 0));
        Gdiplus::SolidBrush blue(Gdiplus::Color(255, 0, 0, 255));
        graphics.FillRectangle(&red, 0, 0, 192, 72);
        graphics.FillRectangle(&blue, 0, 72, 192, 72);
    }
    view_->items.PutBitmap(1, old);
    view_->cursorIndex = -1;
    Repaint();

    const int boxLeft = 6;
    const int boxTop = 6;
    for (int k = 0; k < 10; ++k) {
        SCOPED_TRACE(k);
        EXPECT_TRUE(Near(Paint(boxLeft + k * 66 + 32, boxTop + 18), FrameColour(k)));
    }
    // Cell 1 in 256 x 144 frames: the picture is scaled to 256 x 192 and drawn 24 pixels
    // above the box, so its middle lands 72 pixels below the box's top; nothing spills out.
    view_->SetThumbnailLayout(256, 144, 2, 0, 11, 0);
    view_->RecalcLayout();
    view_->useFramesShown = 0;
    Repaint();
    const int top = view_->cellHeight + boxTop;
    EXPECT_TRUE(Near(Paint(boxLeft + 128, top + 36), RGB(255, 0, 0), 24));
    EXPECT_TRUE(Near(Paint(boxLeft + 128, top + 66), RGB(255, 0, 0), 24));
    EXPECT_TRUE(Near(Paint(boxLeft + 128, top + 78), RGB(0, 0, 255), 24));
    EXPECT_TRUE(Near(Paint(boxLeft + 128, top + 140), RGB(0, 0, 255), 24));
    const COLORREF background = FromArgb(MovieListView_CL::kBackgroundColours[0]);
    EXPECT_TRUE(Near(Paint(boxLeft + 128, top - 3), background, 2));
    EXPECT_TRUE(Near(Paint(boxLeft + 128, top + 144 + 3), background, 2));
}

TEST_F(MovieListViewTest, InteractionFlagFollowsKeysClicksTimersAndScrolling)
{
    view_->SetThumbnailLayout(128, 72, 5, 0, 11, 0);
    Show({{L"one", L"", L""}, {L"two", L"", L""}});
    const struct {
        UINT msg;
        WPARAM wParam;
        int32_t expected;
    } steps[] = {
        {WM_KEYDOWN, VK_DOWN, 1}, {WM_TIMER, 1, 0},      {WM_LBUTTONDOWN, 0, 1},
        {WM_VSCROLL, SB_LINEDOWN, 0}, {WM_LBUTTONDOWN, 0, 1}, {WM_MOUSEWHEEL, 0, 0},
    };
    for (const auto& step : steps) {
        SendMessageW(view_->hwnd, step.msg, step.wParam, MAKELPARAM(10, 10));
        if (step.msg == WM_LBUTTONDOWN) SendMessageW(view_->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
        EXPECT_EQ(view_->interactionFlag, step.expected) << std::hex << step.msg;
    }
}

TEST_F(MovieListViewTest, ListenerStripFileAndOpenImage)
{
    TestListener& listener = view_->items;
    std::unique_ptr<Gdiplus::Bitmap> strip(listener.CreateStripBitmap());
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(strip->GetWidth(), 2560u);
    EXPECT_EQ(strip->GetHeight(), 144u);
    {
        Gdiplus::Graphics graphics(strip.get());
        Gdiplus::SolidBrush white(Gdiplus::Color(0xFFFFFFFF));
        graphics.FillRectangle(&white, 0, 0, 2560, 144);
    }
    Gdiplus::Color pixel;
    strip->GetPixel(1000, 100, &pixel);
    EXPECT_GE(pixel.GetR(), 248);
    EXPECT_GE(pixel.GetG(), 248);
    EXPECT_GE(pixel.GetB(), 248);

    const std::wstring saved = folder_ / L"saved.jpg";
    const std::wstring existing = folder_ / L"existing.jpg";
    ASSERT_TRUE(WriteFileBytes(existing, {1, 2, 3}));
    listener.items = {{L"a", L"", saved}, {L"b", L"", existing}};
    listener.AttachItems();
    listener.SaveThumbnailFile(0);  // nothing cached yet
    EXPECT_EQ(GetFileAttributesW(saved.c_str()), INVALID_FILE_ATTRIBUTES);
    listener.PutBitmap(0, MakeStrip(listener, 10, 256));
    listener.PutBitmap(1, MakeStrip(listener, 10, 256));
    listener.SaveThumbnailFile(0);
    listener.SaveThumbnailFile(1);
    EXPECT_GT(ReadFileBytes(saved).size(), 100u);
    EXPECT_EQ(ReadFileBytes(existing), (std::vector<uint8_t>{1, 2, 3}));

    // The shown image does not hold its file: a new strip can be moved over it.
    std::unique_ptr<Gdiplus::Image> shown(listener.LoadThumbnail(0));
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->GetWidth(), 2560u);
    const std::wstring replacement = folder_ / L"new.jpg";
    ASSERT_TRUE(WriteFileBytes(replacement, ReadFileBytes(saved)));
    EXPECT_TRUE(MoveFileExW(replacement.c_str(), saved.c_str(), MOVEFILE_REPLACE_EXISTING));
    Gdiplus::Color still;
    EXPECT_EQ(static_cast<Gdiplus::Bitmap*>(shown.get())->GetPixel(10, 10, &still), Gdiplus::Ok);

    EXPECT_EQ(listener.LoadThumbnail(5), nullptr);  // no such item: no path
    listener.items[1].thumbnailPath = folder_ / L"missing.jpg";
    listener.AttachItems();
    EXPECT_EQ(listener.LoadThumbnail(1), nullptr);
}

}  // namespace
