#pragma once
// One sub-category, playlist or favourite web site and its category file.
#include <cstdint>
#include <string>
#include <vector>

#include "core/album/ItemBase.h"

class IniReader_IF;

class ItemCategoryData_CL : public ItemBase_CL {
public:
    ItemCategoryData_CL() = default;
    ItemCategoryData_CL(const ItemCategoryData_CL&) = default;
    ItemCategoryData_CL& operator=(const ItemCategoryData_CL&) = default;
    virtual ~ItemCategoryData_CL() = default;

    // Fills the record from the category file at path. Playlist entries whose file is gone
    // are left out; a file without the UTF-16LE mark is rewritten as UTF-16LE.
    void ReadIni(const std::wstring& path);
    // The same from a reader already bound to the file (a snapshot during a bulk load).
    void ReadIni(const std::wstring& path, const IniReader_IF& ini);
    // Writes every key to the file named by ini_name (created as UTF-16LE when missing).
    void WriteIni();

    // dataRoot\Reelvault\album\category\categoryNNNNN.ini
    static std::wstring MakeCategoryIniPath(const std::wstring& dataRoot, const std::wstring& album,
                                            int32_t fileNumber);

    std::wstring image_link;
    std::wstring find_folder;
    std::wstring url_link;
    std::vector<std::wstring> playlist;
    int32_t item_count = 0;
    int32_t sub_category_sort_index = 0;
    int32_t short_cut_key = 0;
    int32_t check_sub_folder = 0;
};
