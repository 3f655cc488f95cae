// The in-process decoder and its thread on the generated movies.
#include "MediaTestSupport.h"

#include <memory>
#include <string>
#include <vector>

#include "core/base/ThreadMessages.h"
#include "core/media/DShowMovieFrameDecode.h"
#include "core/media/DShowMovieFrameDecodeThread.h"
#include "core/media/DShowSampleRenderer.h"
#include "core/media/GdiplusSession.h"
#include "tests/common/TempFolder.h"

namespace {

// What a window heard from the decode thread, in order.
struct Heard {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// A message-only window that keeps every result it is sent and frees the items.
class ResultWindow {
public:
    ResultWindow()
    {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = Proc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"ReelvaultFrameDecodeTestWindow";
        RegisterClassW(&windowClass);
        window = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 windowClass.hInstance, this);
    }
    ~ResultWindow()
    {
        DestroyWindow(window);
        for (auto* item : items) {
            delete item->bitmap;
            delete item;
        }
    }
    HWND Handle() const { return window; }

    std::vector<Heard> heard;
    std::vector<DecodoRequestItemBase_CL*> items;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<ResultWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && (message == WM_DECODE_FRAME || message == WM_LIST_REFRESH)) {
            self->heard.push_back({message, wParam, lParam});
            if (message == WM_DECODE_FRAME) self->items.push_back(reinterpret_cast<DecodoRequestItemBase_CL*>(lParam));
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    HWND window = nullptr;
};

// Pumps the test thread's messages until `done` or the time runs out; false on time-out.
template <class Done>
bool PumpUntil(Done done, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    return true;
}

size_t CountOf(const ResultWindow& window, UINT message)
{
    size_t n = 0;
    for (const auto& h : window.heard) n += h.message == message;
    return n;
}

// The step (second) a frame shows, read from its body, and whether its band is at the top.
void ExpectStep(Gdiplus::Bitmap* frame, int expectedStep)
{
    ASSERT_NE(frame, nullptr);
    const int width = static_cast<int>(frame->GetWidth());
    const int height = static_cast<int>(frame->GetHeight());
    Gdiplus::Color band, body, bottom;
    frame->GetPixel(width / 2, height / 32, &band);
    frame->GetPixel(width / 2, height / 2, &body);
    frame->GetPixel(width / 2, height - 2, &bottom);
    // Full-range grey of luma 40 + 30 x step.
    const int luma = 16 + body.GetG() * 219 / 255;
    EXPECT_EQ((luma - 40 + 15) / 30, expectedStep) << "body grey " << int(body.GetG());
    EXPECT_GT(band.GetG(), 220) << "the white band belongs at the top";
    EXPECT_NEAR(bottom.GetG(), body.GetG(), 12);
}

class FrameDecode : public ComTest {
protected:
    void SetUp() override
    {
        ComTest::SetUp();
        ASSERT_TRUE(gdiplus.IsStarted());
    }
    GdiplusSession gdiplus;
};

struct DecodeCase {
    const char* what;
    const wchar_t* movie;
    GUID subtype;
    int32_t width, height;  // the target size
};

const DecodeCase kDecodeCases[] = {
    {"AVI_with_sound_YUY2_own_size", L"steps.avi", MEDIASUBTYPE_YUY2, -1, -1},
    {"AVI_with_sound_RGB32_160x90", L"steps.avi", MEDIASUBTYPE_RGB32, 160, 90},
    {"MP4_with_sound_YUY2_160x90", L"steps.mp4", MEDIASUBTYPE_YUY2, 160, 90},
    {"MP4_with_sound_RGB32_own_size", L"steps.mp4", MEDIASUBTYPE_RGB32, -1, -1},
    {"silent_AVI_YUY2_160x90", L"steps-silent.avi", MEDIASUBTYPE_YUY2, 160, 90},
};

class FrameDecodeMovies : public FrameDecode, public testing::WithParamInterface<DecodeCase> {};

TEST_P(FrameDecodeMovies, FramesArriveInRequestOrderFrontFirst)
{
    const DecodeCase& c = GetParam();
    DShowMovieFrameDecodeThread_CL thread;
    ResultWindow window;
    auto decoder = std::make_unique<DShowMovieFrameDecode_CL>(TIME_FORMAT_MEDIA_TIME, c.subtype);
    decoder->SetThread(&thread);
    decoder->SetWindow(window.Handle());
    ASSERT_EQ(decoder->Open(MoviePath(c.movie)), S_OK) << std::string(decoder->Helper().Text().begin(),
                                                                      decoder->Helper().Text().end());
    EXPECT_EQ(decoder->Helper().SampleRenderer()->IsRgb32() != 0, c.subtype == MEDIASUBTYPE_RGB32);
    EXPECT_NEAR(static_cast<double>(decoder->GetDuration(TIME_FORMAT_MEDIA_TIME)),
                static_cast<double>(kMovieDuration), 0.2 * kUnitsPerSecond);
    thread.SetTargetSize(c.width, c.height);

    // Queued before the thread runs, so that the order is the queue's alone; the last request,
    // made once it runs, sets it going.
    struct Request {
        int tenths;
        int32_t atFront;
    };
    const Request requests[] = {{25, 0}, {5, 0}, {45, 0}, {15, 1}, {35, 1}};
    std::vector<uint32_t> ids;
    for (const auto& r : requests)
        ids.push_back(decoder->RequestFrame(r.tenths * kUnitsPerSecond / 10, r.tenths, r.atFront));
    ASSERT_EQ(thread.Start(), 0);
    ids.push_back(decoder->RequestFrame(22 * kUnitsPerSecond / 10, 22, 0));
    for (uint32_t id : ids) ASSERT_NE(id, DShowMovieFrameDecodeThread_CL::kNoRequest);

    ASSERT_TRUE(PumpUntil([&] { return window.items.size() == 6; }, 60000)) << window.items.size() << " frames";
    // Front requests first, the later one ahead; then the rest in the order asked.
    const int expectedOrder[] = {35, 15, 25, 5, 45, 22};
    for (size_t i = 0; i < 6; ++i) {
        SCOPED_TRACE(testing::Message() << "result " << i);
        auto* item = window.items[i];
        EXPECT_EQ(item->userValue, expectedOrder[i]);
        EXPECT_EQ(window.heard[i].wParam, item->id);
        EXPECT_EQ(item->decoder, decoder.get());
        EXPECT_EQ(item->remaining, static_cast<int32_t>(5 - i));
        ASSERT_NE(item->bitmap, nullptr);
        EXPECT_EQ(item->bitmap->GetWidth(), c.width == -1 ? 160u : static_cast<UINT>(c.width));
        EXPECT_EQ(item->bitmap->GetHeight(), c.height == -1 ? 120u : static_cast<UINT>(c.height));
        EXPECT_EQ(item->bitmap->GetPixelFormat(), PixelFormat16bppRGB565);
        ExpectStep(item->bitmap, item->userValue / 10);
    }
    EXPECT_EQ(CountOf(window, WM_LIST_REFRESH), 0u);
    thread.Stop();
    decoder.reset();
    EXPECT_EQ(DShowSampleRenderer::LiveCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Movies, FrameDecodeMovies, testing::ValuesIn(kDecodeCases),
                         [](const testing::TestParamInfo<DecodeCase>& info) { return std::string(info.param.what); });

TEST_F(FrameDecode, RequestIdsWrapPastZeroAndTheRefusal)
{
    DShowMovieFrameDecodeThread_CL thread;  // never started: the requests only queue
    DShowMovieFrameDecode_CL decoder;
    EXPECT_EQ(decoder.RequestFrame(0, 0, 0), DShowMovieFrameDecodeThread_CL::kNoRequest) << "no thread yet";
    decoder.SetThread(&thread);
    EXPECT_EQ(decoder.RequestFrame(0, 0, 0), 1u);
    EXPECT_EQ(decoder.RequestFrame(0, 0, 0), 2u);
    thread.SetNextId(0xFFFFFFFD);
    std::vector<uint32_t> ids;
    for (int i = 0; i < 4; ++i) ids.push_back(decoder.RequestFrame(0, i, 0));
    EXPECT_EQ(ids, (std::vector<uint32_t>{0xFFFFFFFD, 0xFFFFFFFE, 1, 2}));
}

class FrameDecodeTwoDecoders : public FrameDecode {
protected:
    void SetUp() override
    {
        FrameDecode::SetUp();
        for (auto* d : {&a, &b}) d->SetThread(&thread);
        a.SetWindow(windowA.Handle());
        b.SetWindow(windowB.Handle());
        ASSERT_EQ(a.Open(MoviePath(L"steps-silent.avi")), S_OK);
        ASSERT_EQ(b.Open(MoviePath(L"steps.mp4")), S_OK);
    }

    DShowMovieFrameDecodeThread_CL thread;
    ResultWindow windowA, windowB;
    DShowMovieFrameDecode_CL a, b;
};

TEST_F(FrameDecodeTwoDecoders, OneDecoderFinishingDoesNotStallTheOther)
{
    // A's only request is first: once it is done, B's wait behind it.
    a.RequestFrame(5 * kUnitsPerSecond / 10, 0, 0);
    b.RequestFrame(15 * kUnitsPerSecond / 10, 1, 0);
    b.RequestFrame(25 * kUnitsPerSecond / 10, 2, 0);
    ASSERT_EQ(thread.Start(), 0);
    b.RequestFrame(35 * kUnitsPerSecond / 10, 3, 0);
    ASSERT_TRUE(PumpUntil([&] { return windowA.items.size() == 1 && windowB.items.size() == 3; }, 60000))
        << windowA.items.size() << " + " << windowB.items.size();
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(windowB.items[i]->userValue, static_cast<int32_t>(i + 1));
        ExpectStep(windowB.items[i]->bitmap, static_cast<int>(i + 1));
    }
    ExpectStep(windowA.items[0]->bitmap, 0);
}

TEST_F(FrameDecodeTwoDecoders, CancellingOneAnswersOnlyItsWindowAndTheOtherFinishes)
{
    b.RequestFrame(5 * kUnitsPerSecond / 10, 0, 0);
    for (int i = 1; i <= 3; ++i) {
        a.RequestFrame(i * kUnitsPerSecond + kUnitsPerSecond / 2, i, 0);
        b.RequestFrame(i * kUnitsPerSecond + kUnitsPerSecond / 2, i, 0);
    }
    ASSERT_EQ(thread.Start(), 0);
    // The kick starts B's first request; the cancel lands while it is in work.
    b.RequestFrame(45 * kUnitsPerSecond / 10, 4, 0);
    thread.Cancel(&a);
    EXPECT_EQ(a.RequestFrame(0, 9, 0), DShowMovieFrameDecodeThread_CL::kNoRequest) << "refused while cancelling";

    ASSERT_TRUE(PumpUntil([&] { return windowB.items.size() == 5 && CountOf(windowA, WM_LIST_REFRESH) == 1; },
                          60000))
        << windowB.items.size() << " frames for B";
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(windowB.items[i]->userValue, static_cast<int32_t>(i));
        ExpectStep(windowB.items[i]->bitmap, static_cast<int>(i));
    }
    EXPECT_EQ(CountOf(windowB, WM_LIST_REFRESH), 0u);
    ASSERT_EQ(windowA.heard.size(), 1u);
    EXPECT_EQ(windowA.heard[0].message, WM_LIST_REFRESH);
    EXPECT_EQ(windowA.heard[0].wParam, static_cast<WPARAM>(-1));
    EXPECT_EQ(windowA.heard[0].lParam, reinterpret_cast<LPARAM>(&a));

