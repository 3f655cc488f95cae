#include "ui/widgets/Button.h"

HWND Button_CL::Create(HWND parent, int controlId, const std::wstring& text, int x, int y)
{
    id = controlId;
    return CreateControlWindow(parent, L"Button", text, kButtonStyle, 0, x, y, GetTextWidth(text) + 8,
                               GetTextHeight(text) + 8);
}
