#include "ui/views/MovieListWindow.h"

#include <algorithm>

#include "core/album/SaveData.h"
#include "core/base/Log.h"
#include "core/ipc/Kiln_RequestDecodePriorityRequest.h"
#include "core/ipc/PipeClient.h"
#include "core/ipc/StillforgeRequest.h"
#include "ui/views/CategoryListWindow.h"
#include "ui/views/MovieFieldText.h"
#include "ui/views/ViewFont.h"
#include "ui/views/ViewHost.h"

namespace {

constexpr int kMinFontLevel = 1;
constexpr int kMaxFontLevel = 10;
constexpr wchar_t kDispSetting[] = L"DISP_SETTING";

}  // namespace

// --- the listener -------------------------------------------------------------------

MovieListWindow_CL::DecodeRequestListener_CL::DecodeRequestListener_CL(MovieListWindow_CL* owner,
                                                                      SaveData_CL* albumData)
    : DecodeRequestListenerTemplate_CL(10, 256, 144), albumData(albumData), owner_(owner)
{
    ownerView = owner;
    cache.SetByteBudget(kDefaultStripCacheBytes);
}

void MovieListWindow_CL::DecodeRequestListener_CL::ClearItems()
{
    shownRecords = nullptr;
    shownIndices.clear();
}

void MovieListWindow_CL::DecodeRequestListener_CL::AttachItems()
{
    shownRecords = pendingRecords;
    shownIndices = pendingIndices;
}

ItemMovieData_CL* MovieListWindow_CL::DecodeRequestListener_CL::Record(uint32_t index) const
{
    if (!shownRecords || index >= shownIndices.size()) return nullptr;
    const int32_t position = shownIndices[index];
    if (position < 0 || static_cast<size_t>(position) >= shownRecords->size()) return nullptr;
    return &(*shownRecords)[static_cast<size_t>(position)];
}

std::wstring MovieListWindow_CL::DecodeRequestListener_CL::SortText(const ItemMovieData_CL& record,
                                                                    bool withDuration) const
{
    const int tab = albumData ? albumData->disp_setting.selected_sort_tab : 0;
    switch (tab) {
    case kSortPlayDate: return L"ファイル再生日時( " + FormatDateTime(record.play_date_time, 0) + L" )";
    case kSortFileTime: return L"ファイル更新日時( " + FormatDateTime(record.file_time, 0) + L" )";
    case kSortAddDate: return L"ファイル登録日時( " + FormatDateTime(record.add_date, 0) + L" )";
    case kSortPlayCount: return L"再生回数( " + PadNumber(record.play_count, 4) + L"回 )";
    case kSortStars: return L"星[" + PaddedStarText(record.star_count) + L"]";
    case kSortFileSize: return L"ファイルサイズ( " + FormatMegabytes(record.file_size, 6) + L"MB )";
    case kSortLength:
        if (withDuration) return L"収録時間( " + FormatDuration(record.last_play_frame) + L" )";
        return std::wstring();
    default: return std::wstring();
    }
}

const wchar_t* MovieListWindow_CL::DecodeRequestListener_CL::GetItemLabel(uint32_t index)
{
    text_.clear();
    ItemMovieData_CL* record = Record(index);
    if (!record) return text_.c_str();
    record->star_count = std::min(record->star_count, kMaxStars);
    text_ = record->content_name;
    return text_.c_str();
}

const wchar_t* MovieListWindow_CL::DecodeRequestListener_CL::GetItemDetail(uint32_t index)
{
    text_.clear();
    ItemMovieData_CL* record = Record(index);
    if (!record) return text_.c_str();
    record->star_count = std::min(record->star_count, kMaxStars);
    text_ = record->content_name + L"\r\n\r\n☆［" + PaddedStarText(record->star_count) + L"］　再生回数( " +
            PadNumber(record->play_count, 4) + L"回 )　ファイルサイズ( " + FormatMegabytes(record->file_size, 6) +
            L"MB )　" + SortText(*record, false);
    return text_.c_str();
}

void MovieListWindow_CL::DecodeRequestListener_CL::GetMoviePath(std::wstring* out, uint32_t index)
{
    const ItemMovieData_CL* record = Record(index);
    *out = record ? record->link_name : std::wstring();
}

uint32_t MovieListWindow_CL::DecodeRequestListener_CL::GetFavoriteFrameCount(uint32_t index)
{
    const ItemMovieData_CL* record = Record(index);
    return record ? static_cast<uint32_t>(record->favorites_frames.size()) : 0;
}

int64_t MovieListWindow_CL::DecodeRequestListener_CL::GetFavoriteFramePosition(uint32_t index, uint32_t j)
{
    const ItemMovieData_CL* record = Record(index);
    if (!record || j >= record->favorites_frames.size()) return -1;
    return record->favorites_frames[j].fav;
}

