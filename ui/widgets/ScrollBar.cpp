#include "ui/widgets/ScrollBar.h"

ScrollBar_CL::ScrollBar_CL(int bar) : info{}, bar(bar)
{
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
}

int ScrollBar_CL::PageStep() const
{
    return pageStep == -1 ? static_cast<int>(info.nPage) / 4 : pageStep;
}

void ScrollBar_CL::MoveBy(int delta)
{
    int position = info.nPos + delta;
    if (position < info.nMin) position = info.nMin;
    const int last = info.nMax - static_cast<int>(info.nPage);
    if (position > last) position = last;
    // A page larger than the range puts `last` before the start: the view stays at the start.
    if (position < info.nMin) position = info.nMin;
    info.nPos = position;
    SetScrollInfo(window, bar, &info, TRUE);
}

void ScrollBar_CL::Scroll(int code, bool usePageStep)
{
    const int page = usePageStep ? PageStep() : static_cast<int>(info.nPage);
    int delta = 0;
    switch (code) {
    case SB_LINEUP: delta = -lineStep; break;
    case SB_LINEDOWN: delta = lineStep; break;
    case SB_PAGEUP: delta = -page; break;
    case SB_PAGEDOWN: delta = page; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        SCROLLINFO track = {};
        track.cbSize = sizeof(track);
        track.fMask = SIF_TRACKPOS;
        GetScrollInfo(window, bar, &track);
        delta = track.nTrackPos - info.nPos;
        break;
    }
    default: break;
    }
    MoveBy(delta);
}

LRESULT ScrollBar_CL::HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if ((msg == WM_HSCROLL && bar == SB_HORZ) || (msg == WM_VSCROLL && bar == SB_VERT)) {
        Scroll(LOWORD(wParam), false);
    } else if (msg == WM_MOUSEWHEEL) {
        // Turning the wheel towards the user (delta 0 or less) moves on through the content.
        const int step = PageStep();
        MoveBy(GET_WHEEL_DELTA_WPARAM(wParam) <= 0 ? step : -step);
    }
    return 0;
}
