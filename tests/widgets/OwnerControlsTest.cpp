#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "tests/common/TestWindow.h"
#include "ui/widgets/ControlFactory.h"
#include "ui/widgets/StaticImage.h"
#include "ui/widgets/StatusBar.h"

namespace {

HBITMAP MakeBitmap(int width, int height)
{
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

// The status bar follows its owner's size only through the owner's own WM_SIZE.
TEST(StatusBar, FollowsTheOwnersSizeAndShowsItsText)
{
    TestHostWindow host(400, 300);
    ControlFactory_CL factory;
    auto* bar = new StatusBar_CL();
    bar->kind = kControlStatusBar;
    ASSERT_NE(bar->Create(host.Get(), factory.TakeId()), nullptr);
    factory.Add(bar);
    bar->SetFontScale(1.0f, 400);
    EXPECT_EQ(GetDlgCtrlID(bar->hwnd), 0x1100);

    bar->SetText(L"残り 12 件", 0);
    wchar_t text[32] = {};
    SendMessageW(bar->hwnd, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"残り 12 件");

    MoveWindow(host.Get(), 0, 0, 520, 300, TRUE);
    EXPECT_EQ(bar->HandleMessage(host.Get(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(520, 300)), 0);
    RECT rect = {};
    GetWindowRect(bar->hwnd, &rect);
    EXPECT_EQ(rect.right - rect.left, 520);
    EXPECT_EQ(bar->HandleMessage(host.Get(), WM_MOVE, 0, 0), 0);
}

TEST(StaticImage, OwnsOneBitmapAtATime)
{
    TestHostWindow host;
    ControlFactory_CL factory;
    auto* image = new StaticImage_CL();
    image->kind = kControlStaticImage;
    ASSERT_NE(image->Create(host.Get(), factory.TakeId(), 0, 0, 64, 64), nullptr);
    factory.Add(image);

    HBITMAP first = MakeBitmap(32, 32);
    HBITMAP second = MakeBitmap(48, 48);
    image->SetBitmap(first);
    EXPECT_NE(SendMessageW(image->hwnd, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
    image->SetBitmap(second);
    EXPECT_EQ(GetObjectType(first), 0u);
    EXPECT_EQ(GetObjectType(second), static_cast<DWORD>(OBJ_BITMAP));
    EXPECT_EQ(image->bitmap, second);
}

}  // namespace
