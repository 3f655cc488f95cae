// F5 and F6 on the movie grid, and the bookkeeping of one play.
#include <windows.h>

#include <ctime>

#include "app/shell/MainWindow.h"
#include "core/album/PlaydeckSync.h"
#include "core/album/SaveData.h"

namespace {

const wchar_t kDisplaySection[] = L"DISP_SETTING";

// The next value of a cycle first..last; a stored value outside it (an edited or damaged
// ini) starts the cycle again instead of reaching the grid.
int NextInCycle(int value, int first, int last)
{
    if (value < first || value >= last) return first;
    return value + 1;
}

}  // namespace

void MainWindow_CL::OnDisplayKey(WPARAM key)
{
    DispSettingData_CL& settings = *displaySettings_;
    // Only the movie grid has cells to change; the browser tab keeps the keys to itself.
    if (settings.selected_sort_tab == 0) return;
    const Inifile_CL& albumIni = g_saveData.album_ini;
    if (key == VK_F5) {
        const int stored = static_cast<int>(albumIni.ReadInt(kDisplaySection, L"thumbnail_size_index", 2));
        settings.thumbnail_size_index = NextInCycle(stored, 0, 2);
        albumIni.WriteInt(settings.thumbnail_size_index, kDisplaySection, L"thumbnail_size_index");
    } else if (key == VK_F6) {
        const int stored = static_cast<int>(albumIni.ReadInt(kDisplaySection, L"thumbnail_count", 5));
        settings.thumbnail_count = NextInCycle(stored, 1, 10);
        albumIni.WriteInt(settings.thumbnail_count, kDisplaySection, L"thumbnail_count");
    } else {
        return;
    }
    ApplyThumbnailLayout();
}

void MainWindow_CL::RecordPlay(ItemMovieData_CL& movie)
{
    // The sibling player's own count and date first, so that this play adds to them.
    SyncWithPlaydeck(movie, 0);
    ++movie.play_count;
    movie.play_date_time = static_cast<int64_t>(time(nullptr));
    movie.WriteContentsIni();
}
