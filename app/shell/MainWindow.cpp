#include "app/shell/MainWindow.h"

#include <commctrl.h>

#include <algorithm>

#include "app/menus/MainMenu.h"
#include "app/startup/DialogDataLoad.h"
#include "core/album/MoviePlayLauncher.h"
#include "core/album/MovieRegistration.h"
#include "core/album/SaveData.h"
#include "core/base/Log.h"
#include "core/base/PathName.h"
#include "core/base/UiThreadInvoker.h"
#include "core/ipc/MyPipeServer.h"
#include "core/ipc/StillforgeRequest.h"
#include "ui/views/CategoryListWindow.h"
#include "ui/views/MovieIncSearch.h"
#include "ui/views/MovieListWindow.h"

MainWindow_CL* g_mainWindow = nullptr;

namespace {

// ARGB of the views' background.
constexpr Gdiplus::ARGB kViewBackground = 0xFF00001E;
constexpr int kViewCacheEntries = 800;

const wchar_t kDefaultHomePage[] = L"https://reelvault.example/";
const wchar_t kPortalHomePage[] = L"https://www.example.com/";

struct CategoryButton {
    int image;
    int command;
    const wchar_t* toolTip;
};

const CategoryButton kCategoryButtons[] = {
    {16, 0x8100, L"カテゴリを作成する"},      {14, 0x8200, L"サブカテゴリを生成する"},
    {15, 0x8210, L"サブカテゴリを編集する"},  {6, 0x8220, L"サブカテゴリを削除する"},
    {12, 0x9202, L"順番を１つ上にする"},      {13, 0x9203, L"順番を１つ下にする"},
};

// 11..22 pixels for levels 1..10.
int LabelFontSize(int level)
{
    level = std::min(std::max(level, 1), 10);
    return 11 + (11 * level - 7) / 9;
}

void RemoveStyle(HWND window, int index, LONG_PTR bits)
{
    SetWindowLongPtrW(window, index, GetWindowLongPtrW(window, index) & ~bits);
}

void AddStyle(HWND window, int index, LONG_PTR bits)
{
    SetWindowLongPtrW(window, index, GetWindowLongPtrW(window, index) | bits);
}

// The image list given to a tool bar; the one it replaces is destroyed.
void ShareImageList(HWND toolBar, HIMAGELIST images)
{
    if (!toolBar) return;
    HIMAGELIST replaced =
        reinterpret_cast<HIMAGELIST>(SendMessageW(toolBar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images)));
    if (replaced && replaced != images) ImageList_Destroy(replaced);
}

}  // namespace

MainWindow_CL::MainWindow_CL(HANDLE* mutexHandle)
    : pipeServer_(std::make_unique<MyPipeServer_CL>()),
      mutexHandle_(mutexHandle),
      browser_(&g_saveData),
      displaySettings_(&g_saveData.disp_setting)
{
    className = kMainWindowClass;
    title = kMainWindowTitle;
    windowStyle = kMainWindowStyle;
    background = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    width = 640;
    height = 480;
    font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kAppIconId));
    g_mainWindow = this;
}

MainWindow_CL::~MainWindow_CL()
{
    // A window still open (the object ends first only when its owner gives up) is unbound
    // before the members go, so that its children's last messages reach nothing half gone.
    if (hwnd && IsWindow(hwnd)) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        DestroyWindow(hwnd);
        hwnd = nullptr;
    }
    // The listener thread goes first: it posts to this window.
    pipeServer_.reset();
    if (g_saveData.ui == this) g_saveData.ui = nullptr;
    splash_.reset();
    registration_.reset();
    searchBar_.reset();
    mainMenu_.reset();
    if (g_mainWindow == this) g_mainWindow = nullptr;
}

HWND MainWindow_CL::GetCategoryTabWindow() const { return categoryTab_ ? categoryTab_->hwnd : nullptr; }

HWND MainWindow_CL::GetSortTabWindow() const { return sortTab_ ? sortTab_->hwnd : nullptr; }

