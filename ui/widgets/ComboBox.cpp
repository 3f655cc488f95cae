#include "ui/widgets/ComboBox.h"

#include <commctrl.h>

HWND ComboBox_CL::Create(HWND parent, int controlId, int columns, int lines, DWORD style, int x, int y)
{
    id = controlId;
    const DWORD fullStyle = (style == 0 ? kComboBoxDefaultStyle : style) | kComboBoxBaseStyle;
    return CreateControlWindow(parent, WC_COMBOBOXEXW, L"", fullStyle, 0, x, y, GetTextWidth(L"W") * columns,
                               GetTextHeight(L"M") * lines);
}

void ComboBox_CL::AddItem(const std::wstring& text, int image)
{
    COMBOBOXEXITEMW item = {};
    item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_INDENT;
    item.iItem = static_cast<INT_PTR>(SendMessageW(hwnd, CB_GETCOUNT, 0, 0));
    item.pszText = const_cast<wchar_t*>(text.c_str());
    item.iImage = image;
    item.iSelectedImage = image;
    item.iIndent = 0;
    SendMessageW(hwnd, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

int ComboBox_CL::GetCurSel() const
{
    return static_cast<int>(SendMessageW(hwnd, CB_GETCURSEL, 0, 0));
}

HWND ComboBox_CL::GetEditControl() const
{
    return reinterpret_cast<HWND>(SendMessageW(hwnd, CBEM_GETEDITCONTROL, 0, 0));
}
