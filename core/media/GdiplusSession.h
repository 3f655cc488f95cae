#pragma once
// GDI+ started for the life of the object; every GDI+ call must fall inside one.
#include <windows.h>
#include <gdiplus.h>

class GdiplusSession {
public:
    GdiplusSession()
    {
        Gdiplus::GdiplusStartupInput input;
        if (Gdiplus::GdiplusStartup(&token_, &input, nullptr) != Gdiplus::Ok) token_ = 0;
    }
    ~GdiplusSession()
    {
        if (token_) Gdiplus::GdiplusShutdown(token_);
    }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

    bool IsStarted() const { return token_ != 0; }

private:
    ULONG_PTR token_ = 0;
};
