#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/album/SaveData.h"
#include "core/base/ByteReader.h"
#include "core/ipc/Kiln_RequestDecodePriorityRequest.h"
#include "core/ipc/PipeServer.h"
#include "core/ipc/StillforgeRequest.h"
#include "core/media/GdiplusSession.h"
#include "core/media/MovieBitmapChcheBase.h"
#include "tests/common/TempFolder.h"
#include "tests/common/TestWindow.h"
#include "tests/common/WicCanvas.h"
#include "ui/views/MovieListWindow.h"
#include "ui/views/MovieListWindowDirect2D.h"
#include "ui/views/ViewHost.h"

namespace {

// One colour per strip frame; none of them yellow, red or grey, so the probes can tell them
// from stars, the error text and the labels.
const COLORREF kFrameColours[10] = {RGB(0, 160, 0),   RGB(0, 90, 200),  RGB(150, 0, 150), RGB(0, 150, 150),
                                    RGB(90, 50, 0),   RGB(20, 200, 90), RGB(60, 0, 120),  RGB(0, 60, 60),
                                    RGB(140, 90, 250), RGB(0, 0, 90)};
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);

COLORREF Colour(Gdiplus::ARGB argb)
{
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

bool Near(const Gdiplus::Color& pixel, COLORREF expected, int tolerance)
{
    return std::abs(pixel.GetR() - GetRValue(expected)) <= tolerance &&
           std::abs(pixel.GetG() - GetGValue(expected)) <= tolerance &&
           std::abs(pixel.GetB() - GetBValue(expected)) <= tolerance;
}

// An ARGB colour laid over an opaque one.
COLORREF Over(Gdiplus::ARGB top, COLORREF under)
{
    const int a = (top >> 24) & 0xFF;
    auto mix = [a](int t, int u) { return (t * a + u * (255 - a)) / 255; };
    return RGB(mix((top >> 16) & 0xFF, GetRValue(under)), mix((top >> 8) & 0xFF, GetGValue(under)),
               mix(top & 0xFF, GetBValue(under)));
}

class NullHost : public ViewHost_IF {
public:
    void RefreshMovieList() override {}
};

// Keeps the priority requests the grid sends to the test's thumbnail-maker pipe.
class PriorityRecorder : public PipeServer_CL {
public:
    ~PriorityRecorder() override { Stop(); }

    std::vector<std::vector<uint32_t>> WaitFor(size_t count)
    {
        for (int i = 0; i < 60 && Taken().size() < count; ++i) Sleep(50);
        Sleep(200);
        return Taken();
    }

    std::vector<std::vector<uint32_t>> Taken()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return keys_;
    }

protected:
    void OnReceive(const uint8_t* payload, uint32_t size) override
    {
        ByteReader_CL in(payload, size);
        Kiln_RequestDecodePriorityRequest_CL request;
        if (FAILED(request.Load(in))) return;
        std::lock_guard<std::mutex> lock(mutex_);
        keys_.push_back(request.keys);
    }

private:
    std::mutex mutex_;
    std::vector<std::vector<uint32_t>> keys_;
};

HRESULT AnswerDeviceLost(ID2D1RenderTarget* target)
{
    target->EndDraw();
    return kD2DRecreateTarget;
}

HRESULT AnswerFailure(ID2D1RenderTarget* target)
{
    target->EndDraw();
    return E_FAIL;
}

struct Movie {
    std::wstring title;
    int stripWidth;  // 0: no strip file
    bool fileThere;
    uint32_t stars;
};

