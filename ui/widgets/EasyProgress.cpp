#include "ui/widgets/EasyProgress.h"

#include <commctrl.h>

#include <climits>

#include "ui/widgets/DialogFrame.h"

EasyProgress_CL::EasyProgress_CL(const std::wstring& titleText, BOOL showCancelButton)
    : title(titleText), showCancel(showCancelButton ? 1 : 0)
{
    dialogStyle = kDialogStyle;
}

EasyProgress_CL::~EasyProgress_CL()
{
    Join();
}

INT_PTR EasyProgress_CL::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog(hwnd);
        PlaceDialogOverOwner(hwnd);
        return 0;
    case WM_COMMAND:
        // The job sees the request and ends; the dialog waits for it.
        if (cancelButton && LOWORD(wParam) == cancelButton->id) InterlockedExchange(&status, 1);
        return 0;
    case WM_CLOSE:
        EndDialog(hwnd, 0);
        return TRUE;
    default:
        return IsEnterOrEscape(msg, wParam) ? TRUE : 0;
    }
}

void EasyProgress_CL::OnInitDialog(HWND hwnd)
{
    // No close box: the window goes when the job does.
    FrameDialog(hwnd, title, 480, 56, WS_SYSMENU | WS_MINIMIZEBOX, 0);
    RECT client = {};
    GetClientRect(hwnd, &client);
    const int clientWidth = client.right - client.left;
    const int clientHeight = client.bottom - client.top;

    cancelButton = factory.GetAs<Button_CL>(factory.CreateButton(hwnd, L"キャンセル", 48, 0));
    int barWidth = clientWidth;
    if (showCancel) {
        const RECT button = cancelButton->GetRectInParent();
        const int buttonWidth = button.right - button.left;
        MoveWindow(cancelButton->hwnd, client.right - buttonWidth, 0, buttonWidth, clientHeight, TRUE);
        barWidth = clientWidth - buttonWidth;
    } else {
        ShowWindow(cancelButton->hwnd, SW_HIDE);
    }

    progressBar = factory.GetAs<ProgressBar_CL>(factory.CreateProgressBar(hwnd, barWidth, clientHeight, 0, 0));
    SendMessageW(progressBar->hwnd, PBM_SETRANGE, 0, MAKELPARAM(0, kProgressRange));

    if (startWorker) Start(0, 0);
}

void EasyProgress_CL::AddTotal(uint64_t amount)
{
    total += amount;
    AddDone(0);
}

void EasyProgress_CL::AddDone(uint64_t amount)
{
    done += amount;
    if (!progressBar) return;
    if (total == 0) {
        SendMessageW(progressBar->hwnd, PBM_SETPOS, 0, 0);
        return;
    }
    const uint64_t position = done * kProgressRange / total;
    // More done than announced runs past the range; the bar stops at its end.
    const int clamped = position > static_cast<uint64_t>(INT_MAX) ? INT_MAX : static_cast<int>(position);
    if (clamped != lastPosition) SetPos(clamped);
}

void EasyProgress_CL::SetPos(int position)
{
    if (!progressBar) return;
    SendMessageW(progressBar->hwnd, PBM_SETPOS, static_cast<WPARAM>(position), 0);
    lastPosition = position;
}

void EasyProgress_CL::WaitWorker()
{
    Join();
}
