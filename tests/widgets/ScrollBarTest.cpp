#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <vector>

#include "ui/widgets/ScrollBar.h"

namespace {

// A hidden window with both standard scroll bars for the state object to drive.
class ScrollBarTest : public testing::Test {
protected:
    void SetUp() override
    {
        window_ = CreateWindowExW(0, L"Static", L"", WS_POPUP | WS_HSCROLL | WS_VSCROLL, 0, 0, 200, 200, nullptr,
                                  nullptr, nullptr, nullptr);
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override { DestroyWindow(window_); }

    HWND window_ = nullptr;
};

struct Step {
    const char* name;
    int bar;
    int max;
    UINT page;
    int position;
    int pageStep;
    int lineStep;
    std::function<void(ScrollBar_CL&)> act;
    int expected;
};

LRESULT Send(ScrollBar_CL& bar, UINT msg, WPARAM wParam)
{
    return bar.HandleMessage(bar.window, msg, wParam, 0);
}

TEST_F(ScrollBarTest, PositionMovesByItsStepWithinTheRange)
{
    const auto wheel = [](short delta) { return [delta](ScrollBar_CL& b) { Send(b, WM_MOUSEWHEEL, MAKEWPARAM(0, delta)); }; };
    const auto vscroll = [](int code) { return [code](ScrollBar_CL& b) { Send(b, WM_VSCROLL, MAKEWPARAM(code, 0)); }; };
    const std::vector<Step> steps = {
        {"pages stop at the end", SB_VERT, 1000, 100, 0, -1, 1,
         [](ScrollBar_CL& b) { for (int i = 0; i < 12; ++i) Send(b, WM_VSCROLL, SB_PAGEDOWN); }, 900},
        {"wheel towards the user", SB_VERT, 1000, 100, 0, -1, 1, wheel(-WHEEL_DELTA), 25},
        {"wheel away from the user", SB_VERT, 1000, 100, 50, -1, 1, wheel(WHEEL_DELTA), 25},
        {"wheel with its own step", SB_VERT, 1000, 100, 50, 40, 1, wheel(-WHEEL_DELTA), 90},
        {"wheel stops at the start", SB_VERT, 1000, 100, 10, -1, 1, wheel(WHEEL_DELTA), 0},
        {"line down", SB_VERT, 1000, 100, 0, -1, 7, vscroll(SB_LINEDOWN), 7},
        {"line up at the start", SB_VERT, 1000, 100, 0, -1, 7, vscroll(SB_LINEUP), 0},
        {"page up by the whole page", SB_VERT, 1000, 100, 500, -1, 1, vscroll(SB_PAGEUP), 400},
        {"page step when asked for", SB_VERT, 1000, 100, 500, -1, 1,
         [](ScrollBar_CL& b) { b.Scroll(SB_PAGEUP, true); }, 475},
        {"unknown code keeps the place", SB_VERT, 1000, 100, 500, -1, 1, vscroll(SB_ENDSCROLL), 500},
        {"the other direction's message is ignored", SB_VERT, 1000, 100, 500, -1, 1,
         [](ScrollBar_CL& b) { Send(b, WM_HSCROLL, SB_PAGEDOWN); }, 500},
        {"horizontal bar", SB_HORZ, 1000, 100, 0, -1, 3,
         [](ScrollBar_CL& b) { Send(b, WM_HSCROLL, SB_LINEDOWN); }, 3},
        // Content shorter than a page: there is nowhere to go but the start.
        {"page larger than the range", SB_VERT, 50, 100, 0, -1, 1, vscroll(SB_LINEDOWN), 0},
        {"page larger than the range, wheel", SB_VERT, 50, 100, 0, -1, 1, wheel(-WHEEL_DELTA), 0},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        ScrollBar_CL bar(step.bar);
        bar.window = window_;
        bar.pageStep = step.pageStep;
        bar.lineStep = step.lineStep;
        bar.info.nMin = 0;
        bar.info.nMax = step.max;
        bar.info.nPage = step.page;
        bar.info.nPos = step.position;
        SetScrollInfo(window_, step.bar, &bar.info, FALSE);
        step.act(bar);
        EXPECT_EQ(bar.info.nPos, step.expected);
        EXPECT_EQ(GetScrollPos(window_, step.bar), step.expected);
    }
}

}  // namespace