class GridDirect2DTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(gdiplus_.IsStarted());
        data_.disp_setting.movie_list_use_direct2d = 1;
        data_.disp_setting.selected_sort_tab = kSortFileSize;
    }

    void TearDown() override
    {
        if (grid_ && grid_->hwnd) DestroyWindow(grid_->hwnd);
        grid_.reset();
        PumpMessages();
    }

    // The grid at thumbnail size index `sizeIndex` with 5 frames a cell, over these movies.
    void Open(int sizeIndex, const std::vector<Movie>& movies, int width, int height)
    {
        data_.disp_setting.thumbnail_size_index = sizeIndex;
        data_.disp_setting.thumbnail_count = 5;
        records_.clear();
        for (size_t i = 0; i < movies.size(); ++i) {
            const Movie& m = movies[i];
            ItemMovieData_CL record;
            const std::wstring stem = folder_ / (L"movie" + std::to_wstring(i));
            record.ini_name = stem + L".ini";
            record.link_name = stem + L".mp4";
            record.content_name = m.title;
            record.decode_key = static_cast<uint32_t>(i + 1);
            record.file_size = 1234567;
            record.star_count = m.stars;
            if (m.fileThere) WriteFile(record.link_name);
            if (m.stripWidth) WriteStrip(record.GetThumbnailPath(), m.stripWidth);
            records_.push_back(record);
        }
        host_ = std::make_unique<TestHostWindow>(width, height);
        grid_ = std::make_unique<MovieListWindow_CL>(&data_, &viewHost_);
        ASSERT_NE(grid_->Create(host_->Get(), 71, width, height), nullptr);
        const int* size = data_.disp_setting.frame_sizes[sizeIndex];
        grid_->SetThumbnailLayoutForFont(size[0], size[1], 5, 0, 12, 0);
        grid_->gridListener.pendingRecords = &records_;
        grid_->gridListener.pendingIndices.clear();
        for (size_t i = 0; i < records_.size(); ++i) grid_->gridListener.pendingIndices.push_back(static_cast<int32_t>(i));
        grid_->RequestRefresh();
        PumpMessages();
        grid_->cursorIndex = -1;
        grid_->lastMousePoint = {-100, -100};
        ASSERT_EQ(grid_->GetItemCount(), movies.size());
    }

    static void WriteFile(const std::wstring& path)
    {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }

    // A strip of 256-pixel frames (192-pixel frames when 1920 wide), one colour each: frame f
    // has kFrameColours[f + shift].
    static void WriteStrip(const std::wstring& path, int width, int shift = 0)
    {
        const int frame = width == 1920 ? 192 : 256;
        Gdiplus::Bitmap strip(width, 144, PixelFormat24bppRGB);
        {
            Gdiplus::Graphics graphics(&strip);
            for (int f = 0; f * frame < width; ++f) {
                const COLORREF c = kFrameColours[(f + shift) % 10];
                Gdiplus::SolidBrush brush(Gdiplus::Color(255, GetRValue(c), GetGValue(c), GetBValue(c)));
                graphics.FillRectangle(&brush, f * frame, 0, frame, 144);
            }
        }
        HBITMAP bitmap = nullptr;
        ASSERT_EQ(strip.GetHBITMAP(Gdiplus::Color(0xFF000000), &bitmap), Gdiplus::Ok);
        SaveBitmapAsJpeg(path.c_str(), bitmap);
        DeleteObject(bitmap);
    }

    RECT Client() const
    {
        RECT client = {};
        GetClientRect(grid_->hwnd, &client);
        return client;
    }

    // Renders the grid into the canvas as a paint of `area` (the whole client when null)
    // would, over a magenta background that shows what was not drawn. `kept`: onto what the
    // canvas holds instead, the canvas followed as the window's target is.
    void Render(WicCanvas& canvas, const RECT* area = nullptr, bool kept = false)
    {
        ASSERT_TRUE(canvas.IsReady());
        ASSERT_EQ(grid_->EnsureTextFormats(), S_OK);
        if (kept) Resources()->retained.Track(canvas.Target());
        const RECT client = Client();
        grid_->clientRect = client;
        grid_->UpdateVisibleCells();
        // As a paint does before it draws.
        grid_->visibleKeys.clear();
        grid_->missingThumbnails.clear();
        RECT inside = client;
        if (area) IntersectRect(&inside, area, &client);
        Gdiplus::Bitmap staging(client.right, client.bottom, PixelFormat32bppPARGB);
        Gdiplus::Graphics graphics(&staging);
        canvas.Draw([&](ID2D1RenderTarget* target) {
            if (!kept) target->Clear(D2D1::ColorF(1, 0, 1, 1));
            grid_->RenderAll(target, &graphics, &inside, client.right, client.bottom);
        });
    }

    // Six movies with stars, chips, 2560 and 1920-pixel strips and one strip missing.
    void OpenSix(int width, int height)
    {
        Open(1, {{L"一つ目", 2560, true, 1}, {L"二つ目", 2560, true, 2}, {L"三つ目", 0, true, 3},
                 {L"四つ目", 2560, true, 4}, {L"五つ目", 1920, true, 5}, {L"六つ目", 2560, true, 0}},
             width, height);
        records_[1].tags = {L"drama", L"夜"};
    }

    void Repaint()
    {
        InvalidateRect(grid_->hwnd, nullptr, FALSE);
        UpdateWindow(grid_->hwnd);
    }

    MovieListWindow_CL::Direct2DResources* Resources() { return grid_->direct2d.get(); }

    void ExpectMade()
    {
        ASSERT_NE(Resources(), nullptr);
        EXPECT_TRUE(Resources()->factory);
        EXPECT_TRUE(Resources()->renderTarget);
        EXPECT_TRUE(Resources()->dwriteFactory);
        EXPECT_TRUE(Resources()->labelEmojiFormat);
        EXPECT_TRUE(Resources()->boldFormat);
        EXPECT_TRUE(Resources()->whiteBrush);
        EXPECT_TRUE(Resources()->greyBrush);
        EXPECT_TRUE(Resources()->staging);
    }

    void ExpectReleased()
    {
        if (!Resources()) return;
        EXPECT_FALSE(Resources()->factory);
        EXPECT_FALSE(Resources()->renderTarget);
        EXPECT_EQ(Resources()->targetWidth, 0);
        EXPECT_FALSE(Resources()->dwriteFactory);
        EXPECT_FALSE(Resources()->labelEmojiFormat);
        EXPECT_EQ(Resources()->labelEmojiSize, -1.0f);
        EXPECT_FALSE(Resources()->whiteBrush);
        EXPECT_FALSE(Resources()->scratch.bitmap);
    }

    GdiplusSession gdiplus_;
    TempFolder folder_;
    SaveData_CL data_;
    NullHost viewHost_;
    std::vector<ItemMovieData_CL> records_;
    std::unique_ptr<TestHostWindow> host_;
    std::unique_ptr<MovieListWindow_CL> grid_;
};

