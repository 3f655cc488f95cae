#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "tests/common/Screenshot.h"
#include "tests/common/TempFolder.h"
#include "tests/common/TestWindow.h"
#include "tests/widgets/PaintSupport.h"
#include "ui/widgets/ImageList.h"
#include "ui/widgets/PopupMenu.h"
#include "ui/widgets/ReBer.h"
#include "ui/widgets/ToolBar.h"

namespace {

constexpr DWORD kToolBarStyle = WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | CCS_NODIVIDER | CCS_NORESIZE |
                                CCS_NOPARENTALIGN;
constexpr DWORD kRebarStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | RBS_VARHEIGHT |
                              RBS_BANDBORDERS | CCS_NODIVIDER | CCS_NOPARENTALIGN | CCS_NORESIZE;

// What the tool bar's button records hold, one line per button.
struct ButtonLine {
    int command;
    BYTE style;
    BYTE state;
    int image;
    const wchar_t* text;  // label and tooltip; null: none
    const wchar_t* tip;   // the record's own tooltip text; null: none
};

void AddButtons(ToolBar_CL& bar, const std::vector<ButtonLine>& lines)
{
    for (size_t i = 0; i < lines.size(); ++i) {
        ToolBarButtonRecord& record = bar.records[i];
        record.button.idCommand = lines[i].command;
        record.button.fsStyle = lines[i].style;
        record.button.fsState = lines[i].state;
        record.button.iBitmap = lines[i].image;
        record.toolTip = lines[i].tip;
        bar.AddButton(&record, lines[i].text);
    }
}

struct ToolInfo {
    bool found = false;
    RECT rect = {};
    std::wstring text;
};

ToolInfo FindTool(HWND tips, HWND owner, UINT id)
{
    wchar_t text[256] = {};
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.hwnd = owner;
    tool.uId = id;
    tool.lpszText = text;
    ToolInfo info;
    info.found = SendMessageW(tips, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool)) != 0;
    info.rect = tool.rect;
    info.text = text;
    return info;
}

RECT ItemRect(HWND toolBar, int index)
{
    RECT rect = {};
    SendMessageW(toolBar, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
    return rect;
}

class ToolBarTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(host_.Get(), nullptr);
        ASSERT_NE(bar_.Create(host_.Get(), kToolBarStyle, 0x5000), nullptr);
        ASSERT_NE(bar_.toolTips.window, nullptr);
    }

    TestHostWindow host_{640, 120};
    ToolBar_CL bar_;
};

TEST_F(ToolBarTest, ButtonsAfterASeparatorKeepTheirTooltips)
{
    AddButtons(bar_, {
                         {0x9001, BTNS_AUTOSIZE, TBSTATE_ENABLED, 0, L"戻る", nullptr},
                         {0, BTNS_SEP, TBSTATE_ENABLED, 0, nullptr, nullptr},
                         {0x9002, BTNS_AUTOSIZE, TBSTATE_ENABLED, 1, L"進む", nullptr},
                         {0x9003, BTNS_AUTOSIZE, TBSTATE_ENABLED, 2, nullptr, L"再読み込み"},
                         {0x9004, BTNS_AUTOSIZE, TBSTATE_ENABLED, 3, nullptr, nullptr},
                         {0x9005, BTNS_AUTOSIZE, TBSTATE_ENABLED, 4, L"ホーム", nullptr},
                     });
    // After a resize the owner rebuilds them: the same tools again.
    bar_.UpdateToolTips();
    EXPECT_EQ(SendMessageW(bar_.toolTips.window, TTM_GETTOOLCOUNT, 0, 0), 4);

    struct Expected {
        int record;
        UINT command;
        int index;  // -1: no tooltip
        const wchar_t* tip;
    };
    const Expected expected[] = {
        {0, 0x9001, 0, L"戻る"}, {1, 0, -1, nullptr},          {2, 0x9002, 2, L"進む"},
        {3, 0x9003, 3, L"再読み込み"}, {4, 0x9004, -1, nullptr}, {5, 0x9005, 5, L"ホーム"},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(testing::Message() << "record " << e.record);
        EXPECT_EQ(bar_.records[e.record].index, e.index);
        if (e.index < 0) {
            EXPECT_FALSE(FindTool(bar_.toolTips.window, bar_.window, e.command).found);
            continue;
        }
        const ToolInfo tool = FindTool(bar_.toolTips.window, bar_.window, e.command);
        ASSERT_TRUE(tool.found);
        EXPECT_EQ(tool.text, e.tip);
        const RECT item = ItemRect(bar_.window, e.index);
        EXPECT_EQ(tool.rect.left, item.left);
        EXPECT_EQ(tool.rect.right, item.right);
    }
    EXPECT_EQ(SendMessageW(bar_.window, TB_BUTTONCOUNT, 0, 0), 6);
}

