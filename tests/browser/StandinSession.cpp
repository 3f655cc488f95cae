#include "tests/browser/StandinSession.h"

#include "tests/browser/standin/StandinCommands.h"

StandinSession::StandinSession(const std::wstring& loaderPath) : loader(loaderPath) {}

bool StandinSession::Start()
{
    if (!loader.IsLoaded() || !loader.create) {
        failedStep_ = "loader";
        return false;
    }
    HRESULT created = E_PENDING;
    auto environmentDone = MakeHandler<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler>(
        std::function<HRESULT(HRESULT, ICoreWebView2Environment*)>(
            [this, &created](HRESULT result, ICoreWebView2Environment* made) {
                created = result;
                environment = made;
                return S_OK;
            }));
    if (FAILED(loader.create(nullptr, nullptr, nullptr, environmentDone.Get())) ||
        !PumpUntil([&] { return created != E_PENDING; }) || FAILED(created) || !environment) {
        failedStep_ = "environment";
        return false;
    }
    HRESULT controllerResult = E_PENDING;
    auto controllerDone = MakeHandler<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler>(
        std::function<HRESULT(HRESULT, ICoreWebView2Controller*)>(
            [this, &controllerResult](HRESULT result, ICoreWebView2Controller* made) {
                controllerResult = result;
                controller = made;
                return S_OK;
            }));
    if (FAILED(environment->CreateCoreWebView2Controller(host.Get(), controllerDone.Get())) ||
        !PumpUntil([&] { return controllerResult != E_PENDING; }) || FAILED(controllerResult) || !controller) {
        failedStep_ = "controller";
        return false;
    }
    if (FAILED(controller->get_CoreWebView2(view.GetAddressOf())) || !view) {
        failedStep_ = "view";
        return false;
    }
    RECT client;
    GetClientRect(host.Get(), &client);
    controller->put_Bounds(client);
    controller->put_IsVisible(TRUE);
    RegisterHandlers();
    return true;
}

void StandinSession::Record(StandinEvent event)
{
    event.insideCall = insideCall_;
    events.push_back(std::move(event));
}

void StandinSession::RegisterHandlers()
{
    EventRegistrationToken token;
    view->add_NavigationStarting(
        MakeHandler<ICoreWebView2NavigationStartingEventHandler>(
            std::function<HRESULT(ICoreWebView2*, ICoreWebView2NavigationStartingEventArgs*)>(
                [this](ICoreWebView2*, ICoreWebView2NavigationStartingEventArgs* args) {
                    StandinEvent event{"NavigationStarting"};
                    LPWSTR uri = nullptr;
                    args->get_Uri(&uri);
                    event.uri = TakeCoTaskString(uri);
                    args->get_IsUserInitiated(&event.userInitiated);
                    args->get_IsRedirected(&event.redirected);
                    Record(event);
                    return S_OK;
                }))
            .Get(),
        &token);
    view->add_SourceChanged(MakeHandler<ICoreWebView2SourceChangedEventHandler>(
                                std::function<HRESULT(ICoreWebView2*, ICoreWebView2SourceChangedEventArgs*)>(
                                    [this](ICoreWebView2* sender, ICoreWebView2SourceChangedEventArgs*) {
                                        LPWSTR source = nullptr;
                                        sender->get_Source(&source);
                                        Record(StandinEvent{"SourceChanged", TakeCoTaskString(source)});
                                        return S_OK;
                                    }))
                                .Get(),
                            &token);
    view->add_HistoryChanged(MakeHandler<ICoreWebView2HistoryChangedEventHandler>(
                                 std::function<HRESULT(ICoreWebView2*, IUnknown*)>([this](ICoreWebView2*, IUnknown* args) {
                                     Record(StandinEvent{args ? "HistoryChanged with arguments" : "HistoryChanged"});
                                     return S_OK;
                                 }))
                                 .Get(),
                             &token);
    view->add_DocumentTitleChanged(MakeHandler<ICoreWebView2DocumentTitleChangedEventHandler>(
                                       std::function<HRESULT(ICoreWebView2*, IUnknown*)>(
                                           [this](ICoreWebView2* sender, IUnknown*) {
                                               LPWSTR title = nullptr;
                                               sender->get_DocumentTitle(&title);
                                               Record(StandinEvent{"DocumentTitleChanged", TakeCoTaskString(title)});
                                               return S_OK;
                                           }))
                                       .Get(),
                                   &token);
    view->add_NavigationCompleted(
        MakeHandler<ICoreWebView2NavigationCompletedEventHandler>(
            std::function<HRESULT(ICoreWebView2*, ICoreWebView2NavigationCompletedEventArgs*)>(
                [this](ICoreWebView2*, ICoreWebView2NavigationCompletedEventArgs* args) {
                    StandinEvent event{"NavigationCompleted"};
                    args->get_IsSuccess(&event.success);
                    args->get_WebErrorStatus(&event.webErrorStatus);
                    Record(event);
                    return S_OK;
                }))
            .Get(),
        &token);
    view->add_NewWindowRequested(
        MakeHandler<ICoreWebView2NewWindowRequestedEventHandler>(
            std::function<HRESULT(ICoreWebView2*, ICoreWebView2NewWindowRequestedEventArgs*)>(
                [this](ICoreWebView2* sender, ICoreWebView2NewWindowRequestedEventArgs* args) {
                    StandinEvent event{"NewWindowRequested"};
                    LPWSTR uri = nullptr;
                    args->get_Uri(&uri);
                    event.uri = TakeCoTaskString(uri);
                    args->get_IsUserInitiated(&event.userInitiated);
                    Record(event);
                    if (openNewWindowsInPlace) {
                        sender->Navigate(event.uri.c_str());
                        args->put_Handled(TRUE);
                    }
                    return S_OK;
                }))
            .Get(),
        &token);
    ComPtr<ICoreWebView2_12> view12;
    if (SUCCEEDED(view.As(&view12))) {
        view12->add_StatusBarTextChanged(MakeHandler<ICoreWebView2StatusBarTextChangedEventHandler>(
                                             std::function<HRESULT(ICoreWebView2*, IUnknown*)>(
                                                 [this](ICoreWebView2* sender, IUnknown*) {
                                                     ComPtr<ICoreWebView2_12> source;
                                                     LPWSTR text = nullptr;
                                                     if (SUCCEEDED(sender->QueryInterface(IID_PPV_ARGS(&source))))
                                                         source->get_StatusBarText(&text);
                                                     Record(StandinEvent{"StatusBarTextChanged", TakeCoTaskString(text)});
                                                     return S_OK;
                                                 }))
                                             .Get(),
                                         &token);
    }
}

