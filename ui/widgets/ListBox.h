#pragma once
// A plain list box of text lines, created by its owner.
#include "ui/widgets/ControlBase.h"

constexpr DWORD kListBoxStyle = kControlBaseStyle | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | LBS_NOTIFY;

class ListBox_CL : public ControlBase_CL {
public:
    HWND Create(HWND parent, int controlId, int x, int y, int cx, int cy);
    virtual void Clear();
    // Empty for an index the list does not have.
    std::wstring GetItemText(int index) const;
};
