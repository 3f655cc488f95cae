#include "ui/views/CategoryListWindow.h"

#include <algorithm>

#include "core/album/SaveData.h"
#include "core/album/ShortCutKey.h"
#include "ui/views/ViewHost.h"

using Microsoft::WRL::ComPtr;

namespace {

// The category view state in which the tiles show favourite sites: they have no counts.
constexpr int32_t kFavoriteSitesTab = 3;
constexpr int32_t kByNameTab = 0;

}  // namespace

CategoryListWindow_CL::CategoryDecodeRequestListener_CL::CategoryDecodeRequestListener_CL(CategoryListWindow_CL* owner)
    : DecodeRequestListenerTemplate_CL(1, 256, 144), owner_(owner)
{
    ownerView = owner;
}

void CategoryListWindow_CL::CategoryDecodeRequestListener_CL::ClearItems()
{
    records = nullptr;
    indexList.clear();
}

const ItemCategoryData_CL* CategoryListWindow_CL::CategoryDecodeRequestListener_CL::Record(uint32_t index) const
{
    if (!records || index >= indexList.size()) return nullptr;
    const int32_t position = indexList[index];
    if (position < 0 || static_cast<size_t>(position) >= records->size()) return nullptr;
    return &(*records)[static_cast<size_t>(position)];
}

const wchar_t* CategoryListWindow_CL::CategoryDecodeRequestListener_CL::GetItemLabel(uint32_t index)
{
    labelText.clear();
    const ItemCategoryData_CL* record = Record(index);
    if (!record || owner_->paintingWithDirect2D) return labelText.c_str();
    labelText = record->sub_category;
    const SaveData_CL* data = owner_->albumData;
    if (!data || data->disp_setting.category_tab != kFavoriteSitesTab) {
        labelText += L"(" + std::to_wstring(record->item_count) + L")";
    }
    return labelText.c_str();
}

const wchar_t* CategoryListWindow_CL::CategoryDecodeRequestListener_CL::GetItemDetail(uint32_t index)
{
    detailText.clear();
    const ItemCategoryData_CL* record = Record(index);
    if (!record) return detailText.c_str();
    detailText = record->category + L"/" + record->sub_category;
    if (record->item_count != -1) detailText += L"\r\n(" + std::to_wstring(record->item_count) + L")";
    return detailText.c_str();
}

void CategoryListWindow_CL::CategoryDecodeRequestListener_CL::GetMoviePath(std::wstring* out, uint32_t index)
{
    const ItemCategoryData_CL* record = Record(index);
    *out = record ? record->url_link : std::wstring();
}

void CategoryListWindow_CL::CategoryDecodeRequestListener_CL::GetThumbnailPath(std::wstring* out, uint32_t index)
{
    const ItemCategoryData_CL* record = Record(index);
    *out = record ? record->image_link : std::wstring();
}

CategoryListWindow_CL::CategoryListWindow_CL(SaveData_CL* albumData, ViewHost_IF* host)
    : albumData(albumData), host_(host)
{
    listener = &categoryListener;
    cellMargins.bottom = 48;
    SetGaps(4, 4);
    SetThumbnailLayout(256, 144, 1, 0, 16, 0);
}

CategoryListWindow_CL::~CategoryListWindow_CL()
{
    ReleaseDirect2D();
}

void CategoryListWindow_CL::SetThumbnailLayoutForFont(int, int, int, int, int fontSize, int)
{
    cellMargins.bottom = std::max(fontSize * 4 + 12, 48);
    SetThumbnailLayout(256, 144, 1, 0, fontSize, 0);
}

void CategoryListWindow_CL::InvalidateToolBar()
{
    HWND toolBar = host_ ? host_->GetCategoryToolBarWindow() : nullptr;
    if (toolBar) InvalidateRect(toolBar, nullptr, FALSE);
}

void CategoryListWindow_CL::ShowTopCategory(std::wstring topCategory)
{
    if (albumData) {
        DispSettingData_CL& settings = albumData->disp_setting;
        albumData->category_list.SelectByCategory(topCategory, settings.sub_category_view);
        settings.sub_category_view.Sort(*albumData, settings.category_tab == kByNameTab ? 1 : 0);
        categoryListener.records = &albumData->category_list.records;
        categoryListener.indexList = settings.sub_category_view.indices;
    }
    RequestRefresh();
    if (hwnd) InvalidateRect(hwnd, nullptr, FALSE);
    InvalidateToolBar();
}

void CategoryListWindow_CL::Repaint(BOOL erase)
{
    if (hwnd) InvalidateRect(hwnd, nullptr, erase);
    InvalidateToolBar();
}

void CategoryListWindow_CL::PaintAll()
{
    paintingWithDirect2D = UseDirect2D();
    if (updatePending != 1) {
        missingThumbnails.clear();
        hotIndex = -1;
        PictureListBase_CL::PaintAll();
        if (focusIndex >= 0 && interactionFlag == 1 && backBuffer) {
            Gdiplus::Graphics graphics(backBuffer.get());
            DrawDetailOverlay(&graphics, &clientRect, focusIndex);
        }
    }
    paintingWithDirect2D = 0;
}

