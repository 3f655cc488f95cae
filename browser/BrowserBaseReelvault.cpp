#include "browser/BrowserBaseReelvault.h"

#include "core/base/Log.h"
#include "ui/widgets/StatusBar.h"

namespace {

// The host's control id; the main window's own children count from 0x1100.
constexpr int kBrowserHostId = 0x5100;
// The navigate button's icon among the program's resources.
constexpr int kNavigateIconId = 109;

}  // namespace

BrowserBaseReelvault_CL::~BrowserBaseReelvault_CL()
{
    if (host_ && IsWindow(host_)) DestroyWindow(host_);
}

HWND BrowserBaseReelvault_CL::Create(HWND parent, const std::wstring& menuImagePath)
{
    menuImagePath_ = menuImagePath;
    parentWindow = parent;
    host_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 0, 0, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kBrowserHostId)), GetModuleHandleW(nullptr),
                            nullptr);
    if (!host_) WriteLastErrorLog(L"CreateWindowEx()エラー = 0x%08x : %s");
    return host_;
}

HWND BrowserBaseReelvault_CL::CreateToolBar(HWND) { return nullptr; }

HWND BrowserBaseReelvault_CL::CreateAddressBar(HWND parent, const std::wstring& imagePath)
{
    // Kept before its controls exist, so that the pane's events can already find it.
    addressBar = std::make_unique<AddressBarReelvault_CL>(this, kNavigateIconId, programIni_);
    return addressBar->CreateControls(parent, imagePath);
}

LRESULT BrowserBaseReelvault_CL::HandleParentMessage(HWND, UINT, WPARAM, LPARAM) { return 0; }

HRESULT BrowserBaseReelvault_CL::Navigate(const std::wstring& address)
{
    pendingUrl = address;
    WriteLog(AppLog, L"%s", (L"[Browser] Navigate : " + address).c_str());
    return S_OK;
}

void BrowserBaseReelvault_CL::SetStatusText(const std::wstring& text)
{
    if (statusBar_) statusBar_->SetText(text, 0);
}
