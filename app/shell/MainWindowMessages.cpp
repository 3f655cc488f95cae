// The main window's message handling: the close protocol, the splash, the thumbnail maker's
// answers, the sibling player's updates.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "app/menus/MainMenu.h"
#include "app/shell/MainWindow.h"
#include "app/shell/MessageLoop.h"
#include "app/startup/DialogDataLoad.h"
#include "core/album/SaveData.h"
#include "core/base/Log.h"
#include "core/ipc/MyPipeServer.h"
#include "core/ipc/StillforgeRequest.h"
#include "ui/views/CategoryListWindow.h"
#include "ui/views/MovieIncSearch.h"
#include "ui/views/MovieListWindow.h"

void MainWindow_CL::PlayCompleteBeep(int saveFirst) { ::PlayCompleteBeep(saveFirst); }

void PlayCompleteBeep(int saveFirst)
{
    if (saveFirst == 1) g_saveData.SaveAll();
    if (g_saveData.program_ini.ReadInt(L"ALBUM_INFO", L"no_complete_beep", 0) != 0) return;
    MessageBeep(MB_ICONASTERISK);
}

void MainWindow_CL::SaveWindowRect()
{
    if (!ready_ || !hwnd || IsIconic(hwnd)) return;
    if (g_saveData.program_ini.GetPath().empty()) return;
    RECT rect = {};
    if (!GetWindowRect(hwnd, &rect)) return;
    g_saveData.program_ini.WriteStruct(L"WINDOW", L"rect", &rect, sizeof(rect));
}

// Each group acts only on its own command ids.
void MainWindow_CL::DispatchCommand(WPARAM wParam)
{
    OnAppCommand(wParam);
    OnItemCommand(wParam);
}

LRESULT MainWindow_CL::WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (destroyed_) {
        // An answer that still reaches the window is freed unapplied.
        if (msg == WM_DECODE_RESPONSE) MyPipeServer_CL::TakeResponse(lParam);
        return DefWindowProcW(window, msg, wParam, lParam);
    }
    if (browser_.GetHostWindow()) browser_.HandleParentMessage(window, msg, wParam, lParam);

    switch (msg) {
    case WM_CREATE:
        SetUpWindow();
        ShowWindow(window, SW_SHOW);
        PostMessageW(window, WM_START_DATA_LOAD, 0, 0);
        break;
    case WM_DESTROY:
        // No answer can arrive for a window that is gone; a restart's new copy needs the pipe.
        pipeServer_.reset();
        FreeQueuedResponses(window);
        StopThumbnailMaker();
        g_saveData.SaveAll();
        destroyed_ = 1;
        PostQuitMessage(0);
        StartNewCopy();
        return 0;
    case WM_MOVE:
        SaveWindowRect();
        break;
    case WM_SIZE:
        if (!mainMenu_) break;
        if (wParam == SIZE_RESTORED) SaveWindowRect();
        mainMenu_->rebar.HandleParentMessage(window, msg, wParam, lParam);
        statusBar_.HandleMessage(window, msg, wParam, lParam);
        if (wParam == SIZE_MINIMIZED) SetFocus(window);
        OnSize();
        OnStatusBarSize(LOWORD(lParam));
        if (statusBar_.hwnd) SendMessageW(statusBar_.hwnd, WM_SIZE, wParam, lParam);
        break;
    case WM_CLOSE:
        if (closeState_ == kBothStopped) break;  // both views stopped: destroyed by default handling
        if (ready_) StartClosing();
        return 0;
    case WM_VIEW_STATE:
        closeState_ |= static_cast<uint32_t>(lParam);
        if (closeState_ == kBothStopped) PostMessageW(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_TIMER:
        // Only the watchdog ends the process: a WM_TIMER posted by anyone else is ignored.
        if (wParam != kCloseWatchdogTimer) return 0;
        WriteLog(AppLog, L"★終了処理がタイムアウトしました。プロセスを終了します。");
        if (restartPending_) {
            pipeServer_.reset();
            StartNewCopy();
        }
        if (HANDLE self = OpenProcess(PROCESS_TERMINATE, FALSE, GetCurrentProcessId())) {
            TerminateProcess(self, 0);
            CloseHandle(self);
        }
        PostQuitMessage(-1);
        return 0;
    case WM_COPYDATA:
        return OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_NOTIFY:
        if (mainMenu_) mainMenu_->rebar.HandleParentMessage(window, msg, wParam, lParam);
        OnNotify(reinterpret_cast<const NMHDR*>(lParam));
        break;
    case WM_COMMAND:
        OnCommand(wParam, lParam);
        DispatchCommand(wParam);
        break;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_SCREENSAVE || (wParam & 0xFFF0) == SC_MONITORPOWER) return 0;
        break;
    case WM_DROPFILES:
        // Registering drops comes with the drop dialog; the handle is released all the same.
        WriteLog(AppLog, L"ドロップされたファイルは登録されませんでした。");
        DragFinish(reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_START_DATA_LOAD:
        if (splash_) return 0;
        splash_ = std::make_unique<DialogDataLoad_CL>(this, &g_saveData);
        g_loadSplash = splash_.get();
        if (!splash_->CreateModeless(window)) {
            // Without the splash nothing would ever load the album; the window would stay
            // locked. Loading goes on without a picture.
            WriteLog(AppLog, L"起動画面を表示できません");
        }
        return 0;
    case WM_DECODE_RESPONSE: {
        std::unique_ptr<Kiln_ResponseDecode_CL> response = MyPipeServer_CL::TakeResponse(lParam);
        if (response) OnDecodeComplete(*response);
        return 0;
    }
    case WM_DATA_LOAD_END:
        OnDataLoadEnd();
        return 0;
    case WM_THUMBNAIL_CHANGED:
        OnThumbnailChanged(static_cast<uint32_t>(lParam));
        return 0;
    case WM_PIPE_RECEIVED:
        if (wParam != kPipeReceivedDecode) break;
        if (pipeServer_) pipeServer_->PostQueuedResponses();
        return 0;
    default:
        break;
    }
    if (mainMenu_) mainMenu_->HandleMenuDraw(window, msg, wParam, lParam);
    return DefWindowProcW(window, msg, wParam, lParam);
}

