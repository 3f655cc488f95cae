#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "core/album/SaveData.h"
#include "core/album/ShortCutKey.h"
#include "core/media/GdiplusSession.h"
#include "core/media/MovieBitmapChcheBase.h"
#include "tests/common/Screenshot.h"
#include "tests/common/TempFolder.h"
#include "tests/common/TestWindow.h"
#include "tests/common/WicCanvas.h"
#include "tests/views/PictureListTestSupport.h"
#include "ui/views/CategoryListWindow.h"
#include "ui/views/ViewHost.h"

namespace {

class ToolBarHost : public ViewHost_IF {
public:
    void RefreshMovieList() override {}
    HWND GetCategoryToolBarWindow() override { return toolBar; }
    HWND toolBar = nullptr;
};

struct Category {
    std::wstring sub;
    int32_t itemCount;
    int32_t key;
    bool picture;
};



class CategoryListWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(gdiplus_.IsStarted());
        data_ = std::make_unique<SaveData_CL>();
        data_->disp_setting.category_tab = 1;
        recorder_ = std::make_unique<NotifyRecorder>(host_.Get(), 820, 500);
        toolBar_ = CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE, 0, 460, 800, 30, recorder_->Get(),
                                   nullptr, GetModuleHandleW(nullptr), nullptr);
        viewHost_.toolBar = toolBar_;
        tiles_ = std::make_unique<CategoryListWindow_CL>(data_.get(), &viewHost_);
        ASSERT_NE(tiles_->Create(recorder_->Get(), 92, 820, 450), nullptr);
    }

    void TearDown() override
    {
        if (tiles_ && tiles_->hwnd) DestroyWindow(tiles_->hwnd);
        tiles_.reset();
        PumpMessages();
    }

    // Writes one category file per entry under the top category "動画", reads the files back
    // as the album does, and shows that top category.
    void ShowCategories(const std::vector<Category>& categories)
    {
        int number = 0;
        for (const Category& c : categories) {
            ItemCategoryData_CL written;
            written.ini_name = folder_ / (L"category" + std::to_wstring(number) + L".ini");
            written.category = L"動画";
            written.sub_category = c.sub;
            written.item_count = c.itemCount;
            written.short_cut_key = c.key;
            written.sub_category_sort_index = number;
            written.url_link = L"https://example.com/" + std::to_wstring(number);
            written.WriteIni();
            if (c.picture) WritePicture(folder_ / (L"category" + std::to_wstring(number) + L".jpg"));
            ItemCategoryData_CL read;
            read.ReadIni(written.ini_name);
            read.UpdateCategoryHash();
            // The album counts a category's items when it loads; the file does not keep them.
            read.item_count = c.itemCount;
            data_->category_list.records.push_back(read);
            ++number;
        }
        tiles_->ShowTopCategory(L"動画");
        PumpMessages();
    }

    // A 256 x 144 JPEG: green left half, purple right half.
    void WritePicture(const std::wstring& path)
    {
        Gdiplus::Bitmap picture(256, 144, PixelFormat24bppRGB);
        {
            Gdiplus::Graphics graphics(&picture);
            Gdiplus::SolidBrush green(Gdiplus::Color(255, 40, 200, 40));
            Gdiplus::SolidBrush purple(Gdiplus::Color(255, 160, 40, 200));
            graphics.FillRectangle(&green, 0, 0, 128, 144);
            graphics.FillRectangle(&purple, 128, 0, 128, 144);
        }
        HBITMAP bitmap = nullptr;
        if (picture.GetHBITMAP(Gdiplus::Color(0xFF000000), &bitmap) == Gdiplus::Ok) {
            SaveBitmapAsJpeg(path.c_str(), bitmap);
            DeleteObject(bitmap);
        }
    }

    Gdiplus::Color Pixel(int x, int y)
    {
        Gdiplus::Color colour;
        if (Gdiplus::Bitmap* buffer = tiles_->GetBackBuffer()) buffer->GetPixel(x, y, &colour);
        return colour;
    }

    void Repaint()
    {
        InvalidateRect(tiles_->hwnd, nullptr, FALSE);
        UpdateWindow(tiles_->hwnd);
    }

    // Pixels in the rectangle that are far from the colour.
    int CountUnlike(const RECT& area, COLORREF colour)
    {
        return (area.right - area.left) * (area.bottom - area.top) - CountNear(area, colour);
    }

    int CountNear(const RECT& area, COLORREF colour)
    {
        int count = 0;
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) {
                if (Near(Pixel(x, y), colour, 60)) ++count;
            }
        }
        return count;
    }

    GdiplusSession gdiplus_;
    TempFolder folder_;
    TestHostWindow host_{820, 500};
    std::unique_ptr<SaveData_CL> data_;
    std::unique_ptr<NotifyRecorder> recorder_;
    HWND toolBar_ = nullptr;
    ToolBarHost viewHost_;
    std::unique_ptr<CategoryListWindow_CL> tiles_;
};

