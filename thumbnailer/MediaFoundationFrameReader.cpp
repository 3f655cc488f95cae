#include "thumbnailer/MediaFoundationFrameReader.h"

#include <mfapi.h>
#include <mferror.h>

#include <cstdlib>

#include "core/media/ComAdopt.h"
#include "thumbnailer/StillforgeGlobals.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr DWORD kVideoStream = static_cast<DWORD>(MF_SOURCE_READER_FIRST_VIDEO_STREAM);
constexpr DWORD kAllStreams = static_cast<DWORD>(MF_SOURCE_READER_ALL_STREAMS);
constexpr DWORD kMediaSource = static_cast<DWORD>(MF_SOURCE_READER_MEDIASOURCE);
constexpr UINT32 kMaxSide = 16384;

struct OutputChoice {
    const GUID* subtype;
    FramePixels pixels;
};
// RGB32 first, in case a platform's reader converts; then the YUV forms decoders give.
const OutputChoice kOutputChoices[] = {
    {&MFVideoFormat_RGB32, FramePixels::Rgb32}, {&MFVideoFormat_NV12, FramePixels::Nv12},
    {&MFVideoFormat_YUY2, FramePixels::Yuy2},   {&MFVideoFormat_I420, FramePixels::I420},
    {&MFVideoFormat_IYUV, FramePixels::I420},
};

// The bytes one row of the luma plane (or of a packed format) needs.
int MinimumStride(FramePixels pixels, int width)
{
    switch (pixels) {
    case FramePixels::Rgb32:
        return width * 4;
    case FramePixels::Yuy2:
        return (width + 1) / 2 * 4;
    default:
        return width;
    }
}

// Holds a locked media buffer and unlocks it at the end of the scope. A 2-D buffer gives its
// real pitch (negative for bottom-up rows); a plain one leaves the pitch 0.
class LockedBuffer_CL {
public:
    explicit LockedBuffer_CL(IMFMediaBuffer* buffer) : buffer(buffer) {}
    ~LockedBuffer_CL()
    {
        if (locked2d) twoD->Unlock2D();
        if (locked) buffer->Unlock();
    }
    LockedBuffer_CL(const LockedBuffer_CL&) = delete;
    LockedBuffer_CL& operator=(const LockedBuffer_CL&) = delete;

    HRESULT Lock()
    {
        DWORD maxLength = 0;
        HRESULT hr = buffer->Lock(&data, &maxLength, &length);
        if (FAILED(hr)) return hr;
        locked = true;
        // The pitch of a 2-D buffer is the truth about its rows; its scan line 0 may not be
        // the start of the buffer when the rows are bottom-up.
        if (SUCCEEDED(buffer->QueryInterface(IID_PPV_ARGS(&twoD)))) {
            BYTE* scan0 = nullptr;
            LONG rowPitch = 0;
            if (SUCCEEDED(twoD->Lock2D(&scan0, &rowPitch))) {
                locked2d = true;
                if (scan0 == data) pitch = rowPitch;
            }
        }
        return S_OK;
    }

    BYTE* data = nullptr;
    DWORD length = 0;
    LONG pitch = 0;

private:
    IMFMediaBuffer* buffer;
    ComPtr<IMF2DBuffer> twoD;
    bool locked = false;
    bool locked2d = false;
};

bool IsPlanar(FramePixels pixels) { return pixels == FramePixels::Nv12 || pixels == FramePixels::I420; }

// Bytes of a frame of `rows` rows of `stride` in the layout.
uint64_t FrameBytes(FramePixels pixels, uint64_t stride, uint64_t rows)
{
    return IsPlanar(pixels) ? stride * rows * 3 / 2 : stride * rows;
}

}  // namespace

int MediaFoundationFrameReader_CL::RowStrideFromLength(DWORD length) const
{
    // Wine's reader states the picture width as the stride, while GStreamer pads every row
    // to four bytes (856 for a width of 854): a buffer longer than the stated layout, and
    // exactly as long as a frame of a slightly wider stride, is read with that stride.
    const int stated = defaultStride;
    const uint64_t statedStride = std::abs(stated);
    if (length <= FrameBytes(pixels, statedStride, height)) return stated;
    const int minimum = MinimumStride(pixels, width);
    for (int padded = minimum; padded <= minimum + 64; ++padded)
        if (FrameBytes(pixels, padded, height) == length) return stated < 0 ? -padded : padded;
    return stated;
}

