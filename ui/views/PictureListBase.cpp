#include "ui/views/PictureListBase.h"

#include <algorithm>
#include <new>

#include "core/base/Log.h"

void DrawRoundedRectangle(Gdiplus::Graphics* graphics, const Gdiplus::Brush* brush, const Gdiplus::RectF& rect)
{
    const Gdiplus::REAL x = rect.X, y = rect.Y, w = rect.Width, h = rect.Height;
    Gdiplus::GraphicsPath path(Gdiplus::FillModeAlternate);
    path.AddArc(x, y, 8.0f, 8.0f, 180.0f, 90.0f);
    path.AddArc(x + w - 8.0f, y, 8.0f, 8.0f, 270.0f, 90.0f);
    path.AddArc(x + w - 8.0f, y + h - 8.0f, 8.0f, 8.0f, 360.0f, 90.0f);
    path.AddArc(x, y + h - 8.0f, 8.0f, 8.0f, 450.0f, 90.0f);
    path.CloseFigure();
    graphics->FillPath(brush, &path);
    Gdiplus::Pen outline(Gdiplus::Color(0xFFFFFFFF), 1.0f);
    graphics->DrawPath(&outline, &path);
}

PictureListBase_CL::PictureListBase_CL(int controlKind)
{
    kind = controlKind;
}

PictureListBase_CL::~PictureListBase_CL()
{
    toolTips.DeleteAllTools();
    if (toolTips.window && IsWindow(toolTips.window)) DestroyWindow(toolTips.window);
}

Gdiplus::PixelFormat PictureListBase_CL::GetBackBufferPixelFormat()
{
    return PixelFormat24bppRGB;
}

void PictureListBase_CL::DrawFocusFrame(Gdiplus::Graphics* graphics, const RECT* cell)
{
    Gdiplus::Pen pen(Gdiplus::Color(focusFrameColour), 4.0f);
    graphics->DrawRectangle(&pen, static_cast<Gdiplus::REAL>(cell->left + 2), static_cast<Gdiplus::REAL>(cell->top + 2),
                            static_cast<Gdiplus::REAL>(cell->right - cell->left - 4 + horizontalGap),
                            static_cast<Gdiplus::REAL>(cell->bottom - cell->top - 4 + verticalGap));
}

void PictureListBase_CL::FillCellBackground(Gdiplus::Graphics* graphics, const RECT* cell)
{
    Gdiplus::SolidBrush brush(Gdiplus::Color(0x4E5050FF));
    graphics->FillRectangle(&brush, static_cast<Gdiplus::REAL>(cell->left), static_cast<Gdiplus::REAL>(cell->top),
                            static_cast<Gdiplus::REAL>(cell->right - cell->left + horizontalGap),
                            static_cast<Gdiplus::REAL>(cell->bottom - cell->top + verticalGap));
}

void PictureListBase_CL::DrawCell(Gdiplus::Graphics*, const RECT*, uint32_t) {}

void PictureListBase_CL::PaintDirect2D(HWND, const RECT*) {}

BOOL PictureListBase_CL::OnScrolled(HWND, int, int)
{
    return FALSE;
}

void PictureListBase_CL::DeleteItemThumbnail(uint32_t) {}

void PictureListBase_CL::SetGaps(int horizontal, int vertical)
{
    horizontalGap = horizontal;
    verticalGap = vertical;
}

std::wstring* PictureListBase_CL::GetItemTip(std::wstring* out, uint32_t)
{
    out->clear();
    return out;
}

uint32_t PictureListBase_CL::GetItemCount()
{
    return itemCount;
}

int32_t PictureListBase_CL::GetFocusIndex()
{
    return focusIndex;
}

void PictureListBase_CL::Invalidate()
{
    if (hwnd) InvalidateRect(hwnd, nullptr, FALSE);
}