void MainWindow_CL::OnCommand(WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(wParam)) {
    case kIncSearchClearCommand:
        if (!searchBar_) return;
        searchBar_->SetSearchText(L"");
        searchBar_->RunSearch(0);
        return;
    case kShowWebTabCommand:
        // The browser navigated or searched: bring it forward when the grid is showing.
        if (lParam != 0 || displaySettings_->selected_sort_tab == 0) return;
        SelectCategoryTab(3, FALSE);
        RebuildCategoryTabs();
        return;
    default:
        // The search button and the quick-search buttons of the address bar.
        if (AddressBarReelvault_CL* addressBar = browser_.GetAddressBar()) addressBar->HandleSearchCommand(LOWORD(wParam));
        return;
    }
}

void MainWindow_CL::StartClosing()
{
    closeState_ = kClosing;
    SetTimer(hwnd, kCloseWatchdogTimer, kCloseWatchdogMs, nullptr);
    // A view that could not be made has nothing to finish.
    if (categoryList_ && categoryList_->hwnd)
        categoryList_->RequestReload(kCategoryViewReloadValue);
    else
        closeState_ |= kCategoryViewStopped;
    if (movieGrid_ && movieGrid_->hwnd)
        movieGrid_->RequestReload(kMovieGridReloadValue);
    else
        closeState_ |= kMovieGridStopped;
    if (closeState_ == kBothStopped) PostMessageW(hwnd, WM_CLOSE, 0, 0);
}

void MainWindow_CL::OnStatusBarSize(int clientWidth)
{
    if (!statusBar_.hwnd) return;
    const int letter = statusBar_.GetTextWidth(L"Ｗ");
    int edges[3] = {clientWidth - 24 * letter, clientWidth - 12 * letter, clientWidth};
    SendMessageW(statusBar_.hwnd, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges));
}

void MainWindow_CL::EnableControls(BOOL enable)
{
    if (categoryToolBar_.window) EnableWindow(categoryToolBar_.window, enable);
    if (GetCategoryTabWindow()) EnableWindow(GetCategoryTabWindow(), enable);
    if (GetSortTabWindow()) EnableWindow(GetSortTabWindow(), enable);
    if (searchBar_ && searchBar_->window) EnableWindow(searchBar_->window, enable);
    if (mainMenu_ && mainMenu_->GetToolBarWindow()) EnableWindow(mainMenu_->GetToolBarWindow(), enable);
}

void MainWindow_CL::OnDataLoadEnd()
{
    g_loadSplash = nullptr;
    const int fontSize = g_saveData.disp_setting.GetUiFontHeight();
    ApplyGridLayout(fontSize);
    if (categoryList_) categoryList_->SetThumbnailLayoutForFont(256, 144, 1, 0, fontSize, 0);
    SelectCategoryTab(3, TRUE);
    RebuildCategoryTabs();
    OnSize();
    EnableControls(TRUE);
    ready_ = 1;
    // The splash has ended; its window was only hidden.
    splash_.reset();
    WriteLog(AppLog, L"★起動処理が完了しました。");
}

void MainWindow_CL::OnThumbnailChanged(uint32_t decodeKey)
{
    if (movieGrid_) movieGrid_->OnThumbnailChanged(decodeKey);
}

BOOL MainWindow_CL::OnCopyData(const COPYDATASTRUCT* data)
{
    if (!data || data->dwData != kPlaydeckItemUpdateTag || data->cbData != kPlaydeckItemUpdateBytes) return FALSE;
    // The update walks the movie list and saves: not while the data-load thread fills it.
    if (!ready_) {
        WriteLog(AppLog, L"読み込み中のため、Playdeckからの更新を受け付けませんでした。");
        return FALSE;
    }
    if (g_saveData.UpdateItemFromPlaydeck(data->lpData, data->cbData) == 1 && movieGrid_ && movieGrid_->hwnd)
        InvalidateRect(movieGrid_->hwnd, nullptr, FALSE);
    return TRUE;
}
