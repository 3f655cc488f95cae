// The movie grid's Direct2D painting: the cells as the GDI+ paint draws them, on a window
// render target, with the texts through DirectWrite.
#include "ui/views/MovieListWindowDirect2D.h"

#include <algorithm>
#include <string>
#include <vector>

#include "core/album/SaveData.h"
#include "ui/widgets/Gdi.h"
#include "ui/views/MovieFieldText.h"

using Microsoft::WRL::ComPtr;

namespace {

// Cell backgrounds by state in this mode (the GDI+ paint has its own).
constexpr Gdiplus::ARGB kD2DBackgroundColours[4] = {0xFF2D2D82, 0xFFD24B19, 0xFF6E6ECD, 0xFFD24100};
constexpr Gdiplus::ARGB kWhite = 0xFFFFFFFF;
constexpr Gdiplus::ARGB kYellow = 0xFFFFFF00;
constexpr Gdiplus::ARGB kRed = 0xFFFF0000;
constexpr Gdiplus::ARGB kGrey = 0xC8646464;
constexpr Gdiplus::ARGB kFrameGrey = 0xFFC8C8C8;
constexpr Gdiplus::ARGB kChipColour = 0xFFFF6464;

D2D1_RECT_F ToRectF(const CellBox& box)
{
    return D2D1::RectF(box.x, box.y, box.x + box.width, box.y + box.height);
}

D2D1_RECT_F ToRectF(const Gdiplus::RectF& rect)
{
    return D2D1::RectF(rect.X, rect.Y, rect.X + rect.Width, rect.Y + rect.Height);
}

D2D1_RECT_F ToRectF(const RECT& rect)
{
    return D2D1::RectF(static_cast<float>(rect.left), static_cast<float>(rect.top), static_cast<float>(rect.right),
                       static_cast<float>(rect.bottom));
}

ComPtr<ID2D1SolidColorBrush> MakeBrush(ID2D1RenderTarget* target, Gdiplus::ARGB colour)
{
    ComPtr<ID2D1SolidColorBrush> brush;
    if (target) target->CreateSolidColorBrush(ColourFromArgb(colour), brush.GetAddressOf());
    return brush;
}

// The window's one brush of changing colour, set to `colour`; null when it could not be made.
ID2D1SolidColorBrush* Tinted(MovieListWindow_CL::Direct2DResources& resources, Gdiplus::ARGB colour)
{
    if (!resources.colourBrush) return nullptr;
    resources.colourBrush->SetColor(ColourFromArgb(colour));
    return resources.colourBrush.Get();
}

// The parts of `area` outside every one of `rects`, as rectangles.
std::vector<RECT> AreaOutside(const RECT& area, const std::vector<RECT>& rects)
{
    if (rects.empty()) return {area};
    UniqueGdiObject<HRGN> region(CreateRectRgnIndirect(&area));
    UniqueGdiObject<HRGN> piece(CreateRectRgn(0, 0, 0, 0));
    if (!region || !piece) return {area};
    for (const RECT& rect : rects) {
        SetRectRgn(piece.get(), rect.left, rect.top, rect.right, rect.bottom);
        CombineRgn(region.get(), region.get(), piece.get(), RGN_DIFF);
    }
    const DWORD size = GetRegionData(region.get(), 0, nullptr);
    if (size < sizeof(RGNDATAHEADER)) return {area};
    std::vector<uint8_t> buffer(size);
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    if (GetRegionData(region.get(), size, data) != size) return {area};
    const RECT* first = reinterpret_cast<const RECT*>(data->Buffer);
    const DWORD fits = (size - sizeof(RGNDATAHEADER)) / sizeof(RECT);
    return std::vector<RECT>(first, first + std::min(data->rdh.nCount, fits));
}

// Keeps the `count` entries drawn most recently.
template <typename Entry>
void KeepMostRecent(std::vector<Entry>& entries, size_t count)
{
    if (entries.size() <= count) return;
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.lastPass > b.lastPass; });
    entries.resize(count);
}

}  // namespace

void MovieListWindow_CL::Direct2DResources::ReleaseDeviceBound()
{
    cellShape.Reset();
    cellShapeWidth = cellShapeHeight = 0;
    colourBrush.Reset();
    greyBrush.Reset();
    redBrush.Reset();
    yellowBrush.Reset();
    whiteBrush.Reset();
    stripCopies.clear();
    cellBitmaps.clear();
    frameEntry.Release();
    scratch.Release();
    deviceTarget = nullptr;
}

void MovieListWindow_CL::Direct2DResources::ReleaseDevice()
{
    ReleaseDeviceBound();
    captionEmojiFormat.Reset();
    labelEmojiFormat.Reset();
    largeBoldFormat.Reset();
    boldFormat.Reset();
    regularFormat.Reset();
    dwriteFactory.Reset();
    labelEmojiSize = -1.0f;
    captionEmojiSize = -1.0f;
    renderTarget.Reset();
    retained.Forget();
    targetWidth = 0;
    targetHeight = 0;
    factory.Reset();
}

