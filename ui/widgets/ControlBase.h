#pragma once
// One child window of a dialog or window, bound to the object that owns its behaviour.
#include <windows.h>

#include <string>

// The kind codes of the control objects; a kind is fixed when the object is created.
enum ControlKind : int {
    kControlStaticText = 1,
    kControlButton = 2,
    kControlCheckBox = 3,
    kControlEdit = 4,
    kControlComboBox = 5,
    kControlListBox = 6,
    kControlMainWindow = 7,
    kControlPictureList = 8,
    kControlListView = 10,
    kControlMoviePictureList = 12,
    kControlTab = 13,
    kControlStaticImage = 14,
    kControlStatusBar = 16,
    kControlGroupBox = 18,
    kControlProgressBar = 19,
};

// Every control window carries these bits: a visible child that clips its neighbours.
constexpr DWORD kControlBaseStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

class ControlBase_CL {
public:
    ControlBase_CL() = default;
    virtual ~ControlBase_CL();
    ControlBase_CL(const ControlBase_CL&) = delete;
    ControlBase_CL& operator=(const ControlBase_CL&) = delete;

    // Returns the handler's answer, or 0 when no handler is set. The handler finds this
    // object through the window's GWLP_USERDATA and its owner through handlerOwner.
    virtual LRESULT HandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    // Keeps the top-left corner.
    virtual void Resize(int cx, int cy, BOOL repaint);

    // Routes the window's messages through HandleMessage before its own procedure.
    void Subclass(void* owner, WNDPROC messageHandler);
    static LRESULT CALLBACK SubclassProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

    // Replaces the control font by the default GUI font scaled by `scale`; weight 0
    // leaves the weight to the font mapper.
    void SetFontScale(float scale, int weight);
    int GetTextWidth(const std::wstring& text) const;
    int GetTextHeight(const std::wstring& text) const;

    void SetLeft(int x);
    void MoveTo(int x, int y);
    void SetText(const std::wstring& text);
    std::wstring GetText() const;

    // The window's rectangle in its parent's client coordinates.
    RECT GetRectInParent() const;

    // Creates the window with this object's id and the program's instance; the control
    // font is given to it unless `sendFont` is false. Null on failure.
    HWND CreateControlWindow(HWND parent, const wchar_t* windowClass, const std::wstring& text, DWORD style,
                             DWORD exStyle, int x, int y, int cx, int cy, bool sendFont = true);

    int kind = 0;
    int id = 0;
    int handled = 0;  // a handler sets 1 to keep the message from the previous procedure
    WNDPROC previousWndProc = nullptr;
    WNDPROC handler = nullptr;
    void* handlerOwner = nullptr;
    HWND hwnd = nullptr;
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
};
