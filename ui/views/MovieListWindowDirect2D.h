#pragma once
// The movie grid's Direct2D and DirectWrite objects. Made lazily by the paints, released by
// MovieListWindow_CL::ReleaseRenderResources (the staging bitmap apart: the layout drops it).
#include <windows.h>
#include <d2d1.h>
#include <dwrite.h>
#include <gdiplus.h>
#include <wrl/client.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "ui/views/D2DSupport.h"
#include "ui/views/MovieListWindow.h"
#include "ui/views/RetainedFrame.h"

struct MovieListWindow_CL::Direct2DResources {
    Microsoft::WRL::ComPtr<ID2D1Factory> factory;
    Microsoft::WRL::ComPtr<ID2D1HwndRenderTarget> renderTarget;
    int32_t targetWidth = 0;
    int32_t targetHeight = 0;
    D2DBitmapCacheEntry frameEntry;
    D2DScratchSurface scratch;
    Microsoft::WRL::ComPtr<IDWriteFactory> dwriteFactory;
    Microsoft::WRL::ComPtr<IDWriteTextFormat> regularFormat;    // "MS UI Gothic" 12: stars
    Microsoft::WRL::ComPtr<IDWriteTextFormat> boldFormat;       // "MS UI Gothic" 12 bold: labels, chips
    Microsoft::WRL::ComPtr<IDWriteTextFormat> largeBoldFormat;  // "MS UI Gothic" 16 bold: missing file
    Microsoft::WRL::ComPtr<IDWriteTextFormat> labelEmojiFormat;    // cell titles
    Microsoft::WRL::ComPtr<IDWriteTextFormat> captionEmojiFormat;  // the detail panel's title
    float labelEmojiSize = -1.0f;
    float captionEmojiSize = -1.0f;
    Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> whiteBrush;
    Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> yellowBrush;
    Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> redBrush;
    Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> greyBrush;
    // The target the brushes and the scratch bitmap belong to: a pass on another target (a
    // test's bitmap target) makes its own.
    ID2D1RenderTarget* deviceTarget = nullptr;
    // The target and the measuring surface of the pass under way; null outside RenderAll.
    ID2D1RenderTarget* drawing = nullptr;
    Gdiplus::Graphics* measuring = nullptr;
    // Direct2D copies of the strips the grid keeps, by the strip's serial number; the least
    // recently drawn go once there are more than the screen needs.
    struct StripCopy {
        uint64_t serial;
        Microsoft::WRL::ComPtr<ID2D1Bitmap> bitmap;
        uint64_t lastPass;
    };
    std::vector<StripCopy> stripCopies;
    uint64_t passes = 0;
    // The cells' rounded background at the origin, drawn moved to each cell: renderers that
    // triangulate a shape when it is made do it once, not for every cell.
    Microsoft::WRL::ComPtr<ID2D1RoundedRectangleGeometry> cellShape;
    float cellShapeWidth = 0;
    float cellShapeHeight = 0;
    // Pictures of the cells drawn, each with what it shows: an unchanged cell is one bitmap
    // draw instead of some fifteen draw calls and text layouts, which cost much where
    // Direct2D runs in software. Kept like the strip copies.
    struct CellBitmap {
        uint32_t index;
        CellPictureKey key;
        Microsoft::WRL::ComPtr<ID2D1Bitmap> bitmap;
        uint64_t lastPass;
    };
    std::vector<CellBitmap> cellBitmaps;
    // While a cell is drawn into its own bitmap: that bitmap's target (the texts go there),
    // and the move from the window's coordinates to the bitmap's.
    ID2D1RenderTarget* cellSurface = nullptr;
    D2D1_MATRIX_3X2_F cellOrigin = D2D1::Matrix3x2F::Identity();
    // One brush whose colour is set for each use, for the colours that have no brush of their own.
    Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> colourBrush;
    // GDI+ pictures copied into Direct2D bitmaps for the frames, since the window was made
    // (a figure for the benchmark).
    uint64_t frameCopies = 0;
    // What the window's target shows after its last complete pass.
    RetainedFrame_CL retained;
    // Client-sized: its graphics measures and lays the cells out.
    std::unique_ptr<Gdiplus::Bitmap> staging;

    // Every object above but the staging bitmap.
    void ReleaseDevice();
    // The objects made on the device of a target: brushes, strip copies, scratch bitmaps.
    void ReleaseDeviceBound();
};
