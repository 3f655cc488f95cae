#include "app/startup/DialogDataLoad.h"

#include <commctrl.h>
#include <gdiplus.h>

#include <memory>

#include "app/settings/PropAppKeySetting.h"
#include "app/shell/MainWindow.h"
#include "app/startup/DataLoadThread.h"
#include "core/album/SaveData.h"
#include "core/base/Log.h"
#include "core/base/PathName.h"

DialogDataLoad_CL* g_loadSplash = nullptr;

DialogDataLoad_CL::DialogDataLoad_CL(MainWindow_CL* owner, SaveData_CL* albumData)
    : owner(owner), albumData(albumData)
{
}

DialogDataLoad_CL::~DialogDataLoad_CL()
{
    DataLoadProgress_CL* mine = &progress;
    g_dataLoadProgress.compare_exchange_strong(mine, nullptr);
}

HWND DialogDataLoad_CL::CreateModeless(HWND ownerWindow)
{
    parent = ownerWindow;
    HWND created = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), BuildTemplate(), ownerWindow,
                                              &SubClassDialogBase_CL::StaticDialogProc,
                                              reinterpret_cast<LPARAM>(this));
    if (!created) WriteLastErrorLog(L"CreateDialogIndirectParam()エラー = 0x%08x : %s");
    return created;
}

INT_PTR DialogDataLoad_CL::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog(hwnd);
        return TRUE;
    case WM_LOAD_SPLASH_START:
        SetTimer(hwnd, kSplashKeyTimer, kKeyCheckMs, nullptr);
        return TRUE;
    case WM_TIMER:
        OnKeyCheck(hwnd);
        return TRUE;
    case WM_PAINT:
        OnPaint(hwnd);
        return TRUE;
    case WM_LOAD_SPLASH_DONE:
        g_dataLoadThread.Stop();
        if (owner && owner->hwnd) PostMessageW(owner->hwnd, WM_DATA_LOAD_END, 0, 0);
        EndDialog(hwnd, 0);
        return TRUE;
    case WM_CLOSE:
        // Only hides the splash; the main window frees it once the load has ended.
        EndDialog(hwnd, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

void DialogDataLoad_CL::OnInitDialog(HWND hwnd)
{
    window = hwnd;
    DeleteMenu(GetSystemMenu(hwnd, FALSE), SC_CLOSE, MF_BYCOMMAND);
    LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    style &= ~static_cast<LONG_PTR>(WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
    SetWindowLongPtrW(hwnd, GWL_STYLE, style);

    int metrics[8] = {};
    GetLayoutMetrics(metrics);
    const int letterHeight = metrics[7];

    RECT outer = {0, 0, kOuterWidth, kPictureHeight + 2 * letterHeight};
    AdjustWindowRectEx(&outer, static_cast<DWORD>(style), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)));
    SetWindowPos(hwnd, nullptr, 0, 0, kOuterWidth, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);

    RECT client = {};
    GetClientRect(hwnd, &client);
    const int bar = controls.CreateProgressBar(hwnd, kBarWidth, letterHeight, 10,
                                               client.bottom - (3 * letterHeight) / 2);
    progressBar = controls.Get(bar) ? controls.Get(bar)->hwnd : nullptr;
    if (progressBar) {
        SendMessageW(progressBar, PBM_SETRANGE32, 0, 100);
        SendMessageW(progressBar, PBM_SETPOS, 0, 0);
    }
    progress.progressBar = progressBar;
    g_dataLoadProgress = &progress;

    SetWindowLongPtrW(hwnd, GWL_EXSTYLE, GetWindowLongPtrW(hwnd, GWL_EXSTYLE) | WS_EX_LAYERED | WS_EX_TRANSPARENT);
    SetLayeredWindowAttributes(hwnd, 0, kOpacity, LWA_ALPHA);

    if (FAILED(g_dataLoadThread.Start())) WriteLog(AppLog, L"DialogDataLoadスレッドを開始できません");

    CenterWindow(parent, hwnd);
    ShowWindow(hwnd, SW_SHOW);
    PostMessageW(hwnd, WM_LOAD_SPLASH_START, 0, 0);
    InvalidateRect(hwnd, nullptr, TRUE);
}

void DialogDataLoad_CL::OnKeyCheck(HWND hwnd)
{
    if (unlocked) return;
    std::unique_ptr<PropAppKeySetting_CL> check(new PropAppKeySetting_CL(nullptr, albumData));
    const int matched = check->CheckKeyLock();
    check.reset();
    if (matched == 1) {
        unlocked = 1;
        PlayCompleteBeep(0);
        PostLoad();
        return;
    }
    if (ticks++ < kKeyCheckLimit) return;
    // The lock was not satisfied: the first album, which can never be locked, opens instead.
    KillTimer(hwnd, kSplashKeyTimer);
    WriteLog(AppLog, L"★キーロックが解除されないため、先頭のアルバムを開きます。");
    albumData->album_data.open_first_album = 1;
    albumData->album_data.current_index = 0;
    PostLoad();
}

void DialogDataLoad_CL::PostLoad()
{
    if (!PostThreadMessageW(g_dataLoadThread.GetThreadId(), TM_LOAD_ALBUM, 0, reinterpret_cast<LPARAM>(this)))
        WriteLastErrorLog(L"PostThreadMessage()エラー = 0x%08x : %s");
}

void DialogDataLoad_CL::OnPaint(HWND hwnd)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    int metrics[8] = {};
    GetLayoutMetrics(metrics);
    RECT client = {};
    GetClientRect(hwnd, &client);
    const std::wstring path = PathName_CL::GetModuleFolder() + L"\\images\\load_image.png";
    {
        Gdiplus::Image picture(path.c_str());
        if (picture.GetLastStatus() == Gdiplus::Ok) {
            Gdiplus::Graphics graphics(dc);
            graphics.DrawImage(&picture, 0, -2 * metrics[7], client.right, client.bottom);
        }
    }
    EndPaint(hwnd, &paint);
}