RECT MainWindow_CL::ChooseStartRect(const Inifile_CL& programIni, const RECT& current)
{
    if (GetKeyState(VK_SHIFT) < 0) {
        WriteLog(AppLog, L"★VK_SHIFTキー押下起動を検知しました。");
        return current;
    }
    return programIni.ReadWindowRect(L"WINDOW", L"rect", current);
}

void MainWindow_CL::SetUpWindow()
{
    RECT current = {};
    GetWindowRect(hwnd, &current);
    const RECT rect = ChooseStartRect(g_saveData.program_ini, current);
    WriteLog(AppLog, L"load_rect[%d] = %d, %d, %d, %d", IsIconic(hwnd) ? 1 : 0, rect.left, rect.top, rect.right,
             rect.bottom);
    SetWindowPos(hwnd, HWND_TOP, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_HIDEWINDOW);

    if (displaySettings_->playdeck_command.empty())
        displaySettings_->playdeck_command = ReadSiblingProgramPath(L"Playdeck\\shell\\open\\command");
    if (displaySettings_->twinsift_command.empty())
        displaySettings_->twinsift_command = ReadSiblingProgramPath(L"Twinsift\\shell\\open\\command");
    displaySettings_->program_folder = PathName_CL::GetModuleFolder();

    g_saveData.LoadAlbumInfo();
    // The album load calls back into this window from the data-load thread.
    invoker_ = std::make_unique<UiThreadInvoker_CL>();
    registration_ = std::make_unique<MovieRegistration_CL>(g_saveData, *this);
    g_saveData.ui = this;

    SetThumbnailMakerParams(L"Reelvault", GetDataFolder(), PathName_CL::GetModuleFolder());
    StopThumbnailMaker();
    // The window exists only now: the server's notifications need it.
    pipeServer_->SetWindow(hwnd);
    pipeServer_->SetName(L"Reelvault");
    if (FAILED(pipeServer_->Start())) WriteLog(AppLog, L"パイプサーバーを開始できません (デコード通知は届きません)");
    if (!StartThumbnailMaker()) WriteLog(AppLog, L"Stillforgeを起動できません");

    CreateViews();
    CreateToolBarsAndTabs();
    CreateMenuAndBands();

    SendMessageW(GetCategoryTabWindow(), TCM_SETCURSEL, 3, 0);
    SendMessageW(GetSortTabWindow(), TCM_SETCURSEL, 0, 0);
    if (mainMenu_) EnableWindow(mainMenu_->GetToolBarWindow(), FALSE);
    if (browser_.GetHostWindow()) ShowWindow(browser_.GetHostWindow(), SW_SHOW);
    if (movieGrid_ && movieGrid_->hwnd) ShowWindow(movieGrid_->hwnd, SW_HIDE);

    NavigateHome();

    if (paneToolBar_.Create(hwnd, kPaneToolBarStyle, kPaneToolBarId)) {
        ShareImageList(paneToolBar_.window, mainMenu_ ? mainMenu_->GetMenuImages() : nullptr);
        ToolBarButtonRecord& button = paneToolBar_.records[0];
        button.button.iBitmap = 19;
        button.button.idCommand = kPaneToggleCommand;
        button.toolTip = L"カテゴリの表示／非表示";
        paneToolBar_.AddButton(&button, nullptr);
        AddStyle(paneToolBar_.window, GWL_STYLE, WS_VISIBLE | CCS_NORESIZE);
        RECT buttons = {};
        paneToolBar_.FitToButtons(&buttons);
    }
    ShareImageList(categoryToolBar_.window, mainMenu_ ? mainMenu_->GetMenuImages() : nullptr);
    ShowWindow(hwnd, SW_SHOW);
}

