#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <vector>

#include "tests/common/Screenshot.h"
#include "tests/common/TestWindow.h"
#include "ui/widgets/DialogFrame.h"
#include "ui/widgets/EasyProgress.h"

namespace {

RECT RectInParent(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

int BarPosition(const EasyProgress_CL& dialog)
{
    return static_cast<int>(SendMessageW(dialog.progressBar->hwnd, PBM_GETPOS, 0, 0));
}

// A progress dialog with a test job. The job runs until it is told to stop (or for
// `maxMilliseconds`), then ends the dialog with its status, as the shell's jobs do.
class TestProgress_CL : public EasyProgress_CL {
public:
    TestProgress_CL(BOOL showCancel) : EasyProgress_CL(L"サムネイルの再取得中...", showCancel) {}
    ~TestProgress_CL() override { Join(); }

    INT_PTR DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        const INT_PTR result = EasyProgress_CL::DialogProc(hwnd, msg, wParam, lParam);
        if (msg == WM_INITDIALOG && armTimer) SetTimer(hwnd, 1, 300, nullptr);
        if (msg == WM_TIMER && onTimer) onTimer(*this, hwnd, static_cast<UINT_PTR>(wParam));
        return result;
    }

    void SetPos(int position) override
    {
        positionsSet.push_back(position);
        EasyProgress_CL::SetPos(position);
    }

    LONG Status() const { return status; }

    std::function<void(TestProgress_CL&, HWND, UINT_PTR)> onTimer;
    std::vector<int> positionsSet;
    bool armTimer = false;  // timer 1 fires once the dialog is up
    DWORD maxMilliseconds = 20000;
    volatile LONG jobFinished = -1;
    uint32_t statusAtEnd = 0;

protected:
    void Run(EasyThreadBase_CL*, uint32_t, uint32_t) override
    {
        AddTotal(100);
        AddDone(40);
        const DWORD start = GetTickCount();
        while (status == 0 && GetTickCount() - start < maxMilliseconds) Sleep(10);
        // Work still in hand when the cancel came is finished first.
        Sleep(100);
        jobFinished = 1;
    }
    void OnEnd(EasyThreadBase_CL*, uint32_t endStatus) override
    {
        statusAtEnd = endStatus;
        EndDialog(window, static_cast<INT_PTR>(endStatus));
    }
};

// Opened without its modal loop, to drive the bar from the test thread.
HWND OpenModeless(EasyProgress_CL& dialog)
{
    return CreateDialogIndirectParamW(GetModuleHandleW(nullptr), dialog.BuildTemplate(), TestHostWindow::TopLevel(),
                                      &SubClassDialogBase_CL::StaticDialogProc, reinterpret_cast<LPARAM>(&dialog));
}

TEST(EasyProgress, BarPositionFollowsDoneOverTotal)
{
    struct Step {
        uint64_t addTotal;
        uint64_t addDone;
        int bar;
        size_t positionsSetSoFar;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"nothing announced", {{0, 50, 0, 0}}},
        {"half done", {{100, 0, 0, 0}, {0, 50, 1000, 1}, {0, 0, 1000, 1}}},
        {"more done than announced", {{100, 150, 2000, 1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestProgress_CL dialog(TRUE);
        HWND hwnd = OpenModeless(dialog);
        ASSERT_NE(hwnd, nullptr);
        ASSERT_NE(dialog.progressBar, nullptr);
        for (const Step& step : c.steps) {
            if (step.addTotal) dialog.AddTotal(step.addTotal);
            dialog.AddDone(step.addDone);
            EXPECT_EQ(BarPosition(dialog), step.bar);
            EXPECT_EQ(dialog.positionsSet.size(), step.positionsSetSoFar);
        }
        if (c.steps.back().addDone == 150) {
            ASSERT_EQ(dialog.positionsSet.size(), 1u);
            EXPECT_EQ(dialog.positionsSet[0], 3000);
        }
        DestroyWindow(hwnd);
    }
}

TEST(EasyProgress, LayoutWithAndWithoutCancel)
{
    const SIZE expected = ScaleDialogSize(480, 56);
    for (BOOL showCancel : {TRUE, FALSE}) {
        SCOPED_TRACE(showCancel ? "with cancel" : "without cancel");
        TestProgress_CL dialog(showCancel);
        HWND hwnd = OpenModeless(dialog);
        ASSERT_NE(hwnd, nullptr);
        RECT window = {};
        GetWindowRect(hwnd, &window);
        EXPECT_EQ(window.right - window.left, expected.cx);
        EXPECT_EQ(window.bottom - window.top, expected.cy);
        EXPECT_GE(window.top, 0);
        const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
        EXPECT_EQ(style & (WS_SYSMENU | WS_MINIMIZEBOX), 0);
        wchar_t caption[64] = {};
        GetWindowTextW(hwnd, caption, 64);
        EXPECT_STREQ(caption, L"サムネイルの再取得中...");

        RECT client = {};
        GetClientRect(hwnd, &client);
        const RECT bar = RectInParent(dialog.progressBar->hwnd);
        const RECT button = RectInParent(dialog.cancelButton->hwnd);
        EXPECT_EQ(bar.left, 0);
        EXPECT_EQ(bar.top, 0);
        EXPECT_EQ(bar.bottom, client.bottom);
        EXPECT_EQ(SendMessageW(dialog.progressBar->hwnd, PBM_GETRANGE, FALSE, 0), kProgressRange);
        if (showCancel) {
            EXPECT_NE(GetWindowLongPtrW(dialog.cancelButton->hwnd, GWL_STYLE) & WS_VISIBLE, 0);
            EXPECT_EQ(button.right, client.right);
            EXPECT_EQ(button.top, 0);
            EXPECT_EQ(button.bottom, client.bottom);
            EXPECT_EQ(bar.right, button.left);
        } else {
            EXPECT_EQ(GetWindowLongPtrW(dialog.cancelButton->hwnd, GWL_STYLE) & WS_VISIBLE, 0);
            EXPECT_EQ(bar.right, client.right);
        }
        DestroyWindow(hwnd);
    }
}

// The job runs until the cancel button is pressed; keys before it change nothing.
TEST(EasyProgress, CancelSetsStatusAndTheDialogEndsWithTheJob)
{
    TestProgress_CL dialog(TRUE);
    dialog.startWorker = 1;
    bool openAfterKeys = false;
    LONG jobFinishedBeforeCancel = 0;
    LONG statusBeforeCancel = -1;
    std::wstring screenshot;
    dialog.onTimer = [&](TestProgress_CL& self, HWND hwnd, UINT_PTR timer) {
        if (timer == 1) {
            KillTimer(hwnd, 1);
            HWND focus = GetFocus();
            for (HWND target : {hwnd, focus}) {
                if (!target) continue;
                PostMessageW(target, WM_KEYDOWN, VK_RETURN, 0);
                PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 0);
            }
            SetTimer(hwnd, 2, 200, nullptr);
        } else if (timer == 2) {
            KillTimer(hwnd, 2);
            openAfterKeys = IsWindowVisible(hwnd) != FALSE;
            jobFinishedBeforeCancel = self.jobFinished;
            statusBeforeCancel = self.Status();
            screenshot = SaveWindowScreenshot(hwnd, L"widgets", L"progress_dialog");
            SendMessageW(self.cancelButton->hwnd, BM_CLICK, 0, 0);
        }
    };
    dialog.armTimer = true;
    const INT_PTR result = dialog.DoModal(TestHostWindow::TopLevel());
    EXPECT_EQ(result, 1);
    EXPECT_EQ(dialog.statusAtEnd, 1u);
    EXPECT_EQ(dialog.jobFinished, 1);
    EXPECT_TRUE(openAfterKeys);
    EXPECT_EQ(jobFinishedBeforeCancel, -1);
    EXPECT_EQ(statusBeforeCancel, 0);
    EXPECT_FALSE(screenshot.empty());
}

}  // namespace
