#include "core/album/PlaydeckSync.h"

#include <algorithm>
#include <cwchar>

#include "core/album/AlbumData.h"
#include "core/album/AlbumFiles.h"
#include "core/base/PathName.h"

namespace {

const wchar_t* const kMovieInfo = L"MOVIE_INFO";

}  // namespace

void SyncWithPlaydeck(ItemMovieData_CL& movie, int starMode)
{
    uint32_t folder = LinkNameHash(movie.link_name) % 100;
    std::wstring pattern = GetDataRootFolder() + NumberedKey(L"\\Playdeck\\contents\\%03d", static_cast<int32_t>(folder)) +
                           L"\\*.*";
    PlaydeckFindIniFile_CL walk(&movie, starMode);
    walk.Find(TRUE, pattern);
}

void PlaydeckFindIniFile_CL::OnFile(const std::wstring& folder, const WIN32_FIND_DATAW* data)
{
    if (wcscmp(data->cFileName, L"Reelvault.ini") == 0) return;
    ini = Inifile_CL(folder + L"\\" + data->cFileName);
    std::wstring linkName = ini.ReadString(kMovieInfo, L"link_name", L"");
    // A side file beside the movie stands for the player's data.
    const std::wstring sideFile = linkName + L".Playdeck.ini";
    if (!linkName.empty() && FileExists(sideFile)) {
        ini = Inifile_CL(sideFile);
        linkName = ini.ReadString(kMovieInfo, L"link_name", L"");
    }
    if (linkName != movie->link_name) return;

    movie->play_count = static_cast<uint32_t>(
        std::max(static_cast<int32_t>(movie->play_count), static_cast<int32_t>(ini.ReadInt(kMovieInfo, L"play_count", 0))));
    movie->play_date_time = std::max(movie->play_date_time, ini.ReadHex64(-1, kMovieInfo, L"play_date_time"));
    if (starMode == 1) ini.WriteInt(static_cast<int>(movie->star_count), kMovieInfo, L"star_count");
    int32_t playerStars = static_cast<int32_t>(ini.ReadInt(kMovieInfo, L"star_count", -1));
    if (playerStars != -1)
        movie->star_count = static_cast<uint32_t>(std::max(static_cast<int32_t>(movie->star_count), playerStars));
    movie->WriteContentsIni();
}

std::wstring PlaydeckItemUpdatePath(const void* data, size_t size)
{
    if (!data || size != kPlaydeckItemUpdateSize) return std::wstring();
    const uint8_t* bytes = static_cast<const uint8_t*>(data) + offsetof(PlaydeckItemUpdate, path);
    constexpr size_t kMaxUnits = sizeof(PlaydeckItemUpdate::path) / sizeof(PlaydeckItemUpdate::path[0]);
    std::wstring path;
    for (size_t i = 0; i < kMaxUnits; ++i) {
        wchar_t unit = static_cast<wchar_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        if (unit == L'\0') return path;
        path.push_back(unit);
    }
    // No terminator inside the field: the record is not trusted.
    return std::wstring();
}
