#pragma once
// A tooltip window that remembers the tools it registered, so that it can remove them all.
#include <windows.h>
#include <commctrl.h>

#include <vector>

class ToolTips_CL {
public:
    // The owner creates the "tooltips_class32" window itself with `style` and keeps it in
    // `window`; the window belongs to the owner window.
    explicit ToolTips_CL(DWORD style) : style(style) {}
    virtual ~ToolTips_CL() = default;
    ToolTips_CL(const ToolTips_CL&) = delete;
    ToolTips_CL& operator=(const ToolTips_CL&) = delete;

    // `text` must live as long as the tool: the tooltip keeps the pointer.
    void AddTool(const RECT* rect, HWND toolWindow, UINT toolId, const wchar_t* text, int maxTipWidth);
    void DeleteAllTools();

    HWND window = nullptr;
    std::vector<TTTOOLINFOW> tools;
    DWORD style;
};
