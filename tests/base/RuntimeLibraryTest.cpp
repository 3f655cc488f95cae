#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>

#include "core/base/DllFunction.h"
#include "core/base/HighDpiHelper.h"
#include "core/base/Shell.h"
#include "tests/common/TempFolder.h"

namespace {

TEST(DllFunction, LooksUpEntryPointsOfLoadedLibrariesOnly)
{
    DllFunction_CL kernel(L"kernel32.dll");
    EXPECT_TRUE(kernel.IsLoaded());
    EXPECT_NE(kernel.GetProc("GetTickCount"), nullptr);
    EXPECT_EQ(kernel.GetProc("NoSuchFunction"), nullptr);

    DllFunction_CL missing(L"reelvault-no-such-library.dll");
    EXPECT_FALSE(missing.IsLoaded());
    EXPECT_EQ(missing.GetProc("GetTickCount"), nullptr);
}

TEST(HighDpiHelper, UnawareProcessTakesTheScreenResolution)
{
    HighDpiHelper_CL dpi;
    EXPECT_EQ(dpi.dpiX, 96);
    dpi.QueryDpi();
    if (dpi.aware) {
        EXPECT_EQ(dpi.dpiX, 96);
    } else {
        HDC screen = GetDC(nullptr);
        EXPECT_EQ(dpi.dpiX, GetDeviceCaps(screen, LOGPIXELSX));
        EXPECT_EQ(dpi.dpiY, GetDeviceCaps(screen, LOGPIXELSY));
        ReleaseDC(nullptr, screen);
    }
    EXPECT_EQ(dpi.Scale(480), MulDiv(480, dpi.dpiX, 96));
}

bool WaitForFile(const std::wstring& path, DWORD milliseconds)
{
    for (DWORD waited = 0; waited < milliseconds; waited += 50) {
        if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
        Sleep(50);
    }
    return false;
}

// The batch file writes a marker when the shell runs it.
TEST(ShellOpen, OpensDocumentsUnlessTheHomeMarkerExists)
{
    TempFolder folder;
    const std::wstring script = folder / L"open.bat";
    const std::wstring marker = folder / L"opened.txt";
    {
        std::ofstream out(script.c_str());
        std::string target(marker.begin(), marker.end());
        out << "@echo opened> \"" << target << "\"\r\n";
    }

    ASSERT_TRUE(WriteFileBytes(L"c:\\MyHome.txt", {}));
    EXPECT_TRUE(HasHomeMarkerFile());
    ShellOpen(script);
    EXPECT_FALSE(WaitForFile(marker, 1500));
    DeleteFileW(L"c:\\MyHome.txt");

    EXPECT_FALSE(HasHomeMarkerFile());
    ShellOpen(script);
    EXPECT_TRUE(WaitForFile(marker, 15000));
}

}  // namespace
