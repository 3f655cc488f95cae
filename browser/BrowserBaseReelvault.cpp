#include "browser/BrowserBaseReelvault.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include "browser/BrowserLog.h"
#include "core/album/SaveData.h"
#include "core/base/Inifile.h"
#include "ui/widgets/StatusBar.h"

namespace {

// The navigate button's icon among the program's resources.
constexpr int kNavigateIconId = 109;

struct PaneButton {
    int image;
    int command;
    BYTE style;
    const wchar_t* text;
};

// Image 0 of the strip is not used by this tool bar.
const PaneButton kPaneButtons[] = {
    {1, kBrowserBackCommand, BTNS_DROPDOWN, L"戻る"},
    {2, kBrowserForwardCommand, BTNS_DROPDOWN, L"進む"},
    {3, kBrowserStopCommand, BTNS_BUTTON, L"中断"},
    {4, kBrowserReloadCommand, BTNS_BUTTON, L"リロード"},
    {5, kBrowserHomeCommand, BTNS_BUTTON, L"ホーム"},
    {6, kBrowserAddFavoriteCommand, BTNS_BUTTON, L"お気に入りに追加"},
    {7, kBrowserInternetOptionsCommand, BTNS_BUTTON, L"インターネットのプロパティを開きます。"},
};

constexpr int kToolBarImageWidth = 24;

bool EqualsIgnoringAsciiCase(const std::wstring& text, const wchar_t* wanted)
{
    size_t i = 0;
    for (; i < text.size() && wanted[i]; ++i) {
        wchar_t a = text[i];
        wchar_t b = wanted[i];
        if (a >= L'A' && a <= L'Z') a = static_cast<wchar_t>(a - L'A' + L'a');
        if (b >= L'A' && b <= L'Z') b = static_cast<wchar_t>(b - L'A' + L'a');
        if (a != b) return false;
    }
    return i == text.size() && !wanted[i];
}

}  // namespace

BrowserBaseReelvault_CL::BrowserBaseReelvault_CL(SaveData_CL* saveData)
    : engineTable(MakeSearchEngineTable()), saveData(saveData), getFolderPath(SHGetFolderPathW), shellExecute(ShellExecuteW)
{
}

BrowserBaseReelvault_CL::~BrowserBaseReelvault_CL()
{
    // No handler is removed and the controller is not closed: the runtime drops the view
    // with its last reference. The host window goes with the main window.
    controller.Reset();
    view.Reset();
    environment.Reset();
    addressBar.reset();
    // A host that outlives the pane must not reach it through its window data any more.
    if (hostWindow && IsWindow(hostWindow) &&
        GetWindowLongPtrW(hostWindow, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(this))
        SetWindowLongPtrW(hostWindow, GWLP_USERDATA, 0);
}

const Inifile_CL* BrowserBaseReelvault_CL::GetIni() const
{
    if (boundIni) return boundIni;
    return saveData ? &saveData->program_ini : nullptr;
}

HWND BrowserBaseReelvault_CL::Create(HWND parent, const std::wstring& bitmapPath)
{
    ApplyBackendSetting();
    parentWindow = parent;
    toolBarBitmapPath = bitmapPath;
    // The main window's layout moves the host afterwards.
    const RECT rectangle = {200, 200, 640, 480};
    const DWORD style = parent ? WS_CHILD | WS_VISIBLE : WS_VISIBLE | WS_OVERLAPPEDWINDOW;
    HWND host = CreateWebView2Host(parent, &rectangle, style);
    if (!host) {
        WriteBrowserLog(L"[Browser] backend=WebView2 requested, but host creation failed. IE route is removed.");
        return nullptr;
    }
    return host;
}

void BrowserBaseReelvault_CL::ApplyBackendSetting()
{
    const Inifile_CL* ini = GetIni();
    if (!ini) return;
    const std::wstring text = ini->ReadString(L"BROWSER", L"backend", L"");
    if (EqualsIgnoringAsciiCase(text, L"ie")) WriteBrowserLog(L"[Browser] backend=ie is deprecated. forcing WebView2.");
    // Text that does not start with a number reads as 0, "IE" included.
    if (ini->ReadInt(L"BROWSER", L"backend", 1) == 0)
        WriteBrowserLog(L"[Browser] backend=0(IE) is deprecated. forcing WebView2.");
}

HWND BrowserBaseReelvault_CL::CreateToolBar(HWND parent)
{
    if (!toolBar.Create(parent, WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | CCS_NODIVIDER, kBrowserToolBarId)) return nullptr;
    // Without the picture the buttons still come, with their texts only, and nothing is
    // logged (the image list would log a file it cannot load).
    const DWORD attributes = GetFileAttributesW(toolBarBitmapPath.c_str());
    const bool pictureThere = attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    if (pictureThere && toolBarImages.LoadBitmapFile(toolBarBitmapPath, kToolBarImageWidth)) {
        HIMAGELIST former = reinterpret_cast<HIMAGELIST>(SendMessageW(
            toolBar.window, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(toolBarImages.imageList)));
        if (former && former != toolBarImages.imageList) ImageList_Destroy(former);
    }
    size_t record = 0;
    for (const PaneButton& button : kPaneButtons) {
        ToolBarButtonRecord& slot = toolBar.records[record++];
        slot.button.iBitmap = button.image;
        slot.button.idCommand = button.command;
        // Sized each to its own label: plain buttons would all take the width of the
        // longest one, and the tool bar would be seven times that wide.
        slot.button.fsStyle = static_cast<BYTE>(button.style | BTNS_AUTOSIZE);
        // Given with the button, the label makes the tool bar size the button for it; set
        // only afterwards it would be cut off below the image.
        slot.button.iString = reinterpret_cast<INT_PTR>(button.text);
        toolBar.AddButton(&slot, button.text);
    }
    UpdateToolBarState();
    return toolBar.window;
}

HWND BrowserBaseReelvault_CL::CreateAddressBar(HWND parent, const std::wstring& imagePath)
{
    // Kept before its controls exist, so that the pane's events can already find it.
    addressBar = std::make_unique<AddressBarReelvault_CL>(this, kNavigateIconId, GetIni());
    return addressBar->CreateControls(parent, imagePath);
}

void BrowserBaseReelvault_CL::SetStatusText(const std::wstring& text)
{
    if (statusBar) statusBar->SetText(text, 0);
}
