#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <functional>

#include "tests/common/Screenshot.h"
#include "tests/common/TestWindow.h"
#include "ui/widgets/ComboBox.h"
#include "ui/widgets/ControlFactory.h"
#include "ui/widgets/PropertySheetCallback.h"
#include "ui/widgets/SubClassDialogBase.h"

namespace {

// A dialog the test steers from inside its own modal loop: onInit runs after the base has
// bound and shown it, onMessage sees every later message first (true: handled).
class ProbeDialog_CL : public SubClassDialogBase_CL {
public:
    INT_PTR DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_INITDIALOG) {
            const INT_PTR result = SubClassDialogBase_CL::DialogProc(hwnd, msg, wParam, lParam);
            ++inits;
            styleAtInit = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
            fontAtInit = font;
            dcAtInit = deviceContext;
            if (onInit) onInit(*this, hwnd);
            return result;
        }
        if (onMessage && onMessage(*this, hwnd, msg, wParam, lParam)) return TRUE;
        return SubClassDialogBase_CL::DialogProc(hwnd, msg, wParam, lParam);
    }

    std::function<void(ProbeDialog_CL&, HWND)> onInit;
    std::function<bool(ProbeDialog_CL&, HWND, UINT, WPARAM, LPARAM)> onMessage;
    int inits = 0;
    DWORD styleAtInit = 0;
    HFONT fontAtInit = nullptr;
    HDC dcAtInit = nullptr;
    ControlFactory_CL factory;
};

void CloseAtOnce(ProbeDialog_CL&, HWND hwnd) { PostMessageW(hwnd, WM_CLOSE, 0, 0); }

TEST(Dialog, BaseCloseEndsTheModalLoopWithZero)
{
    ProbeDialog_CL dialog;
    HWND fromSlot = nullptr;
    dialog.windowOut = &fromSlot;
    HWND seen = nullptr;
    dialog.onInit = [&](ProbeDialog_CL& self, HWND hwnd) {
        seen = hwnd;
        CloseAtOnce(self, hwnd);
    };
    EXPECT_EQ(dialog.DoModal(TestHostWindow::TopLevel()), 0);
    EXPECT_EQ(dialog.inits, 1);
    EXPECT_EQ(dialog.parent, TestHostWindow::TopLevel());
    EXPECT_NE(seen, nullptr);
    EXPECT_EQ(fromSlot, seen);
    EXPECT_EQ(dialog.fontAtInit, GetStockObject(DEFAULT_GUI_FONT));
    EXPECT_NE(dialog.dcAtInit, nullptr);
    // The DC went with the window; the object outlives both.
    EXPECT_EQ(dialog.deviceContext, nullptr);
    EXPECT_FALSE(IsWindow(seen));
}

TEST(Dialog, TemplateIsRebuiltZeroFilledFromTheStyle)
{
    ProbeDialog_CL dialog;
    DLGTEMPLATE* first = dialog.BuildTemplate();
    ASSERT_NE(first, nullptr);
    auto* bytes = reinterpret_cast<BYTE*>(first);
    auto word = [&](size_t offset) { return static_cast<unsigned>(bytes[offset] | (bytes[offset + 1] << 8)); };
    uint32_t style = 0;
    memcpy(&style, bytes, 4);
    EXPECT_EQ(style, 0x80CA0080u);
    EXPECT_EQ(word(4) | word(6), 0u);  // extended style
    EXPECT_EQ(word(8), 0u);            // no items
    EXPECT_EQ(word(10), 0u);
    EXPECT_EQ(word(12), 0u);
    EXPECT_EQ(word(14), 320u);
    EXPECT_EQ(word(16), 240u);
    EXPECT_EQ(word(18), 0u);  // no menu
    EXPECT_EQ(word(20), 0u);  // the dialog class
    EXPECT_EQ(word(22), 0u);  // empty title

    memset(bytes, 0xAB, kDialogTemplateBytes);
    dialog.dialogStyle = WS_POPUP | WS_CAPTION;
    DLGTEMPLATE* second = dialog.BuildTemplate();
    EXPECT_EQ(second, first);
    memcpy(&style, bytes, 4);
    EXPECT_EQ(style, static_cast<uint32_t>(WS_POPUP | WS_CAPTION));
    size_t stray = 0;
    for (size_t i = 4; i < kDialogTemplateBytes; ++i) {
        if (i == 14 || i == 16) continue;
        if (i == 15 || i == 17) continue;
        if (bytes[i] != 0) ++stray;
    }
    EXPECT_EQ(stray, 0u);
}