HWND PictureListBase_CL::Create(HWND parent, int controlId, int cx, int cy)
{
    id = controlId;
    hwnd = CreateWindowExW(0, L"Static", L"", kStyle, 0, 0, cx, cy, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), GetModuleHandleW(nullptr), nullptr);
    if (!hwnd) {
        WriteLastErrorLog(L"CreateWindowEx()エラー = 0x%08x : %s");
        return nullptr;
    }
    // Files may be dropped on every picture list; the owners decide what a drop means.
    SetWindowLongW(hwnd, GWL_EXSTYLE, GetWindowLongW(hwnd, GWL_EXSTYLE) | WS_EX_ACCEPTFILES);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);

    for (ScrollBar_CL* bar : {&verticalBar, &horizontalBar}) {
        bar->window = hwnd;
        bar->info = {};
        bar->info.cbSize = sizeof(bar->info);
        bar->info.fMask = SIF_ALL;
        SetScrollInfo(hwnd, bar->bar, &bar->info, TRUE);
    }
    horizontalBar.pageStep = cellHeight;

    Subclass(nullptr, nullptr);

    toolTips.window = CreateWindowExW(0, TOOLTIPS_CLASSW, L"", WS_POPUP | toolTips.style, CW_USEDEFAULT,
                                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
    if (!toolTips.window) WriteLastErrorLog(L"CreateWindowEx(tooltips)エラー = 0x%08x : %s");
    return hwnd;
}

void PictureListBase_CL::RecalcLayout()
{
    RECT client = {};
    if (hwnd) GetClientRect(hwnd, &client);
    const int clientWidth = client.right - client.left;
    const int clientHeight = client.bottom - client.top;
    const int64_t count = itemCount;
    int64_t width = 0;
    int64_t height = 0;
    if (count != 0 && cellWidth > 0 && cellHeight > 0) {
        if (layoutMode == 0) {
            columns = itemCount;
            width = cellWidth * count;
            height = cellHeight;
        } else if (layoutMode == 1) {
            columns = 1;
            width = cellWidth;
            height = cellHeight * count;
        } else {
            // A column more than half visible counts; the vertical bar's width is always kept.
            const int fit =
                (cellWidth / 2 - horizontalGap + clientWidth - GetSystemMetrics(SM_CXVSCROLL) - 1) / cellWidth;
            columns = static_cast<uint32_t>(std::max(fit, 1));
            width = static_cast<int64_t>(cellWidth) * columns;
            height = (count + columns - 1) / columns * cellHeight;
        }
    }
    const auto apply = [this](ScrollBar_CL& bar, int64_t extent, int gap, int page) {
        bar.window = hwnd;
        bar.info.cbSize = sizeof(bar.info);
        bar.info.fMask = SIF_ALL;
        bar.info.nMin = 0;
        bar.info.nMax = static_cast<int>(std::min<int64_t>(extent + gap - 1, INT_MAX));
        bar.info.nPage = static_cast<UINT>(std::max(page, 0));
        // A relayout keeps the view where it was, only pulled back into the new range.
        int position = std::max(bar.info.nPos, 0);
        position = std::min(position, bar.info.nMax - static_cast<int>(bar.info.nPage));
        bar.info.nPos = std::max(position, 0);
        if (hwnd) SetScrollInfo(hwnd, bar.bar, &bar.info, TRUE);
    };
    horizontalBar.pageStep = cellHeight;
    apply(horizontalBar, width, horizontalGap, clientWidth);
    apply(verticalBar, height, verticalGap, clientHeight);
    clientRect = client;
    UpdateVisibleCells();
}