void MainWindow_CL::CreateViews()
{
    const int fontSize = LabelFontSize(displaySettings_->ui_font_size_level);

    auto* categoryList = new CategoryListWindow_CL(&g_saveData, this);
    categoryList->Create(hwnd, controls_.TakeId(), 200, 160);
    controls_.Add(categoryList);
    categoryList_ = categoryList;
    if (categoryList->hwnd) {
        ShowScrollBar(categoryList->hwnd, SB_HORZ, FALSE);
        RemoveStyle(categoryList->hwnd, GWL_STYLE, WS_THICKFRAME | WS_HSCROLL);
        RemoveStyle(categoryList->hwnd, GWL_EXSTYLE, WS_EX_CLIENTEDGE);
    }
    categoryList->SetThumbnailLayoutForFont(256, 144, 1, 0, fontSize, 0);
    categoryList->backgroundColour = kViewBackground;

    auto* grid = new MovieListWindow_CL(&g_saveData, this);
    grid->Create(hwnd, controls_.TakeId(), 200, 160);
    controls_.Add(grid);
    movieGrid_ = grid;
    if (grid->hwnd) {
        RemoveStyle(grid->hwnd, GWL_STYLE, WS_THICKFRAME);
        RemoveStyle(grid->hwnd, GWL_EXSTYLE, WS_EX_CLIENTEDGE);
    }
    ApplyGridLayout(fontSize);
    grid->backgroundColour = kViewBackground;

    if (statusBar_.Create(hwnd, controls_.TakeId())) {
        SendMessageW(statusBar_.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(statusBar_.font), TRUE);
        statusBar_.SetFontScale(1.0f, 400);
    }

    browser_.SetProgramIni(&g_saveData.program_ini);
    browser_.Create(hwnd, PathName_CL::GetModuleFolder() + L"\\browser_menu_image.bmp");
    browser_.SetStatusBar(&statusBar_);
}

void MainWindow_CL::ApplyGridLayout(int fontSize)
{
    if (!movieGrid_) return;
    const DispSettingData_CL& settings = *displaySettings_;
    const int size = std::min(std::max(settings.thumbnail_size_index, 0), 2);
    movieGrid_->SetThumbnailLayoutForFont(settings.frame_sizes[size][0], settings.frame_sizes[size][1],
                                          settings.thumbnail_count, 0, fontSize, 0);
}

void MainWindow_CL::CreateToolBarsAndTabs()
{
    if (categoryToolBar_.Create(hwnd, kCategoryToolBarStyle, kCategoryToolBarId)) {
        size_t record = 0;
        for (const CategoryButton& button : kCategoryButtons) {
            ToolBarButtonRecord& slot = categoryToolBar_.records[record++];
            slot.button.iBitmap = button.image;
            slot.button.idCommand = button.command;
            slot.toolTip = button.toolTip;
            categoryToolBar_.AddButton(&slot, nullptr);
        }
        AddStyle(categoryToolBar_.window, GWL_STYLE, WS_VISIBLE | CCS_NORESIZE);
        RECT buttons = {};
        categoryToolBar_.FitToButtons(&buttons);
    }

    categoryTab_ = controls_.GetAs<Tab_CL>(controls_.CreateTab(hwnd));
    if (categoryTab_->hwnd) {
        categoryTab_->SetFontScale(1.0f, 400);
        AddStyle(categoryTab_->hwnd, GWL_STYLE, WS_DISABLED);
        RemoveStyle(categoryTab_->hwnd, GWL_EXSTYLE, WS_EX_CLIENTEDGE);
        dotImages_.LoadBitmapFile(PathName_CL::GetModuleFolder() + L"\\menu_image_dot.bmp", 8);
        SendMessageW(categoryTab_->hwnd, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(dotImages_.imageList));
    }

    sortTab_ = controls_.GetAs<Tab_CL>(controls_.CreateTab(hwnd));
    if (sortTab_->hwnd) {
        sortTab_->SetFontScale(1.0f, 400);
        AddStyle(sortTab_->hwnd, GWL_STYLE, WS_DISABLED);
        RemoveStyle(sortTab_->hwnd, GWL_EXSTYLE, WS_EX_CLIENTEDGE);
        for (int tab = 0; tab < 9; ++tab) sortTab_->InsertItem(displaySettings_->sort_tabs[tab].caption, -1, -1, 0);
    }

    searchBar_ = std::make_unique<MovieIncSearch_CL>(this, &g_saveData);
    searchBar_->SetIni(&g_saveData.album_ini);
    if (searchBar_->Create(hwnd)) EnableWindow(searchBar_->window, FALSE);
}

