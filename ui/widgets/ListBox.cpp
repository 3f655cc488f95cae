#include "ui/widgets/ListBox.h"

#include <algorithm>

HWND ListBox_CL::Create(HWND parent, int controlId, int x, int y, int cx, int cy)
{
    id = controlId;
    return CreateControlWindow(parent, L"ListBox", L"", kListBoxStyle, WS_EX_CLIENTEDGE, x, y, cx, cy);
}

void ListBox_CL::Clear()
{
    const LRESULT count = SendMessageW(hwnd, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) SendMessageW(hwnd, LB_DELETESTRING, 0, 0);
}

std::wstring ListBox_CL::GetItemText(int index) const
{
    // A line may be longer than any fixed buffer: LB_GETTEXT writes all of it.
    const LRESULT length = SendMessageW(hwnd, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR || length <= 0) return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied = SendMessageW(hwnd, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]));
    if (copied == LB_ERR || copied < 0) return std::wstring();
    text.resize(std::min(static_cast<size_t>(copied), static_cast<size_t>(length)));
    return text;
}
