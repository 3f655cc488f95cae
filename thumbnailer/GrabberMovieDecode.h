#pragma once
// The frames of one movie through the program's own frame grabber and image writers.
#include "thumbnailer/DShowThumbnailMaker.h"
#include "thumbnailer/MovieDecode.h"

class GrabberMovieDecode_CL : public MovieDecode_CL {
public:
    // `cancelEvent` ends a grab that waits; it stays the caller's.
    GrabberMovieDecode_CL(DecodeHost_IF& host, DecodeRequestItem_CL& work, HANDLE cancelEvent);

protected:
    HRESULT OpenMovie(const std::wstring& path) override;
    int64_t GetMovieDuration() override;
    Gdiplus::Bitmap* GrabFrame(int64_t position, uint32_t& result) override;
    void WriteStrip(uint32_t imageType, const std::wstring& path, Gdiplus::Bitmap& strip) override;
    void AddToErrorList(const std::wstring& path) override;

private:
    DShowThumbnailMaker_CL maker_;
};
