#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

#include "tests/common/TestWindow.h"
#include "ui/widgets/Button.h"
#include "ui/widgets/ComboBox.h"
#include "ui/widgets/ControlFactory.h"
#include "ui/widgets/ListBox.h"
#include "ui/widgets/SimpleControls.h"
#include "ui/widgets/Tab.h"

namespace {

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

DWORD StyleOf(HWND window) { return static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)); }
DWORD ExStyleOf(HWND window) { return static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)); }

SIZE SizeOf(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

RECT RectInParent(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

struct CreatorCase {
    const char* name;
    std::function<int(ControlFactory_CL&, HWND)> create;
    int kind;
    const wchar_t* windowClass;
    DWORD style;          // every one of these bits is set
    DWORD absentStyle;    // none of these is set
    bool clientEdge;
    bool hasFont;
};

TEST(ControlFactory, CreatorsMakeTheirClassStyleAndId)
{
    TestHostWindow host;
    // The combo box and the list view keep their scroll-bar bits to themselves.
    const CreatorCase cases[] = {
        {"static", [](ControlFactory_CL& f, HWND p) { return f.CreateStaticText(p, L"ラベル", 8, 8); },
         kControlStaticText, L"Static", 0x56000000, WS_TABSTOP, false, true},
        {"button", [](ControlFactory_CL& f, HWND p) { return f.CreateButton(p, L"　　設定　　", 8, 8); },
         kControlButton, L"Button", 0x56010000, BS_GROUPBOX, false, true},
        {"check box", [](ControlFactory_CL& f, HWND p) { return f.CreateCheckBox(p, L"チェック", 8, 8); },
         kControlCheckBox, L"Button", 0x56010003, 0, false, true},
        {"edit -1", [](ControlFactory_CL& f, HWND p) { return f.CreateEdit(p, 10, 3, static_cast<DWORD>(-1), 8); },
         kControlEdit, L"Edit", 0x56010000 | ES_MULTILINE | WS_VSCROLL | ES_AUTOVSCROLL | ES_WANTRETURN, 0, true, true},
        {"edit 0", [](ControlFactory_CL& f, HWND p) { return f.CreateEdit(p, 10, 1, 0, 8); }, kControlEdit, L"Edit",
         0x56010000, ES_MULTILINE | WS_VSCROLL | ES_WANTRETURN, true, true},
        {"combo 0", [](ControlFactory_CL& f, HWND p) { return f.CreateComboBox(p, 10, 8, 0, 8); },
         kControlComboBox, L"ComboBoxEx32", 0x56010042, 0, false, true},
        {"list view", [](ControlFactory_CL& f, HWND p) { return f.CreateListView(p, 300, 200, LVS_SINGLESEL, 8); },
         kControlListView, L"SysListView32", 0x56010009 | LVS_SINGLESEL, 0, false, true},
        {"group", [](ControlFactory_CL& f, HWND p) { return f.CreateGroupBox(p, L"グループ", 200, 100, 8, 8); },
         kControlGroupBox, L"Button", 0x56000007, WS_TABSTOP, false, true},
        {"tab", [](ControlFactory_CL& f, HWND p) { return f.CreateTab(p); }, kControlTab, L"SysTabControl32",
         0x56000200, 0, true, true},
        {"progress", [](ControlFactory_CL& f, HWND p) { return f.CreateProgressBar(p, 200, 20, 8, 8); },
         kControlProgressBar, L"msctls_progress32", 0x56000000, 0, false, false},
    };
    ControlFactory_CL factory;
    int expectedIndex = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int index = c.create(factory, host.Get());
        ASSERT_EQ(index, expectedIndex);
        ControlBase_CL* control = factory.controls[static_cast<size_t>(index)];
        ASSERT_NE(control->hwnd, nullptr);
        EXPECT_EQ(control->kind, c.kind);
        EXPECT_EQ(control->id, 0x1100 + expectedIndex);
        EXPECT_EQ(GetDlgCtrlID(control->hwnd), control->id);
        EXPECT_EQ(GetParent(control->hwnd), host.Get());
        EXPECT_EQ(ClassOf(control->hwnd), c.windowClass);
        EXPECT_EQ(StyleOf(control->hwnd) & c.style, c.style) << std::hex << StyleOf(control->hwnd);
        EXPECT_EQ(StyleOf(control->hwnd) & c.absentStyle, 0u) << std::hex << StyleOf(control->hwnd);
        EXPECT_EQ((ExStyleOf(control->hwnd) & WS_EX_CLIENTEDGE) != 0, c.clientEdge);
        const HFONT font = reinterpret_cast<HFONT>(SendMessageW(control->hwnd, WM_GETFONT, 0, 0));
        if (c.hasFont) {
            EXPECT_EQ(font, control->font);
        }
        ++expectedIndex;
    }
}

TEST(ControlFactory, SizesFollowTheText)
{
    TestHostWindow host;
    ControlFactory_CL factory;
    const std::wstring text = L"キャンセル";
    auto* button = factory.controls[static_cast<size_t>(factory.CreateButton(host.Get(), text, 48, 0))];
    auto* check = factory.controls[static_cast<size_t>(factory.CreateCheckBox(host.Get(), text, 0, 40))];
    auto* edit = factory.controls[static_cast<size_t>(factory.CreateEdit(host.Get(), 10, 2, 0, 0))];
    const int width = button->GetTextWidth(text);
    const int height = button->GetTextHeight(text);
    ASSERT_GT(width, 0);
    ASSERT_GT(height, 0);
    EXPECT_EQ(SizeOf(button->hwnd).cx, width + 8);
    EXPECT_EQ(SizeOf(button->hwnd).cy, height + 8);
    EXPECT_EQ(SizeOf(check->hwnd).cx, width + 32);
    EXPECT_EQ(SizeOf(check->hwnd).cy, height);
    EXPECT_EQ(SendMessageW(check->hwnd, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SizeOf(edit->hwnd).cx, edit->GetTextWidth(L"W") * 10 + 6);
    EXPECT_EQ(SizeOf(edit->hwnd).cy, edit->GetTextHeight(L"M") * 2 + 6);
    EXPECT_EQ(RectInParent(button->hwnd).left, 48);
}

TEST(ControlFactory, IdsRestartPerFactoryAndAFailedCreationKeepsItsId)
{
    TestHostWindow host;
    ControlFactory_CL first;
    EXPECT_EQ(first.CreateStaticText(host.Get(), L"a", 0, 0), 0);
    // A window that is gone cannot be a parent: creation fails.
    HWND gone = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    EXPECT_EQ(first.CreateButton(gone, L"b", 0, 0), 1);
    EXPECT_EQ(first.CreateProgressBar(host.Get(), 10, 10, 0, 0), 2);
    ASSERT_EQ(first.controls.size(), 3u);
    EXPECT_EQ(first.controls[1]->hwnd, nullptr);
    EXPECT_EQ(first.controls[1]->id, 0x1101);
    EXPECT_EQ(first.controls[2]->id, 0x1102);
    EXPECT_EQ(GetDlgCtrlID(first.controls[2]->hwnd), 0x1102);

    ControlFactory_CL second;
    second.CreateStaticText(host.Get(), L"c", 0, 0);
    EXPECT_EQ(second.controls[0]->id, 0x1100);
}

TEST(ControlBase, SetFontScaleReadsBack)
{
    TestHostWindow host;
    ControlFactory_CL factory;
    ControlBase_CL* label = factory.controls[static_cast<size_t>(factory.CreateStaticText(host.Get(), L"文字", 0, 0))];
    LOGFONTW stock = {};
    ASSERT_NE(GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(stock), &stock), 0);

    label->SetFontScale(2.0f, 0);
    LOGFONTW scaled = {};
    ASSERT_NE(GetObjectW(label->font, sizeof(scaled), &scaled), 0);
    EXPECT_EQ(scaled.lfHeight, static_cast<LONG>(static_cast<float>(stock.lfHeight) * 2.0f));
    EXPECT_EQ(scaled.lfWidth, static_cast<LONG>(static_cast<float>(stock.lfWidth) * 2.0f));
    EXPECT_EQ(scaled.lfWeight, 0);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(label->hwnd, WM_GETFONT, 0, 0)), label->font);

    label->SetFontScale(1.0f, 400);
    ASSERT_NE(GetObjectW(label->font, sizeof(scaled), &scaled), 0);
    EXPECT_EQ(scaled.lfHeight, stock.lfHeight);
    EXPECT_EQ(scaled.lfWeight, 400);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(label->hwnd, WM_GETFONT, 0, 0)), label->font);
}