    // After the notice A asks again and is served.
    EXPECT_NE(a.RequestFrame(25 * kUnitsPerSecond / 10, 7, 0), DShowMovieFrameDecodeThread_CL::kNoRequest);
    ASSERT_TRUE(PumpUntil([&] { return windowA.items.size() == 1; }, 30000));
    ExpectStep(windowA.items[0]->bitmap, 2);
}

TEST_F(FrameDecodeTwoDecoders, ClosingWithRequestsQueuedLetsGoOfEverything)
{
    ASSERT_EQ(thread.Start(), 0);
    for (int i = 0; i < 5; ++i) a.RequestFrame(i * kUnitsPerSecond, i, 0);
    thread.Cancel(&a);
    a.Close();
    b.Close();
    EXPECT_FALSE(a.IsOpen());
    EXPECT_EQ(a.GetDuration(TIME_FORMAT_MEDIA_TIME), 0);
    thread.Stop();
    EXPECT_EQ(DShowSampleRenderer::LiveCount(), 0);
}

TEST_F(FrameDecode, MissingMovieFailsToOpen)
{
    TempFolder folder;
    DShowMovieFrameDecode_CL decoder;
    EXPECT_EQ(decoder.Open(folder / L"無い.avi"), E_FAIL);
    EXPECT_NE(decoder.Helper().Text().find(L"(error)RenderFile()"), std::wstring::npos);
    EXPECT_EQ(decoder.SeekAndWaitFrame(0), nullptr);
}