void MovieListWindow_CL::Direct2DResourcesDeleter::operator()(Direct2DResources* resources) const
{
    delete resources;
}

MovieListWindow_CL::Direct2DResources& MovieListWindow_CL::D2D()
{
    if (!direct2d) direct2d.reset(new Direct2DResources);
    return *direct2d;
}

int MovieListWindow_CL::UseDirect2D()
{
    return albumData && albumData->disp_setting.movie_list_use_direct2d != 0 ? 1 : 0;
}

int MovieListWindow_CL::SkipBackBuffer()
{
    return UseDirect2D() ? 1 : 0;
}

void MovieListWindow_CL::PaintDirect2D(HWND, const RECT* paintRect)
{
    if (UseDirect2D()) PaintD2D(paintRect);
}

BOOL MovieListWindow_CL::OnScrolled(HWND window, int dx, int dy)
{
    if (!UseDirect2D() || !window || (dx == 0 && dy == 0)) return FALSE;
    RECT client = {};
    if (!GetClientRect(window, &client) || IsRectEmpty(&client)) return FALSE;
    InvalidateRect(window, nullptr, FALSE);
    return TRUE;
}

void MovieListWindow_CL::ReleaseRenderResources()
{
    if (direct2d) direct2d->ReleaseDevice();
}

void MovieListWindow_CL::ReleaseStagingBitmap()
{
    if (direct2d) direct2d->staging.reset();
}

void MovieListWindow_CL::DiscardRenderCache()
{
    ReleaseRenderResources();
    ReleaseStagingBitmap();
}

bool MovieListWindow_CL::PaintArea(const RECT* paintRect, RECT* area)
{
    RECT client = {};
    if (!hwnd || !GetClientRect(hwnd, &client) || IsRectEmpty(&client)) return false;
    // While scrolling the whole window moves: everything is drawn again.
    if (IsScrolling() || !paintRect) {
        *area = client;
        return true;
    }
    return IntersectRect(area, paintRect, &client) != FALSE;
}

