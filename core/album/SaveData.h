#pragma once
// Everything the program holds about the open album and its own settings.
#include <cstdint>
#include <string>

#include "core/album/AlbumData.h"
#include "core/album/DispSettingData.h"
#include "core/album/ItemCategoryDataList.h"
#include "core/album/ItemMovieDataList.h"
#include "core/base/Inifile.h"
#include "core/base/PathName.h"

class SaveData_CL {
public:
    SaveData_CL() : album_data(this) {}
    SaveData_CL(const SaveData_CL&) = delete;
    SaveData_CL& operator=(const SaveData_CL&) = delete;
    virtual ~SaveData_CL() = default;

    // Creates a category file under the lowest free number of the open album's category
    // folder, copies the picture beside it (a failed copy is ignored) and appends the new
    // record to the category list. Returns the record's index in the list, which stays
    // valid while records are only added, or -1 when no file could be made (no album
    // open, all 100,000 numbers taken, or the file could not be written).
    int32_t AddCategoryFile(std::wstring category, std::wstring subCategory, std::wstring pictureSource,
                            std::wstring findFolder);

    Inifile_CL program_ini;
    PathName_CL path_name;
    Inifile_CL album_ini;
    ItemCategoryDataList_CL category_list;
    ItemMovieDataList_CL movie_list;
    AlbumData_CL album_data;
    std::wstring album_folder;
    DispSettingData_CL disp_setting;
};
