#include "thumbnailer/DShowThumbnailMakerSampleGrabber.h"

#include <dvdmedia.h>

#include <cstdlib>

#include "core/media/MediaType.h"

namespace {

// Beyond any movie the program meets; keeps every size product well inside 32 bits.
constexpr LONG kMaxSide = 16384;

}  // namespace

DShowThumbnailMakerSampleGrabber_CL::DShowThumbnailMakerSampleGrabber_CL()
    : frameEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr))
{
}

DShowThumbnailMakerSampleGrabber_CL::~DShowThumbnailMakerSampleGrabber_CL() = default;

STDMETHODIMP DShowThumbnailMakerSampleGrabber_CL::QueryInterface(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_ISampleGrabberCB) {
        *out = static_cast<ISampleGrabberCB*>(this);
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

bool DShowThumbnailMakerSampleGrabber_CL::LayoutFromType(const AM_MEDIA_TYPE& type, Layout& out)
{
    if (type.majortype != MEDIATYPE_Video || !type.pbFormat) return false;
    const BITMAPINFOHEADER* header = nullptr;
    RECT target{};
    if (type.formattype == FORMAT_VideoInfo2 && type.cbFormat >= sizeof(VIDEOINFOHEADER2)) {
        const auto* info = reinterpret_cast<const VIDEOINFOHEADER2*>(type.pbFormat);
        header = &info->bmiHeader;
        target = info->rcTarget;
    } else if (type.formattype == FORMAT_VideoInfo && type.cbFormat >= sizeof(VIDEOINFOHEADER)) {
        const auto* info = reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat);
        header = &info->bmiHeader;
        target = info->rcTarget;
    } else {
        return false;
    }

    Layout layout;
    int bytesPerPixel = 0;
    if (type.subtype == MEDIASUBTYPE_RGB32) {
        layout.pixels = FramePixels::Rgb32;
        bytesPerPixel = 4;
    } else if (type.subtype == MEDIASUBTYPE_YUY2) {
        layout.pixels = FramePixels::Yuy2;
        bytesPerPixel = 2;
    } else {
        return false;
    }
    const LONG width = header->biWidth;
    const LONG height = std::labs(header->biHeight);
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return false;
    // biWidth counts the pixels of a whole row, padding included; rcTarget, when given,
    // the picture inside it.
    layout.stride = (width * bytesPerPixel + 3) & ~3;
    layout.width = width;
    layout.height = height;
    const LONG targetWidth = target.right - target.left;
    const LONG targetHeight = target.bottom - target.top;
    if (target.left == 0 && target.top == 0 && targetWidth > 0 && targetWidth <= width && targetHeight > 0 &&
        targetHeight <= height) {
        layout.width = targetWidth;
        layout.height = targetHeight;
    }
    // RGB rows are bottom-up unless the height is negative; YUV rows are always top-down.
    layout.bottomUp = layout.pixels == FramePixels::Rgb32 && header->biHeight > 0;
    out = layout;
    return true;
}

bool DShowThumbnailMakerSampleGrabber_CL::SetConnectedType(const AM_MEDIA_TYPE& type)
{
    Layout read;
    const bool usable = LayoutFromType(type, read);
    Guard_CL guard(lock);
    haveLayout = usable;
    if (usable) layout = read;
    return usable;
}

void DShowThumbnailMakerSampleGrabber_CL::ClearConnectedType()
{
    Guard_CL guard(lock);
    haveLayout = false;
    armed = false;
    frame.reset();
}

bool DShowThumbnailMakerSampleGrabber_CL::IsRgb32()
{
    Guard_CL guard(lock);
    return haveLayout && layout.pixels == FramePixels::Rgb32;
}

void DShowThumbnailMakerSampleGrabber_CL::SetSlotSize(int width, int height)
{
    Guard_CL guard(lock);
    slotWidth = width;
    slotHeight = height;
}

void DShowThumbnailMakerSampleGrabber_CL::Arm()
{
    Guard_CL guard(lock);
    frame.reset();
    ResetEvent(frameEvent.get());
    armed = true;
}

std::unique_ptr<Gdiplus::Bitmap> DShowThumbnailMakerSampleGrabber_CL::TakeFrame()
{
    Guard_CL guard(lock);
    armed = false;
    return std::move(frame);
}

STDMETHODIMP DShowThumbnailMakerSampleGrabber_CL::SampleCB(double, IMediaSample* sample)
{
    if (!sample) return S_OK;
    Layout current;
    int reduction = 1;
    {
        Guard_CL guard(lock);
        // Not waited for, or the first frame after the seek is already here.
        if (!armed || frame) {
            Drop();
            return S_OK;
        }
    }

    // A format change travels with the sample that first uses it: from here on its layout
    // is the one to read, or the frame cannot be read at all.
    AM_MEDIA_TYPE* changed = nullptr;
    if (sample->GetMediaType(&changed) == S_OK && changed) {
        Layout read;
        const bool usable = LayoutFromType(*changed, read);
        DeleteMediaType(changed);
        Guard_CL guard(lock);
        haveLayout = usable;
        if (usable) layout = read;
    }
    {
        Guard_CL guard(lock);
        if (!haveLayout) {
            Drop();
            return S_OK;
        }
        current = layout;
        reduction = ReductionFor(current.width, current.height, slotWidth, slotHeight);
    }

    BYTE* data = nullptr;
    const long length = sample->GetActualDataLength();
    if (length <= 0 || FAILED(sample->GetPointer(&data)) || !data) {
        Drop();
        return S_OK;
    }
    // The whole of every row, the padding too, must be in the sample.
    const uint64_t needed = static_cast<uint64_t>(current.stride) * current.height;
    if (static_cast<uint64_t>(length) < needed) {
        Drop();
        return S_OK;
    }

    YuvFrameLayout source;
    source.data = data;
    source.length = static_cast<size_t>(length);
    source.stride = current.stride;
    source.width = current.width;
    source.height = current.height;
    std::unique_ptr<Gdiplus::Bitmap> bitmap = CreateFrameBitmap(current.pixels, source, current.bottomUp, reduction);
    if (!bitmap) {
        Drop();
        return S_OK;
    }

    Guard_CL guard(lock);
    // The seek may have been given up while the frame was being converted.
    if (!armed || frame) {
        Drop();
        return S_OK;
    }
    frame = std::move(bitmap);
    SetEvent(frameEvent.get());
    return S_OK;
}