void PictureListBase_CL::UpdateVisibleCells()
{
    visibleCells.clear();
    if (cellWidth <= 0 || cellHeight <= 0) return;
    const int h = HorizontalPosition();
    const int v = VerticalPosition();
    const int64_t left = clientRect.left + h;
    const int64_t top = clientRect.top + v;
    const int64_t width = clientRect.right - clientRect.left;
    const int64_t height = clientRect.bottom - clientRect.top;
    if (width <= 0 || height <= 0) return;
    if (layoutMode == 0) {
        for (int64_t i = left / cellWidth; i <= (left + width - 1) / cellWidth; ++i) {
            visibleCells.push_back({static_cast<uint32_t>(i), static_cast<int32_t>(cellWidth * i - h), -v});
        }
    } else if (layoutMode == 1) {
        for (int64_t i = top / cellHeight; i <= (top + height - 1) / cellHeight; ++i) {
            visibleCells.push_back({static_cast<uint32_t>(i), 0, static_cast<int32_t>(cellHeight * i - v)});
        }
    } else {
        const int64_t cols = Columns();
        const int64_t last = (top + height - 1 + cellHeight) / cellHeight;
        for (int64_t i = left / cellWidth + cols * (top / cellHeight); i < cols * last; ++i) {
            visibleCells.push_back({static_cast<uint32_t>(i), static_cast<int32_t>(cellWidth * (i % cols) - h),
                                    static_cast<int32_t>(cellHeight * (i / cols) - v)});
        }
    }
}

uint32_t PictureListBase_CL::HitTest(int x, int y)
{
    if (cellWidth <= 0 || cellHeight <= 0) return UINT32_MAX;
    const int64_t column = (static_cast<int64_t>(x) + HorizontalPosition()) / cellWidth;
    const int64_t row = (static_cast<int64_t>(VerticalPosition()) + y) / cellHeight;
    if (layoutMode == 0) return static_cast<uint32_t>(column);
    if (layoutMode == 1) return static_cast<uint32_t>(row);
    return static_cast<uint32_t>(column + static_cast<int64_t>(Columns()) * row);
}

void PictureListBase_CL::EnsureVisible(uint32_t index)
{
    if (index >= itemCount || cellWidth <= 0 || cellHeight <= 0) return;
    const int64_t cols = Columns();
    const int64_t cellLeft = cellWidth * (index % cols) - HorizontalPosition();
    const int64_t cellTop = cellHeight * (index / cols) - VerticalPosition();
    int64_t dx = 0;
    if (cellLeft + cellWidth > clientRect.right) dx = clientRect.right - (cellLeft + cellWidth);
    if (cellLeft + dx < clientRect.left) dx = clientRect.left - cellLeft;
    int64_t dy = 0;
    if (cellTop + cellHeight > clientRect.bottom) dy = clientRect.bottom - (cellTop + cellHeight);
    if (cellTop + dy < clientRect.top) dy = clientRect.top - cellTop;
    if (dx != 0) {
        horizontalBar.info.nPos = static_cast<int>(HorizontalPosition() - dx);
        if (hwnd) SetScrollPos(hwnd, SB_HORZ, horizontalBar.info.nPos, TRUE);
    }
    if (dy != 0) {
        verticalBar.info.nPos = static_cast<int>(VerticalPosition() - dy);
        if (hwnd) SetScrollPos(hwnd, SB_VERT, verticalBar.info.nPos, TRUE);
    }
    if (dx != 0 || dy != 0) UpdateVisibleCells();
}

BOOL PictureListBase_CL::GetItemRect(uint32_t index, RECT* out)
{
    if (itemCount == 0) return FALSE;
    for (const VisibleCell& cell : visibleCells) {
        if (cell.index != index) continue;
        *out = {cell.x, cell.y, cell.x + cellWidth, cell.y + cellHeight};
        return TRUE;
    }
    return FALSE;
}

