#pragma once
// A multi-line tab control.
#include "ui/widgets/ControlBase.h"

constexpr DWORD kTabStyle = kControlBaseStyle | 0x200;  // TCS_MULTILINE

class Tab_CL : public ControlBase_CL {
public:
    int GetItemCount() const;
    // Position -1 appends.
    void InsertItem(const std::wstring& text, int image, int position, LPARAM param);
    void SetItem(const std::wstring& text, int position, LPARAM param);
    int GetCurSel() const;
};
