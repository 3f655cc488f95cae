// The pane's commands and history drop-downs as the main window hands them over, and the
// capture of the page shown, on the stand-in runtime.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <gdiplus.h>

#include <memory>
#include <string>
#include <vector>

#include "browser/BrowserBaseReelvault.h"
#include "tests/browser/BrowserTestRecorder.h"
#include "tests/browser/LocalHttpServer.h"
#include "tests/browser/PaneTestSupport.h"
#include "tests/browser/StandinTestSupport.h"
#include "tests/common/Screenshot.h"
#include "tests/common/TempFolder.h"

namespace {

constexpr UINT kShowBrowser = 0x9508;

std::vector<UINT> CommandIds(const std::vector<RecordedCommand>& commands)
{
    std::vector<UINT> ids;
    for (const RecordedCommand& command : commands) ids.push_back(command.id);
    return ids;
}

std::vector<std::wstring> Urls(const std::vector<BrowserHistoryItem>& list)
{
    std::vector<std::wstring> urls;
    for (const BrowserHistoryItem& item : list) urls.push_back(item.url);
    return urls;
}

bool Contains(const std::vector<std::string>& lines, const std::string& wanted)
{
    for (const std::string& line : lines)
        if (line.find(wanted) != std::string::npos) return true;
    return false;
}

TEST(BrowserHistoryMenu, ItemsCarryTheirStepAndAReadableText)
{
    BrowserBaseReelvault_CL pane;
    PopupMenu_CL menu;
    ASSERT_NE(menu.CreatePopup(), nullptr);
    const std::vector<BrowserHistoryItem> entries = {
        {L"", L""},
        {L"https://a.example/", L"https://a.example/"},
        {L"Cats", L"https://b.example/"},
        {L"", L"https://c.example/"},
        {L"Only a title", L""},
    };
    pane.AppendHistoryMenuItems(menu, entries, 0x9601, 1);
    ASSERT_EQ(GetMenuItemCount(menu.menu), 5);
    const wchar_t* texts[] = {L"(no title)", L"https://a.example/", L"Cats | https://b.example/", L"https://c.example/",
                              L"Only a title"};
    for (int i = 0; i < 5; ++i) {
        wchar_t text[256] = {};
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_STRING | MIIM_FTYPE | MIIM_DATA;
        info.dwTypeData = text;
        info.cch = 255;
        ASSERT_TRUE(GetMenuItemInfoW(menu.menu, static_cast<UINT>(i), TRUE, &info));
        EXPECT_EQ(info.wID, static_cast<UINT>(0x9601 + i));
        EXPECT_STREQ(text, texts[i]);
        EXPECT_TRUE(info.fType & MFT_OWNERDRAW);
        EXPECT_EQ(info.dwItemData, reinterpret_cast<ULONG_PTR>(&menu));
        EXPECT_EQ(menu.items[static_cast<size_t>(i)].IconIndex(), 1);
    }
}

class BrowserCommandsTest : public testing::Test {
protected:
    void SetUp() override
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        Gdiplus::GdiplusStartupInput input;
        ASSERT_EQ(Gdiplus::GdiplusStartup(&gdiplus_, &input, nullptr), Gdiplus::Ok);
        ASSERT_TRUE(server_.IsListening());
        for (const char* page : {"/p1", "/p2", "/p3", "/p4", "/home"}) {
            server_.ServePage(page, std::string("<html><head><title>Page ") + (page + 1) +
                                        "</title></head><body bgcolor=\"#3060c0\">" + (page + 1) + "</body></html>");
        }
        logPath_ = folder_ / L"standin.log";
        switches_ = std::make_unique<ScopedStandinSwitches>(L"log=" + logPath_);
        pane_ = std::make_unique<BrowserBaseReelvault_CL>();
        pane_->SetStatusBar(&parent_.statusBar);
        ASSERT_NE(pane_->Create(parent_.Get(), ProgramFolder() + L"\\browser_menu_image.bmp"), nullptr);
        ASSERT_TRUE(WaitForView(*pane_));
        ASSERT_TRUE(pane_->view);
        pane_->CreateToolBar(parent_.Get());
        pane_->homeUrl = server_.Url("/home");
        recorder_ = std::make_unique<MainWindowRecorder>(parent_.Get());
    }
    void TearDown() override
    {
        recorder_.reset();
        pane_.reset();
        switches_.reset();
        Gdiplus::GdiplusShutdown(gdiplus_);
        CoUninitialize();
    }

    bool Open(const std::wstring& address)
    {
        if (FAILED(pane_->Navigate(address))) return false;
        return WaitForPage(address);
    }
    bool WaitForPage(const std::wstring& address)
    {
        return PumpUntil([&] { return pane_->currentPage.url == address && pane_->historyAction == 0; });
    }
    void Command(UINT id) { pane_->HandleParentMessage(parent_.Get(), WM_COMMAND, id, 0); }
    // A TBN_DROPDOWN for the button of `command` as the tool bar `from` sends it.
    void DropDown(HWND from, int command)
    {
        NMTOOLBARW notice = {};
        notice.hdr.hwndFrom = from;
        notice.hdr.idFrom = 0x5000;
        notice.hdr.code = TBN_DROPDOWN;
        notice.iItem = command;
        pane_->HandleParentMessage(parent_.Get(), WM_NOTIFY, 0x5000, reinterpret_cast<LPARAM>(&notice));
    }

