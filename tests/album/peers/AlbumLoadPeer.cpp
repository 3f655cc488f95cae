// Opens the album as the program does at start-up, in a process of its own, and writes a
// line per movie to the file named by its first argument; its log goes to the second.
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "core/album/SaveData.h"
#include "core/base/Log.h"
#include "tests/album/peers/AlbumDump.h"

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3) return 2;
    AppLog.path = argv[2];
    g_saveData.program_ini.SetPath(GetDataFolder() + L"\\Reelvault.ini");
    g_saveData.LoadAlbumInfo();
    g_saveData.LoadAlbum();
    return WriteAlbumDump(argv[1], g_saveData.movie_list) ? 0 : 1;
}