void MovieListWindow_CL::PaintD2D(const RECT* paintRect)
{
    RECT area = {};
    if (!PaintArea(paintRect, &area)) return;
    RECT client = {};
    GetClientRect(hwnd, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;

    visibleKeys.clear();
    missingThumbnails.clear();
    hotIndex = -1;
    HoverSlot(1) = -1;
    HoverSlot(2) = -1;

    if (FAILED(EnsureRenderTarget(hwnd, width, height)) || FAILED(EnsureTextFormats())) return;
    Direct2DResources& resources = D2D();
    if (!resources.renderTarget) return;

    if (!resources.staging || static_cast<int>(resources.staging->GetWidth()) != width ||
        static_cast<int>(resources.staging->GetHeight()) != height) {
        resources.staging.reset();
        auto staging = std::make_unique<Gdiplus::Bitmap>(width, height, PixelFormat32bppPARGB);
        if (staging->GetLastStatus() != Gdiplus::Ok) return;
        resources.staging = std::move(staging);
    }
    Gdiplus::Graphics graphics(resources.staging.get());
    if (graphics.GetLastStatus() != Gdiplus::Ok) return;

    ID2D1HwndRenderTarget* target = resources.renderTarget.Get();
    resources.retained.Track(target);
    target->BeginDraw();
    RenderAll(target, &graphics, &area, width, height);
    const HRESULT drawn = endDraw(target);
    if (drawn == kD2DRecreateTarget) ReleaseRenderResources();
    else if (FAILED(drawn)) resources.retained.Forget();
    SendPriorityRequest();
}

HRESULT MovieListWindow_CL::EnsureRenderTarget(HWND window, int width, int height)
{
    if (!window || width <= 0 || height <= 0) return E_INVALIDARG;
    Direct2DResources& resources = D2D();
    if (!resources.factory) {
        const HRESULT hr = D2D1CreateFactory(D2D1_FACTORY_TYPE_SINGLE_THREADED, __uuidof(ID2D1Factory), nullptr,
                                             reinterpret_cast<void**>(resources.factory.GetAddressOf()));
        if (FAILED(hr)) return hr;
    }
    if (resources.renderTarget && resources.targetWidth == width && resources.targetHeight == height) return S_OK;
    if (resources.deviceTarget == resources.renderTarget.Get()) {
        // What was made on the old target goes with it.
        resources.deviceTarget = nullptr;
    }
    resources.renderTarget.Reset();
    resources.retained.Forget();
    resources.targetWidth = 0;
    resources.targetHeight = 0;
    float dpiX = 96.0f;
    float dpiY = 96.0f;
    GetWindowDpi(window, &dpiX, &dpiY);
    const D2D1_RENDER_TARGET_PROPERTIES properties =
        D2D1::RenderTargetProperties(D2D1_RENDER_TARGET_TYPE_DEFAULT, D2D1::PixelFormat(), dpiX, dpiY);
    // A paint draws only inside its paint rectangle (one cell when its strip arrives): what a
    // present leaves outside it must be the last frame, not undefined.
    const D2D1_HWND_RENDER_TARGET_PROPERTIES hwndProperties = D2D1::HwndRenderTargetProperties(
        window, D2D1::SizeU(static_cast<UINT32>(width), static_cast<UINT32>(height)),
        D2D1_PRESENT_OPTIONS_RETAIN_CONTENTS);
    const HRESULT hr =
        resources.factory->CreateHwndRenderTarget(properties, hwndProperties, resources.renderTarget.GetAddressOf());
    if (FAILED(hr)) return hr;
    resources.targetWidth = width;
    resources.targetHeight = height;
    return S_OK;
}

HRESULT MovieListWindow_CL::EnsureTextFormats()
{
    if (!labelFont) return E_FAIL;
    Direct2DResources& resources = D2D();
    if (!resources.dwriteFactory) {
        const HRESULT hr = DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                                               reinterpret_cast<IUnknown**>(resources.dwriteFactory.GetAddressOf()));
        if (FAILED(hr)) return hr;
    }
    IDWriteFactory* factory = resources.dwriteFactory.Get();
    auto make = [factory](ComPtr<IDWriteTextFormat>& format, std::initializer_list<const wchar_t*> families,
                          DWRITE_FONT_WEIGHT weight, float size, DWRITE_WORD_WRAPPING wrapping) {
        if (!format) format = CreateViewTextFormat(factory, FindInstalledFontFamily(factory, families), weight, size, wrapping);
    };
    make(resources.regularFormat, {L"MS UI Gothic"}, DWRITE_FONT_WEIGHT_NORMAL, 12.0f, DWRITE_WORD_WRAPPING_NO_WRAP);
    make(resources.boldFormat, {L"MS UI Gothic"}, DWRITE_FONT_WEIGHT_BOLD, 12.0f, DWRITE_WORD_WRAPPING_NO_WRAP);
    make(resources.largeBoldFormat, {L"MS UI Gothic"}, DWRITE_FONT_WEIGHT_BOLD, 16.0f, DWRITE_WORD_WRAPPING_WRAP);

    // The two emoji formats follow the sizes of the GDI+ fonts they stand for.
    const float labelSize = labelFont->GetSize();
    if (resources.labelEmojiSize != labelSize) {
        resources.labelEmojiFormat.Reset();
        resources.labelEmojiSize = labelSize;
    }
    make(resources.labelEmojiFormat, {L"Segoe UI Emoji", L"ＭＳ ゴシック", L"MS Gothic"}, DWRITE_FONT_WEIGHT_BOLD,
         labelSize, DWRITE_WORD_WRAPPING_WRAP);
    const float captionSize = overlayFontLarge ? overlayFontLarge->GetSize() : -1.0f;
    if (resources.captionEmojiSize != captionSize) {
        resources.captionEmojiFormat.Reset();
        resources.captionEmojiSize = captionSize;
    }
    if (captionSize > 0.0f) {
        make(resources.captionEmojiFormat, {L"Segoe UI Emoji", L"Segoe UI", L"ＭＳ ゴシック", L"MS Gothic"},
             DWRITE_FONT_WEIGHT_BOLD, captionSize, DWRITE_WORD_WRAPPING_WRAP);
    }
    return S_OK;
}

void MovieListWindow_CL::EnsureBrushes()
{
    Direct2DResources& resources = D2D();
    ID2D1RenderTarget* target = resources.drawing ? resources.drawing : resources.renderTarget.Get();
    if (!target) return;
    if (resources.deviceTarget != target) {
        resources.ReleaseDeviceBound();
        resources.deviceTarget = target;
    }
    const struct {
        ComPtr<ID2D1SolidColorBrush>* brush;
        Gdiplus::ARGB colour;
    } brushes[] = {{&resources.whiteBrush, kWhite},
                   {&resources.yellowBrush, kYellow},
                   {&resources.redBrush, kRed},
                   {&resources.greyBrush, kGrey},
                   {&resources.colourBrush, kWhite}};
    for (const auto& b : brushes) {
        if (*b.brush) continue;
        *b.brush = MakeBrush(target, b.colour);
        if (!*b.brush) return;
    }
}

