#include "core/base/HighDpiHelper.h"

#include "core/base/DllFunction.h"

void HighDpiHelper_CL::QueryDpi()
{
    aware = 0;
    OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version));
#pragma GCC diagnostic pop

    if (version.dwMajorVersion >= 6) {
        using GetProcessDpiAwarenessFn = HRESULT(WINAPI*)(HANDLE, int*);
        using IsProcessDpiAwareFn = BOOL(WINAPI*)();
        DllFunction_CL shcore(L"SHCore.dll");
        DllFunction_CL user32(L"user32.dll");
        auto getAwareness = shcore.Get<GetProcessDpiAwarenessFn>("GetProcessDpiAwareness");
        auto isAware = user32.Get<IsProcessDpiAwareFn>("IsProcessDPIAware");
        if (getAwareness) {
            int value = 0;
            if (SUCCEEDED(getAwareness(GetCurrentProcess(), &value))) aware = value != 0 ? 1 : 0;
        } else if (isAware) {
            aware = isAware() ? 1 : 0;
        }
    }

    if (aware) return;
    HDC screen = GetDC(nullptr);
    if (!screen) return;
    dpiX = GetDeviceCaps(screen, LOGPIXELSX);
    dpiY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
}
