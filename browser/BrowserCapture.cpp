#include "browser/BrowserBaseReelvault.h"
#include "browser/WebView2Handlers.h"

#include <windows.h>
#include <gdiplus.h>
#include <shlwapi.h>

#include <atomic>
#include <memory>

using Microsoft::WRL::ComPtr;

namespace {

constexpr DWORD kCaptureLimitMs = 5000;

// What one capture waits for: the event and the result. The call and the runtime's handler
// each hold a reference, so a completion that comes after the call gave up sets only this
// object's event and result, which nobody reads any more.
class CaptureCompletion final : public WebView2Unknown_CL<ICoreWebView2CapturePreviewCompletedHandler> {
public:
    CaptureCompletion() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    CaptureCompletion(const CaptureCompletion&) = delete;
    CaptureCompletion& operator=(const CaptureCompletion&) = delete;

    HRESULT STDMETHODCALLTYPE Invoke(HRESULT result) override
    {
        result_ = result;
        if (event_) SetEvent(event_);
        return S_OK;
    }

    HANDLE Event() const { return event_; }
    HRESULT Result() const { return result_; }

private:
    ~CaptureCompletion() override
    {
        if (event_) CloseHandle(event_);
    }

    HANDLE event_;
    HRESULT result_ = E_FAIL;
};

// Pumps this thread's messages until the capture completes; false when it failed, when
// the time ran out, or when the program was asked to end meanwhile.
bool WaitForCapture(const CaptureCompletion& completion)
{
    const ULONGLONG deadline = GetTickCount64() + kCaptureLimitMs;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return false;
        HANDLE event = completion.Event();
        const DWORD waited =
            MsgWaitForMultipleObjects(1, &event, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
        if (waited == WAIT_OBJECT_0) return SUCCEEDED(completion.Result());
        if (waited != WAIT_OBJECT_0 + 1) return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                // The program's own loop must still see it, or it would never end.
                PostQuitMessage(static_cast<int>(msg.wParam));
                return false;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

}  // namespace

Gdiplus::Bitmap* BrowserBaseReelvault_CL::CapturePage()
{
    if (!hostWindow || !view) return nullptr;
    ComPtr<ICoreWebView2_2> view2;
    if (FAILED(view.As(&view2)) || !view2) return nullptr;

    ComPtr<IStream> stream;
    stream.Attach(SHCreateMemStream(nullptr, 0));
    if (!stream) return nullptr;
    ComPtr<CaptureCompletion> completion;
    completion.Attach(new CaptureCompletion());
    if (!completion->Event()) return nullptr;

    const HRESULT call =
        view2->CapturePreview(COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_PNG, stream.Get(), completion.Get());
    // A refused call leaves the stream empty, which ends the capture below.
    if (SUCCEEDED(call) && !WaitForCapture(*completion.Get())) return nullptr;

    const LARGE_INTEGER start = {};
    if (FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr))) return nullptr;
    STATSTG stat = {};
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || stat.cbSize.QuadPart == 0) return nullptr;

    std::unique_ptr<Gdiplus::Bitmap> decoded(Gdiplus::Bitmap::FromStream(stream.Get()));
    if (!decoded || decoded->GetLastStatus() != Gdiplus::Ok) return nullptr;
    const INT width = static_cast<INT>(decoded->GetWidth());
    const INT height = static_cast<INT>(decoded->GetHeight());
    std::unique_ptr<Gdiplus::Bitmap> copy(decoded->Clone(0, 0, width, height, PixelFormat24bppRGB));
    if (!copy || copy->GetLastStatus() != Gdiplus::Ok) return nullptr;
    return copy.release();
}