void PictureListBase_CL::AutoScrollToPoint(int x, int y)
{
    const auto move = [](ScrollBar_CL& bar, int direction) {
        if (direction == 0) return false;
        const int step = bar.pageStep == -1 ? static_cast<int>(bar.info.nPage) / 4 : bar.pageStep;
        int position = bar.info.nPos + direction * step;
        position = std::min(position, bar.info.nMax - static_cast<int>(bar.info.nPage));
        position = std::max(position, bar.info.nMin);
        if (position == bar.info.nPos) return false;
        bar.info.nPos = position;
        bar.info.fMask = SIF_ALL;
        if (bar.window) SetScrollInfo(bar.window, bar.bar, &bar.info, TRUE);
        return true;
    };
    const int dx = x < clientRect.left ? -1 : (x >= clientRect.right ? 1 : 0);
    const int dy = y < clientRect.top ? -1 : (y >= clientRect.bottom ? 1 : 0);
    const bool movedH = move(horizontalBar, dx);
    const bool movedV = move(verticalBar, dy);
    if (movedH || movedV) UpdateVisibleCells();
}

void PictureListBase_CL::NotifyParent(int code, uint32_t index, int x, int y)
{
    if (!hwnd) return;
    PictureListNotify notify = {};
    notify.hdr.hwndFrom = hwnd;
    notify.hdr.idFrom = static_cast<UINT_PTR>(id);
    notify.hdr.code = static_cast<UINT>(code);
    notify.iItem = static_cast<int>(index);
    notify.ptAction = {x, y};
    if (Keys().IsShiftDown()) notify.uKeyFlags |= LVKF_SHIFT;
    if (Keys().IsControlDown()) notify.uKeyFlags |= LVKF_CONTROL;
    SendMessageW(GetParent(hwnd), WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&notify));
}

HRESULT PictureListBase_CL::SetItemCount(uint32_t n)
{
    hoverIndex = -1;
    toolTips.DeleteAllTools();
    // One spare word when n is a multiple of 32; counted in 64 bits so that no count wraps
    // to a handful of words.
    const uint64_t words = (static_cast<uint64_t>(n) + 32) >> 5;
    selectionBits.clear();
    itemCount = 0;
    selectedCount = 0;
    focusIndex = -1;
    rangeEnd = -1;
    try {
        if (words + 2 > selectionBits.max_size()) throw std::bad_alloc();
        selectionBits.assign(static_cast<size_t>(words) + 2, 0);
    } catch (const std::bad_alloc&) {
        selectionBits.clear();
        cursorIndex = -1;
        WriteLog(AppLog, L"picture list: no memory for the selection of %u items", n);
        return E_FAIL;
    }
    selectionBits.front() = kSelectionGuard;
    selectionBits.back() = kSelectionGuard;
    itemCount = n;
    // The list may have shrunk: a cursor past the end would select items that do not exist.
    if (cursorIndex >= 0 && static_cast<uint32_t>(cursorIndex) >= n) cursorIndex = n ? static_cast<int32_t>(n - 1) : -1;
    return S_OK;
}

void PictureListBase_CL::SelectAll(int op)
{
    if (selectionBits.size() < 2) return;
    const auto first = selectionBits.begin() + 1;
    const auto last = selectionBits.end() - 1;
    if (op == 0) {
        std::fill(first, last, 0u);
        selectedCount = 0;
    } else if (op == 1) {
        std::fill(first, last, 0xFFFFFFFFu);
        selectedCount = itemCount;
    } else if (op == 2) {
        for (auto it = first; it != last; ++it) *it = ~*it;
        selectedCount = itemCount - selectedCount;
    }
}

int PictureListBase_CL::SetSelect(uint32_t index, int op)
{
    if (index >= itemCount) return 0;
    uint32_t& word = Word(index);
    const uint32_t mask = 1u << (index & 31);
    const int previous = (word & mask) ? 1 : 0;
    switch (op) {
    case 0:
        if (previous) --selectedCount;
        word &= ~mask;
        break;
    case 1:
        if (!previous) ++selectedCount;
        word |= mask;
        break;
    case 2:
        previous ? --selectedCount : ++selectedCount;
        word ^= mask;
        break;
    default: break;
    }
    return previous;
}

int PictureListBase_CL::IsSelected(uint32_t index)
{
    return SetSelect(index, 3);
}

