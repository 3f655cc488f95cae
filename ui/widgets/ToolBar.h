#pragma once
// A tool bar of text and image buttons with one tooltip per button, built from button
// records the object keeps.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <vector>

#include "ui/widgets/SubClassWindowBase.h"
#include "ui/widgets/ToolTips.h"

// One button: what TB_INSERTBUTTONW takes, its tooltip text and where it sits.
struct ToolBarButtonRecord {
    TBBUTTON button;
    const wchar_t* toolTip;  // may be null; must live as long as the button's tooltip
    int32_t index;           // the button's index in the tool bar; -1 until it is added with a tooltip
};

class ToolBar_CL : public SubClassWindowBase_CL {
public:
    static constexpr int kBuiltInRecords = 32;
    static constexpr int kMaxTipWidth = 640;

    ToolBar_CL();
    ~ToolBar_CL() override = default;

    using SubClassWindowBase_CL::Create;
    // The tool bar (no bitmaps, drop-down arrows drawn), its tooltip window, and the binding
    // to this object. Null on failure.
    HWND Create(HWND parent, DWORD style, int controlId);

    // Appends the record's button. A text becomes its label and its tooltip; without one the
    // record's own tooltip text is used; with neither the button gets no tooltip and the
    // record keeps index -1.
    void AddButton(ToolBarButtonRecord* record, const wchar_t* text);
    // One tool per added button that has a tooltip text, over the button's rectangle.
    void UpdateToolTips();
    // Sizes the tool bar from its first button's top-left to its last button's bottom-right.
    RECT* FitToButtons(RECT* rect);
    // Re-applies record 1's command, image and text (in its string field) to its button.
    void UpdateSecondButton();

    // A derived class that needs more than 32 buttons raises recordCount before Create,
    // which then makes a fresh array of that many records.
    std::vector<ToolBarButtonRecord> records;
    int recordCount = kBuiltInRecords;
    ToolTips_CL toolTips{TTS_ALWAYSTIP | TTS_NOPREFIX};
};

// Makes the tool bar the band's child, sized to its buttons, with a chevron for the
// buttons that do not fit. The caller sets the rest of the band's mask.
void PrepareToolBarBand(REBARBANDINFOW* band, HWND toolBar);
