// The address and search bar on a pane: its histories on a bound ini, the Enter of its two
// boxes, its buttons and commands, and each engine's search reaching the local server.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "browser/AddressBarReelvault.h"
#include "browser/BrowserBaseReelvault.h"
#include "core/base/Inifile.h"
#include "tests/browser/BrowserTestRecorder.h"
#include "tests/browser/LocalHttpServer.h"
#include "tests/browser/PaneTestSupport.h"
#include "tests/browser/StandinTestSupport.h"
#include "tests/common/Screenshot.h"
#include "tests/common/TempFolder.h"

namespace {

constexpr UINT kShowBrowser = 0x9508;

std::vector<std::wstring> BoxItems(HWND box)
{
    std::vector<std::wstring> items;
    const LRESULT count = SendMessageW(box, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        SendMessageW(box, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    return items;
}

std::wstring WindowText(HWND window)
{
    wchar_t text[4096] = {};
    GetWindowTextW(window, text, 4096);
    return text;
}

std::wstring ItemKey(const wchar_t* prefix, int i)
{
    std::wstring number = std::to_wstring(i);
    return prefix + std::wstring(4 - std::min<size_t>(number.size(), 4), L'0') + number;
}

// The scheme and host of an engine's template: what its search address starts with.
std::wstring TemplateHost(const std::wstring& urlTemplate)
{
    return urlTemplate.substr(0, urlTemplate.find(L'/', std::wstring(L"https://").size()));
}

bool HasShowBrowser(const std::vector<RecordedCommand>& commands, LPARAM notice)
{
    for (const RecordedCommand& command : commands)
        if (command.id == kShowBrowser && command.lParam == notice) return true;
    return false;
}

class AddressBarTest : public testing::Test {
protected:
    void SetUp() override
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ini_.SetPath(folder_ / L"AlbumInfo.ini");
        pane_ = std::make_unique<BrowserBaseReelvault_CL>();
        pane_->SetProgramIni(&ini_);
        pane_->SetStatusBar(&parent_.statusBar);
        // Without Create the pane has no view: a navigation only becomes its pending address.
        pane_->parentWindow = parent_.Get();
        recorder_ = std::make_unique<MainWindowRecorder>(parent_.Get());
    }
    void TearDown() override
    {
        recorder_.reset();
        pane_.reset();
        CoUninitialize();
    }

    AddressBarReelvault_CL& MakeBar()
    {
        EXPECT_NE(pane_->CreateAddressBar(parent_.Get(), ProgramFolder() + L"\\browser_search_image.bmp"), nullptr);
        AddressBarReelvault_CL& bar = *pane_->GetAddressBar();
        MoveWindow(bar.window, 0, 0, 620, 30, TRUE);
        return bar;
    }
    void Type(ComboBox_CL& box, const std::wstring& text) { SetWindowTextW(box.GetEditControl(), text.c_str()); }
    void Enter(ComboBox_CL& box) { SendMessageW(box.GetEditControl(), WM_CHAR, 13, 0); }
    void Notify(AddressBarReelvault_CL& bar, const ComboBox_CL& box, int code)
    {
        SendMessageW(bar.window, WM_COMMAND, MAKEWPARAM(box.id, code), reinterpret_cast<LPARAM>(box.hwnd));
    }

    TempFolder folder_;
    Inifile_CL ini_;
    PaneParent parent_{640, 420};
    std::unique_ptr<BrowserBaseReelvault_CL> pane_;
    std::unique_ptr<MainWindowRecorder> recorder_;
};

TEST_F(AddressBarTest, LoadFillsTheBoxesAndSaveWritesTheSameBack)
{
    ini_.WriteInt(3, L"BROWSER", L"address_item_count");
    ini_.WriteString(L"BROWSER", L"address_item0000", L"https://example.com/");
    ini_.WriteString(L"BROWSER", L"address_item0001", L"");  // skipped
    ini_.WriteString(L"BROWSER", L"address_item0002", L"動画サイト");
    ini_.WriteInt(1, L"BROWSER", L"search_item_count");
    ini_.WriteString(L"BROWSER", L"search_item0000", L"猫");
    ini_.WriteInt(4, L"BROWSER", L"search_engine_index");

    AddressBarReelvault_CL& bar = MakeBar();
    EXPECT_EQ(BoxItems(bar.addressBox.hwnd), (std::vector<std::wstring>{L"https://example.com/", L"動画サイト"}));
    EXPECT_EQ(BoxItems(bar.searchBox.hwnd), std::vector<std::wstring>{L"猫"});
    EXPECT_EQ(bar.engineChooser.GetCurSel(), 4);

    TempFolder other;
    Inifile_CL copy;
    copy.SetPath(other / L"AlbumInfo.ini");
    bar.Bind(&copy);
    bar.SaveHistories();
    EXPECT_EQ(copy.ReadInt(L"BROWSER", L"address_item_count", 0), 2u);
    EXPECT_EQ(copy.ReadString(L"BROWSER", L"address_item0001", L""), L"動画サイト");
    EXPECT_EQ(copy.ReadString(L"BROWSER", L"search_item0000", L""), L"猫");
    EXPECT_EQ(copy.ReadInt(L"BROWSER", L"search_engine_index", 0), 4u);
}

TEST_F(AddressBarTest, LoadKeepsFiftyEntriesAndAKnownEngine)
{
    ini_.WriteInt(60, L"BROWSER", L"search_item_count");
    for (int i = 0; i < 60; ++i) ini_.WriteString(L"BROWSER", ItemKey(L"search_item", i).c_str(), L"s" + std::to_wstring(i));
    ini_.WriteInt(12, L"BROWSER", L"search_engine_index");
    AddressBarReelvault_CL& bar = MakeBar();
    ASSERT_EQ(bar.GetSearchHistory().size(), 50u);
    EXPECT_EQ(bar.GetSearchHistory().back(), L"s49");
    EXPECT_EQ(BoxItems(bar.searchBox.hwnd).size(), 50u);
    EXPECT_EQ(bar.GetEngineIndex(), 0);
    EXPECT_EQ(bar.engineChooser.GetCurSel(), 0);
}

TEST_F(AddressBarTest, UnboundBarKeepsItsHistoriesInMemoryOnly)
{
    AddressBarReelvault_CL& bar = MakeBar();
    bar.Bind(nullptr);
    bar.AddAddressHistory(L"https://example.com/");
    bar.LoadHistories();
    bar.SaveHistories();
    EXPECT_EQ(bar.GetAddressHistory(), std::vector<std::wstring>{L"https://example.com/"});
    EXPECT_EQ(ini_.ReadInt(L"BROWSER", L"address_item_count", -1), static_cast<UINT>(-1));
}

TEST_F(AddressBarTest, EnterMovesAnAddressToTheFrontNavigatesAndBringsTheBrowserForward)
{
    ini_.WriteInt(5, L"BROWSER", L"address_item_count");
    for (int i = 0; i < 5; ++i) ini_.WriteString(L"BROWSER", ItemKey(L"address_item", i).c_str(), L"a" + std::to_wstring(i));
    AddressBarReelvault_CL& bar = MakeBar();
    recorder_->TakeCommands();

    Type(bar.addressBox, L"a2");
    Enter(bar.addressBox);
    EXPECT_EQ(bar.GetAddressHistory(), (std::vector<std::wstring>{L"a2", L"a0", L"a1", L"a3", L"a4"}));
    EXPECT_EQ(BoxItems(bar.addressBox.hwnd), bar.GetAddressHistory());
    // Written at once, the count unchanged.
    EXPECT_EQ(ini_.ReadInt(L"BROWSER", L"address_item_count", 0), 5u);
    EXPECT_EQ(ini_.ReadString(L"BROWSER", L"address_item0000", L""), L"a2");
    EXPECT_EQ(ini_.ReadString(L"BROWSER", L"address_item0002", L""), L"a1");
    EXPECT_EQ(pane_->pendingUrl, L"a2");
    // The edit box never saw the Enter.
    EXPECT_EQ(WindowText(bar.addressBox.GetEditControl()), L"a2");
    EXPECT_TRUE(HasShowBrowser(recorder_->TakeCommands(), 0));
}

TEST_F(AddressBarTest, AFiftyFirstAddressDropsTheOldest)
{
    AddressBarReelvault_CL& bar = MakeBar();
    for (int i = 0; i <= 50; ++i) bar.AddAddressHistory(L"u" + std::to_wstring(i));
    ASSERT_EQ(bar.GetAddressHistory().size(), 50u);
    EXPECT_EQ(bar.GetAddressHistory().front(), L"u50");
    EXPECT_EQ(bar.GetAddressHistory().back(), L"u1");
    EXPECT_EQ(ini_.ReadInt(L"BROWSER", L"address_item_count", 0), 50u);
    EXPECT_EQ(ini_.ReadString(L"BROWSER", L"address_item0049", L""), L"u1");
    EXPECT_EQ(BoxItems(bar.addressBox.hwnd).size(), 50u);
}

TEST_F(AddressBarTest, TheNavigateButtonWithAnEmptyBoxDoesNothing)
{
    AddressBarReelvault_CL& bar = MakeBar();
    recorder_->TakeCommands();
    Type(bar.addressBox, L"");
    SendMessageW(bar.window, WM_COMMAND, MAKEWPARAM(AddressBarReelvault_CL::kNavigateButtonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(bar.navigateButton.hwnd));
    EXPECT_FALSE(HasShowBrowser(recorder_->TakeCommands(), 0));
    EXPECT_TRUE(bar.GetAddressHistory().empty());
    EXPECT_TRUE(pane_->pendingUrl.empty());

    // With a text the button is the Enter of the box.
    Type(bar.addressBox, L"https://example.com/");
    SendMessageW(bar.window, WM_COMMAND, MAKEWPARAM(AddressBarReelvault_CL::kNavigateButtonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(bar.navigateButton.hwnd));
    EXPECT_TRUE(HasShowBrowser(recorder_->TakeCommands(), 0));
    EXPECT_EQ(bar.GetAddressHistory(), std::vector<std::wstring>{L"https://example.com/"});
    EXPECT_EQ(pane_->pendingUrl, L"https://example.com/");
}

TEST_F(AddressBarTest, ChoosingAnEngineWritesItsIndexAtOnce)
{
    AddressBarReelvault_CL& bar = MakeBar();
    SendMessageW(bar.engineChooser.hwnd, CB_SETCURSEL, 7, 0);
    Notify(bar, bar.engineChooser, CBN_SELENDOK);
    EXPECT_EQ(ini_.ReadInt(L"BROWSER", L"search_engine_index", 0), 7u);
    // Saving the histories keeps the choice.
    bar.SaveHistories();
    EXPECT_EQ(ini_.ReadInt(L"BROWSER", L"search_engine_index", 0), 7u);
}

TEST_F(AddressBarTest, ChoosingASearchHistoryEntryShowsItAndSearches)
{
    ini_.WriteInt(2, L"BROWSER", L"search_item_count");
    ini_.WriteString(L"BROWSER", L"search_item0000", L"猫");
    ini_.WriteString(L"BROWSER", L"search_item0001", L"犬");
    AddressBarReelvault_CL& bar = MakeBar();
    recorder_->TakeCommands();
    SendMessageW(bar.searchBox.hwnd, CB_SETCURSEL, 1, 0);
    Notify(bar, bar.searchBox, CBN_SELENDOK);
    EXPECT_EQ(parent_.StatusText(), L"犬");
    EXPECT_TRUE(HasShowBrowser(recorder_->TakeCommands(), 0));
    EXPECT_EQ(pane_->pendingUrl, TemplateHost(pane_->engineTable[0].urlTemplate) + L"/search?q=%E7%8A%AC&hl=ja&num=50");
    EXPECT_EQ(bar.GetSearchHistory(), (std::vector<std::wstring>{L"犬", L"猫"}));
}

TEST_F(AddressBarTest, TheSearchCommandsRunTheSameSearches)
{
    AddressBarReelvault_CL& bar = MakeBar();
    Type(bar.searchBox, L"猫");
    SendMessageW(bar.engineChooser.hwnd, CB_SETCURSEL, 6, 0);
    struct CommandCase {
        UINT command;
        int row;
    };
    const CommandCase cases[] = {{0x9580, 6}, {0x9583, 2}, {0x9584, 3}};
    for (const CommandCase& c : cases) {
        SCOPED_TRACE(c.command);
        // The bar has the button the command comes from.
        EXPECT_GE(SendMessageW(bar.window, TB_COMMANDTOINDEX, c.command, 0), 0);
        recorder_->TakeCommands();
        pane_->pendingUrl.clear();
        EXPECT_TRUE(bar.HandleSearchCommand(c.command));
        const std::wstring& urlTemplate = pane_->engineTable[static_cast<size_t>(c.row)].urlTemplate;
        EXPECT_EQ(pane_->pendingUrl, urlTemplate.substr(0, urlTemplate.find(L"%s")) + L"%E7%8C%AB" +
                                         urlTemplate.substr(urlTemplate.find(L"%s") + 2));
        EXPECT_TRUE(HasShowBrowser(recorder_->TakeCommands(), 0));
    }
    // Rows without a button of their own have no command on the bar.
    EXPECT_EQ(SendMessageW(bar.window, TB_COMMANDTOINDEX, 0x9581, 0), -1);
    EXPECT_FALSE(bar.HandleSearchCommand(0x95A0));

    recorder_->TakeCommands();
    bar.SearchWithEngine(1, 1);
    EXPECT_TRUE(HasShowBrowser(recorder_->TakeCommands(), 1));
    EXPECT_EQ(pane_->pendingUrl, TemplateHost(pane_->engineTable[1].urlTemplate) + L"/search?p=%E7%8C%AB");

    pane_->engineTable[0].urlTemplate = L"https://example.invalid/find?a=%s&b=%s";
    Type(bar.searchBox, L"%s x");
    bar.SearchWithEngine(0, 0);
    EXPECT_EQ(pane_->pendingUrl, L"https://example.invalid/find?a=%25s+x&b=%25s+x");

    pane_->pendingUrl = L"unchanged";
    bar.SearchWithEngine(10, 0);
    bar.SearchWithEngine(-2, 0);
    EXPECT_EQ(pane_->pendingUrl, L"unchanged");
}

TEST_F(AddressBarTest, TheBarShowsItsBoxesAndButtons)
{
    AddressBarReelvault_CL& bar = MakeBar();
    Type(bar.addressBox, L"https://example.com/動画");
    Type(bar.searchBox, L"猫 ソ");
    SendMessageW(bar.window, WM_SIZE, 0, MAKELPARAM(620, 30));
    PumpMessages();
    const RECT address = bar.addressBox.GetRectInParent();
    const RECT search = bar.searchBox.GetRectInParent();
    EXPECT_GT(address.right - address.left, 100);
    EXPECT_LT(address.right, search.left);
    EXPECT_FALSE(SaveWindowScreenshot(parent_.Get(), L"browser", L"address_bar").empty());
}

// ---- Searches through the stand-in runtime, which sends every address to the local server ----

class AddressBarSearchTest : public AddressBarTest {
protected:
    void SetUp() override
    {
        AddressBarTest::SetUp();
        ASSERT_TRUE(server_.IsListening());
        const std::string origin = server_.Origin();
        switches_ = std::make_unique<ScopedStandinSwitches>(L"origin=" + std::wstring(origin.begin(), origin.end()));
        ASSERT_NE(pane_->Create(parent_.Get(), ProgramFolder() + L"\\browser_menu_image.bmp"), nullptr);
        ASSERT_TRUE(WaitForView(*pane_));
        ASSERT_TRUE(pane_->view);
    }
    void TearDown() override
    {
        AddressBarTest::TearDown();
        switches_.reset();
    }

    // Waits until the view has completed a navigation to the address.
    bool WaitForPage(const std::wstring& address)
    {
        return PumpUntil([&] { return pane_->currentPage.url == address && pane_->historyAction == 0; });
    }

    LocalHttpServer server_;
    std::unique_ptr<ScopedStandinSwitches> switches_;
};

TEST_F(AddressBarSearchTest, EachEngineSearchedWithEnterReachesTheServer)
{
    struct EngineCase {
        int row;
        const wchar_t* text;
        const char* pathAndQuery;
    };
    const EngineCase cases[] = {
        {0, L"動画 猫", "/search?q=%E5%8B%95%E7%94%BB+%E7%8C%AB&hl=ja&num=50"},
        {1, L"あ", "/search?p=%E3%81%82"},
        {2, L"猫", "/results?search_query=%E7%8C%AB&hl=ja"},
        {3, L"ソ", "/search/%E3%82%BD"},
        {4, L"ｱ", "/tag/%EF%BD%B1"},
        {5, L"表示", "/search?q=%E8%A1%A8%E7%A4%BA&hl=ja&tbm=isch"},
        {6, L"abc def", "/search?q=abc+def"},
        {7, L"x*y-z.q_r~s", "/images/search?q=x*y-z.q_r%7Es"},
        {8, L"猫 ソ", "/s?k=%94L+%83%5C"},
        {9, L"動画 ｱ", "/search/search?p=%C6%B0%B2%E8+%8E%B1"},
    };
    AddressBarReelvault_CL& bar = MakeBar();
    ASSERT_EQ(pane_->engineTable.size(), 10u);
    for (const EngineCase& c : cases) {
        SCOPED_TRACE(c.row);
        server_.ServePage(c.pathAndQuery, "<html><head><title>Found</title></head><body>result</body></html>");
        const size_t before = server_.RequestPaths().size();
        recorder_->TakeCommands();
        Type(bar.searchBox, c.text);
        SendMessageW(bar.engineChooser.hwnd, CB_SETCURSEL, static_cast<WPARAM>(c.row), 0);
        Enter(bar.searchBox);
        const std::string path = c.pathAndQuery;
        const std::wstring address =
            TemplateHost(pane_->engineTable[static_cast<size_t>(c.row)].urlTemplate) + std::wstring(path.begin(), path.end());
        ASSERT_TRUE(WaitForPage(address)) << Narrow(pane_->currentPage.url);
        const std::vector<std::string> paths = server_.RequestPaths();
        ASSERT_EQ(paths.size(), before + 1);
        EXPECT_EQ(paths.back(), c.pathAndQuery);
        EXPECT_TRUE(HasShowBrowser(recorder_->TakeCommands(), 0));
        EXPECT_EQ(bar.GetSearchHistory().front(), c.text);
        EXPECT_EQ(WindowText(bar.searchBox.GetEditControl()), c.text);
    }
}

TEST_F(AddressBarSearchTest, EnterInTheAddressBoxNavigatesAndAnEmptyOneLeavesTheHistorySound)
{
    server_.ServePage("/one", "<html><head><title>One</title></head><body>one</body></html>");
    AddressBarReelvault_CL& bar = MakeBar();
    Type(bar.addressBox, server_.Url("/one"));
    Enter(bar.addressBox);
    ASSERT_TRUE(WaitForPage(server_.Url("/one")));
    EXPECT_EQ(WindowText(bar.addressBox.GetEditControl()), server_.Url("/one"));

    recorder_->TakeCommands();
    Type(bar.addressBox, L"");
    Enter(bar.addressBox);
    EXPECT_EQ(bar.GetAddressHistory().front(), L"");
    EXPECT_TRUE(HasShowBrowser(recorder_->TakeCommands(), 0));
    // The view refused the empty address: nothing is booked as the pane's navigation.
    EXPECT_EQ(pane_->historyAction, 0);
    EXPECT_EQ(pane_->navigationRequested, 0);
    EXPECT_TRUE(pane_->backList.empty());
}

}  // namespace
