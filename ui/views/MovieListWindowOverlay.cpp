// The movie grid's overlays: the detail panel of the movie at the focus, the tooltip text
// and the font-size box.
#include <shlwapi.h>

#include <algorithm>

#include "core/album/SaveData.h"
#include "ui/views/MovieFieldText.h"
#include "ui/views/MovieListWindow.h"
#include "ui/views/ViewFont.h"
#include "ui/views/ViewHost.h"

namespace {

constexpr Gdiplus::ARGB kPanelColour = 0xDC646464;
constexpr Gdiplus::ARGB kTitleBandColour = 0x64FF6400;
constexpr Gdiplus::ARGB kBodyColour = 0x326464FF;
constexpr Gdiplus::ARGB kLineColour = 0xC8FFFFFF;
constexpr Gdiplus::ARGB kWhite = 0xFFFFFFFF;
constexpr Gdiplus::ARGB kStarColour = 0xFFFFFF00;
// Four lines of 32 wide characters: the body always has this much room.
constexpr wchar_t kBodySample[] = L"ＷＷＷＷＷＷＷＷＷＷＷＷＷＷＷＷＷＷＷＷＷＷＷＷＷＷＷＷＷＷＷＷ\nＷ\nＷ\nＷ";
constexpr wchar_t kBodyLabels[] = L"拡張子\n再生回数\nファイルサイズ\n収録時間\n";
constexpr wchar_t kStarLabel[] = L"星マーク  ：  ";
constexpr float kValueColumn = 120.0f;

std::wstring ExtensionOf(const std::wstring& path)
{
    return PathFindExtensionW(path.c_str());
}

// Where the parts of the panel go.
struct PanelLayout {
    Gdiplus::RectF work;   // the area without its right and bottom 18 pixels
    Gdiplus::RectF panel;
    float titleHeight = 0;
    Gdiplus::RectF body;   // the label and value columns, then the rating and date block
    std::wstring title;
    std::wstring values;
    std::wstring block;
    float blockTop = 0;
};

std::wstring PanelValues(const ItemMovieData_CL& record)
{
    return L" : " + ExtensionOf(record.link_name) + L"　\n : " + std::to_wstring(record.play_count) + L"回　\n : " +
           FormatMegabytes(record.file_size, 0) + L"MB　\n : " + FormatDuration(record.last_play_frame) + L"　\n\n";
}

std::wstring PanelBlock(const ItemMovieData_CL& record, int dateOnly)
{
    return std::wstring(kStarLabel) + L"\nファイル再生日時  : " +
           MovieListWindow_CL::FormatDateTime(record.play_date_time, dateOnly) + L"　\nファイル登録日時  : " +
           MovieListWindow_CL::FormatDateTime(record.add_date, dateOnly) + L"　\nファイル更新日時  : " +
           MovieListWindow_CL::FormatDateTime(record.file_time, dateOnly) + L"　\n";
}

}  // namespace

std::wstring* MovieListWindow_CL::GetItemTip(std::wstring* out, uint32_t index)
{
    out->clear();
    const ItemMovieData_CL* record = index < GetItemCount() ? gridListener.Record(index) : nullptr;
    if (!record) return out;
    *out = record->content_name + L"\r\n" + record->link_name + L"\r\n拡張子 : " + ExtensionOf(record->link_name) +
           L"\r\n再生回数 : " + std::to_wstring(record->play_count) + L"回\r\nファイルサイズ : " +
           FormatMegabytes(record->file_size, 0) + L"MB\r\n収録時間 : " + FormatDuration(record->last_play_frame) +
           L"\r\n★マーク : " + StarText(record->star_count) + L"\r\nファイル再生日時 : " +
           FormatDateTime(record->play_date_time, 0) + L"\r\nファイル登録日時 : " + FormatDateTime(record->add_date, 0) +
           L"\r\nファイル更新日時 : " + FormatDateTime(record->file_time, 0) + L"\r\nノート : " + record->note;
    return out;
}

void MovieListWindow_CL::DrawDetailOverlay(Gdiplus::Graphics* graphics, const RECT* area, int32_t index)
{
    DrawDetailPanel(graphics, area, index, 1);
}