TEST(ShortCutKeyLabel, FullWidthCharacters)
{
    const struct {
        int code;
        const wchar_t* label;
    } cases[] = {
        {0, L""}, {-5, L""}, {0x31, L"１"}, {0x35, L"５"}, {0x39, L"９"}, {0x61, L"Ａ"}, {0x7A, L"Ｚ"}, {0x200, L""},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatShortCutKeyLabel(c.code), c.label) << c.code;
}

TEST_F(CategoryListWindowTest, TileSizeLabelsAndDetails)
{
    EXPECT_EQ(tiles_->cellWidth, 268);
    EXPECT_EQ(tiles_->cellHeight, 200);
    ShowCategories({{L"旅行", 12, 0, false}, {L"家族", -1, 0, false}});
    ASSERT_EQ(tiles_->GetItemCount(), 2u);
    auto& listener = tiles_->categoryListener;

    const struct {
        int32_t tab;
        uint32_t index;
        const wchar_t* label;
        const wchar_t* detail;
    } cases[] = {
        {1, 0, L"旅行(12)", L"動画/旅行\r\n(12)"},
        {3, 0, L"旅行", L"動画/旅行\r\n(12)"},
        {1, 1, L"家族(-1)", L"動画/家族"},
        {3, 1, L"家族", L"動画/家族"},
        {1, 2, L"", L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        data_->disp_setting.category_tab = c.tab;
        EXPECT_EQ(std::wstring(listener.GetItemLabel(c.index)), c.label);
        EXPECT_EQ(std::wstring(listener.GetItemDetail(c.index)), c.detail);
    }
    std::wstring text;
    listener.GetMoviePath(&text, 1);
    EXPECT_EQ(text, L"https://example.com/1");
    listener.GetThumbnailPath(&text, 5);
    EXPECT_EQ(text, L"");
    EXPECT_EQ(listener.GetFavoriteFrameCount(0), 1u);
    EXPECT_EQ(listener.GetFavoriteFramePosition(0, 0), -1);
}

TEST_F(CategoryListWindowTest, ShowTopCategoryRepaintsTilesAndToolBar)
{
    ShowCategories({{L"旅行", 3, 0, false}});
    ValidateRect(toolBar_, nullptr);
    tiles_->ShowTopCategory(L"動画");
    RECT dirty = {};
    EXPECT_TRUE(GetUpdateRect(toolBar_, &dirty, FALSE));
    EXPECT_EQ(tiles_->updatePending, 1);
    PumpMessages();
    EXPECT_EQ(tiles_->updatePending, 0);
    ValidateRect(toolBar_, nullptr);
    tiles_->Repaint(FALSE);
    EXPECT_TRUE(GetUpdateRect(toolBar_, &dirty, FALSE));
    EXPECT_TRUE(GetUpdateRect(tiles_->hwnd, &dirty, FALSE));
}

TEST_F(CategoryListWindowTest, PictureBadgeAndJapaneseLabel)
{
    ShowCategories({{L"夏の海", 12, 0x35, true}, {L"旅行", 4, 0, false}, {L"家族", 7, 0x61, true}});
    ASSERT_EQ(tiles_->GetItemCount(), 3u);
    tiles_->cursorIndex = -1;
    tiles_->lastMousePoint = {-100, -100};
    Repaint();

    // The picture: one 256 x 144 frame box at (4 + 2, 4 + 2) of the tile.
    EXPECT_TRUE(Near(Pixel(6 + 60, 6 + 70), RGB(40, 200, 40), 24));
    EXPECT_TRUE(Near(Pixel(6 + 200, 6 + 70), RGB(160, 40, 200), 24));
    const COLORREF background = FromArgb(MovieListView_CL::kBackgroundColours[0]);
    // The tile without a picture shows its background inside the box.
    EXPECT_TRUE(Near(Pixel(268 + 6 + 60, 6 + 70), background, 2));
    ASSERT_EQ(tiles_->missingThumbnails.size(), 1u);
    EXPECT_EQ(tiles_->missingThumbnails[0], 1u << 8);

    // Badge at the bottom right: red, with white text; none on the tile without a key.
    const int badgeLeft = 268 - 30;
    EXPECT_TRUE(Near(Pixel(badgeLeft + 1, 200 - 8), FromArgb(CategoryListWindow_CL::kBadgeColour), 4));
    EXPECT_GT(CountNear({badgeLeft + 1, 200 - 24, badgeLeft + 23, 200 - 7}, RGB(255, 255, 255)), 4);
    EXPECT_TRUE(Near(Pixel(268 + badgeLeft + 1, 200 - 8), background, 2));

    // The Japanese label lights pixels in the label area under the picture.
    const RECT label = {8, 6 + 144 + 4, 200, 200 - 8};
    EXPECT_GT(CountUnlike(label, background), 30);

    const std::wstring shot = SaveWindowScreenshot(tiles_->hwnd, L"views", L"category_tiles");
    EXPECT_FALSE(shot.empty());
}

// The window's Direct2D objects, as far as a test can tell them apart.
struct Direct2DObjects {
    ID2D1HwndRenderTarget* target;
    ID2D1Bitmap* picture;
    IDWriteTextFormat* format;
    ID2D1SolidColorBrush* brush;
};

Direct2DObjects ObjectsOf(const CategoryListWindow_CL& tiles)
{
    return {tiles.renderTarget.Get(), tiles.backBufferBitmap.bitmap.Get(), tiles.textFormat.Get(),
            tiles.textBrush.Get()};
}

void ExpectReleased(const CategoryListWindow_CL& tiles)
{
    EXPECT_FALSE(tiles.d2dFactory);
    EXPECT_FALSE(tiles.renderTarget);
    EXPECT_EQ(tiles.targetWidth, 0);
    EXPECT_FALSE(tiles.backBufferBitmap.bitmap);
    EXPECT_TRUE(tiles.backBufferBitmap.pixels.empty());
    EXPECT_FALSE(tiles.dwriteFactory);
    EXPECT_FALSE(tiles.textFormat);
    EXPECT_EQ(tiles.textFormatSize, -1.0f);
    EXPECT_FALSE(tiles.textBrush);
}

void ExpectMade(const CategoryListWindow_CL& tiles)
{
    EXPECT_TRUE(tiles.d2dFactory);
    EXPECT_TRUE(tiles.renderTarget);
    EXPECT_TRUE(tiles.backBufferBitmap.bitmap);
    EXPECT_TRUE(tiles.textFormat);
    EXPECT_EQ(tiles.textFormatSize, tiles.labelFont->GetSize());
    EXPECT_TRUE(tiles.textBrush);
}

HRESULT AnswerDeviceLost(ID2D1RenderTarget* target)
{
    target->EndDraw();
    return kD2DRecreateTarget;
}

TEST_F(CategoryListWindowTest, Direct2DNamesDrawnWithDirectWriteOnly)
{
    data_->disp_setting.movie_list_use_direct2d = 1;
    ShowCategories({{L"夏の海", 12, 0x35, true}, {L"旅行", 4, 0, false}});
    tiles_->cursorIndex = -1;
    tiles_->lastMousePoint = {-100, -100};
    Repaint();
    ASSERT_EQ(tiles_->UseDirect2D(), 1);
    EXPECT_EQ(tiles_->SkipBackBuffer(), 0);

    // The back buffer holds pictures and badges but no names.
    const COLORREF background = FromArgb(MovieListView_CL::kBackgroundColours[0]);
    const RECT label = {8, 6 + 144 + 4, 200, 200 - 8};
    const RECT secondLabel = {268 + 8, 6 + 144 + 4, 268 + 200, 200 - 8};
    EXPECT_EQ(CountUnlike(label, background), 0);
    EXPECT_EQ(CountUnlike(secondLabel, background), 0);
    EXPECT_TRUE(Near(Pixel(6 + 60, 6 + 70), RGB(40, 200, 40), 24));
    EXPECT_EQ(std::wstring(tiles_->categoryListener.GetItemLabel(0)), L"夏の海(12)");

    // Through Direct2D the names are drawn over the back buffer's copy.
    WicCanvas canvas(820, 450);
    ASSERT_TRUE(canvas.IsReady());
    ASSERT_EQ(tiles_->EnsureTextFormat(), S_OK);
    D2DBitmapCacheEntry picture;
    ASSERT_EQ(UpdateD2DBitmapFromGdiBitmap(canvas.Target(), tiles_->GetBackBuffer(), &picture), S_OK);
    Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> brush;
    ASSERT_EQ(canvas.Target()->CreateSolidColorBrush(D2D1::ColorF(1, 1, 1, 1), &brush), S_OK);
    ASSERT_EQ(canvas.Draw([&](ID2D1RenderTarget* target) {
                  tiles_->RenderTiles(target, picture.bitmap.Get(), brush.Get(), nullptr);
              }),
              S_OK);
    EXPECT_GT(canvas.CountUnlike(label, background), 30);
    EXPECT_GT(canvas.CountUnlike(secondLabel, background), 30);
    EXPECT_GT(canvas.CountNear({6 + 40, 6 + 50, 6 + 80, 6 + 90}, RGB(40, 200, 40), 24), 1500);
    EXPECT_FALSE(canvas.SavePng(L"grid", L"category_tiles_direct2d").empty());

    // A paint rectangle over the second tile only: the first tile's name is not drawn.
    const RECT second = {268, 0, 536, 200};
    canvas.Draw([&](ID2D1RenderTarget* target) {
        tiles_->RenderTiles(target, picture.bitmap.Get(), brush.Get(), &second);
    });
    EXPECT_EQ(canvas.CountUnlike(label, background, 8), 0);
    EXPECT_GT(canvas.CountUnlike(secondLabel, background), 30);
}

TEST_F(CategoryListWindowTest, Direct2DObjectsLifecycle)
{
    data_->disp_setting.movie_list_use_direct2d = 1;
    ShowCategories({{L"旅行", 4, 0, true}});
    Repaint();
    ExpectMade(*tiles_);
    const Direct2DObjects first = ObjectsOf(*tiles_);
    Repaint();
    const Direct2DObjects second = ObjectsOf(*tiles_);
    EXPECT_EQ(second.target, first.target);
    EXPECT_EQ(second.picture, first.picture);
    EXPECT_EQ(second.format, first.format);
    EXPECT_EQ(second.brush, first.brush);

    tiles_->RecalcLayout();
    ExpectReleased(*tiles_);
    Repaint();
    ExpectMade(*tiles_);

    // A lost device at the end of a paint: everything goes, the next paint makes it again.
    tiles_->endDraw = &AnswerDeviceLost;
    Repaint();
    ExpectReleased(*tiles_);
    tiles_->endDraw = &EndDrawOnTarget;
    Repaint();
    ExpectMade(*tiles_);

    // Switched off: the names come back into the back buffer; a relayout leaves the objects.
    data_->disp_setting.movie_list_use_direct2d = 0;
    tiles_->RecalcLayout();
    EXPECT_TRUE(tiles_->renderTarget);
    Repaint();
    const RECT label = {8, 6 + 144 + 4, 200, 200 - 8};
    EXPECT_GT(CountUnlike(label, FromArgb(MovieListView_CL::kBackgroundColours[0])), 30);
    tiles_->ReleaseDirect2D();
    ExpectReleased(*tiles_);
}

}  // namespace
