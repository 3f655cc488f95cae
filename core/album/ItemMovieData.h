#pragma once
// One registered movie and its own contents ini.
#include <cstdint>
#include <string>
#include <vector>

#include "core/album/ItemBase.h"
#include "core/base/ProfileText.h"

class ByteReader_CL;
class IniReader_IF;
class ByteWriter_CL;

// A range carried unchanged through loads, saves and copies; -1 when absent.
struct SkipFrameEntry {
    int64_t beg = -1;
    int64_t end = -1;
};

// One thumbnail frame: -1 asks for an evenly spread position, -2 for a random one.
struct FavoritesFrameEntry {
    std::wstring fav_name;
    int64_t fav = -1;
};

class ItemMovieData_CL : public ItemBase_CL {
public:
    // A load always leaves exactly this many entries.
    static constexpr int kSkipFrameCount = 6;
    static constexpr int kFavoritesFrameCount = 10;

    // Fills the record from the contents ini at path; a missing file is created empty and
    // yields a record of defaults. A file without the UTF-16LE mark and without a tag
    // section is rewritten once as UTF-16LE holding every key.
    void ReadContentsIni(const std::wstring& path);
    // The same from a reader already bound to the file (a snapshot during a bulk load).
    void ReadContentsIni(const std::wstring& path, const IniReader_IF& ini);
    // Writes every stored key to the file named by ini_name, in the file's fixed order.
    void WriteContentsIni();
    // For a contents ini that holds nothing yet: the same file in one write, byte for byte
    // what WriteContentsIni would leave there.
    void WriteNewContentsIni();
    // The stored keys in the order they are written (refreshes the hashes first).
    std::vector<IniEntry> ContentsIniEntries();
    // ini_name with ".jpg" in place of its extension: the movie's thumbnail strip.
    std::wstring GetThumbnailPath() const;
    // file_size and file_time from the movie file; both stay as they are when it cannot
    // be read.
    void UpdateFileInfo();
    // Sorts the tags by code unit and rebuilds tag_text.
    void SortTags();

    // One item of the fast-start cache. Writing creates a missing contents ini and
    // refreshes link_hash. Reading takes the item's ini path onto dataRoot: the stored path
    // must end in "ALBUM_dddd", "contents", "ddd", "contentsddd-ddddd.ini", so that no item
    // can make a file outside the album folders.
    enum { kCacheItemRead = 0, kCacheItemShort = 1, kCacheItemForeignPath = 2 };
    void WriteCacheItem(ByteWriter_CL& out);
    int ReadCacheItem(ByteReader_CL& in, const std::wstring& dataRoot);

    // The contents folder ("%03d") that holds the ini of the movie at moviePath: 0..99.
    static uint32_t GetContentsFolderNumber(const std::wstring& moviePath);
    // dataRoot\Reelvault\album\contents\FFF\contentsFFF-NNNNN.ini
    static std::wstring MakeContentsIniPath(const std::wstring& dataRoot, const std::wstring& album,
                                            uint32_t folderNumber, int32_t fileNumber);

    uint32_t link_hash = 0;
    std::wstring link_name;
    std::wstring content_name;
    std::wstring note;
    int64_t last_play_frame = -1;
    std::vector<SkipFrameEntry> skip_frames;
    std::vector<FavoritesFrameEntry> favorites_frames;
    std::vector<std::wstring> tags;
    std::wstring tag_text;
    uint32_t no_resume = 0;
    int32_t vol_offset = 0;
    std::wstring movie_player_name;
    uint32_t file_unchecked = 1;
    uint32_t decodo_err = 0;
    uint32_t play_count = 0;
    uint32_t star_count = 0;
    int64_t play_date_time = -1;
    int64_t add_date = -1;
    // Seconds since 1970; 0 while the movie file could not be read.
    int64_t file_time = 0;
    int64_t file_size = 0;
    uint32_t run_decode = 0;
    uint32_t decode_key = 0;
    uint32_t file_missing = 0;
};
