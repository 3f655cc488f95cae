#include "Screenshot.h"

#include <gdiplus.h>

#include <vector>

#include "core/media/GdiplusSession.h"

namespace {

std::wstring ScreenshotFolder(const std::wstring& area)
{
    wchar_t module[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::wstring();
    std::wstring folder(module, length);
    folder.resize(folder.find_last_of(L'\\'));
    folder += L"\\screenshots";
    CreateDirectoryW(folder.c_str(), nullptr);
    folder += L"\\" + area;
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

const CLSID* FindEncoder(std::vector<BYTE>& buffer, const wchar_t* mimeType)
{
    UINT count = 0;
    UINT size = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) return nullptr;
    buffer.resize(size);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, size, encoders) != Gdiplus::Ok) return nullptr;
    for (UINT i = 0; i < count; ++i) {
        if (encoders[i].MimeType && wcscmp(encoders[i].MimeType, mimeType) == 0) return &encoders[i].Clsid;
    }
    return nullptr;
}

}  // namespace

std::wstring ScreenshotPath(const std::wstring& area, const std::wstring& name)
{
    const std::wstring folder = ScreenshotFolder(area);
    return folder.empty() ? std::wstring() : folder + L"\\" + name + L".png";
}

HBITMAP CreateTopDownDib(HDC dc, int width, int height, void** bits)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(dc, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

bool SaveBitmapAsPng(HBITMAP bitmap, const std::wstring& path)
{
    GdiplusSession session;
    if (!session.IsStarted()) return false;
    std::vector<BYTE> encoders;
    const CLSID* png = FindEncoder(encoders, L"image/png");
    if (!png) return false;
    Gdiplus::Bitmap image(bitmap, nullptr);
    if (image.GetLastStatus() != Gdiplus::Ok) return false;
    return image.Save(path.c_str(), png, nullptr) == Gdiplus::Ok;
}

std::wstring SaveWindowScreenshot(HWND window, const std::wstring& area, const std::wstring& name)
{
    RECT rect = {};
    if (!window || !GetWindowRect(window, &rect)) return std::wstring();
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return std::wstring();
    const std::wstring folder = ScreenshotFolder(area);
    if (folder.empty()) return std::wstring();

    // Everything painted before the capture, children included.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    // Wine hands what was painted to the X server only from time to time, while the thread
    // looks at its queue; messages are left where they are.
    for (int i = 0; i < 4; ++i) {
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }

    HDC screen = GetDC(nullptr);
    if (!screen) return std::wstring();
    void* bits = nullptr;
    HBITMAP bitmap = CreateTopDownDib(screen, width, height, &bits);
    HDC memory = CreateCompatibleDC(screen);
    bool captured = false;
    if (bitmap && memory) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        captured = PrintWindow(window, memory, 0) != FALSE;
        RECT client = {};
        if (IsWindowVisible(window) && GetClientRect(window, &client)) {
            POINT origin = {0, 0};
            ClientToScreen(window, &origin);
            const POINT offset = {origin.x - rect.left, origin.y - rect.top};
            // Wine leaves the frame to a window manager, and the test display has none:
            // the frame and caption are drawn here so the title can be read.
            if ((GetWindowLongPtrW(window, GWL_STYLE) & WS_CAPTION) == WS_CAPTION) {
                RECT frame = {0, 0, width, height};
                FillRect(memory, &frame, GetSysColorBrush(COLOR_BTNFACE));
                DrawEdge(memory, &frame, EDGE_RAISED, BF_RECT);
                RECT caption = {offset.x, offset.x, width - offset.x, offset.y};
                DrawCaption(window, memory, &caption, DC_ACTIVE | DC_TEXT | DC_GRADIENT);
            }
            captured = BitBlt(memory, offset.x, offset.y, client.right, client.bottom, screen, origin.x, origin.y,
                              SRCCOPY) != FALSE;
        }
        GdiFlush();
        SelectObject(memory, previous);
    }
    const std::wstring path = folder + L"\\" + name + L".png";
    const bool saved = captured && SaveBitmapAsPng(bitmap, path);
    if (memory) DeleteDC(memory);
    if (bitmap) DeleteObject(bitmap);
    ReleaseDC(nullptr, screen);
    return saved ? path : std::wstring();
}
