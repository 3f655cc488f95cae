#include "thumbnailer/MainWindow.h"

#include <process.h>
#include <psapi.h>
#include <shlwapi.h>

#include <exception>

#include "core/base/PathName.h"
#include "thumbnailer/AppRestart.h"
#include "thumbnailer/DecodeSeam.h"
#include "thumbnailer/FramePlan.h"
#include "thumbnailer/StillforgeGlobals.h"
#include "thumbnailer/ThumbnailDecode.h"

MainWindow_CL* MainWindow_CL::instance_ = nullptr;

namespace {

std::wstring GetErrorImagePath()
{
    const std::wstring folder = PathName_CL::GetModuleFolder();
    std::wstring path = folder + L"\\decode_err_image.JPG";
    if (PathFileExistsW(path.c_str())) return path;
    return folder + L"\\images\\decode_err_image.JPG";
}

std::wstring GetModulePath()
{
    wchar_t path[2048] = {};
    GetModuleFileNameW(nullptr, path, 2048);
    return path;
}

}  // namespace

MainWindow_CL::MainWindow_CL(HINSTANCE instance, int argc, const std::wstring& name, const std::wstring& dataFolder)
    : instanceHandle_(instance), pipeServer_(queue_, *this), argc_(argc), windowThreadId_(GetCurrentThreadId())
{
    pipeServer_.SetName(L"Stillforge-" + name);
    const std::wstring mutexName = MakeQueueMutexName(dataFolder);
    mutex_.Create(mutexName);
    queue_.OpenMutex(mutexName);

    WriteLog(KilnLog, L"★アプリ開始(Stillforge-%s)", name.c_str());
    const std::wstring modulePath = GetModulePath();
    WriteLog(KilnLog, L"[LOG_LINE]  exe-info pid=%u path(%s) build=%S %S", GetCurrentProcessId(),
             modulePath.c_str(), __DATE__, __TIME__);
    WriteLog(DecodeListLog, L"(exe-info) pid=%u path(%s) build=%S %S", GetCurrentProcessId(), modulePath.c_str(),
             __DATE__, __TIME__);

    cancelEvent_.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    const std::wstring errorImagePath = GetErrorImagePath();
    errorImage_.reset(new Gdiplus::Bitmap(errorImagePath.c_str()));
    if (!errorImage_ || errorImage_->GetLastStatus() != Gdiplus::Ok) {
        // Failed slots are then painted in a plain colour; the movies are still answered.
        WriteLog(KilnLog, L"[LOG_LINE]  error image not loaded path(%s)", errorImagePath.c_str());
        errorImage_.reset();
    }
    instance_ = this;
}

MainWindow_CL::~MainWindow_CL()
{
    Teardown();
    if (instance_ == this) instance_ = nullptr;
}

void MainWindow_CL::Teardown()
{
    // The window goes first: while it exists, Reelvault finds it by its title and sends it
    // WM_CLOSE, and any wait that pumps messages (CoUninitialize's among them) would hand
    // that message to an object that is being taken apart.
    if (HWND window = window_) {
        tearingDown_ = true;
        DestroyWindow(window);
        UnregisterClassW(kStillforgeClassName, instanceHandle_);
    }
    cancelEvent_.reset();
    errorImage_.reset();
    pipeServer_.Shutdown();
}

HRESULT MainWindow_CL::Create(const std::wstring& title)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = StaticWindowProc;
    windowClass.hInstance = instanceHandle_;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW);
    windowClass.lpszClassName = kStillforgeClassName;
    if (!RegisterClassExW(&windowClass)) {
        WriteLog(KilnLog, L"[LOG_LINE]  RegisterClass failed: %s", GetSystemErrorText(GetLastError()).c_str());
        return E_FAIL;
    }
    // Titled only once WM_CREATE has loaded the queue and started the pipe: a starter that
    // finds the window by its title may send at once, and must find the pipe there.
    HWND window = CreateWindowExW(0, kStillforgeClassName, L"", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                  64, 64, nullptr, nullptr, instanceHandle_, this);
    if (!window) {
        WriteLog(KilnLog, L"[LOG_LINE]  CreateWindow failed: %s", GetSystemErrorText(GetLastError()).c_str());
        return E_FAIL;
    }
    SetWindowTextW(window, title.c_str());
    return 0;
}

