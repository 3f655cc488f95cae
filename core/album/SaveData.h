#pragma once
// Everything the program holds about the open album and its own settings.
#include <windows.h>

#include <cstdint>
#include <string>

#include "core/album/AlbumData.h"
#include "core/album/AlbumUiBinding.h"
#include "core/album/DispSettingData.h"
#include "core/album/ItemCategoryDataList.h"
#include "core/album/ItemMovieDataList.h"
#include "core/album/MovieExtInfo.h"
#include "core/album/MoviePlayerInfo.h"
#include "core/base/Inifile.h"
#include "core/base/PathName.h"
#include "core/base/WebLoginRecord.h"

class SaveData_CL {
public:
    static constexpr int kWebLoginCount = 5;

    SaveData_CL();
    SaveData_CL(const SaveData_CL&) = delete;
    SaveData_CL& operator=(const SaveData_CL&) = delete;
    virtual ~SaveData_CL() = default;

    // Start-up: extension table, random seed, players, album list, album ini, tag history
    // and top categories.
    void LoadAlbumInfo();
    // Loads the open album (display settings, categories, movies, web logins); converts an
    // album ini written in the system code page to Unicode. Returns the movie list's result.
    int LoadAlbum();
    // Web logins, tag history, and the fast-start cache (deleted instead while the reload
    // flag is set). Returns the cache writer's result, 0 when the cache was deleted; does
    // nothing (0) before an album was loaded.
    int SaveAll();

    // Creates a category file under the lowest free number of the open album's category
    // folder, copies the picture beside it (a failed copy is ignored) and appends the new
    // record to the category list. Returns the record's index in the list, which stays
    // valid while records are only added, or -1 when no file could be made (no album
    // open, all 100,000 numbers taken, or the file could not be written).
    int32_t AddCategoryFile(std::wstring category, std::wstring subCategory, std::wstring pictureSource,
                            std::wstring findFolder);

    // Splits the text at spaces, control characters and U+3000 into tags of at most 64
    // units; the movie takes those it lacks while it holds fewer than 20. With toHistory 1
    // every tag also goes to the tag history. 1 when the movie had room, else 0.
    int AddTagsToMovie(ItemMovieData_CL& movie, std::wstring tagText, int toHistory);

    // The sibling player's item update (the 528 bytes of its WM_COPYDATA): rereads the named
    // movie's record, reloads the tag history and saves all. 1 when a record was reread; 0
    // for another size, a path without its terminator, an unknown movie, or a movie
    // without its thumbnail image.
    int UpdateItemFromPlaydeck(const void* data, size_t size);

    Inifile_CL program_ini;
    PathName_CL path_name;
    Inifile_CL album_ini;
    ItemCategoryDataList_CL category_list;
    ItemMovieDataList_CL movie_list;
    AlbumData_CL album_data;
    MovieExtInfo_CL ext_info;
    MoviePlayerInfo_CL player_info;
    std::wstring album_folder;
    int32_t reload_flag = 0;
    HWND progress_window = nullptr;
    WebLoginRecord web_logins[kWebLoginCount];
    DispSettingData_CL disp_setting;
    AlbumUiBinding_IF* ui = nullptr;

private:
    void ReadDisplaySettings();
    void WriteDisplaySettings();
    // Rewrites an album ini without the UTF-16LE mark as Unicode, keeping every key.
    void ConvertAnsiAlbumIni();
};

// The program's one album data object.
extern SaveData_CL g_saveData;

// The movies of a category in the global movie list.
void SelectMoviesByCategory(const std::wstring& name, ItemMovieView_CL& view);
