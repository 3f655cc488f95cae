#include "MediaTestSupport.h"

#include <string>
#include <vector>

#include "core/media/DShowGuids.h"
#include "core/media/DShowMovieHelper.h"
#include "core/media/DShowSampleRenderer.h"

namespace {

class MovieHelper : public ComTest {};

bool InputConnected(IBaseFilter* filter)
{
    ComPtr<IPin> input;
    input = AdoptCom(GetFirstPin(filter, PINDIR_INPUT));
    return PeerOf(input.Get()) != nullptr;
}

// The helper's trace of one edit: the heading, one tab-indented line per filter, a blank line.
void ExpectEditTrace(const std::wstring& text, const std::wstring& heading)
{
    size_t at = text.find(heading + L"\r\n");
    ASSERT_NE(at, std::wstring::npos);
    size_t line = at + heading.size() + 2;
    int filters = 0;
    while (line < text.size() && text[line] == L'\t') {
        size_t end = text.find(L"\r\n", line);
        ASSERT_NE(end, std::wstring::npos);
        line = end + 2;
        ++filters;
    }
    EXPECT_GT(filters, 0);
    EXPECT_EQ(text.compare(line, 4, L"\r\n\r\n"), 0);
}

ComPtr<IBaseFilter> AddFilterByClass(IGraphBuilder* graph, const GUID& classId, const wchar_t* name)
{
    ComPtr<IBaseFilter> filter;
    if (FAILED(CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                reinterpret_cast<void**>(filter.GetAddressOf()))))
        return nullptr;
    if (FAILED(graph->AddFilter(filter.Get(), name))) return nullptr;
    return filter;
}

// The class of the splitter that RenderFile picks for `movie` on this system.
GUID SplitterClass(const std::wstring& movie)
{
    GUID classId = GUID_NULL;
    ComPtr<IGraphBuilder> graph;
    CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                     reinterpret_cast<void**>(graph.GetAddressOf()));
    if (!graph || FAILED(graph->RenderFile(movie.c_str(), nullptr))) return classId;
    ComPtr<IBaseFilter> splitter = FindFilter(graph.Get(), L"GStreamer splitter filter");
    if (splitter) splitter->GetClassID(&classId);
    return classId;
}

// Source and splitter of `movie` in the helper's graph, the splitter under the name the helper
// knows from the platform's own splitters.
ComPtr<IBaseFilter> AddSourceAndSplitter(DShowMovieHelper_CL& helper, const std::wstring& movie)
{
    GUID splitterClass = SplitterClass(movie);
    if (splitterClass == GUID_NULL) return nullptr;
    ComPtr<IBaseFilter> source;
    if (FAILED(helper.Graph()->AddSourceFilter(movie.c_str(), L"Source", &source))) return nullptr;
    ComPtr<IBaseFilter> splitter = AddFilterByClass(helper.Graph(), splitterClass, L"Avi Splitter");
    if (!splitter) return nullptr;
    ComPtr<IPin> sourceOut;
    sourceOut = AdoptCom(GetFirstPin(source.Get(), PINDIR_OUTPUT));
    ComPtr<IPin> splitterIn;
    splitterIn = AdoptCom(GetFirstPin(splitter.Get(), PINDIR_INPUT));
    if (!sourceOut || !splitterIn || FAILED(helper.Graph()->ConnectDirect(sourceOut.Get(), splitterIn.Get(), nullptr)))
        return nullptr;
    return splitter;
}

// A hand-built graph: source and splitter (under a name the helper looks for), audio unconnected.
class MovieHelperSplitter : public ComTest {
protected:
    void SetUp() override
    {
        ComTest::SetUp();
        ASSERT_EQ(helper.Initialize(MEDIASUBTYPE_YUY2), S_OK);
        splitter = AddSourceAndSplitter(helper, MoviePath(L"steps.avi"));
        ASSERT_NE(splitter, nullptr);
        ASSERT_EQ(FindOutputPinByMajorType(splitter.Get(), &audioOut, MEDIATYPE_Audio), S_OK);
    }
    void TearDown() override
    {
        audioOut.Reset();
        splitter.Reset();
        helper.ReleaseGraph();
        ComTest::TearDown();
    }

    DShowMovieHelper_CL helper;
    ComPtr<IBaseFilter> splitter;
    ComPtr<IPin> audioOut;
};

