#pragma once
// Creates an owner's controls sized from their text, hands out their ids and owns them.
#include <windows.h>

#include <string>
#include <vector>

#include "ui/widgets/ControlBase.h"

// The ids of every owner's controls start here.
constexpr int kFirstControlId = 0x1100;

// WS_VSCROLL | ES_WANTRETURN | ES_AUTOVSCROLL | ES_MULTILINE, used when the caller passes -1.
constexpr DWORD kEditDefaultStyle = 0x201044;
constexpr DWORD kEditBaseStyle = kControlBaseStyle | WS_TABSTOP;
constexpr DWORD kGroupBoxStyle = kControlBaseStyle | BS_GROUPBOX;

class ControlFactory_CL {
public:
    ControlFactory_CL() = default;
    virtual ~ControlFactory_CL();
    ControlFactory_CL(const ControlFactory_CL&) = delete;
    ControlFactory_CL& operator=(const ControlFactory_CL&) = delete;

    // Each creator returns the control's index in `controls`; a control whose window could
    // not be created is kept (with a null window) and its id is not handed out again.
    int CreateStaticText(HWND parent, const std::wstring& text, int x, int y);
    int CreateButton(HWND parent, const std::wstring& text, int x, int y);
    int CreateCheckBox(HWND parent, const std::wstring& text, int x, int y);
    // Controls placed at row 0 are moved by their owner afterwards.
    int CreateEdit(HWND parent, int columns, int rows, DWORD style, int x);
    int CreateComboBox(HWND parent, int columns, int lines, DWORD style, int x);
    int CreateListView(HWND parent, int width, int height, DWORD extraStyle, int x);
    int CreateGroupBox(HWND parent, const std::wstring& text, int width, int height, int x, int y);
    int CreateTab(HWND parent);
    int CreateProgressBar(HWND parent, int width, int height, int x, int y);

    // For controls an owner creates itself: the next id, and taking the object over.
    int TakeId() { return nextId++; }
    int Add(ControlBase_CL* control);

    // Lays out controls first..last down one column from y, keeping each one's x. A static
    // text of one ideographic space is a hidden half-height spacer.
    void StackControls(int first, int last, int y, int gap);
    // Puts controls index and index + 1 side by side in the parent's bottom-right corner.
    void PlaceButtonPair(HWND parent, int index);

    ControlBase_CL* Get(int index) const;
    template <class T>
    T* GetAs(int index) const { return static_cast<T*>(Get(index)); }

    std::vector<ControlBase_CL*> controls;
    int nextId = kFirstControlId;

private:
    template <class T>
    T* NewControl(int kind);
};
