#include "ui/widgets/CheckBox.h"

void CheckBox_CL::SetCheck(bool checked)
{
    SendMessageW(hwnd, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}
