#pragma once
// The picture list of movies: each cell is a strip of frames from one thumbnail image on a
// rounded background that tells the cell's state, with its label under the frames. The
// items come from a listener; the concrete views (the movie grid, the category tiles) say
// where the listener finds them.
#include <windows.h>
#include <gdiplus.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/media/MovieBitmapChcheBase.h"
#include "ui/views/PictureListBase.h"

class MovieListView_CL : public PictureListBase_CL {
public:
    // The item source of a movie view.
    class DecodeRequestListener_IF {
    public:
        virtual void ItemAdded(uint32_t value, uint32_t zero) = 0;
        // An empty strip the caller owns.
        virtual Gdiplus::Bitmap* CreateStripBitmap() = 0;
        virtual void PutBitmap(uint32_t index, Gdiplus::Image* bitmap) = 0;
        virtual Gdiplus::Image* FindBitmap(uint32_t index) = 0;
        // The item's thumbnail file, or null; the caller owns it.
        virtual Gdiplus::Image* LoadThumbnail(uint32_t index) = 0;
        virtual void SaveThumbnailFile(uint32_t index) = 0;
        virtual void ClearBitmaps() = 0;
        virtual void ClearItems() = 0;
        virtual void AttachItems() = 0;
        virtual uint32_t GetItemCount() = 0;
        virtual const wchar_t* GetItemLabel(uint32_t index) = 0;
        virtual const wchar_t* GetItemDetail(uint32_t index) = 0;
        virtual void GetMoviePath(std::wstring* out, uint32_t index) = 0;
        virtual uint32_t GetFavoriteFrameCount(uint32_t index) = 0;
        virtual int64_t GetFavoriteFramePosition(uint32_t index, uint32_t j) = 0;
        virtual void GetThumbnailPath(std::wstring* out, uint32_t index) = 0;
        virtual void DeleteThumbnail(uint32_t index) = 0;
        virtual uint32_t GetFramesPerStrip() = 0;
        virtual ~DecodeRequestListener_IF() = default;
    };

    // What every listener does alike: the strip cache, and the thumbnail file of an item.
    class DecodeRequestListenerTemplate_CL : public DecodeRequestListener_IF {
    public:
        static constexpr int kCacheCapacity = 800;
        // Thumbnail files larger than this are not thumbnails: they are not read.
        static constexpr uint64_t kMaxThumbnailFileBytes = 64ull * 1024 * 1024;

        DecodeRequestListenerTemplate_CL(uint32_t framesPerStrip, int32_t frameWidth, int32_t frameHeight)
            : framesPerStrip(framesPerStrip), frameWidth(frameWidth), frameHeight(frameHeight)
        {
        }

        void ItemAdded(uint32_t, uint32_t) override {}
        Gdiplus::Bitmap* CreateStripBitmap() override;
        void PutBitmap(uint32_t index, Gdiplus::Image* bitmap) override;
        Gdiplus::Image* FindBitmap(uint32_t index) override;
        // The file is read into memory first: the image does not hold the file open, so the
        // thumbnail maker can replace a strip while it is shown.
        Gdiplus::Image* LoadThumbnail(uint32_t index) override;
        void SaveThumbnailFile(uint32_t index) override;
        void ClearBitmaps() override { cache.Clear(); }
        void DeleteThumbnail(uint32_t) override {}
        uint32_t GetFramesPerStrip() override { return framesPerStrip; }

        MovieListView_CL* ownerView = nullptr;
        uint32_t framesPerStrip;
        int32_t frameWidth;
        int32_t frameHeight;
        MovieBitmapChcheBase_CL cache{kCacheCapacity};
    };

    // Cell state colours: normal, selected, cursor, cursor and selected.
    static constexpr Gdiplus::ARGB kBackgroundColours[4] = {0xFF2D2D82, 0xFFD24B19, 0xFF6E6ECD, 0xFFD24100};
    static constexpr Gdiplus::ARGB kTextColours[4] = {0xFFE6E6E6, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
    static constexpr Gdiplus::ARGB kFrameOutlineColour = 0xFFC8C8C8;
    static constexpr Gdiplus::ARGB kHotFrameColour = 0xFFFFFF00;

    MovieListView_CL();
    ~MovieListView_CL() override;

    LRESULT HandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) override;
    void DrawFocusFrame(Gdiplus::Graphics*, const RECT*) override {}
    void FillCellBackground(Gdiplus::Graphics*, const RECT*) override {}
    void DrawCell(Gdiplus::Graphics* graphics, const RECT* cell, uint32_t index) override;
    void PaintAll() override = 0;
    void RequestReload(int value) override;
    void DeleteItemThumbnail(uint32_t index) override;
    std::wstring* GetItemTip(std::wstring* out, uint32_t index) override;
    virtual void ProcessPendingUpdate(WPARAM wParam);
    virtual void DrawDetailOverlay(Gdiplus::Graphics* graphics, const RECT* area, int32_t index) = 0;
    virtual int DrawBackground(Gdiplus::Graphics* graphics, const RECT* cell, uint32_t index, Gdiplus::ARGB colour);

    void SetThumbnailLayout(int frameWidth, int frameHeight, int frameCount, int, int labelFontSize, int);
    // The same with the bottom text margin made to hold the label font: max(4s + 12, 64).
    void SetThumbnailLayoutForFont(int frameWidth, int frameHeight, int frameCount, int, int labelFontSize, int);
    int RequestRefresh();
    // 0 normal, 1 selected, 2 cursor, 3 cursor and selected.
    int CellState(uint32_t index);

    std::unique_ptr<Gdiplus::Font> labelFont;
    std::unique_ptr<Gdiplus::Font> overlayFontLarge;
    std::unique_ptr<Gdiplus::Font> overlayFontSmall;
    DecodeRequestListener_IF* listener = nullptr;
    std::vector<uint32_t> missingThumbnails;
    int32_t updatePending = 0;
    int32_t pendingState = 0;
    int32_t interactionFlag = 0;
    int32_t frameCount = 5;
    RECT cellMargins = {4, 4, 4, 64};
    RECT innerMargins = {2, 2, 2, 2};
    std::vector<int32_t> framesShown;
    int32_t useFramesShown = 0;
};
