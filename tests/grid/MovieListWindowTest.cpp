#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

#include "core/album/SaveData.h"
#include "core/media/GdiplusSession.h"
#include "tests/common/TestWindow.h"
#include "ui/views/MovieListWindow.h"
#include "ui/views/ViewHost.h"

namespace {

class GridHost : public ViewHost_IF {
public:
    void RefreshMovieList() override { ++refreshes; }
    int refreshes = 0;
};

TEST(MovieListWindowTest, CreatesItsWindow)
{
    GdiplusSession gdiplus;
    ASSERT_TRUE(gdiplus.IsStarted());
    TestHostWindow host(640, 480);
    SaveData_CL album;
    GridHost grid_host;
    MovieListWindow_CL grid(&album, &grid_host);
    ASSERT_NE(grid.Create(host.Get(), 77, 600, 400), nullptr);
    EXPECT_EQ(grid.UseDirect2D(), 0);
    EXPECT_EQ(grid.GetBackBufferPixelFormat(), PixelFormat24bppRGB);
    DestroyWindow(grid.hwnd);
    PumpMessages();
}

}  // namespace
