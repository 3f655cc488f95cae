#pragma once
// The movie grid: every movie of the current list as one cell with a row of frames from its
// thumbnail strip, its name, its tags, its rating and one information line chosen by the
// sort tab. Digit keys rate the selected movies, a category's short-cut key moves them into
// that category, Ctrl+wheel changes the album's font size, and after every paint the grid
// asks the thumbnail maker to make the strips it lacks first.
#include <windows.h>
#include <gdiplus.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/album/ItemMovieData.h"
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

    // The Direct2D painting (MovieListWindowDirect2D.cpp): the slots answer 0 while the grid
    // paints through GDI+.
    int UseDirect2D() override;
    int SkipBackBuffer() override;
    void PaintDirect2D(HWND window, const RECT* paintRect) override;
    BOOL OnScrolled(HWND window, int dx, int dy) override;
    // Frees every Direct2D and DirectWrite object; they are made again at the next paint.
    virtual void ReleaseRenderResources();

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

    // The Direct2D painter's objects (MovieListWindowDirect2D.cpp); null while none exist.
    struct Direct2DResources;
    struct Direct2DResourcesDeleter {
        void operator()(Direct2DResources* resources) const;
    };
    std::unique_ptr<Direct2DResources, Direct2DResourcesDeleter> direct2d;

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
    void DrawStrip(Gdiplus::Graphics* graphics, Gdiplus::Image* strip);
    int32_t& HoverSlot(int which);

    ViewHost_IF* host_;
    int32_t hoverFallback_[3] = {-1, -1, -1};
    // The keys of the last priority request delivered; the same request is not sent again.
    std::vector<uint32_t> lastPriorityKeys_;
};