void MovieListWindow_CL::RenderAll(ID2D1RenderTarget* target, Gdiplus::Graphics* graphics, const RECT* area,
                                   int targetWidth, int targetHeight)
{
    if (!target || !graphics || !area) return;
    Direct2DResources& resources = D2D();
    resources.drawing = target;
    resources.measuring = graphics;
    EnsureBrushes();
    const bool scrolling = IsScrolling();

    target->SetTransform(D2D1::Matrix3x2F::Identity());
    const D2D1_RECT_F clip = ToRectF(*area);
    target->PushAxisAlignedClip(clip, D2D1_ANTIALIAS_MODE_ALIASED);
    ++resources.passes;

    const CellFrames frames = CurrentCellFrames();
    NoteLabelFontFamily();
    // The cells' GDI drawing path belongs to the GDI+ paint.
    cellLayout.gdiTarget = nullptr;
    const uint32_t count = GetItemCount();
    struct Cell {
        uint32_t index;
        ItemMovieData_CL* record;
        RECT rect;
    };
    std::vector<Cell> cells;
    for (const VisibleCell& visible : count ? visibleCells : std::vector<VisibleCell>()) {
        if (visible.y >= targetHeight) break;
        if (visible.index >= count) continue;
        ItemMovieData_CL* record = gridListener.Record(visible.index);
        if (!record) continue;
        const RECT cell = {visible.x, visible.y, visible.x + cellWidth, visible.y + cellHeight};
        if (cell.right <= 0 || cell.bottom <= 0 || cell.left >= targetWidth) continue;
        cells.push_back({visible.index, record, cell});
    }
    // The overlays are drawn by GDI+ into a transparent picture laid over the cells. An empty
    // grid shows the font-size box but has no movie to detail.
    const bool detail = interactionFlag != 0 && focusIndex >= 0 && count != 0;
    const bool fontBox = fontOverlayFlag == 1;
    const bool overlays = !scrolling && listener && (detail || fontBox);

    // A cell's picture covers the cell whole, so the background is filled only around them.
    const bool pictures = CellPicturesFit(target);
    std::vector<RECT> covered;
    if (pictures) {
        for (const Cell& cell : cells) covered.push_back(cell.rect);
    }
    auto fill = [&](const RECT& rect) {
        if (ID2D1SolidColorBrush* background = Tinted(resources, backgroundColour)) {
            target->FillRectangle(ToRectF(rect), background);
        }
    };
    auto draw = [&](const RetainedFrame_CL::Item& item) {
        switch (item.kind) {
        case RetainedFrame_CL::Item::kBackground:
            for (const RECT& rect : AreaOutside(item.place, covered)) fill(rect);
            break;
        case RetainedFrame_CL::Item::kPicture:
            target->DrawBitmap(item.picture.Get(), ToRectF(item.place), 1.0f,
                               D2D1_BITMAP_INTERPOLATION_MODE_NEAREST_NEIGHBOR, nullptr);
            break;
        case RetainedFrame_CL::Item::kFrame:
            if (ID2D1SolidColorBrush* focus = Tinted(resources, item.colour)) {
                target->DrawRectangle(ToRectF(item.place), focus, 4.0f);
            }
            break;
        case RetainedFrame_CL::Item::kCell:
            break;
        }
    };
    // A target that keeps what it showed (the window's, made with retained contents): a pass
    // that would show the same again only presents.
    RetainedFrame_CL* retained = resources.retained.Tracks(target) ? &resources.retained : nullptr;
    const RetainedFrame_CL::Release release = [&](const std::vector<RetainedFrame_CL::Item>& held) {
        for (const RetainedFrame_CL::Item& item : held) draw(item);
    };
    auto offer = [&](RetainedFrame_CL::Item item) {
        if (!retained || retained->Offer(item, release)) draw(item);
    };
    const RECT whole = {0, 0, targetWidth, targetHeight};
    if (retained) retained->BeginPass(!overlays && EqualRect(area, &whole) != FALSE);
    offer({RetainedFrame_CL::Item::kBackground, *area, nullptr, backgroundColour});

    for (const Cell& cell : cells) {
        const uint32_t index = cell.index;
        visibleKeys.push_back(cell.record->decode_key);
        RECT meet = {};
        if (IntersectRect(&meet, &cell.rect, area)) {
            LayoutCell(graphics, cell.rect, index, *cell.record, scrolling, frames);
            ComPtr<ID2D1Bitmap> picture = pictures ? CellPictureD2D(target, cell.rect, index, cell.record) : nullptr;
            if (picture) {
                offer({RetainedFrame_CL::Item::kPicture, cell.rect, picture, 0});
            } else {
                offer({RetainedFrame_CL::Item::kCell, cell.rect, nullptr, 0});
                if (pictures) fill(cell.rect);
                DrawCellBaseD2D(target, resources.dwriteFactory.Get(), resources.boldFormat.Get(),
                                resources.labelEmojiFormat.Get());
                DrawFramesD2D(target, index);
                DrawCellTextD2D(target, &cell.rect, index);
            }
        }
        if (!scrolling && static_cast<int32_t>(index) == cursorIndex) {
            const RECT frame = {cell.rect.left + 2, cell.rect.top + 2, cell.rect.left + cellWidth - 2 + horizontalGap,
                                cell.rect.top + cellHeight - 2 + verticalGap};
            offer({RetainedFrame_CL::Item::kFrame, frame, nullptr, focusFrameColour});
        }
        if (HoverSlot(1) != -1) hotIndex = HoverSlot(1);
    }
    if (retained) retained->EndPass(release);

    // Copies of strips and pictures of cells no longer on the screen go, the least recently
    // drawn first.
    const size_t keep = 2 * visibleCells.size() + 8;
    KeepMostRecent(resources.stripCopies, keep);
    KeepMostRecent(resources.cellBitmaps, keep);

    if (overlays) {
        Gdiplus::Bitmap overlay(targetWidth, targetHeight, PixelFormat32bppPARGB);
        if (overlay.GetLastStatus() == Gdiplus::Ok) {
            {
                Gdiplus::Graphics overlayGraphics(&overlay);
                overlayGraphics.Clear(Gdiplus::Color(0, 0, 0, 0));
                if (detail) DrawDetailPanel(&overlayGraphics, &clientRect, focusIndex, 0);
                if (fontBox) DrawFontSizeOverlay(&overlayGraphics, &clientRect);
            }
            DrawGdiOverlayD2D(target, &overlay);
            if (detail) DrawDetailPanelDirect2D(target);
        }
    }
    target->PopAxisAlignedClip();
    resources.drawing = nullptr;
    resources.measuring = nullptr;
}

