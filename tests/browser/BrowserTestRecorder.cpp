#include "tests/browser/BrowserTestRecorder.h"

#include <commctrl.h>

#include "tests/common/TestWindow.h"
#include "ui/widgets/PopupMenu.h"

namespace {

constexpr UINT_PTR kRecorderId = 0x3030;

std::vector<RecordedMenuItem> ReadMenu(HMENU menu)
{
    std::vector<RecordedMenuItem> items;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[512] = {};
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 511;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) continue;
        items.push_back({info.wID, text});
    }
    return items;
}

}  // namespace

MainWindowRecorder::MainWindowRecorder(HWND window) : window_(window)
{
    SetWindowSubclass(window_, &MainWindowRecorder::Proc, kRecorderId, reinterpret_cast<DWORD_PTR>(this));
}

MainWindowRecorder::~MainWindowRecorder() { RemoveWindowSubclass(window_, &MainWindowRecorder::Proc, kRecorderId); }

std::vector<RecordedCommand> MainWindowRecorder::TakeCommands()
{
    PumpMessages();
    std::vector<RecordedCommand> taken;
    taken.swap(commands_);
    return taken;
}

LRESULT CALLBACK MainWindowRecorder::Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR data)
{
    auto* self = reinterpret_cast<MainWindowRecorder*>(data);
    switch (msg) {
    case WM_COMMAND:
        self->commands_.push_back({LOWORD(wParam), lParam});
        return 0;
    case WM_INITMENUPOPUP:
        self->menus.push_back(ReadMenu(reinterpret_cast<HMENU>(wParam)));
        EndMenu();
        return 0;
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
        if (PopupMenu_CL::HandleOwnerDraw(window, msg, wParam, lParam)) return TRUE;
        break;
    default:
        break;
    }
    return DefSubclassProc(window, msg, wParam, lParam);
}
