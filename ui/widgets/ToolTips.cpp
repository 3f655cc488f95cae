#include "ui/widgets/ToolTips.h"

#include <algorithm>

void ToolTips_CL::AddTool(const RECT* rect, HWND toolWindow, UINT toolId, const wchar_t* text, int maxTipWidth)
{
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = toolWindow;
    tool.uId = toolId;
    if (rect) tool.rect = *rect;
    tool.hinst = GetModuleHandleW(nullptr);
    tool.lpszText = const_cast<wchar_t*>(text);
    tools.push_back(tool);
    SendMessageW(window, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    RECT margin = {5, 5, 5, 5};
    SendMessageW(window, TTM_SETMARGIN, 0, reinterpret_cast<LPARAM>(&margin));
    SendMessageW(window, TTM_SETMAXTIPWIDTH, 0, maxTipWidth);
}

void ToolTips_CL::DeleteAllTools()
{
    // Tools that someone else added to the window have no copy here: only as many copies
    // as exist can be handed back.
    const LRESULT count = window ? SendMessageW(window, TTM_GETTOOLCOUNT, 0, 0) : 0;
    for (size_t i = std::min(static_cast<size_t>(std::max<LRESULT>(count, 0)), tools.size()); i > 0; --i) {
        SendMessageW(window, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tools[i - 1]));
    }
    tools.clear();
}