    ULONG_PTR gdiplus_ = 0;
    TempFolder folder_;
    std::wstring logPath_;
    LocalHttpServer server_;
    std::unique_ptr<ScopedStandinSwitches> switches_;
    PaneParent parent_{640, 420};
    std::unique_ptr<BrowserBaseReelvault_CL> pane_;
    std::unique_ptr<MainWindowRecorder> recorder_;
};

TEST_F(BrowserCommandsTest, TheBackDropDownListsThePagesNewestFirstAndAStepJumpsThere)
{
    for (const char* page : {"/p1", "/p2", "/p3", "/p4"}) ASSERT_TRUE(Open(server_.Url(page)));
    ASSERT_EQ(pane_->backList.size(), 3u);

    DropDown(pane_->toolBar.window, 0x9600);
    ASSERT_EQ(recorder_->menus.size(), 1u);
    const std::vector<RecordedMenuItem>& items = recorder_->menus[0];
    ASSERT_EQ(items.size(), 3u);
    const char* titles[] = {"Page p3", "Page p2", "Page p1"};
    const char* pages[] = {"/p3", "/p2", "/p1"};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(items[i].id, 0x9601 + i);
        const std::string title = titles[i];
        EXPECT_EQ(items[i].text, std::wstring(title.begin(), title.end()) + L" | " + server_.Url(pages[i]));
    }

    recorder_->TakeCommands();
    Command(0x9603);
    ASSERT_TRUE(WaitForPage(server_.Url("/p1")));
    EXPECT_TRUE(Contains(ReadStandinLogLines(logPath_), "history.go(-3);"));
    EXPECT_TRUE(pane_->backList.empty());
    EXPECT_EQ(Urls(pane_->forwardList),
              (std::vector<std::wstring>{server_.Url("/p2"), server_.Url("/p3"), server_.Url("/p4")}));
    EXPECT_EQ(CommandIds(recorder_->TakeCommands()), std::vector<UINT>{kShowBrowser});

    // The forward list drops down from the other button.
    DropDown(pane_->toolBar.window, 0x9700);
    ASSERT_EQ(recorder_->menus.size(), 2u);
    ASSERT_EQ(recorder_->menus[1].size(), 3u);
    EXPECT_EQ(recorder_->menus[1][0].id, 0x9701u);
}

TEST_F(BrowserCommandsTest, OnlyThePanesOwnHistoryButtonsDropAMenu)
{
    ASSERT_TRUE(Open(server_.Url("/p1")));
    ASSERT_TRUE(Open(server_.Url("/p2")));
    // The application tool bar has the same control id.
    ToolBar_CL application;
    ASSERT_NE(application.Create(parent_.Get(), WS_CHILD | TBSTYLE_FLAT, 0x5000), nullptr);
    DropDown(application.window, 0x9600);
    // Any other button of the pane's own bar has no menu.
    DropDown(pane_->toolBar.window, 0x9502);
    EXPECT_TRUE(recorder_->menus.empty());
}

TEST_F(BrowserCommandsTest, BackWithNothingBehindLogsMovesNothingAndStillShowsTheBrowser)
{
    ASSERT_TRUE(Open(server_.Url("/p1")));
    LogCapture log;
    recorder_->TakeCommands();
    Command(0x9600);
    EXPECT_EQ(CommandIds(recorder_->TakeCommands()), std::vector<UINT>{kShowBrowser});
    const std::vector<std::wstring> lines = log.BrowserLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), L"[History][command] back-button back=0 fore=0");
    EXPECT_EQ(pane_->currentPage.url, server_.Url("/p1"));
    EXPECT_EQ(pane_->historyAction, 0);
}

TEST_F(BrowserCommandsTest, StopReloadHomeAndTheFavouriteButtonReachTheirTargets)
{
    ASSERT_TRUE(Open(server_.Url("/p1")));
    recorder_->TakeCommands();

    Command(0x9501);
    EXPECT_TRUE(Contains(ReadStandinLogLines(logPath_), "call Stop"));
    Command(0x9502);
    EXPECT_TRUE(Contains(ReadStandinLogLines(logPath_), "call Reload"));
    ASSERT_TRUE(PumpUntil([&] { return server_.RequestPaths().size() == 2; }));
    Command(0x9503);
    ASSERT_TRUE(WaitForPage(server_.Url("/home")));
    EXPECT_EQ(CommandIds(recorder_->TakeCommands()), (std::vector<UINT>{kShowBrowser, kShowBrowser, kShowBrowser}));

    Command(0x9505);
    const std::vector<RecordedCommand> favourite = recorder_->TakeCommands();
    ASSERT_EQ(favourite.size(), 1u);
    EXPECT_EQ(favourite[0].id, 0x8250u);
    EXPECT_EQ(favourite[0].lParam, 0);
}

