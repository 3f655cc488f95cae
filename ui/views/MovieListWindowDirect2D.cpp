// The movie grid's Direct2D painting. Until it is built the grid always paints through
// GDI+: the slots answer 0 and there is nothing to release.
#include "ui/views/MovieListWindow.h"

struct MovieListWindow_CL::Direct2DResources {};

void MovieListWindow_CL::Direct2DResourcesDeleter::operator()(Direct2DResources* resources) const
{
    delete resources;
}

int MovieListWindow_CL::UseDirect2D()
{
    return 0;
}

int MovieListWindow_CL::SkipBackBuffer()
{
    return UseDirect2D() ? 1 : 0;
}

void MovieListWindow_CL::PaintDirect2D(HWND, const RECT*) {}

BOOL MovieListWindow_CL::OnScrolled(HWND, int, int)
{
    return FALSE;
}

void MovieListWindow_CL::ReleaseRenderResources()
{
    direct2d.reset();
}

void MovieListWindow_CL::ReleaseStagingBitmap() {}