void MovieListWindow_CL::DecodeRequestListener_CL::GetThumbnailPath(std::wstring* out, uint32_t index)
{
    const ItemMovieData_CL* record = Record(index);
    *out = record ? record->GetThumbnailPath() : std::wstring();
}

void MovieListWindow_CL::DecodeRequestListener_CL::DeleteThumbnail(uint32_t index)
{
    DropCachedBitmap(index);
    std::wstring path;
    GetThumbnailPath(&path, index);
    if (!path.empty()) DeleteFileW(path.c_str());
}

void MovieListWindow_CL::DecodeRequestListener_CL::DropCachedBitmap(uint32_t index)
{
    cache.Remove(this, index);
}

// --- the window ---------------------------------------------------------------------

MovieListWindow_CL::MovieListWindow_CL(SaveData_CL* albumData, ViewHost_IF* host)
    : gridListener(this, albumData), albumData(albumData), host_(host)
{
    regularFont = CreateViewFont(L"MS UI Gothic", 12.0f, Gdiplus::FontStyleRegular);
    boldFont = CreateViewFont(L"MS UI Gothic", 12.0f, Gdiplus::FontStyleBold);
    toolTipText = L"MovieList!!";
    useFramesShown = 1;
    SetGaps(4, 4);
    listener = &gridListener;
}

MovieListWindow_CL::~MovieListWindow_CL()
{
    ReleaseRenderResources();
}

Gdiplus::PixelFormat MovieListWindow_CL::GetBackBufferPixelFormat()
{
    return UseDirect2D() ? PixelFormat32bppPARGB : PixelFormat24bppRGB;
}

void MovieListWindow_CL::RecalcLayout()
{
    PictureListBase_CL::RecalcLayout();
    ReleaseStagingBitmap();
    if (UseDirect2D()) ReleaseRenderResources();
}

bool MovieListWindow_CL::IsScrolling() const
{
    return scrollFlag != 0 && GetTickCount() - scrollTick < kTimerPeriod;
}

int32_t& MovieListWindow_CL::HoverSlot(int which)
{
    return albumData ? albumData->disp_setting.grid_indices[which] : hoverFallback_[which];
}

int32_t MovieListWindow_CL::HoveredFrameIndex() const
{
    return albumData ? albumData->disp_setting.grid_indices[1] : hoverFallback_[1];
}

int32_t MovieListWindow_CL::HoveredTagIndex() const
{
    return albumData ? albumData->disp_setting.grid_indices[2] : hoverFallback_[2];
}

void MovieListWindow_CL::MarkScrolling(HWND window)
{
    scrollFlag = 1;
    scrollTick = GetTickCount();
    KillTimer(window, kScrollTimer);
    SetTimer(window, kScrollTimer, kTimerPeriod, nullptr);
}

LRESULT MovieListWindow_CL::HandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    handled = 1;
    switch (msg) {
    case WM_DESTROY:
        KillTimer(window, kFontOverlayTimer);
        KillTimer(window, kScrollTimer);
        scrollFlag = 0;
        scrollTick = 0;
        ReleaseRenderResources();
        break;
    case WM_HSCROLL:
    case WM_VSCROLL: MarkScrolling(window); break;
    case WM_MOUSEWHEEL:
        if (Keys().AsyncKeyState(VK_CONTROL) & 0x8000) {
            // The wheel with Ctrl sizes the font; it never scrolls.
            OnCtrlWheel(window, static_cast<short>(HIWORD(wParam)));
            return 0;
        }
        MarkScrolling(window);
        break;
    case WM_TIMER:
        if (wParam == kFontOverlayTimer) {
            KillTimer(window, kFontOverlayTimer);
            fontOverlayFlag = 0;
            InvalidateRect(window, nullptr, FALSE);
            return 0;
        }
        if (wParam == kScrollTimer) {
            KillTimer(window, kScrollTimer);
            scrollFlag = 0;
            scrollTick = 0;
            if (IsWindow(window)) InvalidateRect(window, nullptr, FALSE);
            return 0;
        }
        break;
    case WM_DPICHANGED:
        ReleaseRenderResources();
        InvalidateRect(window, nullptr, TRUE);
        break;
    case WM_CHAR:
        // Ctrl+digit arrives as a control character: it rates nothing.
        if (!(Keys().AsyncKeyState(VK_CONTROL) & 0x8000)) OnChar(wParam);
        break;
    default: break;
    }
    return MovieListView_CL::HandleMessage(window, msg, wParam, lParam);
}