LRESULT CALLBACK MainWindow_CL::StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE) {
        auto* self = static_cast<MainWindow_CL*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MainWindow_CL*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // The last message of the window: nothing may reach the object through it after this.
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    try {
        return self->WindowProc(window, message, wParam, lParam);
    } catch (const std::exception&) {
        WriteLog(KilnLog, L"[LOG_LINE]  message 0x%x could not be handled", message);
    } catch (...) {
        WriteLog(KilnLog, L"[LOG_LINE]  message 0x%x could not be handled", message);
    }
    return 0;
}

LRESULT MainWindow_CL::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        OnCreate();
        break;
    case WM_DESTROY:
        WriteLog(SequenceLog, L"WM_DESTROY");
        // Destroyed by Teardown, the loop is over already; a quit left in the thread's queue
        // would only end the next loop that the thread runs.
        if (!tearingDown_) PostQuitMessage(0);
        break;
    case WM_CLOSE:
        OnClose();
        return 1;
    case WM_COPYDATA:
        return OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_TIMER:
        if (wParam == kWatchdogTimer) OnWatchdog();
        else if (wParam == kGraceTimer) OnGraceExpired();
        else if (wParam == kPipeRetryTimer) OnPipeRetry();
        break;
    case WM_DECODE_START:
        OnDecodeStart();
        break;
    case WM_DECODE_CANCEL:
        WriteLog(SequenceLog, L"WM_DECODE_CANCEL");
        WriteLog(DecodeListLog, L"デコードキャンセルにより終了しました。");
        PostQuitMessage(0);
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void MainWindow_CL::OnCreate()
{
    WriteLog(SequenceLog, L"WM_CREATE");
    // Only a restart carries the queue over: a start by Reelvault begins empty, and
    // Reelvault asks again for every strip that is missing.
    if (argc_ < 4) {
        WriteLog(DecodeListLog, L"デコードアイテムは読み込まない");
    } else {
        WriteLog(DecodeListLog, L"デコードアイテムの読み込み");
        HRESULT loaded = queue_.Load(GetQueueFilePath());
        WriteLog(KilnLog, L"[LOG_LINE]  queue-load result=0x%08x count=%u", static_cast<unsigned>(loaded),
                 static_cast<unsigned>(queue_.GetCount()));
    }
    StartPipeServer();
    PostDecodeStart();
}

void MainWindow_CL::StartPipeServer()
{
    if (SUCCEEDED(pipeServer_.Start())) return;
    // The old instance of a restart may still hold the pipe for a moment.
    WriteLog(KilnLog, L"[LOG_LINE]  pipe %s not created yet; trying again", pipeServer_.GetName().c_str());
    pipeRetriesLeft_ = kPipeRetries;
    SetTimer(window_, kPipeRetryTimer, kPipeRetryMs, nullptr);
}

void MainWindow_CL::OnPipeRetry()
{
    if (IsCancelling()) {
        KillTimer(window_, kPipeRetryTimer);
        return;
    }
    if (SUCCEEDED(pipeServer_.Start())) {
        KillTimer(window_, kPipeRetryTimer);
        WriteLog(KilnLog, L"[LOG_LINE]  pipe %s created", pipeServer_.GetName().c_str());
        return;
    }
    if (--pipeRetriesLeft_ > 0) return;
    KillTimer(window_, kPipeRetryTimer);
    WriteLog(KilnLog, L"[LOG_LINE]  pipe %s could not be created; requests come only by WM_COPYDATA",
             pipeServer_.GetName().c_str());
}

void MainWindow_CL::BeginClose()
{
    cancel_ = true;
    if (IsDecoding()) {
        SetEvent(cancelEvent_.get());
        // A grab that hangs in a codec never sees the event; the process must end anyway.
        SetTimer(window_, kGraceTimer, kGracePeriodMs, nullptr);
    } else {
        PostMessageW(window_, WM_DECODE_CANCEL, 0, 0);
    }
}

