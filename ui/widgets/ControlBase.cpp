#include "ui/widgets/ControlBase.h"

#include "core/base/Log.h"

namespace {

// The screen DC with a font selected, released when it goes.
class ScreenFontDc {
public:
    explicit ScreenFontDc(HFONT font) : dc_(GetDC(nullptr))
    {
        if (dc_ && font) previous_ = SelectObject(dc_, font);
    }
    ~ScreenFontDc()
    {
        if (!dc_) return;
        if (previous_) SelectObject(dc_, previous_);
        ReleaseDC(nullptr, dc_);
    }
    ScreenFontDc(const ScreenFontDc&) = delete;
    ScreenFontDc& operator=(const ScreenFontDc&) = delete;

    RECT Measure(const std::wstring& text) const
    {
        RECT rect = {0, 0, 32768, 32768};
        if (dc_) DrawTextW(dc_, text.c_str(), -1, &rect, DT_CALCRECT);
        return rect;
    }

private:
    HDC dc_;
    HGDIOBJ previous_ = nullptr;
};

}  // namespace

ControlBase_CL::~ControlBase_CL()
{
    // A window that outlives its object must not reach it through the subclass procedure.
    if (hwnd && IsWindow(hwnd) &&
        reinterpret_cast<ControlBase_CL*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)) == this) {
        if (previousWndProc &&
            reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC)) == &ControlBase_CL::SubclassProc) {
            SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousWndProc));
        }
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    }
    if (font) DeleteObject(font);  // a stock font ignores this
}

LRESULT ControlBase_CL::HandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return handler ? handler(window, msg, wParam, lParam) : 0;
}

void ControlBase_CL::Resize(int cx, int cy, BOOL repaint)
{
    const RECT rect = GetRectInParent();
    MoveWindow(hwnd, rect.left, rect.top, cx, cy, repaint);
}

void ControlBase_CL::Subclass(void* owner, WNDPROC messageHandler)
{
    handlerOwner = owner;
    handler = messageHandler;
    if (!hwnd) return;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    previousWndProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ControlBase_CL::SubclassProc)));
}

LRESULT CALLBACK ControlBase_CL::SubclassProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<ControlBase_CL*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return 0;
    self->handled = 0;
    LRESULT result = 0;
    try {
        result = self->HandleMessage(window, msg, wParam, lParam);
    } catch (...) {
        WriteLog(AppLog, L"control message 0x%x could not be handled", msg);
        self->handled = 0;
    }
    // The previous procedure gets its window back but does not see this WM_DESTROY.
    if (msg == WM_DESTROY) {
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(self->previousWndProc));
        return result;
    }
    if (self->handled) return result;
    return CallWindowProcW(self->previousWndProc, window, msg, wParam, lParam);
}

void ControlBase_CL::SetFontScale(float scale, int weight)
{
    LOGFONTW logFont = {};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(logFont), &logFont);
    logFont.lfHeight = static_cast<LONG>(static_cast<float>(logFont.lfHeight) * scale);
    logFont.lfWidth = static_cast<LONG>(static_cast<float>(logFont.lfWidth) * scale);
    logFont.lfWeight = weight;
    // The window keeps drawing with the old font until it has the new one.
    HFONT old = font;
    font = CreateFontIndirectW(&logFont);
    if (hwnd) SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (old) DeleteObject(old);
}

int ControlBase_CL::GetTextWidth(const std::wstring& text) const
{
    const RECT rect = ScreenFontDc(font).Measure(text);
    return rect.right - rect.left;
}

int ControlBase_CL::GetTextHeight(const std::wstring& text) const
{
    const RECT rect = ScreenFontDc(font).Measure(text);
    return rect.bottom - rect.top;
}

RECT ControlBase_CL::GetRectInParent() const
{
    RECT rect = {};
    if (!hwnd || !GetWindowRect(hwnd, &rect)) return rect;
    MapWindowPoints(HWND_DESKTOP, GetParent(hwnd), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void ControlBase_CL::SetLeft(int x)
{
    const RECT rect = GetRectInParent();
    MoveWindow(hwnd, x, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
}

void ControlBase_CL::MoveTo(int x, int y)
{
    const RECT rect = GetRectInParent();
    MoveWindow(hwnd, x, y, rect.right - rect.left, rect.bottom - rect.top, TRUE);
}

void ControlBase_CL::SetText(const std::wstring& text)
{
    SetWindowTextW(hwnd, text.c_str());
}

std::wstring ControlBase_CL::GetText() const
{
    const int length = GetWindowTextLengthW(hwnd);
    if (length <= 0) return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(hwnd, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

HWND ControlBase_CL::CreateControlWindow(HWND parent, const wchar_t* windowClass, const std::wstring& text,
                                         DWORD style, DWORD exStyle, int x, int y, int cx, int cy, bool sendFont)
{
    hwnd = CreateWindowExW(exStyle, windowClass, text.c_str(), style, x, y, cx, cy, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (!hwnd) {
        WriteLastErrorLog(L"CreateWindowEx()エラー = 0x%08x : %s");
        return nullptr;
    }
    if (sendFont) SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    return hwnd;
}
