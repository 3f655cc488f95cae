#include "app/commands/ItemCommandSteps.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdlib>

#include "core/album/AlbumFiles.h"
#include "core/album/PlaydeckSync.h"
#include "core/album/SaveData.h"
#include "core/base/Log.h"
#include "core/base/PathName.h"
#include "core/base/UiThreadInvoker.h"
#include "core/ipc/PipeClient.h"
#include "core/ipc/StillforgeRequest.h"
#include "ui/views/MovieListView.h"

namespace {

// The order in which a cell's frames are chosen from the movie's ten: a cell of N frames
// shows the first N of these, sorted.
constexpr int kCellFrameChoice[ItemMovieData_CL::kFavoritesFrameCount] = {1, 8, 4, 5, 2, 7, 3, 6, 0, 9};

// Frame positions a re-fetch asks for: spread evenly, or drawn at random by the maker.
constexpr int64_t kEvenFramePosition = -1;
constexpr int64_t kRandomFramePosition = -2;

// Deletes one of a movie's files; false, with the failure logged, when it stays.
bool DeleteMovieFile(const std::wstring& path)
{
    if (DeleteAlbumFile(path)) return true;
    WriteLog(AppLog, L"アイテム削除: ファイルを削除できません(%lu) %s", GetLastError(), path.c_str());
    return false;
}

}  // namespace

bool IsItemCommand(uint32_t command)
{
    return (command >= kItemPlay && command <= kItemRemoveFromPlaylist) ||
           (command >= kItemPlayWithPlayer && command <= kItemPlayWithPlayerLast);
}

std::vector<int> CellFrameOrder(int framesPerCell)
{
    const int n = std::clamp(framesPerCell, 1, ItemMovieData_CL::kFavoritesFrameCount);
    std::vector<int> frames(kCellFrameChoice, kCellFrameChoice + n);
    std::sort(frames.begin(), frames.end());
    return frames;
}

int64_t PlayStartPosition(const ItemMovieData_CL& movie, int framesPerCell, int32_t focusIndex, int32_t hoverIndex,
                          int32_t hotSlot)
{
    if (focusIndex != hoverIndex || hotSlot < 0) return 0;
    const std::vector<int> frames = CellFrameOrder(framesPerCell);
    if (static_cast<size_t>(hotSlot) >= frames.size()) return 0;
    const size_t frame = static_cast<size_t>(frames[static_cast<size_t>(hotSlot)]);
    if (frame >= movie.favorites_frames.size()) return 0;
    const int64_t position = movie.favorites_frames[frame].fav;
    return position < 0 ? 0 : position;
}

void ShufflePlayOrder(std::vector<uint32_t>& order)
{
    const size_t n = order.size();
    for (size_t i = 0; i < n; ++i) {
        const size_t a = static_cast<size_t>(rand()) % n;
        const size_t b = static_cast<size_t>(rand()) % n;
        std::swap(order[a], order[b]);
    }
}

std::wstring ExplorerSelectParameter(const std::wstring& path)
{
    return L"/select,\"" + path + L"\"";
}

void OpenMovieFolder(const std::wstring& moviePath)
{
    wchar_t windows[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_WINDOWS, nullptr, SHGFP_TYPE_CURRENT, windows))) return;
    const std::wstring program = std::wstring(windows) + L"\\EXPLORER.EXE";
    const std::wstring parameters = ExplorerSelectParameter(moviePath);
    ShellExecuteW(nullptr, L"open", program.c_str(), parameters.c_str(), nullptr, SW_SHOWNORMAL);
}

void RemoveDeletedRecords(std::vector<ItemMovieData_CL>& records, std::vector<int32_t>& indices,
                          const std::vector<int32_t>& positions)
{
    for (int32_t position : positions) {
        if (position < 0 || static_cast<size_t>(position) >= indices.size()) continue;
        const int32_t record = indices[static_cast<size_t>(position)];
        if (record < 0 || static_cast<size_t>(record) >= records.size()) continue;
        records.erase(records.begin() + record);
        indices.erase(indices.begin() + position);
        for (int32_t& index : indices) {
            if (index >= record) --index;
        }
    }
}

void SendDeleteRequest(const Kiln_RequestDeleteRequest_CL& request)
{
    if (request.keys.empty()) return;
    // An absent maker has nothing queued to forget.
    PipeClient_CL::SendOnce(GetThumbnailMakerPipeName(), request);
}

ItemCommandSteps_CL::ItemCommandSteps_CL(SaveData_CL& data, const UiThreadInvoker_CL& ui, MovieListView_CL* grid,
                                         std::function<void(ItemMovieData_CL&)> recordPlay)
    : data_(data), ui_(ui), grid_(grid), recordPlay_(std::move(recordPlay))
{
}

