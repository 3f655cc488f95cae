// Kept apart so that only the programs, not every user of SaveData_CL, build the global.
#include "core/album/SaveData.h"

SaveData_CL g_saveData;

void SelectMoviesByCategory(const std::wstring& name, ItemMovieView_CL& view)
{
    g_saveData.movie_list.SelectByCategory(name, view);
}
