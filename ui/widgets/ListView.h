#pragma once
// A report-style list view filled column by column and cell by cell.
#include "ui/widgets/ControlBase.h"

// WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS on the base bits.
constexpr DWORD kListViewStyle = 0x56310009;

class ListView_CL : public ControlBase_CL {
public:
    void AddColumn(const std::wstring& text, int width, int format);
    // Subitem 0 inserts a new row at `item`; any other subitem sets that cell of it.
    void SetCell(const std::wstring& text, int item, int subItem, int image, LPARAM param);

    int nextColumn = 0;
};