int ItemCommandSteps_CL::Apply(uint32_t command, int32_t position, void* parameter1, void* parameter2,
                               ItemMovieData_CL& movie)
{
    switch (command) {
    case kItemPlayListInOrder:
    case kItemPlaySelectedInOrder:
    case kItemPlaySelectedRandom:
    case kItemPlayListRandom:
        AddToPlayList(movie, parameter1, parameter2);
        return 1;
    case kItemSetCategory:
        if (parameter1) SetCategory(movie, *static_cast<const ItemCategoryPair*>(parameter1));
        return 1;
    case kItemAddTags:
        if (parameter1 && parameter2)
            AddTags(movie, *static_cast<int32_t*>(parameter1), *static_cast<const std::wstring*>(parameter2));
        return 1;
    case kItemRemoveTag:
        if (parameter1) RemoveTag(movie, *static_cast<const std::wstring*>(parameter1));
        return 1;
    case kItemRefetch:
    case kItemRefetchRandom:
    case kItemRefetchEven:
        Refetch(command, position, movie);
        return 1;
    case kItemOpenFolder:
        // One Explorer window is enough: the walk stops after the first selected movie.
        OpenMovieFolder(movie.link_name);
        return 0;
    case kItemDelete:
        if (parameter1 && parameter2)
            PrepareDelete(position, movie, *static_cast<Kiln_RequestDeleteRequest_CL*>(parameter1),
                          *static_cast<std::vector<int32_t>*>(parameter2));
        return 1;
    case kItemAddToPlaylist:
        if (parameter1) AddToPlaylist(movie, *static_cast<ItemCategoryData_CL*>(parameter1));
        return 1;
    case kItemRemoveFromPlaylist:
        if (parameter1) RemoveFromPlaylist(movie, *static_cast<ItemCategoryData_CL*>(parameter1));
        return 1;
    default:
        if (command >= kItemStarsNone && command <= kItemStarsFive) SetStars(command, movie);
        return 1;
    }
}

void ItemCommandSteps_CL::OnUiThread(const std::function<void()>& work) const
{
    // Never run on the worker instead: the grid may be painting from what work changes.
    if (!ui_.Invoke(work)) WriteLog(AppLog, L"アイテム処理: 画面スレッドで実行できませんでした");
}

void ItemCommandSteps_CL::AddToPlayList(ItemMovieData_CL& movie, void* paths, void* order)
{
    if (!paths || !order || movie.link_name.empty()) return;
    auto& pathList = *static_cast<std::vector<std::wstring>*>(paths);
    auto& orderList = *static_cast<std::vector<uint32_t>*>(order);
    if (recordPlay_) recordPlay_(movie);
    pathList.push_back(movie.link_name);
    orderList.push_back(static_cast<uint32_t>(orderList.size()));
}

void ItemCommandSteps_CL::SetCategory(ItemMovieData_CL& movie, const ItemCategoryPair& pair)
{
    OnUiThread([&] {
        movie.category = pair.category;
        movie.sub_category = pair.subCategory;
        movie.UpdateCategoryHash();
    });
    movie.WriteContentsIni();
}

void ItemCommandSteps_CL::AddTags(ItemMovieData_CL& movie, int32_t& firstMovie, const std::wstring& text)
{
    int added = 0;
    OnUiThread([&] { added = data_.AddTagsToMovie(movie, text, firstMovie); });
    if (added != 0) movie.WriteContentsIni();
    firstMovie = 0;
}

void ItemCommandSteps_CL::RemoveTag(ItemMovieData_CL& movie, const std::wstring& tag)
{
    bool removed = false;
    OnUiThread([&] {
        auto found = std::find(movie.tags.begin(), movie.tags.end(), tag);
        if (found == movie.tags.end()) return;
        movie.tags.erase(found);
        movie.SortTags();
        removed = true;
    });
    if (removed) movie.WriteContentsIni();
}

void ItemCommandSteps_CL::DeleteThumbnail(int32_t position, const ItemMovieData_CL& movie)
{
    OnUiThread([&] {
        if (grid_ && position >= 0) {
            grid_->DeleteItemThumbnail(static_cast<uint32_t>(position));
        } else {
            DeleteFileW(movie.GetThumbnailPath().c_str());
        }
    });
}

void ItemCommandSteps_CL::Refetch(uint32_t command, int32_t position, ItemMovieData_CL& movie)
{
    DeleteThumbnail(position, movie);
    OnUiThread([&] {
        movie.run_decode = 1;
        if (command == kItemRefetch) return;
        const int64_t wanted = command == kItemRefetchEven ? kEvenFramePosition : kRandomFramePosition;
        for (FavoritesFrameEntry& frame : movie.favorites_frames) frame.fav = wanted;
    });
}

void ItemCommandSteps_CL::SetStars(uint32_t command, ItemMovieData_CL& movie)
{
    movie.star_count = command - kItemStarsNone;
    // The sibling player's copy takes the new rating.
    SyncWithPlaydeck(movie, 1);
    movie.WriteContentsIni();
}

void ItemCommandSteps_CL::AddToPlaylist(ItemMovieData_CL& movie, ItemCategoryData_CL& playlist)
{
    OnUiThread([&] { playlist.playlist.push_back(movie.ini_name); });
}

void ItemCommandSteps_CL::RemoveFromPlaylist(ItemMovieData_CL& movie, ItemCategoryData_CL& playlist)
{
    OnUiThread([&] {
        auto found = std::find(playlist.playlist.begin(), playlist.playlist.end(), movie.ini_name);
        if (found != playlist.playlist.end()) playlist.playlist.erase(found);
    });
}

void ItemCommandSteps_CL::PrepareDelete(int32_t position, ItemMovieData_CL& movie,
                                        Kiln_RequestDeleteRequest_CL& request, std::vector<int32_t>& positions)
{
    // The contents file is the movie: one that stays would bring the movie back at the next
    // load, so the movie leaves the album only once that file is gone.
    if (!DeleteMovieFile(movie.ini_name)) return;
    DeleteThumbnail(position, movie);
    request.keys.push_back(movie.decode_key);
    DeleteMovieFile(PathName_CL::RemoveExtension(movie.ini_name) + L".jpg");
    positions.push_back(position);
}
