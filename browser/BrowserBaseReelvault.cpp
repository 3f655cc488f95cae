#include "browser/BrowserBaseReelvault.h"

#include "core/base/Log.h"

namespace {

// The host's control id; the main window's own children count from 0x1100.
constexpr int kBrowserHostId = 0x5100;

}  // namespace

BrowserBaseReelvault_CL::~BrowserBaseReelvault_CL()
{
    if (host_ && IsWindow(host_)) DestroyWindow(host_);
}

HWND BrowserBaseReelvault_CL::Create(HWND parent, const std::wstring& menuImagePath)
{
    menuImagePath_ = menuImagePath;
    host_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 0, 0, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kBrowserHostId)), GetModuleHandleW(nullptr),
                            nullptr);
    if (!host_) WriteLastErrorLog(L"CreateWindowEx()エラー = 0x%08x : %s");
    return host_;
}

HWND BrowserBaseReelvault_CL::CreateToolBar(HWND) { return nullptr; }

HWND BrowserBaseReelvault_CL::CreateAddressBar(HWND, const std::wstring& imagePath)
{
    searchImagePath_ = imagePath;
    if (programIni_ && !addressBar_.GetBoundIni()) addressBar_.Bind(programIni_);
    return nullptr;
}

LRESULT BrowserBaseReelvault_CL::HandleParentMessage(HWND, UINT, WPARAM, LPARAM) { return 0; }

void BrowserBaseReelvault_CL::Navigate(const std::wstring& address)
{
    currentAddress_ = address;
    WriteLog(AppLog, L"[Browser] Navigate : %s", address.c_str());
}
