#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <vector>

#include "tests/common/Screenshot.h"
#include "tests/common/TestWindow.h"
#include "ui/widgets/EasySelectList.h"

namespace {

const UINT_PTR kScenarioTimer = 40;

RECT RectInParent(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// The list as the shell fills it; the scenario runs inside the modal loop once it is up.
class TestSelectList_CL : public EasySelectList_CL {
public:
    TestSelectList_CL() : EasySelectList_CL(L"削除する検索履歴を選択してください。")
    {
        AddColumn(L"検索文字列", 240);
        AddColumn(L"種類", 120);
        const wchar_t* names[] = {L"海", L"山の動画", L"ｗｅｂ"};
        const int checks[] = {1, 0, 1};
        for (int i = 0; i < 3; ++i) {
            Row row;
            row.checked = checks[i];
            row.cells = {names[i], L"タグ"};
            rows.push_back(row);
        }
    }

    INT_PTR DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_TIMER && wParam == kScenarioTimer) {
            KillTimer(hwnd, kScenarioTimer);
            if (scenario) scenario(*this, hwnd);
            return TRUE;
        }
        const INT_PTR result = EasySelectList_CL::DialogProc(hwnd, msg, wParam, lParam);
        if (msg == WM_INITDIALOG) RunScenarioSoon(hwnd);
        return result;
    }

    int Ticked(int item) const
    {
        const LRESULT state = SendMessageW(listView->hwnd, LVM_GETITEMSTATE, static_cast<WPARAM>(item), LVIS_STATEIMAGEMASK);
        return static_cast<int>((state & LVIS_STATEIMAGEMASK) >> 12);
    }
    void SetTick(int item, bool ticked) const
    {
        LVITEMW state = {};
        state.stateMask = LVIS_STATEIMAGEMASK;
        state.state = INDEXTOSTATEIMAGEMASK(ticked ? 2 : 1);
        SendMessageW(listView->hwnd, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&state));
    }
    // A timer fires once the loop is idle, and so after the dialog box has shown itself.
    static void RunScenarioSoon(HWND hwnd) { SetTimer(hwnd, kScenarioTimer, 50, nullptr); }
    void Press(int id) const { SendMessageW(GetDlgItem(window, id), BM_CLICK, 0, 0); }

    std::function<void(TestSelectList_CL&, HWND)> scenario;
};

std::vector<int> CheckedFlags(const EasySelectList_CL& dialog)
{
    std::vector<int> flags;
    for (const auto& row : dialog.rows) flags.push_back(row.checked);
    return flags;
}

TEST(EasySelectList, TicksComeInAndGoOutOnlyThroughTheSetButton)
{
    struct Case {
        const char* name;
        int button;
        INT_PTR result;
        std::vector<int> checkedAfter;
    };
    const Case cases[] = {
        {"set", kSelectListOkId, 1, {0, 1, 1}},
        {"cancel", kSelectListCancelId, 0, {1, 0, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestSelectList_CL dialog;
        std::vector<int> ticksIn;
        std::wstring cell;
        dialog.scenario = [&](TestSelectList_CL& self, HWND) {
            for (int i = 0; i < 3; ++i) ticksIn.push_back(self.Ticked(i));
            wchar_t text[32] = {};
            LVITEMW item = {};
            item.iSubItem = 1;
            item.pszText = text;
            item.cchTextMax = 32;
            SendMessageW(self.listView->hwnd, LVM_GETITEMTEXTW, 2, reinterpret_cast<LPARAM>(&item));
            cell = text;
            self.SetTick(0, false);
            self.SetTick(1, true);
            self.Press(c.button);
        };
        EXPECT_EQ(dialog.DoModal(TestHostWindow::TopLevel()), c.result);
        EXPECT_EQ(ticksIn, (std::vector<int>{2, 1, 2}));
        EXPECT_EQ(cell, L"タグ");
        EXPECT_EQ(CheckedFlags(dialog), c.checkedAfter);
    }
}

TEST(EasySelectList, ButtonsKeepToTheCornerAndKeysDoNotEndIt)
{
    TestSelectList_CL dialog;
    struct Layout {
        RECT client, list, ok, cancel;
    };
    std::vector<Layout> layouts;
    bool openAfterKeys = false;
    std::wstring screenshot;
    DWORD style = 0;
    dialog.scenario = [&](TestSelectList_CL& self, HWND hwnd) {
        auto record = [&] {
            Layout layout;
            GetClientRect(hwnd, &layout.client);
            layout.list = RectInParent(self.listView->hwnd);
            layout.ok = RectInParent(GetDlgItem(hwnd, kSelectListOkId));
            layout.cancel = RectInParent(GetDlgItem(hwnd, kSelectListCancelId));
            layouts.push_back(layout);
        };
        if (layouts.empty()) {
            style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
            record();
            screenshot = SaveWindowScreenshot(hwnd, L"widgets", L"select_list_dialog");
            SetWindowPos(hwnd, nullptr, 0, 0, 500, 420, SWP_NOMOVE | SWP_NOZORDER);
            record();
            for (HWND target : {hwnd, self.listView->hwnd}) {
                PostMessageW(target, WM_KEYDOWN, VK_RETURN, 0);
                PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 0);
            }
            TestSelectList_CL::RunScenarioSoon(hwnd);
            return;
        }
        openAfterKeys = IsWindowVisible(hwnd) != FALSE;
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
    };
    EXPECT_EQ(dialog.DoModal(TestHostWindow::TopLevel()), 0);
    EXPECT_TRUE(openAfterKeys);
    EXPECT_FALSE(screenshot.empty());
    EXPECT_NE(style & WS_THICKFRAME, 0u);
    EXPECT_NE(style & WS_MAXIMIZEBOX, 0u);
    EXPECT_EQ(style & WS_MINIMIZEBOX, 0u);
    ASSERT_EQ(layouts.size(), 2u);
    EXPECT_NE(layouts[0].client.right, layouts[1].client.right);
    for (const Layout& layout : layouts) {
        EXPECT_EQ(layout.list.left, 0);
        EXPECT_EQ(layout.list.top, 0);
        EXPECT_EQ(layout.list.right, layout.client.right);
        EXPECT_EQ(layout.list.bottom, layout.client.bottom - 64);
        EXPECT_EQ(layout.cancel.right, layout.client.right - 4);
        EXPECT_EQ(layout.cancel.bottom, layout.client.bottom - 4);
        EXPECT_EQ(layout.ok.right, layout.cancel.left - 4);
        EXPECT_EQ(layout.ok.top, layout.cancel.top);
    }
    EXPECT_EQ(CheckedFlags(dialog), (std::vector<int>{1, 0, 1}));
}

}  // namespace