void MediaFoundationFrameReader_CL::LogFailure(const wchar_t* call, HRESULT hr, int64_t frame) const
{
    WriteLog(KilnLog, L"[LOG_LINE] (mf-fallback) %s failed hr=0x%08X", call, static_cast<unsigned>(hr));
    WriteLog(DecodeListLog, L"(mf-fallback) %s failed hr=0x%08X frame=%lld file(%s)", call, static_cast<unsigned>(hr),
             frame, path.c_str());
}

HRESULT MediaFoundationFrameReader_CL::Open(const std::wstring& moviePath, int64_t frame)
{
    Close();
    path = moviePath;
    HRESULT hr = MFStartup(MF_VERSION, MFSTARTUP_FULL);
    if (FAILED(hr)) {
        LogFailure(L"MFStartup", hr, frame);
        return hr;
    }
    started = true;

    ComPtr<IMFAttributes> attributes;
    hr = MFCreateAttributes(&attributes, 2);
    if (FAILED(hr)) {
        LogFailure(L"MFCreateAttributes", hr, frame);
        Close();
        return hr;
    }
    attributes->SetUINT32(MF_READWRITE_DISABLE_CONVERTERS, FALSE);
    attributes->SetUINT32(MF_SOURCE_READER_ENABLE_VIDEO_PROCESSING, TRUE);

    hr = MFCreateSourceReaderFromURL(path.c_str(), attributes.Get(), &reader);
    if (FAILED(hr)) {
        LogFailure(L"MFCreateSourceReaderFromURL", hr, frame);
        Close();
        return hr;
    }
    reader->SetStreamSelection(kAllStreams, FALSE);
    hr = reader->SetStreamSelection(kVideoStream, TRUE);
    if (FAILED(hr)) {
        LogFailure(L"SetStreamSelection(video)", hr, frame);
        Close();
        return hr;
    }
    hr = ChooseOutputType(frame);
    if (FAILED(hr)) {
        Close();
        return hr;
    }

    // The sticky route has no graph to ask, and the album keeps the duration it is given.
    PROPVARIANT value;
    PropVariantInit(&value);
    if (SUCCEEDED(reader->GetPresentationAttribute(kMediaSource, MF_PD_DURATION, &value)) && value.vt == VT_UI8 &&
        value.uhVal.QuadPart <= static_cast<ULONGLONG>(INT64_MAX))
        duration = static_cast<int64_t>(value.uhVal.QuadPart);
    PropVariantClear(&value);
    return S_OK;
}

HRESULT MediaFoundationFrameReader_CL::ChooseOutputType(int64_t frame)
{
    HRESULT hr = E_FAIL;
    for (const OutputChoice& choice : kOutputChoices) {
        ComPtr<IMFMediaType> type;
        if (FAILED(MFCreateMediaType(&type))) return E_OUTOFMEMORY;
        type->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Video);
        type->SetGUID(MF_MT_SUBTYPE, *choice.subtype);
        hr = reader->SetCurrentMediaType(kVideoStream, nullptr, type.Get());
        if (SUCCEEDED(hr)) break;
    }
    if (FAILED(hr)) {
        LogFailure(L"SetCurrentMediaType", hr, frame);
        return hr;
    }

    // What the reader really gives: the type set may differ in what it did not specify.
    ComPtr<IMFMediaType> current;
    hr = reader->GetCurrentMediaType(kVideoStream, &current);
    if (FAILED(hr)) {
        LogFailure(L"GetCurrentMediaType", hr, frame);
        return hr;
    }
    GUID subtype = GUID_NULL;
    if (FAILED(current->GetGUID(MF_MT_SUBTYPE, &subtype))) {
        LogFailure(L"GetCurrentMediaType", MF_E_INVALIDMEDIATYPE, frame);
        return MF_E_INVALIDMEDIATYPE;
    }
    bool known = false;
    for (const OutputChoice& choice : kOutputChoices) {
        if (subtype == *choice.subtype) {
            pixels = choice.pixels;
            known = true;
            break;
        }
    }
    if (!known) {
        // The reader took the type but gives another that nothing here converts.
        LogFailure(L"SetCurrentMediaType", MF_E_INVALIDMEDIATYPE, frame);
        return MF_E_INVALIDMEDIATYPE;
    }

    UINT32 frameWidth = 0;
    UINT32 frameHeight = 0;
    hr = MFGetAttributeSize(current.Get(), MF_MT_FRAME_SIZE, &frameWidth, &frameHeight);
    if (SUCCEEDED(hr) && (frameWidth == 0 || frameHeight == 0 || frameWidth > kMaxSide || frameHeight > kMaxSide))
        hr = MF_E_INVALIDMEDIATYPE;
    if (FAILED(hr)) {
        LogFailure(L"MFGetAttributeSize", hr, frame);
        return hr;
    }
    width = static_cast<int>(frameWidth);
    height = static_cast<int>(frameHeight);

    UINT32 stride = 0;
    defaultStride = 0;
    if (SUCCEEDED(current->GetUINT32(MF_MT_DEFAULT_STRIDE, &stride))) defaultStride = static_cast<INT32>(stride);
    if (defaultStride == 0) defaultStride = MinimumStride(pixels, width);
    return S_OK;
}

