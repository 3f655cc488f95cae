#pragma once
// Stillforge's one hidden window: its message loop drives the queue, the decode thread,
// the watchdog and the restarts.
#include <windows.h>
#include <gdiplus.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "core/base/UniqueHandle.h"
#include "thumbnailer/DecodeRequestList.h"
#include "thumbnailer/DecodeStarter.h"
#include "thumbnailer/MovieDecode.h"
#include "thumbnailer/Mutex.h"
#include "thumbnailer/RequestPipeServer.h"
#include "thumbnailer/StillforgeMessages.h"

constexpr wchar_t kStillforgeClassName[] = L"Stillforge";

// Exit codes of the ways the program ends by force.
constexpr UINT kExitDecodeThreadHung = 3;   // a cancelled decode thread did not return
constexpr UINT kExitWindowThreadFault = 4;  // a fault on the window thread

class MainWindow_CL : public DecodeHost_IF, public DecodeStarter_IF {
public:
    static constexpr UINT_PTR kWatchdogTimer = 0x10001;
    static constexpr UINT_PTR kGraceTimer = 0x10002;
    static constexpr UINT_PTR kPipeRetryTimer = 0x10003;
    // How long a cancelled decode thread has to return before the process ends itself.
    static constexpr UINT kGracePeriodMs = 5000;
    // While the old instance of a restart still holds the pipe name, creating it is tried
    // again this often, this many times (about 5 s in all).
    static constexpr UINT kPipeRetryMs = 250;
    static constexpr int kPipeRetries = 20;

    // argc counts the program path: 3 for a start by Reelvault, 4 with "-restart".
    MainWindow_CL(HINSTANCE instance, int argc, const std::wstring& name, const std::wstring& dataFolder);
    virtual LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    virtual ~MainWindow_CL();
    MainWindow_CL(const MainWindow_CL&) = delete;
    MainWindow_CL& operator=(const MainWindow_CL&) = delete;

    // Binds the object at WM_CREATE and hands every message to it.
    static LRESULT CALLBACK StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Registers the class "Stillforge" and creates the window titled with the name (never
    // shown). 0 or E_FAIL.
    HRESULT Create(const std::wstring& title);
    // The teardown after the message loop: the window (so that no late WM_CLOSE finds it),
    // then the pipe, the queue and the handles. Safe to call more than once.
    void Teardown();

    // The window of the running program, for the exception filter; null before and after.
    static MainWindow_CL* GetInstance() { return instance_; }

    HWND GetWindow() const { return window_; }
    DecodeRequestList_CL& GetQueue() { return queue_; }
    HANDLE GetCancelEvent() const { return cancelEvent_.get(); }
    // Null when the image beside the program is missing or unreadable.
    Gdiplus::Bitmap* GetErrorImage() const override { return errorImage_.get(); }
    bool IsDecoding() const override { return decoding_; }
    bool IsCancelling() const override { return cancel_; }
    // The decode thread marks a grab that the cancel event ended.
    void SetCancelling() override { cancel_ = true; }
    void PostDecodeStart() const override
    {
        // Without the window a null handle would post to the calling thread instead.
        if (HWND window = window_) PostMessageW(window, WM_DECODE_START, 0, 0);
    }

    // Which thread is running the caller: the exception filter treats each differently.
    bool IsWindowThread() const { return GetCurrentThreadId() == windowThreadId_; }
    bool IsDecodeThread() const { return GetCurrentThreadId() == decodeThreadId_; }
    // From the exception filter on the decode thread: the run is over; the next
    // WM_DECODE_START takes over. Does not return.
    void EndFaultedDecodeThread();

private:
    static unsigned __stdcall DecodeThreadProc(void* window);

    void OnCreate();
    void OnClose();
    LRESULT OnCopyData(const COPYDATASTRUCT* data);
    void OnDecodeStart();
    void OnWatchdog();
    void OnGraceExpired();
    void OnPipeRetry();
    void StartPipeServer();
    // Saves the queue and gives up the pipe, so that the new instance finds both, then
    // starts it and makes this one end.
    void RestartNow();
    // Marks the program as ending: a running decode is told to stop (and given the grace
    // period), an idle program quits at once.
    void BeginClose();
    void ReapDecodeThread();
    // Between movies: whether the process's private bytes have passed the limit in
    // Thumbnail.ini (logged when they have). Never before this instance's first movie.
    bool IsOverMemoryLimit() const;

    static MainWindow_CL* instance_;

    // Null before WM_CREATE and after WM_NCDESTROY; the decode thread reads it to post.
    std::atomic<HWND> window_{nullptr};
    HINSTANCE instanceHandle_;
    Mutex_CL mutex_;
    DecodeRequestList_CL queue_;
    UniqueHandle cancelEvent_;
    std::unique_ptr<Gdiplus::Bitmap> errorImage_;
    RequestPipeServer_CL pipeServer_;
    int argc_;
    UniqueHandle decodeThread_;
    std::atomic<bool> decoding_{false};
    std::atomic<bool> cancel_{false};
    uint32_t executedDecodeCount_ = 0;
    uint32_t moviesStarted_ = 0;  // decode threads started by this instance
    DWORD windowThreadId_;
    std::atomic<DWORD> decodeThreadId_{0};
    int pipeRetriesLeft_ = 0;
    bool tearingDown_ = false;
};
