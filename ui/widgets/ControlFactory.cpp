#include "ui/widgets/ControlFactory.h"

#include <commctrl.h>

#include "ui/widgets/Button.h"
#include "ui/widgets/CheckBox.h"
#include "ui/widgets/ComboBox.h"
#include "ui/widgets/ListView.h"
#include "ui/widgets/SimpleControls.h"
#include "ui/widgets/Tab.h"

namespace {

// The spacer of StackControls: one ideographic space and nothing else.
const wchar_t kSpacerText[] = L"\u3000";

}  // namespace

ControlFactory_CL::~ControlFactory_CL()
{
    for (ControlBase_CL* control : controls) delete control;
    controls.clear();
}

template <class T>
T* ControlFactory_CL::NewControl(int kind)
{
    T* control = new T();
    control->kind = kind;
    control->id = TakeId();
    return control;
}

int ControlFactory_CL::Add(ControlBase_CL* control)
{
    controls.push_back(control);
    return static_cast<int>(controls.size()) - 1;
}

ControlBase_CL* ControlFactory_CL::Get(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= controls.size()) return nullptr;
    return controls[static_cast<size_t>(index)];
}

int ControlFactory_CL::CreateStaticText(HWND parent, const std::wstring& text, int x, int y)
{
    auto* control = NewControl<StaticText_CL>(kControlStaticText);
    control->CreateControlWindow(parent, L"Static", text, kControlBaseStyle, 0, x, y, control->GetTextWidth(text),
                                 control->GetTextHeight(text));
    return Add(control);
}

int ControlFactory_CL::CreateButton(HWND parent, const std::wstring& text, int x, int y)
{
    auto* control = NewControl<Button_CL>(kControlButton);
    control->Create(parent, control->id, text, x, y);
    return Add(control);
}

int ControlFactory_CL::CreateCheckBox(HWND parent, const std::wstring& text, int x, int y)
{
    auto* control = NewControl<CheckBox_CL>(kControlCheckBox);
    // The extra width leaves room for the box in front of the text.
    if (control->CreateControlWindow(parent, L"Button", text, kCheckBoxStyle, 0, x, y,
                                     control->GetTextWidth(text) + 32, control->GetTextHeight(text))) {
        control->SetCheck(false);
    }
    return Add(control);
}

int ControlFactory_CL::CreateEdit(HWND parent, int columns, int rows, DWORD style, int x)
{
    auto* control = NewControl<Edit_CL>(kControlEdit);
    const DWORD fullStyle = (style == static_cast<DWORD>(-1) ? kEditDefaultStyle : style) | kEditBaseStyle;
    control->CreateControlWindow(parent, L"Edit", L"", fullStyle, WS_EX_CLIENTEDGE, x, 0,
                                 control->GetTextWidth(L"W") * columns + 6, control->GetTextHeight(L"M") * rows + 6);
    return Add(control);
}

int ControlFactory_CL::CreateComboBox(HWND parent, int columns, int lines, DWORD style, int x)
{
    auto* control = NewControl<ComboBox_CL>(kControlComboBox);
    control->Create(parent, control->id, columns, lines, style, x, 0);
    return Add(control);
}

int ControlFactory_CL::CreateListView(HWND parent, int width, int height, DWORD extraStyle, int x)
{
    auto* control = NewControl<ListView_CL>(kControlListView);
    control->CreateControlWindow(parent, WC_LISTVIEWW, L"", extraStyle | kListViewStyle, 0, x, 0, width, height);
    return Add(control);
}

int ControlFactory_CL::CreateGroupBox(HWND parent, const std::wstring& text, int width, int height, int x, int y)
{
    auto* control = NewControl<GroupBox_CL>(kControlGroupBox);
    control->CreateControlWindow(parent, L"Button", text, kGroupBoxStyle, 0, x, y, width, height);
    return Add(control);
}

int ControlFactory_CL::CreateTab(HWND parent)
{
    auto* control = NewControl<Tab_CL>(kControlTab);
    control->CreateControlWindow(parent, WC_TABCONTROLW, L"", kTabStyle, WS_EX_CLIENTEDGE, 0, 0, 640, 480);
    return Add(control);
}

int ControlFactory_CL::CreateProgressBar(HWND parent, int width, int height, int x, int y)
{
    auto* control = NewControl<ProgressBar_CL>(kControlProgressBar);
    control->CreateControlWindow(parent, PROGRESS_CLASSW, L"", kControlBaseStyle, 0, x, y, width, height, false);
    return Add(control);
}

void ControlFactory_CL::StackControls(int first, int last, int y, int gap)
{
    if (first < 0) first = 0;
    if (last >= static_cast<int>(controls.size())) last = static_cast<int>(controls.size()) - 1;
    for (int i = first; i <= last; ++i) {
        ControlBase_CL* control = controls[static_cast<size_t>(i)];
        const RECT rect = control->GetRectInParent();
        const int height = rect.bottom - rect.top;
        MoveWindow(control->hwnd, rect.left, y, rect.right - rect.left, height, TRUE);
        if (control->kind == kControlStaticText && control->GetText() == kSpacerText) {
            ShowWindow(control->hwnd, SW_HIDE);
            y += (height + gap) / 2;
        } else {
            y += height + gap;
        }
    }
}

void ControlFactory_CL::PlaceButtonPair(HWND parent, int index)
{
    ControlBase_CL* left = Get(index);
    ControlBase_CL* right = Get(index + 1);
    if (!left || !right) return;
    RECT client = {};
    GetClientRect(parent, &client);
    const RECT leftRect = left->GetRectInParent();
    const RECT rightRect = right->GetRectInParent();
    const int rightWidth = rightRect.right - rightRect.left;
    const int rightHeight = rightRect.bottom - rightRect.top;
    const int top = client.bottom - 4 - rightHeight;
    const int rightX = client.right - 4 - rightWidth;
    MoveWindow(right->hwnd, rightX, top, rightWidth, rightHeight, TRUE);
    const int leftWidth = leftRect.right - leftRect.left;
    MoveWindow(left->hwnd, rightX - 4 - leftWidth, top, leftWidth, leftRect.bottom - leftRect.top, TRUE);
}