// With the ALSA null device the audio reaches a DirectSound renderer, which the decoder takes
// out again; the graph must still seek and stop.
TEST_F(FrameDecode, MovieWithSoundOpensWithTheNullSoundDevice)
{
    for (const wchar_t* movie : {L"steps.avi", L"steps.mp4"}) {
        SCOPED_TRACE(testing::Message() << movie);
        DShowMovieFrameDecode_CL decoder;
        ASSERT_EQ(decoder.Open(MoviePath(movie)), S_OK);
        EXPECT_NE(decoder.Helper().Text().find(L"\tDefault DirectSound Device\r\n"), std::wstring::npos)
            << "this case needs a sound device";
        for (int second : {3, 1, 4}) {
            std::unique_ptr<Gdiplus::Bitmap> frame(decoder.SeekAndWaitFrame(second * kUnitsPerSecond + kUnitsPerSecond / 2));
            ExpectStep(frame.get(), second);
        }
        decoder.Close();
    }
}

}  // namespace

namespace {

// Set only in the child process of the test below: where the child reports that it ran.
constexpr wchar_t kNoSoundMarker[] = L"REELVAULT_NO_SOUND_MARKER";
// The child runs as a copy of this program under this name, for which Wine is told not to load
// its sound drivers (a per-program setting: other test programs sharing the prefix keep sound).
constexpr wchar_t kNoSoundProgram[] = L"reelvault_media_nosound.exe";
constexpr wchar_t kNoSoundOverrideKey[] = L"Software\\Wine\\AppDefaults\\reelvault_media_nosound.exe";

// Wine's own DLL overrides for kNoSoundProgram, removed again when the object goes.
class NoSoundOverride {
public:
    NoSoundOverride()
    {
        UniqueRegKey key;
        std::wstring path = std::wstring(kNoSoundOverrideKey) + L"\\DllOverrides";
        if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr) !=
            ERROR_SUCCESS)
            return;
        // An empty value disables the library; with no driver loaded there is no sound device.
        const wchar_t disabled[] = L"";
        ok = true;
        for (const wchar_t* driver : {L"winealsa.drv", L"winepulse.drv"})
            ok = ok && RegSetValueExW(key.get(), driver, 0, REG_SZ, reinterpret_cast<const BYTE*>(disabled),
                                      sizeof(disabled)) == ERROR_SUCCESS;
    }
    ~NoSoundOverride() { RegDeleteTreeW(HKEY_CURRENT_USER, kNoSoundOverrideKey); }
    NoSoundOverride(const NoSoundOverride&) = delete;
    NoSoundOverride& operator=(const NoSoundOverride&) = delete;

    bool ok = false;
};