TEST_F(ToolBarTest, FitsToItsButtonsAndSwapsTheSecondButton)
{
    AddButtons(bar_, {
                         {0x9101, BTNS_AUTOSIZE, TBSTATE_ENABLED, 0, L"一", nullptr},
                         {0x9102, BTNS_AUTOSIZE, TBSTATE_ENABLED, 1, L"二", nullptr},
                         {0x9103, BTNS_AUTOSIZE, TBSTATE_ENABLED, 2, L"三番目", nullptr},
                     });
    RECT fitted = {};
    EXPECT_EQ(bar_.FitToButtons(&fitted), &fitted);
    const RECT first = ItemRect(bar_.window, 0), last = ItemRect(bar_.window, 2);
    EXPECT_EQ(fitted.left, first.left);
    EXPECT_EQ(fitted.top, first.top);
    EXPECT_EQ(fitted.right, last.right);
    EXPECT_EQ(fitted.bottom, last.bottom);
    RECT window = {};
    GetWindowRect(bar_.window, &window);
    EXPECT_EQ(window.right - window.left, last.right - first.left);

    ToolBarButtonRecord& second = bar_.records[1];
    second.button.idCommand = 0x9110;
    second.button.iBitmap = 7;
    second.button.iString = reinterpret_cast<INT_PTR>(L"切替");
    bar_.UpdateSecondButton();
    wchar_t text[64] = {};
    TBBUTTONINFOW info = {};
    info.cbSize = sizeof(info);
    info.dwMask = TBIF_BYINDEX | TBIF_COMMAND | TBIF_IMAGE | TBIF_TEXT;
    info.pszText = text;
    info.cchText = 64;
    ASSERT_NE(SendMessageW(bar_.window, TB_GETBUTTONINFOW, 1, reinterpret_cast<LPARAM>(&info)), -1);
    EXPECT_EQ(info.idCommand, 0x9110);
    EXPECT_EQ(info.iImage, 7);
    EXPECT_STREQ(text, L"切替");
}

TEST(ToolBarRecordsTest, MoreRecordsThanBuiltInAreFreshAtCreation)
{
    TestHostWindow host(320, 80);
    ToolBar_CL bar;
    bar.records[8].index = 5;  // a record touched before Create
    bar.recordCount = 40;
    ASSERT_NE(bar.Create(host.Get(), kToolBarStyle, 0x5001), nullptr);
    ASSERT_EQ(bar.records.size(), 40u);
    for (const ToolBarButtonRecord& record : bar.records) {
        EXPECT_EQ(record.index, -1);
        EXPECT_EQ(record.button.fsState, TBSTATE_ENABLED);
        EXPECT_EQ(record.toolTip, nullptr);
    }
}

// The rebar's parent (a test host window given this procedure): passes WM_SIZE and WM_NOTIFY to the rebar, paints owner-drawn menu
// items, and, while a menu is up, takes a screenshot and closes it.
struct RebarHostState {
    ReBer_CL* rebar = nullptr;
    int menusShown = 0;
    int shownItemCount = -1;
    std::wstring screenshot;
    std::vector<std::pair<WPARAM, LPARAM>> sizes;
};

// Wine puts what windows painted on the X screen a little later, when the thread is idle:
// paint everything, then give it time to arrive before the screen is read.
void SettleScreen(HWND window)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    for (int i = 0; i < 4; ++i) {
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
        Sleep(60);
    }
}

