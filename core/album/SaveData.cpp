#include "core/album/SaveData.h"

#include <windows.h>

#include "core/album/AlbumFiles.h"

int32_t SaveData_CL::AddCategoryFile(std::wstring category, std::wstring subCategory, std::wstring pictureSource,
                                     std::wstring findFolder)
{
    std::wstring album = album_data.GetCurrentAlbumName();
    if (album.empty()) return -1;
    std::wstring root = GetDataRootFolder();
    int32_t number =
        FindFreeFileNumber([&](int32_t n) { return ItemCategoryData_CL::MakeCategoryIniPath(root, album, n); });
    if (number < 0) return -1;

    ItemCategoryData_CL record;
    record.ini_name = ItemCategoryData_CL::MakeCategoryIniPath(root, album, number);
    record.image_link = path_name.RemoveExtension(record.ini_name) + L".jpg";
    record.category = category;
    record.sub_category = subCategory;
    record.find_folder = findFolder;
    record.sub_category_sort_index = static_cast<int32_t>(disp_setting.sub_category_view.size());

    CopyFileW(pictureSource.c_str(), record.image_link.c_str(), FALSE);
    record.WriteIni();
    if (!FileExists(record.ini_name)) {
        // Nothing half-made stays behind: no record, no orphaned picture.
        DeleteFileW(record.image_link.c_str());
        return -1;
    }
    record.UpdateCategoryHash();
    category_list.records.push_back(record);
    return static_cast<int32_t>(category_list.records.size()) - 1;
}
