#pragma once
// Reelvault's one top-level window: the hub every view, bar, worker and the thumbnail maker
// report to. It builds its children in WM_CREATE, has the album loaded behind the start-up
// splash, applies the thumbnail maker's answers and closes only once both views stopped.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/commands/ItemCommandSteps.h"
#include "app/shell/ItemActionContext.h"
#include "app/shell/MainWindowMessages.h"
#include "browser/BrowserBaseReelvault.h"
#include "core/album/AlbumUiBinding.h"
#include "core/album/RegistrationHost.h"
#include "ui/views/ViewHost.h"
#include "ui/widgets/ControlFactory.h"
#include "ui/widgets/ImageList.h"
#include "ui/widgets/MainWindowBase.h"
#include "ui/widgets/StatusBar.h"
#include "ui/widgets/Tab.h"
#include "ui/widgets/ToolBar.h"

class CategoryListWindow_CL;
class DialogDataLoad_CL;
class EasyProgress_CL;
class Inifile_CL;
class ItemMovieData_CL;
class Kiln_ResponseDecode_CL;
class MainMenu_CL;
class MovieIncSearch_CL;
class MovieListWindow_CL;
class MovieRegistration_CL;
class MyPipeServer_CL;
class UiThreadInvoker_CL;
class ItemMovieData_CL;
class ItemMovieView_CL;
struct DispSettingData_CL;

constexpr wchar_t kMainWindowClass[] = L"Reelvault";
constexpr wchar_t kMainWindowTitle[] = L"Reelvault";
// WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN and the low bit 0x20.
constexpr DWORD kMainWindowStyle = 0x06CF0020;
constexpr int kAppIconId = 107;
constexpr int kAcceleratorsId = 110;

constexpr int kCategoryToolBarId = 0x5739;
constexpr DWORD kCategoryToolBarStyle = 0x5A000840;
constexpr int kPaneToolBarId = 0x5009;
constexpr DWORD kPaneToolBarStyle = 0x50000840;
constexpr int kPaneToggleCommand = 0x9140;
// Sent by the browser pane after each navigation it starts (lParam 0).
constexpr int kShowWebTabCommand = 0x9508;

