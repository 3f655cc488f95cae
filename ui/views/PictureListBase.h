#pragma once
// The owner-painted picture list: a long run of equally sized cells in a row, a column or a
// grid, with scroll bars, a multiple selection, a keyboard cursor, one tooltip per cell and
// notifications to the parent. Derived views draw the cells.
#include <windows.h>
#include <commctrl.h>
#include <gdiplus.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ui/views/DibSection.h"
#include "ui/views/KeyStateReader.h"
#include "ui/widgets/ControlBase.h"
#include "ui/widgets/ScrollBar.h"
#include "ui/widgets/ToolTips.h"

// One notification to the parent; the same layout as NMITEMACTIVATE, so that the parent
// may read it as one (the header keeps its own padding on 64-bit builds).
struct PictureListNotify {
    NMHDR hdr;  // hwndFrom, idFrom, code
    int iItem;
    int iSubItem;
    UINT uNewState;
    UINT uOldState;
    UINT uChanged;
    POINT ptAction;
    LPARAM lParam;
    UINT uKeyFlags;
};
static_assert(sizeof(PictureListNotify) == sizeof(NMITEMACTIVATE), "PictureListNotify must match NMITEMACTIVATE");

// A cell that touches the client area, with its top-left corner in client coordinates.
struct VisibleCell {
    uint32_t index;
    int32_t x;
    int32_t y;
};

// A figure of four 8 x 8 arcs filled with the brush and outlined in white.
void DrawRoundedRectangle(Gdiplus::Graphics* graphics, const Gdiplus::Brush* brush, const Gdiplus::RectF& rect);

class PictureListBase_CL : public ControlBase_CL {
public:
    static constexpr DWORD kStyle = 0x56300008;
    static constexpr UINT kToolIdBase = 0x1000;
    static constexpr int kMaxTipWidth = 640;

    explicit PictureListBase_CL(int controlKind);
    ~PictureListBase_CL() override;

    LRESULT HandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) override;
    virtual Gdiplus::PixelFormat GetBackBufferPixelFormat();
    virtual void DrawFocusFrame(Gdiplus::Graphics* graphics, const RECT* cell);
    virtual void FillCellBackground(Gdiplus::Graphics* graphics, const RECT* cell);
    virtual void DrawCell(Gdiplus::Graphics* graphics, const RECT* cell, uint32_t index);
    virtual void PaintAll();
    virtual int UseDirect2D() { return 0; }
    virtual int SkipBackBuffer() { return 0; }
    virtual void PaintDirect2D(HWND window, const RECT* paintRect);
    virtual BOOL OnScrolled(HWND window, int dx, int dy);
    virtual void SelectRange(uint32_t from, uint32_t to, int op);
    virtual void RequestReload(int value) = 0;
    // 0, or E_FAIL when the selection of n items cannot be held (the list is then empty).
    virtual HRESULT SetItemCount(uint32_t n);
    virtual uint32_t GetItemCount();
    virtual void SelectAll(int op);
    // op 0 clears, 1 sets, 2 toggles, 3 only asks. The previous state; 0 for an index at
    // or past the item count, which changes nothing.
    virtual int SetSelect(uint32_t index, int op);
    virtual int IsSelected(uint32_t index);
    virtual int32_t GetFocusIndex();
    virtual void DeleteItemThumbnail(uint32_t index);
    virtual void SetGaps(int horizontal, int vertical);
    virtual std::wstring* GetItemTip(std::wstring* out, uint32_t index);
    virtual void RecalcLayout();

    HWND Create(HWND parent, int id, int cx, int cy);
    void EnsureVisible(uint32_t index);
    BOOL GetItemRect(uint32_t index, RECT* out);
    void SelectByClick(uint32_t index);
    uint32_t HitTest(int x, int y);
    void UpdateVisibleCells();
    void AutoScrollToPoint(int x, int y);
    void NotifyParent(int code, uint32_t index, int x, int y);

    // The reader of the modifier keys; the system's unless a test gives its own, which must
    // outlive the list.
    void SetKeyStateReader(const KeyStateReader_CL* reader) { keys_ = reader ? reader : &KeyStateReader_CL::System(); }

    // The selection words with the guard word before and after them (tests check that no
    // operation reaches past the words).
    const std::vector<uint32_t>& SelectionStorage() const { return selectionBits; }
    uint32_t GetSelectedCount() const { return selectedCount; }
    int32_t GetCursorIndex() const { return cursorIndex; }
    const std::vector<VisibleCell>& GetVisibleCells() const { return visibleCells; }
    Gdiplus::Bitmap* GetBackBuffer() const { return backBuffer.get(); }
    // The memory DC over the back buffer's pixels, for GDI fills and copies; null when the
    // back buffer is a plain GDI+ bitmap.
    HDC GetBackBufferDC() const { return backBufferSurface.Dc(); }

    static constexpr uint32_t kSelectionGuard = 0x5AFEC0DEu;

    int32_t pendingReloadValue = 0;
    ScrollBar_CL horizontalBar{SB_HORZ};
    ScrollBar_CL verticalBar{SB_VERT};
    // The back buffer's pixels (a DIB section) and the GDI+ bitmap laid over them; the
    // bitmap goes first.
    DibSection_CL backBufferSurface;
    std::unique_ptr<Gdiplus::Bitmap> backBuffer;
    RECT clientRect = {};
    std::vector<VisibleCell> visibleCells;
    uint32_t columns = 0;
    int32_t dragging = 0;
    std::unique_ptr<Gdiplus::Image> backgroundImage;
    int32_t backgroundImageMode = 0;
    Gdiplus::ARGB backgroundColour = 0xFFFFFFFF;
    Gdiplus::ARGB focusFrameColour = 0xFFFFFF00;
    int32_t horizontalGap = 2;
    int32_t verticalGap = 2;
    uint32_t itemCount = 0;
    uint32_t selectedCount = 0;
    int32_t focusIndex = -1;
    int32_t rangeEnd = -1;
    int32_t cursorIndex = -1;
    POINT lastMousePoint = {-1, -1};
    int32_t hotIndex = -1;
    int32_t layoutMode = 2;
    int32_t pictureWidth = 160;
    int32_t pictureHeight = 120;
    int32_t cellWidth = 200;
    int32_t cellHeight = 140;
    ToolTips_CL toolTips{TTS_ALWAYSTIP | TTS_NOPREFIX};
    int32_t hoverIndex = -1;
    std::wstring toolTipText;

protected:
    const KeyStateReader_CL& Keys() const { return *keys_; }
    // The column count for arithmetic: never 0, also before the first layout.
    uint32_t Columns() const { return columns ? columns : 1; }
    int HorizontalPosition() const { return horizontalBar.info.nPos < 0 ? 0 : horizontalBar.info.nPos; }
    int VerticalPosition() const { return verticalBar.info.nPos < 0 ? 0 : verticalBar.info.nPos; }
    void Invalidate();

private:
    void OnKeyDown(WPARAM key);
    void MoveTail();
    void OnMouseMove(int x, int y);
    void OnLeftButtonDown(int x, int y);
    void OnScrollMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnPaint(HWND window);
    uint32_t& Word(uint32_t index) { return selectionBits[1 + (index >> 5)]; }

    // Two guard words around the bits: [guard, words..., guard].
    std::vector<uint32_t> selectionBits;
    const KeyStateReader_CL* keys_ = &KeyStateReader_CL::System();
};