std::vector<Gdiplus::ARGB> AllPixels(const WicCanvas& canvas)
{
    std::vector<Gdiplus::ARGB> all;
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) all.push_back(canvas.Pixel(x, y).GetValue());
    }
    return all;
}

// Cell i's top-left corner in a one-column grid.
POINT CellOrigin(const MovieListWindow_CL& grid, int i)
{
    return {0, grid.cellHeight * i};
}

TEST_F(GridDirect2DTest, StatesCursorFramesAndTitles)
{
    Open(1, {{L"夏の海", 2560, true, 0}, {L"山の家", 2560, true, 0}, {L"川", 2560, true, 0}, {L"空港", 2560, true, 0}},
         1000, 760);
    grid_->SetSelect(1, 1);
    grid_->SetSelect(3, 1);
    grid_->cursorIndex = 3;
    WicCanvas canvas(1000, 760);
    Render(canvas);

    // 176 x 99 frames at (6 + k * 180, 6); between the frames and the title, the state colour.
    const Gdiplus::ARGB backgrounds[4] = {0xFF2D2D82, 0xFFD24B19, 0xFF6E6ECD, 0xFFD24100};
    const int states[4] = {0, 1, 0, 3};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const POINT o = CellOrigin(*grid_, i);
        EXPECT_TRUE(Near(canvas.Pixel(o.x + 100, o.y + 6 + 99 + 3), Colour(backgrounds[states[i]]), 6));
        for (int k = 0; k < 5; ++k) {
            const int f = grid_->framesShown[k];
            EXPECT_TRUE(Near(canvas.Pixel(o.x + 6 + k * 180 + 88, o.y + 6 + 50), kFrameColours[f], 24)) << k;
        }
        // The title under the frames lights pixels of its own.
        const RECT title = {o.x + 6, o.y + 99 + 10, o.x + 300, o.y + 99 + 10 + 16};
        EXPECT_GT(canvas.CountUnlike(title, Colour(backgrounds[states[i]]), 40), 20);
        // The cursor's 4-DIP frame in the focus colour, on the cell's left edge.
        const bool cursor = i == 3;
        EXPECT_EQ(Near(canvas.Pixel(o.x + 1, o.y + 100), Colour(grid_->focusFrameColour), 6), cursor);
    }
    EXPECT_FALSE(canvas.SavePng(L"grid", L"direct2d_176").empty());

    // The visible keys and, with strips for all, nothing missing.
    EXPECT_EQ(grid_->visibleKeys, (std::vector<uint32_t>{1, 2, 3, 4}));
    EXPECT_TRUE(grid_->missingThumbnails.empty());
}

