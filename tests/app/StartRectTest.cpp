// Where the main window opens: the saved rectangle, unless it lies off every monitor or
// Shift is held at the start.
#include <gtest/gtest.h>
#include <windows.h>

#include "app/shell/MainWindow.h"
#include "core/base/Inifile.h"
#include "tests/common/TempFolder.h"

namespace {

void HoldShift(bool down)
{
    BYTE state[256] = {};
    if (down) state[VK_SHIFT] = state[VK_LSHIFT] = 0x80;
    ASSERT_TRUE(SetKeyboardState(state));
}

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(StartRect, SavedOnScreenIsUsedOffScreenOrShiftGivesTheDefault)
{
    TempFolder folder;
    Inifile_CL ini;
    ini.SetPath(folder / L"Reelvault.ini");
    RECT work = {};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    const RECT current = {CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT + 640, CW_USEDEFAULT + 480};
    const RECT onScreen = {work.left + 40, work.top + 30, work.left + 840, work.top + 630};
    const RECT offScreen = {work.right + 4000, work.bottom + 4000, work.right + 4800, work.bottom + 4600};

    struct Case {
        const char* name;
        const RECT* saved;  // null: no key
        bool shift;
        const RECT* expected;
    } cases[] = {
        {"nothing saved", nullptr, false, &current},
        {"saved on a monitor", &onScreen, false, &onScreen},
        {"saved on a monitor no longer attached", &offScreen, false, &current},
        {"Shift held", &onScreen, true, &current},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ini.DeleteKey(L"WINDOW", L"rect");
        if (c.saved) ini.WriteStruct(L"WINDOW", L"rect", c.saved, sizeof(RECT));
        HoldShift(c.shift);
        const RECT chosen = MainWindow_CL::ChooseStartRect(ini, current);
        EXPECT_TRUE(SameRect(chosen, *c.expected))
            << chosen.left << "," << chosen.top << "," << chosen.right << "," << chosen.bottom;
    }
    HoldShift(false);
}

}  // namespace
