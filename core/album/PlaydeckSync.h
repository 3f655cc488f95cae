#pragma once
// Keeping a movie record in step with the sibling player's own per-movie ini files.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/album/ItemMovieData.h"
#include "core/base/FindFile.h"
#include "core/base/Inifile.h"

// The tag and size of the sibling player's WM_COPYDATA item update: two 32-bit fields,
// then the movie path in 260 UTF-16 units, whatever the bitness of either program.
constexpr ULONG_PTR kPlaydeckItemUpdateTag = 0x52564C54;  // "RVLT"
constexpr DWORD kPlaydeckItemUpdateSize = 528;
struct PlaydeckItemUpdate {
    uint32_t header[2];
    uint16_t path[260];
};
static_assert(sizeof(PlaydeckItemUpdate) == kPlaydeckItemUpdateSize && offsetof(PlaydeckItemUpdate, path) == 8,
              "the sibling player's item update record");

// Merges the player's play count, last play time and rating into the record and writes
// the record's contents ini. Star mode 1 first gives the player this record's rating.
void SyncWithPlaydeck(ItemMovieData_CL& movie, int starMode);

// Visits the player's files of one contents folder. The player's files are opened with the
// ini class's constructor only: nothing of the player's is ever created.
class PlaydeckFindIniFile_CL : public FindFile_CL {
public:
    PlaydeckFindIniFile_CL(ItemMovieData_CL* movie, int starMode) : movie(movie), starMode(starMode) {}

    Inifile_CL ini;
    ItemMovieData_CL* movie;
    int starMode;

protected:
    void OnFile(const std::wstring& folder, const WIN32_FIND_DATAW* data) override;
};

// The movie path of an item update: at byte 8, at most 260 units, which must end within
// them. Empty for a record of another size or without the terminator.
std::wstring PlaydeckItemUpdatePath(const void* data, size_t size);