void MovieListWindow_CL::OnCtrlWheel(HWND window, int delta)
{
    if (delta == 0 || !albumData || !host_) return;
    DispSettingData_CL& settings = albumData->disp_setting;
    const int current = std::min(std::max(settings.ui_font_size_level, kMinFontLevel), kMaxFontLevel);
    const int level = std::min(std::max(current + (delta > 0 ? 1 : -1), kMinFontLevel), kMaxFontLevel);
    if (level != settings.ui_font_size_level) {
        settings.ui_font_size_level = level;
        albumData->album_ini.WriteInt(level, kDispSetting, L"ui_font_size_level");
        host_->ApplyUiFontSize();
        const int size = std::min(std::max(settings.thumbnail_size_index, 0), 2);
        const int fontHeight = settings.GetUiFontHeight();
        SetThumbnailLayoutForFont(settings.frame_sizes[size][0], settings.frame_sizes[size][1],
                                  settings.thumbnail_count, 0, fontHeight, 0);
        RequestRefresh();
        if (hwnd) InvalidateRect(hwnd, nullptr, TRUE);
        if (CategoryListWindow_CL* tiles = host_->GetCategoryListWindow()) {
            tiles->SetThumbnailLayoutForFont(0, 0, 0, 0, fontHeight, 0);
            tiles->RequestRefresh();
            tiles->Repaint(TRUE);
        }
    }
    fontOverlayLevel = settings.ui_font_size_level;
    fontOverlayFlag = 1;
    KillTimer(window, kFontOverlayTimer);
    SetTimer(window, kFontOverlayTimer, kTimerPeriod, nullptr);
    if (hwnd) InvalidateRect(hwnd, nullptr, FALSE);
}

template <typename Apply>
void MovieListWindow_CL::WalkSelected(Apply apply)
{
    if (!albumData) return;
    const ItemMovieView_CL& list = albumData->disp_setting.movie_view;
    const int32_t focus = GetFocusIndex();
    uint32_t selected = GetSelectedCount();
    if (focus < 0 || !list.records || selected == 0) return;
    const auto walk = [&](size_t start) {
        for (size_t i = start; i < list.size() && selected > 0; ++i) {
            if (IsSelected(static_cast<uint32_t>(i)) != 1) continue;
            const int32_t record = list.indices[i];
            if (record >= 0 && static_cast<size_t>(record) < list.records->size()) apply((*list.records)[record]);
            --selected;
        }
    };
    const bool single = selected == 1;
    walk(single ? static_cast<size_t>(focus) : 0);
    // The one selected movie may lie before the focus (a Ctrl+click elsewhere).
    if (single && selected == 1 && focus > 0) walk(0);
}

void MovieListWindow_CL::OnChar(WPARAM key)
{
    if (!albumData) return;
    if (key >= '0' && key <= '5' && GetFocusIndex() != -1) {
        const uint32_t stars = static_cast<uint32_t>(key - '0');
        WalkSelected([stars](ItemMovieData_CL& record) { record.star_count = stars; });
        if (hwnd) InvalidateRect(hwnd, nullptr, FALSE);
        if (host_) host_->PlayCompleteBeep(1);
    }

    const ItemCategoryData_CL* category = nullptr;
    for (const ItemCategoryData_CL& record : albumData->category_list.records) {
        if (record.short_cut_key != 0 && static_cast<WPARAM>(record.short_cut_key) == key) {
            category = &record;
            break;
        }
    }
    if (!category || GetFocusIndex() == -1) return;
    WalkSelected([category](ItemMovieData_CL& record) {
        record.category = category->category;
        record.sub_category = category->sub_category;
        record.UpdateCategoryHash();
    });
    SelectAll(0);
    focusIndex = -1;
    rangeEnd = -1;
    if (!host_) return;
    host_->RebuildCategoryTabs();
    host_->RefreshMovieList();
    if (CategoryListWindow_CL* tiles = host_->GetCategoryListWindow()) tiles->Repaint(FALSE);
    host_->PlayCompleteBeep(1);
}

void MovieListWindow_CL::SendPriorityRequest()
{
    if (missingThumbnails.empty()) return;
    Kiln_RequestDecodePriorityRequest_CL request;
    for (auto it = missingThumbnails.rbegin(); it != missingThumbnails.rend(); ++it) {
        if (pendingState != 0 || !listener) continue;
        const ItemMovieData_CL* record = gridListener.Record(*it >> 8);
        if (record) request.keys.push_back(record->decode_key);
    }
    // Each request rewrites the maker's queue file: the one it already has is not sent again.
    if (request.keys.empty() || request.keys == lastPriorityKeys_) return;
    if (SUCCEEDED(PipeClient_CL::SendOnce(GetThumbnailMakerPipeName(), request))) lastPriorityKeys_ = request.keys;
}

void MovieListWindow_CL::OnThumbnailChanged(uint32_t decodeKey)
{
    if (std::find(visibleKeys.begin(), visibleKeys.end(), decodeKey) == visibleKeys.end()) return;
    const uint32_t count = gridListener.GetItemCount();
    for (uint32_t i = 0; i < count; ++i) {
        const ItemMovieData_CL* record = gridListener.Record(i);
        if (!record || record->decode_key != decodeKey) continue;
        gridListener.ClearBitmaps();
        RECT cell = {};
        if (hwnd && GetItemRect(i, &cell)) {
            InvalidateRect(hwnd, &cell, FALSE);
        } else {
            Invalidate();
        }
        return;
    }
    Invalidate();
}
