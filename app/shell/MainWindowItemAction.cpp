// The walk of a movie-item command over the current movie list: which movies, in which
// order, when it stops, and the progress it shows.
#include <windows.h>
#include <commctrl.h>

#include "app/shell/MainWindow.h"
#include "app/shell/MovieListActionProgress.h"
#include "core/album/SaveData.h"
#include "core/base/Log.h"
#include "ui/views/MovieListWindow.h"

void MainWindow_CL::RunItemAction(uint32_t command, int backwards, int all)
{
    WriteLog(AppLog, L"アイテムの巡回(開始)");
    itemAction_.command = command;
    itemAction_.position = 0;
    {
        MovieListActionProgress_CL progress(this, command, backwards, all);
        if (progress.DoModal(hwnd) == kProgressJobNotStarted)
            WriteLog(AppLog, L"進捗ダイアログを表示できないため、コマンド 0x%04x は実行されませんでした。", command);
        // The dialog ends from the worker's last step; the worker is waited for before the
        // object (and with it the thread's start event) goes.
        progress.WaitWorker();
    }
    WriteLog(AppLog, L"アイテムの巡回(終了)");
}

void MainWindow_CL::ForEachListItem(EasyProgress_CL* progress, uint32_t command, int backwards, int all)
{
    itemAction_.command = command;
    itemAction_.position = 0;
    ItemMovieView_CL& list = displaySettings_->movie_view;
    const size_t count = list.records ? list.size() : 0;
    // The total is the selected count also when every movie is applied: with one movie
    // selected the bar is then full after the first.
    uint32_t selectedLeft = movieGrid_ ? movieGrid_->GetSelectedCount() : 0;
    if (progress) progress->AddTotal(selectedLeft);

    for (size_t step = 0; step < count; ++step) {
        const size_t position = backwards ? count - 1 - step : step;
        const bool applies = all || (movieGrid_ && movieGrid_->IsSelected(static_cast<uint32_t>(position)) == 1);
        const int32_t record = list.indices[position];
        bool last = false;
        // A list entry that names no record is passed over like an unselected movie.
        if (applies && record >= 0 && static_cast<size_t>(record) < list.records->size()) {
            itemAction_.position = static_cast<int32_t>(position);
            ItemMovieData_CL& movie = (*list.records)[static_cast<size_t>(record)];
            const int result =
                itemCommandApplier_ ? itemCommandApplier_(itemAction_, movie) : ApplyItemCommand(itemAction_, movie);
            if (result == 0) break;
            // Past the last selected movie nothing more is applied.
            if (!all && selectedLeft > 0 && --selectedLeft == 0) last = true;
        }
        if (progress) progress->AddDone(1);
        if (last) break;
    }

    if (progress && progress->progressBar && progress->progressBar->hwnd) {
        HWND bar = progress->progressBar->hwnd;
        const LRESULT position = SendMessageW(bar, PBM_GETPOS, 0, 0);
        SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
        InvalidateRect(bar, nullptr, TRUE);
    }
    if (hwnd) InvalidateRect(hwnd, nullptr, FALSE);
}
