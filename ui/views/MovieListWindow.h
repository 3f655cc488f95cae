#pragma once
// The movie grid: every movie of the current list as one cell with a row of frames from its
// thumbnail strip, its name, its tags, its rating and one information line chosen by the
// sort tab. Digit keys rate the selected movies, a category's short-cut key moves them into
// that category, Ctrl+wheel changes the album's font size, and after every paint the grid
// asks the thumbnail maker to make the strips it lacks first.
#include <windows.h>
#include <d2d1.h>
#include <dwrite.h>
#include <gdiplus.h>
#include <wrl/client.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/album/ItemMovieData.h"
#include "ui/views/CellPictureCache.h"
#include "ui/views/D2DSupport.h"
#include "ui/views/MovieListView.h"

class SaveData_CL;
class ViewHost_IF;

// One laid-out box of a cell: a thumbnail frame or a tag chip.
struct CellBox {
    int32_t id = 0;
    float x = 0;
    float y = 0;
    float width = 0;
    float height = 0;
    Gdiplus::ARGB colour = 0xFF000000;
    std::wstring text;
    int32_t extra = 0;

    bool Contains(float px, float py) const { return x <= px && px < x + width && y <= py && py < y + height; }
};

// Where the parts of the cell being painted go; refilled for every cell.
class MovieCellLayout {
public:
    static constexpr Gdiplus::ARGB kBackgroundColours[4] = {0xFF7878D2, 0xFFFF6432, 0xFF1414C8, 0xFFFF6400};
    static constexpr Gdiplus::ARGB kTitleColours[4] = {0xFFE6E6E6, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
    static constexpr Gdiplus::ARGB kFrameBorderColour = 0xFFC8C8C8;
    static constexpr Gdiplus::ARGB kHoverColour = 0xFFFFFF00;
    static constexpr Gdiplus::ARGB kChipColour = 0xFFFF6464;

    MovieCellLayout();
    ~MovieCellLayout();
    MovieCellLayout(const MovieCellLayout&) = delete;
    MovieCellLayout& operator=(const MovieCellLayout&) = delete;

    // frameWidth x frameHeight and frameCount are the album's thumbnail size and count.
    void Layout(Gdiplus::Graphics* graphics, const Gdiplus::RectF& cell, const ItemMovieData_CL& record,
                int frameWidth, int frameHeight, int frameCount);
    void LayoutTagChips(Gdiplus::Graphics* graphics, const Gdiplus::RectF& cell, const ItemMovieData_CL& record,
                        const Gdiplus::Font* font, float lineHeight);
    // Draws the background, frame borders, chips and title. The number of the frame box and
    // of the chip under the mouse in a selected cell go to hoveredFrame and hoveredTag.
    void DrawBase(Gdiplus::Graphics* graphics, int32_t* hoveredFrame, int32_t* hoveredTag);
    void DrawFrameBorders(Gdiplus::Graphics* graphics, int32_t* hoveredFrame);
    void DrawTagChips(Gdiplus::Graphics* graphics, int32_t* hoveredTag);

    std::vector<CellBox> frameBoxes;
    std::vector<CellBox> tagBoxes;
    Gdiplus::RectF titleRect;
    std::wstring title;
    Gdiplus::RectF innerRect;
    Gdiplus::PointF mousePoint{-10000.0f, -10000.0f};
    uint32_t index = 0;
    int32_t state = 0;  // bit 0 selected, bit 1 cursor cell
    const Gdiplus::Font* labelFont = nullptr;
    // When set, the DC that graphics draws into: the background and the frame borders are
    // then drawn with GDI, which costs a fraction of GDI+'s path and pen work.
    HDC gdiTarget = nullptr;

private:
    void DrawBackgroundAndBorders(HDC dc, Gdiplus::Graphics* graphics, int32_t* hoveredFrame);

    // Made once: GDI+ font creation is slow enough to show when it runs for every cell.
    std::unique_ptr<Gdiplus::Font> measureFont_;  // "MS UI Gothic" 9 pt bold
    std::unique_ptr<Gdiplus::Font> chipFont_;     // "MS UI Gothic" 11 pt bold
    float lineHeight_ = 0;                        // of measureFont_, once measured
};

class MovieListWindow_CL : public MovieListView_CL {
public:
    // Timer ids on the grid's own window.
    static constexpr UINT_PTR kFontOverlayTimer = 0x4D4653;
    static constexpr UINT_PTR kScrollTimer = 0x4D4C53;
    static constexpr UINT kTimerPeriod = 1000;
    // Strips kept by the grid's listener: at most this many bytes of pixels.
    static constexpr uint64_t kDefaultStripCacheBytes = 160ull * 1024 * 1024;
    static constexpr wchar_t kMissingFileText[] = L"\r\n（ＥＲＲＯＲ）\r\n動画ファイルが見つかりませんでした。";

