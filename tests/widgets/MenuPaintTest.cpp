#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "tests/common/TempFolder.h"
#include "tests/widgets/PaintSupport.h"
#include "ui/widgets/ImageList.h"
#include "ui/widgets/PopupMenu.h"
#include "ui/widgets/ToolTips.h"

namespace {

class PopupMenuTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        INITCOMMONCONTROLSEX init = {sizeof(init), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&init);
    }
    void SetUp() override
    {
        ASSERT_TRUE(WriteStripBitmap(folder_ / L"strip.bmp", 10));
        ASSERT_TRUE(icons_.LoadBitmapFile(folder_ / L"strip.bmp", 16));
        ASSERT_NE(menu_.CreatePopup(), nullptr);
    }

    // Appends an owner-drawn item the way the program's menus do.
    void AddItem(UINT id, const wchar_t* text, int icon)
    {
        MenuItemRecord* record = menu_.ItemAt(static_cast<int>(menu_.items.size()));
        ASSERT_NE(record, nullptr);
        record->info.wID = id;
        record->info.dwTypeData = const_cast<wchar_t*>(text);
        record->info.dwItemData = reinterpret_cast<ULONG_PTR>(&menu_);
        record->SetIconIndex(icon);
        ASSERT_TRUE(InsertMenuItemW(menu_.menu, static_cast<UINT>(GetMenuItemCount(menu_.menu)), TRUE, &record->info));
    }

    MEASUREITEMSTRUCT Measure(UINT id)
    {
        MEASUREITEMSTRUCT measure = {};
        measure.CtlType = ODT_MENU;
        measure.itemID = id;
        measure.itemData = reinterpret_cast<ULONG_PTR>(&menu_);
        EXPECT_TRUE(PopupMenu_CL::HandleOwnerDraw(nullptr, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)));
        return measure;
    }

    bool Draw(UINT id, Canvas& canvas, RECT item, UINT state = 0)
    {
        DRAWITEMSTRUCT draw = {};
        draw.CtlType = ODT_MENU;
        draw.itemID = id;
        draw.itemAction = ODA_DRAWENTIRE;
        draw.itemState = state;
        draw.hDC = canvas.Dc();
        draw.rcItem = item;
        draw.itemData = reinterpret_cast<ULONG_PTR>(&menu_);
        return PopupMenu_CL::HandleOwnerDraw(nullptr, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
    }

    TempFolder folder_;
    ImageList_CL icons_;
    PopupMenu_CL menu_;
};

TEST_F(PopupMenuTest, ItemWidthIsTheLeftTextPlusMarginAndIcon)
{
    struct Case {
        const wchar_t* text;
        const wchar_t* left;
        bool withIcons;
    };
    const Case cases[] = {
        {L"開く\tCtrl+O", L"開く", false},
        {L"開く\tCtrl+O", L"開く", true},
        {L"Properties of the movie", L"Properties of the movie", false},
        {L"Properties of the movie", L"Properties of the movie", true},
        {L"\tF5", L"", false},
    };
    UINT id = 0x100;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "text " << testing::PrintToString(std::wstring(c.text)) << " icons "
                                        << c.withIcons);
        menu_.imageList = c.withIcons ? icons_.imageList : nullptr;
        AddItem(++id, c.text, 0);
        const MEASUREITEMSTRUCT measure = Measure(id);
        EXPECT_EQ(static_cast<int>(measure.itemWidth), DefaultFontTextWidth(c.left) + 48 + (c.withIcons ? 16 + 4 : 0));
        EXPECT_GE(static_cast<int>(measure.itemHeight), c.withIcons ? 17 : 1);
    }
}

TEST_F(PopupMenuTest, RightPartEndsBeforeTheEdgeAndLeftPartFollowsTheIcons)
{
    struct Case {
        const wchar_t* text;
        bool withIcons;
        int leftFrom;        // first column the left part may use
        bool hasRightPart;
    };
    const Case cases[] = {
        {L"Cut\tCtrl+X", false, 0, true},
        {L"Cut\tCtrl+X", true, 16 + 4, true},
        {L"Cut and paste", false, 0, false},
    };
    const int width = 240, height = 22;
    const int rightEdge = width - PopupMenu_CL::kRightTextInset;
    const COLORREF back = GetSysColor(COLOR_MENU);
    UINT id = 0x200;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "text " << testing::PrintToString(std::wstring(c.text)) << " icons "
                                        << c.withIcons);
        menu_.imageList = c.withIcons ? icons_.imageList : nullptr;
        AddItem(++id, c.text, -1);
        Canvas canvas(width, height);
        canvas.Fill(RGB(1, 2, 3));
        ASSERT_TRUE(Draw(id, canvas, {0, 0, width, height}));
        // The whole item is filled; icon -1 leaves the icon cell plain.
        EXPECT_EQ(canvas.Pixel(0, 0), back);
        EXPECT_EQ(canvas.Pixel(width - 1, height - 1), back);
        const auto left = canvas.InkColumns(back, 0, width / 2);
        ASSERT_GE(left.first, 0);
        EXPECT_GE(left.first, c.leftFrom);
        EXPECT_LE(left.first, c.leftFrom + 3);
        const auto right = canvas.InkColumns(back, width / 2, width);
        if (!c.hasRightPart) {
            EXPECT_EQ(right.first, -1);
            continue;
        }
        ASSERT_GE(right.second, 0);
        EXPECT_LT(right.second, rightEdge);
        EXPECT_GE(right.second, rightEdge - 3);
    }
}

