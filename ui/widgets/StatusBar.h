#pragma once
// The status bar at the bottom of the main window.
#include "ui/widgets/ControlBase.h"

// WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP | CCS_BOTTOM
constexpr DWORD kStatusBarStyle = 0x50000103;

class StatusBar_CL : public ControlBase_CL {
public:
    HWND Create(HWND parent, int controlId);
    // Called with the main window's own messages: a WM_SIZE makes the bar lay itself out
    // again. Returns 0 for every message.
    LRESULT HandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) override;
    void SetText(const std::wstring& text, int part);
};