void MainWindow_CL::OnClose()
{
    WriteLog(SequenceLog, L"WM_CLOSE");
    BeginClose();
    pipeServer_.Shutdown();
}

LRESULT MainWindow_CL::OnCopyData(const COPYDATASTRUCT* data)
{
    WriteLog(SequenceLog, L"WM_COPYDATA_START");
    if (!data || !data->lpData || data->cbData < DecodeRequestItem_CL::kMinBytes) {
        WriteLog(KilnLog, L"[LOG_LINE]  WM_COPYDATA ignored: %u bytes", data ? static_cast<unsigned>(data->cbData) : 0u);
        return 0;
    }
    DecodeRequestItem_CL item;
    ByteReader_CL in(data->lpData, data->cbData);
    if (FAILED(item.Load(in))) {
        WriteLog(KilnLog, L"[LOG_LINE]  WM_COPYDATA ignored: %u bytes are no queue item",
                 static_cast<unsigned>(data->cbData));
        return 0;
    }
    WriteLog(DecodeListLog, L"受付(%s)", item.moviePath.c_str());
    WriteLog(SequenceLog, L"WM_COPYDATA_ADD_START(%s)", item.moviePath.c_str());
    queue_.Add(item);
    WriteLog(SequenceLog, L"WM_COPYDATA_ADD_END");
    WriteLog(SequenceLog, L"WM_COPYDATA_SAVE_START");
    queue_.Save(GetQueueFilePath());
    WriteLog(SequenceLog, L"WM_COPYDATA_SAVE_END");
    if (!IsDecoding()) PostDecodeStart();
    WriteLog(SequenceLog, L"WM_COPYDATA_END");
    return 1;
}

// The thread posts WM_DECODE_START as its last act, so by now it has ended or is about to.
void MainWindow_CL::ReapDecodeThread()
{
    if (!decodeThread_ || IsDecoding()) return;
    WaitForSingleObject(decodeThread_.get(), 2000);
    decodeThread_.reset();
    KillTimer(window_, kWatchdogTimer);
}

void MainWindow_CL::OnDecodeStart()
{
    ReapDecodeThread();
    if (IsDecoding()) {
        WriteLog(SequenceLog, L"WM_DECODE_START(デコード中なので無視します)");
        return;
    }
    WriteLog(SequenceLog, L"WM_DECODE_START");
    if (IsCancelling()) {
        KillTimer(window_, kGraceTimer);
        WriteLog(SequenceLog, L"キャンセル");
        PostMessageW(window_, WM_DECODE_CANCEL, 0, 0);
        return;
    }

    const int restartCount = ReadThumbnailSetting(L"decode_periodic_restart_count", 0);
    WriteLog(KilnLog, L"[LOG_LINE] (ini) decode_periodic_restart_count=%d execute_decode_count=%d", restartCount,
             static_cast<int>(executedDecodeCount_));
    if (restartCount > 0) {
        ++executedDecodeCount_;
        if (static_cast<uint32_t>(restartCount) < executedDecodeCount_) {
            WriteLog(SequenceLog, L"定期再起動");
            WriteLog(DecodeListLog, L"定期デコードによる再起動(%d)", static_cast<int>(executedDecodeCount_));
            RestartNow();
            return;
        }
    }

    DecodeRequestItem_CL head;
    if (!queue_.GetHead(head)) {
        WriteLog(SequenceLog, L"デーコードするアイテム無し");
        WriteLog(DecodeListLog, L"デーコードするアイテムがなくなりました。");
        return;
    }
    if (IsOverMemoryLimit()) {
        RestartNow();
        return;
    }
    ++moviesStarted_;
    decoding_ = true;
    KillTimer(window_, kWatchdogTimer);
    SetTimer(window_, kWatchdogTimer, GetWatchdogPeriodMs(), nullptr);
    unsigned threadId = 0;
    decodeThread_.reset(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, DecodeThreadProc, this, 0, &threadId)));
    if (!decodeThread_) {
        // Tried again with the next request or WM_COPYDATA.
        WriteLog(KilnLog, L"[LOG_LINE]  decode thread not started: %s", GetSystemErrorText(GetLastError()).c_str());
        decoding_ = false;
        KillTimer(window_, kWatchdogTimer);
    }
}