LRESULT CALLBACK RebarHostProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* state = reinterpret_cast<RebarHostState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (state) {
        if (msg == WM_SIZE) state->sizes.emplace_back(wParam, lParam);
        if (state->rebar && (msg == WM_SIZE || msg == WM_NOTIFY)) {
            const LRESULT result = state->rebar->HandleParentMessage(window, msg, wParam, lParam);
            if (result) return result;
        }
        if ((msg == WM_MEASUREITEM || msg == WM_DRAWITEM) && PopupMenu_CL::HandleOwnerDraw(window, msg, wParam, lParam))
            return TRUE;
        if (msg == WM_ENTERIDLE && wParam == MSGF_MENU && state->menusShown++ == 0) {
            HWND popup = reinterpret_cast<HWND>(lParam);
            HMENU menu = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
            state->shownItemCount = menu ? GetMenuItemCount(menu) : -1;
            SettleScreen(window);
            state->screenshot = SaveWindowScreenshot(window, L"widgets", L"toolbar-chevron-menu");
            EndMenu();
        }
        if (msg == WM_TIMER) EndMenu();  // a menu that never went idle must not hold the test
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

// Records what the rebar asks its drop-down menu provider to show.
class RecordingDropDown : public ToolBarDropDown_IF {
public:
    void ShowDropDownMenu(int commandId, UINT flags, int x, int y, HWND parent) override
    {
        calls.push_back({commandId, flags, x, y, parent});
    }
    struct Call {
        int command;
        UINT flags;
        int x;
        int y;
        HWND parent;
    };
    std::vector<Call> calls;
};

constexpr int kBandToolBarId = 0x5010;
constexpr int kGreyCommand = 0x9207, kCheckedCommand = 0x9209;

// A rebar with one band holding a tool bar of eight buttons; the last three are a grey
// button, a separator and a checked button.
class RebarTest : public testing::Test {
protected:
    void SetUp() override
    {
        host_ = hostWindow_.Get();
        ASSERT_NE(host_, nullptr);
        SetWindowLongPtrW(host_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state_));
        SetWindowLongPtrW(host_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RebarHostProc));
        ASSERT_TRUE(WriteStripBitmap(folder_ / L"buttons.bmp", 10));
        ASSERT_TRUE(images_.LoadBitmapFile(folder_ / L"buttons.bmp", 16));

        rebar_.dropDownMenu = &dropDown_;
        ASSERT_NE(rebar_.Create(WS_EX_TOOLWINDOW, kRebarStyle, host_, GetModuleHandleW(nullptr), nullptr), nullptr);
        state_.rebar = &rebar_;
        MoveWindow(rebar_.window, 0, 0, 700, 40, TRUE);

        ASSERT_NE(bar_.Create(host_, kToolBarStyle, kBandToolBarId), nullptr);
        SendMessageW(bar_.window, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_.imageList));
        AddButtons(bar_, {
                             {0x9201, BTNS_DROPDOWN | BTNS_AUTOSIZE, TBSTATE_ENABLED, 0, L"戻る", nullptr},
                             {0x9202, BTNS_AUTOSIZE, TBSTATE_ENABLED, 1, L"進む", nullptr},
                             {0x9203, BTNS_AUTOSIZE, TBSTATE_ENABLED, 2, L"中止", nullptr},
                             {0x9204, BTNS_AUTOSIZE, TBSTATE_ENABLED, 3, L"更新", nullptr},
                             {0x9205, BTNS_AUTOSIZE, TBSTATE_ENABLED, 4, L"ホーム", nullptr},
                             {kGreyCommand, BTNS_AUTOSIZE, TBSTATE_ENABLED | TBSTATE_INDETERMINATE, 5, L"お気に入り",
                              nullptr},
                             {0, BTNS_SEP, TBSTATE_ENABLED, 0, nullptr, nullptr},
                             {kCheckedCommand, BTNS_AUTOSIZE, TBSTATE_ENABLED | TBSTATE_MARKED, 6, L"キャプチャ\tCtrl+P",
                              nullptr},
                         });
        REBARBANDINFOW band = {};
        band.cbSize = sizeof(band);
        band.fMask = RBBIM_STYLE | RBBIM_SIZE | RBBIM_IDEALSIZE | RBBIM_TEXT;
        band.fStyle = RBBS_CHILDEDGE | RBBS_GRIPPERALWAYS;
        band.lpText = const_cast<wchar_t*>(L"ブラウザ");
        PrepareToolBarBand(&band, bar_.window);
        EXPECT_EQ(band.hwndChild, bar_.window);
        EXPECT_TRUE(band.fStyle & RBBS_USECHEVRON);
        EXPECT_TRUE(GetWindowLongPtrW(bar_.window, GWL_STYLE) & CCS_NORESIZE);
        const RECT first = ItemRect(bar_.window, 0), last = ItemRect(bar_.window, 7);
        EXPECT_EQ(static_cast<int>(band.cxIdeal), last.right - first.left);
        EXPECT_EQ(static_cast<int>(band.cyMinChild), last.bottom - first.top + 2);
        ASSERT_TRUE(SendMessageW(rebar_.window, RB_INSERTBANDW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band)));
        rebar_.toolBars.push_back(bar_.window);
        PumpMessages();
    }
    void TearDown() override
    {
        state_.rebar = nullptr;
        DestroyWindow(host_);
        PumpMessages();
    }

    RECT BandOnScreen() const
    {
        RECT band = {};
        SendMessageW(rebar_.window, RB_GETRECT, 0, reinterpret_cast<LPARAM>(&band));
        MapWindowPoints(rebar_.window, HWND_DESKTOP, reinterpret_cast<POINT*>(&band), 2);
        return band;
    }

    RECT ButtonOnScreen(int index) const
    {
        RECT rect = ItemRect(bar_.window, index);
        MapWindowPoints(bar_.window, HWND_DESKTOP, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }

    // Narrows the rebar until its band ends a little after button `lastVisible`.
    void ClipAfter(int lastVisible)
    {
        for (int attempt = 0; attempt < 3; ++attempt) {
            const int wanted = ButtonOnScreen(lastVisible).right + 4;
            const int shift = wanted - BandOnScreen().right;
            if (shift == 0) break;
            RECT rebar = {};
            GetWindowRect(rebar_.window, &rebar);
            MoveWindow(rebar_.window, 0, 0, rebar.right - rebar.left + shift, rebar.bottom - rebar.top, TRUE);
            PumpMessages();
        }
    }

    LRESULT PushChevron(HWND from)
    {
        NMREBARCHEVRON chevron = {};
        chevron.hdr.hwndFrom = from;
        chevron.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(from));
        chevron.hdr.code = RBN_CHEVRONPUSHED;
        chevron.uBand = 0;
        SetTimer(host_, 1, 5000, nullptr);
        const LRESULT result = SendMessageW(host_, WM_NOTIFY, chevron.hdr.idFrom, reinterpret_cast<LPARAM>(&chevron));
        KillTimer(host_, 1);
        return result;
    }

    TempFolder folder_;
    RebarHostState state_;
    TestHostWindow hostWindow_{760, 240, 60, 60};
    HWND host_ = nullptr;
    ImageList_CL images_;
    RecordingDropDown dropDown_;
    ReBer_CL rebar_;
    ToolBar_CL bar_;
};