void PictureListBase_CL::SelectRange(uint32_t from, uint32_t to, int op)
{
    rangeEnd = static_cast<int32_t>(to);
    const uint32_t lo = std::min(from, to);
    const uint32_t hi = std::max(from, to);
    // An end of -1 (no focus yet) makes hi negative as a signed number: nothing is touched.
    if (static_cast<int32_t>(hi) < 0 || static_cast<int32_t>(lo) < 0) return;
    const uint32_t end = std::min(hi, itemCount ? itemCount - 1 : 0);
    if (itemCount == 0) return;
    for (uint32_t i = lo; i <= end; ++i) SetSelect(i, op);
}

void PictureListBase_CL::SelectByClick(uint32_t index)
{
    if (index >= itemCount) return;
    NotifyParent(NM_CLICK, index, 0, 0);
    if (Keys().IsShiftDown()) {
        if (focusIndex == -1) focusIndex = rangeEnd = static_cast<int32_t>(index);
        SelectAll(0);
        SelectRange(static_cast<uint32_t>(focusIndex), index, 1);
        cursorIndex = focusIndex;
    } else {
        if (Keys().IsControlDown()) {
            SetSelect(index, 2);
        } else {
            SelectAll(0);
            SetSelect(index, 1);
        }
        focusIndex = rangeEnd = cursorIndex = static_cast<int32_t>(index);
    }
    Invalidate();
}

void PictureListBase_CL::MoveTail()
{
    if (Keys().IsShiftDown()) {
        SelectAll(0);
        SelectRange(static_cast<uint32_t>(focusIndex), static_cast<uint32_t>(cursorIndex), 1);
    } else if (!Keys().IsControlDownNow()) {
        focusIndex = cursorIndex;
        SelectAll(0);
        SetSelect(static_cast<uint32_t>(focusIndex), 1);
    }
    EnsureVisible(static_cast<uint32_t>(cursorIndex));
    Invalidate();
}

void PictureListBase_CL::OnKeyDown(WPARAM key)
{
    const int64_t n = itemCount;
    const int64_t cols = Columns();
    const int64_t rowsPerPage = cellHeight > 0 ? static_cast<int64_t>(verticalBar.info.nPage) / cellHeight : 0;
    const auto moveCursor = [&](int64_t delta) {
        int64_t cursor = static_cast<int64_t>(cursorIndex) + delta;
        cursor = std::max<int64_t>(std::min<int64_t>(cursor, n - 1), 0);
        cursorIndex = static_cast<int32_t>(cursor);
        MoveTail();
    };
    switch (key) {
    case VK_RETURN:
        NotifyParent(NM_RETURN, static_cast<uint32_t>(cursorIndex), 0, 0);
        MoveTail();
        break;
    case VK_SPACE:
        if (Keys().IsControlDown()) {
            SetSelect(static_cast<uint32_t>(cursorIndex), 2);
            Invalidate();
        }
        break;
    case VK_PRIOR: moveCursor(-rowsPerPage * cols); break;
    case VK_NEXT: moveCursor(rowsPerPage * cols); break;
    case VK_LEFT: moveCursor(-1); break;
    case VK_UP: moveCursor(-cols); break;
    case VK_RIGHT: moveCursor(1); break;
    case VK_DOWN: moveCursor(cols); break;
    case 'A':
        if (Keys().AsyncKeyState(VK_CONTROL) & 0x8000) {
            // The cursor item is toggled twice: every other item is inverted.
            SetSelect(static_cast<uint32_t>(cursorIndex), 2);
            for (uint32_t i = 0; i < itemCount; ++i) SetSelect(i, 2);
            EnsureVisible(static_cast<uint32_t>(cursorIndex));
            Invalidate();
        }
        break;
    default: break;
    }
    NotifyParent(NM_CLICK, static_cast<uint32_t>(cursorIndex), 0, 0);
}

