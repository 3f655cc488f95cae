#pragma once
// What a movie-item command does to one movie of the progress walk, and the small pieces the
// commands share before and after the walk: the start frame of a play, the shuffled play
// order, Explorer's parameter, the records a delete removes and its request to the maker.
//
// The walk runs on the progress dialog's worker while the grid keeps painting on the
// user-interface thread. Whatever the grid paints from (tag vectors, category strings, the
// strip cache, playlists) is changed on the user-interface thread through the invoker; file
// work (contents inis, the sibling player's files, deletes, the pipe) stays on the worker.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/album/ItemCategoryData.h"
#include "core/album/ItemMovieData.h"
#include "core/ipc/Kiln_RequestDeleteRequest.h"

class MovieListView_CL;
class SaveData_CL;
class UiThreadInvoker_CL;

// The identifiers the movie item commands own.
enum ItemCommandId : uint32_t {
    kItemPlay = 0x8000,
    kItemPlayFromStart = 0x8001,
    kItemPlayListInOrder = 0x8002,
    kItemPlaySelectedInOrder = 0x8003,
    kItemPlaySelectedRandom = 0x8004,
    kItemPlayListRandom = 0x8005,
    kItemPlayAssociated = 0x8006,
    kItemSetCategory = 0x8010,
    kItemAddTags = 0x8019,
    kItemRemoveTag = 0x801A,
    kItemSelectThumbnail = 0x8020,
    kItemRefetch = 0x8030,
    kItemRefetchRandom = 0x8031,
    kItemRefetchEven = 0x8032,
    kItemStarsNone = 0x8040,
    kItemStarsFive = 0x8045,
    kItemOpenFolder = 0x8050,
    kItemDelete = 0x8060,
    kItemContents = 0x8070,
    kItemCategoryPicture = 0x8090,
    kItemAddToPlaylist = 0x80A0,
    kItemRemoveFromPlaylist = 0x80B0,
    kItemPlayWithPlayer = 0x8500,
    kItemPlayWithPlayerLast = 0x851F,
};

// Whether the identifier is one of the movie item commands.
bool IsItemCommand(uint32_t command);

// What the commands hand to the per-movie step (parameter 1 and 2 of the walk's context).
// Each lives on the stack of the command for the length of the walk.
struct ItemCategoryPair {  // 0x8010, parameter 1: the chosen top category and sub-category
    std::wstring category;
    std::wstring subCategory;
};

// The thumbnail frames a cell of framesPerCell frames (1..10) shows, left to right.
std::vector<int> CellFrameOrder(int framesPerCell);

// Where a play of the movie starts: the position of the thumbnail frame under the pointer,
// when the focused cell is the hovered one and a frame slot of it is hovered; else 0. An
// unset position (-1 or -2) starts at 0 as well.
int64_t PlayStartPosition(const ItemMovieData_CL& movie, int framesPerCell, int32_t focusIndex, int32_t hoverIndex,
                          int32_t hotSlot);

// Mixes the play order in place: n swaps of two positions drawn with rand().
void ShufflePlayOrder(std::vector<uint32_t>& order);

// Explorer's parameters that open the folder of path with the file selected. The path is
// quoted: Explorer splits its arguments at commas, which file names may hold.
std::wstring ExplorerSelectParameter(const std::wstring& path);
// Opens the movie's folder in the system's Explorer with the movie selected.
void OpenMovieFolder(const std::wstring& moviePath);

// After a delete walk: erases, for each list position in the order collected (highest
// first), its record from the vector and the position from the list; list entries behind an
// erased record move one lower. Positions outside the list are ignored.
void RemoveDeletedRecords(std::vector<ItemMovieData_CL>& records, std::vector<int32_t>& indices,
                          const std::vector<int32_t>& positions);
// Tells the thumbnail maker to forget the deleted movies; nothing is sent without a key.
void SendDeleteRequest(const Kiln_RequestDeleteRequest_CL& request);

class ItemCommandSteps_CL {
public:
    // ui runs the changes the views read; grid (may be null) drops cached strips; recordPlay
    // counts one play of a movie handed to the sibling player in a list.
    ItemCommandSteps_CL(SaveData_CL& data, const UiThreadInvoker_CL& ui, MovieListView_CL* grid,
                        std::function<void(ItemMovieData_CL&)> recordPlay);

    // Applies the command to the movie at list position; 1 = go on with the next movie,
    // 0 = stop the walk. Parameters as the commands give them:
    //   0x8002-0x8005: std::vector<std::wstring> paths, std::vector<uint32_t> order;
    //   0x8010: ItemCategoryPair;  0x801A: std::wstring tag;
    //   0x8019: int32_t first-movie flag (1 at the start; only that movie feeds the tag
    //           history), std::wstring text;
    //   0x80A0, 0x80B0: ItemCategoryData_CL playlist;
    //   0x8060: Kiln_RequestDeleteRequest_CL, std::vector<int32_t> positions.
    int Apply(uint32_t command, int32_t position, void* parameter1, void* parameter2, ItemMovieData_CL& movie);

private:
    void AddToPlayList(ItemMovieData_CL& movie, void* paths, void* order);
    void SetCategory(ItemMovieData_CL& movie, const ItemCategoryPair& pair);
    void AddTags(ItemMovieData_CL& movie, int32_t& firstMovie, const std::wstring& text);
    void RemoveTag(ItemMovieData_CL& movie, const std::wstring& tag);
    void Refetch(uint32_t command, int32_t position, ItemMovieData_CL& movie);
    void SetStars(uint32_t command, ItemMovieData_CL& movie);
    void AddToPlaylist(ItemMovieData_CL& movie, ItemCategoryData_CL& playlist);
    void RemoveFromPlaylist(ItemMovieData_CL& movie, ItemCategoryData_CL& playlist);
    void PrepareDelete(int32_t position, ItemMovieData_CL& movie, Kiln_RequestDeleteRequest_CL& request,
                       std::vector<int32_t>& positions);
    // The movie's cached strip dropped and its thumbnail file deleted.
    void DeleteThumbnail(int32_t position, const ItemMovieData_CL& movie);
    void OnUiThread(const std::function<void()>& work) const;

    SaveData_CL& data_;
    const UiThreadInvoker_CL& ui_;
    MovieListView_CL* grid_;
    std::function<void(ItemMovieData_CL&)> recordPlay_;
};
