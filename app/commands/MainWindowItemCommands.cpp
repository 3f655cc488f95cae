// The main window's movie item commands: what each does before and after the progress walk
// on the user-interface thread, and the players it starts. The per-movie work is
// ItemCommandSteps_CL's, run by the walk on its worker.
#include <windows.h>

#include "app/commands/ItemCommandSteps.h"
#include "app/shell/MainWindow.h"
#include "core/album/MoviePlayLauncher.h"
#include "core/album/SaveData.h"
#include "core/base/UiThreadInvoker.h"
#include "ui/views/CategoryListWindow.h"
#include "ui/views/MovieListWindow.h"

namespace {

const wchar_t kDeleteTitle[] = L"アイテム削除確認";
const wchar_t kDeleteQuestion[] =
    L"選択されているアイテム情報を削除します。アイテム情報を削除しても、関連付けされているmpgなどの動画ファイルは削除されません。削除を実行しますか？";
const wchar_t kRemoveFromPlaylistQuestion[] =
    L"選択されているアイテムをプレイリストから削除します。\r\nプレイリストから削除しても、アイテム情報は削除されません。削除を実行しますか？";

bool PlaysOneMovie(uint32_t command)
{
    return command == kItemPlay || command == kItemPlayFromStart || command == kItemPlayAssociated ||
           (command >= kItemPlayWithPlayer && command <= kItemPlayWithPlayerLast);
}

}  // namespace

void MainWindow_CL::OnItemCommand(WPARAM wParam)
{
    const uint32_t command = LOWORD(wParam);
    if (!IsItemCommand(command)) return;
    if (PlaysOneMovie(command)) {
        PlayCurrentMovie(command);
        return;
    }
    switch (command) {
    case kItemPlayListInOrder:
    case kItemPlayListRandom:
        PlayMovieList(command, 1);
        return;
    case kItemPlaySelectedInOrder:
    case kItemPlaySelectedRandom:
        PlayMovieList(command, 0);
        return;
    case kItemRemoveTag:
        RemoveHoveredTag();
        return;
    case kItemRefetch:
    case kItemRefetchRandom:
    case kItemRefetchEven:
        RunItemCommandWith(command, 0, nullptr, nullptr);
        PlayCompleteBeep(1);
        g_saveData.movie_list.RequestMissingThumbnails();
        return;
    case kItemOpenFolder:
        RunItemCommandWith(command, 0, nullptr, nullptr);
        PlayCompleteBeep(0);
        return;
    case kItemDelete:
        DeleteSelectedMovies();
        return;
    case kItemRemoveFromPlaylist:
        RemoveSelectionFromPlaylist();
        return;
    default:
        break;
    }
    if (command >= kItemStarsNone && command <= kItemStarsFive) {
        RunItemCommandWith(command, 0, nullptr, nullptr);
        if (movieGrid_ && movieGrid_->hwnd) InvalidateRect(movieGrid_->hwnd, nullptr, FALSE);
        PlayCompleteBeep(1);
    }
    // The category, tag, playlist, thumbnail-image and contents commands stop where their
    // dialog opens, as if it had been cancelled, until the dialogs exist; the dialogs hand
    // their results to SetCategoryOfSelection, AddTagsToSelection and AddSelectionToPlaylist.
}

void MainWindow_CL::RunItemCommandWith(uint32_t command, int backwards, void* parameter1, void* parameter2, int all)
{
    if (!itemSteps_ && invoker_) {
        itemSteps_ = std::make_unique<ItemCommandSteps_CL>(g_saveData, *invoker_, movieGrid_,
                                                           [this](ItemMovieData_CL& movie) { RecordPlay(movie); });
    }
    if (!itemSteps_) return;
    itemAction_.parameter1 = parameter1;
    itemAction_.parameter2 = parameter2;
    RunItemAction(command, backwards, all);
    itemAction_.parameter1 = nullptr;
    itemAction_.parameter2 = nullptr;
}

int MainWindow_CL::ApplyItemCommand(ItemActionContext& context, ItemMovieData_CL& movie)
{
    if (!itemSteps_) return 0;
    return itemSteps_->Apply(context.command, context.position, context.parameter1, context.parameter2, movie);
}

void MainWindow_CL::PlayCurrentMovie(uint32_t command)
{
    DispSettingData_CL& settings = *displaySettings_;
    const int32_t current = settings.view_index;
    if (current < 0 || static_cast<size_t>(current) >= settings.movie_view.size()) return;
    std::wstring player;
    if (command >= kItemPlayWithPlayer) {
        const size_t number = command - kItemPlayWithPlayer;
        if (number >= g_saveData.player_info.players.size()) return;
        player = g_saveData.player_info.players[number].name;
    }
    MinimiseForPlay();
    ItemMovieData_CL& movie = settings.movie_view.at(static_cast<size_t>(current));
    int64_t start = 0;
    if (command != kItemPlayFromStart && movieGrid_) {
        start = PlayStartPosition(movie, settings.thumbnail_count, movieGrid_->GetFocusIndex(), movieGrid_->hoverIndex,
                                  movieGrid_->hotIndex);
    }
    PlayMovieWithPlayer(movie, start, command, player.empty() ? nullptr : player.c_str());
}

