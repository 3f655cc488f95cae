#pragma once
// The Media Foundation route of the frame grabber: a source reader on one movie that gives
// one frame per position. It takes over when DirectShow fails or times out on a movie.
//
// Under Wine the reader refuses RGB32 output and gives only YUV (NV12, YUY2, I420), so the
// output type actually set is read back and converted in code with the buffer's own stride.
#include <windows.h>
#include <gdiplus.h>
#include <mfidl.h>
#include <mfreadwrite.h>
#include <wrl/client.h>

#include <cstdint>
#include <memory>
#include <string>

#include "thumbnailer/FrameBitmap.h"

class MediaFoundationFrameReader_CL {
public:
    // Frames are capped to this on their larger side before they reach the strip.
    static constexpr int kMaxFrameSide = 1280;
    // Samples read after one seek before giving up.
    static constexpr int kMaxReadIterations = 30;
    // The revision text written to the logs, so that a log tells which decoder wrote it.
    static constexpr const wchar_t* kRevision = L"mfdec-rgbfix-20260427-2305";

    MediaFoundationFrameReader_CL() = default;
    virtual ~MediaFoundationFrameReader_CL() { Close(); }
    MediaFoundationFrameReader_CL(const MediaFoundationFrameReader_CL&) = delete;
    MediaFoundationFrameReader_CL& operator=(const MediaFoundationFrameReader_CL&) = delete;

    // Starts Media Foundation and opens the movie's first video stream with an output type
    // that can be converted; reads the duration and the picture size. S_OK, or the failing
    // call's result with the reader closed. `frame` only goes into the log lines.
    HRESULT Open(const std::wstring& path, int64_t frame);
    void Close();
    bool IsOpen() const { return reader != nullptr; }
    const std::wstring& Path() const { return path; }

    // 100-ns units, from the media source; 0 when it gave none.
    int64_t Duration() const { return duration; }
    int Width() const { return width; }
    int Height() const { return height; }

    // The frame at `position` (100-ns units) as a new bitmap of at most kMaxFrameSide on its
    // larger side; null on failure, at the end of the stream or when `cancelEvent` is set.
    std::unique_ptr<Gdiplus::Bitmap> ReadFrame(int64_t position, HANDLE cancelEvent);

private:
    // Sets an output type that can be converted and reads back what the reader gives; each
    // failing call writes its own log lines. `frame` only goes into them.
    HRESULT ChooseOutputType(int64_t frame);
    std::unique_ptr<Gdiplus::Bitmap> ConvertSample(IMFSample* sample, int iteration, int64_t position);
    // The row stride when the buffer has no pitch of its own (see the .cpp).
    int RowStrideFromLength(DWORD length) const;
    void LogFailure(const wchar_t* call, HRESULT hr, int64_t frame) const;

    std::wstring path;
    bool started = false;
    Microsoft::WRL::ComPtr<IMFSourceReader> reader;
    FramePixels pixels = FramePixels::Nv12;
    int width = 0;
    int height = 0;
    int defaultStride = 0;  // from the output type; the buffer's own pitch wins when it has one
    int64_t duration = 0;
};