TEST_F(MovieHelper, AudioRendererIsReplacedByTheNullRenderer)
{
    DShowMovieHelper_CL helper;
    ASSERT_EQ(helper.Initialize(MEDIASUBTYPE_YUY2), S_OK);
    ASSERT_EQ(RenderMovie(helper.MediaControl(), MoviePath(L"steps.avi")), S_OK);
    ASSERT_NE(FindFilter(helper.Graph(), L"Default DirectSound Device"), nullptr);

    EXPECT_EQ(helper.EditFilterGraphToAudio(), S_OK);
    EXPECT_EQ(FindFilter(helper.Graph(), L"Default DirectSound Device"), nullptr);
    ComPtr<IBaseFilter> nullAudio = FindFilter(helper.Graph(), L"NullRenderer-Audio");
    ASSERT_NE(nullAudio, nullptr);
    EXPECT_TRUE(InputConnected(nullAudio.Get()));
    ExpectEditTrace(helper.Text(), L"■EditFilterGraphToAudio()");
    EXPECT_NE(helper.Text().find(L"\tDefault DirectSound Device\r\n"), std::wstring::npos);
}

TEST_F(MovieHelperSplitter, SplitterBranchRemovesTheWholeAudioChain)
{

    // splitter -> "decoder" (a pass-through transform) -> DirectSound renderer.
    ComPtr<IBaseFilter> decoder = AddFilterByClass(helper.Graph(), CLSID_SampleGrabber, L"Audio Decoder");
    ComPtr<IBaseFilter> audioRenderer =
        AddFilterByClass(helper.Graph(), CLSID_DSoundRender, L"Default DirectSound Device");
    ASSERT_NE(decoder, nullptr);
    ASSERT_NE(audioRenderer, nullptr);
    ComPtr<IPin> decoderIn;
    decoderIn = AdoptCom(GetFirstPin(decoder.Get(), PINDIR_INPUT));
    ComPtr<IPin> decoderOut;
    decoderOut = AdoptCom(GetFirstPin(decoder.Get(), PINDIR_OUTPUT));
    ComPtr<IPin> rendererIn;
    rendererIn = AdoptCom(GetFirstPin(audioRenderer.Get(), PINDIR_INPUT));
    ASSERT_EQ(helper.Graph()->ConnectDirect(audioOut.Get(), decoderIn.Get(), nullptr), S_OK);
    ASSERT_EQ(helper.Graph()->ConnectDirect(decoderOut.Get(), rendererIn.Get(), nullptr), S_OK);

    EXPECT_EQ(helper.EditFilterGraphToAudio(), S_OK);
    EXPECT_EQ(FindFilter(helper.Graph(), L"Audio Decoder"), nullptr);
    EXPECT_EQ(FindFilter(helper.Graph(), L"Default DirectSound Device"), nullptr);
    ComPtr<IBaseFilter> nullAudio = FindFilter(helper.Graph(), L"NullRenderer-Audio");
    ASSERT_NE(nullAudio, nullptr);

    // Up from the null renderer, directly or through a decoder, to the splitter's audio pin.
    ComPtr<IPin> input;
    input = AdoptCom(GetFirstPin(nullAudio.Get(), PINDIR_INPUT));
    bool reached = false;
    for (int hop = 0; hop < 3 && input && !reached; ++hop) {
        ComPtr<IPin> upstream = PeerOf(input.Get());
        if (!upstream) break;
        reached = upstream.Get() == audioOut.Get();
        input = AdoptCom(GetFirstPin(OwnerOfPin(upstream.Get()).Get(), PINDIR_INPUT));
    }
    EXPECT_TRUE(reached);
}

TEST_F(MovieHelperSplitter, GraphWithoutDirectSoundKeepsItsConnections)
{

    EXPECT_EQ(helper.EditFilterGraphToAudio(), S_OK);
    EXPECT_EQ(PeerOf(audioOut.Get()), nullptr);
    ComPtr<IBaseFilter> nullAudio = FindFilter(helper.Graph(), L"NullRenderer-Audio");
    ASSERT_NE(nullAudio, nullptr);
    EXPECT_FALSE(InputConnected(nullAudio.Get()));
    EXPECT_NE(FindFilter(helper.Graph(), L"Avi Splitter"), nullptr);
    ExpectEditTrace(helper.Text(), L"■EditFilterGraphToAudio()");
}

TEST_F(MovieHelperSplitter, FindOutputPinByMajorType)
{
    ComPtr<IPin> video;
    ASSERT_EQ(FindOutputPinByMajorType(splitter.Get(), &video, MEDIATYPE_Video), S_OK);
    ComPtr<IPin> first;
    ASSERT_EQ(FindOutputPinByMajorType(splitter.Get(), &first, GUID_NULL), S_OK);
    EXPECT_EQ(first.Get(), video.Get());  // the splitter lists its video stream first
    IPin* none = reinterpret_cast<IPin*>(0x1234);
    EXPECT_EQ(FindOutputPinByMajorType(splitter.Get(), &none, MEDIATYPE_Text), E_FAIL);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(GetFirstPin(helper.SampleRenderer(), PINDIR_OUTPUT), nullptr);
}

