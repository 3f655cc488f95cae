#include "tests/widgets/PaintSupport.h"

#include <cstring>
#include <vector>

#include "tests/common/Screenshot.h"
#include "tests/common/TempFolder.h"

Canvas::Canvas(int width, int height) : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr))
{
    void* bits = nullptr;
    bitmap_.reset(CreateTopDownDib(dc_, width, height, &bits));
    bits_ = static_cast<uint32_t*>(bits);
    previous_ = SelectObject(dc_, bitmap_.get());
}

Canvas::~Canvas()
{
    SelectObject(dc_, previous_);
    DeleteDC(dc_);
}

COLORREF Canvas::Pixel(int x, int y) const
{
    GdiFlush();
    const uint32_t v = bits_[y * width_ + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

void Canvas::Fill(COLORREF colour)
{
    UniqueGdiObject<HBRUSH> brush(CreateSolidBrush(colour));
    RECT all = {0, 0, width_, height_};
    FillRect(dc_, &all, brush.get());
}

std::pair<int, int> Canvas::InkColumns(COLORREF background, int left, int right) const
{
    if (right < 0) right = width_;
    int first = -1, last = -1;
    for (int x = left; x < right; ++x) {
        for (int y = 0; y < height_; ++y) {
            if (Pixel(x, y) == background) continue;
            if (first < 0) first = x;
            last = x;
            break;
        }
    }
    return {first, last};
}

int DefaultFontTextWidth(const std::wstring& text)
{
    WindowDc dc(nullptr);
    SelectedObject font(dc.get(), GetStockObject(DEFAULT_GUI_FONT));
    SIZE size = {};
    GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

COLORREF StripColour(int image) { return RGB(20 + image * 20, 100, 200 - image * 10); }

bool WriteStripBitmap(const std::wstring& path, int count)
{
    const int width = 16 * count, height = 16;
    const int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = static_cast<DWORD>(stride * height);
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + info.biSizeImage;
    std::vector<uint8_t> bytes(file.bfSize);
    memcpy(bytes.data(), &file, sizeof(file));
    memcpy(bytes.data() + sizeof(file), &info, sizeof(info));
    for (int y = 0; y < height; ++y) {
        uint8_t* row = bytes.data() + file.bfOffBits + y * stride;
        for (int x = 0; x < width; ++x) {
            const COLORREF colour = (x % 16) < 8 ? kMagenta : StripColour(x / 16);
            row[x * 3 + 0] = GetBValue(colour);
            row[x * 3 + 1] = GetGValue(colour);
            row[x * 3 + 2] = GetRValue(colour);
        }
    }
    return WriteFileBytes(path, bytes);
}
