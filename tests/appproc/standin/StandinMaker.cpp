// Stands in for the thumbnail maker beside a copy of Reelvault: it has the maker's window,
// so Reelvault finds it started, and takes requests on the maker's pipe, appending each to
// DATA_FOLDER\standin-requests.bin as a u32 length and the payload. It decodes nothing.
// A WM_CLOSE ends it, as it ends the maker.
//   Stillforge.exe NAME DATA_FOLDER
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "core/ipc/StillforgeRequest.h"
#include "tests/common/PipeRecordFile.h"

namespace {

LRESULT CALLBACK StandinProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 3) return 2;
    const std::wstring name = argv[1];
    FileRecordingPipeServer server(std::wstring(argv[2]) + L"\\standin-requests.bin");
    LocalFree(argv);

    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = StandinProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kStillforgeWindowClass;
    if (!RegisterClassExW(&windowClass)) return 3;
    HWND window = CreateWindowExW(0, kStillforgeWindowClass, name.c_str(), WS_OVERLAPPED, 0, 0, 100, 100, nullptr,
                                  nullptr, instance, nullptr);
    if (!window) return 4;
    server.SetName(L"Stillforge-" + name);
    if (FAILED(server.Start())) return 5;

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}