void MovieListWindow_CL::DrawCellBaseD2D(ID2D1RenderTarget* target, IDWriteFactory* factory, IDWriteTextFormat* format,
                                         IDWriteTextFormat* emojiFormat)
{
    if (!target) return;
    Direct2DResources& resources = D2D();
    const int state = cellLayout.state & 3;
    const bool selected = (cellLayout.state & 1) != 0;
    const float mouseX = cellLayout.mousePoint.X;
    const float mouseY = cellLayout.mousePoint.Y;

    const Gdiplus::RectF& innerRect = cellLayout.innerRect;
    if (!resources.cellShape || resources.cellShapeWidth != innerRect.Width ||
        resources.cellShapeHeight != innerRect.Height) {
        resources.cellShape.Reset();
        ComPtr<ID2D1Factory> factory;
        target->GetFactory(factory.GetAddressOf());
        const D2D1_ROUNDED_RECT shape = D2D1::RoundedRect(D2D1::RectF(0, 0, innerRect.Width, innerRect.Height), 8.0f, 8.0f);
        if (factory && SUCCEEDED(factory->CreateRoundedRectangleGeometry(shape, resources.cellShape.GetAddressOf()))) {
            resources.cellShapeWidth = innerRect.Width;
            resources.cellShapeHeight = innerRect.Height;
        }
    }
    if (resources.cellShape) {
        target->SetTransform(D2D1::Matrix3x2F::Translation(innerRect.X, innerRect.Y) * resources.cellOrigin);
        if (ID2D1SolidColorBrush* fill = Tinted(resources, kD2DBackgroundColours[state])) {
            target->FillGeometry(resources.cellShape.Get(), fill);
        }
        if (resources.whiteBrush) target->DrawGeometry(resources.cellShape.Get(), resources.whiteBrush.Get(), 1.0f);
        target->SetTransform(resources.cellOrigin);
    }

    // One frame box or one chip is drawn as GDI+ draws it: from one upwards.
    for (const CellBox& box : cellLayout.frameBoxes) {
        if (selected && box.Contains(mouseX, mouseY)) {
            if (resources.yellowBrush) target->DrawRectangle(ToRectF(box), resources.yellowBrush.Get(), 4.0f);
            HoverSlot(1) = box.id;
        } else if (ID2D1SolidColorBrush* grey = Tinted(resources, kFrameGrey)) {
            target->DrawRectangle(ToRectF(box), grey, 1.0f);
        }
    }
    if (!cellLayout.tagBoxes.empty()) {
        for (const CellBox& chip : cellLayout.tagBoxes) {
            if (ID2D1SolidColorBrush* fill = Tinted(resources, kChipColour)) target->FillRectangle(ToRectF(chip), fill);
            const D2D1_RECT_F textBox = D2D1::RectF(chip.x + 2, chip.y + 1, chip.x + chip.width, chip.y + chip.height - 1);
            DrawTextInRect(format, chip.text.c_str(), static_cast<UINT32>(chip.text.size()), textBox, kWhite, 0,
                           resources.whiteBrush.Get());
            if (selected && chip.Contains(mouseX, mouseY)) {
                if (resources.yellowBrush) target->DrawRectangle(ToRectF(chip), resources.yellowBrush.Get(), 2.0f);
                HoverSlot(2) = chip.id;
            }
        }
    }
    if (factory && emojiFormat && !cellLayout.title.empty()) {
        DrawTextInRect(emojiFormat, cellLayout.title.c_str(), static_cast<UINT32>(cellLayout.title.size()),
                       ToRectF(cellLayout.titleRect), MovieCellLayout::kTitleColours[state], 1,
                       Tinted(resources, MovieCellLayout::kTitleColours[state]));
    }
}

