#include "ui/views/CategoryListWindow.h"

#include <algorithm>

#include "core/album/SaveData.h"
#include "core/album/ShortCutKey.h"
#include "ui/views/ViewHost.h"

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

CategoryListWindow_CL::~CategoryListWindow_CL() = default;

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
