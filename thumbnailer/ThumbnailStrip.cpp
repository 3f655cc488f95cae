#include "thumbnailer/ThumbnailStrip.h"

#include "thumbnailer/StillforgeGlobals.h"

namespace {

constexpr Gdiplus::ARGB kOpaqueBlack = 0xFF000000;

struct MemoryDcDeleter {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
using UniqueMemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, MemoryDcDeleter>;

// The HDC of a GDI+ graphics, released before the graphics goes.
class GraphicsDc_CL {
public:
    explicit GraphicsDc_CL(Gdiplus::Graphics& graphics) : graphics_(graphics), dc_(graphics.GetHDC()) {}
    ~GraphicsDc_CL()
    {
        if (dc_) graphics_.ReleaseHDC(dc_);
    }
    GraphicsDc_CL(const GraphicsDc_CL&) = delete;
    GraphicsDc_CL& operator=(const GraphicsDc_CL&) = delete;
    HDC get() const { return dc_; }

private:
    Gdiplus::Graphics& graphics_;
    HDC dc_;
};

}  // namespace

ThumbnailStrip_CL::ThumbnailStrip_CL(const std::wstring& moviePath, int frameCount)
    : moviePath_(moviePath), frameCount_(frameCount)
{
}

bool ThumbnailStrip_CL::Create(int frameWidth, int frameHeight)
{
    bitmap_.reset();
    if (frameCount_ < 1 || frameWidth < 1 || frameHeight < 1 || frameWidth > kMaxFrameSide ||
        frameHeight > kMaxFrameSide)
        return false;
    std::unique_ptr<Gdiplus::Bitmap> bitmap(
        new Gdiplus::Bitmap(frameWidth * frameCount_, frameHeight, PixelFormat16bppRGB555));
    if (!bitmap || bitmap->GetLastStatus() != Gdiplus::Ok) return false;
    frameWidth_ = frameWidth;
    frameHeight_ = frameHeight;
    bitmap_ = std::move(bitmap);
    return true;
}

bool ThumbnailStrip_CL::DrawFrame(int slot, Gdiplus::Bitmap& source)
{
    if (!bitmap_ || !IsSlot(slot)) return false;
    const int index = slot + 1;
    const wchar_t* file = moviePath_.c_str();
    Gdiplus::Graphics graphics(bitmap_.get());
    if (graphics.GetLastStatus() != Gdiplus::Ok) return false;
    const int sourceWidth = static_cast<int>(source.GetWidth());
    const int sourceHeight = static_cast<int>(source.GetHeight());
    WriteLog(KilnLog, L"[LOG_LINE]  draw-start index=%d/%d src=%dx%d dst=%dx%d file(%s)", index, frameCount_,
             sourceWidth, sourceHeight, frameWidth_, frameHeight_, file);
    WriteLog(DecodeListLog, L"(draw) start index=%d/%d src=%dx%d dst=%dx%d file(%s)", index, frameCount_,
             sourceWidth, sourceHeight, frameWidth_, frameHeight_, file);

    WriteLog(DecodeListLog, L"(draw) gethbitmap-src-start index=%d/%d file(%s)", index, frameCount_, file);
    HBITMAP rawSource = nullptr;
    if (source.GetHBITMAP(Gdiplus::Color(kOpaqueBlack), &rawSource) != Gdiplus::Ok) rawSource = nullptr;
    UniqueHBitmap sourceBitmap(rawSource);
    WriteLog(DecodeListLog, L"(draw) gethbitmap-src-end index=%d/%d hbitmap=%p file(%s)", index, frameCount_,
             rawSource, file);
    if (!sourceBitmap) {
        WriteLog(DecodeListLog, L"(draw) gethbitmap-src-null index=%d/%d file(%s)", index, frameCount_, file);
        return false;
    }

    bool drawn = false;
    {
        WriteLog(DecodeListLog, L"(draw) gethdc-start index=%d/%d file(%s)", index, frameCount_, file);
        GraphicsDc_CL stripDc(graphics);
        WriteLog(DecodeListLog, L"(draw) gethdc-end index=%d/%d hdc=%p file(%s)", index, frameCount_, stripDc.get(),
                 file);
        if (!stripDc.get()) return false;
        UniqueMemoryDc sourceDc(CreateCompatibleDC(stripDc.get()));
        WriteLog(DecodeListLog, L"(draw) createsrcdc-end index=%d/%d hdc=%p file(%s)", index, frameCount_,
                 sourceDc.get(), file);
        if (sourceDc) {
            HGDIOBJ old = SelectObject(sourceDc.get(), sourceBitmap.get());
            WriteLog(DecodeListLog, L"(draw) selectobject-end index=%d/%d old=%p file(%s)", index, frameCount_, old,
                     file);
            SetStretchBltMode(stripDc.get(), HALFTONE);
            SetBrushOrgEx(stripDc.get(), 0, 0, nullptr);
            WriteLog(DecodeListLog, L"(draw) stretchblt-start index=%d/%d file(%s)", index, frameCount_, file);
            drawn = StretchBlt(stripDc.get(), frameWidth_ * slot, 0, frameWidth_, frameHeight_, sourceDc.get(), 0, 0,
                               sourceWidth, sourceHeight, SRCCOPY) != FALSE;
            WriteLog(DecodeListLog, L"(draw) stretchblt-end index=%d/%d file(%s)", index, frameCount_, file);
            SelectObject(sourceDc.get(), old);
        }
        WriteLog(DecodeListLog, L"(draw) releasehdc-start index=%d/%d file(%s)", index, frameCount_, file);
    }
    WriteLog(DecodeListLog, L"(draw) releasehdc-end index=%d/%d file(%s)", index, frameCount_, file);
    sourceBitmap.reset();
    WriteLog(DecodeListLog, L"(draw) delete-srcbitmap-end index=%d/%d file(%s)", index, frameCount_, file);
    WriteLog(KilnLog, L"[LOG_LINE]  draw-end index=%d/%d file(%s)", index, frameCount_, file);
    WriteLog(DecodeListLog, L"(draw) end index=%d/%d file(%s)", index, frameCount_, file);
    return drawn;
}

bool ThumbnailStrip_CL::FillSlot(int slot, Gdiplus::ARGB colour)
{
    if (!bitmap_ || !IsSlot(slot)) return false;
    Gdiplus::Graphics graphics(bitmap_.get());
    Gdiplus::SolidBrush brush{Gdiplus::Color(colour)};
    return graphics.FillRectangle(&brush, frameWidth_ * slot, 0, frameWidth_, frameHeight_) == Gdiplus::Ok;
}

UniqueHBitmap ThumbnailStrip_CL::CreateHBitmap() const
{
    HBITMAP bitmap = nullptr;
    if (!bitmap_ || bitmap_->GetHBITMAP(Gdiplus::Color(kOpaqueBlack), &bitmap) != Gdiplus::Ok) return nullptr;
    return UniqueHBitmap(bitmap);
}