bool MovieListWindow_CL::CellPicturesFit(ID2D1RenderTarget* target) const
{
    float dpiX = 96.0f;
    float dpiY = 96.0f;
    target->GetDpi(&dpiX, &dpiY);
    // At another DPI a cell's corner falls between pixels, where a copy would blur it.
    return dpiX == 96.0f && dpiY == 96.0f && cellWidth > 0 && cellHeight > 0;
}

ComPtr<ID2D1Bitmap> MovieListWindow_CL::CellPictureD2D(ID2D1RenderTarget* target, const RECT& cell, uint32_t index,
                                                      ItemMovieData_CL* record)
{
    Direct2DResources& resources = D2D();
    Gdiplus::Image* strip = StripFor(index);
    CellPictureKey key;
    if (!MakeCellPictureKey(cell, record, strip, true, &key)) return nullptr;
    const float left = static_cast<float>(cell.left);
    const float top = static_cast<float>(cell.top);
    for (Direct2DResources::CellBitmap& kept : resources.cellBitmaps) {
        if (kept.index != index || kept.key != key) continue;
        kept.lastPass = resources.passes;
        if (key.hoveredFrame != -1) HoverSlot(1) = key.hoveredFrame;
        if (key.hoveredTag != -1) HoverSlot(2) = key.hoveredTag;
        if (!strip) missingThumbnails.push_back(index << 8);
        ++keptCellPaints;
        return kept.bitmap;
    }

    // Drawn as on the target itself: the same pixel format and modes, over the background.
    const D2D1_SIZE_U pixels = D2D1::SizeU(static_cast<UINT32>(cellWidth), static_cast<UINT32>(cellHeight));
    ComPtr<ID2D1BitmapRenderTarget> surface;
    if (FAILED(target->CreateCompatibleRenderTarget(D2D1::SizeF(static_cast<float>(cellWidth), static_cast<float>(cellHeight)),
                                                    pixels, target->GetPixelFormat(),
                                                    D2D1_COMPATIBLE_RENDER_TARGET_OPTIONS_NONE, surface.GetAddressOf()))) {
        return nullptr;
    }
    surface->SetAntialiasMode(target->GetAntialiasMode());
    surface->SetTextAntialiasMode(target->GetTextAntialiasMode());
    const size_t missing = missingThumbnails.size();
    surface->BeginDraw();
    surface->Clear(ColourFromArgb(backgroundColour));
    resources.cellOrigin = D2D1::Matrix3x2F::Translation(-left, -top);
    resources.cellSurface = surface.Get();
    surface->SetTransform(resources.cellOrigin);
    DrawCellBaseD2D(surface.Get(), resources.dwriteFactory.Get(), resources.boldFormat.Get(),
                    resources.labelEmojiFormat.Get());
    DrawFramesD2D(surface.Get(), index);
    DrawCellTextD2D(surface.Get(), &cell, index);
    resources.cellSurface = nullptr;
    resources.cellOrigin = D2D1::Matrix3x2F::Identity();
    ComPtr<ID2D1Bitmap> bitmap;
    if (FAILED(surface->EndDraw()) || FAILED(surface->GetBitmap(bitmap.GetAddressOf()))) {
        // Drawn directly by the caller instead: what this drawing noted goes.
        missingThumbnails.resize(missing);
        return nullptr;
    }
    auto old = std::find_if(resources.cellBitmaps.begin(), resources.cellBitmaps.end(),
                            [index](const Direct2DResources::CellBitmap& c) { return c.index == index; });
    if (old == resources.cellBitmaps.end()) old = resources.cellBitmaps.insert(old, Direct2DResources::CellBitmap{});
    *old = {index, std::move(key), bitmap, resources.passes};
    return bitmap;
}

