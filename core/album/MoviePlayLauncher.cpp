#include "core/album/MoviePlayLauncher.h"

#include <shellapi.h>

#include <ctime>

#include "core/album/MoviePlayerInfo.h"
#include "core/album/PlaydeckSync.h"
#include "core/album/SaveData.h"
#include "core/base/FindRegistry.h"

namespace {

bool FullScreenWanted(const SaveData_CL& data)
{
    return data.program_ini.ReadInt(L"DISP_SETTING", L"full_screen", 0) != 0;
}

void ShellOpenMovie(const std::wstring& quotedPath)
{
    ShellExecuteW(nullptr, L"open", quotedPath.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

std::wstring ReadSiblingProgramPath(const std::wstring& commandKey)
{
    std::wstring command;
    ReadClassesRootString(commandKey, nullptr, command);
    // The opening quote and the trailing `" "%1"` make seven characters at the least.
    if (command.size() < 7) return std::wstring();
    return command.substr(1, command.size() - 7);
}

void PlayMovieWithPlayer(SaveData_CL& data, ItemMovieData_CL& movie, int64_t startPosition, uint32_t command,
                         const wchar_t* chosenPlayer, HWND movieView)
{
    MoviePlayerInfoItem player;
    bool found = (chosenPlayer && data.player_info.FindByName(chosenPlayer, player)) ||
                 data.player_info.FindByName(movie.movie_player_name, player) ||
                 data.player_info.FindByName(
                     data.program_ini.ReadString(L"MOVIE_PLAYER_INFO", L"doubleclick_movie_player", L""), player);
    std::wstring params;
    if (found) params = BuildPlayerParams(player.param, movie.link_name, startPosition);

    // The play counts whichever program starts it, and is saved before the start; the
    // sibling player's own count of it is merged in first.
    SyncWithPlaydeck(movie, 0);
    ++movie.play_count;
    movie.play_date_time = static_cast<int64_t>(time(nullptr));
    movie.WriteContentsIni();
    if (movieView) InvalidateRect(movieView, nullptr, FALSE);

    const std::wstring quoted = L"\"" + movie.link_name + L"\"";
    const std::wstring& sibling = data.disp_setting.playdeck_command;
    if (command == kCommandPlayWithAssociated) {
        ShellOpenMovie(quoted);
    } else if (found) {
        ShellExecuteW(nullptr, nullptr, player.path.c_str(), params.c_str(), nullptr, SW_SHOWNORMAL);
    } else if (sibling.empty()) {
        ShellOpenMovie(quoted);
    } else {
        std::wstring arguments = BuildPlaydeckArguments(movie.link_name, startPosition, command,
                                                        movie.no_resume == 1, FullScreenWanted(data));
        ShellExecuteW(nullptr, nullptr, sibling.c_str(), arguments.c_str(), nullptr, SW_SHOWNORMAL);
    }
}

void PlayPlaylistFile(SaveData_CL& data, const std::vector<std::wstring>& paths, const std::vector<uint32_t>& order)
{
    const std::wstring listPath = PathName_CL::GetFolder(data.program_ini.GetPath()) + L"\\PlayList.playlist";
    std::wstring arguments = WritePlaylistFile(listPath, paths, order, FullScreenWanted(data));
    ShellExecuteW(nullptr, nullptr, data.disp_setting.playdeck_command.c_str(), arguments.c_str(), nullptr,
                  SW_SHOWNORMAL);
}
