// Stillforge's window inside the test program: its lifetime against a starter that keeps
// closing it by its title, as Reelvault does when it shuts down.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "core/media/GdiplusSession.h"
#include "tests/common/TempFolder.h"
#include "thumbnailer/MainWindow.h"
#include "thumbnailer/StillforgeGlobals.h"

namespace {

// Every message waiting for this thread, WM_QUIT included, for about `ms`.
void PumpFor(DWORD ms)
{
    const ULONGLONG end = GetTickCount64() + ms;
    MSG message;
    while (GetTickCount64() < end) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        Sleep(5);
    }
}

size_t CountOf(const std::wstring& text, const std::wstring& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + part.size())) ++count;
    return count;
}

TEST(StillforgeWindow, LateClosesDuringAndAfterTeardownNeverReachTheObject)
{
    TempFolder data;
    const std::wstring name = L"WindowTest-" + std::to_wstring(GetCurrentProcessId());
    InitStillforgeGlobals(name, data.Path());
    GdiplusSession gdiplus;

    // Reelvault's way of ending the maker, over and over: find the window by class and
    // title, send WM_CLOSE.
    std::atomic<bool> stop{false};
    std::atomic<int> delivered{0};
    std::thread closer([&] {
        while (!stop) {
            if (HWND found = FindWindowW(kStillforgeClassName, name.c_str())) {
                DWORD_PTR result = 0;
                if (SendMessageTimeoutW(found, WM_CLOSE, 0, 0, SMTO_NORMAL, 1000, &result)) ++delivered;
            }
            Sleep(2);
        }
    });

    HWND window = nullptr;
    size_t closesSeen = 0;
    {
        MainWindow_CL main(GetModuleHandleW(nullptr), 3, name, data.Path());
        ASSERT_EQ(S_OK, main.Create(name));
        window = main.GetWindow();
        ASSERT_NE(nullptr, window);
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        // Between the loop and the teardown the thread still pumps (COM does, for one): the
        // closes that come then find a program that is ending already.
        PumpFor(300);
        main.Teardown();
        EXPECT_FALSE(IsWindow(window));
        EXPECT_EQ(nullptr, FindWindowW(kStillforgeClassName, name.c_str()));
        closesSeen = CountOf(ReadUtf16File(data / L"kiln_seq.txt"), L" : WM_CLOSE\r\n");
    }
    // The object is gone: whatever is sent now must find no window to go to.
    PumpFor(300);
    stop = true;
    closer.join();
    EXPECT_GE(delivered.load(), 1);
    DWORD_PTR result = 0;
    EXPECT_EQ(0, SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_NORMAL, 1000, &result));
    PumpFor(50);
    EXPECT_GE(closesSeen, 1u);
    EXPECT_EQ(closesSeen, CountOf(ReadUtf16File(data / L"kiln_seq.txt"), L" : WM_CLOSE\r\n"));
    InitStillforgeGlobals(L"", L"");
}

}  // namespace