unsigned __stdcall MainWindow_CL::DecodeThreadProc(void* window)
{
    auto* self = static_cast<MainWindow_CL*>(window);
    self->decodeThreadId_ = GetCurrentThreadId();
    SeedThreadRandom();
    bool failed = false;
    try {
        ThumbnailDecode(self->queue_, *self, self->cancelEvent_.get());
    } catch (...) {
        failed = true;
    }
    if (failed) {
        // The movie is still at the head: marked like a crash, the next run sets it aside
        // instead of failing on it again and again.
        WriteLog(KilnLog, L"[LOG_LINE]  decode run ended on an unexpected error; the movie is set aside");
        WriteThumbnailSetting(kExceptionKey, 1);
    }
    self->decodeThreadId_ = 0;
    self->decoding_ = false;
    self->PostDecodeStart();
    return 0;
}

void MainWindow_CL::EndFaultedDecodeThread()
{
    decodeThreadId_ = 0;
    decoding_ = false;
    PostDecodeStart();
    ExitThread(0);
}

bool MainWindow_CL::IsOverMemoryLimit() const
{
    const int limitMb = ReadThumbnailSetting(kMemoryRestartKey, kDefaultMemoryRestartMb);
    // The commit charge (PagefileUsage) is the process's private bytes; Wine leaves the
    // PrivateUsage of the extended counters at 0.
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters))) return false;
    const unsigned long long privateMb = counters.PagefileUsage / (1024 * 1024);
    WriteLog(KilnLog, L"[LOG_LINE] (memory) private_mb=%llu limit_mb=%d movies=%u", privateMb, limitMb,
             moviesStarted_);
    // A fresh instance always takes its first movie: a limit below what the program needs
    // to start must not turn into restarts without end.
    if (limitMb <= 0 || moviesStarted_ == 0) return false;
    if (privateMb < static_cast<unsigned long long>(limitMb)) return false;
    WriteLog(SequenceLog, L"メモリ上限による再起動");
    WriteLog(KilnLog, L"[LOG_LINE] (memory) restart private_mb=%llu limit_mb=%d movies=%u", privateMb, limitMb,
             moviesStarted_);
    WriteLog(DecodeListLog, L"(memory) restart private_mb=%llu limit_mb=%d movies=%u", privateMb, limitMb,
             moviesStarted_);
    return true;
}

void MainWindow_CL::OnWatchdog()
{
    KillTimer(window_, kWatchdogTimer);
    // A program that is closing already is ended by the grace period, not restarted.
    if (!IsDecoding() || IsCancelling()) return;
    WriteLog(SequenceLog, L"無応答による再起動");
    WriteLog(DecodeListLog, L"無応答による再起動");
    if (queue_.MoveHeadToEnd()) {
        WriteLog(KilnLog, L"[LOG_LINE]  timeout-restart move-top-to-last");
        WriteLog(DecodeListLog, L"(decode-queue) timeout-restart move-top-to-last");
    }
    RestartNow();
}

void MainWindow_CL::OnGraceExpired()
{
    KillTimer(window_, kGraceTimer);
    if (!IsDecoding()) return;
    WriteLog(SequenceLog, L"decode thread did not return; ending the process");
    WriteLog(DecodeListLog, L"(decode) the cancelled decode thread did not return within %u ms; the process ends",
             kGracePeriodMs);
    // Everything worth keeping is in the queue file; the hung thread may hold any lock, so
    // nothing is torn down in order.
    TerminateProcess(GetCurrentProcess(), kExitDecodeThreadHung);
}

void MainWindow_CL::RestartNow()
{
    queue_.Save(GetQueueFilePath());
    pipeServer_.Shutdown();
    AppRestart();
    BeginClose();
}
