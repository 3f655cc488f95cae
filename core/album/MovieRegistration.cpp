#include "core/album/MovieRegistration.h"

#include <commctrl.h>

#include "core/album/AlbumFiles.h"
#include "core/album/DataLoadProgress.h"
#include "core/album/PlaydeckSync.h"
#include "core/album/SaveData.h"
#include "core/base/IniSnapshot.h"
#include "core/base/UniqueHandle.h"

namespace {

const wchar_t* const kRegistered = L"登録完了";
const wchar_t* const kAlreadyRegistered = L"既に登録済み";
const wchar_t* const kUnsupported = L"未対応の拡張子";

// Creates the file only when it does not exist yet: whoever creates it owns the number.
bool ClaimNewFile(const std::wstring& path)
{
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    const BYTE mark[] = {0xFF, 0xFE};
    DWORD written = 0;
    WriteFile(file.get(), mark, sizeof(mark), &written, nullptr);
    return true;
}

}  // namespace

void FindDropFilder_CL::OnFile(const std::wstring& folder, const WIN32_FIND_DATAW* data)
{
    std::wstring path = folder + L"\\" + data->cFileName;
    if (extensions.Contains(path) == 1) {
        found.push_back(path);
    } else {
        owner.AddRejectedRow(path, kUnsupported);
    }
}

void SearchFindFolder_CL::OnFile(const std::wstring& folder, const WIN32_FIND_DATAW* data)
{
    templateCandidate.path = folder + L"\\" + data->cFileName;
    found.push_back(templateCandidate);
}

int MovieRegistration_CL::RegisterMovieFile(std::wstring path, std::wstring category, std::wstring subCategory)
{
    if (data_.ext_info.Contains(path) != 1) return 0;
    for (const ItemMovieData_CL& movie : data_.movie_list.records) {
        if (movie.link_name != path) continue;
        host_.AddRejectedRow(path, kAlreadyRegistered);
        return 0;
    }

    const uint32_t folder = ItemMovieData_CL::GetContentsFolderNumber(path);
    const std::wstring root = GetDataRootFolder();
    const std::wstring album = data_.album_data.GetCurrentAlbumName();
    std::wstring iniName;
    for (int32_t number = 0; number < 100000 && iniName.empty(); ++number) {
        std::wstring candidate = ItemMovieData_CL::MakeContentsIniPath(root, album, folder, number);
        if (!FileExists(candidate) && ClaimNewFile(candidate)) iniName = candidate;
    }
    if (iniName.empty()) return 0;

    // The claimed file holds only its mark: the record starts from the defaults a read of
    // it gives, and is written in one piece.
    ItemMovieData_CL movie;
    IniSnapshot_CL empty;
    if (empty.Load(iniName))
        movie.ReadContentsIni(iniName, empty);
    else
        movie.ReadContentsIni(iniName);
    movie.ini_name = iniName;
    movie.link_name = path;
    movie.content_name = PathName_CL::RemoveExtension(PathName_CL::GetFileName(path));
    movie.UpdateFileInfo();
    movie.category = category;
    movie.sub_category = subCategory;
    movie.file_unchecked = 0;
    movie.run_decode = 1;
    movie.WriteNewContentsIni();
    SyncWithPlaydeck(movie, 0);
    movie.decode_key = data_.movie_list.TakeDecodeKey();
    movie.UpdateCategoryHash();
    data_.movie_list.records.push_back(std::move(movie));
    host_.AddRegisteredRow(path, kRegistered);
    return 1;
}

void MovieRegistration_CL::DropTargetCategory(std::wstring& category, std::wstring& subCategory) const
{
    category.clear();
    subCategory.clear();
    const DispSettingData_CL& settings = data_.disp_setting;
    const int tab = settings.category_tab;
    const ItemCategoryView_CL& shown = settings.sub_category_view;
    if (!(tab == 0 || tab >= 4) || shown.size() == 0) return;
    const int selected = settings.selected_sub_category;
    const ItemCategoryData_CL& entry =
        shown.at(selected >= 0 && static_cast<size_t>(selected) < shown.size() ? static_cast<size_t>(selected) : 0);
    category = entry.category;
    subCategory = entry.sub_category;
}

void MovieRegistration_CL::RegisterDroppedFiles(HDROP drop, HWND progressBar)
{
    CriticalSection_CL::Lock_CL oneDropAtATime(dropLock_);

    // The file system is walked here on the worker; the album's lists change only on the
    // main window's thread, where the views read them.
    std::vector<std::wstring> found;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    std::vector<wchar_t> name(8192);
    for (UINT index = 0; index < count; ++index) {
        if (DragQueryFileW(drop, index, name.data(), static_cast<UINT>(name.size())) == 0) continue;
        const std::wstring path(name.data());
        if (GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) {
            FindDropFilder_CL walk(data_.ext_info, found, host_);
            walk.Find(TRUE, path + L"\\*.*");
        } else if (data_.ext_info.Contains(path) == 1) {
            found.push_back(path);
        } else {
            host_.AddRejectedRow(path, kUnsupported);
        }
    }

    std::wstring category;
    std::wstring subCategory;
    ui_.Invoke([&] {
        host_.ClearListenerBitmaps();
        DropTargetCategory(category, subCategory);
    });
    if (progressBar) SendMessageW(progressBar, PBM_SETRANGE32, 0, static_cast<LPARAM>(found.size()));
    for (size_t i = 0; i < found.size(); ++i) {
        ui_.Invoke([&] { RegisterMovieFile(found[i], category, subCategory); });
        if (progressBar) SendMessageW(progressBar, PBM_SETPOS, i, 0);
    }
    if (progressBar) SendMessageW(progressBar, PBM_SETPOS, found.size(), 0);

    ui_.Invoke([&] {
        const int tab = data_.disp_setting.category_tab;
        if (tab >= 1 && tab <= 3) host_.SelectCategoryTab(1, FALSE);
        host_.SelectSortTab(4);
        host_.RebuildCategoryTabs();
        host_.RefreshMovieList();
        data_.SaveAll();
    });
    if (data_.program_ini.ReadInt(L"ALBUM_INFO", L"no_complete_beep", 0) == 0) MessageBeep(MB_ICONASTERISK);
    if (progressBar) SendMessageW(progressBar, PBM_SETPOS, 0, 0);
    ui_.Invoke([&] { host_.RequestMissingThumbnails(); });
}

void MovieRegistration_CL::ScanFindFolders()
{
    std::vector<RegistrationCandidate> candidates;
    ItemCategoryView_CL categories;
    data_.category_list.SelectMovieCategories(categories);
    for (size_t i = 0; i < categories.size(); ++i) {
        const ItemCategoryData_CL& record = categories.at(i);
        if (record.find_folder.empty()) continue;
        SearchFindFolder_CL walk({record.category, record.sub_category, L""}, candidates);
        walk.Find(record.check_sub_folder != 0 ? TRUE : FALSE, record.find_folder + L"\\*.*");
    }

    DataLoadProgress_CL* progress = g_dataLoadProgress;
    if (progress) progress->Reset(static_cast<int>(candidates.size()));
    for (const RegistrationCandidate& candidate : candidates) {
        RegisterMovieFile(candidate.path, candidate.category, candidate.sub_category);
        if (progress) progress->StepDone();
    }
    if (!candidates.empty()) data_.SaveAll();
}