    // The grid's item source: the album's movie records, in the order of the list shown.
    class DecodeRequestListener_CL : public DecodeRequestListenerTemplate_CL {
    public:
        DecodeRequestListener_CL(MovieListWindow_CL* owner, SaveData_CL* albumData);

        void ClearItems() override;
        void AttachItems() override;
        uint32_t GetItemCount() override { return static_cast<uint32_t>(shownIndices.size()); }
        const wchar_t* GetItemLabel(uint32_t index) override;
        const wchar_t* GetItemDetail(uint32_t index) override;
        void GetMoviePath(std::wstring* out, uint32_t index) override;
        uint32_t GetFavoriteFrameCount(uint32_t index) override;
        int64_t GetFavoriteFramePosition(uint32_t index, uint32_t j) override;
        void GetThumbnailPath(std::wstring* out, uint32_t index) override;
        void DeleteThumbnail(uint32_t index) override;
        // Removes the strip of that list index from the cache.
        void DropCachedBitmap(uint32_t index);

        // The record at list index, or null when there is none.
        ItemMovieData_CL* Record(uint32_t index) const;

        std::vector<ItemMovieData_CL>* shownRecords = nullptr;
        std::vector<int32_t> shownIndices;
        // Filled by the host's list rebuild; taken by AttachItems.
        std::vector<ItemMovieData_CL>* pendingRecords = nullptr;
        std::vector<int32_t> pendingIndices;
        SaveData_CL* albumData;

    private:
        // The sort part of the texts, by the album's current sort tab.
        std::wstring SortText(const ItemMovieData_CL& record, bool withDuration) const;

        MovieListWindow_CL* owner_;
        // The texts handed out stay valid until the next text call.
        std::wstring text_;
    };

    // albumData (the program's g_saveData) and host outlive the window.
    MovieListWindow_CL(SaveData_CL* albumData, ViewHost_IF* host);
    ~MovieListWindow_CL() override;

    LRESULT HandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) override;
    Gdiplus::PixelFormat GetBackBufferPixelFormat() override;
    void DrawCell(Gdiplus::Graphics* graphics, const RECT* cell, uint32_t index) override;
    void PaintAll() override;
    std::wstring* GetItemTip(std::wstring* out, uint32_t index) override;
    void RecalcLayout() override;
    void DrawDetailOverlay(Gdiplus::Graphics* graphics, const RECT* area, int32_t index) override;

    // The Direct2D painting (MovieListWindowDirect2D.cpp), while the album's
    // "movie_list_use_direct2d" is on: no back buffer, the cells drawn on a window target.
    int UseDirect2D() override;
    int SkipBackBuffer() override;
    void PaintDirect2D(HWND window, const RECT* paintRect) override;
    BOOL OnScrolled(HWND window, int dx, int dy) override;
    // Frees every Direct2D and DirectWrite object; they are made again at the next paint.
    virtual void ReleaseRenderResources();
    // What the settings page calls when the album's display settings change: the Direct2D
    // objects and the cached drawing surface (the staging bitmap) go.
    void DiscardRenderCache();