void MediaFoundationFrameReader_CL::Close()
{
    reader.Reset();
    if (started) MFShutdown();
    started = false;
    duration = 0;
    width = height = defaultStride = 0;
}

std::unique_ptr<Gdiplus::Bitmap> MediaFoundationFrameReader_CL::ConvertSample(IMFSample* sample, int iteration,
                                                                             int64_t position)
{
    WriteLog(KilnLog, L"[LOG_LINE] (mf-fallback) ConvertToContiguousBuffer begin iter=%d", iteration);
    ComPtr<IMFMediaBuffer> buffer;
    HRESULT hr = sample->ConvertToContiguousBuffer(&buffer);
    if (FAILED(hr)) {
        WriteLog(KilnLog, L"[LOG_LINE] (mf-fallback) ConvertToContiguousBuffer failed hr=0x%08X", static_cast<unsigned>(hr));
        WriteLog(DecodeListLog, L"(mf-fallback) ConvertToContiguousBuffer failed hr=0x%08X iter=%d frame=%lld file(%s)",
                 static_cast<unsigned>(hr), iteration, position, path.c_str());
        return nullptr;
    }
    WriteLog(KilnLog, L"[LOG_LINE] (mf-fallback) MediaBuffer Lock begin iter=%d", iteration);
    LockedBuffer_CL locked(buffer.Get());
    hr = locked.Lock();
    if (FAILED(hr)) {
        WriteLog(KilnLog, L"[LOG_LINE] (mf-fallback) MediaBuffer Lock failed hr=0x%08X", static_cast<unsigned>(hr));
        WriteLog(DecodeListLog, L"(mf-fallback) MediaBuffer Lock failed hr=0x%08X iter=%d frame=%lld file(%s)",
                 static_cast<unsigned>(hr), iteration, position, path.c_str());
        return nullptr;
    }

    int stride = locked.pitch != 0 ? locked.pitch : RowStrideFromLength(locked.length);
    const bool bottomUp = stride < 0;
    stride = std::abs(stride);
    YuvFrameLayout source;
    source.data = locked.data;
    source.length = locked.length;
    source.stride = stride;
    source.width = width;
    source.height = height;
    // Planar decoders may align the luma plane to 16 rows; the buffer's length tells.
    if (IsPlanar(pixels) && stride > 0) {
        const int aligned = (height + 15) & ~15;
        if (static_cast<uint64_t>(locked.length) >= static_cast<uint64_t>(stride) * aligned * 3 / 2) source.lumaRows = aligned;
    }
    const uint64_t need = static_cast<uint64_t>(stride) * height;
    WriteLog(KilnLog, L"[LOG_LINE] (mf-fallback) layout pixels=%d pitch=%d default_stride=%d luma_rows=%d", static_cast<int>(pixels),
             static_cast<int>(locked.pitch), defaultStride, source.lumaRows);
    WriteLog(KilnLog, L"[LOG_LINE] (mf-fallback) Clone begin iter=%d current=%u need=%llu", iteration,
             static_cast<unsigned>(locked.length), static_cast<unsigned long long>(need));
    std::unique_ptr<Gdiplus::Bitmap> frame = CreateFrameBitmap(pixels, source, bottomUp);
    WriteLog(KilnLog, L"[LOG_LINE] (mf-fallback) Clone end iter=%d success=%d", iteration, frame ? 1 : 0);
    if (!frame) return nullptr;

    if (width > kMaxFrameSide || height > kMaxFrameSide) {
        frame = ScaleDownFrame(std::move(frame), kMaxFrameSide);
        if (!frame) return nullptr;
        WriteLog(KilnLog, L"[LOG_LINE] (mf-fallback) scale-down %dx%d -> %dx%d", width, height,
                 static_cast<int>(frame->GetWidth()), static_cast<int>(frame->GetHeight()));
        WriteLog(DecodeListLog, L"(mf-fallback) scale-down %dx%d -> %dx%d frame=%lld file(%s)", width, height,
                 static_cast<int>(frame->GetWidth()), static_cast<int>(frame->GetHeight()), position, path.c_str());
    }
    return frame;
}