// Run only as the child of MovieWithSoundOpensWithoutAnySoundDevice.
TEST_F(FrameDecode, DISABLED_NoSoundDeviceChild)
{
    wchar_t marker[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(kNoSoundMarker, marker, MAX_PATH)) GTEST_SKIP() << "runs only as a child";
    for (const wchar_t* movie : {L"steps.avi", L"steps.mp4"}) {
        SCOPED_TRACE(testing::Message() << movie);
        {
            // Without a sound device the system's own graph renders only the video.
            ComPtr<IGraphBuilder> graph;
            ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                       reinterpret_cast<void**>(graph.GetAddressOf())),
                      S_OK);
            EXPECT_EQ(graph->RenderFile(MoviePath(movie).c_str(), nullptr), VFW_S_PARTIAL_RENDER);
        }
        DShowMovieFrameDecode_CL decoder;
        ASSERT_EQ(decoder.Open(MoviePath(movie)), S_OK);
        EXPECT_EQ(decoder.Helper().Text().find(L"Default DirectSound Device"), std::wstring::npos);
        std::unique_ptr<Gdiplus::Bitmap> frame(decoder.SeekAndWaitFrame(25 * kUnitsPerSecond / 10));
        ExpectStep(frame.get(), 2);
        decoder.Close();
    }
    if (!HasFailure()) CloseHandle(CreateFileW(marker, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
}

// The sound drivers can only be switched off when a process starts, and the Wine prefix is
// shared by tests running at the same time, so the case runs in a child process of its own.
TEST_F(FrameDecode, MovieWithSoundOpensWithoutAnySoundDevice)
{
    TempFolder folder;
    const std::wstring marker = folder / L"ran";
    const std::wstring program = folder / kNoSoundProgram;
    wchar_t exe[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(nullptr, exe, MAX_PATH), 0u);
    ASSERT_TRUE(CopyFileW(exe, program.c_str(), TRUE));
    NoSoundOverride noSound;
    ASSERT_TRUE(noSound.ok);

    std::wstring command = L"\"" + program +
                           L"\" --gtest_also_run_disabled_tests --gtest_filter=FrameDecode.DISABLED_NoSoundDeviceChild";
    SetEnvironmentVariableW(kNoSoundMarker, marker.c_str());
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child{};
    const BOOL started =
        CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child);
    SetEnvironmentVariableW(kNoSoundMarker, nullptr);
    ASSERT_TRUE(started);
    UniqueHandle process(child.hProcess);
    UniqueHandle childThread(child.hThread);
    if (WaitForSingleObject(process.get(), 120000) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), 10000);
        FAIL() << "the child did not end within two minutes";
    }
    DWORD exitCode = 1;
    GetExitCodeProcess(process.get(), &exitCode);
    EXPECT_EQ(exitCode, 0u);
    EXPECT_NE(GetFileAttributesW(marker.c_str()), INVALID_FILE_ATTRIBUTES) << "the child's case did not run";
}

}  // namespace