TEST_F(PopupMenuTest, IconIsDrawnOnlyForAnIndex)
{
    menu_.imageList = icons_.imageList;
    AddItem(0x301, L"With icon", 3);
    AddItem(0x302, L"Without icon", -1);
    const COLORREF back = GetSysColor(COLOR_MENU);
    Canvas canvas(200, 20);
    ASSERT_TRUE(Draw(0x301, canvas, {0, 0, 200, 20}));
    EXPECT_EQ(canvas.Pixel(12, 8), StripColour(3));
    EXPECT_EQ(canvas.Pixel(3, 8), back);  // magenta is transparent
    ASSERT_TRUE(Draw(0x302, canvas, {0, 0, 200, 20}));
    EXPECT_EQ(canvas.InkColumns(back, 0, 20).first, -1);
}

TEST_F(PopupMenuTest, SelectedItemUsesHighlightColours)
{
    AddItem(0x401, L"Item", -1);
    Canvas canvas(120, 20);
    ASSERT_TRUE(Draw(0x401, canvas, {0, 0, 120, 20}, ODS_SELECTED));
    EXPECT_EQ(canvas.Pixel(119, 0), GetSysColor(COLOR_HIGHLIGHT));
}

TEST_F(PopupMenuTest, ForeignOrUnreadableItemsAreLeftAlone)
{
    AddItem(0x501, L"Item", -1);
    MEASUREITEMSTRUCT measure = {};
    measure.CtlType = ODT_LISTBOX;
    measure.itemID = 0x501;
    measure.itemData = reinterpret_cast<ULONG_PTR>(&menu_);
    EXPECT_FALSE(PopupMenu_CL::HandleOwnerDraw(nullptr, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)));
    EXPECT_EQ(measure.itemWidth, 0u);
    measure.CtlType = ODT_MENU;
    measure.itemID = 0x599;  // not in the menu
    EXPECT_FALSE(PopupMenu_CL::HandleOwnerDraw(nullptr, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)));
    EXPECT_EQ(measure.itemWidth, 0u);
}

// The two messages also come from other windows and programs: item data that names no
// popup alive now is not read through, whatever its value.
TEST_F(PopupMenuTest, ItemDataOfNoLivePopupIsNotReadThrough)
{
    AddItem(0x501, L"Item", -1);
    ULONG_PTR gone = 0;
    {
        PopupMenu_CL other;
        gone = reinterpret_cast<ULONG_PTR>(&other);
    }
    for (ULONG_PTR data : {static_cast<ULONG_PTR>(0x12345678), static_cast<ULONG_PTR>(1), gone}) {
        MEASUREITEMSTRUCT measure = {};
        measure.CtlType = ODT_MENU;
        measure.itemID = 0x501;
        measure.itemData = data;
        EXPECT_FALSE(PopupMenu_CL::HandleOwnerDraw(nullptr, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)));
        EXPECT_EQ(measure.itemWidth, 0u);
        DRAWITEMSTRUCT draw = {};
        draw.CtlType = ODT_MENU;
        draw.itemID = 0x501;
        draw.itemData = data;
        EXPECT_FALSE(PopupMenu_CL::HandleOwnerDraw(nullptr, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw)));
    }
}

TEST_F(PopupMenuTest, RecordsAppendOnlyAtTheEndAndSeparatorsTakeNone)
{
    EXPECT_EQ(menu_.ItemAt(1), nullptr);
    MenuItemRecord* first = menu_.ItemAt(0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->info.cbSize, sizeof(MENUITEMINFOW));
    EXPECT_EQ(first->info.fMask, 0x167u);
    EXPECT_EQ(first->info.fType, static_cast<UINT>(MFT_OWNERDRAW));
    EXPECT_EQ(first->reserved, 0);
    first->info.wID = 7;
    EXPECT_EQ(menu_.FindItem(7), menu_.ItemAt(0));
    EXPECT_EQ(menu_.FindItem(8), nullptr);
    menu_.AppendSeparator();
    EXPECT_EQ(GetMenuItemCount(menu_.menu), 1);
    EXPECT_EQ(menu_.items.size(), 1u);
}

TEST(ImageListTest, StripBitmapIsCutIntoMaskedImages)
{
    TempFolder folder;
    ASSERT_TRUE(WriteStripBitmap(folder / L"strip.bmp", 10));
    ImageList_CL list;
    ASSERT_TRUE(list.LoadBitmapFile(folder / L"strip.bmp", 16));
    ASSERT_NE(list.imageList, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(list.imageList), 10);
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(list.imageList, &cx, &cy));
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(cy, 16);
    Canvas canvas(16, 16);
    for (int image : {0, 4, 9}) {
        canvas.Fill(RGB(255, 255, 255));
        ASSERT_TRUE(ImageList_Draw(list.imageList, image, canvas.Dc(), 0, 0, ILD_TRANSPARENT));
        EXPECT_EQ(canvas.Pixel(12, 5), StripColour(image)) << "image " << image;
        EXPECT_EQ(canvas.Pixel(3, 5), RGB(255, 255, 255)) << "image " << image;
    }
}

