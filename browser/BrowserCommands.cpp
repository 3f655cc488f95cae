#include "browser/BrowserBaseReelvault.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cwchar>

#include "core/base/Log.h"
#include "ui/widgets/PopupMenu.h"

namespace {

constexpr int kBackMenuFirst = kBrowserBackCommand + 1;
constexpr int kBackMenuLast = kBrowserBackCommand + 0xFF;
constexpr int kForwardMenuFirst = kBrowserForwardCommand + 1;
constexpr int kForwardMenuLast = kBrowserForwardCommand + 0xFF;
// The favourite-site command of the main window: the current page becomes a site.
constexpr UINT kAddFavoriteSiteCommand = 0x8250;
constexpr int kCommandLogLength = 512;

// The numbers are formatted into a bounded buffer; the line goes to the log through "%s",
// so nothing in it is read as a format.
void LogCommandLine(const wchar_t* format, ...)
{
    wchar_t line[kCommandLogLength] = {};
    va_list arguments;
    va_start(arguments, format);
    _vsnwprintf(line, kCommandLogLength - 1, format, arguments);
    va_end(arguments);
    line[kCommandLogLength - 1] = L'\0';
    WriteLog(AppLog, L"%s", line);
}

}  // namespace

LRESULT BrowserBaseReelvault_CL::HandleParentMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NOTIFY && lParam) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        // The application tool bar has the same control id: only this pane's window counts.
        if (header->code == TBN_DROPDOWN && toolBar.window && header->hwndFrom == toolBar.window)
            OnToolBarDropDown(*reinterpret_cast<const NMTOOLBARW*>(lParam));
        return 0;
    }
    if (msg == WM_COMMAND) RunCommand(LOWORD(wParam));
    return 0;
}

void BrowserBaseReelvault_CL::OnToolBarDropDown(const NMTOOLBARW& notice)
{
    RECT rect = {};
    SendMessageW(toolBar.window, TB_GETRECT, static_cast<WPARAM>(notice.iItem), reinterpret_cast<LPARAM>(&rect));
    TBBUTTONINFOW info = {};
    info.cbSize = sizeof(info);
    info.dwMask = TBIF_COMMAND;
    SendMessageW(toolBar.window, TB_GETBUTTONINFOW, static_cast<WPARAM>(notice.iItem), reinterpret_cast<LPARAM>(&info));
    MapWindowPoints(toolBar.window, HWND_DESKTOP, reinterpret_cast<POINT*>(&rect), 2);
    ShowDropDownMenu(info.idCommand, rect.left, rect.bottom, hostWindow ? GetParent(hostWindow) : parentWindow);
}

void BrowserBaseReelvault_CL::RunCommand(int command)
{
    const auto backs = static_cast<unsigned>(backList.size());
    const auto fores = static_cast<unsigned>(forwardList.size());
    if (command == kBrowserBackCommand) {
        LogCommandLine(L"[History][command] back-button back=%u fore=%u", backs, fores);
        GoHistory(kHistoryDirectionBack, 1);
    } else if (command == kBrowserForwardCommand) {
        LogCommandLine(L"[History][command] forward-button back=%u fore=%u", backs, fores);
        GoHistory(kHistoryDirectionForward, 1);
    } else if (command >= kBackMenuFirst && command <= kBackMenuLast) {
        const int steps = command - kBrowserBackCommand;
        LogCommandLine(L"[History][command] back-menu step=%d back=%u fore=%u", steps, backs, fores);
        GoHistory(kHistoryDirectionBack, steps);
    } else if (command >= kForwardMenuFirst && command <= kForwardMenuLast) {
        const int steps = command - kBrowserForwardCommand;
        LogCommandLine(L"[History][command] forward-menu step=%d back=%u fore=%u", steps, backs, fores);
        GoHistory(kHistoryDirectionForward, steps);
    } else if (command == kBrowserStopCommand) {
        if (view) view->Stop();
    } else if (command == kBrowserReloadCommand) {
        if (view) view->Reload();
    } else if (command == kBrowserHomeCommand) {
        Navigate(homeUrl);
    } else if (command == kBrowserInternetOptionsCommand) {
        // A failing start is not reported: the control panel is the system's.
        if (shellExecute)
            shellExecute(hostWindow, L"open", L"rundll32.exe", L"shell32.dll,Control_RunDLL inetcpl.cpl", nullptr,
                     SW_SHOWDEFAULT);
        return;
    } else if (command == kBrowserAddFavoriteCommand) {
        if (parentWindow) PostMessageW(parentWindow, WM_COMMAND, kAddFavoriteSiteCommand, 0);
        return;
    } else {
        return;
    }
    if (parentWindow) PostMessageW(parentWindow, WM_COMMAND, kShowBrowserCommand, 0);
}

void BrowserBaseReelvault_CL::ShowDropDownMenu(int command, int x, int y, HWND owner)
{
    PopupMenu_CL menu;
    if (!menu.CreatePopup()) return;
    menu.imageList = toolBarImages.imageList;
    if (command == kBrowserBackCommand)
        AppendHistoryMenuItems(menu, backList, kBackMenuFirst, 1);
    else if (command == kBrowserForwardCommand)
        AppendHistoryMenuItems(menu, forwardList, kForwardMenuFirst, 2);
    else
        return;  // only the history buttons carry an arrow; nothing is shown for any other
    TrackPopupMenu(menu.menu, TPM_VERTICAL, x, y, 0, owner, nullptr);
}

namespace {

std::wstring HistoryMenuText(const BrowserHistoryItem& entry)
{
    std::wstring text = entry.title;
    if (text.empty()) text = entry.url;
    if (text.empty()) text = L"(no title)";
    if (!entry.url.empty() && entry.url != text) text += L" | " + entry.url;
    return text;
}

}  // namespace

void BrowserBaseReelvault_CL::AppendHistoryMenuItems(PopupMenu_CL& menu, const std::vector<BrowserHistoryItem>& entries,
                                                     int firstCommand, int iconIndex)
{
    // Every text is in place before any item points into one: the vector does not grow
    // again while the menu lives.
    historyMenuItems.clear();
    historyMenuItems.reserve(entries.size());
    for (const BrowserHistoryItem& entry : entries) historyMenuItems.push_back(HistoryMenuText(entry));
    for (size_t i = 0; i < historyMenuItems.size(); ++i) {
        MenuItemRecord* record = menu.ItemAt(static_cast<int>(menu.items.size()));
        if (!record) return;
        record->info.wID = static_cast<UINT>(firstCommand + static_cast<int>(i));
        record->info.dwItemData = reinterpret_cast<ULONG_PTR>(&menu);
        record->info.dwTypeData = const_cast<wchar_t*>(historyMenuItems[i].c_str());
        record->SetIconIndex(iconIndex);
        InsertMenuItemW(menu.menu, static_cast<UINT>(GetMenuItemCount(menu.menu)), TRUE, &record->info);
    }
}