void CategoryListWindow_CL::DrawCell(Gdiplus::Graphics* graphics, const RECT* cell, uint32_t index)
{
    MovieListView_CL::DrawCell(graphics, cell, index);
    if (updatePending == 1 || !labelFont) return;
    const ItemCategoryData_CL* record = categoryListener.Record(index);
    if (!record || record->short_cut_key == 0) return;
    const std::wstring key = FormatShortCutKeyLabel(record->short_cut_key);
    if (key.empty()) return;

    Gdiplus::RectF bounds;
    graphics->MeasureString(L"Ｗ", -1, labelFont.get(), Gdiplus::RectF(0, 0, 32767, 128), &bounds);
    const int lineHeight = static_cast<int>(bounds.Height) + 2;
    const Gdiplus::RectF badge(static_cast<Gdiplus::REAL>(cell->right - 30),
                               static_cast<Gdiplus::REAL>(cell->bottom - lineHeight - 6), 24.0f,
                               static_cast<Gdiplus::REAL>(lineHeight));
    Gdiplus::SolidBrush fill{Gdiplus::Color(kBadgeColour)};
    graphics->FillRectangle(&fill, badge);
    Gdiplus::StringFormat format;
    format.SetAlignment(Gdiplus::StringAlignmentCenter);
    format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    format.SetFormatFlags(Gdiplus::StringFormatFlagsNoWrap | Gdiplus::StringFormatFlagsNoClip);
    // A large label font makes the key wider than the 24-pixel badge, and GDI+ draws nothing
    // of a text that does not fit its box: the text box keeps the badge's centre but is wider.
    const Gdiplus::RectF textBox(badge.X - 16.0f, badge.Y - 8.0f, badge.Width + 32.0f, badge.Height + 16.0f);
    Gdiplus::SolidBrush white{Gdiplus::Color(0xFFFFFFFF)};
    graphics->DrawString(key.c_str(), -1, labelFont.get(), textBox, &format, &white);
}

int CategoryListWindow_CL::UseDirect2D()
{
    return albumData && albumData->disp_setting.movie_list_use_direct2d != 0 ? 1 : 0;
}

void CategoryListWindow_CL::RecalcLayout()
{
    PictureListBase_CL::RecalcLayout();
    if (UseDirect2D()) ReleaseDirect2D();
}

void CategoryListWindow_CL::ReleaseDirect2D()
{
    backBufferBitmap.Release();
    textBrush.Reset();
    textFormat.Reset();
    textFormatSize = -1.0f;
    dwriteFactory.Reset();
    renderTarget.Reset();
    targetWidth = 0;
    targetHeight = 0;
    d2dFactory.Reset();
}

HRESULT CategoryListWindow_CL::EnsureRenderTarget(HWND window, int width, int height)
{
    if (!d2dFactory) {
        const HRESULT hr = D2D1CreateFactory(D2D1_FACTORY_TYPE_SINGLE_THREADED, __uuidof(ID2D1Factory),
                                             nullptr, reinterpret_cast<void**>(d2dFactory.GetAddressOf()));
        if (FAILED(hr)) return hr;
    }
    if (renderTarget && targetWidth == width && targetHeight == height) return S_OK;
    renderTarget.Reset();
    targetWidth = 0;
    targetHeight = 0;
    float dpiX = 96.0f;
    float dpiY = 96.0f;
    GetWindowDpi(window, &dpiX, &dpiY);
    const D2D1_RENDER_TARGET_PROPERTIES properties = D2D1::RenderTargetProperties(
        D2D1_RENDER_TARGET_TYPE_DEFAULT, D2D1::PixelFormat(DXGI_FORMAT_UNKNOWN, D2D1_ALPHA_MODE_UNKNOWN), dpiX, dpiY);
    // A paint may draw less than the whole window (the names only inside the paint
    // rectangle): what a present leaves outside it must be the last frame, not undefined.
    const D2D1_HWND_RENDER_TARGET_PROPERTIES hwndProperties = D2D1::HwndRenderTargetProperties(
        window, D2D1::SizeU(static_cast<UINT32>(width), static_cast<UINT32>(height)),
        D2D1_PRESENT_OPTIONS_RETAIN_CONTENTS);
    const HRESULT hr = d2dFactory->CreateHwndRenderTarget(properties, hwndProperties, renderTarget.GetAddressOf());
    if (FAILED(hr)) return hr;
    targetWidth = width;
    targetHeight = height;
    return S_OK;
}