class MainWindow_CL : public MainWindowBase_CL,
                      public RegistrationHost_IF,
                      public AlbumUiBinding_IF,
                      public ViewHost_IF {
public:
    // Close state: closing, and the two views that reported that they stopped.
    static constexpr uint32_t kClosing = 0x8000;
    static constexpr uint32_t kCategoryViewStopped = 0x1;
    static constexpr uint32_t kMovieGridStopped = 0x2;
    static constexpr uint32_t kBothStopped = kClosing | kCategoryViewStopped | kMovieGridStopped;
    static constexpr UINT kCloseWatchdogMs = 15000;
    static constexpr int kCategoryPaneWidth = 304;
    static constexpr int kPaneButtonWidth = 32;

    // mutexHandle: the entry point's single-instance mutex variable, closed by a restart.
    explicit MainWindow_CL(HANDLE* mutexHandle);
    ~MainWindow_CL() override;

    LRESULT WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnSize() override;

    // The creation sequence, run in WM_CREATE.
    void SetUpWindow();
    // Every command goes to the command groups in their fixed order.
    void DispatchCommand(WPARAM wParam);
    // [WINDOW] rect of the program ini, once ready and while not minimised.
    void SaveWindowRect();
    // One decode answer of the thumbnail maker applied to its movie.
    void OnDecodeComplete(const Kiln_ResponseDecode_CL& response);
    // Registers what the watched folders hold; the data-load thread's step.
    void ScanFindFolders();
    // The movie item commands (0x8000-0x80B0, 0x8500-0x851F); others are ignored.
    void OnItemCommand(WPARAM wParam);
    // Starts the movie with the chosen player (by name; null for none) and counts the play.
    void PlayMovieWithPlayer(ItemMovieData_CL& movie, int64_t startPosition, uint32_t command, const wchar_t* player);
    // Hands the paths, in that order, to the sibling player as one playlist.
    void PlayPlaylistFile(const std::vector<std::wstring>& paths, const std::vector<uint32_t>& order);
    // What the category, tag and playlist dialogs start once they return their choice: the
    // walk over the selected movies and its finish.
    void SetCategoryOfSelection(const ItemCategoryPair& pair);
    void AddTagsToSelection(const std::wstring& text);
    void AddSelectionToPlaylist(ItemCategoryData_CL& playlist);

    // Movie-item commands: one walk over the current movie list under the "処理中" dialog,
    // applying the command to every movie (all) or to the selected ones; returns once the
    // dialog has closed and its worker has ended.
    void RunItemAction(uint32_t command, int backwards, int all);
    // The walk itself, on the dialog's worker thread.
    void ForEachListItem(EasyProgress_CL* progress, uint32_t command, int backwards, int all);
    // One movie of a walk, on the walk's worker thread: 1 goes on, 0 stops the walk.
    int ApplyItemCommand(ItemActionContext& context, ItemMovieData_CL& movie);
    using ItemCommandApplier = std::function<int(ItemActionContext&, ItemMovieData_CL&)>;
    // Replaces the walk's per-movie step; an empty one restores ApplyItemCommand.
    void SetItemCommandApplier(ItemCommandApplier applier) { itemCommandApplier_ = std::move(applier); }
    ItemActionContext& GetItemActionContext() { return itemAction_; }

    // The tabs, the lists they choose, the category tool bar and the status texts.
    void SelectSubCategory(int index);
    void UpdateCategoryToolBar();
    void ApplyThumbnailLayout();
    void ApplyUiFontSize() override;
    // A sort tab's caption with its direction mark (none on the browser tab).
    std::wstring SortTabCaption(int tab) const;
    // out: the movies of the selected category, sub-category or playlist, unfiltered,
    // unsorted; counted: the movies the tiles count (every movie, or the whole category's).
    void BuildMovieList(ItemMovieView_CL& out, ItemMovieView_CL& counted);
    // The item count a category tab shows for top-category entry `entry`.
    int CountTopCategoryItems(size_t entry);
    // WM_NOTIFY of the two tabs and the two views.
    LRESULT OnNotify(const NMHDR* header);
    // F5 / F6 on the movie grid: thumbnail size, frames per cell.
    void OnDisplayKey(WPARAM key);
    // The bookkeeping of one play of the movie.
    void RecordPlay(ItemMovieData_CL& movie);
    // Closes this copy and starts a new one once this one has let go of its pipe and maker.
    void Restart();
    // The program-wide commands of the application tool bar.
    void OnAppCommand(WPARAM wParam);
    uint32_t IsRestartPending() const { return restartPending_; }

    // The rectangle the window opens in: the saved [WINDOW] rect when its top-left corner
    // lies in a monitor's work area, else `current`; `current` as well while Shift is held.
    static RECT ChooseStartRect(const Inifile_CL& programIni, const RECT& current);

    // RegistrationHost_IF
    void AddRegisteredRow(const std::wstring& path, const std::wstring& text) override;
    void AddRejectedRow(const std::wstring& path, const std::wstring& text) override;
    void ClearListenerBitmaps() override;
    void SelectCategoryTab(int category, int showBrowser) override;
    void SelectSortTab(int tab) override;
    void RebuildCategoryTabs() override;
    void RefreshMovieList() override;
    void RequestMissingThumbnails() override;

    // AlbumUiBinding_IF: called from the data-load thread, run on this window's thread.
    void BindAndLoadBrowserHistories(const Inifile_CL* albumIni) override;
    void SaveBrowserHistories() override;
    void SaveIncSearchHistory() override;

    // ViewHost_IF
    HWND GetCategoryToolBarWindow() override { return categoryToolBar_.window; }
    void PlayCompleteBeep(int saveFirst) override;
    CategoryListWindow_CL* GetCategoryListWindow() override { return categoryList_; }
    void SetStatusText(int part, const std::wstring& text) override { statusBar_.SetText(text, part); }

    BrowserBaseReelvault_CL& GetBrowser() { return browser_; }
    StatusBar_CL& GetStatusBar() { return statusBar_; }
    MainMenu_CL* GetMainMenu() const { return mainMenu_.get(); }
    CategoryListWindow_CL* GetCategoryListView() const { return categoryList_; }
    MovieListWindow_CL* GetMovieGrid() const { return movieGrid_; }
    MovieIncSearch_CL* GetSearchBar() const { return searchBar_.get(); }
    Tab_CL* GetCategoryTab() const { return categoryTab_; }
    Tab_CL* GetSortTab() const { return sortTab_; }
    HWND GetCategoryTabWindow() const;
    HWND GetSortTabWindow() const;
    HWND GetPaneToolBarWindow() const { return paneToolBar_.window; }
    const ToolBar_CL* GetCategoryToolBar() const { return &categoryToolBar_; }
    DialogDataLoad_CL* GetSplash() const { return splash_.get(); }
    uint32_t IsReady() const { return ready_; }
    uint32_t GetCloseState() const { return closeState_; }

private:
    void CreateViews();
    // The grid's frame size and count from the display settings, with the label font size.
    void ApplyGridLayout(int fontSize);
    void CreateToolBarsAndTabs();
    void CreateMenuAndBands();
    void NavigateHome();
    void StartClosing();
    // The commands the main window answers itself (the search bar's clear, the web tab).
    void OnCommand(WPARAM wParam, LPARAM lParam);
    void OnDataLoadEnd();
    void OnThumbnailChanged(uint32_t decodeKey);
    BOOL OnCopyData(const COPYDATASTRUCT* data);
    void OnStatusBarSize(int clientWidth);
    void EnableControls(BOOL enable);
    // The browser host or the movie grid in the content area.
    void ShowBrowser(bool browser);
    // Runs the work on this window's thread (the data-load thread calls in).
    void RunOnWindowThread(const std::function<void()>& work);
    void OnCategoryTabNotify(UINT code);
    void OnSortTabNotify(UINT code);
    void OnMovieGridNotify(UINT code, int item);
    // Runs the sub-category's name as a web search with a randomly chosen engine.
    void SearchSubCategoryOnTheWeb(const std::wstring& name);
    // The sort tab changed its number of rows: lay the window out again.
    void CheckSortTabRows();
    // The end of the restart, once the pipe is closed and the maker stopped.
    void StartNewCopy();
    // Movie item commands (app/commands/MainWindowItemCommands.cpp).
    void RunItemCommandWith(uint32_t command, int backwards, void* parameter1, void* parameter2, int all = 0);
    void PlayCurrentMovie(uint32_t command);
    void PlayMovieList(uint32_t command, int all);
    void MinimiseForPlay();
    void RemoveHoveredTag();
    void DeleteSelectedMovies();
    void RemoveSelectionFromPlaylist();

    std::unique_ptr<MyPipeServer_CL> pipeServer_;
    uint32_t closeState_ = 0;
    HANDLE* mutexHandle_;
    uint32_t ready_ = 0;
    uint32_t destroyed_ = 0;
    ControlFactory_CL controls_;
    Tab_CL* categoryTab_ = nullptr;
    CategoryListWindow_CL* categoryList_ = nullptr;
    Tab_CL* sortTab_ = nullptr;
    MovieListWindow_CL* movieGrid_ = nullptr;
    std::unique_ptr<MovieIncSearch_CL> searchBar_;
    ImageList_CL dotImages_;
    std::unique_ptr<DialogDataLoad_CL> splash_;
    StatusBar_CL statusBar_;
    std::unique_ptr<MainMenu_CL> mainMenu_;
    BrowserBaseReelvault_CL browser_;
    ToolBar_CL paneToolBar_;
    ToolBar_CL categoryToolBar_;
    uint32_t categoryPaneVisible_ = 1;
    RECT contentRect_ = {};
    uint32_t updateFlag_ = 0;
    DispSettingData_CL* displaySettings_;
    int sortTabRows_ = 0;
    uint32_t suppressNavigation_ = 0;
    std::unique_ptr<MovieRegistration_CL> registration_;
    std::unique_ptr<UiThreadInvoker_CL> invoker_;
    // Set by Restart: the new copy starts at the end of WM_DESTROY (or before the watchdog
    // ends this process).
    uint32_t restartPending_ = 0;
    std::unique_ptr<ItemCommandSteps_CL> itemSteps_;
    ItemActionContext itemAction_;
    ItemCommandApplier itemCommandApplier_;
};

// The program's main window while it exists, else null.
extern MainWindow_CL* g_mainWindow;

// After a long action: saves the whole album first when saveFirst is 1, then beeps unless
// [ALBUM_INFO] no_complete_beep is set.
void PlayCompleteBeep(int saveFirst);
