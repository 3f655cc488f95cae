// The context menus of the running program: a right click on the movie grid, the category
// list and the category tab opens a menu that Esc closes, and menu-drawing messages sent by
// another program with item data of its own leave the program running.
#include <gtest/gtest.h>

#include <windows.h>

#include "tests/appproc/support/AppProcSupport.h"
#include "tests/common/Screenshot.h"

namespace {

using namespace appproc;

constexpr int kCategoryListId = 0x1100;
constexpr int kMovieGridId = 0x1101;
constexpr int kCategoryTabId = 0x1103;

// The program's open menu window ("#32768" shown), or null.
HWND OpenMenuOf(const ReelvaultProcess& program)
{
    for (HWND window : program.TopWindows()) {
        if (ClassNameOf(window) == L"#32768" && IsWindowVisible(window)) return window;
    }
    return nullptr;
}

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

TEST_F(ContextMenuProcTest, RightClicksOpenMenusThatEscCloses)
{
    ASSERT_EQ(sandbox_.MakeDemoAlbum(), 0);
    ReelvaultProcess program;
    ASSERT_TRUE(program.Start(sandbox_.ProgramWithStandinMaker()));
    ASSERT_TRUE(WaitForReady(program));
    HWND main = program.MainWindow();
    ASSERT_NE(main, nullptr);

    const struct {
        const char* name;
        int id;
        const wchar_t* screenshot;
    } targets[] = {
        {"movie grid", kMovieGridId, L"movie-menu"},
        {"category list", kCategoryListId, L"sub-category-menu"},
        {"category tab", kCategoryTabId, L"top-category-menu"},
    };
    for (const auto& target : targets) {
        SCOPED_TRACE(target.name);
        HWND control = GetDlgItem(main, target.id);
        ASSERT_NE(control, nullptr);
        ASSERT_EQ(OpenMenuOf(program), nullptr);
        const LPARAM point = MAKELPARAM(8, 8);
        // The views report the click on the button's press, the tab on its release.
        PostMessageW(control, WM_RBUTTONDOWN, MK_RBUTTON, point);
        PostMessageW(control, WM_RBUTTONUP, 0, point);
        HWND menu = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (menu = OpenMenuOf(program)) != nullptr; }, 10000)) << "no menu opened";
        Sleep(300);
        EXPECT_FALSE(SaveWindowScreenshot(menu, L"appproc", target.screenshot).empty());
        PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_TRUE(WaitUntil([&] { return OpenMenuOf(program) == nullptr; }, 10000)) << "Esc left the menu open";
        EXPECT_TRUE(Answers(main));
    }
    EXPECT_EQ(CloseAndWait(program), 0u);
}

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
