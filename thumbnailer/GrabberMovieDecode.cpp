#include "thumbnailer/GrabberMovieDecode.h"

#include "thumbnailer/DecodeErrorList.h"
#include "thumbnailer/ImageWriter.h"
#include "thumbnailer/StillforgeGlobals.h"

static_assert(MovieDecode_CL::kGrabOk == DShowThumbnailMaker_CL::kFrameOk &&
                  MovieDecode_CL::kGrabTimeout == DShowThumbnailMaker_CL::kFrameTimeout &&
                  MovieDecode_CL::kGrabCancelled == DShowThumbnailMaker_CL::kFrameCancelled &&
                  MovieDecode_CL::kGrabFailed == DShowThumbnailMaker_CL::kFrameFailed,
              "the decode reads the grabber's result codes as they are");

GrabberMovieDecode_CL::GrabberMovieDecode_CL(DecodeHost_IF& host, DecodeRequestItem_CL& work, HANDLE cancelEvent)
    : MovieDecode_CL(host, work), maker_(cancelEvent)
{
    // A strip whose frames take the source's size needs the frames whole.
    if (work.frameWidth != kFrameSideOfSource && work.frameHeight != kFrameSideOfSource)
        maker_.SetSlotSize(static_cast<int>(work.frameWidth), static_cast<int>(work.frameHeight));
}

HRESULT GrabberMovieDecode_CL::OpenMovie(const std::wstring& path) { return maker_.SetContent(path); }

int64_t GrabberMovieDecode_CL::GetMovieDuration() { return maker_.GetDuration(); }

Gdiplus::Bitmap* GrabberMovieDecode_CL::GrabFrame(int64_t position, uint32_t& result)
{
    return maker_.DecodeFrame(position, result);
}

void GrabberMovieDecode_CL::WriteStrip(uint32_t imageType, const std::wstring& path, Gdiplus::Bitmap& strip)
{
    // The previous strip stays in the file; the next frame writes it again.
    if (WriteStripImage(imageType, path, strip) == ImageWriteResult::Failed)
        WriteLog(DecodeListLog, L"(save) not written out(%s)", path.c_str());
}

void GrabberMovieDecode_CL::AddToErrorList(const std::wstring& path) { AddDecodeError(path); }
