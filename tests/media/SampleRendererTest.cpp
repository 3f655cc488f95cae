#include "MediaTestSupport.h"

#include <thread>
#include <vector>

#include "tests/common/FakeMediaSample.h"

#include "core/media/DShowMovieHelper.h"
#include "core/media/DShowSampleRenderer.h"
#include "core/media/MediaType.h"

namespace {

// A renderer released at the end of the test.
struct RendererHolder {
    RendererHolder() { DShowSampleRenderer::Create(&renderer); }
    ~RendererHolder()
    {
        if (renderer) renderer->Release();
    }
    DShowSampleRenderer* renderer = nullptr;
};

// A media type whose format block is `size` bytes of `header` (zero-padded), or no block.
struct TypeCase {
    const char* what;
    GUID format;
    GUID subtype;
    ULONG blockSize;
    bool withBlock;
    HRESULT expected;
};

AM_MEDIA_TYPE MakeType(const GUID& format, const GUID& subtype, std::vector<BYTE>& block, ULONG size, bool withBlock)
{
    block.assign(size ? size : 1, 0);
    AM_MEDIA_TYPE type{};
    type.majortype = MEDIATYPE_Video;
    type.subtype = subtype;
    type.formattype = format;
    type.cbFormat = size;
    type.pbFormat = withBlock ? block.data() : nullptr;
    return type;
}

const TypeCase kTypeCases[] = {
    {"VideoInfo YUY2", FORMAT_VideoInfo, MEDIASUBTYPE_YUY2, sizeof(VIDEOINFOHEADER), true, S_OK},
    {"VideoInfo RGB32", FORMAT_VideoInfo, MEDIASUBTYPE_RGB32, sizeof(VIDEOINFOHEADER), true, S_OK},
    {"VideoInfo RGB24", FORMAT_VideoInfo, MEDIASUBTYPE_RGB24, sizeof(VIDEOINFOHEADER), true, S_FALSE},
    {"VideoInfo2 YUY2", FORMAT_VideoInfo2, MEDIASUBTYPE_YUY2, sizeof(VIDEOINFOHEADER2), true, S_OK},
    {"VideoInfo2 RGB32", FORMAT_VideoInfo2, MEDIASUBTYPE_RGB32, sizeof(VIDEOINFOHEADER2), true, S_OK},
    {"VideoInfo with bit fields", FORMAT_VideoInfo, MEDIASUBTYPE_RGB32, sizeof(VIDEOINFOHEADER) + 12, true, S_OK},
    {"MPEGVideo YUY2", FORMAT_MPEGVideo, MEDIASUBTYPE_YUY2, sizeof(VIDEOINFOHEADER), true, S_FALSE},
    {"MPEGVideo RGB32", FORMAT_MPEGVideo, MEDIASUBTYPE_RGB32, sizeof(VIDEOINFOHEADER), true, S_FALSE},
    {"no format YUY2", GUID_NULL, MEDIASUBTYPE_YUY2, 0, false, S_FALSE},
    {"VideoInfo short block", FORMAT_VideoInfo, MEDIASUBTYPE_YUY2, sizeof(VIDEOINFOHEADER) - 1, true, S_FALSE},
    {"VideoInfo empty block", FORMAT_VideoInfo, MEDIASUBTYPE_RGB32, 0, true, S_FALSE},
    {"VideoInfo missing block", FORMAT_VideoInfo, MEDIASUBTYPE_YUY2, sizeof(VIDEOINFOHEADER), false, S_FALSE},
    // A VIDEOINFOHEADER-sized block labelled VideoInfo2 would be read 24 bytes past its end.
    {"VideoInfo2 block of VideoInfo size", FORMAT_VideoInfo2, MEDIASUBTYPE_YUY2, sizeof(VIDEOINFOHEADER), true, S_FALSE},
    {"VideoInfo2 missing block", FORMAT_VideoInfo2, MEDIASUBTYPE_RGB32, sizeof(VIDEOINFOHEADER2), false, S_FALSE},
};

TEST(SampleRenderer, CheckMediaTypeTable)
{
    RendererHolder holder;
    ASSERT_NE(holder.renderer, nullptr);
    for (const auto& c : kTypeCases) {
        SCOPED_TRACE(c.what);
        std::vector<BYTE> block;
        AM_MEDIA_TYPE type = MakeType(c.format, c.subtype, block, c.blockSize, c.withBlock);
        EXPECT_EQ(holder.renderer->CheckMediaType(&type), c.expected);
        // A block too short for its header is refused by the connection as well.
        bool badBlock = (c.format == FORMAT_VideoInfo && (!c.withBlock || c.blockSize < sizeof(VIDEOINFOHEADER))) ||
                        (c.format == FORMAT_VideoInfo2 && (!c.withBlock || c.blockSize < sizeof(VIDEOINFOHEADER2)));
        if (badBlock) {
            EXPECT_NE(holder.renderer->SetMediaType(&type), S_OK);
        }
    }
}

TEST(SampleRenderer, PreferredSubtypeComesFromTheGrabberFace)
{
    RendererHolder holder;
    ComPtr<ISampleGrabber> grabber;
    ASSERT_EQ(holder.renderer->QueryInterface(IID_ISampleGrabber, &grabber), S_OK);
    std::vector<BYTE> block;
    AM_MEDIA_TYPE uyvy = MakeType(FORMAT_VideoInfo, MEDIASUBTYPE_UYVY, block, sizeof(VIDEOINFOHEADER), true);
    AM_MEDIA_TYPE yuy2 = MakeType(FORMAT_VideoInfo, MEDIASUBTYPE_YUY2, block, sizeof(VIDEOINFOHEADER), true);
    AM_MEDIA_TYPE rgb32 = MakeType(FORMAT_VideoInfo, MEDIASUBTYPE_RGB32, block, sizeof(VIDEOINFOHEADER), true);
    EXPECT_EQ(holder.renderer->CheckMediaType(&uyvy), S_FALSE);

    AM_MEDIA_TYPE wanted{};
    wanted.majortype = MEDIATYPE_Video;
    wanted.subtype = MEDIASUBTYPE_UYVY;
    ASSERT_EQ(grabber->SetMediaType(&wanted), S_OK);
    EXPECT_EQ(holder.renderer->CheckMediaType(&uyvy), S_OK);
    EXPECT_EQ(holder.renderer->CheckMediaType(&yuy2), S_FALSE);
    EXPECT_EQ(holder.renderer->CheckMediaType(&rgb32), S_OK);
}

TEST(SampleRenderer, VideoInfoConnectionIsReportedAsVideoInfo2)
{
    RendererHolder holder;
    std::vector<BYTE> block;
    AM_MEDIA_TYPE type = MakeType(FORMAT_VideoInfo, MEDIASUBTYPE_RGB32, block, sizeof(VIDEOINFOHEADER), true);
    auto* source = reinterpret_cast<VIDEOINFOHEADER*>(block.data());
    source->rcSource = {0, 0, 320, 240};
    source->rcTarget = {1, 2, 3, 4};
    source->dwBitRate = 1234;
    source->dwBitErrorRate = 5;
    source->AvgTimePerFrame = 400000;
    source->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    source->bmiHeader.biWidth = 320;
    source->bmiHeader.biHeight = 240;
    source->bmiHeader.biBitCount = 32;
    source->bmiHeader.biSizeImage = 320 * 240 * 4;
    ASSERT_EQ(holder.renderer->SetMediaType(&type), S_OK);
    EXPECT_EQ(holder.renderer->IsRgb32(), 1);

    ComPtr<ISampleGrabber> grabber;
    ASSERT_EQ(holder.renderer->QueryInterface(IID_ISampleGrabber, &grabber), S_OK);
    AM_MEDIA_TYPE connected{};
    ASSERT_EQ(grabber->GetConnectedMediaType(&connected), S_OK);
    EXPECT_EQ(connected.formattype, FORMAT_VideoInfo2);
    EXPECT_EQ(connected.subtype, MEDIASUBTYPE_RGB32);
    ASSERT_EQ(connected.cbFormat, 112u);
    ASSERT_NE(connected.pbFormat, nullptr);
    auto* header = reinterpret_cast<VIDEOINFOHEADER2*>(connected.pbFormat);
    EXPECT_EQ(header->rcSource.right, 320);
    EXPECT_EQ(header->rcTarget.bottom, 4);
    EXPECT_EQ(header->dwBitRate, 1234u);
    EXPECT_EQ(header->dwBitErrorRate, 5u);
    EXPECT_EQ(header->AvgTimePerFrame, 400000);
    EXPECT_EQ(header->dwInterlaceFlags, 0u);
    EXPECT_EQ(header->dwCopyProtectFlags, 0u);
    EXPECT_EQ(header->dwPictAspectRatioX, 0u);
    EXPECT_EQ(header->dwPictAspectRatioY, 0u);
    EXPECT_EQ(header->dwControlFlags, 0u);
    EXPECT_EQ(header->dwReserved2, 0u);
    EXPECT_EQ(memcmp(&header->bmiHeader, &source->bmiHeader, sizeof(BITMAPINFOHEADER)), 0);
    EXPECT_EQ(holder.renderer->VideoHeader().bmiHeader.biWidth, 320);
    FreeMediaType(connected);

    // A later YUY2 connection must not keep the RGB32 layout.
    AM_MEDIA_TYPE yuy2 = MakeType(FORMAT_VideoInfo2, MEDIASUBTYPE_YUY2, block, sizeof(VIDEOINFOHEADER2), true);
    ASSERT_EQ(holder.renderer->SetMediaType(&yuy2), S_OK);
    EXPECT_EQ(holder.renderer->IsRgb32(), 0);
}

TEST(SampleRenderer, GrabberFaceReportsNothingBeforeAConnection)
{
    RendererHolder holder;
    ComPtr<ISampleGrabber> grabber;
    ASSERT_EQ(holder.renderer->QueryInterface(IID_ISampleGrabber, &grabber), S_OK);

    AM_MEDIA_TYPE connected;
    memset(&connected, 0xCD, sizeof(connected));
    EXPECT_EQ(grabber->GetConnectedMediaType(&connected), VFW_E_NOT_CONNECTED);
    EXPECT_EQ(connected.pbFormat, nullptr);
    EXPECT_EQ(connected.cbFormat, 0u);

    auto* stale = reinterpret_cast<IMediaSample*>(0x1234);
    EXPECT_EQ(grabber->GetCurrentSample(&stale), S_OK);
    EXPECT_EQ(stale, nullptr);

    LONG size = -1;
    LONG buffer = -1;
    EXPECT_EQ(grabber->GetCurrentBuffer(&size, &buffer), S_OK);
    EXPECT_EQ(size, 0);
    EXPECT_EQ(buffer, 0);
    EXPECT_EQ(grabber->GetCurrentBuffer(nullptr, &buffer), E_POINTER);
    EXPECT_EQ(grabber->SetOneShot(TRUE), S_OK);
    EXPECT_EQ(grabber->SetBufferSamples(TRUE), S_OK);
}

TEST(SampleRenderer, EachGrabberQueryGivesANewFaceThatDoesNotHoldTheRenderer)
{
    RendererHolder holder;
    ISampleGrabber* first = nullptr;
    ISampleGrabber* second = nullptr;
    ASSERT_EQ(holder.renderer->QueryInterface(IID_ISampleGrabber, reinterpret_cast<void**>(&first)), S_OK);
    ASSERT_EQ(holder.renderer->QueryInterface(IID_ISampleGrabber, reinterpret_cast<void**>(&second)), S_OK);
    EXPECT_NE(first, second);
    // The renderer's own count is untouched by the faces.
    EXPECT_EQ(holder.renderer->AddRef(), 2u);
    EXPECT_EQ(holder.renderer->Release(), 1u);

    void* other = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(first->QueryInterface(IID_IUnknown, &other), E_FAIL);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(first->AddRef(), 2u);
    EXPECT_EQ(first->Release(), 1u);
    EXPECT_EQ(first->Release(), 0u);
    EXPECT_EQ(second->Release(), 0u);
    EXPECT_EQ(holder.renderer->AddRef(), 2u);
    EXPECT_EQ(holder.renderer->Release(), 1u);
}

TEST(SampleRenderer, FilterIdentityAndPins)
{
    RendererHolder holder;
    CLSID classId{};
    EXPECT_EQ(holder.renderer->GetClassID(&classId), S_OK);
    const GUID expected = {0x99F56865, 0xF7DD, 0x4ACB, {0x9D, 0xB9, 0xC1, 0xF3, 0xC5, 0x37, 0xCF, 0x1F}};
    EXPECT_EQ(classId, expected);

    ComPtr<IEnumPins> pins;
    ASSERT_EQ(holder.renderer->EnumPins(&pins), S_OK);
    ComPtr<IPin> pin;
    ASSERT_EQ(pins->Next(1, &pin, nullptr), S_OK);
    PIN_DIRECTION direction;
    EXPECT_EQ(pin->QueryDirection(&direction), S_OK);
    EXPECT_EQ(direction, PINDIR_INPUT);
    ComPtr<IPin> more;
    EXPECT_EQ(pins->Next(1, &more, nullptr), S_FALSE);
    ComPtr<IMemInputPin> memInput;
    EXPECT_EQ(pin.As(&memInput), S_OK);
    ComPtr<IPin> peer;
    EXPECT_EQ(pin->ConnectedTo(&peer), VFW_E_NOT_CONNECTED);

    // The filter graph treats anything but E_NOINTERFACE as a failure.
    ComPtr<IBasicAudio> audio;
    EXPECT_EQ(holder.renderer->QueryInterface(IID_IBasicAudio, &audio), E_NOINTERFACE);
    ComPtr<IMediaSeeking> seeking;
    ASSERT_EQ(holder.renderer->QueryInterface(IID_IMediaSeeking, &seeking), S_OK);
    LONGLONG duration = 0;
    EXPECT_EQ(seeking->GetDuration(&duration), E_NOTIMPL);
}

TEST(SampleRenderer, UnconnectedPauseCompletesAtOnce)
{
    RendererHolder holder;
    EXPECT_EQ(holder.renderer->Pause(), S_OK);
    FILTER_STATE state = State_Stopped;
    EXPECT_EQ(holder.renderer->GetState(0, &state), S_OK);
    EXPECT_EQ(state, State_Paused);
    EXPECT_EQ(holder.renderer->Stop(), S_OK);
}

// An upstream output pin that only says which way it faces, enough to connect to.
class FakeOutputPin : public IPin {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (iid != IID_IUnknown && iid != IID_IPin) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        *out = static_cast<IPin*>(this);
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP Connect(IPin*, const AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    STDMETHODIMP ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    STDMETHODIMP Disconnect() override { return E_NOTIMPL; }
    STDMETHODIMP ConnectedTo(IPin**) override { return E_NOTIMPL; }
    STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryPinInfo(PIN_INFO*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryDirection(PIN_DIRECTION* direction) override
    {
        *direction = PINDIR_OUTPUT;
        return S_OK;
    }
    STDMETHODIMP QueryId(LPWSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes**) override { return E_NOTIMPL; }
    STDMETHODIMP QueryInternalConnections(IPin**, ULONG*) override { return E_NOTIMPL; }
    STDMETHODIMP EndOfStream() override { return E_NOTIMPL; }
    STDMETHODIMP BeginFlush() override { return E_NOTIMPL; }
    STDMETHODIMP EndFlush() override { return E_NOTIMPL; }
    STDMETHODIMP NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return E_NOTIMPL; }
};

// A graph that was told to run pauses its filters first and runs them once the pause is
// complete; paused again before that, the renderer already holds its frame, and no other
// comes until a seek or a run.
TEST(SampleRenderer, PausingAgainKeepsThePauseCompleteWithTheFrameItHolds)
{
    RendererHolder holder;
    std::vector<BYTE> block;
    AM_MEDIA_TYPE type = MakeType(FORMAT_VideoInfo2, MEDIASUBTYPE_YUY2, block, sizeof(VIDEOINFOHEADER2), true);
    auto* header = reinterpret_cast<VIDEOINFOHEADER2*>(block.data());
    header->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header->bmiHeader.biWidth = 4;
    header->bmiHeader.biHeight = 2;
    header->bmiHeader.biBitCount = 16;
    ComPtr<IPin> input;
    input = AdoptCom(GetFirstPin(holder.renderer, PINDIR_INPUT));
    ASSERT_NE(input, nullptr);
    FakeOutputPin upstream;
    ASSERT_EQ(input->ReceiveConnection(&upstream, &type), S_OK);
    ComPtr<IMemInputPin> memInput;
    ASSERT_EQ(input->QueryInterface(IID_PPV_ARGS(&memInput)), S_OK);

    EXPECT_EQ(holder.renderer->Pause(), S_FALSE);
    FILTER_STATE state = State_Stopped;
    EXPECT_EQ(holder.renderer->GetState(0, &state), VFW_S_STATE_INTERMEDIATE);

    FakeMediaSample sample(std::vector<BYTE>(4 * 2 * 2, 0x80));
    HRESULT received = E_FAIL;
    std::thread streaming([&] { received = memInput->Receive(&sample); });
    EXPECT_EQ(holder.renderer->GetState(5000, &state), S_OK);

    EXPECT_EQ(holder.renderer->Pause(), S_OK);
    EXPECT_EQ(holder.renderer->GetState(0, &state), S_OK);
    EXPECT_EQ(state, State_Paused);

    EXPECT_EQ(holder.renderer->Stop(), S_OK);
    streaming.join();
    EXPECT_EQ(received, S_OK);
    EXPECT_EQ(input->Disconnect(), S_OK);
}

}  // namespace
