#pragma once
// One line per movie record, sorted, of the fields a load must bring back.
#include <string>

#include "core/album/ItemMovieDataList.h"

std::wstring AlbumDump(const ItemMovieDataList_CL& list);
bool WriteAlbumDump(const std::wstring& path, const ItemMovieDataList_CL& list);