TEST(ControlBase, ResizeAndMoveKeepTheOtherHalfInParentCoordinates)
{
    TestHostWindow host(400, 300, 50, 40);
    ControlFactory_CL factory;
    ControlBase_CL* box = factory.controls[static_cast<size_t>(factory.CreateGroupBox(host.Get(), L"g", 100, 50, 20, 30))];
    box->Resize(70, 40, TRUE);
    RECT rect = RectInParent(box->hwnd);
    EXPECT_EQ(rect.left, 20);
    EXPECT_EQ(rect.top, 30);
    EXPECT_EQ(rect.right, 90);
    EXPECT_EQ(rect.bottom, 70);
    box->SetLeft(5);
    rect = RectInParent(box->hwnd);
    EXPECT_EQ(rect.left, 5);
    EXPECT_EQ(rect.top, 30);
    box->MoveTo(11, 12);
    rect = RectInParent(box->hwnd);
    EXPECT_EQ(rect.left, 11);
    EXPECT_EQ(rect.top, 12);
    EXPECT_EQ(rect.right - rect.left, 70);
}

TEST(Tab, InsertAtMinusOneAppends)
{
    TestHostWindow host;
    ControlFactory_CL factory;
    auto* tab = factory.GetAs<Tab_CL>(factory.CreateTab(host.Get()));
    tab->InsertItem(L"一", -1, 0, 10);
    tab->InsertItem(L"二", -1, 1, 11);
    tab->InsertItem(L"三", -1, 2, 12);
    tab->InsertItem(L"末尾", -1, -1, 13);
    ASSERT_EQ(tab->GetItemCount(), 4);
    wchar_t text[32] = {};
    TCITEMW item = {};
    item.mask = TCIF_TEXT | TCIF_PARAM;
    item.pszText = text;
    item.cchTextMax = 32;
    ASSERT_TRUE(SendMessageW(tab->hwnd, TCM_GETITEMW, 3, reinterpret_cast<LPARAM>(&item)));
    EXPECT_STREQ(text, L"末尾");
    EXPECT_EQ(item.lParam, 13);

    tab->SetItem(L"変更", 3, 14);
    ASSERT_TRUE(SendMessageW(tab->hwnd, TCM_GETITEMW, 3, reinterpret_cast<LPARAM>(&item)));
    EXPECT_STREQ(text, L"変更");
    EXPECT_EQ(item.lParam, 14);
}

