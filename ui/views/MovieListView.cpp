#include "ui/views/MovieListView.h"

#include <objidl.h>
#include <shlwapi.h>

#include <algorithm>

#include "core/base/Log.h"
#include "core/base/ThreadMessages.h"
#include "ui/views/ViewFont.h"

namespace {

// The order in which frames join a cell as the frame count grows: the first ones spread
// over the whole strip.
constexpr int32_t kFrameOrder[10] = {1, 8, 4, 5, 2, 7, 3, 6, 0, 9};

// Strip frames are 256 pixels wide; a 192-pixel-wide picture is an old 4:3 strip.
constexpr INT kStripFrameWidth = 256;
constexpr INT kOldStripWidth = 192;

bool FileExists(const std::wstring& path)
{
    return !path.empty() && PathFileExistsW(path.c_str());
}

// The whole file in a movable global block, or null. Bounded: a file past `limit` is no
// thumbnail and is not read.
HGLOBAL ReadFileToGlobal(const std::wstring& path, uint64_t limit)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    HGLOBAL memory = nullptr;
    LARGE_INTEGER size = {};
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && static_cast<uint64_t>(size.QuadPart) <= limit) {
        const DWORD bytes = static_cast<DWORD>(size.QuadPart);
        memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
        void* data = memory ? GlobalLock(memory) : nullptr;
        DWORD read = 0;
        const BOOL ok = data && ReadFile(file, data, bytes, &read, nullptr) && read == bytes;
        if (data) GlobalUnlock(memory);
        if (!ok && memory) {
            GlobalFree(memory);
            memory = nullptr;
        }
    }
    CloseHandle(file);
    return memory;
}

}  // namespace

Gdiplus::Bitmap* MovieListView_CL::DecodeRequestListenerTemplate_CL::CreateStripBitmap()
{
    // RGB555: RGB565 drawn through a DC comes out colour-shifted on some systems.
    auto* strip = new Gdiplus::Bitmap(frameWidth * static_cast<INT>(framesPerStrip), frameHeight, PixelFormat16bppRGB555);
    if (strip->GetLastStatus() != Gdiplus::Ok) {
        delete strip;
        return nullptr;
    }
    return strip;
}

void MovieListView_CL::DecodeRequestListenerTemplate_CL::PutBitmap(uint32_t index, Gdiplus::Image* bitmap)
{
    cache.Put(this, index, bitmap);
}

Gdiplus::Image* MovieListView_CL::DecodeRequestListenerTemplate_CL::FindBitmap(uint32_t index)
{
    return cache.Find(this, index);
}

Gdiplus::Image* MovieListView_CL::DecodeRequestListenerTemplate_CL::LoadThumbnail(uint32_t index)
{
    std::wstring path;
    GetThumbnailPath(&path, index);
    if (!FileExists(path)) return nullptr;
    HGLOBAL memory = ReadFileToGlobal(path, kMaxThumbnailFileBytes);
    if (!memory) return nullptr;
    IStream* stream = nullptr;
    // The stream owns the block from here; the image keeps its own reference to the stream.
    if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
        GlobalFree(memory);
        return nullptr;
    }
    auto* image = new Gdiplus::Bitmap(stream);
    stream->Release();
    if (image->GetLastStatus() != Gdiplus::Ok) {
        delete image;
        return nullptr;
    }
    return image;
}

void MovieListView_CL::DecodeRequestListenerTemplate_CL::SaveThumbnailFile(uint32_t index)
{
    std::wstring path;
    GetThumbnailPath(&path, index);
    if (path.empty() || FileExists(path)) return;
    auto* strip = dynamic_cast<Gdiplus::Bitmap*>(FindBitmap(index));
    if (!strip) return;
    HBITMAP bitmap = nullptr;
    if (strip->GetHBITMAP(Gdiplus::Color(0xFF000000), &bitmap) != Gdiplus::Ok || !bitmap) return;
    if (!SaveBitmapAsJpeg(path.c_str(), bitmap)) WriteLog(AppLog, L"thumbnail not saved: %s", path.c_str());
    DeleteObject(bitmap);
}