std::wstring MenuText(HMENU menu, int position)
{
    wchar_t text[128] = {};
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 128;
    GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
    return text;
}

TEST_F(RebarTest, ChevronMenuHoldsTheClippedButtonsInOrder)
{
    ClipAfter(4);
    ASSERT_LT(BandOnScreen().right, ButtonOnScreen(5).right);
    ASSERT_EQ(rebar_.CountHiddenButtons(0), 3);

    std::unique_ptr<PopupMenu_CL> menu = rebar_.BuildChevronMenu(bar_.window, 3);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu->menu), 3);
    struct Item {
        UINT type;
        UINT id;
        UINT state;
        const wchar_t* text;
        int icon;
    };
    const Item expected[] = {
        {MFT_OWNERDRAW, kGreyCommand, MFS_GRAYED, L"お気に入り", 5},
        {MFT_SEPARATOR, 0, 0, L"", 0},
        {MFT_OWNERDRAW, kCheckedCommand, MFS_CHECKED, L"キャプチャ\tCtrl+P", 6},
    };
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(testing::Message() << "item " << i);
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_DATA;
        ASSERT_TRUE(GetMenuItemInfoW(menu->menu, static_cast<UINT>(i), TRUE, &info));
        EXPECT_EQ(info.fType & (MFT_OWNERDRAW | MFT_SEPARATOR), expected[i].type);
        if (expected[i].type == MFT_SEPARATOR) continue;
        EXPECT_EQ(info.wID, expected[i].id);
        EXPECT_EQ(info.fState & (MFS_GRAYED | MFS_CHECKED), expected[i].state);
        EXPECT_EQ(info.dwItemData, reinterpret_cast<ULONG_PTR>(menu.get()));
        EXPECT_EQ(MenuText(menu->menu, i), expected[i].text);
        ASSERT_NE(menu->FindItem(expected[i].id), nullptr);
        EXPECT_EQ(menu->FindItem(expected[i].id)->IconIndex(), expected[i].icon);
    }
    EXPECT_EQ(menu->items.size(), 2u);  // separators take no record
    EXPECT_EQ(menu->imageList, images_.imageList);

    // Pushing the chevron shows that menu under the band, owned by the rebar's parent.
    EXPECT_EQ(PushChevron(rebar_.window), 1);
    EXPECT_EQ(state_.menusShown, 1);
    EXPECT_EQ(state_.shownItemCount, 3);
    EXPECT_FALSE(state_.screenshot.empty());
}

