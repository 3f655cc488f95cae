#pragma once
// A static control showing a bitmap that the object owns.
#include "ui/widgets/ControlBase.h"

constexpr DWORD kStaticImageStyle = kControlBaseStyle | SS_BITMAP | SS_REALSIZEIMAGE;

class StaticImage_CL : public ControlBase_CL {
public:
    ~StaticImage_CL() override;

    HWND Create(HWND parent, int controlId, int x, int y, int cx, int cy);
    // Takes ownership of `bitmap` and frees the one held before.
    void SetBitmap(HBITMAP bitmap);

    HBITMAP bitmap = nullptr;
};
