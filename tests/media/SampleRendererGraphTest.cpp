#include "MediaTestSupport.h"

#include "core/media/DShowMovieHelper.h"
#include "core/media/DShowSampleRenderer.h"
#include "core/media/MediaType.h"

namespace {

struct GraphCase {
    const wchar_t* movie;
    GUID subtype;
    const char* what;
};

const GraphCase kSoundCases[] = {
    {L"steps.avi", MEDIASUBTYPE_YUY2, "AVI as YUY2"},
    {L"steps.avi", MEDIASUBTYPE_RGB32, "AVI as RGB32"},
    {L"steps.mp4", MEDIASUBTYPE_YUY2, "MP4 as YUY2"},
    {L"steps.mp4", MEDIASUBTYPE_RGB32, "MP4 as RGB32"},
};

// Under Wine the GStreamer splitter feeds every stream from one pipeline: while the audio
// renderer holds its paused sample, a paused seek may never produce the video frame (and the
// graph then cannot stop). The frame-delivery cases therefore use the same codecs without sound.
const GraphCase kSilentCases[] = {
    {L"steps-silent.avi", MEDIASUBTYPE_YUY2, "AVI as YUY2"},
    {L"steps-silent.avi", MEDIASUBTYPE_RGB32, "AVI as RGB32"},
    {L"steps-silent.mp4", MEDIASUBTYPE_YUY2, "MP4 as YUY2"},
    {L"steps-silent.mp4", MEDIASUBTYPE_RGB32, "MP4 as RGB32"},
};

std::string CaseName(const testing::TestParamInfo<GraphCase>& info)
{
    std::string name = info.param.what;
    for (auto& ch : name)
        if (ch == ' ') ch = '_';
    return name;
}

// Seconds (in tenths) to seek to, out of order, each inside one brightness step.
const int kSeekTenths[] = {25, 5, 45, 15, 35, 2, 22, 42, 12, 37};

// The owner's open sequence up to the running graph: graph, RenderFile, duration, callback,
// both edits, no clock, the connected type.
void OpenMovie(DShowMovieHelper_CL& helper, const GraphCase& c, FrameProbe& probe)
{
    ASSERT_EQ(helper.Initialize(c.subtype), S_OK);
    HRESULT rendered = RenderMovie(helper.MediaControl(), MoviePath(c.movie));
    ASSERT_TRUE(rendered == S_OK || rendered == VFW_S_PARTIAL_RENDER) << std::hex << rendered;

    ComPtr<IMediaSeeking> seeking;
    ASSERT_EQ(helper.Graph()->QueryInterface(IID_PPV_ARGS(&seeking)), S_OK);
    ASSERT_EQ(seeking->SetTimeFormat(&TIME_FORMAT_MEDIA_TIME), S_OK);
    LONGLONG duration = 0;
    ASSERT_EQ(seeking->GetDuration(&duration), S_OK);
    EXPECT_NEAR(static_cast<double>(duration), static_cast<double>(kMovieDuration), 0.2 * kUnitsPerSecond);

    ASSERT_EQ(helper.Grabber()->SetCallback(&probe, 0), S_OK);
    // The video runs into our renderer, so no system video renderer was needed.
    EXPECT_EQ(helper.EditFilterGraphToVideo(), S_OK);
    EXPECT_FALSE(helper.HasVideoRenderer());
    EXPECT_EQ(helper.EditFilterGraphToAudio(), S_OK);

    ComPtr<IMediaFilter> graphFilter;
    ASSERT_EQ(helper.Graph()->QueryInterface(IID_PPV_ARGS(&graphFilter)), S_OK);
    ASSERT_EQ(graphFilter->SetSyncSource(nullptr), S_OK);

    AM_MEDIA_TYPE connected{};
    ASSERT_EQ(helper.Grabber()->GetConnectedMediaType(&connected), S_OK);
    EXPECT_EQ(connected.majortype, MEDIATYPE_Video);
    EXPECT_EQ(connected.subtype, c.subtype);
    EXPECT_EQ(connected.formattype, FORMAT_VideoInfo2);
    EXPECT_EQ(connected.cbFormat, 112u);
    if (connected.cbFormat >= sizeof(VIDEOINFOHEADER2)) {
        const auto* header = reinterpret_cast<const VIDEOINFOHEADER2*>(connected.pbFormat);
        EXPECT_EQ(header->bmiHeader.biWidth, 160);
        EXPECT_EQ(abs(header->bmiHeader.biHeight), 120);
        probe.width = header->bmiHeader.biWidth;
        probe.height = abs(header->bmiHeader.biHeight);
    }
    FreeMediaType(connected);
    probe.rgb32 = helper.SampleRenderer()->IsRgb32() != 0;
    EXPECT_EQ(probe.rgb32, c.subtype == MEDIASUBTYPE_RGB32);
}

class SampleRendererSoundGraph : public ComTest, public testing::WithParamInterface<GraphCase> {};

TEST_P(SampleRendererSoundGraph, RenderFileConnectsTheVideoToTheRenderer)
{
    DShowMovieHelper_CL helper;
    FrameProbe probe;
    OpenMovie(helper, GetParam(), probe);
    ComPtr<IPin> input;
    input = AdoptCom(GetFirstPin(helper.SampleRenderer(), PINDIR_INPUT));
    ComPtr<IPin> upstream = PeerOf(input.Get());
    ASSERT_NE(upstream, nullptr);
    FILTER_INFO info{};
    ASSERT_EQ(OwnerOfPin(upstream.Get())->QueryFilterInfo(&info), S_OK);
    if (info.pGraph) info.pGraph->Release();
    EXPECT_STREQ(info.achName, L"GStreamer splitter filter");
}

INSTANTIATE_TEST_SUITE_P(Movies, SampleRendererSoundGraph, testing::ValuesIn(kSoundCases), CaseName);

class SampleRendererGraph : public ComTest, public testing::WithParamInterface<GraphCase> {};

TEST_P(SampleRendererGraph, PausedSeeksDeliverOneFramePerSeekAndRunningDeliversNone)
{
    DShowMovieHelper_CL helper;
    FrameProbe probe;
    OpenMovie(helper, GetParam(), probe);
    if (HasFatalFailure()) return;
    ComPtr<IMediaSeeking> seeking;
    ASSERT_EQ(helper.Graph()->QueryInterface(IID_PPV_ARGS(&seeking)), S_OK);

    ASSERT_TRUE(SUCCEEDED(helper.MediaControl()->Run()));
    ASSERT_TRUE(SUCCEEDED(helper.MediaControl()->Pause()));
    OAFilterState state = State_Stopped;
    ASSERT_EQ(helper.MediaControl()->GetState(5000, &state), S_OK);
    EXPECT_EQ(state, State_Paused);

    for (int tenths : kSeekTenths) {
        SCOPED_TRACE(testing::Message() << "seek to " << tenths / 10.0 << " s");
        probe.Reset();
        LONGLONG position = tenths * kUnitsPerSecond / 10;
        DWORD start = GetTickCount();
        ASSERT_EQ(seeking->SetPositions(&position, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning),
                  S_OK);
        ASSERT_TRUE(probe.WaitFrame(1000));
        EXPECT_LE(GetTickCount() - start, 1000u);
        // Each step is 30 luma levels above the one before, starting at 40.
        int step = (probe.bodyLuma - 40 + 15) / 30;
        EXPECT_EQ(step, tenths / 10) << "body luma " << probe.bodyLuma;
        // The white band is at the top of the picture, whichever way up the rows arrive.
        EXPECT_GT(probe.bandLuma, 200);
        EXPECT_GT(probe.bandLuma, probe.bodyLuma + 40);
        Sleep(50);
        EXPECT_EQ(probe.count, 1);
    }
    EXPECT_FALSE(probe.nonZeroTime);
    EXPECT_EQ(probe.bufferCalls, 0);

    // Running plays to the end without a clock; none of it reaches the callback. The graph
    // waits for every renderer (the unconnected null one too) before it reports completion, so
    // the renderer's own EC_COMPLETE is let through and waited for.
    ComPtr<IMediaEventEx> events;
    ASSERT_EQ(helper.Graph()->QueryInterface(IID_IMediaEventEx, reinterpret_cast<void**>(events.GetAddressOf())), S_OK);
    ASSERT_EQ(events->CancelDefaultHandling(EC_COMPLETE), S_OK);
    probe.Reset();
    ASSERT_TRUE(SUCCEEDED(helper.MediaControl()->Run()));
    bool completed = false;
    DWORD start = GetTickCount();
    while (!completed && GetTickCount() - start < 10000) {
        long code = 0;
        LONG_PTR param1 = 0;
        LONG_PTR param2 = 0;
        if (events->GetEvent(&code, &param1, &param2, 500) != S_OK) continue;
        completed = code == EC_COMPLETE &&
                    param2 == reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(helper.SampleRenderer()));
        events->FreeEventParams(code, param1, param2);
    }
    EXPECT_TRUE(completed);
    EXPECT_EQ(probe.count, 0);
    EXPECT_EQ(helper.MediaControl()->Stop(), S_OK);
}

INSTANTIATE_TEST_SUITE_P(Movies, SampleRendererGraph, testing::ValuesIn(kSilentCases), CaseName);

}  // namespace
