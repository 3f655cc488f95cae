#include "core/album/AlbumData.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cwchar>

#include "core/album/AlbumFiles.h"
#include "core/album/SaveData.h"
#include "core/base/Inifile.h"
#include "core/base/Log.h"

namespace {

const wchar_t kTagHistory[] = L"TAG_HISTORY";

std::wstring GetDocumentsFolder()
{
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path))) return std::wstring();
    return path;
}

std::wstring TagHistoryKey(int32_t index)
{
    return NumberedKey(L"item%d", index);
}

}  // namespace

std::wstring GetDataRootFolder()
{
    std::wstring documents = GetDocumentsFolder();
    // Only the copy under Documents can say where the data lives.
    Inifile_CL ini;
    ini.SetPath(documents + L"\\Reelvault\\Reelvault.ini");
    std::wstring redirect = ini.ReadString(L"FOLDER", L"redirect", L"");
    if (!redirect.empty()) return redirect;
    ini.WriteString(L"FOLDER", L"redirect", L"");
    return documents;
}

std::wstring GetDataFolder()
{
    return GetDataRootFolder() + L"\\Reelvault";
}

void CreateAlbumFolders(const std::wstring& albumName)
{
    std::wstring data = GetDataFolder();
    std::wstring album = data + L"\\" + albumName;
    // The data folder is made at start-up; making it here too costs nothing and keeps an
    // album from silently failing to appear under a fresh redirect.
    CreateDirectoryW(data.c_str(), nullptr);
    CreateDirectoryW(album.c_str(), nullptr);
    CreateDirectoryW((album + L"\\contents").c_str(), nullptr);
    CreateDirectoryW((album + L"\\category").c_str(), nullptr);
    for (int i = 0; i < 100; ++i) {
        CreateDirectoryW((album + NumberedKey(L"\\contents\\%03d", i)).c_str(), nullptr);
    }
}

void AlbumData_CL::LoadAlbumList()
{
    album_names.clear();
    // A start-up that gave up on the album's key lock opens the first album, whatever the
    // program ini says: re-reading last_index here would open the locked one after all.
    current_index =
        open_first_album ? 0 : static_cast<int32_t>(owner_->program_ini.ReadInt(L"ALBUM_INFO", L"last_index", 0));
    if (current_index < 0 || current_index >= kAlbumCount) current_index = 0;
    for (int32_t i = 1; i <= kAlbumCount; ++i) {
        std::wstring name = NumberedKey(L"ALBUM_%04d", i);
        CreateAlbumFolders(name);
        album_names.push_back(name);
    }
}

int32_t AlbumData_CL::FindAlbumIndex(const std::wstring& name) const
{
    for (size_t i = 0; i < album_names.size(); ++i) {
        if (album_names[i] == name) return static_cast<int32_t>(i);
    }
    return -1;
}

std::wstring AlbumData_CL::GetCurrentAlbumName() const
{
    if (current_index < 0 || static_cast<size_t>(current_index) >= album_names.size()) return std::wstring();
    return album_names[current_index];
}

void AlbumData_CL::LoadTagHistory()
{
    tag_history.clear();
    const Inifile_CL& ini = owner_->album_ini;
    int32_t count = StoredListLength(ini, kTagHistory, static_cast<int32_t>(ini.ReadInt(kTagHistory, L"count", 0)));
    for (int32_t i = 0; i < count; ++i) {
        std::wstring tag = ini.ReadString(kTagHistory, TagHistoryKey(i).c_str(), L"");
        if (!tag.empty()) tag_history.push_back(tag);
    }
}

void AlbumData_CL::SaveTagHistory()
{
    const Inifile_CL& ini = owner_->album_ini;
    int32_t held = static_cast<int32_t>(tag_history.size());
    WriteLog(AppLog, L"タグ履歴保存数 = %d", held);
    // A history that shrank on disk most likely failed to load; saving it would lose tags.
    if (held < static_cast<int32_t>(ini.ReadInt(kTagHistory, L"count", 0))) {
        WriteLog(AppLog, L"タグ履歴保存数が減少した為、保存しませんでした。");
        return;
    }
    ini.WriteInt(held, kTagHistory, L"count");
    for (int32_t i = 0; i < held; ++i) ini.WriteString(kTagHistory, TagHistoryKey(i).c_str(), ToSingleLine(tag_history[i]));
}

void AlbumData_CL::AddTagHistory(std::wstring tag)
{
    if (tag.size() > kMaxTagLength) tag.resize(kMaxTagLength);
    if (tag.empty()) return;
    auto equal = std::find(tag_history.begin(), tag_history.end(), tag);
    if (equal != tag_history.end()) tag_history.erase(equal);
    if (tag_history.size() >= kMaxTagHistory) tag_history.resize(kMaxTagHistory - 1);
    tag_history.insert(tag_history.begin(), tag);
}
