#include "core/album/SaveData.h"

#include <windows.h>

#include <algorithm>

#include <cstdlib>
#include <vector>

#include "core/album/AlbumFiles.h"
#include "core/album/PlaydeckSync.h"
#include "core/base/Log.h"
#include "core/base/UniqueHandle.h"

namespace {

const wchar_t* const kDispSetting = L"DISP_SETTING";

// Every section name of an ini file, read through the profile functions (which decode a
// file in the system code page as well as a Unicode one).
std::vector<std::wstring> SectionNames(const std::wstring& path)
{
    std::vector<wchar_t> buffer(4096);
    for (;;) {
        DWORD length = GetPrivateProfileSectionNamesW(buffer.data(), static_cast<DWORD>(buffer.size()), path.c_str());
        if (length + 2 < buffer.size() || buffer.size() >= (1u << 24)) break;
        buffer.resize(buffer.size() * 4);
    }
    std::vector<std::wstring> names;
    for (const wchar_t* p = buffer.data(); *p; p += wcslen(p) + 1) names.push_back(p);
    return names;
}

// The "key=value" lines of one section.
std::vector<std::wstring> SectionLines(const std::wstring& path, const std::wstring& section)
{
    std::vector<wchar_t> buffer(32768);
    for (;;) {
        DWORD length =
            GetPrivateProfileSectionW(section.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()), path.c_str());
        if (length + 2 < buffer.size() || buffer.size() >= (1u << 24)) break;
        buffer.resize(buffer.size() * 4);
    }
    std::vector<std::wstring> lines;
    for (const wchar_t* p = buffer.data(); *p; p += wcslen(p) + 1) lines.push_back(p);
    return lines;
}

}  // namespace

SaveData_CL::SaveData_CL()
    : album_data(this),
      web_logins{{L"GOOGLE", &program_ini},
                 {L"NICONICO", &program_ini},
                 {L"YAHOO", &program_ini},
                 {L"FC2", &program_ini},
                 {L"AMEBA", &program_ini}}
{
}

void SaveData_CL::LoadAlbumInfo()
{
    ext_info.LoadAll(program_ini);

    uint32_t seed = program_ini.ReadInt(L"ALBUM_INFO", L"rand_seed", 0) + GetTickCount();
    srand(seed);
    program_ini.WriteInt(static_cast<int>(seed), L"ALBUM_INFO", L"rand_seed");

    player_info.Load(program_ini);
    album_data.LoadAlbumList();
    album_ini.SetPath(GetDataFolder() + L"\\" + album_data.GetCurrentAlbumName() + L"\\AlbumInfo.ini");
    album_data.LoadTagHistory();
    category_list.LoadTopCategoryList(album_ini);
}

int SaveData_CL::LoadAlbum()
{
    album_data.LoadAlbumList();
    const std::wstring name = album_data.GetCurrentAlbumName();
    album_folder = GetDataFolder() + L"\\" + name;
    album_ini.SetPath(album_folder + L"\\AlbumInfo.ini");
    album_data.LoadTagHistory();
    CreateAlbumFolders(name);

    ReadDisplaySettings();
    category_list.LoadTopCategoryList(album_ini);
    category_list.Load(album_folder);
    const int result = movie_list.Load(album_folder);

    if (ui) ui->BindAndLoadBrowserHistories(&album_ini);
    if (!HasUnicodeMark(album_ini.GetPath())) ConvertAnsiAlbumIni();
    for (auto& login : web_logins) login.Load();
    return result;
}

void SaveData_CL::ReadDisplaySettings()
{
    int count = static_cast<int>(album_ini.ReadInt(kDispSetting, L"thumbnail_count", 5));
    disp_setting.thumbnail_count = count < 1 || count > 10 ? 5 : count;
    UINT sizeIndex = album_ini.ReadInt(kDispSetting, L"thumbnail_size_index", 2);
    disp_setting.thumbnail_size_index = sizeIndex > 2 ? 1 : static_cast<int32_t>(sizeIndex);
    int level = static_cast<int>(album_ini.ReadInt(kDispSetting, L"ui_font_size_level", 1));
    disp_setting.ui_font_size_level = level < 1 ? 1 : level > 10 ? 10 : level;
    disp_setting.movie_list_use_direct2d = album_ini.ReadInt(kDispSetting, L"movie_list_use_direct2d", 0) != 0 ? 1 : 0;
}

