#include "ui/widgets/StatusBar.h"

#include <commctrl.h>

HWND StatusBar_CL::Create(HWND parent, int controlId)
{
    id = controlId;
    return CreateControlWindow(parent, STATUSCLASSNAMEW, L"", kStatusBarStyle, 0, 0, 0, 0, 0);
}

LRESULT StatusBar_CL::HandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    // The bar's own WM_SIZE would come back here if it were ever subclassed.
    if (hwnd && msg == WM_SIZE && window != hwnd) SendMessageW(hwnd, WM_SIZE, wParam, lParam);
    return 0;
}

void StatusBar_CL::SetText(const std::wstring& text, int part)
{
    SendMessageW(hwnd, SB_SETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text.c_str()));
}
