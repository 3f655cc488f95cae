#include "core/album/ItemCategoryData.h"

#include <cwchar>

#include "core/album/AlbumFiles.h"
#include "core/base/Inifile.h"
#include "core/base/PathName.h"

namespace {

const wchar_t kCategory[] = L"CATEGORY";
const wchar_t kFavorite[] = L"FAVORITE";
const wchar_t kPlaylist[] = L"PLAYLIST";

std::wstring PlaylistKey(int32_t index)
{
    return NumberedKey(L"item%04d", index);
}

}  // namespace

void ItemCategoryData_CL::ReadIni(const std::wstring& path)
{
    Inifile_CL ini;
    ini.SetPath(path);
    ReadIni(path, ini);
}

void ItemCategoryData_CL::ReadIni(const std::wstring& path, const IniReader_IF& ini)
{
    ini_name = path;

    category = ini.ReadString(kCategory, L"category", L"");
    sub_category = ini.ReadString(kCategory, L"sub_category", L"");
    UpdateCategoryHash();
    find_folder = ini.ReadString(kCategory, L"find_folder", L"");
    // The stored picture path is not trusted: the picture always lies beside the file.
    image_link = PathName_CL::RemoveExtension(path) + L".jpg";
    url_link = ini.ReadString(kFavorite, L"url_link", L"");

    sub_category_sort_index = static_cast<int32_t>(ini.ReadInt(kCategory, L"sub_category_sort_index", 0));
    UINT key = ini.ReadInt(kCategory, L"short_cut_key", 0);
    short_cut_key = key > 255 ? 0 : static_cast<int32_t>(key);
    check_sub_folder = static_cast<int32_t>(ini.ReadInt(kCategory, L"check_sub_folder", 0));

    playlist.clear();
    int32_t count = StoredListLength(ini, kPlaylist, static_cast<int32_t>(ini.ReadInt(kPlaylist, L"item_count", 0)));
    for (int32_t i = 0; i < count; ++i) {
        std::wstring entry = ini.ReadString(kPlaylist, PlaylistKey(i).c_str(), L"");
        if (!entry.empty() && FileExists(entry)) playlist.push_back(entry);
    }

    // A file in the system code page is rewritten as Unicode from what was just read.
    if (HasUnicodeMark(path)) return;
    if (!RecreateWithUnicodeMark(path)) return;
    WriteIni();
}

void ItemCategoryData_CL::WriteIni()
{
    Inifile_CL ini;
    ini.SetPath(ini_name);
    UpdateCategoryHash();

    ini.WriteString(kCategory, L"category", ToSingleLine(category));
    ini.WriteString(kCategory, L"sub_category", ToSingleLine(sub_category));
    ini.WriteString(kCategory, L"image_link", ToSingleLine(image_link));
    ini.WriteString(kCategory, L"find_folder", ToSingleLine(find_folder));
    ini.WriteInt(sub_category_sort_index, kCategory, L"sub_category_sort_index");
    ini.WriteInt(short_cut_key, kCategory, L"short_cut_key");
    if (!url_link.empty()) ini.WriteString(kFavorite, L"url_link", ToSingleLine(url_link));
    ini.WriteInt(check_sub_folder, kCategory, L"check_sub_folder");
    ini.WriteInt(static_cast<int>(playlist.size()), kPlaylist, L"item_count");
    for (size_t i = 0; i < playlist.size(); ++i)
        ini.WriteString(kPlaylist, PlaylistKey(static_cast<int32_t>(i)).c_str(), ToSingleLine(playlist[i]));
}

std::wstring ItemCategoryData_CL::MakeCategoryIniPath(const std::wstring& dataRoot, const std::wstring& album,
                                                      int32_t fileNumber)
{
    return dataRoot + L"\\Reelvault\\" + album + NumberedKey(L"\\category\\category%05d.ini", fileNumber);
}