TEST(Dialog, AStyleChangedBetweenRunsShowsInTheSecond)
{
    ProbeDialog_CL dialog;
    dialog.onInit = CloseAtOnce;
    ASSERT_EQ(dialog.DoModal(TestHostWindow::TopLevel()), 0);
    EXPECT_NE(dialog.styleAtInit & WS_SYSMENU, 0u);
    EXPECT_NE(dialog.styleAtInit & WS_MINIMIZEBOX, 0u);

    dialog.dialogStyle = WS_POPUP | WS_CAPTION | DS_MODALFRAME;
    ASSERT_EQ(dialog.DoModal(TestHostWindow::TopLevel()), 0);
    EXPECT_EQ(dialog.inits, 2);
    EXPECT_EQ(dialog.styleAtInit & (WS_SYSMENU | WS_MINIMIZEBOX), 0u);
}

TEST(Dialog, RunsModelessFromTheSameTemplate)
{
    auto dialog = std::make_unique<ProbeDialog_CL>();
    HWND hwnd = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), dialog->BuildTemplate(),
                                           TestHostWindow::TopLevel(), &SubClassDialogBase_CL::StaticDialogProc,
                                           reinterpret_cast<LPARAM>(dialog.get()));
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(dialog->window, hwnd);
    EXPECT_EQ(dialog->inits, 1);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    // The object's messages arrive outside any modal loop too.
    int custom = 0;
    dialog->onMessage = [&](ProbeDialog_CL&, HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_APP + 3 && ++custom; };
    SendMessageW(hwnd, WM_APP + 3, 0, 0);
    EXPECT_EQ(custom, 1);
    // A modeless dialog still open goes with its object.
    dialog.reset();
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST(Dialog, FullWidthLetterIgnoresTheDialogFont)
{
    ProbeDialog_CL dialog;
    int before[8] = {};
    int after[8] = {};
    RECT client = {};
    dialog.onInit = [&](ProbeDialog_CL& self, HWND hwnd) {
        MoveWindow(hwnd, 0, 0, 400, 300, FALSE);
        GetClientRect(hwnd, &client);
        self.GetLayoutMetrics(before);
        HFONT big = CreateFontW(-40, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"IPAGothic");
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(big), FALSE);
        self.GetLayoutMetrics(after);
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        DeleteObject(big);
        CloseAtOnce(self, hwnd);
    };
    ASSERT_EQ(dialog.DoModal(TestHostWindow::TopLevel()), 0);

    EXPECT_EQ(before[0], client.left);
    EXPECT_EQ(before[1], client.top);
    EXPECT_EQ(before[2], client.right);
    EXPECT_EQ(before[3], client.bottom);
    EXPECT_EQ(before[4], client.right - client.left);
    EXPECT_EQ(before[5], client.bottom - client.top);
    RECT letter = {};
    HDC screen = GetDC(nullptr);
    DrawTextW(screen, L"\uFF37", -1, &letter, DT_CALCRECT);
    ReleaseDC(nullptr, screen);
    EXPECT_GT(before[6], 0);
    EXPECT_EQ(before[6], letter.right - letter.left);
    EXPECT_EQ(before[7], letter.bottom - letter.top);
    EXPECT_EQ(after[6], before[6]);
    EXPECT_EQ(after[7], before[7]);
}

// An owner and a window of known size; neither has a caption, so both go at once.
struct CenterCase {
    const char* name;
    bool minimiseOwner;
};