std::unique_ptr<Gdiplus::Bitmap> MediaFoundationFrameReader_CL::ReadFrame(int64_t position, HANDLE cancelEvent)
{
    if (!reader) return nullptr;
    PROPVARIANT start;
    PropVariantInit(&start);
    start.vt = VT_I8;
    start.hVal.QuadPart = position;
    HRESULT hr = reader->SetCurrentPosition(GUID_NULL, start);
    if (FAILED(hr)) {
        LogFailure(L"SetCurrentPosition", hr, position);
        return nullptr;
    }
    WriteLog(KilnLog, L"[LOG_LINE] (decode-route) route=mf frame=%lld file(%s) source_size=%ux%u", position, path.c_str(),
             static_cast<unsigned>(width), static_cast<unsigned>(height));
    WriteLog(DecodeListLog, L"(decode-route) route=mf frame=%lld file(%s) source_size=%ux%u", position, path.c_str(),
             static_cast<unsigned>(width), static_cast<unsigned>(height));

    for (int iteration = 0; iteration < kMaxReadIterations; ++iteration) {
        if (cancelEvent && WaitForSingleObject(cancelEvent, 0) == WAIT_OBJECT_0) {
            WriteLog(KilnLog, L"[LOG_LINE] (mf-fallback) cancel iter=%d frame=%lld", iteration, position);
            WriteLog(DecodeListLog, L"(mf-fallback) cancel iter=%d frame=%lld file(%s)", iteration, position, path.c_str());
            return nullptr;
        }
        WriteLog(KilnLog, L"[LOG_LINE] (mf-fallback) ReadSample begin iter=%d frame=%lld", iteration, position);
        DWORD streamIndex = 0;
        DWORD flags = 0;
        LONGLONG timestamp = 0;
        ComPtr<IMFSample> sample;
        hr = reader->ReadSample(kVideoStream, 0, &streamIndex, &flags, &timestamp, &sample);
        if (FAILED(hr)) {
            WriteLog(KilnLog, L"[LOG_LINE] (mf-fallback) ReadSample failed hr=0x%08X iter=%d", static_cast<unsigned>(hr),
                     iteration);
            WriteLog(DecodeListLog, L"(mf-fallback) ReadSample failed hr=0x%08X iter=%d frame=%lld file(%s)",
                     static_cast<unsigned>(hr), iteration, position, path.c_str());
            return nullptr;
        }
        WriteLog(KilnLog, L"[LOG_LINE] (mf-fallback) ReadSample end iter=%d flags=0x%08X has_sample=%d ts=%lld", iteration,
                 static_cast<unsigned>(flags), sample ? 1 : 0, static_cast<long long>(timestamp));
        if (flags & MF_SOURCE_READERF_ENDOFSTREAM) {
            WriteLog(DecodeListLog, L"(mf-fallback) EOS iter=%d frame=%lld file(%s)", iteration, position, path.c_str());
            return nullptr;
        }
        if (!sample) continue;
        std::unique_ptr<Gdiplus::Bitmap> frame = ConvertSample(sample.Get(), iteration, position);
        if (frame) {
            WriteLog(DecodeListLog, L"(mf-fallback) success iter=%d frame=%lld file(%s)", iteration, position, path.c_str());
            return frame;
        }
    }
    return nullptr;
}
