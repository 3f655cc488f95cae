#pragma once
// Starting a movie with a player, and a list of movies with the sibling player.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/album/ItemMovieData.h"

class SaveData_CL;

// The program of a sibling program's registered shell command, which reads
// "\"<program>\" \"%1\"": the first character and the last six are dropped. Empty when the
// key is missing or the value is too short to hold that form.
std::wstring ReadSiblingProgramPath(const std::wstring& commandKey);

// Plays one movie and counts the play in its record (play count, play date, contents ini),
// whichever program starts it: the chosen player, the movie's own player, the double-click
// player, the sibling player, or the shell's association. The view is repainted for the
// new count.
void PlayMovieWithPlayer(SaveData_CL& data, ItemMovieData_CL& movie, int64_t startPosition, uint32_t command,
                         const wchar_t* chosenPlayer, HWND movieView);

// Writes the playlist file in the data folder (paths[order[i]] in turn) and hands it to the
// sibling player. Play counts are not changed.
void PlayPlaylistFile(SaveData_CL& data, const std::vector<std::wstring>& paths, const std::vector<uint32_t>& order);