    // The area a paint of paintRect draws: the whole client area while scrolling or without a
    // rectangle, else the rectangle within the client area; false when that is empty.
    bool PaintArea(const RECT* paintRect, RECT* area);
    void PaintD2D(const RECT* paintRect);
    HRESULT EnsureRenderTarget(HWND window, int width, int height);
    // 0, or E_FAIL without a label font. A format whose families are all missing stays null.
    HRESULT EnsureTextFormats();
    // The four brushes, on the target of the pass under way (else the window's).
    void EnsureBrushes();
    // The cells that meet `area` and the overlays, on any target between its BeginDraw and
    // EndDraw; `graphics` (any GDI+ surface) measures and lays the cells out.
    void RenderAll(ID2D1RenderTarget* target, Gdiplus::Graphics* graphics, const RECT* area, int targetWidth,
                   int targetHeight);
    void DrawCellBaseD2D(ID2D1RenderTarget* target, IDWriteFactory* factory, IDWriteTextFormat* format,
                         IDWriteTextFormat* emojiFormat);
    void DrawFramesD2D(ID2D1RenderTarget* target, uint32_t index);
    void DrawCellTextD2D(ID2D1RenderTarget* target, const RECT* cell, uint32_t index);
    HRESULT DrawGdiBitmapD2D(ID2D1RenderTarget* target, Gdiplus::Image* image, const D2D1_RECT_F& destination,
                             const Gdiplus::RectF& source, const D2D1_RECT_F* clip, D2DScratchSurface* scratch);
    // The strip (32bppPARGB or 24bppRGB) as a Direct2D bitmap on the target: a strip the grid keeps is
    // copied once and drawn from the copy while it stays on the screen. Null on failure.
    ID2D1Bitmap* StripCopyD2D(ID2D1RenderTarget* target, Gdiplus::Image* strip);
    // A whole GDI+ bitmap at (0, 0), through a Direct2D bitmap made for the one draw.
    HRESULT DrawGdiOverlayD2D(ID2D1RenderTarget* target, Gdiplus::Bitmap* overlay);
    // wrap 0: one line centred both ways; otherwise wrapped with the format's alignment. Without
    // a brush one of the colour is made for the call.
    void DrawTextInRect(IDWriteTextFormat* format, const wchar_t* text, UINT32 length, const D2D1_RECT_F& rect,
                        Gdiplus::ARGB colour, int wrap, ID2D1SolidColorBrush* brush);
    // The detail panel's title through DirectWrite, over the panel GDI+ drew without it.
    void DrawDetailPanelDirect2D(ID2D1RenderTarget* target);

    // Where frame f of a strip goes in a frame box: the source rectangle in the strip, the
    // destination, and whether the destination must be clipped to the box.
    // The serial number of a strip the grid keeps (cut and scaled to the cell's frames), 0 for
    // any other picture.
    static uint64_t KeptStripSerial(Gdiplus::Image* strip);
    static void StripFramePlacement(Gdiplus::Image* strip, int frame, const Gdiplus::RectF& box,
                                    Gdiplus::RectF* source, Gdiplus::RectF* destination, bool* clipToBox);

    // The grid's side of a thumbnail that changed (the main window's 0x601, lParam the
    // decode key): a movie shown by the last paint is drawn again from its new file.
    void OnThumbnailChanged(uint32_t decodeKey);
    // Asks the thumbnail maker to make the strips of the cells the last paint drew without
    // one, the last drawn first.
    void SendPriorityRequest();

    // The detail panel of the movie at list index, over area; the title only with drawTitle.
    void DrawDetailPanel(Gdiplus::Graphics* graphics, const RECT* area, int32_t index, int drawTitle);
    // The panel's layout for a painter that draws the title itself: the title and its box.
    bool LayoutDetailPanel(const RECT* area, int32_t index, std::wstring* text, Gdiplus::RectF* box);
    void DrawFontSizeOverlay(Gdiplus::Graphics* graphics, const RECT* client);

    // Seconds since 1970 as local "yyyy/mm/dd hh:mm:ss" (only the date with dateOnly 1);
    // dashes for -1 and for any value that has no local time.
    static std::wstring FormatDateTime(int64_t seconds, int dateOnly);
    // The information label of a cell for the sort tab, with its colour.
    static std::wstring BuildInfoLabel(const ItemMovieData_CL& record, int sortTab, int dateOnly,
                                       Gdiplus::ARGB* colour);

    // Whether a scroll was seen less than a second ago.
    bool IsScrolling() const;
    // The hover state that the host reads (the album's display settings keep it).
    int32_t HoveredFrameIndex() const;
    int32_t HoveredTagIndex() const;