void MovieListWindow_CL::DrawFramesD2D(ID2D1RenderTarget* target, uint32_t index)
{
    Gdiplus::Image* strip = StripFor(index);
    if (!strip) {
        missingThumbnails.push_back(index << 8);
        return;
    }
    Direct2DResources& resources = D2D();
    const size_t boxes = std::min(cellLayout.frameBoxes.size(), static_cast<size_t>(std::max(frameCount, 0)));
    struct Frame {
        Gdiplus::RectF source;
        Gdiplus::RectF destination;
        bool clipToBox;
    };
    std::vector<Frame> frames(boxes);
    // A strip the grid keeps has its frames at the cell's frame size already: the whole strip
    // goes to Direct2D in one copy and each frame is a part of it. Anything else is redrawn
    // frame by frame through the scratch surface.
    const Gdiplus::PixelFormat format = strip->GetPixelFormat();
    bool wholeStrip = (format == PixelFormat32bppPARGB || format == PixelFormat24bppRGB) &&
                      dynamic_cast<Gdiplus::Bitmap*>(strip);
    for (size_t k = 0; k < boxes; ++k) {
        const CellBox& box = cellLayout.frameBoxes[k];
        const int f = useFramesShown == 1 && k < framesShown.size() ? framesShown[k] : 0;
        Frame& frame = frames[k];
        StripFramePlacement(strip, f, Gdiplus::RectF(box.x, box.y, box.width, box.height), &frame.source,
                            &frame.destination, &frame.clipToBox);
        if (frame.clipToBox || frame.source.Width != frame.destination.Width ||
            frame.source.Height != frame.destination.Height) {
            wholeStrip = false;
        }
    }
    ID2D1Bitmap* copy = wholeStrip && boxes > 0 ? StripCopyD2D(target, strip) : nullptr;
    if (copy) {
        float dpiX = 96.0f;
        float dpiY = 96.0f;
        target->GetDpi(&dpiX, &dpiY);
        for (const Frame& frame : frames) {
            const Gdiplus::RectF& s = frame.source;
            const D2D1_RECT_F source = D2D1::RectF(s.X * 96.0f / dpiX, s.Y * 96.0f / dpiY,
                                                   (s.X + s.Width) * 96.0f / dpiX, (s.Y + s.Height) * 96.0f / dpiY);
            target->DrawBitmap(copy, ToRectF(frame.destination), 1.0f,
                               D2D1_BITMAP_INTERPOLATION_MODE_NEAREST_NEIGHBOR, &source);
        }
        return;
    }
    for (size_t k = 0; k < boxes; ++k) {
        const D2D1_RECT_F clip = ToRectF(cellLayout.frameBoxes[k]);
        const Frame& frame = frames[k];
        if (SUCCEEDED(DrawGdiBitmapD2D(target, strip, ToRectF(frame.destination), frame.source,
                                       frame.clipToBox ? &clip : nullptr, &resources.scratch))) {
            ++resources.frameCopies;
        }
    }
}

void MovieListWindow_CL::DrawCellTextD2D(ID2D1RenderTarget* target, const RECT* cell, uint32_t index)
{
    EnsureBrushes();
    Direct2DResources& resources = D2D();
    if (!target || !resources.dwriteFactory || !albumData) return;
    ItemMovieData_CL* record = gridListener.Record(index);
    if (!record) return;

    const int sortTab = albumData->disp_setting.selected_sort_tab;
    const int dateOnly = albumData->disp_setting.thumbnail_size_index == 0 ? 1 : 0;
    Gdiplus::ARGB labelColour = kWhite;
    std::wstring label = BuildInfoLabel(*record, sortTab, dateOnly, &labelColour);
    if (sortTab == kSortName || sortTab == kSortStars) label.clear();
    if (!label.empty() && boldFont && resources.measuring && !cellLayout.frameBoxes.empty()) {
        Gdiplus::RectF measured;
        resources.measuring->MeasureString(label.c_str(), static_cast<INT>(label.size()), boldFont.get(),
                                           Gdiplus::PointF(0, 0), &measured);
        const CellBox& box = cellLayout.frameBoxes[0];
        const float right = box.x + box.width - 2;
        const float bottom = box.y + box.height - 2;
        // Exactly the text's size, 2 DIPs inside the first frame's bottom-right corner.
        const D2D1_RECT_F labelBox = D2D1::RectF(right - measured.Width, bottom - measured.Height, right, bottom);
        if (resources.greyBrush) target->FillRectangle(labelBox, resources.greyBrush.Get());
        DrawTextInRect(resources.boldFormat.Get(), label.c_str(), static_cast<UINT32>(label.size()), labelBox,
                       labelColour, 0, Tinted(resources, labelColour));
    }

    if (record->star_count > 0 && !cellLayout.frameBoxes.empty()) {
        const std::wstring stars = StarText(record->star_count);
        DrawTextInRect(resources.regularFormat.Get(), stars.c_str(), static_cast<UINT32>(stars.size()),
                       ToRectF(cellLayout.frameBoxes[0]), kYellow, 0, resources.yellowBrush.Get());
    }

    if (ShowsMissingFile(record) && resources.largeBoldFormat && resources.redBrush) {
        const float left = static_cast<float>(cell->left + 9);
        const float top = static_cast<float>(cell->top + 9);
        const D2D1_RECT_F box = D2D1::RectF(left, top, left + std::max(static_cast<float>(pictureWidth - 1), 1.0f),
                                            top + std::max(static_cast<float>(pictureHeight - 1), 1.0f));
        DrawTextInRect(resources.largeBoldFormat.Get(), kMissingFileText,
                       static_cast<UINT32>(wcslen(kMissingFileText)), box, kRed, 1, resources.redBrush.Get());
    }
}

