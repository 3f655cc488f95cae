#pragma once
// A push button sized to its text.
#include "ui/widgets/ControlBase.h"

constexpr DWORD kButtonStyle = kControlBaseStyle | WS_TABSTOP;

class Button_CL : public ControlBase_CL {
public:
    // At (x, y), 8 pixels larger than the text each way. Null on failure.
    HWND Create(HWND parent, int controlId, const std::wstring& text, int x, int y);
};
