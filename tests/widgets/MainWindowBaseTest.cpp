#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "tests/common/TestWindow.h"
#include "ui/widgets/MainWindowBase.h"

namespace {

// A main window whose close can be refused; it counts the hooks the base calls.
class ProbeWindow : public MainWindowBase_CL {
public:
    explicit ProbeWindow(const wchar_t* name)
    {
        SetClassName(name);
        SetTitle(name);
        width = 320;
        height = 200;
    }
    BOOL OnClose() override
    {
        ++closes;
        return allowClose ? MainWindowBase_CL::OnClose() : 0;
    }
    void OnCreate(CREATESTRUCTW* create) override
    {
        createParam = create->lpCreateParams;
        boundAtCreate = hwnd;
    }
    void OnSize() override { ++sizes; }
    void OnDestroy() override { ++destroys; }

    bool allowClose = true;
    int closes = 0;
    int sizes = 0;
    int destroys = 0;
    void* createParam = nullptr;
    HWND boundAtCreate = nullptr;
};

void CALLBACK EndStuckLoop(HWND, UINT, UINT_PTR, DWORD)
{
    PostQuitMessage(-1);
}

// Runs the thread's message loop until WM_QUIT; a loop that does not end within five
// seconds is ended with exit code -1.
int RunLoop()
{
    const UINT_PTR guard = SetTimer(nullptr, 0, 5000, EndStuckLoop);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    KillTimer(nullptr, guard);
    return static_cast<int>(msg.wParam);
}

TEST(MainWindowBase, CloseRefusedByOnCloseKeepsTheWindowAndTheBaseEndsTheLoop)
{
    InitTestCommonControls();
    ProbeWindow window(L"ReelvaultProbeMain");
    HWND created = window.Create();
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(window.hwnd, created);
    EXPECT_EQ(window.boundAtCreate, created);
    EXPECT_EQ(window.createParam, &window);
    EXPECT_EQ(window.kind, kControlMainWindow);
    EXPECT_EQ(GetWindowLongPtrW(created, GWL_STYLE) & MainWindowBase_CL::kDefaultStyle, MainWindowBase_CL::kDefaultStyle);

    window.allowClose = false;
    EXPECT_EQ(SendMessageW(created, WM_CLOSE, 0, 0), 0);
    EXPECT_TRUE(IsWindow(created));
    EXPECT_EQ(window.closes, 1);
    EXPECT_EQ(window.destroys, 0);

    window.allowClose = true;
    PostMessageW(created, WM_CLOSE, 0, 0);
    EXPECT_EQ(RunLoop(), 0);
    EXPECT_FALSE(IsWindow(created));
    EXPECT_EQ(window.closes, 2);
    EXPECT_EQ(window.destroys, 1);
    EXPECT_EQ(window.hwnd, nullptr);
}

TEST(MainWindowBase, HiddenOwnerIsAnUnseenWindowOfItsOwnClass)
{
    ProbeWindow window(L"ReelvaultProbeOwned");
    window.useHiddenOwner = 1;
    window.windowStyle |= WS_VISIBLE;
    HWND created = window.Create();
    ASSERT_NE(created, nullptr);
    HWND owner = GetWindow(created, GW_OWNER);
    ASSERT_NE(owner, nullptr);
    wchar_t text[64] = {};
    GetClassNameW(owner, text, 64);
    EXPECT_STREQ(text, L"ReelvaultProbeOwned_SHARDOW");
    GetWindowTextW(owner, text, 64);
    EXPECT_STREQ(text, L"ReelvaultProbeOwned_SHARDOW");
    EXPECT_FALSE(IsWindowVisible(owner));
    EXPECT_TRUE(IsWindowVisible(created));
    EXPECT_GT(window.sizes, 0);
}

TEST(MainWindowBase, ObjectGoingFirstTakesItsWindowWithoutEndingTheLoop)
{
    HWND created = nullptr;
    {
        ProbeWindow window(L"ReelvaultProbeShortLived");
        created = window.Create();
        ASSERT_NE(created, nullptr);
    }
    EXPECT_FALSE(IsWindow(created));
    // No WM_QUIT was posted by a window destroyed behind its object's back.
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

}  // namespace
