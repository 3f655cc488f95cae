#pragma once
// A check box that ticks itself when clicked.
#include "ui/widgets/ControlBase.h"

constexpr DWORD kCheckBoxStyle = kControlBaseStyle | WS_TABSTOP | BS_AUTOCHECKBOX;

class CheckBox_CL : public ControlBase_CL {
public:
    void SetCheck(bool checked);
};