void PictureListBase_CL::OnMouseMove(int x, int y)
{
    lastMousePoint = {x, y};
    const uint32_t i = HitTest(x, y);
    if (i < itemCount) cursorIndex = static_cast<int32_t>(i);
    if (static_cast<int32_t>(i) != hoverIndex) {
        hoverIndex = static_cast<int32_t>(i);
        toolTips.DeleteAllTools();
        GetItemTip(&toolTipText, i);
        RECT client = {};
        GetClientRect(hwnd, &client);
        toolTips.AddTool(&client, hwnd, i + kToolIdBase, toolTipText.c_str(), kMaxTipWidth);
    }
    if (dragging && focusIndex != -1 && cursorIndex != focusIndex) {
        SelectAll(0);
        SelectRange(static_cast<uint32_t>(focusIndex), static_cast<uint32_t>(cursorIndex), 1);
        AutoScrollToPoint(x, y);
    }
    Invalidate();
}

void PictureListBase_CL::OnLeftButtonDown(int x, int y)
{
    dragging = 1;
    SetCapture(hwnd);
    SetFocus(hwnd);
    const uint32_t i = HitTest(x, y);
    if (i >= itemCount) return;
    NotifyParent(NM_CLICK, i, x, y);
    if (Keys().IsShiftDown()) {
        if (focusIndex == -1) focusIndex = rangeEnd = static_cast<int32_t>(i);
        SelectAll(0);
        SelectRange(static_cast<uint32_t>(focusIndex), i, 1);
    } else {
        if (Keys().IsControlDown()) {
            SetSelect(i, 2);
        } else {
            SelectAll(0);
            SetSelect(i, 1);
        }
        focusIndex = rangeEnd = static_cast<int32_t>(i);
    }
    Invalidate();
}

void PictureListBase_CL::OnScrollMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    const int oldH = horizontalBar.info.nPos;
    const int oldV = verticalBar.info.nPos;
    ScrollBar_CL* bar = &verticalBar;
    if (msg == WM_HSCROLL) {
        bar = &horizontalBar;
    } else if (msg == WM_MOUSEWHEEL) {
        if (layoutMode == 0) {
            bar = &horizontalBar;
        } else if (layoutMode == 2 && (Keys().AsyncKeyState(VK_LBUTTON) & 0x8000)) {
            bar = &horizontalBar;
        }
    }
    bar->HandleMessage(hwnd, msg, wParam, lParam);
    UpdateVisibleCells();
    const int dx = msg == WM_VSCROLL ? 0 : horizontalBar.info.nPos - oldH;
    const int dy = msg == WM_HSCROLL ? 0 : verticalBar.info.nPos - oldV;
    if (!OnScrolled(hwnd, dx, dy)) Invalidate();
}

void PictureListBase_CL::PaintAll()
{
    if (!backBuffer) return;
    Gdiplus::Graphics graphics(backBuffer.get());
    Gdiplus::SolidBrush background{Gdiplus::Color(backgroundColour)};
    graphics.FillRectangle(&background, static_cast<INT>(clientRect.left), static_cast<INT>(clientRect.top),
                           static_cast<INT>(clientRect.right - clientRect.left),
                           static_cast<INT>(clientRect.bottom - clientRect.top));
    if (backgroundImage) {
        const INT w = static_cast<INT>(backgroundImage->GetWidth());
        const INT h = static_cast<INT>(backgroundImage->GetHeight());
        if (backgroundImageMode == 0) {
            graphics.DrawImage(backgroundImage.get(), static_cast<INT>(clientRect.right) - w,
                               static_cast<INT>(clientRect.bottom) - h, w, h);
        } else {
            graphics.DrawImage(backgroundImage.get(), 0, 0, static_cast<INT>(clientRect.right),
                               static_cast<INT>(clientRect.bottom));
        }
    }
    if (itemCount == 0) return;
    for (const VisibleCell& visible : visibleCells) {
        if (visible.index >= itemCount) continue;
        const RECT cell = {visible.x, visible.y, visible.x + cellWidth, visible.y + cellHeight};
        DrawCell(&graphics, &cell, visible.index);
        if (static_cast<int32_t>(visible.index) == cursorIndex) DrawFocusFrame(&graphics, &cell);
        if (SetSelect(visible.index, 3) == 1) FillCellBackground(&graphics, &cell);
    }
}