void MainWindow_CL::CreateMenuAndBands()
{
    mainMenu_ = std::make_unique<MainMenu_CL>(this, &g_saveData, displaySettings_);
    mainMenu_->Create(hwnd);
    HWND rebar = mainMenu_->GetReBarWindow();
    if (!rebar) return;

    REBARBANDINFOW* bands = mainMenu_->bands;
    bands[2].fStyle |= RBBS_BREAK;
    if (searchBar_ && searchBar_->window) {
        RECT bar = {};
        GetWindowRect(searchBar_->window, &bar);
        REBARBANDINFOW& band = bands[3];
        band.fMask |= RBBIM_CHILD | RBBIM_CHILDSIZE;
        band.hwndChild = searchBar_->window;
        band.cxMinChild = static_cast<UINT>(bar.right - bar.left);
        band.cyMinChild = static_cast<UINT>(bar.bottom - bar.top);
        band.cx = band.cxIdeal = static_cast<UINT>(bar.right - bar.left);
        PrepareToolBarBand(&band, searchBar_->window);
    }

    static const wchar_t* const kBandTexts[] = {L"ブラウザ", L"アプリ", L"アドレスバー", L"絞込み検索 "};
    for (int index : {0, 1, 3, 2}) {
        REBARBANDINFOW& band = bands[index];
        // The pane's bars that do not exist yet get no empty band.
        if (!(band.fMask & RBBIM_CHILD) || !band.hwndChild) continue;
        band.fMask |= RBBIM_TEXT;
        band.lpText = const_cast<wchar_t*>(kBandTexts[index]);
        SendMessageW(rebar, RB_INSERTBANDW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band));
        if ((band.fMask & RBBIM_IDEALSIZE) && band.hwndChild &&
            std::find(mainMenu_->rebar.toolBars.begin(), mainMenu_->rebar.toolBars.end(), band.hwndChild) ==
                mainMenu_->rebar.toolBars.end())
            mainMenu_->rebar.toolBars.push_back(band.hwndChild);
    }
}

void MainWindow_CL::NavigateHome()
{
    std::wstring home = g_saveData.program_ini.ReadString(L"VERSION", L"site", kDefaultHomePage);
    if (GetFileAttributesW(L"c:\\MyHome.txt") != INVALID_FILE_ATTRIBUTES) home = kPortalHomePage;
    browser_.SetProgramIni(&g_saveData.program_ini);
    AddressBarReelvault_CL* addressBar = browser_.GetAddressBar();
    if (addressBar && !addressBar->GetBoundIni()) addressBar->Bind(&g_saveData.program_ini);
    browser_.SetHomeAddress(home);
    browser_.Navigate(home);
}