TEST_F(GridDirect2DTest, StripsLabelStarsAndMissingFile)
{
    Open(2, {{L"1920", 1920, true, 3}, {L"2560", 2560, false, 0}, {L"none", 0, true, 0}}, 1320, 700);
    WicCanvas canvas(1320, 700);
    Render(canvas);
    const int w = 256, h = 144;

    // A 1920-pixel strip: 192-pixel frames moved up, clipped to the box.
    POINT o = CellOrigin(*grid_, 0);
    for (int k = 0; k < 5; ++k) {
        const int left = o.x + 6 + k * (w + 4);
        const COLORREF colour = kFrameColours[grid_->framesShown[k]];
        EXPECT_TRUE(Near(canvas.Pixel(left + 60, o.y + 6 + 1), colour, 24)) << k;
        EXPECT_TRUE(Near(canvas.Pixel(left + 60, o.y + 6 + h - 2), colour, 24)) << k;
        EXPECT_FALSE(Near(canvas.Pixel(left + 60, o.y + 6 - 2), colour, 60)) << k;
        EXPECT_FALSE(Near(canvas.Pixel(left + 60, o.y + 6 + h + 2), colour, 60)) << k;
    }

    // The label box: exactly the text, its corner 2 DIPs inside frame 0's bottom-right corner.
    const int right = o.x + 6 + w;
    const int bottom = o.y + 6 + h;
    const COLORREF frame0 = kFrameColours[grid_->framesShown[0]];
    EXPECT_TRUE(Near(canvas.Pixel(right - 3, bottom - 3), Over(0xC8646464, frame0), 12));
    EXPECT_TRUE(Near(canvas.Pixel(right - 2, bottom - 3), frame0, 24));
    EXPECT_TRUE(Near(canvas.Pixel(right - 3, bottom - 2), frame0, 24));

    // Three stars in the middle of frame 0, none at its top-left.
    const int cx = o.x + 6 + w / 2;
    const int cy = o.y + 6 + h / 2;
    EXPECT_GT(canvas.CountNear({cx - 40, cy - 12, cx + 40, cy + 12}, kYellow, 40), 20);
    EXPECT_EQ(canvas.CountNear({o.x + 7, o.y + 7, o.x + 40, o.y + 24}, kYellow, 40), 0);
    EXPECT_EQ(canvas.CountNear({o.x + 9, o.y + 9, o.x + 9 + w, o.y + 9 + h}, kRed, 40), 0);

    // A movie whose file is gone: the red error text in its first frame.
    o = CellOrigin(*grid_, 1);
    EXPECT_GT(canvas.CountNear({o.x + 9, o.y + 9, o.x + 9 + w, o.y + 9 + h}, kRed, 40), 40);
    EXPECT_EQ(records_[1].file_missing, 1u);
    EXPECT_TRUE(Near(canvas.Pixel(o.x + 6 + 30, o.y + 6 + 130), kFrameColours[grid_->framesShown[0]], 24));
    EXPECT_FALSE(canvas.SavePng(L"grid", L"direct2d_256").empty());

    // The movie without a strip is the one missing.
    EXPECT_EQ(grid_->missingThumbnails, (std::vector<uint32_t>{2u << 8}));
}

// A strip the grid keeps goes to Direct2D once while it stays on the screen; a new strip of
// the same movie is copied again, never drawn from the old copy.
TEST_F(GridDirect2DTest, KeptStripsCopiedOnceAndReplacedWhenNew)
{
    Open(0, {{L"一", 2560, true, 0}, {L"二", 2560, true, 0}}, 700, 400);
    WicCanvas canvas(700, 400);
    Render(canvas);
    ASSERT_NE(Resources(), nullptr);
    const uint64_t first = Resources()->frameCopies;
    Render(canvas);
    Render(canvas);
    EXPECT_EQ(Resources()->frameCopies, first);
    const int f = grid_->framesShown[0];
    EXPECT_TRUE(Near(canvas.Pixel(6 + 40, 6 + 30), kFrameColours[f], 24));

    WriteStrip(records_[0].GetThumbnailPath(), 2560, 3);
    grid_->OnThumbnailChanged(records_[0].decode_key);
    Render(canvas);
    EXPECT_GT(Resources()->frameCopies, first);
    EXPECT_TRUE(Near(canvas.Pixel(6 + 40, 6 + 30), kFrameColours[(f + 3) % 10], 24));
}