void MainWindow_CL::PlayMovieList(uint32_t command, int all)
{
    if (displaySettings_->playdeck_command.empty()) {
        MessageBoxW(hwnd, L"プレイリストの再生には「Playdeck」が必要です。", L"お知らせ", MB_OK);
        return;
    }
    MinimiseForPlay();
    std::vector<std::wstring> paths;
    std::vector<uint32_t> order;
    RunItemCommandWith(command, 0, &paths, &order, all);
    if (command == kItemPlaySelectedRandom || command == kItemPlayListRandom) ShufflePlayOrder(order);
    PlayPlaylistFile(paths, order);
}

void MainWindow_CL::MinimiseForPlay()
{
    if (g_saveData.program_ini.ReadInt(L"ALBUM_INFO", L"play_minimize", 0) != 0) ShowWindow(hwnd, SW_MINIMIZE);
}

void MainWindow_CL::RemoveHoveredTag()
{
    if (!movieGrid_) return;
    const ItemMovieView_CL& list = displaySettings_->movie_view;
    const int32_t hovered = movieGrid_->hoverIndex;
    const int32_t tag = movieGrid_->HoveredTagIndex();
    if (hovered < 0 || static_cast<size_t>(hovered) >= list.size() || tag < 0) return;
    const ItemMovieData_CL& movie = list.at(static_cast<size_t>(hovered));
    if (static_cast<size_t>(tag) >= movie.tags.size()) return;
    std::wstring text = movie.tags[static_cast<size_t>(tag)];
    RunItemCommandWith(kItemRemoveTag, 0, &text, nullptr);
    PlayCompleteBeep(1);
}

void MainWindow_CL::SetCategoryOfSelection(const ItemCategoryPair& pair)
{
    ItemCategoryPair chosen = pair;
    RunItemCommandWith(kItemSetCategory, 0, &chosen, nullptr);
    RebuildCategoryTabs();
    RefreshMovieList();
    if (categoryList_ && categoryList_->hwnd) InvalidateRect(categoryList_->hwnd, nullptr, FALSE);
    PlayCompleteBeep(1);
}

void MainWindow_CL::AddTagsToSelection(const std::wstring& text)
{
    if (text.empty()) return;
    int32_t firstMovie = 1;
    std::wstring tags = text;
    RunItemCommandWith(kItemAddTags, 0, &firstMovie, &tags);
    PlayCompleteBeep(1);
}

void MainWindow_CL::AddSelectionToPlaylist(ItemCategoryData_CL& playlist)
{
    RunItemCommandWith(kItemAddToPlaylist, 0, &playlist, nullptr);
    playlist.WriteIni();
    PlayCompleteBeep(1);
}

void MainWindow_CL::DeleteSelectedMovies()
{
    if (MessageBoxW(hwnd, kDeleteQuestion, kDeleteTitle, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    // The grid draws no cells from the list until the refresh after the records are gone.
    if (movieGrid_) movieGrid_->updatePending = 1;
    Kiln_RequestDeleteRequest_CL request;
    std::vector<int32_t> positions;
    RunItemCommandWith(kItemDelete, 1, &request, &positions);
    SendDeleteRequest(request);
    RemoveDeletedRecords(g_saveData.movie_list.records, displaySettings_->movie_view.indices, positions);
    RebuildCategoryTabs();
    RefreshMovieList();
    PlayCompleteBeep(1);
}

void MainWindow_CL::RemoveSelectionFromPlaylist()
{
    if (MessageBoxW(hwnd, kRemoveFromPlaylistQuestion, kDeleteTitle, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    ItemCategoryView_CL& categories = displaySettings_->sub_category_view;
    const int32_t current = displaySettings_->selected_sub_category;
    if (!categories.records || current < 0 || static_cast<size_t>(current) >= categories.size()) return;
    ItemCategoryData_CL& playlist = categories.at(static_cast<size_t>(current));
    if (movieGrid_) movieGrid_->updatePending = 1;
    RunItemCommandWith(kItemRemoveFromPlaylist, 1, &playlist, nullptr);
    playlist.WriteIni();
    RebuildCategoryTabs();
    RefreshMovieList();
    PlayCompleteBeep(1);
}

void MainWindow_CL::PlayMovieWithPlayer(ItemMovieData_CL& movie, int64_t startPosition, uint32_t command,
                                        const wchar_t* player)
{
    ::PlayMovieWithPlayer(g_saveData, movie, startPosition, command, player, movieGrid_ ? movieGrid_->hwnd : nullptr);
}

void MainWindow_CL::PlayPlaylistFile(const std::vector<std::wstring>& paths, const std::vector<uint32_t>& order)
{
    ::PlayPlaylistFile(g_saveData, paths, order);
}
