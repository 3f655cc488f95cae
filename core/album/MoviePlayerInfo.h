#pragma once
// The external players the user configured, kept in the program ini.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "core/base/Inifile.h"

struct MoviePlayerInfoItem {
    std::wstring name;   // shown to the user; a movie stores it in movie_player_name
    std::wstring path;   // the program
    std::wstring param;  // template with %path%, %ms% and %sec%
};

class MoviePlayerInfo_CL {
public:
    virtual ~MoviePlayerInfo_CL() = default;

    void AddPlayer(MoviePlayerInfoItem player) { players.push_back(std::move(player)); }
    // Appends the stored players, empty fields included.
    void Load(const Inifile_CL& programIni);
    void Save(const Inifile_CL& programIni) const;
    // The first player of exactly that name.
    bool FindByName(const std::wstring& name, MoviePlayerInfoItem& found) const;

    std::vector<MoviePlayerInfoItem> players;
};

// Replaces every occurrence of `what`, going on after each inserted text.
void ReplaceAll(std::wstring& text, const std::wstring& what, const std::wstring& with);

// A player's parameters for one movie: %ms% and %sec% from the start position
// (100-ns units, cut toward zero, printed as 32-bit "%d"), then %path% as the quoted path.
std::wstring BuildPlayerParams(const std::wstring& paramTemplate, const std::wstring& moviePath,
                               int64_t startPosition);

// Commands of the main window that change how a movie is started.
constexpr uint32_t kCommandPlayMovie = 0x8000;
constexpr uint32_t kCommandPlayFromFirstFrame = 0x8001;
constexpr uint32_t kCommandPlayWithAssociated = 0x8006;

// The sibling player's arguments for one movie: the quoted path, " /FullScreen" when asked,
// " /EndClose", " /NoResume" or " /StartFrame:hhhhhhhh:llllllll" or neither, " /Reelvault".
std::wstring BuildPlaydeckArguments(const std::wstring& moviePath, int64_t startPosition, uint32_t command,
                                    bool movieNoResume, bool fullScreen);

// Writes the playlist file (narrow text in the current code page, CR LF after each path,
// paths[order[i]] in turn) and gives the sibling player's arguments for it. A path that the
// code page cannot hold is written as its shortest form the system gives, or skipped.
std::wstring WritePlaylistFile(const std::wstring& playlistPath, const std::vector<std::wstring>& paths,
                               const std::vector<uint32_t>& order, bool fullScreen);
