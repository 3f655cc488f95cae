#pragma once
// The five albums of the data folder, the open one, and its tag history.
#include <cstdint>
#include <string>
#include <vector>

class SaveData_CL;

// The Documents folder, or the folder named by "FOLDER"/"redirect" of the program ini
// under Documents. A missing or empty redirect is written back as an empty key.
std::wstring GetDataRootFolder();
// Data root + "\Reelvault": the program ini, the log and the album folders.
std::wstring GetDataFolder();
// The album folder with its "contents" (and the hundred "000".."099" in it) and
// "category" folders. Folders that exist are left alone; failures are ignored.
void CreateAlbumFolders(const std::wstring& albumName);

class AlbumData_CL {
public:
    static constexpr int32_t kAlbumCount = 5;
    static constexpr size_t kMaxTagHistory = 100;
    static constexpr size_t kMaxTagLength = 32;

    explicit AlbumData_CL(SaveData_CL* owner) : owner_(owner) {}
    AlbumData_CL(const AlbumData_CL&) = delete;
    AlbumData_CL& operator=(const AlbumData_CL&) = delete;
    virtual ~AlbumData_CL() = default;

    // Reads the open album's index from the program ini (an index that names no album
    // opens the first; so does a set open_first_album) and makes the five album folders.
    void LoadAlbumList();
    // Index of the album of that folder name, or -1.
    int32_t FindAlbumIndex(const std::wstring& name) const;
    // Folder name of the open album; empty before the list is loaded.
    std::wstring GetCurrentAlbumName() const;

    void LoadTagHistory();
    // Writes the history to the album ini unless it would hold fewer entries than stored.
    void SaveTagHistory();
    // Puts tag (its first 32 units) first, without duplicates, keeping at most 100.
    void AddTagHistory(std::wstring tag);

    int32_t current_index = -1;
    // Set by the start-up when the album's key lock was not satisfied; never cleared in a run.
    int32_t open_first_album = 0;
    std::vector<std::wstring> album_names;
    std::vector<std::wstring> tag_history;

private:
    SaveData_CL* owner_;
};
