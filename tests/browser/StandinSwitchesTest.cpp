#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <ostream>
#include <string>

#include "tests/browser/LocalHttpServer.h"
#include "tests/browser/StandinSession.h"

namespace {

// What the pane would meet on its way from the loader to a captured page. A step not
// reached keeps its initial value.
struct Path {
    HRESULT versionCall = E_PENDING;
    std::wstring version;
    HRESULT createCall = E_PENDING;
    HRESULT environmentCreated = E_PENDING;
    HRESULT controllerCreated = E_PENDING;
    HRESULT viewCall = E_PENDING;
    bool answers2 = false;
    bool answers12 = false;
    HRESULT captureCompleted = E_PENDING;

    bool operator==(const Path& other) const
    {
        return versionCall == other.versionCall && version == other.version && createCall == other.createCall &&
               environmentCreated == other.environmentCreated && controllerCreated == other.controllerCreated &&
               viewCall == other.viewCall && answers2 == other.answers2 && answers12 == other.answers12 &&
               captureCompleted == other.captureCompleted;
    }
};

std::ostream& operator<<(std::ostream& out, const Path& path)
{
    return out << std::hex << "{version " << path.versionCall << " \"" << Narrow(path.version) << "\", create "
               << path.createCall << ", environment " << path.environmentCreated << ", controller "
               << path.controllerCreated << ", view " << path.viewCall << ", _2 " << path.answers2 << ", _12 "
               << path.answers12 << ", capture " << path.captureCompleted << "}";
}

Path Walk(const std::wstring& switches, LocalHttpServer& server)
{
    ScopedStandinSwitches scoped(switches);
    Path path;
    StandinSession session;
    LPWSTR version = nullptr;
    path.versionCall = session.loader.version(nullptr, &version);
    path.version = TakeCoTaskString(version);

    auto environmentDone = MakeHandler<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler>(
        std::function<HRESULT(HRESULT, ICoreWebView2Environment*)>([&](HRESULT result, ICoreWebView2Environment* made) {
            path.environmentCreated = result;
            session.environment = made;
            return S_OK;
        }));
    path.createCall = session.loader.create(nullptr, nullptr, nullptr, environmentDone.Get());
    if (FAILED(path.createCall) || !PumpUntil([&] { return path.environmentCreated != E_PENDING; }) ||
        !session.environment)
        return path;

    auto controllerDone = MakeHandler<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler>(
        std::function<HRESULT(HRESULT, ICoreWebView2Controller*)>([&](HRESULT result, ICoreWebView2Controller* made) {
            path.controllerCreated = result;
            session.controller = made;
            return S_OK;
        }));
    if (FAILED(session.environment->CreateCoreWebView2Controller(session.host.Get(), controllerDone.Get())) ||
        !PumpUntil([&] { return path.controllerCreated != E_PENDING; }) || !session.controller)
        return path;

    path.viewCall = session.controller->get_CoreWebView2(session.view.GetAddressOf());
    if (!session.view) return path;
    ComPtr<ICoreWebView2_2> view2;
    ComPtr<ICoreWebView2_12> view12;
    path.answers2 = SUCCEEDED(session.view.As(&view2));
    path.answers12 = SUCCEEDED(session.view.As(&view12));

    RECT bounds = {0, 0, 200, 100};
    session.controller->put_Bounds(bounds);
    bool completed = false;
    auto navigated = MakeHandler<ICoreWebView2NavigationCompletedEventHandler>(
        std::function<HRESULT(ICoreWebView2*, ICoreWebView2NavigationCompletedEventArgs*)>(
            [&](ICoreWebView2*, ICoreWebView2NavigationCompletedEventArgs*) {
                completed = true;
                return S_OK;
            }));
    EventRegistrationToken token;
    session.view->add_NavigationCompleted(navigated.Get(), &token);
    if (FAILED(session.view->Navigate(server.Url("/page").c_str())) || !PumpUntil([&] { return completed; }))
        return path;
    const StandinCapture capture = session.Capture(COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_PNG);
    path.captureCompleted = FAILED(capture.call) ? capture.call : capture.completion;
    return path;
}

class StandinSwitchesTest : public testing::Test {
protected:
    void SetUp() override
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        server_.ServePage("/page", "<html><head><title>Page</title></head><body>page</body></html>");
    }
    void TearDown() override { CoUninitialize(); }
    LocalHttpServer server_;
};