TEST(CenterWindow, CentresOverTheOwnerOrTheScreen)
{
    const CenterCase cases[] = {{"normal owner", false}, {"minimised owner", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HWND owner = CreateWindowExW(0, L"Static", L"", WS_POPUP | WS_VISIBLE, 300, 200, 500, 400, nullptr, nullptr,
                                     nullptr, nullptr);
        HWND window = CreateWindowExW(0, L"Static", L"", WS_POPUP | WS_VISIBLE | WS_BORDER, 0, 0, 202, 102, owner,
                                      nullptr, nullptr, nullptr);
        ASSERT_NE(owner, nullptr);
        ASSERT_NE(window, nullptr);
        if (c.minimiseOwner) {
            ShowWindow(owner, SW_MINIMIZE);
            ASSERT_NE(GetWindowLongPtrW(owner, GWL_STYLE) & WS_MINIMIZE, 0);
        }
        RECT area = {300, 200, 800, 600};
        if (c.minimiseOwner) area = {0, 0, GetSystemMetrics(SM_CXFULLSCREEN), GetSystemMetrics(SM_CYFULLSCREEN)};
        RECT client = {};
        GetClientRect(window, &client);

        CenterWindow(owner, window);
        RECT placed = {};
        GetWindowRect(window, &placed);
        EXPECT_EQ(placed.left, (area.right - client.right - area.left) / 2 + area.left);
        EXPECT_EQ(placed.top, (area.bottom - client.bottom - area.top) / 2 + area.top);
        EXPECT_EQ(placed.right - placed.left, 202);
        DestroyWindow(window);
        DestroyWindow(owner);
    }
    CenterWindow(TestHostWindow::TopLevel(), nullptr);  // nothing to move
}

TEST(PropertyPages, CallbackCentresTheSheetAndThePageSlotHoldsIt)
{
    ProbeDialog_CL page;
    HWND sheetFromSlot = nullptr;
    page.windowOut = &sheetFromSlot;
    HWND sheetSeen = nullptr;
    RECT sheetRect = {};
    int metrics[8] = {};
    page.onInit = [](ProbeDialog_CL&, HWND hwnd) { SetTimer(hwnd, 1, 100, nullptr); };
    page.onMessage = [&](ProbeDialog_CL& self, HWND hwnd, UINT msg, WPARAM, LPARAM) {
        if (msg != WM_TIMER) return false;
        KillTimer(hwnd, 1);
        sheetSeen = GetParent(hwnd);
        GetWindowRect(sheetSeen, &sheetRect);
        self.GetPageLayoutMetrics(metrics);
        SendMessageW(sheetSeen, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        return true;
    };

    PROPSHEETPAGEW pageInfo = {};
    pageInfo.dwSize = sizeof(pageInfo);
    pageInfo.dwFlags = PSP_DLGINDIRECT | PSP_USETITLE;
    pageInfo.hInstance = GetModuleHandleW(nullptr);
    pageInfo.pResource = page.BuildTemplate();
    pageInfo.pfnDlgProc = &SubClassDialogBase_CL::StaticPageProc;
    pageInfo.pszTitle = L"表示";
    pageInfo.lParam = reinterpret_cast<LPARAM>(&page);
    HPROPSHEETPAGE pageHandle = CreatePropertySheetPageW(&pageInfo);
    ASSERT_NE(pageHandle, nullptr);

    HWND parent = TestHostWindow::TopLevel();
    PROPSHEETHEADERW header = {};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_USECALLBACK | PSH_NOAPPLYNOW;
    header.hwndParent = parent;
    header.hInstance = GetModuleHandleW(nullptr);
    header.pszCaption = L"アルバムの設定";
    header.nPages = 1;
    header.phpage = &pageHandle;
    header.pfnCallback = &PropertySheetCallback;
    PropertySheetW(&header);

    EXPECT_EQ(page.inits, 1);
    ASSERT_NE(sheetSeen, nullptr);
    EXPECT_EQ(sheetFromSlot, sheetSeen);
    RECT parentRect = {};
    GetWindowRect(parent, &parentRect);
    EXPECT_EQ(sheetRect.left, (sheetRect.left - sheetRect.right + parentRect.left + parentRect.right) / 2);
    EXPECT_EQ(sheetRect.top, (sheetRect.top - sheetRect.bottom + parentRect.top + parentRect.bottom) / 2);
    EXPECT_EQ(metrics[0], 0);
    EXPECT_EQ(metrics[1], 0);
    EXPECT_GT(metrics[2], 0);
    EXPECT_GT(metrics[3], 0);
    EXPECT_LT(metrics[2], sheetRect.right - sheetRect.left);
    EXPECT_EQ(metrics[4], metrics[2]);
    EXPECT_EQ(metrics[5], metrics[3]);
    EXPECT_GT(metrics[6], 0);
}

// A dialog laid out as the shell's dialogs are: sizes from the full-width letter, controls
// stacked with spacers, the button pair in the corner, centred over its owner.
TEST(Dialog, StackedDialogScreenshot)
{
    ProbeDialog_CL dialog;
    std::wstring screenshot;
    RECT editRect = {};
    dialog.onInit = [&](ProbeDialog_CL& self, HWND hwnd) {
        SetWindowTextW(hwnd, L"タグの編集");
        int metrics[8] = {};
        self.GetLayoutMetrics(metrics);
        const int letter = metrics[6];
        MoveWindow(hwnd, 0, 0, letter * 24, metrics[7] * 16, FALSE);
        ControlFactory_CL& f = self.factory;
        const int first = f.CreateStaticText(hwnd, L"タグの名前を入力してください。", letter, 0);
        const int edit = f.CreateEdit(hwnd, 20, 1, 0, letter);
        f.CreateStaticText(hwnd, L"\u3000", letter, 0);
        f.CreateCheckBox(hwnd, L"正規表現で検索する", letter, 0);
        f.CreateStaticText(hwnd, L"\u3000", letter, 0);
        const int combo = f.CreateComboBox(hwnd, 24, 8, CBS_DROPDOWNLIST, letter);
        f.GetAs<ComboBox_CL>(combo)->AddItem(L"コンテンツ名称順", -1);
        SendMessageW(f.Get(combo)->hwnd, CB_SETCURSEL, 0, 0);
        // Siblings made first lie on top: the bar before the frame around it.
        const int last = f.CreateProgressBar(hwnd, letter * 18, 16, letter * 2, 0);
        const int group = f.CreateGroupBox(hwnd, L"進み具合", letter * 20, metrics[7] * 3, letter, 0);
        f.StackControls(first, combo, letter / 2, 6);
        const RECT comboRect = f.Get(combo)->GetRectInParent();
        f.StackControls(group, group, comboRect.bottom + 8, 0);
        const RECT groupRect = f.Get(group)->GetRectInParent();
        f.Get(last)->MoveTo(letter * 2, groupRect.top + metrics[7] + 4);
        SendMessageW(f.Get(last)->hwnd, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
        SendMessageW(f.Get(last)->hwnd, PBM_SETPOS, 60, 0);
        const int ok = f.CreateButton(hwnd, L"　　設定　　", 0, 0);
        f.CreateButton(hwnd, L"　キャンセル　", 0, 0);
        f.PlaceButtonPair(hwnd, ok);
        CenterWindow(GetParent(hwnd), hwnd);
        editRect = f.Get(edit)->GetRectInParent();
        SetTimer(hwnd, 1, 100, nullptr);
    };
    dialog.onMessage = [&](ProbeDialog_CL&, HWND hwnd, UINT msg, WPARAM, LPARAM) {
        if (msg != WM_TIMER) return false;
        KillTimer(hwnd, 1);
        screenshot = SaveWindowScreenshot(hwnd, L"widgets", L"stacked_dialog");
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
        return true;
    };
    EXPECT_EQ(dialog.DoModal(TestHostWindow::TopLevel()), 0);
    EXPECT_GT(editRect.top, 0);
    EXPECT_FALSE(screenshot.empty());
}

}  // namespace