    MovieCellLayout cellLayout;
    std::vector<uint32_t> visibleKeys;
    DecodeRequestListener_CL gridListener;
    SaveData_CL* albumData;
    int32_t scrollFlag = 0;
    uint32_t scrollTick = 0;
    int32_t fontOverlayFlag = 0;
    int32_t fontOverlayLevel = 4;
    std::unique_ptr<Gdiplus::Font> regularFont;  // "MS UI Gothic" 12 pt: the stars of a cell
    std::unique_ptr<Gdiplus::Font> boldFont;     // "MS UI Gothic" 12 pt bold: the information label
    // Cells painted by copying the picture kept from an earlier paint, since the window was
    // made (a figure for the benchmark and the tests).
    uint64_t keptCellPaints = 0;

    // The Direct2D painter's objects (MovieListWindowDirect2D.cpp); null while none exist.
    struct Direct2DResources;
    struct Direct2DResourcesDeleter {
        void operator()(Direct2DResources* resources) const;
    };
    std::unique_ptr<Direct2DResources, Direct2DResourcesDeleter> direct2d;
    // How a Direct2D pass ends; tests answer as a lost device would.
    EndDrawFunction endDraw = &EndDrawOnTarget;

protected:
    // Drops the Direct2D staging bitmap; the layout changed.
    void ReleaseStagingBitmap();

private:
    void OnCtrlWheel(HWND window, int delta);
    void OnChar(WPARAM key);
    // Rates or moves the selected movies of the album's current list: from the focus when
    // exactly one is selected (from the start when that finds it not), else from the start.
    template <typename Apply>
    void WalkSelected(Apply apply);
    void MarkScrolling(HWND window);
    // The strip to draw for the cell (cached, or loaded now and cached), or null.
    Gdiplus::Image* StripFor(uint32_t index);
    int32_t& HoverSlot(int which);
    // The Direct2D objects, made empty on first use.
    Direct2DResources& D2D();
    // The album's frame size and count for the cells.
    struct CellFrames {
        int width;
        int height;
        int count;
    };
    CellFrames CurrentCellFrames() const;
    // Fills the cell layout for the cell at list index (state, mouse point) and lays it out.
    void LayoutCell(Gdiplus::Graphics* graphics, const RECT& cell, uint32_t index, const ItemMovieData_CL& record,
                    bool scrolling, const CellFrames& frames);
    // Whether the cell shows the missing-file text: the movie file is gone now, or was at an
    // earlier paint. Keeps the record's flags as the paint finds the file.
    static bool ShowsMissingFile(ItemMovieData_CL* record);

    // The number of the box under the mouse point in a selected cell, -1 when none.
    int32_t HoveredBox(const std::vector<CellBox>& boxes) const;
    // What the laid-out cell at list index shows (direct2d: as the Direct2D paint draws it);
    // false when it cannot be kept as a picture (a strip the grid does not keep).
    bool MakeCellPictureKey(const RECT& cell, ItemMovieData_CL* record, Gdiplus::Image* strip, bool direct2d,
                            CellPictureKey* key);
    // The GDI paint of the laid-out cell into the back buffer's DC: copied from its picture
    // when it shows what it showed then, else drawn and kept.
    void PaintCellGdi(Gdiplus::Graphics* graphics, HDC dc, const RECT& cell, uint32_t index, ItemMovieData_CL* record);
    // The Direct2D picture of the laid-out cell, on a target where CellPicturesFit: the kept
    // one when the cell shows what it showed then, else one drawn now and kept. Null when the
    // cell has to be drawn directly (no picture could be made).
    Microsoft::WRL::ComPtr<ID2D1Bitmap> CellPictureD2D(ID2D1RenderTarget* target, const RECT& cell, uint32_t index,
                                                       ItemMovieData_CL* record);
    // True when cell pictures land on whole pixels of the target.
    bool CellPicturesFit(ID2D1RenderTarget* target) const;
    // The family name of the label font, for the keys of the pass under way.
    void NoteLabelFontFamily();

    ViewHost_IF* host_;
    CellPictureCache_CL cellPictures_;
    uint64_t paintPasses_ = 0;
    std::wstring labelFontFamily_;
    int32_t hoverFallback_[3] = {-1, -1, -1};
    // The keys of the last priority request delivered; the same request is not sent again.
    std::vector<uint32_t> lastPriorityKeys_;
};
