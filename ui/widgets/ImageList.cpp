#include "ui/widgets/ImageList.h"

#include "core/base/Log.h"
#include "ui/widgets/Gdi.h"

namespace {

constexpr COLORREF kTransparentColour = RGB(0xFF, 0x00, 0xFF);

}  // namespace

ImageList_CL::~ImageList_CL()
{
    if (imageList && !borrowed) ImageList_Destroy(imageList);
}

bool ImageList_CL::LoadBitmapFile(const std::wstring& path, int imageWidth)
{
    // A zero width would divide by zero below, and a negative one makes no images.
    if (imageWidth <= 0) return false;
    UniqueGdiObject<HBITMAP> bitmap(static_cast<HBITMAP>(
        LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)));
    if (!bitmap) {
        WriteLog(AppLog, L"LoadImage(%s) failed", path.c_str());
        return false;
    }
    BITMAP info = {};
    if (!GetObjectW(bitmap.get(), sizeof(info), &info)) return false;
    HIMAGELIST created =
        ImageList_Create(imageWidth, info.bmHeight, ILC_COLOR24 | ILC_MASK, 0, info.bmWidth / imageWidth);
    if (!created) return false;
    ImageList_AddMasked(created, bitmap.get(), kTransparentColour);
    // A list loaded before is ours to free; a borrowed one stays with its owner.
    if (imageList && !borrowed) ImageList_Destroy(imageList);
    imageList = created;
    borrowed = 0;
    return true;
}