TEST_F(StandinSwitchesTest, EachSwitchChangesOnlyItsOwnStep)
{
    Path whole;
    whole.versionCall = S_OK;
    whole.version = L"120.0.0.0 standin";
    whole.createCall = S_OK;
    whole.environmentCreated = S_OK;
    whole.controllerCreated = S_OK;
    whole.viewCall = S_OK;
    whole.answers2 = true;
    whole.answers12 = true;
    whole.captureCompleted = S_OK;
    const HRESULT noRuntime = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    const HRESULT invalidState = HRESULT_FROM_WIN32(ERROR_INVALID_STATE);

    const struct {
        const wchar_t* switches;
        std::function<void(Path&)> change;
    } cases[] = {
        {L"", [](Path&) {}},
        {L"version=none", [&](Path& p) {
             p.versionCall = noRuntime;
             p.version = L"";
         }},
        {L"version=empty", [](Path& p) { p.version = L""; }},
        {L"environment=refused",
         [&](Path& p) {
             p.createCall = noRuntime;
             p.environmentCreated = p.controllerCreated = p.viewCall = p.captureCompleted = E_PENDING;
             p.answers2 = p.answers12 = false;
         }},
        {L"environment=failed",
         [](Path& p) {
             p.environmentCreated = E_FAIL;
             p.controllerCreated = p.viewCall = p.captureCompleted = E_PENDING;
             p.answers2 = p.answers12 = false;
         }},
        {L"controller=failed",
         [](Path& p) {
             p.controllerCreated = E_FAIL;
             p.viewCall = p.captureCompleted = E_PENDING;
             p.answers2 = p.answers12 = false;
         }},
        {L"view=none",
         [&](Path& p) {
             p.viewCall = invalidState;
             p.captureCompleted = E_PENDING;
             p.answers2 = p.answers12 = false;
         }},
        {L"view2=none", [](Path& p) { p.answers2 = p.answers12 = false; }},
        {L"view12=none", [](Path& p) { p.answers12 = false; }},
        {L"capture=fail", [](Path& p) { p.captureCompleted = E_FAIL; }},
        {L"capture=late:50", [](Path&) {}},
    };
    for (const auto& c : cases) {
        Path expected = whole;
        c.change(expected);
        EXPECT_EQ(Walk(c.switches, server_), expected) << Narrow(c.switches);
    }
}

TEST_F(StandinSwitchesTest, ACaptureSetNeverToCompleteStaysOpenWhileALaterOneCompletes)
{
    StandinSession session;
    ASSERT_TRUE(session.Start()) << session.FailedStep();
    ASSERT_EQ(session.Navigate(server_.Url("/page")), S_OK);
    ASSERT_TRUE(session.WaitForCompletions(1));

    ComPtr<IStream> stream;
    CreateStreamOnHGlobal(nullptr, TRUE, stream.GetAddressOf());
    HRESULT never = E_PENDING;
    auto neverDone = MakeHandler<ICoreWebView2CapturePreviewCompletedHandler>(
        std::function<HRESULT(HRESULT)>([&never](HRESULT result) {
            never = result;
            return S_OK;
        }));
    {
        ScopedStandinSwitches switches(L"capture=never");
        ASSERT_EQ(session.view->CapturePreview(COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_PNG, stream.Get(),
                                               neverDone.Get()),
                  S_OK);
    }
    EXPECT_EQ(session.Capture(COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_PNG).completion, S_OK);
    ASSERT_TRUE(session.Drain());
    EXPECT_EQ(never, E_PENDING);
}

TEST_F(StandinSwitchesTest, AnotherOriginGetsThePathAndQueryWhileThePageKeepsItsAddress)
{
    server_.ServePage("/s?k=%94L", "<html><head><title>Found</title></head><body>result</body></html>");
    const std::string origin = server_.Origin();
    ScopedStandinSwitches switches(L"origin=" + std::wstring(origin.begin(), origin.end()));
    StandinSession session;
    ASSERT_TRUE(session.Start()) << session.FailedStep();
    ASSERT_EQ(session.Navigate(L"https://example.invalid/s?k=%94L"), S_OK);
    ASSERT_TRUE(session.WaitForCompletions(1));
    EXPECT_EQ(server_.RequestPaths(), std::vector<std::string>{"/s?k=%94L"});
    EXPECT_EQ(session.Source(), L"https://example.invalid/s?k=%94L");
    EXPECT_EQ(session.Title(), L"Found");
    EXPECT_TRUE(session.events.back().success);
}

}  // namespace
