#include "thumbnailer/ImageWriter.h"

#include <gdiplus.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/base/CriticalSection.h"
#include "thumbnailer/StillforgeGlobals.h"

namespace {

// A reader holds the file for the time of one image load; this waits out a few of them.
constexpr int kSaveAttempts = 10;
constexpr DWORD kSaveRetryMs = 50;

bool SaveThroughTemporary(Gdiplus::Bitmap& image, const std::wstring& path, const CLSID& encoder)
{
    const std::wstring temporary = path + L".tmp";
    for (int attempt = 0; attempt < kSaveAttempts; ++attempt) {
        if (attempt > 0) Sleep(kSaveRetryMs);
        const Gdiplus::Status status = image.Save(temporary.c_str(), &encoder, nullptr);
        if (status != Gdiplus::Ok) {
            WriteLog(KilnLog, L"[LOG_LINE] (save) GdipSaveImageToFile status=%d attempt=%d out(%s)",
                     static_cast<int>(status), attempt + 1, path.c_str());
            continue;
        }
        // The move keeps a reader from ever seeing half a file; forcing it to the disk as
        // well would wait for the disk after every frame, and a strip lost with the power
        // is made again by the next request.
        if (MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
        const DWORD error = GetLastError();
        WriteLog(KilnLog, L"[LOG_LINE] (save) MoveFileEx error=%u attempt=%d out(%s) : %s", static_cast<unsigned>(error),
                 attempt + 1, path.c_str(), GetSystemErrorText(error).c_str());
    }
    DeleteFileW(temporary.c_str());
    return false;
}

// FindEncoder walks every codec that GDI+ knows, and a strip is saved after every frame;
// the encoder of a MIME type does not change while the process runs.
bool FindEncoderOnce(const wchar_t* mimeType, CLSID* clsid)
{
    static CriticalSection_CL lock;
    static std::map<std::wstring, CLSID> found;
    CriticalSection_CL::Lock_CL guard(lock);
    auto known = found.find(mimeType);
    if (known != found.end()) {
        *clsid = known->second;
        return true;
    }
    if (FindEncoder(mimeType, clsid) < 0) return false;
    found.emplace(mimeType, *clsid);
    return true;
}

bool WriteImageOf(const wchar_t* mimeType, const std::wstring& path, Gdiplus::Bitmap& image)
{
    if (path.empty() || image.GetLastStatus() != Gdiplus::Ok) return false;
    CLSID encoder{};
    if (!FindEncoderOnce(mimeType, &encoder)) return false;
    if (SaveThroughTemporary(image, path, encoder)) return true;
    WriteLog(KilnLog, L"[LOG_LINE] (save) failed type=%s out(%s)", mimeType, path.c_str());
    WriteLog(DecodeListLog, L"(save) failed type=%s out(%s)", mimeType, path.c_str());
    return false;
}

bool WriteImage(const wchar_t* mimeType, const std::wstring& path, HBITMAP bitmap)
{
    if (!bitmap) return false;
    Gdiplus::Bitmap image(bitmap, static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)));
    return WriteImageOf(mimeType, path, image);
}

ImageWriteResult ResultOf(bool written) { return written ? ImageWriteResult::Written : ImageWriteResult::Failed; }

}  // namespace

int FindEncoder(const wchar_t* mimeType, CLSID* clsid)
{
    UINT count = 0;
    UINT size = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0 || !mimeType) return -1;
    std::vector<BYTE> buffer(size);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, size, encoders) != Gdiplus::Ok) return -1;
    for (UINT i = 0; i < count; ++i) {
        if (encoders[i].MimeType && wcscmp(encoders[i].MimeType, mimeType) == 0) {
            if (clsid) *clsid = encoders[i].Clsid;
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool WriteBmp(const std::wstring& path, HBITMAP bitmap) { return WriteImage(L"image/bmp", path, bitmap); }
bool WriteJpeg(const std::wstring& path, HBITMAP bitmap) { return WriteImage(L"image/jpeg", path, bitmap); }
bool WritePng(const std::wstring& path, HBITMAP bitmap) { return WriteImage(L"image/png", path, bitmap); }

ImageWriteResult WriteStripImage(uint32_t imageType, const std::wstring& path, HBITMAP bitmap)
{
    bool written = false;
    switch (imageType) {
    case kImageTypeBmp:
        written = WriteBmp(path, bitmap);
        break;
    case kImageTypeJpeg:
        written = WriteJpeg(path, bitmap);
        break;
    case kImageTypePng:
        written = WritePng(path, bitmap);
        break;
    default:
        return ImageWriteResult::UnknownType;
    }
    return ResultOf(written);
}

ImageWriteResult WriteStripImage(uint32_t imageType, const std::wstring& path, Gdiplus::Bitmap& strip)
{
    // A JPEG is 24-bit whatever it is made from, so it is encoded from the strip itself: the
    // way through an HBITMAP (two full copies of the strip) took more than half the time of
    // a save. BMP and PNG keep the pixel layout of the HBITMAP that they were always made of.
    if (imageType == kImageTypeJpeg) return ResultOf(WriteImageOf(L"image/jpeg", path, strip));
    if (imageType != kImageTypeBmp && imageType != kImageTypePng) return ImageWriteResult::UnknownType;
    HBITMAP raw = nullptr;
    if (strip.GetHBITMAP(Gdiplus::Color(0xFF000000), &raw) != Gdiplus::Ok || !raw) return ImageWriteResult::Failed;
    const ImageWriteResult result = WriteStripImage(imageType, path, raw);
    DeleteObject(raw);
    return result;
}
