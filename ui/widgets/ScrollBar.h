#pragma once
// The state of one standard scroll bar of a window, and its scrolling.
#include <windows.h>

class ScrollBar_CL {
public:
    explicit ScrollBar_CL(int bar);
    virtual ~ScrollBar_CL() = default;

    // Moves the position by the step the code asks for, kept within the range, and shows it.
    // usePageStep: a page moves by pageStep rather than by the whole page.
    void Scroll(int code, bool usePageStep);
    // WM_HSCROLL / WM_VSCROLL of this bar's direction and WM_MOUSEWHEEL. Always 0.
    virtual LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HWND window = nullptr;
    SCROLLINFO info;
    int bar;            // SB_HORZ or SB_VERT
    int pageStep = -1;  // -1: a quarter of the page
    int lineStep = 1;

private:
    int PageStep() const;
    void MoveBy(int delta);
};
