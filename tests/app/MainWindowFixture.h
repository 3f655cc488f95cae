#pragma once
// The real main window in this process over an empty album in a private Documents folder,
// opened and loaded behind its splash; for the tests of what the window does once ready.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "app/shell/MainWindow.h"
#include "core/media/GdiplusSession.h"
#include "tests/album/AlbumTestSupport.h"
#include "tests/app/AppTestSupport.h"

namespace apptest {


class LoadedMainWindow : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::wstring LogPath() const { return sandbox_.dataFolder() + L"\\Reelvault.txt"; }
    std::wstring Log() const;
    // Opens the window and waits until the album has loaded behind the splash.
    void OpenAndLoad();

    GdiplusSession gdiplus_;
    albumtest::DocumentsSandbox sandbox_;
    std::wstring savedLog_;
    HANDLE mutex_ = nullptr;
    std::unique_ptr<MainWindow_CL> window_;
};

}  // namespace apptest
