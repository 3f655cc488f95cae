#include "ui/widgets/ToolBar.h"

#include "core/base/Log.h"

namespace {

ToolBarButtonRecord FreshRecord()
{
    ToolBarButtonRecord record = {};
    record.button.fsState = TBSTATE_ENABLED;
    record.toolTip = nullptr;
    record.index = -1;
    return record;
}

// Every tool bar of the program is created with this bit besides the caller's style.
constexpr DWORD kToolBarStyle = 0x10;

RECT ItemRect(HWND toolBar, int index)
{
    RECT rect = {};
    SendMessageW(toolBar, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
    return rect;
}

int ButtonCount(HWND toolBar)
{
    return static_cast<int>(SendMessageW(toolBar, TB_BUTTONCOUNT, 0, 0));
}

}  // namespace

ToolBar_CL::ToolBar_CL() : records(kBuiltInRecords, FreshRecord()) {}

HWND ToolBar_CL::Create(HWND parent, DWORD style, int controlId)
{
    if (recordCount > kBuiltInRecords) records.assign(static_cast<size_t>(recordCount), FreshRecord());
    HINSTANCE instance = GetModuleHandleW(nullptr);
    HWND toolBar = CreateToolbarEx(parent, style | kToolBarStyle, static_cast<UINT>(controlId), 0, nullptr, 0,
                                   nullptr, 0, 0, 0, 0, 0, sizeof(TBBUTTON));
    if (!toolBar) {
        WriteLastErrorLog(L"CreateToolbarEx()エラー = 0x%08x : %s");
        return nullptr;
    }
    SendMessageW(toolBar, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
    toolTips.window = CreateWindowExW(0, TOOLTIPS_CLASSW, L"", toolTips.style, CW_USEDEFAULT, CW_USEDEFAULT,
                                      CW_USEDEFAULT, CW_USEDEFAULT, toolBar, nullptr, instance, nullptr);
    Bind(toolBar);
    return toolBar;
}

void ToolBar_CL::AddButton(ToolBarButtonRecord* record, const wchar_t* text)
{
    const int index = ButtonCount(window);
    SendMessageW(window, TB_INSERTBUTTONW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&record->button));
    SendMessageW(window, TB_AUTOSIZE, 0, 0);
    if (text) {
        TBBUTTONINFOW info = {};
        info.cbSize = sizeof(info);
        info.dwMask = TBIF_BYINDEX | TBIF_TEXT;
        info.pszText = const_cast<wchar_t*>(text);
        SendMessageW(window, TB_SETBUTTONINFOW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&info));
    }
    const wchar_t* tip = text ? text : record->toolTip;
    if (!tip) return;
    record->toolTip = tip;
    record->index = ButtonCount(window) - 1;
    UpdateToolTips();
}

void ToolBar_CL::UpdateToolTips()
{
    toolTips.DeleteAllTools();
    // Separators and buttons without a tooltip keep index -1 wherever they sit, so every
    // record is looked at, not only those before the first of them.
    for (const ToolBarButtonRecord& record : records) {
        if (record.index == -1 || !record.toolTip) continue;
        const RECT rect = ItemRect(window, record.index);
        toolTips.AddTool(&rect, window, static_cast<UINT>(record.button.idCommand), record.toolTip, kMaxTipWidth);
    }
}

RECT* ToolBar_CL::FitToButtons(RECT* rect)
{
    const int count = ButtonCount(window);
    if (count > 0) {
        *rect = ItemRect(window, 0);
        const RECT last = ItemRect(window, count - 1);
        rect->right = last.right;
        rect->bottom = last.bottom;
    }
    MoveWindow(window, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, TRUE);
    return rect;
}

void ToolBar_CL::UpdateSecondButton()
{
    const ToolBarButtonRecord& second = records[1];
    TBBUTTONINFOW info = {};
    info.cbSize = sizeof(info);
    info.dwMask = TBIF_BYINDEX | TBIF_COMMAND | TBIF_IMAGE | TBIF_TEXT;
    info.idCommand = second.button.idCommand;
    info.iImage = second.button.iBitmap;
    info.pszText = reinterpret_cast<wchar_t*>(second.button.iString);
    SendMessageW(window, TB_SETBUTTONINFOW, static_cast<WPARAM>(second.index), reinterpret_cast<LPARAM>(&info));
}

void PrepareToolBarBand(REBARBANDINFOW* band, HWND toolBar)
{
    band->fMask |= RBBIM_CHILD | RBBIM_CHILDSIZE;
    band->fStyle |= RBBS_USECHEVRON;
    const LONG_PTR style = GetWindowLongPtrW(toolBar, GWL_STYLE);
    SetWindowLongPtrW(toolBar, GWL_STYLE, style & ~static_cast<LONG_PTR>(CCS_NORESIZE));
    const int count = ButtonCount(toolBar);
    const RECT first = ItemRect(toolBar, 0);
    const RECT last = ItemRect(toolBar, count > 0 ? count - 1 : 0);
    const int width = last.right - first.left;
    const int height = last.bottom - first.top;
    MoveWindow(toolBar, first.left, first.top, width, height, TRUE);
    band->hwndChild = toolBar;
    band->cxMinChild = 0;
    band->cyMinChild = static_cast<UINT>(height + 2);
    band->cxIdeal = static_cast<UINT>(width);
    band->cx = static_cast<UINT>(width + 80);
    SetWindowLongPtrW(toolBar, GWL_STYLE, GetWindowLongPtrW(toolBar, GWL_STYLE) | CCS_NORESIZE);
}
