#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <bitset>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/media/GdiplusSession.h"
#include "tests/common/TestWindow.h"
#include "tests/views/PictureListTestSupport.h"
#include "ui/views/PictureListBase.h"

namespace {

// The smallest concrete list: each cell tells its tip; cells are left undrawn so that the
// base's own focus frame and selection fill show on the background.
class TestPictureList : public PictureListBase_CL {
public:
    TestPictureList() : PictureListBase_CL(kControlPictureList) {}
    void RequestReload(int value) override { pendingReloadValue = value; }
    std::wstring* GetItemTip(std::wstring* out, uint32_t index) override
    {
        *out = L"tip " + std::to_wstring(index);
        return out;
    }
};

std::set<uint32_t> SelectedItems(PictureListBase_CL& list)
{
    std::set<uint32_t> selected;
    for (uint32_t i = 0; i < list.GetItemCount(); ++i) {
        if (list.IsSelected(i)) selected.insert(i);
    }
    return selected;
}

class PictureListBaseTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(gdiplus_.IsStarted());
        recorder_ = std::make_unique<NotifyRecorder>(host_.Get(), 1100, 700);
        list_ = std::make_unique<TestPictureList>();
        ASSERT_NE(list_->Create(recorder_->Get(), 77, 1000, 300), nullptr);
        list_->SetKeyStateReader(&keys_);
    }

    void TearDown() override
    {
        if (list_ && list_->hwnd) DestroyWindow(list_->hwnd);
        list_.reset();
        PumpMessages();
    }

    // Sizes the list window so that its client area is width x height with the bars that
    // the content needs.
    void SetClientSize(int width, int height)
    {
        for (int pass = 0; pass < 3; ++pass) {
            RECT window = {}, client = {};
            GetWindowRect(list_->hwnd, &window);
            GetClientRect(list_->hwnd, &client);
            MoveWindow(list_->hwnd, 0, 0, width + (window.right - window.left) - client.right,
                       height + (window.bottom - window.top) - client.bottom, TRUE);
            list_->RecalcLayout();
        }
        RECT client = {};
        GetClientRect(list_->hwnd, &client);
        ASSERT_EQ(client.right, width);
        ASSERT_EQ(client.bottom, height);
    }

    void Fill(uint32_t count, int mode, int cellWidth, int cellHeight)
    {
        list_->layoutMode = mode;
        list_->cellWidth = cellWidth;
        list_->cellHeight = cellHeight;
        ASSERT_EQ(list_->SetItemCount(count), S_OK);
        list_->RecalcLayout();
    }

    void Key(WPARAM key) { SendMessageW(list_->hwnd, WM_KEYDOWN, key, 0); }
    void Click(int x, int y) { SendMessageW(list_->hwnd, WM_LBUTTONDOWN, 0, MAKELPARAM(x, y)); SendMessageW(list_->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }

    void ExpectGuardsIntact()
    {
        const std::vector<uint32_t>& storage = list_->SelectionStorage();
        ASSERT_GE(storage.size(), 2u);
        EXPECT_EQ(storage.front(), PictureListBase_CL::kSelectionGuard);
        EXPECT_EQ(storage.back(), PictureListBase_CL::kSelectionGuard);
    }

    GdiplusSession gdiplus_;
    TestHostWindow host_{1100, 700};
    std::unique_ptr<NotifyRecorder> recorder_;
    std::unique_ptr<TestPictureList> list_;
    FakeKeys keys_;
};

TEST_F(PictureListBaseTest, GridColumnsRoundHalfVisibleColumnUpAndHitRightOfLastColumnWraps)
{
    Fill(20, 2, 300, 140);
    SetClientSize(1000, 300);
    // (150 - 2 + 1000 - bar - 1) / 300 stays 3 for any bar narrower than 48 pixels.
    EXPECT_EQ(list_->columns, 3u);
    EXPECT_EQ(list_->HitTest(950, 10), 3u);
    EXPECT_EQ(list_->HitTest(10, 150), 3u);
    EXPECT_EQ(list_->HitTest(650, 150), 5u);
    EXPECT_EQ(list_->HitTest(650, 290), 8u);
}