void MainWindow_CL::OnSize()
{
    if (!mainMenu_) return;
    RECT client = {};
    GetClientRect(hwnd, &client);
    RECT content = client;
    if (statusBar_.hwnd) {
        RECT bar = {};
        GetWindowRect(statusBar_.hwnd, &bar);
        content.bottom -= bar.bottom - bar.top;
    }
    HWND rebar = mainMenu_->GetReBarWindow();
    if (rebar) {
        RECT rebarRect = {};
        GetWindowRect(rebar, &rebarRect);
        const int rebarHeight = rebarRect.bottom - rebarRect.top;
        SetWindowPos(rebar, nullptr, 0, 0, client.right, rebarHeight, SWP_NOZORDER);
        content.top = rebarHeight + 1;
    }
    contentRect_ = content;
    if (!sortTab_ || !sortTab_->hwnd) return;

    RECT paneButton = {};
    RECT categoryButtons = {};
    if (paneToolBar_.window) paneToolBar_.FitToButtons(&paneButton);
    if (categoryToolBar_.window) categoryToolBar_.FitToButtons(&categoryButtons);

    const int pane = categoryPaneVisible_ ? kCategoryPaneWidth : 0;
    const int show = categoryPaneVisible_ ? SW_SHOW : SW_HIDE;
    HWND categoryTab = GetCategoryTabWindow();
    if (categoryTab) ShowWindow(categoryTab, show);
    if (categoryList_ && categoryList_->hwnd) ShowWindow(categoryList_->hwnd, show);
    if (categoryToolBar_.window) ShowWindow(categoryToolBar_.window, show);

    if (categoryTab) {
        SetWindowPos(categoryTab, nullptr, content.left, content.top, kCategoryPaneWidth - content.left,
                     content.bottom - content.top, SWP_NOZORDER);
        RECT area = {content.left, content.top, kCategoryPaneWidth, content.bottom};
        SendMessageW(categoryTab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
        InflateRect(&area, -2, -2);
        const int toolBarHeight = categoryButtons.bottom - categoryButtons.top;
        if (categoryToolBar_.window)
            SetWindowPos(categoryToolBar_.window, HWND_TOP, area.left, area.top, area.right - area.left, toolBarHeight,
                         0);
        if (categoryList_ && categoryList_->hwnd)
            SetWindowPos(categoryList_->hwnd, nullptr, area.left, area.top + categoryButtons.bottom,
                         area.right - area.left, area.bottom - area.top - categoryButtons.bottom, SWP_NOZORDER);
    }

    HWND sortTab = sortTab_->hwnd;
    const int sortWidth = content.right - paneButton.right - pane;
    SetWindowPos(sortTab, nullptr, pane + kPaneButtonWidth, content.top, sortWidth, content.bottom - content.top,
                 SWP_NOZORDER | SWP_NOREDRAW);
    RECT display = {pane, content.top, content.right, content.bottom};
    SendMessageW(sortTab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    const int rows = display.top - content.top;
    const int buttonY = std::max(0, static_cast<int>((rows - paneButton.bottom) / 2));
    const int extra = std::max(0, static_cast<int>(paneButton.bottom - rows));
    if (paneToolBar_.window)
        SetWindowPos(paneToolBar_.window, nullptr, pane, content.top + buttonY, kPaneButtonWidth,
                     rows - buttonY + extra, SWP_NOZORDER);
    SetWindowPos(sortTab, nullptr, pane + kPaneButtonWidth, content.top + extra, sortWidth, rows, SWP_NOZORDER);

    const int viewTop = display.top + extra;
    const int viewHeight = content.bottom - display.top - extra;
    if (movieGrid_ && movieGrid_->hwnd)
        SetWindowPos(movieGrid_->hwnd, nullptr, pane, viewTop, content.right - pane, viewHeight, SWP_NOZORDER);
    HWND host = browser_.GetHostWindow();
    if (host) MoveWindow(host, pane, viewTop, content.right - pane, viewHeight, TRUE);
}

void MainWindow_CL::ScanFindFolders()
{
    if (registration_) registration_->ScanFindFolders();
}

void MainWindow_CL::RunOnWindowThread(const std::function<void()>& work)
{
    if (invoker_ && invoker_->Invoke(work)) return;
    if (!invoker_) work();
}

void MainWindow_CL::BindAndLoadBrowserHistories(const Inifile_CL* albumIni)
{
    RunOnWindowThread([&] {
        if (AddressBarReelvault_CL* addressBar = browser_.GetAddressBar()) {
            addressBar->Bind(albumIni);
            addressBar->LoadHistories();
        }
        if (searchBar_) {
            searchBar_->SetIni(albumIni);
            searchBar_->LoadHistory();
        }
    });
}

void MainWindow_CL::SaveBrowserHistories()
{
    RunOnWindowThread([&] {
        if (AddressBarReelvault_CL* addressBar = browser_.GetAddressBar()) addressBar->SaveHistories();
    });
}

void MainWindow_CL::SaveIncSearchHistory()
{
    RunOnWindowThread([&] {
        if (searchBar_) searchBar_->SaveHistory();
    });
}

// Rows of the drop-result dialog, which comes with the drop handling; no dialog, no rows.
void MainWindow_CL::AddRegisteredRow(const std::wstring&, const std::wstring&) {}

void MainWindow_CL::AddRejectedRow(const std::wstring&, const std::wstring&) {}

void MainWindow_CL::ClearListenerBitmaps()
{
    if (categoryList_) categoryList_->categoryListener.ClearBitmaps();
    if (movieGrid_) movieGrid_->gridListener.ClearBitmaps();
}

void MainWindow_CL::RequestMissingThumbnails() { g_saveData.movie_list.RequestMissingThumbnails(); }