void PictureListBase_CL::OnPaint(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client = {};
    GetClientRect(window, &client);
    clientRect = client;
    UpdateVisibleCells();
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (!(UseDirect2D() && SkipBackBuffer())) {
        const Gdiplus::PixelFormat format = GetBackBufferPixelFormat();
        if (!backBuffer || static_cast<int>(backBuffer->GetWidth()) != width ||
            static_cast<int>(backBuffer->GetHeight()) != height || backBuffer->GetPixelFormat() != format) {
            backBuffer.reset();
            backBufferSurface.Reset();
            if (width > 0 && height > 0) {
                // A DIB section: the copy to the screen is one BitBlt, not a GDI+ image draw.
                const int bits = format == PixelFormat24bppRGB ? 24 : 32;
                if (backBufferSurface.Create(width, height, bits)) {
                    backBuffer.reset(backBufferSurface.NewGdiplusBitmap(format));
                }
                if (!backBuffer) {
                    backBufferSurface.Reset();
                    auto bitmap = std::make_unique<Gdiplus::Bitmap>(width, height, format);
                    if (bitmap->GetLastStatus() == Gdiplus::Ok) backBuffer = std::move(bitmap);
                }
            }
        }
        if (backBuffer) PaintAll();
    }
    if (UseDirect2D() == 1) {
        PaintDirect2D(window, &paint.rcPaint);
        EndPaint(window, &paint);
        return;
    }
    if (backBuffer && backBufferSurface.Dc()) {
        GdiFlush();
        BitBlt(dc, 0, 0, width, height, backBufferSurface.Dc(), 0, 0, SRCCOPY);
    } else {
        Gdiplus::Graphics graphics(dc);
        if (backBuffer) {
            graphics.DrawImage(backBuffer.get(), 0, 0, width, height);
        } else {
            Gdiplus::SolidBrush background{Gdiplus::Color(backgroundColour)};
            graphics.FillRectangle(&background, 0, 0, width, height);
        }
    }
    EndPaint(window, &paint);
}

LRESULT PictureListBase_CL::HandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    handled = 1;
    const int x = static_cast<short>(LOWORD(lParam));
    const int y = static_cast<short>(HIWORD(lParam));
    switch (msg) {
    case WM_KEYDOWN:
        if (itemCount != 0) OnKeyDown(wParam);
        break;
    case WM_MOUSEMOVE:
        if (itemCount != 0) OnMouseMove(x, y);
        break;
    case WM_LBUTTONDOWN:
        if (itemCount != 0) OnLeftButtonDown(x, y);
        break;
    case WM_LBUTTONUP:
        if (itemCount != 0) {
            dragging = 0;
            ReleaseCapture();
        }
        break;
    case WM_LBUTTONDBLCLK: NotifyParent(NM_DBLCLK, HitTest(x, y), x, y); break;
    case WM_RBUTTONDOWN: NotifyParent(NM_RCLICK, HitTest(x, y), x, y); break;
    case WM_RBUTTONDBLCLK: NotifyParent(NM_RDBLCLK, HitTest(x, y), x, y); break;
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_MOUSEWHEEL:
        if (itemCount != 0) OnScrollMessage(msg, wParam, lParam);
        break;
    case WM_SIZE:
        RecalcLayout();
        UpdateVisibleCells();
        Invalidate();
        break;
    case WM_SETFOCUS: NotifyParent(NM_SETFOCUS, 0, 0, 0); break;
    case WM_KILLFOCUS: NotifyParent(NM_KILLFOCUS, 0, 0, 0); break;
    case WM_PAINT: OnPaint(window); return 0;
    case WM_ERASEBKGND: return 0;
    case WM_GETDLGCODE: return DLGC_WANTALLKEYS;
    default: break;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}