TEST_F(GridDirect2DTest, KeptCellPicturesShowWhatIsDrawnAfresh)
{
    OpenSix(1000, 600);
    // One canvas for both renders: the pictures belong to the target they were drawn on.
    WicCanvas canvas(1000, 600);
    Render(canvas);
    const uint64_t before = grid_->keptCellPaints;
    const size_t cells = grid_->visibleKeys.size();
    ASSERT_GE(cells, 4u);
    RECT second = {};
    ASSERT_TRUE(grid_->GetItemRect(1, &second));
    for (int step = 0; step < 6; ++step) {
        switch (step) {
        case 0: break;
        case 1:
            grid_->SetSelect(1, 1);
            grid_->lastMousePoint = {second.left + 6 + 180 + 40, second.top + 30};
            break;
        case 2: grid_->cursorIndex = 3; break;
        case 3: records_[0].star_count = 5; break;
        case 4: DeleteFileW(records_[3].link_name.c_str()); break;
        default: grid_->verticalBar.info.nPos += grid_->cellHeight + grid_->verticalGap; break;
        }
        const uint64_t copied = grid_->keptCellPaints;
        Render(canvas);
        EXPECT_GT(grid_->keptCellPaints, copied) << "step " << step << ": unchanged cells are copies";
        const std::vector<Gdiplus::ARGB> fromPictures = AllPixels(canvas);
        const std::vector<uint32_t> missing = grid_->missingThumbnails;
        const int32_t hovered = grid_->HoveredFrameIndex();
        // Every picture dropped: each cell is drawn again.
        grid_->ReleaseRenderResources();
        const uint64_t drawn = grid_->keptCellPaints;
        Render(canvas);
        EXPECT_EQ(grid_->keptCellPaints, drawn);
        EXPECT_EQ(grid_->missingThumbnails, missing) << "step " << step;
        EXPECT_EQ(grid_->HoveredFrameIndex(), hovered) << "step " << step;
        EXPECT_TRUE(AllPixels(canvas) == fromPictures) << "step " << step;
        if (step == 1) EXPECT_EQ(hovered, 1);
    }
    EXPECT_GE(grid_->keptCellPaints, before + cells);
}

TEST_F(GridDirect2DTest, PaintRectangleLimitsTheDrawing)
{
    Open(0, {{L"一", 2560, true, 0}, {L"二", 2560, true, 0}, {L"三", 2560, true, 0}}, 700, 500);
    WicCanvas canvas(700, 500);
    // Only the second cell's rectangle is drawn; the others keep what was there.
    RECT second = {0, grid_->cellHeight, 700, 2 * grid_->cellHeight};
    Render(canvas, &second);
    EXPECT_TRUE(Near(canvas.Pixel(100, grid_->cellHeight / 2), RGB(255, 0, 255), 2));
    EXPECT_FALSE(Near(canvas.Pixel(100, grid_->cellHeight + grid_->cellHeight / 2), RGB(255, 0, 255), 30));
    EXPECT_TRUE(Near(canvas.Pixel(100, 2 * grid_->cellHeight + 10), RGB(255, 0, 255), 2));
    // Every cell meeting the target still counts as visible.
    EXPECT_EQ(grid_->visibleKeys, (std::vector<uint32_t>{1, 2, 3}));
    EXPECT_TRUE(grid_->missingThumbnails.empty());

    RECT area = {};
    const RECT off = {800, 600, 900, 700};
    EXPECT_FALSE(grid_->PaintArea(&off, &area));
    EXPECT_TRUE(grid_->PaintArea(&second, &area));
    EXPECT_TRUE(EqualRect(&area, &second));
    // While scrolling the rectangle is ignored: everything is drawn again.
    grid_->scrollFlag = 1;
    grid_->scrollTick = GetTickCount();
    EXPECT_TRUE(grid_->PaintArea(&off, &area));
    const RECT client = Client();
    EXPECT_TRUE(EqualRect(&area, &client));
}