HRESULT StandinSession::Call(const std::function<HRESULT(ICoreWebView2*)>& call)
{
    insideCall_ = true;
    const HRESULT result = call(view.Get());
    insideCall_ = false;
    return result;
}

HRESULT StandinSession::Navigate(const std::wstring& address)
{
    return Call([&](ICoreWebView2* target) { return target->Navigate(address.c_str()); });
}

size_t StandinSession::Count(const std::string& name) const
{
    size_t count = 0;
    for (const StandinEvent& event : events)
        if (event.name == name) ++count;
    return count;
}

std::vector<std::string> StandinSession::Names() const
{
    std::vector<std::string> names;
    for (const StandinEvent& event : events) names.push_back(event.name);
    return names;
}

bool StandinSession::WaitForCompletions(size_t count)
{
    return PumpUntil([&] { return Count("NavigationCompleted") >= count; });
}

std::wstring StandinSession::Source()
{
    LPWSTR source = nullptr;
    view->get_Source(&source);
    return TakeCoTaskString(source);
}

std::wstring StandinSession::Title()
{
    LPWSTR title = nullptr;
    view->get_DocumentTitle(&title);
    return TakeCoTaskString(title);
}

bool StandinSession::CanGoBack()
{
    BOOL can = FALSE;
    view->get_CanGoBack(&can);
    return can != FALSE;
}

bool StandinSession::CanGoForward()
{
    BOOL can = FALSE;
    view->get_CanGoForward(&can);
    return can != FALSE;
}

HWND StandinSession::ViewWindow() const
{
    return FindWindowExW(host.Get(), nullptr, STANDIN_VIEW_CLASS, nullptr);
}

bool StandinSession::SendPageAction(int command, const std::wstring& text)
{
    COPYDATASTRUCT data = {};
    data.dwData = static_cast<ULONG_PTR>(command);
    data.cbData = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    data.lpData = const_cast<wchar_t*>(text.data());
    return SendMessageW(ViewWindow(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)) != 0;
}

bool StandinSession::Drain()
{
    HostWindow other(100, 100, false);
    bool done = false;
    ComPtr<ICoreWebView2Controller> marker;
    auto handler = MakeHandler<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler>(
        std::function<HRESULT(HRESULT, ICoreWebView2Controller*)>([&](HRESULT, ICoreWebView2Controller* made) {
            marker = made;
            done = true;
            return S_OK;
        }));
    if (FAILED(environment->CreateCoreWebView2Controller(other.Get(), handler.Get()))) return false;
    const bool drained = PumpUntil([&] { return done; });
    marker.Reset();
    return drained;
}

StandinCapture StandinSession::Capture(COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT format)
{
    StandinCapture result;
    CreateStreamOnHGlobal(nullptr, TRUE, result.stream.GetAddressOf());
    auto done = MakeHandler<ICoreWebView2CapturePreviewCompletedHandler>(
        std::function<HRESULT(HRESULT)>([&result](HRESULT completion) {
            result.completion = completion;
            return S_OK;
        }));
    result.call = view->CapturePreview(format, result.stream.Get(), done.Get());
    if (SUCCEEDED(result.call)) PumpUntil([&] { return result.completion != E_PENDING; });
    return result;
}