TEST(ComboBox, ItemsAreAppended)
{
    TestHostWindow host;
    ControlFactory_CL factory;
    auto* combo = factory.GetAs<ComboBox_CL>(factory.CreateComboBox(host.Get(), 20, 10, 0, 0));
    combo->AddItem(L"最初", 0);
    combo->AddItem(L"二番目", 1);
    EXPECT_EQ(SendMessageW(combo->hwnd, CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(combo->GetCurSel(), -1);
    wchar_t text[32] = {};
    COMBOBOXEXITEMW item = {};
    item.mask = CBEIF_TEXT | CBEIF_IMAGE;
    item.iItem = 1;
    item.pszText = text;
    item.cchTextMax = 32;
    ASSERT_TRUE(SendMessageW(combo->hwnd, CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    EXPECT_STREQ(text, L"二番目");
    EXPECT_EQ(item.iImage, 1);
    EXPECT_NE(combo->GetEditControl(), nullptr);
}

TEST(ListBox, ItemTextIsReadAtItsFullLength)
{
    TestHostWindow host;
    ControlFactory_CL factory;
    auto* list = new ListBox_CL();
    list->kind = kControlListBox;
    ASSERT_NE(list->Create(host.Get(), factory.TakeId(), 0, 0, 300, 200), nullptr);
    factory.Add(list);
    // Longer than the 4,096 characters a fixed buffer would take.
    const std::wstring longLine(6000, L'長');
    SendMessageW(list->hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"短い"));
    SendMessageW(list->hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(longLine.c_str()));
    SendMessageW(list->hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L""));
    EXPECT_EQ(list->GetItemText(0), L"短い");
    EXPECT_EQ(list->GetItemText(1), longLine);
    EXPECT_EQ(list->GetItemText(2), L"");
    EXPECT_EQ(list->GetItemText(3), L"");
    EXPECT_EQ(list->GetItemText(-1), L"");

    list->Clear();
    EXPECT_EQ(SendMessageW(list->hwnd, LB_GETCOUNT, 0, 0), 0);
}

// Label, spacer candidate, edit: the edit's top tells whether the middle one was a spacer.
TEST(ControlFactory, StackControlsHalvesOnlyAnIdeographicSpace)
{
    struct Case {
        const wchar_t* spacer;
        bool isSpacer;
    };
    const Case cases[] = {{L"\u3000", true}, {L"\u3000\u3000", false}, {L" ", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "spacer length " << wcslen(c.spacer));
        TestHostWindow host;
        ControlFactory_CL factory;
        const int label = factory.CreateStaticText(host.Get(), L"ラベル", 12, 200);
        const int spacer = factory.CreateStaticText(host.Get(), c.spacer, 12, 200);
        const int edit = factory.CreateEdit(host.Get(), 10, 1, 0, 30);
        factory.StackControls(label, edit, 10, 4);

        const RECT labelRect = RectInParent(factory.controls[label]->hwnd);
        const RECT spacerRect = RectInParent(factory.controls[spacer]->hwnd);
        const RECT editRect = RectInParent(factory.controls[edit]->hwnd);
        const int labelHeight = labelRect.bottom - labelRect.top;
        const int spacerHeight = spacerRect.bottom - spacerRect.top;
        ASSERT_GT(spacerHeight, 0);
        EXPECT_EQ(labelRect.top, 10);
        EXPECT_EQ(labelRect.left, 12);
        EXPECT_EQ(spacerRect.top, 10 + labelHeight + 4);
        EXPECT_EQ(editRect.left, 30);
        EXPECT_EQ(IsWindowVisible(factory.controls[spacer]->hwnd) == FALSE, c.isSpacer);
        const int spacerStep = c.isSpacer ? (spacerHeight + 4) / 2 : spacerHeight + 4;
        EXPECT_EQ(editRect.top, 10 + labelHeight + 4 + spacerStep);
    }
}

TEST(ControlFactory, StackControlsWithFirstAfterLastMovesNothing)
{
    TestHostWindow host;
    ControlFactory_CL factory;
    const int label = factory.CreateStaticText(host.Get(), L"ラベル", 12, 200);
    factory.StackControls(1, 0, 10, 4);
    factory.StackControls(label, 5, 10, 4);  // past the list: stops at its end
    EXPECT_EQ(RectInParent(factory.controls[label]->hwnd).top, 10);
}

TEST(ControlFactory, PlaceButtonPairSitsInTheCorner)
{
    TestHostWindow host(500, 400);
    ControlFactory_CL factory;
    const int ok = factory.CreateButton(host.Get(), L"　　設定　　", 0, 0);
    factory.CreateButton(host.Get(), L"　キャンセル　", 0, 0);
    factory.PlaceButtonPair(host.Get(), ok);
    const RECT left = RectInParent(factory.controls[0]->hwnd);
    const RECT right = RectInParent(factory.controls[1]->hwnd);
    EXPECT_EQ(right.right, 500 - 4);
    EXPECT_EQ(right.bottom, 400 - 4);
    EXPECT_EQ(left.right, right.left - 4);
    EXPECT_EQ(left.top, right.top);
}

}  // namespace
