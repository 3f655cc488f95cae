// The context menus of the running program: menu-drawing messages sent by another program
// with item data of its own leave the program running.
#include <gtest/gtest.h>

#include <windows.h>

#include "tests/appproc/support/AppProcSupport.h"

namespace {

using namespace appproc;

bool Answers(HWND window)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
}

class ContextMenuProcTest : public testing::Test {
protected:
    void SetUp() override { SKIP_WITHOUT_PROGRAM(); }

    AppSandbox sandbox_;
};

// The system copies these two messages between programs; the item data is then anything the
// sender chose, and the program must not take it for one of its menus.
TEST_F(ContextMenuProcTest, MenuDrawingMessagesFromAnotherProgramAreLeftAlone)
{
    ReelvaultProcess program;
    ASSERT_TRUE(program.Start(sandbox_.ProgramWithStandinMaker()));
    ASSERT_TRUE(WaitForReady(program));
    HWND main = program.MainWindow();
    ASSERT_NE(main, nullptr);

    const ULONG_PTR madeUp[] = {0x12345678, 0x1, static_cast<ULONG_PTR>(-1)};
    for (ULONG_PTR data : madeUp) {
        SCOPED_TRACE(data);
        MEASUREITEMSTRUCT measure = {};
        measure.CtlType = ODT_MENU;
        measure.itemID = 0x8000;
        measure.itemWidth = 77;
        measure.itemHeight = 77;
        measure.itemData = data;
        DWORD_PTR result = 0;
        EXPECT_TRUE(SendMessageTimeoutW(main, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure), SMTO_ABORTIFHUNG,
                                        5000, &result));
        EXPECT_EQ(measure.itemWidth, 77u) << "nothing measured";

        DRAWITEMSTRUCT draw = {};
        draw.CtlType = ODT_MENU;
        draw.itemID = 0x8000;
        draw.itemAction = ODA_DRAWENTIRE;
        draw.rcItem = {0, 0, 100, 20};
        draw.itemData = data;
        EXPECT_TRUE(SendMessageTimeoutW(main, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw), SMTO_ABORTIFHUNG,
                                        5000, &result));
        EXPECT_TRUE(program.IsRunning());
        EXPECT_TRUE(Answers(main));
    }
    EXPECT_EQ(CloseAndWait(program), 0u);
}

}  // namespace
