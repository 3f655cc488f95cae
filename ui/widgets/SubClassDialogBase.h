#pragma once
// A dialog or property page built from an in-memory template with no controls; the object
// binds itself at WM_INITDIALOG and creates its controls in code.
#include <windows.h>

#include <cstdint>
#include <memory>

// WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME
constexpr DWORD kDialogStyle = 0x80CA0080;
// Bytes of the in-memory template; the header uses the first 24.
constexpr size_t kDialogTemplateBytes = 1024;

class SubClassDialogBase_CL {
public:
    SubClassDialogBase_CL() = default;
    // A modeless dialog still open is destroyed with its object.
    virtual ~SubClassDialogBase_CL();
    SubClassDialogBase_CL(const SubClassDialogBase_CL&) = delete;
    SubClassDialogBase_CL& operator=(const SubClassDialogBase_CL&) = delete;

    // Runs the dialog modally: what it passed to EndDialog, or -1 when it could not be made.
    virtual INT_PTR DoModal(HWND parentWindow);
    // Base behaviour: WM_CLOSE ends the dialog with 0, WM_INITDIALOG shows it.
    virtual INT_PTR DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    // The template rebuilt from the style: zero-filled, 320 x 240 dialog units, no items.
    // Also for CreateDialogIndirectParamW (with StaticDialogProc and this object) and for
    // a PROPSHEETPAGEW (PSP_DLGINDIRECT, StaticPageProc, lParam = this object).
    DLGTEMPLATE* BuildTemplate();

    static INT_PTR CALLBACK StaticDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static INT_PTR CALLBACK StaticPageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    // out[0..3] the client rectangle, out[4..5] its width and height, out[6..7] the size of
    // a full-width "Ｗ" in the screen's default font, from which dialogs derive their sizes.
    void GetLayoutMetrics(int out[8]) const;
    // The same for a property page, over the display area of the sheet's tab control.
    void GetPageLayoutMetrics(int out[8]) const;

    HWND window = nullptr;
    HWND parent = nullptr;
    HDC deviceContext = nullptr;
    HFONT font = nullptr;
    HWND* windowOut = nullptr;  // receives the dialog (or, for a page, the sheet) window
    DWORD dialogStyle = kDialogStyle;

private:
    static INT_PTR Dispatch(SubClassDialogBase_CL* self, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                            bool isPage);

    // uint32_t elements keep the template DWORD-aligned as Windows requires.
    std::unique_ptr<uint32_t[]> template_;
};

// Centres `window` over `owner` (over the screen when the owner is minimised or absent).
void CenterWindow(HWND owner, HWND window);
