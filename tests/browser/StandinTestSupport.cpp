#include "tests/browser/StandinTestSupport.h"

#include "tests/common/TempFolder.h"

#include <gdiplus.h>
#include <shlobj.h>

#include <memory>
#include <vector>

std::wstring ProgramFolder()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    const size_t slash = folder.find_last_of(L"\\/");
    return slash == std::wstring::npos ? folder : folder.substr(0, slash);
}

StandinLoader::StandinLoader(const std::wstring& path) : module_(LoadLibraryW(path.c_str()))
{
    if (!module_) return;
    create = reinterpret_cast<CreateCoreWebView2EnvironmentWithOptionsFunction>(
        reinterpret_cast<void*>(GetProcAddress(module_, "CreateCoreWebView2EnvironmentWithOptions")));
    version = reinterpret_cast<GetAvailableCoreWebView2BrowserVersionStringFunction>(
        reinterpret_cast<void*>(GetProcAddress(module_, "GetAvailableCoreWebView2BrowserVersionString")));
}

StandinLoader::~StandinLoader()
{
    // Left loaded: objects of the library may still sit in the thread's message queue.
}

ScopedStandinSwitches::ScopedStandinSwitches(const std::wstring& switches)
{
    SetEnvironmentVariableW(L"REELVAULT_WEBVIEW_STANDIN", switches.c_str());
}

ScopedStandinSwitches::~ScopedStandinSwitches()
{
    SetEnvironmentVariableW(L"REELVAULT_WEBVIEW_STANDIN", nullptr);
}

bool PumpUntil(const std::function<bool()>& condition, DWORD limitMs)
{
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (condition()) return true;
        if (GetTickCount64() - start > limitMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

namespace {

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ERASEBKGND) {
        RECT client;
        GetClientRect(window, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

HostWindow::HostWindow(int width, int height, bool shown)
{
    static const wchar_t kClass[] = L"ReelvaultStandinTestHost";
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = HostWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClass;
    RegisterClassExW(&windowClass);
    RECT frame = {0, 0, width, height};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    window_ = CreateWindowExW(0, kClass, L"Browser stand-in test", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 20, 20,
                              frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    if (window_ && shown) {
        ShowWindow(window_, SW_SHOWNORMAL);
        UpdateWindow(window_);
    }
}

HostWindow::~HostWindow()
{
    Destroy();
}

void HostWindow::Destroy()
{
    if (window_) DestroyWindow(window_);
    window_ = nullptr;
}

namespace {

bool PngEncoder(CLSID* clsid)
{
    UINT count = 0;
    UINT bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0) return false;
    std::vector<BYTE> buffer(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, bytes, codecs) != Gdiplus::Ok) return false;
    for (UINT i = 0; i < count; ++i) {
        if (codecs[i].MimeType && std::wstring(codecs[i].MimeType) == L"image/png") {
            *clsid = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

}  // namespace

bool SaveWindowScreenshot(HWND window, const std::wstring& path)
{
    const size_t slash = path.find_last_of(L'\\');
    if (slash != std::wstring::npos) SHCreateDirectoryExW(nullptr, path.substr(0, slash).c_str(), nullptr);

    RECT frame;
    if (!GetWindowRect(window, &frame)) return false;
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    bool saved = false;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok) {
        {
            Gdiplus::Bitmap image(bitmap, nullptr);
            CLSID png;
            saved = PngEncoder(&png) && image.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok;
        }
        Gdiplus::GdiplusShutdown(token);
    }
    DeleteObject(bitmap);
    return saved;
}

std::wstring TakeCoTaskString(LPWSTR text)
{
    if (!text) return L"";
    std::wstring copy(text);
    CoTaskMemFree(text);
    return copy;
}

std::string Narrow(const std::wstring& text)
{
    if (text.empty()) return std::string();
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                          nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &utf8[0], bytes, nullptr, nullptr);
    return utf8;
}

std::vector<std::string> ReadStandinLogLines(const std::wstring& path)
{
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    std::vector<std::string> lines;
    std::string line;
    for (uint8_t byte : bytes) {
        if (byte == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (byte != '\r') {
            line.push_back(static_cast<char>(byte));
        }
    }
    return lines;
}
