#include "ui/widgets/StaticImage.h"

StaticImage_CL::~StaticImage_CL()
{
    if (bitmap) DeleteObject(bitmap);
}

HWND StaticImage_CL::Create(HWND parent, int controlId, int x, int y, int cx, int cy)
{
    id = controlId;
    return CreateControlWindow(parent, L"Static", L"", kStaticImageStyle, 0, x, y, cx, cy);
}

void StaticImage_CL::SetBitmap(HBITMAP newBitmap)
{
    if (bitmap && bitmap != newBitmap) DeleteObject(bitmap);
    bitmap = newBitmap;
    SendMessageW(hwnd, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(newBitmap));
}
