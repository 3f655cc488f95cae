#pragma once
// The sub-categories of the selected top category as tiles: each tile is the sub-category's
// picture, its name with the number of its items, and a badge with its short-cut key. With
// the album's Direct2D setting on, the back buffer is shown through a Direct2D target and the
// names are drawn with DirectWrite, which shows colour emoji.
#include <windows.h>
#include <d2d1.h>
#include <dwrite.h>
#include <gdiplus.h>
#include <wrl/client.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/album/ItemCategoryData.h"
#include "ui/views/D2DSupport.h"
#include "ui/views/MovieListView.h"

class SaveData_CL;
class ViewHost_IF;

class CategoryListWindow_CL : public MovieListView_CL {
public:
    // The tiles' item source: the album's category records, in the order of the shown view.
    class CategoryDecodeRequestListener_CL : public DecodeRequestListenerTemplate_CL {
    public:
        explicit CategoryDecodeRequestListener_CL(CategoryListWindow_CL* owner);

        void ClearItems() override;
        void AttachItems() override {}
        uint32_t GetItemCount() override { return static_cast<uint32_t>(indexList.size()); }
        const wchar_t* GetItemLabel(uint32_t index) override;
        const wchar_t* GetItemDetail(uint32_t index) override;
        void GetMoviePath(std::wstring* out, uint32_t index) override;
        uint32_t GetFavoriteFrameCount(uint32_t) override { return 1; }
        int64_t GetFavoriteFramePosition(uint32_t, uint32_t) override { return -1; }
        void GetThumbnailPath(std::wstring* out, uint32_t index) override;

        // The record shown at index, or null when there is none.
        const ItemCategoryData_CL* Record(uint32_t index) const;

        std::vector<ItemCategoryData_CL>* records = nullptr;
        std::vector<int32_t> indexList;
        std::wstring detailText;
        std::wstring labelText;

    private:
        CategoryListWindow_CL* owner_;
    };

    static constexpr Gdiplus::ARGB kBadgeColour = 0xFFFF5050;

    // albumData (the program's g_saveData) and host outlive the window.
    CategoryListWindow_CL(SaveData_CL* albumData, ViewHost_IF* host);
    ~CategoryListWindow_CL() override;

    void DrawCell(Gdiplus::Graphics* graphics, const RECT* cell, uint32_t index) override;
    void PaintAll() override;
    void DrawDetailOverlay(Gdiplus::Graphics*, const RECT*, int32_t) override {}
    int UseDirect2D() override;
    void PaintDirect2D(HWND window, const RECT* paintRect) override;
    void RecalcLayout() override;

    void ShowTopCategory(std::wstring topCategory);
    void Repaint(BOOL erase);
    void SetThumbnailLayoutForFont(int, int, int, int, int fontSize, int);
    void ReleaseDirect2D();

    // The DirectWrite factory and the tiles' text format, (re)made when the label font's size
    // changed. S_OK, or a failure with nothing to draw the names with.
    HRESULT EnsureTextFormat();
    // Draws `picture` (the back buffer's copy) at (0, 0) and the tile names over it, clipped
    // to the paint rectangle (the client area when null), on a target between its BeginDraw
    // and EndDraw. The window's paint and the tests' bitmap targets draw through it alike.
    void RenderTiles(ID2D1RenderTarget* target, ID2D1Bitmap* picture, ID2D1SolidColorBrush* brush,
                     const RECT* paintRect);

    SaveData_CL* albumData;
    CategoryDecodeRequestListener_CL categoryListener{this};
    // Set while a paint goes to Direct2D, which draws the labels itself.
    int32_t paintingWithDirect2D = 0;

    Microsoft::WRL::ComPtr<ID2D1Factory> d2dFactory;
    Microsoft::WRL::ComPtr<ID2D1HwndRenderTarget> renderTarget;
    int32_t targetWidth = 0;
    int32_t targetHeight = 0;
    D2DBitmapCacheEntry backBufferBitmap;
    Microsoft::WRL::ComPtr<IDWriteFactory> dwriteFactory;
    Microsoft::WRL::ComPtr<IDWriteTextFormat> textFormat;
    float textFormatSize = -1.0f;
    Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> textBrush;
    EndDrawFunction endDraw = &EndDrawOnTarget;

private:
    void InvalidateToolBar();
    HRESULT EnsureRenderTarget(HWND window, int width, int height);
    ViewHost_IF* host_;
};