void SaveData_CL::WriteDisplaySettings()
{
    album_ini.WriteInt(disp_setting.thumbnail_count, kDispSetting, L"thumbnail_count");
    album_ini.WriteInt(disp_setting.thumbnail_size_index, kDispSetting, L"thumbnail_size_index");
    album_ini.WriteInt(disp_setting.ui_font_size_level, kDispSetting, L"ui_font_size_level");
    album_ini.WriteInt(disp_setting.movie_list_use_direct2d ? 1 : 0, kDispSetting, L"movie_list_use_direct2d");
}

void SaveData_CL::ConvertAnsiAlbumIni()
{
    // Every key of the old file is carried over, not only the ones this load knows: the
    // tag history, the last selection and the search state live there too. The new file
    // is made beside the old one and moved over it, so a failure leaves the old one.
    const std::wstring path = album_ini.GetPath();
    const std::wstring lockKey = album_ini.ReadString(L"LOCK", L"key", L"");
    const int favWebCapture = static_cast<int>(album_ini.ReadInt(L"DATA_SETTING", L"fav_web_capture", 0));

    const std::wstring converted = path + L".unicode";
    DeleteFileW(converted.c_str());
    CreateUnicodeIniFile(converted);
    for (const std::wstring& section : SectionNames(path)) {
        for (const std::wstring& line : SectionLines(path, section)) {
            size_t equals = line.find(L'=');
            if (equals == std::wstring::npos) continue;
            WritePrivateProfileStringW(section.c_str(), line.substr(0, equals).c_str(), line.substr(equals + 1).c_str(),
                                       converted.c_str());
        }
    }
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, converted.c_str());  // flush the profile cache
    if (!MoveFileExW(converted.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        WriteLastErrorLog(L"MoveFileEx()エラー = 0x%08x : %s");
        DeleteFileW(converted.c_str());
        return;
    }
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, path.c_str());

    album_ini.WriteString(L"LOCK", L"key", lockKey);
    album_ini.WriteInt(favWebCapture, L"DATA_SETTING", L"fav_web_capture");
    category_list.SaveTopCategoryList(album_ini);
    WriteDisplaySettings();
    if (ui) {
        ui->SaveBrowserHistories();
        ui->SaveIncSearchHistory();
    }
}

int SaveData_CL::SaveAll()
{
    // Before an album is loaded there is nothing to save, and the cache path would name the
    // root of the drive.
    if (album_folder.empty()) return 0;
    WriteLog(AppLog, L"データ保存(開始)");
    for (auto& login : web_logins) login.Save();
    album_data.SaveTagHistory();
    int result = 0;
    if (reload_flag == 1) {
        DeleteFileW((album_folder + L"\\LastAlbumInfo.dat").c_str());
    } else {
        result = movie_list.SaveFastStart(album_folder);
    }
    WriteLog(AppLog, L"データ保存(終了)");
    return result;
}

int SaveData_CL::AddTagsToMovie(ItemMovieData_CL& movie, std::wstring tagText, int toHistory)
{
    constexpr size_t kMaxTagUnits = 64;
    constexpr size_t kMaxTagsPerMovie = 20;
    tagText.push_back(L'\0');
    bool hadRoom = false;
    std::wstring tag;
    for (wchar_t unit : tagText) {
        if (unit > L' ' && unit != L'\x3000') {
            if (tag.size() < kMaxTagUnits) tag.push_back(unit);
            continue;
        }
        if (tag.empty()) continue;
        if (movie.tags.size() < kMaxTagsPerMovie) {
            hadRoom = true;
            if (std::find(movie.tags.begin(), movie.tags.end(), tag) == movie.tags.end()) movie.tags.push_back(tag);
        }
        if (toHistory == 1) album_data.AddTagHistory(tag);
        tag.clear();
    }
    if (!hadRoom) return 0;
    movie.SortTags();
    return 1;
}

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

int SaveData_CL::UpdateItemFromPlaydeck(const void* data, size_t size)
{
    WriteLog(AppLog, L"★Playdeckからのアイテム情報の更新");
    const std::wstring path = PlaydeckItemUpdatePath(data, size);
    if (path.empty()) return 0;
    for (ItemMovieData_CL& movie : movie_list.records) {
        if (movie.link_name != path || !FileExists(movie.GetThumbnailPath())) continue;
        const std::wstring iniName = movie.ini_name;
        movie.ReadContentsIni(iniName);
        movie.ini_name = iniName;
        WriteLog(AppLog, L"タグ情報の数(%d)", static_cast<int>(album_ini.ReadInt(L"TAG_HISTORY", L"count", 0)));
        album_data.LoadTagHistory();
        SaveAll();
        return 1;
    }
    return 0;
}