TEST_F(RebarTest, NoChevronMenuWhenEveryButtonFits)
{
    EXPECT_GT(BandOnScreen().right, ButtonOnScreen(7).right);
    EXPECT_EQ(rebar_.CountHiddenButtons(0), 0);
    EXPECT_EQ(rebar_.BuildChevronMenu(bar_.window, 0), nullptr);
    EXPECT_EQ(PushChevron(rebar_.window), 1);
    EXPECT_EQ(state_.menusShown, 0);
}

TEST_F(RebarTest, DropDownReachesTheProviderOnlyFromItsToolBars)
{
    ToolBar_CL foreign;
    ASSERT_NE(foreign.Create(host_, kToolBarStyle, 0x5020), nullptr);
    AddButtons(foreign, {{0x9201, BTNS_DROPDOWN | BTNS_AUTOSIZE, TBSTATE_ENABLED, 0, L"戻る", nullptr}});

    for (HWND from : {foreign.window, bar_.window}) {
        NMTOOLBARW dropDown = {};
        dropDown.hdr.hwndFrom = from;
        dropDown.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(from));
        dropDown.hdr.code = TBN_DROPDOWN;
        dropDown.iItem = 0x9201;
        EXPECT_EQ(rebar_.HandleParentMessage(host_, WM_NOTIFY, dropDown.hdr.idFrom, reinterpret_cast<LPARAM>(&dropDown)),
                  0);
    }
    ASSERT_EQ(dropDown_.calls.size(), 1u);
    RECT button = {};
    SendMessageW(bar_.window, TB_GETRECT, 0x9201, reinterpret_cast<LPARAM>(&button));
    MapWindowPoints(bar_.window, HWND_DESKTOP, reinterpret_cast<POINT*>(&button), 2);
    const RecordingDropDown::Call& call = dropDown_.calls[0];
    EXPECT_EQ(call.command, 0x9201);
    EXPECT_EQ(call.flags, 0x40u);
    EXPECT_EQ(call.x, button.left);
    EXPECT_EQ(call.y, button.bottom);
    EXPECT_EQ(call.parent, host_);

    // A chevron notification from a window the rebar does not know is left to the parent.
    EXPECT_EQ(PushChevron(foreign.window), 0);
    EXPECT_EQ(state_.menusShown, 0);
}

TEST_F(RebarTest, HeightChangeLaysTheParentOutAgain)
{
    state_.sizes.clear();
    NMHDR header = {rebar_.window, 0, static_cast<UINT>(RBN_HEIGHTCHANGE)};
    EXPECT_EQ(rebar_.HandleParentMessage(host_, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header)), 0);
    RECT client = {};
    GetClientRect(host_, &client);
    ASSERT_EQ(state_.sizes.size(), 1u);
    EXPECT_EQ(state_.sizes[0].first, static_cast<WPARAM>(SIZE_RESTORED));
    EXPECT_EQ(state_.sizes[0].second, MAKELPARAM(client.right, client.bottom));
    // Messages the rebar has no business with are not touched.
    EXPECT_EQ(rebar_.HandleParentMessage(host_, WM_COMMAND, 0x9201, 0), 0);
    EXPECT_EQ(rebar_.HandleParentMessage(host_, WM_DRAWITEM, 0, 0), 1);
}

TEST(RebarImagesTest, BandImagesComeFromTheStripFile)
{
    TestHostWindow host(320, 80);
    TempFolder folder;
    ASSERT_TRUE(WriteStripBitmap(folder / L"bands.bmp", 4));
    const std::wstring path = folder / L"bands.bmp";
    for (bool withImages : {false, true}) {
        SCOPED_TRACE(testing::Message() << "with images " << withImages);
        ReBer_CL rebar;
        rebar.imagePath = withImages ? path.c_str() : nullptr;
        rebar.imageWidth = 16;
        ASSERT_NE(rebar.Create(0, kRebarStyle, host.Get(), GetModuleHandleW(nullptr), nullptr), nullptr);
        REBARINFO info = {};
        info.cbSize = sizeof(info);
        info.fMask = RBIM_IMAGELIST;
        ASSERT_TRUE(SendMessageW(rebar.window, RB_GETBARINFO, 0, reinterpret_cast<LPARAM>(&info)));
        EXPECT_EQ(info.himl, rebar.imageList.imageList);
        EXPECT_EQ(info.himl != nullptr, withImages);
        if (withImages) {
            EXPECT_EQ(ImageList_GetImageCount(info.himl), 4);
        }
        EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageW(rebar.window, WM_GETFONT, 0, 0)), GetStockObject(DEFAULT_GUI_FONT));
        DestroyWindow(rebar.window);
    }
}

}  // namespace