namespace {

// The panel for the record over area; upperHalf when its cell is in the upper half of the
// cells on screen.
bool LayoutPanel(Gdiplus::Graphics* graphics, const RECT* area, const ItemMovieData_CL& record, bool upperHalf,
                 const Gdiplus::Font* titleFont, const Gdiplus::Font* detailFont, int dateOnly, PanelLayout* out)
{
    if (!titleFont || !detailFont) return false;
    out->work = Gdiplus::RectF(static_cast<Gdiplus::REAL>(area->left), static_cast<Gdiplus::REAL>(area->top),
                               static_cast<Gdiplus::REAL>(area->right - area->left - 18),
                               static_cast<Gdiplus::REAL>(area->bottom - area->top - 18));
    Gdiplus::RectF title, sample, values, block;
    out->title = LineBreaksForDrawing(record.content_name);
    graphics->MeasureString(out->title.c_str(), static_cast<INT>(out->title.size()), titleFont, out->work, &title);
    graphics->MeasureString(kBodySample, -1, detailFont, out->work, &sample);
    out->values = PanelValues(record);
    out->block = PanelBlock(record, dateOnly);
    graphics->MeasureString(out->values.c_str(), static_cast<INT>(out->values.size()), detailFont, out->work, &values);
    graphics->MeasureString(out->block.c_str(), static_cast<INT>(out->block.size()), detailFont, out->work, &block);
    out->titleHeight = title.Height;
    // The block of rating and dates follows the four value lines; the panel is made tall
    // enough for both, so that no text runs out of it.
    const float bodyHeight = std::max(sample.Height, values.Height + block.Height);
    const float width = std::max(title.Width, sample.Width) + 16;
    const float height = title.Height + 4 + bodyHeight + 16;
    const float right = static_cast<float>(area->right - GetSystemMetrics(SM_CYVSCROLL));
    float top = out->work.Y;
    if (upperHalf) top = static_cast<float>(area->bottom - GetSystemMetrics(SM_CYHSCROLL)) - height;
    out->panel = Gdiplus::RectF(right - width, top, width, height);
    out->body = Gdiplus::RectF(out->panel.GetRight() - 8 - sample.Width, top + 8 + title.Height + 4, sample.Width,
                               bodyHeight);
    out->blockTop = out->body.Y + values.Height;
    return true;
}

}  // namespace

void MovieListWindow_CL::DrawDetailPanel(Gdiplus::Graphics* graphics, const RECT* area, int32_t index, int drawTitle)
{
    if (index < 0 || static_cast<uint32_t>(index) >= GetItemCount()) return;
    const ItemMovieData_CL* record = gridListener.Record(static_cast<uint32_t>(index));
    if (!record) return;
    const uint32_t first = HitTest(area->left, area->top);
    const uint32_t last = HitTest(area->left, area->bottom);
    const bool upperHalf = static_cast<int64_t>(index) < static_cast<int64_t>(first) + (static_cast<int64_t>(last) - first) / 2;
    const int dateOnly = albumData && albumData->disp_setting.thumbnail_size_index == 0 ? 1 : 0;
    PanelLayout layout;
    if (!LayoutPanel(graphics, area, *record, upperHalf, overlayFontLarge.get(), overlayFontSmall.get(), dateOnly,
                     &layout)) {
        return;
    }
    const Gdiplus::RectF& panel = layout.panel;
    Gdiplus::SolidBrush background{Gdiplus::Color(kPanelColour)};
    graphics->FillRectangle(&background, panel);
    const float band = layout.titleHeight + 8;
    Gdiplus::SolidBrush title{Gdiplus::Color(kTitleBandColour)};
    graphics->FillRectangle(&title, panel.X, panel.Y, panel.Width, band);
    Gdiplus::SolidBrush body{Gdiplus::Color(kBodyColour)};
    graphics->FillRectangle(&body, panel.X, panel.Y + band, panel.Width, panel.Height - band);
    Gdiplus::Pen line(Gdiplus::Color(kLineColour), 2.0f);
    graphics->DrawLine(&line, panel.X + 2, panel.Y + band, panel.GetRight() - 4, panel.Y + band);
    Gdiplus::Pen border(Gdiplus::Color(kLineColour), 1.0f);
    graphics->DrawRectangle(&border, panel.X + 1, panel.Y + 1, panel.Width - 2, panel.Height - 2);

    Gdiplus::SolidBrush white{Gdiplus::Color(kWhite)};
    if (drawTitle) {
        graphics->DrawString(layout.title.c_str(), static_cast<INT>(layout.title.size()), overlayFontLarge.get(),
                             Gdiplus::RectF(panel.X + 8, panel.Y + 8, layout.work.Width, layout.work.Height), nullptr,
                             &white);
    }
    const Gdiplus::Font* detail = overlayFontSmall.get();
    graphics->DrawString(kBodyLabels, -1, detail, Gdiplus::PointF(layout.body.X, layout.body.Y), &white);
    graphics->DrawString(layout.values.c_str(), static_cast<INT>(layout.values.size()), detail,
                         Gdiplus::PointF(layout.body.X + kValueColumn, layout.body.Y), &white);
    graphics->DrawString(layout.block.c_str(), static_cast<INT>(layout.block.size()), detail,
                         Gdiplus::PointF(layout.body.X, layout.blockTop), &white);
    const std::wstring stars = StarText(record->star_count);
    if (!stars.empty()) {
        Gdiplus::RectF label;
        graphics->MeasureString(kStarLabel, -1, detail, Gdiplus::PointF(0, 0), &label);
        Gdiplus::SolidBrush yellow{Gdiplus::Color(kStarColour)};
        graphics->DrawString(stars.c_str(), static_cast<INT>(stars.size()), detail,
                             Gdiplus::PointF(layout.body.X + label.Width, layout.blockTop), &yellow);
    }
    if (host_) host_->SetStatusText(0, record->category + L"/" + record->sub_category + L"/" + record->content_name);
}