MovieListView_CL::MovieListView_CL() : PictureListBase_CL(kControlMoviePictureList)
{
    labelFont = CreateViewFont(L"MS UI Gothic", 16.0f, Gdiplus::FontStyleBold);
    overlayFontLarge = CreateViewFont(L"MS UI Gothic", 16.0f, Gdiplus::FontStyleBold);
    overlayFontSmall = CreateViewFont(L"ＭＳゴシック", 10.0f, Gdiplus::FontStyleBold);
}

MovieListView_CL::~MovieListView_CL() = default;

void MovieListView_CL::SetThumbnailLayout(int frameWidth, int frameHeight, int count, int, int labelFontSize, int)
{
    labelFont = CreateViewFont(L"ＭＳゴシック", static_cast<float>(labelFontSize), Gdiplus::FontStyleBold);
    frameCount = std::min(std::max(count, 1), 10);
    framesShown.assign(kFrameOrder, kFrameOrder + frameCount);
    std::sort(framesShown.begin(), framesShown.end());
    pictureWidth = frameWidth;
    pictureHeight = frameHeight;
    cellWidth = (frameWidth + horizontalGap) * frameCount - horizontalGap + cellMargins.left + cellMargins.right +
                innerMargins.left + innerMargins.right;
    cellHeight = frameHeight + cellMargins.top + cellMargins.bottom + innerMargins.top + innerMargins.bottom;
    verticalBar.lineStep = cellHeight;
    horizontalBar.lineStep = frameWidth + horizontalGap;
    layoutMode = 2;
}

void MovieListView_CL::SetThumbnailLayoutForFont(int frameWidth, int frameHeight, int count, int, int labelFontSize,
                                                 int)
{
    cellMargins.bottom = std::max(labelFontSize * 4 + 12, 64);
    SetThumbnailLayout(frameWidth, frameHeight, count, 0, labelFontSize, 0);
}

int MovieListView_CL::RequestRefresh()
{
    updatePending = 1;
    pendingState = 1;
    if (hwnd) PostMessageW(hwnd, WM_LIST_REFRESH, static_cast<WPARAM>(-1), 0);
    return 0;
}

void MovieListView_CL::RequestReload(int value)
{
    pendingReloadValue = value;
    if (hwnd) PostMessageW(hwnd, WM_LIST_REFRESH, static_cast<WPARAM>(-1), 0);
}

void MovieListView_CL::DeleteItemThumbnail(uint32_t index)
{
    if (listener) listener->DeleteThumbnail(index);
}

std::wstring* MovieListView_CL::GetItemTip(std::wstring* out, uint32_t index)
{
    out->clear();
    if (index >= GetItemCount() || !listener) return out;
    const wchar_t* label = listener->GetItemLabel(index);
    std::wstring path;
    listener->GetMoviePath(&path, index);
    *out = std::wstring(label ? label : L"") + L"\r\n" + path;
    return out;
}

void MovieListView_CL::ProcessPendingUpdate(WPARAM wParam)
{
    if (wParam != static_cast<WPARAM>(-1)) return;
    updatePending = 0;
    if (listener) listener->AttachItems();
    if (pendingState != 0 && listener) {
        listener->ClearBitmaps();
        const uint32_t n = listener->GetItemCount();
        SetItemCount(n);
        RecalcLayout();
        for (uint32_t i = 0; i < GetItemCount(); ++i) listener->ItemAdded(i << 8, 0);
        UpdateVisibleCells();
    }
    pendingState = 0;
    Invalidate();
}

int MovieListView_CL::CellState(uint32_t index)
{
    const int cursor = static_cast<int32_t>(index) == cursorIndex ? 2 : 0;
    return cursor | (SetSelect(index, 3) ? 1 : 0);
}

int MovieListView_CL::DrawBackground(Gdiplus::Graphics* graphics, const RECT* cell, uint32_t index, Gdiplus::ARGB colour)
{
    Gdiplus::SolidBrush brush{Gdiplus::Color(colour)};
    const Gdiplus::RectF rect(static_cast<Gdiplus::REAL>(cell->left + innerMargins.left),
                              static_cast<Gdiplus::REAL>(cell->top + innerMargins.top),
                              static_cast<Gdiplus::REAL>(cell->right - cell->left - innerMargins.left - innerMargins.right),
                              static_cast<Gdiplus::REAL>(cell->bottom - cell->top - innerMargins.top - innerMargins.bottom));
    DrawRoundedRectangle(graphics, &brush, rect);
    return CellState(index);
}