HRESULT CategoryListWindow_CL::EnsureTextFormat()
{
    if (!labelFont) return E_FAIL;
    if (!dwriteFactory) {
        const HRESULT hr = DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                                               reinterpret_cast<IUnknown**>(dwriteFactory.GetAddressOf()));
        if (FAILED(hr)) return hr;
    }
    const float size = labelFont->GetSize();
    if (textFormat && textFormatSize == size) return S_OK;
    textFormat.Reset();
    textFormatSize = -1.0f;
    constexpr const wchar_t* kEmojiFamily = L"Segoe UI Emoji";
    const std::wstring family = FindInstalledFontFamily(dwriteFactory.Get(), {L"ＭＳ ゴシック", kEmojiFamily});
    const DWRITE_FONT_WEIGHT weight = family == kEmojiFamily ? DWRITE_FONT_WEIGHT_NORMAL : DWRITE_FONT_WEIGHT_BOLD;
    textFormat = CreateViewTextFormat(dwriteFactory.Get(), family, weight, size, DWRITE_WORD_WRAPPING_WRAP);
    if (!textFormat) return E_FAIL;
    textFormatSize = size;
    return S_OK;
}

void CategoryListWindow_CL::PaintDirect2D(HWND window, const RECT* paintRect)
{
    if (!UseDirect2D() || !window || !backBuffer) return;
    RECT client = {};
    GetClientRect(window, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (width <= 0 || height <= 0) return;
    if (FAILED(EnsureRenderTarget(window, width, height)) || !renderTarget) return;

    if (labelFont) {
        if (FAILED(EnsureTextFormat())) return;
        if (!textBrush && FAILED(renderTarget->CreateSolidColorBrush(D2D1::ColorF(1.0f, 1.0f, 1.0f, 1.0f),
                                                                     textBrush.GetAddressOf()))) {
            return;
        }
    }

    const HRESULT copied = UpdateD2DBitmapFromGdiBitmap(renderTarget.Get(), backBuffer.get(), &backBufferBitmap);
    if (FAILED(copied)) {
        ReleaseDirect2D();
        return;
    }
    RECT area = {};
    if (paintRect && !IntersectRect(&area, paintRect, &client)) return;

    renderTarget->BeginDraw();
    RenderTiles(renderTarget.Get(), backBufferBitmap.bitmap.Get(), textBrush.Get(), paintRect);
    if (endDraw(renderTarget.Get()) == kD2DRecreateTarget) ReleaseDirect2D();
}

void CategoryListWindow_CL::RenderTiles(ID2D1RenderTarget* target, ID2D1Bitmap* picture, ID2D1SolidColorBrush* brush,
                                        const RECT* paintRect)
{
    if (!target) return;
    target->SetTransform(D2D1::Matrix3x2F::Identity());
    if (picture) {
        const D2D1_SIZE_F size = picture->GetSize();
        target->DrawBitmap(picture, D2D1::RectF(0.0f, 0.0f, size.width, size.height), 1.0f,
                           D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, nullptr);
    }
    if (!brush || !textFormat || !dwriteFactory || !listener || itemCount == 0) return;

    const RECT area = paintRect ? *paintRect : clientRect;
    target->PushAxisAlignedClip(D2D1::RectF(static_cast<float>(area.left), static_cast<float>(area.top),
                                            static_cast<float>(area.right), static_cast<float>(area.bottom)),
                                D2D1_ANTIALIAS_MODE_ALIASED);
    const uint32_t count = listener->GetItemCount();
    for (const VisibleCell& visible : visibleCells) {
        if (visible.index >= itemCount || visible.index >= count) continue;
        const RECT cell = {visible.x, visible.y, visible.x + cellWidth, visible.y + cellHeight};
        RECT meet = {};
        if (!IntersectRect(&meet, &cell, &area)) continue;
        const std::wstring label = listener->GetItemLabel(visible.index);
        if (label.empty()) continue;

        brush->SetColor(ColourFromArgb(kTextColours[CellState(visible.index) & 3]));
        const float left = static_cast<float>(cell.left + horizontalGap + innerMargins.left);
        const float top = static_cast<float>(cell.top - 2 + innerMargins.top + cellMargins.top + pictureHeight +
                                             verticalGap);
        const float right = static_cast<float>(cell.left + cellWidth - 2 * horizontalGap - cellMargins.right -
                                               innerMargins.left);
        const float bottom = static_cast<float>(cell.top + cellHeight - innerMargins.bottom);
        ComPtr<IDWriteTextLayout> layout;
        if (FAILED(dwriteFactory->CreateTextLayout(label.c_str(), static_cast<UINT32>(label.size()), textFormat.Get(),
                                                   std::max(right - left, 1.0f), std::max(bottom - top, 1.0f),
                                                   layout.GetAddressOf()))) {
            continue;
        }
        layout->SetWordWrapping(DWRITE_WORD_WRAPPING_WRAP);
        target->PushAxisAlignedClip(D2D1::RectF(left, top, right, bottom), D2D1_ANTIALIAS_MODE_ALIASED);
        target->DrawTextLayout(D2D1::Point2F(left, top), layout.Get(), brush, D2D1_DRAW_TEXT_OPTIONS_ENABLE_COLOR_FONT);
        target->PopAxisAlignedClip();
    }
    target->PopAxisAlignedClip();
}