bool MovieListWindow_CL::LayoutDetailPanel(const RECT* area, int32_t index, std::wstring* text, Gdiplus::RectF* box)
{
    if (index < 0 || static_cast<uint32_t>(index) >= GetItemCount()) return false;
    const ItemMovieData_CL* record = gridListener.Record(static_cast<uint32_t>(index));
    if (!record) return false;
    Gdiplus::Bitmap scratch(4, 4, PixelFormat32bppPARGB);
    Gdiplus::Graphics graphics(&scratch);
    const uint32_t first = HitTest(area->left, area->top);
    const uint32_t last = HitTest(area->left, area->bottom);
    const bool upperHalf = static_cast<int64_t>(index) < static_cast<int64_t>(first) + (static_cast<int64_t>(last) - first) / 2;
    PanelLayout layout;
    if (!LayoutPanel(&graphics, area, *record, upperHalf, overlayFontLarge.get(), overlayFontSmall.get(), 0, &layout))
        return false;
    *text = record->content_name;
    *box = Gdiplus::RectF(layout.panel.X + 8, layout.panel.Y + 8, layout.work.Width, layout.work.Height);
    return true;
}

void MovieListWindow_CL::DrawFontSizeOverlay(Gdiplus::Graphics* graphics, const RECT* client)
{
    std::unique_ptr<Gdiplus::Font> font = CreateViewFont(L"ＭＳ ゴシック", 56.0f, Gdiplus::FontStyleBold);
    if (!font) return;
    const std::wstring text = std::to_wstring(fontOverlayLevel);
    Gdiplus::StringFormat format;
    format.SetAlignment(Gdiplus::StringAlignmentCenter);
    format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    Gdiplus::RectF measured;
    graphics->MeasureString(text.c_str(), static_cast<INT>(text.size()), font.get(), Gdiplus::PointF(0, 0), &format,
                            &measured);
    const float w = measured.Width, h = measured.Height;
    const Gdiplus::RectF box(static_cast<float>(client->left + client->right) / 2 - (w / 2 + 28),
                             static_cast<float>(client->top + client->bottom) / 2 - (h / 2 + 18), w + 56, h + 36);
    Gdiplus::SolidBrush fill{Gdiplus::Color(0xB4000000)};
    graphics->FillRectangle(&fill, box);
    Gdiplus::Pen pen(Gdiplus::Color(0xDCFFFFFF), 2.0f);
    graphics->DrawRectangle(&pen, box);
    Gdiplus::SolidBrush white{Gdiplus::Color(kWhite)};
    graphics->DrawString(text.c_str(), static_cast<INT>(text.size()), font.get(), box, &format, &white);
}
