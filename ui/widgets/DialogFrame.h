#pragma once
// The frame the ready-made dialogs give themselves when they open.
#include <windows.h>

#include <string>

// Sizes are given at 96 dpi; a process the system does not stretch scales them itself.
SIZE ScaleDialogSize(int width96, int height96);

// Caption, the size (scaled) at (0, 0), and the style changed with its frame redrawn.
void FrameDialog(HWND dialog, const std::wstring& caption, int width96, int height96, LONG_PTR removeStyle,
                 LONG_PTR addStyle);

// Centres the dialog over its owner, then moves it down to the screen's top edge when it
// would start above it.
void PlaceDialogOverOwner(HWND dialog);

// Enter and Escape are kept from ending a dialog that has no OK or Cancel of its own.
inline bool IsEnterOrEscape(UINT msg, WPARAM key)
{
    return msg == WM_KEYDOWN && (key == VK_RETURN || key == VK_ESCAPE);
}