TEST(ImageListTest, UnloadableFileOrWidthLeavesTheListAlone)
{
    TempFolder folder;
    ASSERT_TRUE(WriteStripBitmap(folder / L"strip.bmp", 2));
    ImageList_CL list;
    EXPECT_FALSE(list.LoadBitmapFile(folder / L"missing.bmp", 16));
    EXPECT_EQ(list.imageList, nullptr);
    EXPECT_FALSE(list.LoadBitmapFile(folder / L"strip.bmp", 0));
    EXPECT_EQ(list.imageList, nullptr);
    ASSERT_TRUE(list.LoadBitmapFile(folder / L"strip.bmp", 16));
    HIMAGELIST loaded = list.imageList;
    EXPECT_FALSE(list.LoadBitmapFile(folder / L"missing.bmp", 16));
    EXPECT_EQ(list.imageList, loaded);
}

TEST(ImageListTest, BorrowedListOutlivesTheObject)
{
    HIMAGELIST shared = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 0, 4);
    ASSERT_NE(shared, nullptr);
    {
        ImageList_CL list;
        list.imageList = shared;
        list.borrowed = 1;
    }
    EXPECT_EQ(ImageList_GetImageCount(shared), 0);  // still a live list
    int cx = 0, cy = 0;
    EXPECT_TRUE(ImageList_GetIconSize(shared, &cx, &cy));
    ImageList_Destroy(shared);
}

class ToolTipsTest : public testing::Test {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX init = {sizeof(init), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&init);
        host_ = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(host_, nullptr);
        tips_.window = CreateWindowExW(0, TOOLTIPS_CLASSW, L"", tips_.style, CW_USEDEFAULT, CW_USEDEFAULT,
                                       CW_USEDEFAULT, CW_USEDEFAULT, host_, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(tips_.window, nullptr);
    }
    void TearDown() override { DestroyWindow(host_); }

    LRESULT ToolCount() const { return SendMessageW(tips_.window, TTM_GETTOOLCOUNT, 0, 0); }

    HWND host_ = nullptr;
    ToolTips_CL tips_{TTS_ALWAYSTIP | TTS_NOPREFIX};
};

TEST_F(ToolTipsTest, AddedToolsAreAllRemovedAgain)
{
    const RECT first = {0, 0, 50, 20}, second = {50, 0, 100, 20};
    tips_.AddTool(&first, host_, 11, L"first", 640);
    tips_.AddTool(&second, host_, 12, L"second", 640);
    ASSERT_EQ(ToolCount(), 2);
    EXPECT_EQ(SendMessageW(tips_.window, TTM_GETMAXTIPWIDTH, 0, 0), 640);
    RECT margin = {};
    SendMessageW(tips_.window, TTM_GETMARGIN, 0, reinterpret_cast<LPARAM>(&margin));
    EXPECT_EQ(margin.left + margin.top + margin.right + margin.bottom, 20);

    TTTOOLINFOW query = {};
    query.cbSize = sizeof(query);
    query.hwnd = host_;
    query.uId = 12;
    ASSERT_TRUE(SendMessageW(tips_.window, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&query)));
    EXPECT_EQ(query.rect.left, 50);
    EXPECT_TRUE(query.uFlags & TTF_SUBCLASS);

    tips_.DeleteAllTools();
    EXPECT_EQ(ToolCount(), 0);
    EXPECT_TRUE(tips_.tools.empty());
}

TEST_F(ToolTipsTest, DeletingWithoutToolsOnlyEmptiesTheCopies)
{
    TTTOOLINFOW stale = {};
    stale.cbSize = sizeof(stale);
    stale.hwnd = host_;
    stale.uId = 99;
    tips_.tools.push_back(stale);
    tips_.DeleteAllTools();
    EXPECT_TRUE(tips_.tools.empty());
    EXPECT_EQ(ToolCount(), 0);
}

TEST_F(ToolTipsTest, ToolsAddedBySomeoneElseDoNotRunPastTheCopies)
{
    TTTOOLINFOW foreign = {};
    foreign.cbSize = sizeof(foreign);
    foreign.hwnd = host_;
    foreign.uId = 5;
    foreign.lpszText = const_cast<wchar_t*>(L"foreign");
    ASSERT_TRUE(SendMessageW(tips_.window, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&foreign)));
    const RECT rect = {0, 0, 10, 10};
    tips_.AddTool(&rect, host_, 6, L"ours", 640);
    ASSERT_EQ(ToolCount(), 2);
    tips_.DeleteAllTools();
    EXPECT_TRUE(tips_.tools.empty());
    EXPECT_EQ(ToolCount(), 1);
}

}  // namespace