TEST_F(GridDirect2DTest, OverlaysDrawnOverTheCells)
{
    Open(0, {{L"詳細の映画", 2560, true, 2}, {L"二", 2560, true, 0}}, 900, 600);
    grid_->focusIndex = 0;
    grid_->interactionFlag = 1;
    grid_->fontOverlayFlag = 1;
    grid_->fontOverlayLevel = 7;
    data_.disp_setting.ui_font_size_level = 7;
    WicCanvas canvas(900, 600);
    Render(canvas);
    // The font-size box in the middle: dark with a white level.
    EXPECT_GT(canvas.CountNear({400, 250, 500, 350}, RGB(255, 255, 255), 30), 30);
    EXPECT_FALSE(canvas.SavePng(L"grid", L"direct2d_128_overlays").empty());
}

TEST_F(GridDirect2DTest, WindowLifecycle)
{
    Open(0, {{L"一", 2560, true, 0}, {L"二", 0, true, 0}}, 700, 400);
    EXPECT_EQ(grid_->GetBackBufferPixelFormat(), PixelFormat32bppPARGB);
    Repaint();
    ExpectMade();
    EXPECT_EQ(grid_->GetBackBuffer(), nullptr);
    ID2D1HwndRenderTarget* target = Resources()->renderTarget.Get();
    Gdiplus::Bitmap* staging = Resources()->staging.get();
    Repaint();
    EXPECT_EQ(Resources()->renderTarget.Get(), target);
    EXPECT_EQ(Resources()->staging.get(), staging);

    // A paint of what the target shows already only presents it; after a present that
    // failed the window's contents are unknown, and the next paint draws.
    grid_->PaintD2D(nullptr);
    uint64_t held = Resources()->retained.passesHeld;
    grid_->PaintD2D(nullptr);
    EXPECT_EQ(Resources()->retained.passesHeld, ++held);
    grid_->endDraw = &AnswerFailure;
    grid_->PaintD2D(nullptr);
    EXPECT_EQ(Resources()->retained.passesHeld, ++held);
    grid_->endDraw = &EndDrawOnTarget;
    grid_->PaintD2D(nullptr);
    EXPECT_EQ(Resources()->retained.passesHeld, held);

    // A scroll repaints the whole window (the slot answers that it did).
    ValidateRect(grid_->hwnd, nullptr);
    EXPECT_FALSE(grid_->OnScrolled(grid_->hwnd, 0, 0));
    EXPECT_TRUE(grid_->OnScrolled(grid_->hwnd, 0, 30));
    RECT dirty = {};
    EXPECT_TRUE(GetUpdateRect(grid_->hwnd, &dirty, FALSE));
    const RECT client = Client();
    EXPECT_TRUE(EqualRect(&dirty, &client));

    grid_->RecalcLayout();
    ExpectReleased();
    EXPECT_FALSE(Resources()->staging);
    Repaint();
    ExpectMade();

    SendMessageW(grid_->hwnd, WM_DPICHANGED, MAKEWPARAM(96, 96), 0);
    ExpectReleased();
    Repaint();
    ExpectMade();

    grid_->DiscardRenderCache();
    ExpectReleased();
    EXPECT_FALSE(Resources()->staging);
    Repaint();
    ExpectMade();

    // A lost device at EndDraw: everything goes; the next paint makes it again.
    grid_->endDraw = &AnswerDeviceLost;
    Repaint();
    ExpectReleased();
    grid_->endDraw = &EndDrawOnTarget;
    Repaint();
    ExpectMade();

    // Switched off: the GDI+ back buffer returns; the objects wait for the next release.
    data_.disp_setting.movie_list_use_direct2d = 0;
    EXPECT_EQ(grid_->GetBackBufferPixelFormat(), PixelFormat24bppRGB);
    EXPECT_FALSE(grid_->OnScrolled(grid_->hwnd, 0, 30));
    Repaint();
    ASSERT_NE(grid_->GetBackBuffer(), nullptr);
    EXPECT_TRUE(Resources()->renderTarget);
    data_.disp_setting.movie_list_use_direct2d = 1;

    DestroyWindow(grid_->hwnd);
    ExpectReleased();
}