void MovieListView_CL::DrawCell(Gdiplus::Graphics* graphics, const RECT* cell, uint32_t index)
{
    if (updatePending == 1 || index >= GetItemCount()) return;
    const int state = DrawBackground(graphics, cell, index, kBackgroundColours[CellState(index)]);

    const bool known = listener && index < listener->GetItemCount();
    Gdiplus::Image* picture = listener ? listener->FindBitmap(index) : nullptr;
    std::unique_ptr<Gdiplus::Image> loaded;
    if (!picture && known) {
        loaded.reset(listener->LoadThumbnail(index));
        picture = loaded.get();
    }
    const bool oldStrip = picture && picture->GetWidth() == static_cast<UINT>(kOldStripWidth);
    Gdiplus::Pen outline(Gdiplus::Color(kFrameOutlineColour), 1.0f);
    Gdiplus::Pen hot(Gdiplus::Color(kHotFrameColour), 4.0f);
    for (int k = 0; k < frameCount; ++k) {
        const INT x = cell->left + cellMargins.left + innerMargins.left + k * (pictureWidth + horizontalGap);
        const INT y = cell->top + cellMargins.top + innerMargins.top;
        const INT f = useFramesShown == 1 && k < static_cast<int>(framesShown.size()) ? framesShown[k] : 0;
        if (picture && oldStrip) {
            graphics->SetClip(Gdiplus::Rect(x, y, pictureWidth, pictureHeight));
            graphics->DrawImage(picture, Gdiplus::Rect(x, y - 24, pictureWidth, kOldStripWidth), f * kOldStripWidth, 0,
                                kOldStripWidth, pictureHeight, Gdiplus::UnitPixel);
            graphics->ResetClip();
        } else if (picture) {
            graphics->DrawImage(picture, Gdiplus::Rect(x, y, pictureWidth, pictureHeight), f * kStripFrameWidth, 0,
                                kStripFrameWidth, pictureHeight, Gdiplus::UnitPixel);
        }
        const bool underMouse = lastMousePoint.x >= x && lastMousePoint.x < x + pictureWidth &&
                                lastMousePoint.y >= y && lastMousePoint.y < y + pictureHeight;
        if (underMouse) {
            graphics->DrawRectangle(&hot, x, y, pictureWidth, pictureHeight);
            hotIndex = k;
        } else {
            graphics->DrawRectangle(&outline, x, y, pictureWidth, pictureHeight);
        }
    }
    if (!picture) missingThumbnails.push_back(index << 8);

    if (!labelFont) return;
    const wchar_t* label = known ? listener->GetItemLabel(index) : L"";
    const int top = pictureHeight + verticalGap + cellMargins.top + innerMargins.top;
    const Gdiplus::RectF box(
        static_cast<Gdiplus::REAL>(cell->left + horizontalGap + innerMargins.left),
        static_cast<Gdiplus::REAL>(cell->top - 2 + top),
        static_cast<Gdiplus::REAL>(cell->right - cell->left - 2 * horizontalGap - cellMargins.right - innerMargins.left),
        static_cast<Gdiplus::REAL>(cell->bottom - innerMargins.bottom - cell->top - top));
    Gdiplus::SolidBrush text{Gdiplus::Color(kTextColours[state])};
    graphics->DrawString(label ? label : L"", -1, labelFont.get(), box, nullptr, &text);
}

LRESULT MovieListView_CL::HandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    handled = 1;
    switch (msg) {
    case WM_DESTROY:
    case WM_CLOSE: return 0;
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN: interactionFlag = 1; break;
    case WM_TIMER:
        interactionFlag = 0;
        Invalidate();
        break;
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_MOUSEWHEEL: interactionFlag = 0; break;
    case WM_DROPFILES:
        // Files dropped on a movie view are the parent's to register.
        SendMessageW(GetParent(window), WM_DROPFILES, wParam, lParam);
        break;
    case WM_LIST_REFRESH:
        ProcessPendingUpdate(wParam);
        if (pendingReloadValue != 0) {
            if (listener) {
                SetItemCount(0);
                listener->ClearItems();
            }
            PostMessageW(GetParent(window), WM_LIST_RELOAD, reinterpret_cast<WPARAM>(window), pendingReloadValue);
            pendingReloadValue = 0;
        }
        break;
    default: break;
    }
    return PictureListBase_CL::HandleMessage(window, msg, wParam, lParam);
}
