#include "ui/widgets/SubClassDialogBase.h"

#include <commctrl.h>

#include <cstring>

#include "core/base/Log.h"

namespace {

// The size of a full-width letter in the screen DC's own font: the dialog font does not
// change it.
void MeasureFullWidthLetter(int out[8])
{
    RECT letter = {0, 0, 0, 0};
    HDC screen = GetDC(nullptr);
    if (screen) {
        DrawTextW(screen, L"\uFF37", -1, &letter, DT_CALCRECT);
        ReleaseDC(nullptr, screen);
    }
    out[6] = letter.right - letter.left;
    out[7] = letter.bottom - letter.top;
}

}  // namespace

SubClassDialogBase_CL::~SubClassDialogBase_CL()
{
    if (window && IsWindow(window) &&
        reinterpret_cast<SubClassDialogBase_CL*>(GetWindowLongPtrW(window, GWLP_USERDATA)) == this) {
        DestroyWindow(window);
    }
}

DLGTEMPLATE* SubClassDialogBase_CL::BuildTemplate()
{
    constexpr size_t kWords = kDialogTemplateBytes / sizeof(uint32_t);
    if (!template_) template_.reset(new uint32_t[kWords]);
    auto* bytes = reinterpret_cast<BYTE*>(template_.get());
    memset(bytes, 0, kDialogTemplateBytes);
    // Menu, class and title follow the header as three zero words: none, the dialog
    // class, an empty title. No DS_SETFONT, so no font entry.
    auto* header = reinterpret_cast<DLGTEMPLATE*>(bytes);
    header->style = dialogStyle;
    header->dwExtendedStyle = 0;
    header->cdit = 0;
    header->x = 0;
    header->y = 0;
    header->cx = 320;
    header->cy = 240;
    return header;
}

INT_PTR SubClassDialogBase_CL::DoModal(HWND parentWindow)
{
    DLGTEMPLATE* dialogTemplate = BuildTemplate();
    parent = parentWindow;
    const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialogTemplate, parentWindow,
                                                   &SubClassDialogBase_CL::StaticDialogProc,
                                                   reinterpret_cast<LPARAM>(this));
    if (result == -1) WriteLastErrorLog(L"DialogBoxIndirectParam()エラー = 0x%08x : %s");
    return result;
}

INT_PTR SubClassDialogBase_CL::DialogProc(HWND hwnd, UINT msg, WPARAM, LPARAM)
{
    switch (msg) {
    case WM_CLOSE:
        EndDialog(hwnd, 0);
        return FALSE;
    case WM_INITDIALOG:
        ShowWindow(hwnd, SW_SHOW);
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR SubClassDialogBase_CL::Dispatch(SubClassDialogBase_CL* self, HWND hwnd, UINT msg, WPARAM wParam,
                                        LPARAM lParam, bool isPage)
{
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window = hwnd;
        if (self->windowOut) *self->windowOut = isPage ? GetParent(hwnd) : hwnd;
        self->deviceContext = GetDC(hwnd);
        self->font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(self->font), TRUE);
    }
    INT_PTR result = FALSE;
    try {
        result = self->DialogProc(hwnd, msg, wParam, lParam);
    } catch (...) {
        WriteLog(AppLog, L"dialog message 0x%x could not be handled", msg);
        result = FALSE;
    }
    if (msg == WM_DESTROY) {
        if (!isPage && self->font) DeleteObject(self->font);  // a stock font ignores this
        if (self->deviceContext) ReleaseDC(hwnd, self->deviceContext);
        self->deviceContext = nullptr;
    } else if (msg == WM_NCDESTROY) {
        // Nothing reaches the object after the window's last message.
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->window = nullptr;
    }
    return result;
}

INT_PTR CALLBACK SubClassDialogBase_CL::StaticDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<SubClassDialogBase_CL*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) {
        // The messages before WM_INITDIALOG are not the object's.
        if (msg != WM_INITDIALOG || !lParam) return FALSE;
        self = reinterpret_cast<SubClassDialogBase_CL*>(lParam);
    }
    return Dispatch(self, hwnd, msg, wParam, lParam, false);
}

INT_PTR CALLBACK SubClassDialogBase_CL::StaticPageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<SubClassDialogBase_CL*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) {
        if (msg != WM_INITDIALOG || !lParam) return FALSE;
        self = reinterpret_cast<SubClassDialogBase_CL*>(reinterpret_cast<PROPSHEETPAGEW*>(lParam)->lParam);
        if (!self) return FALSE;
    }
    return Dispatch(self, hwnd, msg, wParam, lParam, true);
}

void SubClassDialogBase_CL::GetLayoutMetrics(int out[8]) const
{
    RECT client = {};
    GetClientRect(window, &client);
    out[0] = client.left;
    out[1] = client.top;
    out[2] = client.right;
    out[3] = client.bottom;
    out[4] = out[2] - out[0];
    out[5] = out[3] - out[1];
    MeasureFullWidthLetter(out);
}

void SubClassDialogBase_CL::GetPageLayoutMetrics(int out[8]) const
{
    RECT area = {};
    const HWND tab = reinterpret_cast<HWND>(SendMessageW(GetParent(window), PSM_GETTABCONTROL, 0, 0));
    if (tab && GetClientRect(tab, &area)) SendMessageW(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    out[0] = 0;
    out[1] = 0;
    out[2] = area.right - area.left;
    out[3] = area.bottom - area.top;
    out[4] = out[2];
    out[5] = out[3];
    MeasureFullWidthLetter(out);
}

void CenterWindow(HWND owner, HWND window)
{
    if (!window) return;
    SetParent(window, nullptr);
    RECT area = {0, 0, GetSystemMetrics(SM_CXFULLSCREEN), GetSystemMetrics(SM_CYFULLSCREEN)};
    const bool minimised = (GetWindowLongPtrW(owner, GWL_STYLE) & WS_MINIMIZE) != 0;
    // An owner that is minimised (or absent) has no place to centre on: the screen has.
    if (owner && !minimised) GetWindowRect(owner, &area);
    RECT client = {};
    GetClientRect(window, &client);
    const int w = client.right - client.left;
    const int h = client.bottom - client.top;
    const int x = (area.right - w - area.left) / 2 + area.left;
    const int y = (area.bottom - h - area.top) / 2 + area.top;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}
