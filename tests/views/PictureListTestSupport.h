#pragma once
// A parent window that records what the picture lists tell it, and a key reader the tests
// press keys on.
#include <windows.h>
#include <commctrl.h>
#include <gdiplus.h>

#include <cstdlib>

#include <set>
#include <vector>

#include "ui/views/KeyStateReader.h"
#include "ui/views/PictureListBase.h"

// Keys held down as far as the list can tell; the desktop's real keyboard is not touched.
class FakeKeys : public KeyStateReader_CL {
public:
    SHORT KeyState(int virtualKey) const override { return down.count(virtualKey) ? static_cast<SHORT>(0x8000) : 0; }
    SHORT AsyncKeyState(int virtualKey) const override { return KeyState(virtualKey); }

    std::set<int> down;
};

// A child window of `host` that keeps every WM_NOTIFY and every posted WM_LIST_RELOAD-like
// message it is sent.
class NotifyRecorder {
public:
    NotifyRecorder(HWND host, int width, int height);
    ~NotifyRecorder();
    NotifyRecorder(const NotifyRecorder&) = delete;
    NotifyRecorder& operator=(const NotifyRecorder&) = delete;

    HWND Get() const { return window_; }

    struct Message {
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
    };

    std::vector<PictureListNotify> notifies;
    // Focus notices come whenever the desktop moves the focus; most tests leave them out.
    bool keepFocusNotices = false;
    std::vector<Message> others;  // messages other than WM_NOTIFY at or above WM_USER, and WM_DROPFILES

private:
    static LRESULT CALLBACK WndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND window_ = nullptr;
};

// The colour of an ARGB value, without its alpha.
inline COLORREF FromArgb(Gdiplus::ARGB argb)
{
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

// Whether every channel of the pixel is within `tolerance` of the colour.
inline bool Near(const Gdiplus::Color& pixel, COLORREF expected, int tolerance = 10)
{
    return std::abs(pixel.GetR() - GetRValue(expected)) <= tolerance &&
           std::abs(pixel.GetG() - GetGValue(expected)) <= tolerance &&
           std::abs(pixel.GetB() - GetBValue(expected)) <= tolerance;
}