TEST_F(PictureListBaseTest, VisibleCellsPerLayoutMode)
{
    struct Case {
        int mode;
        uint32_t count;
        std::vector<VisibleCell> expected;
    };
    const Case cases[] = {
        {0, 10, {{0, 0, 0}, {1, 300, 0}, {2, 600, 0}, {3, 900, 0}}},
        {1, 10, {{0, 0, 0}, {1, 0, 140}, {2, 0, 280}}},
        {2, 20, {{0, 0, 0}, {1, 300, 0}, {2, 600, 0}, {3, 0, 140}, {4, 300, 140}, {5, 600, 140},
                 {6, 0, 280}, {7, 300, 280}, {8, 600, 280}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        Fill(c.count, c.mode, 300, 140);
        SetClientSize(1000, 300);
        const std::vector<VisibleCell>& cells = list_->GetVisibleCells();
        ASSERT_EQ(cells.size(), c.expected.size());
        for (size_t i = 0; i < cells.size(); ++i) {
            EXPECT_EQ(cells[i].index, c.expected[i].index);
            EXPECT_EQ(cells[i].x, c.expected[i].x);
            EXPECT_EQ(cells[i].y, c.expected[i].y);
        }
    }
}

TEST_F(PictureListBaseTest, EnsureVisibleScrollsLeastDistanceAndRelayoutsKeepThePosition)
{
    Fill(100, 2, 300, 140);
    SetClientSize(1000, 300);
    list_->EnsureVisible(50);  // row 16: its bottom 2380 must come to 300
    EXPECT_EQ(list_->verticalBar.info.nPos, 2080);
    RECT cell = {};
    ASSERT_TRUE(list_->GetItemRect(50, &cell));
    EXPECT_EQ(cell.left, 600);
    EXPECT_EQ(cell.top, 160);
    EXPECT_EQ(cell.bottom, 300);
    EXPECT_FALSE(list_->GetItemRect(0, &cell));

    for (int i = 0; i < 3; ++i) {
        list_->RecalcLayout();
        SendMessageW(list_->hwnd, WM_SIZE, 0, MAKELPARAM(1000, 300));
    }
    EXPECT_EQ(list_->verticalBar.info.nPos, 2080);
    EXPECT_EQ(GetScrollPos(list_->hwnd, SB_VERT), 2080);

    list_->EnsureVisible(1);
    EXPECT_EQ(list_->verticalBar.info.nPos, 0);
    // A list that shrinks pulls the position back into the new range.
    list_->EnsureVisible(99);
    ASSERT_EQ(list_->SetItemCount(10), S_OK);
    list_->RecalcLayout();
    EXPECT_LE(list_->verticalBar.info.nPos, 4 * 140 + 2 - 300);
    EXPECT_GE(list_->verticalBar.info.nPos, 0);
}

TEST_F(PictureListBaseTest, KeysMoveCursorAndSelection)
{
    struct Case {
        const char* name;
        uint32_t count;
        int cellHeight;
        int32_t cursor;
        int32_t focus;
        std::set<uint32_t> selected;
        std::set<int> down;
        WPARAM key;
        int32_t expectedCursor;
        int32_t expectedFocus;
        std::set<uint32_t> expectedSelected;
    };
    const Case cases[] = {
        {"Ctrl+A inverts all but the cursor item", 5, 140, 2, 2, {0}, {VK_CONTROL}, 'A', 2, 2, {1, 3, 4}},
        {"Shift+Right without focus selects nothing", 5, 140, 0, -1, {3}, {VK_SHIFT}, VK_RIGHT, 1, -1, {}},
        {"Shift+Down selects from the focus", 10, 140, 1, 1, {1}, {VK_SHIFT}, VK_DOWN, 4, 1, {1, 2, 3, 4}},
        {"Right moves focus and selection", 5, 140, 1, 1, {1, 3}, {}, VK_RIGHT, 2, 2, {2}},
        {"Right stops at the last item", 5, 140, 4, 4, {4}, {}, VK_RIGHT, 4, 4, {4}},
        {"Down stops at the last item", 5, 140, 3, 3, {3}, {}, VK_DOWN, 4, 4, {4}},
        {"Up stops at the first item", 5, 140, 1, 1, {1}, {}, VK_UP, 0, 0, {0}},
        {"Ctrl+Right moves only the cursor", 5, 140, 1, 1, {1}, {VK_LCONTROL}, VK_RIGHT, 2, 1, {1}},
        {"Ctrl+Space toggles the cursor item", 5, 140, 3, 1, {1}, {VK_RCONTROL}, VK_SPACE, 3, 1, {1, 3}},
        {"Space alone does nothing", 5, 140, 3, 1, {1}, {}, VK_SPACE, 3, 1, {1}},
        {"PgDn moves a page of rows", 40, 100, 0, 0, {0}, {}, VK_NEXT, 9, 9, {9}},
        {"PgDn with cells taller than the page stays", 10, 400, 0, 0, {0}, {}, VK_NEXT, 0, 0, {0}},
        {"PgUp stops at the first item", 40, 100, 4, 4, {4}, {}, VK_PRIOR, 0, 0, {0}},
        {"Ctrl+Space before any cursor move", 5, 140, -1, -1, {}, {VK_LCONTROL}, VK_SPACE, -1, -1, {}},
        {"Ctrl+A before any cursor move", 5, 140, -1, -1, {0}, {VK_CONTROL}, 'A', -1, -1, {1, 2, 3, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fill(c.count, 2, 300, c.cellHeight);
        SetClientSize(1000, 300);
        list_->cursorIndex = c.cursor;
        list_->focusIndex = c.focus;
        for (uint32_t i : c.selected) list_->SetSelect(i, 1);
        keys_.down = c.down;
        recorder_->notifies.clear();
        Key(c.key);
        keys_.down.clear();
        EXPECT_EQ(list_->GetCursorIndex(), c.expectedCursor);
        EXPECT_EQ(list_->GetFocusIndex(), c.expectedFocus);
        EXPECT_EQ(SelectedItems(*list_), c.expectedSelected);
        EXPECT_EQ(list_->GetSelectedCount(), c.expectedSelected.size());
        ExpectGuardsIntact();
        ASSERT_FALSE(recorder_->notifies.empty());
        EXPECT_EQ(recorder_->notifies.back().hdr.code, static_cast<UINT>(NM_CLICK));
        EXPECT_EQ(recorder_->notifies.back().iItem, c.expectedCursor);
    }
}

TEST_F(PictureListBaseTest, ShrunkListKeepsEveryOperationInsideTheBits)
{
    Fill(100, 2, 300, 140);
    SetClientSize(1000, 300);
    list_->SelectByClick(90);
    ASSERT_EQ(list_->GetCursorIndex(), 90);
    ASSERT_EQ(list_->SetItemCount(10), S_OK);
    list_->RecalcLayout();
    EXPECT_EQ(list_->GetFocusIndex(), -1);
    EXPECT_LT(list_->GetCursorIndex(), 10);
    ASSERT_EQ(list_->SelectionStorage().size(), 1u + 1u + 1u);

    keys_.down = {VK_LCONTROL};
    Key(VK_SPACE);
    keys_.down = {VK_CONTROL};
    Key('A');
    keys_.down = {VK_SHIFT};
    Key(VK_DOWN);
    Click(650, 10);  // Shift+click on item 2
    keys_.down.clear();

    ExpectGuardsIntact();
    const std::set<uint32_t> selected = SelectedItems(*list_);
    EXPECT_EQ(list_->GetSelectedCount(), selected.size());
    EXPECT_FALSE(selected.empty());
    // No bit past the count was set by any of them.
    const uint32_t word = list_->SelectionStorage()[1];
    EXPECT_EQ(word & ~((1u << 10) - 1), 0u);
}

TEST_F(PictureListBaseTest, SelectionWordsAndCounts)
{
    Fill(32, 2, 300, 140);
    EXPECT_EQ(list_->SelectionStorage().size(), 2u + 2u);  // 32 items take a spare word
    list_->SelectAll(1);
    EXPECT_EQ(list_->SelectionStorage()[1], 0xFFFFFFFFu);
    EXPECT_EQ(list_->SelectionStorage()[2], 0xFFFFFFFFu);
    EXPECT_EQ(list_->GetSelectedCount(), 32u);
    EXPECT_EQ(list_->SetSelect(31, 0), 1);
    EXPECT_EQ(list_->SetSelect(31, 0), 0);
    EXPECT_EQ(list_->GetSelectedCount(), 31u);
    list_->SelectAll(2);
    EXPECT_EQ(list_->GetSelectedCount(), 1u);
    EXPECT_EQ(list_->IsSelected(31), 1);
    // Indexes at or past the count neither read nor write.
    EXPECT_EQ(list_->SetSelect(32, 1), 0);
    EXPECT_EQ(list_->SetSelect(0xFFFFFFFFu, 2), 0);
    EXPECT_EQ(list_->IsSelected(40), 0);
    EXPECT_EQ(list_->GetSelectedCount(), 1u);
    ExpectGuardsIntact();

    // A count near the top of the range must not wrap to a handful of words.
    const HRESULT huge = list_->SetItemCount(0xFFFFFFF0u);
    if (huge == S_OK) {
        EXPECT_GE((list_->SelectionStorage().size() - 2) * 32, 0xFFFFFFF0ull);
    } else {
        EXPECT_EQ(huge, E_FAIL);
        EXPECT_EQ(list_->GetItemCount(), 0u);
    }
    ASSERT_EQ(list_->SetItemCount(0), S_OK);
    EXPECT_EQ(list_->SelectionStorage().size(), 3u);
}

TEST_F(PictureListBaseTest, NotificationsReachTheParent)
{
    Fill(20, 2, 300, 140);
    SetClientSize(1000, 300);
    keys_.down = {VK_SHIFT, VK_RCONTROL};
    Click(320, 150);
    keys_.down.clear();
    ASSERT_EQ(recorder_->notifies.size(), 1u);
    PictureListNotify click = recorder_->notifies[0];
    EXPECT_EQ(click.hdr.hwndFrom, list_->hwnd);
    EXPECT_EQ(click.hdr.idFrom, 77u);
    EXPECT_EQ(click.hdr.code, static_cast<UINT>(NM_CLICK));
    EXPECT_EQ(click.iItem, 4);
    EXPECT_EQ(click.ptAction.x, 320);
    EXPECT_EQ(click.ptAction.y, 150);
    EXPECT_EQ(click.uKeyFlags, static_cast<UINT>(LVKF_SHIFT | LVKF_CONTROL));

    struct Case {
        UINT msg;
        WPARAM key;
        std::vector<UINT> codes;
        int item;
    };
    list_->cursorIndex = 4;
    const Case cases[] = {
        {WM_KEYDOWN, VK_RETURN, {NM_RETURN, NM_CLICK}, 4},
        {WM_KEYDOWN, VK_F1, {NM_CLICK}, 4},
        {WM_LBUTTONDBLCLK, 0, {NM_DBLCLK}, 5},
        {WM_RBUTTONDOWN, 0, {NM_RCLICK}, 5},
        {WM_RBUTTONDBLCLK, 0, {NM_RDBLCLK}, 5},
    };
    for (const Case& c : cases) {
        recorder_->notifies.clear();
        SendMessageW(list_->hwnd, c.msg, c.key, c.msg == WM_KEYDOWN ? 0 : MAKELPARAM(610, 150));
        ASSERT_EQ(recorder_->notifies.size(), c.codes.size());
        for (size_t i = 0; i < c.codes.size(); ++i) {
            EXPECT_EQ(recorder_->notifies[i].hdr.code, c.codes[i]);
            EXPECT_EQ(recorder_->notifies[i].iItem, c.item);
            EXPECT_EQ(recorder_->notifies[i].uKeyFlags, 0u);
        }
    }

    // An empty list ignores keys and presses but still reports double and right clicks.
    ASSERT_EQ(list_->SetItemCount(0), S_OK);
    list_->RecalcLayout();
    recorder_->notifies.clear();
    Key(VK_RIGHT);
    Click(10, 10);
    EXPECT_TRUE(recorder_->notifies.empty());
    SendMessageW(list_->hwnd, WM_LBUTTONDBLCLK, 0, MAKELPARAM(10, 10));
    SendMessageW(list_->hwnd, WM_RBUTTONDOWN, 0, MAKELPARAM(10, 10));
    ASSERT_EQ(recorder_->notifies.size(), 2u);
    EXPECT_EQ(recorder_->notifies[0].hdr.code, static_cast<UINT>(NM_DBLCLK));
    EXPECT_EQ(recorder_->notifies[1].hdr.code, static_cast<UINT>(NM_RCLICK));

    recorder_->keepFocusNotices = true;
    recorder_->notifies.clear();
    SendMessageW(list_->hwnd, WM_SETFOCUS, 0, 0);
    SendMessageW(list_->hwnd, WM_KILLFOCUS, 0, 0);
    ASSERT_EQ(recorder_->notifies.size(), 2u);
    EXPECT_EQ(recorder_->notifies[0].hdr.code, static_cast<UINT>(NM_SETFOCUS));
    EXPECT_EQ(recorder_->notifies[1].hdr.code, static_cast<UINT>(NM_KILLFOCUS));
}

TEST_F(PictureListBaseTest, OneToolPerHoveredCell)
{
    Fill(20, 2, 300, 140);
    SetClientSize(1000, 300);
    const auto currentTool = [this](std::wstring* text) {
        wchar_t buffer[128] = {};
        TTTOOLINFOW tool = {};
        tool.cbSize = sizeof(tool);
        tool.lpszText = buffer;
        EXPECT_EQ(SendMessageW(list_->toolTips.window, TTM_GETTOOLCOUNT, 0, 0), 1);
        SendMessageW(list_->toolTips.window, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool));
        *text = buffer;
        return tool.uId;
    };
    std::wstring text;
    SendMessageW(list_->hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(320, 150));
    EXPECT_EQ(currentTool(&text), 0x1004u);
    EXPECT_EQ(text, L"tip 4");
    EXPECT_EQ(list_->GetCursorIndex(), 4);
    SendMessageW(list_->hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(330, 160));
    EXPECT_EQ(currentTool(&text), 0x1004u);
    SendMessageW(list_->hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
    EXPECT_EQ(currentTool(&text), 0x1000u);
    EXPECT_EQ(text, L"tip 0");
    // A new item count drops the tool.
    ASSERT_EQ(list_->SetItemCount(3), S_OK);
    EXPECT_EQ(SendMessageW(list_->toolTips.window, TTM_GETTOOLCOUNT, 0, 0), 0);
}

TEST_F(PictureListBaseTest, BackBufferShowsFocusFrameAndSelectionFill)
{
    Fill(20, 2, 300, 140);
    SetClientSize(1000, 300);
    list_->cursorIndex = 0;
    list_->SetSelect(4, 1);
    InvalidateRect(list_->hwnd, nullptr, FALSE);
    UpdateWindow(list_->hwnd);
    Gdiplus::Bitmap* buffer = list_->GetBackBuffer();
    ASSERT_NE(buffer, nullptr);
    const auto pixel = [buffer](int x, int y) {
        Gdiplus::Color colour;
        buffer->GetPixel(x, y, &colour);
        return colour;
    };
    const Gdiplus::Color frame = pixel(2, 60);
    EXPECT_GT(frame.GetR(), 220);
    EXPECT_GT(frame.GetG(), 220);
    EXPECT_LT(frame.GetB(), 40);
    const Gdiplus::Color inside = pixel(150, 70);
    EXPECT_EQ(inside.GetValue() | 0xFF000000, 0xFFFFFFFFu);
    // White under blue at alpha 78: red and green fall to about 201, blue stays.
    const Gdiplus::Color selected = pixel(450, 210);
    EXPECT_NEAR(selected.GetR(), 201, 6);
    EXPECT_NEAR(selected.GetG(), 201, 6);
    EXPECT_GT(selected.GetB(), 250);
}

TEST_F(PictureListBaseTest, ScrollMessagesWheelAndDragSelection)
{
    Fill(30, 2, 300, 140);
    SetClientSize(1000, 300);
    list_->verticalBar.lineStep = 140;
    SendMessageW(list_->hwnd, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(list_->verticalBar.info.nPos, 140);
    EXPECT_EQ(list_->GetVisibleCells().front().index, 3u);
    EXPECT_EQ(list_->GetVisibleCells().front().y, 0);

    // The wheel moves a quarter page per notch: down the grid, or across it while the left
    // button is held.
    SendMessageW(list_->hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    EXPECT_EQ(list_->verticalBar.info.nPos, 140 + 300 / 4);
    SendMessageW(list_->hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_EQ(list_->verticalBar.info.nPos, 140);
    keys_.down = {VK_LBUTTON};
    SendMessageW(list_->hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    keys_.down.clear();
    EXPECT_EQ(list_->verticalBar.info.nPos, 140);

    // Press on item 3, drag to item 7: the range between them is selected.
    list_->verticalBar.info.nPos = 0;
    list_->UpdateVisibleCells();
    SendMessageW(list_->hwnd, WM_LBUTTONDOWN, 0, MAKELPARAM(10, 150));
    SendMessageW(list_->hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(320, 290));
    SendMessageW(list_->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(320, 290));
    EXPECT_EQ(SelectedItems(*list_), (std::set<uint32_t>{3, 4, 5, 6, 7}));
    EXPECT_EQ(list_->GetFocusIndex(), 3);
    EXPECT_EQ(list_->dragging, 0);

    // Shift+selection from outside keeps the focus as the anchor.
    keys_.down = {VK_SHIFT};
    list_->SelectByClick(1);
    keys_.down.clear();
    EXPECT_EQ(SelectedItems(*list_), (std::set<uint32_t>{1, 2, 3}));
    EXPECT_EQ(list_->GetCursorIndex(), 3);

    // An empty list ignores the bars.
    ASSERT_EQ(list_->SetItemCount(0), S_OK);
    list_->RecalcLayout();
    SendMessageW(list_->hwnd, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(list_->verticalBar.info.nPos, 0);
}

}  // namespace