ID2D1Bitmap* MovieListWindow_CL::StripCopyD2D(ID2D1RenderTarget* target, Gdiplus::Image* strip)
{
    Direct2DResources& resources = D2D();
    const uint64_t serial = KeptStripSerial(strip);
    if (serial != 0) {
        for (Direct2DResources::StripCopy& copy : resources.stripCopies) {
            if (copy.serial != serial) continue;
            copy.lastPass = resources.passes;
            return copy.bitmap.Get();
        }
    }
    // A strip not kept by the grid may be gone after this paint: it goes through the one
    // reused entry instead of being remembered.
    D2DBitmapCacheEntry fresh;
    D2DBitmapCacheEntry& entry = serial != 0 ? fresh : resources.frameEntry;
    if (UpdateD2DBitmapFromGdiBitmap(target, static_cast<Gdiplus::Bitmap*>(strip), &entry) != S_OK || !entry.bitmap) {
        return nullptr;
    }
    ++resources.frameCopies;
    if (serial == 0) return entry.bitmap.Get();
    resources.stripCopies.push_back({serial, entry.bitmap, resources.passes});
    return resources.stripCopies.back().bitmap.Get();
}

HRESULT MovieListWindow_CL::DrawGdiBitmapD2D(ID2D1RenderTarget* target, Gdiplus::Image* image,
                                             const D2D1_RECT_F& destination, const Gdiplus::RectF& source,
                                             const D2D1_RECT_F* clip, D2DScratchSurface* scratch)
{
    return DrawGdiImageD2D(target, image, destination, source, clip, scratch);
}

HRESULT MovieListWindow_CL::DrawGdiOverlayD2D(ID2D1RenderTarget* target, Gdiplus::Bitmap* overlay)
{
    if (!target || !overlay) return E_POINTER;
    D2DBitmapCacheEntry temporary;
    const HRESULT hr = UpdateD2DBitmapFromGdiBitmap(target, overlay, &temporary);
    if (FAILED(hr)) return hr;
    if (!temporary.bitmap) return E_FAIL;
    const D2D1_SIZE_F size = temporary.bitmap->GetSize();
    target->DrawBitmap(temporary.bitmap.Get(), D2D1::RectF(0.0f, 0.0f, size.width, size.height), 1.0f,
                       D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, nullptr);
    return S_OK;
}

void MovieListWindow_CL::DrawTextInRect(IDWriteTextFormat* format, const wchar_t* text, UINT32 length,
                                        const D2D1_RECT_F& rect, Gdiplus::ARGB colour, int wrap,
                                        ID2D1SolidColorBrush* brush)
{
    Direct2DResources& resources = D2D();
    ID2D1RenderTarget* target = resources.cellSurface ? resources.cellSurface
                                : resources.drawing ? resources.drawing
                                                    : resources.renderTarget.Get();
    if (!target || !resources.dwriteFactory || !format || !text || length == 0) return;
    const float width = std::max(rect.right - rect.left, 1.0f);
    const float height = std::max(rect.bottom - rect.top, 1.0f);
    ComPtr<IDWriteTextLayout> layout;
    if (FAILED(resources.dwriteFactory->CreateTextLayout(text, length, format, width, height, layout.GetAddressOf()))) {
        return;
    }
    if (wrap == 0) {
        layout->SetWordWrapping(DWRITE_WORD_WRAPPING_NO_WRAP);
        layout->SetTextAlignment(DWRITE_TEXT_ALIGNMENT_CENTER);
        layout->SetParagraphAlignment(DWRITE_PARAGRAPH_ALIGNMENT_CENTER);
    } else {
        layout->SetWordWrapping(DWRITE_WORD_WRAPPING_WRAP);
    }
    ComPtr<ID2D1SolidColorBrush> own;
    if (!brush) {
        own = MakeBrush(target, colour);
        brush = own.Get();
        if (!brush) return;
    }
    target->PushAxisAlignedClip(rect, D2D1_ANTIALIAS_MODE_ALIASED);
    target->DrawTextLayout(D2D1::Point2F(rect.left, rect.top), layout.Get(), brush, D2D1_DRAW_TEXT_OPTIONS_CLIP);
    target->PopAxisAlignedClip();
}

void MovieListWindow_CL::DrawDetailPanelDirect2D(ID2D1RenderTarget* target)
{
    Direct2DResources& resources = D2D();
    if (!target || focusIndex < 0 || interactionFlag == 0) return;
    if (!resources.dwriteFactory || !resources.captionEmojiFormat || !resources.whiteBrush) return;
    std::wstring title;
    Gdiplus::RectF box;
    if (!LayoutDetailPanel(&clientRect, focusIndex, &title, &box) || title.empty()) return;
    ComPtr<IDWriteTextLayout> layout;
    if (FAILED(resources.dwriteFactory->CreateTextLayout(title.c_str(), static_cast<UINT32>(title.size()),
                                                         resources.captionEmojiFormat.Get(), std::max(box.Width, 1.0f),
                                                         std::max(box.Height, 1.0f), layout.GetAddressOf()))) {
        return;
    }
    const D2D1_RECT_F clip = ToRectF(box);
    target->PushAxisAlignedClip(clip, D2D1_ANTIALIAS_MODE_ALIASED);
    target->DrawTextLayout(D2D1::Point2F(box.X, box.Y), layout.Get(), resources.whiteBrush.Get(),
                           D2D1_DRAW_TEXT_OPTIONS_ENABLE_COLOR_FONT);
    target->PopAxisAlignedClip();
}
