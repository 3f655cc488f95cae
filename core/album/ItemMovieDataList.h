#pragma once
// The movie records of the open album.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/album/ItemListBase.h"
#include "core/album/ItemMovieData.h"
#include "core/album/ItemMovieView.h"
#include "core/base/FindFile.h"

class ItemMovieDataList_CL : public ItemListBase_CL {
public:
    // Replaces the records: from the fast-start cache, else from every contents ini under
    // albumFolder\contents (any depth). Progress goes to g_dataLoadProgress. Returns 0.
    int Load(std::wstring albumFolder) override;

    // The next decode key: one more than the last over the whole run, never 0.
    uint32_t TakeDecodeKey();
    // Starts the run's keys at a random value (never 0). The thumbnail maker keeps its
    // queue across our restarts: keys counted from 1 again would make its answers about
    // last run's movies land on other movies of this run.
    void StartDecodeKeysAtRandom();

    // Asks the thumbnail maker for every movie whose decode is pending or whose strip file
    // is missing, in messages of at most 200 movies. Defined with the maker's control.
    void RequestMissingThumbnails();

    // The fast-start cache "LastAlbumInfo.dat" of the album folder. Load: 0, or E_FAIL
    // (the records are then empty and the caller reads the contents files). Save: 0, or
    // E_FAIL when the file could not be written (the old one stays).
    HRESULT LoadFastStart(const std::wstring& albumFolder);
    HRESULT SaveFastStart(const std::wstring& albumFolder);

    // view: every record whose category equals name, in list order. Returns the number of
    // records scanned (the whole list), not the number selected.
    int32_t SelectByCategory(const std::wstring& name, ItemMovieView_CL& view);
    // view: every record, in list order.
    void SelectAll(ItemMovieView_CL& view);

    // Load reads each contents file once into memory and answers its reads from there;
    // false reads every value through the profile functions (for comparisons).
    bool read_with_snapshots = true;

    // Never reset by Load: keys keep growing over album switches within one run.
    uint32_t next_decode_key = 1;
    std::vector<ItemMovieData_CL> records;

private:
    // Gives the record its key and hashes, then appends it.
    void AppendLoaded(ItemMovieData_CL& record);
};

// Collects the contents ini files of an album: "*.ini" exactly (case-sensitive), except
// the program's own "Reelvault.ini".
class ItemMovieDataList_FindIniFile_CL : public FindFile_CL {
public:
    explicit ItemMovieDataList_FindIniFile_CL(ItemMovieDataList_CL* list) : list(list) {}

    std::vector<std::wstring> paths;
    ItemMovieDataList_CL* list;

protected:
    void OnFile(const std::wstring& folder, const WIN32_FIND_DATAW* data) override;
};
