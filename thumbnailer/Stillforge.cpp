// Stillforge: the thumbnail maker that Reelvault starts.
//   Stillforge.exe NAME DATA_FOLDER [-restart]
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <clocale>
#include <string>
#include <vector>

#include "core/media/GdiplusSession.h"
#include "thumbnailer/ExceptionFilter.h"
#include "thumbnailer/MainWindow.h"
#include "thumbnailer/StillforgeGlobals.h"

namespace {

std::vector<std::wstring> GetArguments()
{
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!argv) return {};
    std::vector<std::wstring> arguments(argv, argv + count);
    LocalFree(argv);
    return arguments;
}

int RunStillforge(HINSTANCE instance)
{
    setlocale(LC_ALL, "Japanese");
    const std::vector<std::wstring> arguments = GetArguments();
    if (arguments.size() < 3) return -1;
    InitStillforgeGlobals(arguments[1], arguments[2]);

    const HRESULT com = CoInitialize(nullptr);
    int exitCode = 0;
    {
        GdiplusSession gdiplus;
        MainWindow_CL window(instance, static_cast<int>(arguments.size()), arguments[1], arguments[2]);
        // Without a window nothing can reach this program: waiting in a message loop would
        // only leave a process behind that Reelvault cannot find or close.
        if (FAILED(window.Create(arguments[1]))) {
            exitCode = 1;
        } else {
            MSG message;
            while (GetMessageW(&message, nullptr, 0, 0) > 0) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
        window.Teardown();
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return exitCode;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(StillforgeExceptionFilter);
    return RunStillforge(instance);
}