// A target that keeps what it showed (as the window's does) gets only what changed: a
// pass that would show the same again draws nothing, and after any change the target shows
// what a pass onto an empty target shows.
TEST_F(GridDirect2DTest, KeptTargetShowsWhatAFreshPassShows)
{
    OpenSix(900, 500);
    WicCanvas kept(900, 500);
    Render(kept);
    const auto renderKept = [&](const RECT* area) { Render(kept, area, true); };
    renderKept(nullptr);
    RECT second = {};
    RECT third = {};
    ASSERT_TRUE(grid_->GetItemRect(1, &second));
    ASSERT_TRUE(grid_->GetItemRect(2, &third));

    struct Step {
        const char* name;
        std::function<void()> change;
        bool draws;
        const RECT* alone;  // a pass of this area first, as a paint of one cell
    };
    const std::vector<Step> steps = {
        {"nothing changed", [] {}, false, nullptr},
        {"cursor", [&] { grid_->cursorIndex = 0; }, true, nullptr},
        {"cursor to the next cell", [&] { grid_->cursorIndex = 1; }, true, nullptr},
        {"cursor gone", [&] { grid_->cursorIndex = -1; }, true, nullptr},
        {"selection and a hovered frame",
         [&] {
             grid_->SetSelect(1, 1);
             grid_->lastMousePoint = {second.left + 6 + 180 + 40, second.top + 30};
         },
         true, nullptr},
        {"stars", [&] { records_[0].star_count = 5; }, true, nullptr},
        {"one cell drawn alone first", [&] { records_[2].star_count = 4; }, true, &third},
        {"font-size box over the cells", [&] { grid_->fontOverlayFlag = 1; }, true, nullptr},
        {"font-size box gone", [&] { grid_->fontOverlayFlag = 0; }, true, nullptr},
        {"background colour", [&] { grid_->backgroundColour = 0xFF203040; }, true, nullptr},
        {"scrolled one row", [&] { grid_->verticalBar.info.nPos += grid_->cellHeight + grid_->verticalGap; }, true,
         nullptr},
        {"scrolled back", [&] { grid_->verticalBar.info.nPos = 0; }, true, nullptr},
        {"a movie less",
         [&] {
             records_.pop_back();
             grid_->gridListener.pendingRecords = &records_;
             grid_->gridListener.pendingIndices = {0, 1, 2, 3, 4};
             grid_->RequestRefresh();
             PumpMessages();
             ASSERT_EQ(grid_->GetItemCount(), 5u);
         },
         true, nullptr},
        {"nothing changed again", [] {}, false, nullptr},
    };
    for (const Step& step : steps) {
        step.change();
        if (step.alone) renderKept(step.alone);
        const uint64_t held = Resources()->retained.passesHeld;
        renderKept(nullptr);
        EXPECT_EQ(Resources()->retained.passesHeld, held + (step.draws ? 0 : 1)) << step.name;
        // Every picture dropped, onto a new target: everything is drawn from nothing.
        grid_->ReleaseRenderResources();
        WicCanvas fresh(900, 500);
        Render(fresh);
        EXPECT_TRUE(AllPixels(kept) == AllPixels(fresh)) << step.name;
        // The kept target followed again from here (its first pass draws everything).
        renderKept(nullptr);
    }
    EXPECT_FALSE(kept.SavePng(L"grid", L"direct2d_kept_target").empty());
}

TEST_F(GridDirect2DTest, PriorityRequestAfterADrawingPaintOnly)
{
    SetThumbnailMakerParams(L"GridDirect2DTest", L"", L"");
    PriorityRecorder maker;
    maker.SetName(GetThumbnailMakerPipeName());
    ASSERT_EQ(maker.Start(), S_OK);
    Open(0, {{L"一", 2560, true, 0}, {L"二", 0, true, 0}, {L"三", 0, true, 0}}, 700, 600);
    Repaint();
    const auto sent = maker.WaitFor(1);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], (std::vector<uint32_t>{3, 2}));

    // A paint that stops before drawing (a paint rectangle off the client) sends nothing.
    grid_->visibleKeys = {99};
    const RECT off = {5000, 5000, 5100, 5100};
    grid_->PaintD2D(&off);
    EXPECT_EQ(grid_->visibleKeys, (std::vector<uint32_t>{99}));
    grid_->endDraw = &AnswerDeviceLost;
    grid_->gridListener.DropCachedBitmap(0);
    // A new set of missing strips after a paint that drew, even with a lost device.
    records_[0].decode_key = 7;
    DeleteFileW(records_[0].GetThumbnailPath().c_str());
    Repaint();
    const auto after = maker.WaitFor(2);
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[1], (std::vector<uint32_t>{3, 2, 7}));
    SetThumbnailMakerParams(L"", L"", L"");
}

}  // namespace
