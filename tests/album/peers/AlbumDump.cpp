#include "tests/album/peers/AlbumDump.h"

#include <algorithm>
#include <vector>

#include "tests/common/TempFolder.h"

std::wstring AlbumDump(const ItemMovieDataList_CL& list)
{
    std::vector<std::wstring> lines;
    for (const auto& r : list.records) {
        std::wstring line = r.ini_name + L"|" + r.link_name + L"|" + r.content_name + L"|" + r.category + L"|" +
                            r.sub_category + L"|" + r.note + L"|" + std::to_wstring(r.play_count) + L"|" +
                            std::to_wstring(r.star_count) + L"|" + std::to_wstring(r.last_play_frame) + L"|" +
                            std::to_wstring(r.file_size) + L"|" + r.movie_player_name + L"|";
        for (const auto& tag : r.tags) line += tag + L",";
        line += L"|";
        for (const auto& frame : r.favorites_frames) line += frame.fav_name + L":" + std::to_wstring(frame.fav) + L",";
        lines.push_back(line);
    }
    std::sort(lines.begin(), lines.end());
    std::wstring dump;
    for (const auto& line : lines) dump += line + L"\n";
    return dump;
}

bool WriteAlbumDump(const std::wstring& path, const ItemMovieDataList_CL& list)
{
    std::vector<uint8_t> bytes = {0xFF, 0xFE};
    std::vector<uint8_t> text = Utf16Bytes(AlbumDump(list));
    bytes.insert(bytes.end(), text.begin(), text.end());
    return WriteFileBytes(path, bytes);
}
