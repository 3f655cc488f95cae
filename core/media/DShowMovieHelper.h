#pragma once
// Builds a frame-grabbing filter graph around a sample grabber and edits the graph that
// RenderFile made of a movie: the video must reach the grabber, the audio goes to a null
// renderer. The owner calls Initialize, RenderFile through MediaControl(), HasVideoRenderer
// when RenderFile did not give S_OK, EditFilterGraphToVideo, EditFilterGraphToAudio, and
// ReleaseGraph to close.
#include <windows.h>
#include <dshow.h>
#include <qedit.h>
#include <wrl/client.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class DShowSampleRenderer;

class DShowMovieHelper_CL {
public:
    // Mode 1: a new DShowSampleRenderer is both grabber and video renderer. Any other mode: the
    // system Sample Grabber is put in as a transform in front of the default video renderer.
    static constexpr int32_t kModeSampleRenderer = 1;
    // Flag set by EditFilterGraphToVideo when the system grabber has no "Video Renderer" behind it.
    static constexpr uint32_t kFlagNoVideoRenderer = 4;
    static constexpr size_t kOwnerSlotCount = 10;

    explicit DShowMovieHelper_CL(int32_t mode = kModeSampleRenderer) : mode(mode) {}
    virtual ~DShowMovieHelper_CL();
    DShowMovieHelper_CL(const DShowMovieHelper_CL&) = delete;
    DShowMovieHelper_CL& operator=(const DShowMovieHelper_CL&) = delete;

    // A new graph with the grabber in it, asking for `videoSubtype` (RGB32 is always taken too
    // by the sample renderer). S_OK, or E_FAIL with everything released.
    HRESULT Initialize(const GUID& videoSubtype);
    // Lists the graph's filters in the text; true at the first one named "Video Renderer".
    bool HasVideoRenderer();
    // S_OK when the video runs through the grabber (and on out of it, with the system grabber).
    HRESULT EditFilterGraphToVideo();
    // Sends the audio to a null renderer in place of "Default DirectSound Device". Always S_OK.
    HRESULT EditFilterGraphToAudio();
    // Disconnects and removes every branch that leaves the grabber's upstream chain anywhere
    // but towards the grabber (audio, subtitles), so that only the video stream is read.
    void CutBranchesBesideGrabber();
    // Removes `filter` and everything connected downstream of it.
    HRESULT RemoveFilterChain(IBaseFilter* filter);
    // Releases every interface held and empties the slots; Initialize may follow.
    void ReleaseGraph();

    int32_t Mode() const { return mode; }
    uint32_t Flags() const { return flags; }
    // The trace of what the helper saw; the owner may add its own lines.
    const std::wstring& Text() const { return text; }
    void AppendText(const std::wstring& line) { text += line; }

    IGraphBuilder* Graph() const { return graph.Get(); }
    IBaseFilter* GrabberFilter() const { return grabberFilter.Get(); }
    ISampleGrabber* Grabber() const { return grabber.Get(); }
    IMediaControl* MediaControl() const { return mediaControl.Get(); }
    // The sample renderer in mode 1 (its RGB32 flag tells the frame layout), else null.
    DShowSampleRenderer* SampleRenderer() const;

    // Slots the owner fills for its own use; each holds one reference until ReleaseGraph.
    void SetOwnerSlot(size_t index, IUnknown* item);
    IUnknown* OwnerSlot(size_t index) const { return index < kOwnerSlotCount ? ownerSlots[index].Get() : nullptr; }
    // The slot read back as the interface the owner put in it.
    template <class Interface>
    Interface* OwnerSlotAs(size_t index) const
    {
        return static_cast<Interface*>(OwnerSlot(index));
    }

private:
    // Appends a tab, each filter's name and CR LF to the text; calls `visit` for each filter
    // with its name and stops when it returns true.
    template <class Visit>
    void ListFilters(Visit visit);
    HRESULT AddNullRenderer(const wchar_t* name, Microsoft::WRL::ComPtr<IBaseFilter>& out);

    int32_t mode;
    uint32_t flags = 0;
    std::wstring text;
    Microsoft::WRL::ComPtr<IGraphBuilder> graph;
    Microsoft::WRL::ComPtr<IBaseFilter> grabberFilter;
    Microsoft::WRL::ComPtr<ISampleGrabber> grabber;
    Microsoft::WRL::ComPtr<IMediaControl> mediaControl;
    Microsoft::WRL::ComPtr<IUnknown> ownerSlots[kOwnerSlotCount];
    Microsoft::WRL::ComPtr<IBaseFilter> renderer;
};

// The filter's pins, taken all at once so that disconnecting them does not disturb the walk.
std::vector<Microsoft::WRL::ComPtr<IPin>> ListPins(IBaseFilter* filter);

// The filter that owns the pin, or null.
Microsoft::WRL::ComPtr<IBaseFilter> OwnerOf(IPin* pin);

// The first pin of `direction` in EnumPins order, with a reference, or null.
IPin* GetFirstPin(IBaseFilter* filter, PIN_DIRECTION direction);

// S_OK with *out the first output pin offering a media type of `majorType` (GUID_NULL: the first
// output pin), with a reference; otherwise E_FAIL and *out null.
HRESULT FindOutputPinByMajorType(IBaseFilter* filter, IPin** out, GUID majorType);