struct StartedProgram {
    std::wstring verb, file, parameters;
    INT show = 0;
};
StartedProgram g_started;

HINSTANCE WINAPI RecordStart(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR folder, INT show)
{
    g_started = {verb ? verb : L"", file ? file : L"", parameters ? parameters : L"", show};
    EXPECT_EQ(folder, nullptr);
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
}

TEST_F(BrowserCommandsTest, InternetOptionsStartTheControlPanel)
{
    pane_->shellExecute = &RecordStart;
    recorder_->TakeCommands();
    Command(0x9504);
    EXPECT_EQ(g_started.verb, L"open");
    EXPECT_EQ(g_started.file, L"rundll32.exe");
    EXPECT_EQ(g_started.parameters, L"shell32.dll,Control_RunDLL inetcpl.cpl");
    EXPECT_EQ(g_started.show, SW_SHOWDEFAULT);
    EXPECT_TRUE(recorder_->TakeCommands().empty());
}

// ---- Page capture ----

TEST_F(BrowserCommandsTest, ACapturedPageIsA24BitBitmapOfTheViewInThePagesColour)
{
    ASSERT_TRUE(Open(server_.Url("/p1")));
    RECT bounds = {};
    ASSERT_EQ(pane_->controller->get_Bounds(&bounds), S_OK);
    std::unique_ptr<Gdiplus::Bitmap> bitmap(pane_->CapturePage());
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->GetPixelFormat(), PixelFormat24bppRGB);
    EXPECT_EQ(static_cast<LONG>(bitmap->GetWidth()), bounds.right - bounds.left);
    EXPECT_EQ(static_cast<LONG>(bitmap->GetHeight()), bounds.bottom - bounds.top);
    Gdiplus::Color corner;
    ASSERT_EQ(bitmap->GetPixel(static_cast<INT>(bitmap->GetWidth()) - 2, static_cast<INT>(bitmap->GetHeight()) - 2, &corner),
              Gdiplus::Ok);
    EXPECT_EQ(corner.GetR(), 0x30);
    EXPECT_EQ(corner.GetG(), 0x60);
    EXPECT_EQ(corner.GetB(), 0xc0);

    // Beside the screenshots, as a PNG that opens again as an image.
    const std::wstring path = ScreenshotPath(L"browser", L"captured_page");
    ASSERT_FALSE(path.empty());
    CLSID png = {};
    CLSIDFromString(L"{557CF406-1A04-11D3-9A73-0000F81EF32E}", &png);
    ASSERT_EQ(bitmap->Save(path.c_str(), &png, nullptr), Gdiplus::Ok);
    Gdiplus::Bitmap reopened(path.c_str());
    EXPECT_EQ(reopened.GetLastStatus(), Gdiplus::Ok);
    EXPECT_EQ(reopened.GetWidth(), bitmap->GetWidth());
}

TEST_F(BrowserCommandsTest, AFailedLateOrMissingCaptureGivesNothing)
{
    ASSERT_TRUE(Open(server_.Url("/p1")));
    const std::wstring log = L";log=" + logPath_;
    for (const wchar_t* failing : {L"capture=fail", L"capture=never", L"capture=late:6000", L"view2=none"}) {
        SCOPED_TRACE(Narrow(failing));
        ScopedStandinSwitches switches(failing + log);
        std::unique_ptr<Gdiplus::Bitmap> bitmap(pane_->CapturePage());
        EXPECT_FALSE(bitmap);
    }
    // The late completion arrives after its call gave up; it reaches only its own state,
    // and the next capture succeeds.
    const ULONGLONG until = GetTickCount64() + 1500;
    PumpUntil([until] { return GetTickCount64() >= until; });
    std::unique_ptr<Gdiplus::Bitmap> next(pane_->CapturePage());
    EXPECT_TRUE(next);

    BrowserBaseReelvault_CL without;
    EXPECT_EQ(without.CapturePage(), nullptr);
}

void CALLBACK PostQuitSeven(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    PostQuitMessage(7);
}

TEST_F(BrowserCommandsTest, AQuitPostedWhileACaptureWaitsStillEndsTheLoop)
{
    ASSERT_TRUE(Open(server_.Url("/p1")));
    ScopedStandinSwitches switches(L"capture=never;log=" + logPath_);
    // The quit arrives while the capture pumps this thread's messages.
    SetTimer(nullptr, 0, 100, &PostQuitSeven);
    std::unique_ptr<Gdiplus::Bitmap> bitmap(pane_->CapturePage());
    EXPECT_FALSE(bitmap);
    // The test's own loop, as the program's: it must meet the quit.
    MSG msg = {};
    bool quit = false;
    const ULONGLONG limit = GetTickCount64() + 10000;
    while (!quit && GetTickCount64() < limit) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                break;
            }
            DispatchMessageW(&msg);
        }
    }
    ASSERT_TRUE(quit);
    EXPECT_EQ(msg.wParam, 7u);
}

}  // namespace