struct VideoEditCase {
    const char* what;
    int32_t mode;
    bool render;
    HRESULT expected;
    uint32_t flags;
    bool videoRenderer;
};

const VideoEditCase kVideoEditCases[] = {
    {"sample renderer, rendered", DShowMovieHelper_CL::kModeSampleRenderer, true, S_OK, 0, false},
    {"sample renderer, nothing connected", DShowMovieHelper_CL::kModeSampleRenderer, false, VFW_E_NOT_CONNECTED, 0,
     false},
    {"system grabber, rendered", 0, true, S_OK, 0, true},
    {"system grabber, no video renderer", 0, false, E_FAIL, DShowMovieHelper_CL::kFlagNoVideoRenderer, false},
};

TEST_F(MovieHelper, EditFilterGraphToVideoTable)
{
    for (const auto& c : kVideoEditCases) {
        SCOPED_TRACE(c.what);
        DShowMovieHelper_CL helper(c.mode);
        ASSERT_EQ(helper.Initialize(MEDIASUBTYPE_YUY2), S_OK);
        EXPECT_EQ(helper.SampleRenderer() != nullptr, c.mode == DShowMovieHelper_CL::kModeSampleRenderer);
        if (c.render) {
            HRESULT rendered = RenderMovie(helper.MediaControl(), MoviePath(L"steps.mp4"));
            EXPECT_TRUE(rendered == S_OK || rendered == VFW_S_PARTIAL_RENDER);
        }
        EXPECT_EQ(helper.EditFilterGraphToVideo(), c.expected);
        EXPECT_EQ(helper.Flags(), c.flags);
        EXPECT_NE(FindFilter(helper.Graph(), L"NullRenderer-Video"), nullptr);
        ExpectEditTrace(helper.Text(), L"■EditFilterGraphToVideo()");
        EXPECT_EQ(helper.HasVideoRenderer(), c.videoRenderer);
    }
}

// Open, grab one frame and close, a hundred times: every graph and renderer must go.
TEST_F(MovieHelper, ReleaseGraphLetsGoOfEveryGraph)
{
    DShowMovieHelper_CL helper;
    for (int cycle = 0; cycle < 100; ++cycle) {
        SCOPED_TRACE(testing::Message() << "cycle " << cycle);
        ASSERT_EQ(helper.Initialize(MEDIASUBTYPE_YUY2), S_OK);
        ASSERT_EQ(RenderMovie(helper.MediaControl(), MoviePath(L"steps-silent.mp4")), S_OK);
        FrameProbe probe;
        ASSERT_EQ(helper.Grabber()->SetCallback(&probe, 0), S_OK);
        ComPtr<IMediaSeeking> seeking;
        ASSERT_EQ(helper.Graph()->QueryInterface(IID_PPV_ARGS(&seeking)), S_OK);
        helper.SetOwnerSlot(0, seeking.Get());
        ASSERT_EQ(helper.EditFilterGraphToVideo(), S_OK);
        ASSERT_EQ(helper.EditFilterGraphToAudio(), S_OK);
        ComPtr<IMediaFilter> graphFilter;
        ASSERT_EQ(helper.Graph()->QueryInterface(IID_PPV_ARGS(&graphFilter)), S_OK);
        graphFilter->SetSyncSource(nullptr);
        graphFilter.Reset();
        helper.MediaControl()->Run();
        helper.MediaControl()->Pause();
        probe.Reset();
        LONGLONG position = (cycle % 5) * kUnitsPerSecond + kUnitsPerSecond / 2;
        ASSERT_EQ(helper.OwnerSlotAs<IMediaSeeking>(0)->SetPositions(&position, AM_SEEKING_AbsolutePositioning, nullptr,
                                                                     AM_SEEKING_NoPositioning),
                  S_OK);
        EXPECT_TRUE(probe.WaitFrame(2000));
        seeking.Reset();

        IGraphBuilder* graph = helper.Graph();
        graph->AddRef();
        helper.ReleaseGraph();
        EXPECT_EQ(helper.Graph(), nullptr);
        EXPECT_EQ(helper.OwnerSlot(0), nullptr);
        ASSERT_EQ(graph->Release(), 0u);
        ASSERT_EQ(DShowSampleRenderer::LiveCount(), 0);
    }
}

}  // namespace
