#pragma once
// An image list cut from one strip bitmap file, magenta being transparent.
#include <windows.h>
#include <commctrl.h>

#include <string>

class ImageList_CL {
public:
    ImageList_CL() = default;
    virtual ~ImageList_CL();
    ImageList_CL(const ImageList_CL&) = delete;
    ImageList_CL& operator=(const ImageList_CL&) = delete;

    // Cuts the bitmap file left to right into images imageWidth wide and as high as the
    // bitmap. A file that cannot be loaded leaves the list as it was; false then.
    bool LoadBitmapFile(const std::wstring& path, int imageWidth);

    int borrowed = 0;  // non-zero: the list belongs to another object and is not destroyed here
    HIMAGELIST imageList = nullptr;
};
