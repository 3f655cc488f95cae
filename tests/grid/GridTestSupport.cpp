#include "tests/grid/GridTestSupport.h"

#include <cstdlib>

#include "core/media/MovieBitmapChcheBase.h"
#include "tests/common/Screenshot.h"

void GridHost::RefreshMovieList()
{
    ++refreshes;
    if (!grid || !album) return;
    grid->gridListener.pendingRecords = album->disp_setting.movie_view.records;
    grid->gridListener.pendingIndices = album->disp_setting.movie_view.indices;
    grid->RequestRefresh();
}

COLORREF FrameColour(int frame)
{
    static const COLORREF colours[10] = {RGB(220, 40, 40),  RGB(40, 200, 40),  RGB(40, 40, 220), RGB(230, 230, 40),
                                         RGB(40, 220, 220), RGB(220, 40, 220), RGB(250, 140, 0), RGB(140, 0, 250),
                                         RGB(0, 120, 60),   RGB(120, 60, 0)};
    return colours[frame % 10];
}

COLORREF FromArgb(Gdiplus::ARGB argb)
{
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

bool Near(const Gdiplus::Color& pixel, COLORREF expected, int tolerance)
{
    return std::abs(pixel.GetR() - GetRValue(expected)) <= tolerance &&
           std::abs(pixel.GetG() - GetGValue(expected)) <= tolerance &&
           std::abs(pixel.GetB() - GetBValue(expected)) <= tolerance;
}

COLORREF Blend(Gdiplus::ARGB src, COLORREF dst)
{
    const int a = static_cast<int>(src >> 24);
    const auto mix = [a](int s, int d) { return (s * a + d * (255 - a)) / 255; };
    return RGB(mix((src >> 16) & 0xFF, GetRValue(dst)), mix((src >> 8) & 0xFF, GetGValue(dst)),
               mix(src & 0xFF, GetBValue(dst)));
}

void GridTest::SetUp()
{
    ASSERT_TRUE(gdiplus_.IsStarted());
    album_.album_ini.SetPath(folder_ / L"AlbumInfo.ini");
    album_.disp_setting.movie_view.records = &album_.movie_list.records;
    // Room for every movie a test adds: the records must not move while the grid shows them.
    album_.movie_list.records.reserve(64);
    grid_ = std::make_unique<MovieListWindow_CL>(&album_, &host_);
    grid_->SetKeyStateReader(&keys_);
    host_.album = &album_;
    host_.grid = grid_.get();
    ASSERT_NE(grid_->Create(window_.Get(), 0x77, kClientWidth, kClientHeight), nullptr);
    RECT client = {};
    GetClientRect(grid_->hwnd, &client);
    // The grid keeps its scroll bars: the client is a little smaller than the window.
    ASSERT_GT(client.right, 900);
    UseLayout(2, 3);
}

void GridTest::TearDown()
{
    if (grid_ && grid_->hwnd) DestroyWindow(grid_->hwnd);
    grid_.reset();
    PumpMessages();
}

ItemMovieData_CL& GridTest::AddMovie(const std::wstring& name, bool strip, int frameWidth, int frames)
{
    const size_t n = album_.movie_list.records.size();
    ItemMovieData_CL movie;
    movie.content_name = name;
    movie.ini_name = folder_ / (L"contents" + std::to_wstring(n) + L".ini");
    movie.link_name = folder_ / (L"movie" + std::to_wstring(n) + L".mp4");
    movie.decode_key = 101 + static_cast<uint32_t>(n);
    movie.category = L"Cat";
    movie.sub_category = L"Sub";
    movie.file_size = 1234567;
    WriteFileBytes(movie.link_name, {0, 0, 0, 1});
    album_.movie_list.records.push_back(movie);
    ItemMovieData_CL& added = album_.movie_list.records.back();
    if (strip) {
        EXPECT_TRUE(WriteStrip(added, frameWidth, frames));
    }
    return added;
}

bool GridTest::WriteStrip(const ItemMovieData_CL& movie, int frameWidth, int frames, int stripHeight, int markerRow,
                          COLORREF markerColour)
{
    HDC screen = GetDC(nullptr);
    void* bits = nullptr;
    HBITMAP bitmap = CreateTopDownDib(screen, frameWidth * frames, stripHeight, &bits);
    ReleaseDC(nullptr, screen);
    if (!bitmap) return false;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    for (int f = 0; f < frames; ++f) {
        HBRUSH brush = CreateSolidBrush(FrameColour(f));
        RECT frame = {f * frameWidth, 0, (f + 1) * frameWidth, stripHeight};
        FillRect(dc, &frame, brush);
        DeleteObject(brush);
    }
    if (markerRow >= 0) {
        HBRUSH brush = CreateSolidBrush(markerColour);
        RECT band = {0, markerRow, frameWidth * frames, stripHeight};
        FillRect(dc, &band, brush);
        DeleteObject(brush);
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    const bool saved = SaveBitmapAsJpeg(movie.GetThumbnailPath().c_str(), bitmap) == 1;
    DeleteObject(bitmap);
    return saved;
}

void GridTest::UseLayout(int sizeIndex, int count)
{
    DispSettingData_CL& settings = album_.disp_setting;
    settings.thumbnail_size_index = sizeIndex;
    settings.thumbnail_count = count;
    grid_->SetThumbnailLayoutForFont(settings.frame_sizes[sizeIndex][0], settings.frame_sizes[sizeIndex][1], count, 0,
                                     settings.GetUiFontHeight(), 0);
    grid_->RecalcLayout();
}

void GridTest::ShowAll()
{
    std::vector<int32_t>& indices = album_.disp_setting.movie_view.indices;
    indices.clear();
    for (size_t i = 0; i < album_.movie_list.records.size(); ++i) indices.push_back(static_cast<int32_t>(i));
    host_.RefreshMovieList();
    PumpMessages();
}

void GridTest::Paint()
{
    InvalidateRect(grid_->hwnd, nullptr, FALSE);
    UpdateWindow(grid_->hwnd);
}

Gdiplus::Color GridTest::Pixel(int x, int y)
{
    Gdiplus::Color colour;
    Gdiplus::Bitmap* buffer = grid_->GetBackBuffer();
    if (buffer) buffer->GetPixel(x, y, &colour);
    return colour;
}

RECT GridTest::CellRect(uint32_t index)
{
    RECT cell = {};
    EXPECT_TRUE(grid_->GetItemRect(index, &cell)) << "cell " << index << " is not on screen";
    return cell;
}

void GridTest::Select(std::initializer_list<uint32_t> indices, int32_t focus)
{
    grid_->SelectAll(0);
    for (uint32_t i : indices) grid_->SetSelect(i, 1);
    grid_->focusIndex = focus;
}
