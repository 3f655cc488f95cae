#pragma once
// An extended combo box (items with images) sized in character cells.
#include "ui/widgets/ControlBase.h"

// WS_VSCROLL | WS_HSCROLL | CBS_AUTOHSCROLL | CBS_DROPDOWN, used when the caller passes 0.
constexpr DWORD kComboBoxDefaultStyle = 0x300042;
constexpr DWORD kComboBoxBaseStyle = kControlBaseStyle | WS_TABSTOP | CBS_DROPDOWN;

class ComboBox_CL : public ControlBase_CL {
public:
    // Width: "W" times columns; height: "M" times lines. Null on failure.
    virtual HWND Create(HWND parent, int controlId, int columns, int lines, DWORD style, int x, int y);

    void AddItem(const std::wstring& text, int image);
    int GetCurSel() const;
    HWND GetEditControl() const;
};
