#pragma once
// The program's own video renderer: it ends the video branch of a frame-grabbing graph and
// hands each frame that arrives while the graph is paused (one per seek) to a sample-grabber
// callback. Frames that arrive while the graph runs are dropped.
#include <windows.h>
#include <dshow.h>
#include <dvdmedia.h>
#include <qedit.h>

#include <cstdint>
#include <memory>
#include <string>

#include "core/base/CriticalSection.h"

class DShowSampleRendererInputPin_CL;
class DShowSeekingPassThru_CL;

class DShowSampleRenderer final : public IBaseFilter {
public:
    // The new filter comes with one reference, or the result is a failure and *out is null.
    static HRESULT Create(DShowSampleRenderer** out);

    // IID_ISampleGrabber gives a new DShowSampleRendererISampleGrabber_CL face on every call.
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP GetClassID(CLSID* classId) override;

    STDMETHODIMP Stop() override;
    STDMETHODIMP Pause() override;
    STDMETHODIMP Run(REFERENCE_TIME start) override;
    STDMETHODIMP GetState(DWORD timeoutMs, FILTER_STATE* state) override;
    STDMETHODIMP SetSyncSource(IReferenceClock* clock) override;
    STDMETHODIMP GetSyncSource(IReferenceClock** clock) override;

    STDMETHODIMP EnumPins(IEnumPins** out) override;
    STDMETHODIMP FindPin(LPCWSTR id, IPin** out) override;
    STDMETHODIMP QueryFilterInfo(FILTER_INFO* info) override;
    STDMETHODIMP JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;
    STDMETHODIMP QueryVendorInfo(LPWSTR* vendorInfo) override;

    // S_OK for a video format block of FORMAT_VideoInfo or FORMAT_VideoInfo2, at least as long
    // as its header, whose subtype is the preferred one or RGB32; S_FALSE for anything else.
    HRESULT CheckMediaType(const AM_MEDIA_TYPE* type);
    // Takes the connection's type; a VIDEOINFOHEADER block is kept in the VIDEOINFOHEADER2 form.
    HRESULT SetMediaType(const AM_MEDIA_TYPE* type);
    // The frame that arrived while paused goes to the callback's SampleCB.
    void OnReceiveFirstSample(IMediaSample* sample);
    // Frames that arrive while running are not looked at.
    HRESULT DoRenderSample(IMediaSample* sample);

    // The input pin's streaming calls.
    HRESULT Receive(IMediaSample* sample);
    HRESULT EndOfStream();
    HRESULT BeginFlush();
    HRESULT EndFlush();

    // 1 when the connection is RGB32 (bottom-up BGRX), 0 when it is the preferred YUY2.
    int32_t IsRgb32() const { return rgb32; }
    const VIDEOINFOHEADER2& VideoHeader() const { return videoHeader; }

    // Holds the filter's state lock for one scope (the pin's connection is guarded by it too).
    class StateLock_CL {
    public:
        explicit StateLock_CL(DShowSampleRenderer* filter) : section(filter->stateLock) { section.Enter(); }
        ~StateLock_CL() { section.Leave(); }
        StateLock_CL(const StateLock_CL&) = delete;
        StateLock_CL& operator=(const StateLock_CL&) = delete;

    private:
        CriticalSection_CL& section;
    };

    FILTER_STATE State();
    DShowSampleRendererInputPin_CL* InputPin() const { return pin.get(); }

    // Live instances in the process, so that tests can see that every graph let go of its renderer.
    static LONG LiveCount();

private:
    friend class DShowSampleRendererISampleGrabber_CL;

    DShowSampleRenderer();
    ~DShowSampleRenderer();
    void NotifyEvent(long code, LONG_PTR param1, LONG_PTR param2);
    void WakeWaiters() { WakeAllConditionVariable(&stateChanged); }

    // The fields the sample-grabber face works on.
    AM_MEDIA_TYPE* connectedType = nullptr;  // owned, VIDEOINFOHEADER2 form for video
    VIDEOINFOHEADER2 videoHeader{};
    int32_t sampleBufferSize = 0;  // no sample is ever kept: GetCurrentBuffer reports 0 and 0
    BYTE* sampleBuffer = nullptr;
    AM_MEDIA_TYPE preferredType{};  // shallow copy: only its subtype is read, nothing is freed
    int32_t callbackMethod = 0;     // stored; SampleCB is called whatever it says
    ISampleGrabberCB* callback = nullptr;  // one reference
    int32_t rgb32 = 0;

    LONG refCount = 1;
    CriticalSection_CL stateLock;     // state, flags and the pin's connection
    CriticalSection_CL callbackLock;  // the callback pointer: held only to copy it
    CONDITION_VARIABLE stateChanged;
    FILTER_STATE state = State_Stopped;
    bool flushing = false;
    // Counts the flushes, so that a frame delivered across one is known to be stale.
    uint32_t flushCount = 0;
    bool endOfStream = false;
    // Paused and holding a frame (or at the end of the stream): the pause has completed.
    bool ready = false;
    IReferenceClock* clock = nullptr;       // one reference; frames are never timed against it
    IFilterGraph* graph = nullptr;          // not counted: the graph owns the filter
    IMediaEventSink* eventSink = nullptr;   // not counted, for the same reason
    std::wstring name;
    std::unique_ptr<DShowSampleRendererInputPin_CL> pin;
    std::unique_ptr<DShowSeekingPassThru_CL> seeking;
};
