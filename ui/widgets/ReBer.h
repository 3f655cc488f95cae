#pragma once
// The rebar that holds the tool bars in bands, with a chevron menu for the buttons of a
// band that do not fit and the drop-down menus of its tool bars' buttons.
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <vector>

#include "ui/widgets/ImageList.h"
#include "ui/widgets/PopupMenu.h"
#include "ui/widgets/SubClassWindowBase.h"

// Shows the drop-down menu of a tool-bar button; the rebar's owner supplies it.
class ToolBarDropDown_IF {
public:
    virtual ~ToolBarDropDown_IF() = default;
    // flags are TrackPopupMenu's; (x, y) is the button's bottom-left corner on the screen.
    virtual void ShowDropDownMenu(int commandId, UINT flags, int x, int y, HWND parent) = 0;
};

class ReBer_CL : public SubClassWindowBase_CL {
public:
    // The menu hangs below the point it is shown at.
    static constexpr UINT kMenuFlags = TPM_VERTICAL;

    ReBer_CL();
    ~ReBer_CL() override = default;

    using SubClassWindowBase_CL::Create;
    // The rebar window with the default GUI font and, when imagePath is set, its band images.
    virtual HWND Create(DWORD exStyle, DWORD style, HWND parent, HINSTANCE instance, void* param);
    // The parent window passes its own messages here first; non-zero means handled.
    virtual LRESULT HandleParentMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    // How many buttons, counted from the end, of the band's tool bar are not wholly inside
    // the band: from the first button that sticks out to the last. 0 when all fit.
    int CountHiddenButtons(UINT band) const;
    // The chevron menu of the last `hidden` buttons of a tool bar, in tool-bar order; null
    // when hidden < 1.
    std::unique_ptr<PopupMenu_CL> BuildChevronMenu(HWND toolBar, int hidden) const;

    REBARINFO barInfo;
    ImageList_CL imageList;
    const wchar_t* imagePath = nullptr;  // a strip bitmap of band images; may be null
    int imageWidth = 0;
    std::vector<HWND> toolBars;                  // tool bars whose notifications are handled here
    ToolBarDropDown_IF* dropDownMenu = nullptr;  // may be null

private:
    LRESULT OnNotify(HWND hwnd, const NMHDR& header);
    void ShowChevronMenu(HWND toolBar, int hidden, POINT at);
    bool IsOurs(HWND sender) const;
};
