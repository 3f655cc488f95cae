#pragma once
// The sample-grabber callback of the frame grabber: it turns the one frame that the paused
// graph delivers after a seek into a GDI+ bitmap and wakes the decode thread.
//
// SampleCB runs on the graph's streaming thread; the frame field, the layout and the armed
// flag are shared with the decode thread and are only touched under the lock. A frame is
// taken only while a seek is armed, so that a frame left over from an earlier pause (a late
// preroll after a time-out, the pause at the end of the open) can never stand in for the
// frame of the next position.
#include <windows.h>
#include <dshow.h>
#include <gdiplus.h>
#include <qedit.h>

#include <atomic>
#include <memory>

#include "core/base/CriticalSection.h"
#include "core/base/UniqueHandle.h"
#include "thumbnailer/FrameBitmap.h"

class DShowThumbnailMakerSampleGrabber_CL : public ISampleGrabberCB {
public:
    DShowThumbnailMakerSampleGrabber_CL();
    virtual ~DShowThumbnailMakerSampleGrabber_CL();
    DShowThumbnailMakerSampleGrabber_CL(const DShowThumbnailMakerSampleGrabber_CL&) = delete;
    DShowThumbnailMakerSampleGrabber_CL& operator=(const DShowThumbnailMakerSampleGrabber_CL&) = delete;

    // The maker owns the object: the counts are fixed.
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return 1; }
    STDMETHODIMP_(ULONG) Release() override { return 0; }
    STDMETHODIMP SampleCB(double sampleTime, IMediaSample* sample) override;
    // Registered for SampleCB only.
    STDMETHODIMP BufferCB(double, BYTE*, long) override { return S_OK; }

    // The connection's layout; false (and no layout) when the type is not one the grabber
    // can read. Samples arriving without a layout are dropped.
    bool SetConnectedType(const AM_MEDIA_TYPE& type);
    void ClearConnectedType();
    bool IsRgb32();

    // The slot that the frames are drawn into: each frame is then converted at the largest
    // whole reduction that still covers it (see ReductionFor), not at its full size. 0 x 0
    // (the start): full size.
    void SetSlotSize(int width, int height);

    // Frees a held frame, clears the frame event and accepts the next frame that arrives.
    void Arm();
    // The frame of the armed seek, or null; accepts nothing more until the next Arm.
    std::unique_ptr<Gdiplus::Bitmap> TakeFrame();
    HANDLE FrameEvent() const { return frameEvent.get(); }

    // Samples refused since the object was made, for the logs and the tests.
    LONG DroppedSamples() const { return dropped; }

    // How the frames of one media type are read: the picture and its rows.
    struct Layout {
        FramePixels pixels = FramePixels::Yuy2;
        int width = 0;
        int height = 0;
        int stride = 0;
        bool bottomUp = false;
    };
    // The layout of a video type of FORMAT_VideoInfo or FORMAT_VideoInfo2 in YUY2 or RGB32
    // whose format block is as long as its header says; false for anything else.
    static bool LayoutFromType(const AM_MEDIA_TYPE& type, Layout& layout);

private:
    using Guard_CL = CriticalSection_CL::Lock_CL;

    void Drop() { ++dropped; }

    CriticalSection_CL lock;
    bool haveLayout = false;
    Layout layout;
    bool armed = false;
    int slotWidth = 0;
    int slotHeight = 0;
    std::unique_ptr<Gdiplus::Bitmap> frame;
    UniqueHandle frameEvent;
    std::atomic<LONG> dropped{0};
};
