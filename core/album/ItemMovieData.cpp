#include "core/album/ItemMovieData.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>

#include "core/album/AlbumFiles.h"
#include "core/base/Inifile.h"
#include "core/base/PathName.h"

namespace {

const wchar_t kMovieInfo[] = L"MOVIE_INFO";
const wchar_t kCategory[] = L"CATEGORY";
const wchar_t kSkipFrame[] = L"SKIP_FRAME";
const wchar_t kFavoritesFrame[] = L"FAVORITES_FRAME";
const wchar_t kTagInfo[] = L"TAG_INFO";

// FILETIME of 1970-01-01 00:00:00 UTC.
constexpr int64_t kUnixEpochFileTime = 116444736000000000LL;

int64_t CurrentUnixTime()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER value;
    value.LowPart = now.dwLowDateTime;
    value.HighPart = now.dwHighDateTime;
    return (static_cast<int64_t>(value.QuadPart) - kUnixEpochFileTime) / 10000000;
}

}  // namespace

void ItemMovieData_CL::ReadContentsIni(const std::wstring& path)
{
    Inifile_CL ini;
    ini.SetPath(path);

    link_hash = ini.ReadInt(kMovieInfo, L"hash", 0);
    ini_name = path;
    link_name = ini.ReadString(kMovieInfo, L"link_name", L"");
    content_name = ini.ReadString(kMovieInfo, L"content_name", L"");
    last_play_frame = ini.ReadHex64(-1, kMovieInfo, L"last_play_frame");

    category = ini.ReadString(kCategory, L"category", L"");
    sub_category = ini.ReadString(kCategory, L"sub_category", L"");
    UpdateCategoryHash();

    no_resume = ini.ReadInt(kMovieInfo, L"no_resume", 0);
    vol_offset = static_cast<int32_t>(ini.ReadInt(kMovieInfo, L"vol_offset", 0));
    note = DecodeLineBreaks(ReadLongIniString(ini, kMovieInfo, L"note"));
    decodo_err = ini.ReadInt(kMovieInfo, L"decodo_err", 0);
    play_count = ini.ReadInt(kMovieInfo, L"play_count", 0);
    star_count = ini.ReadInt(kMovieInfo, L"star_count", 0);
    play_date_time = ini.ReadHex64(-1, kMovieInfo, L"play_date_time");
    add_date = ini.ReadHex64(CurrentUnixTime(), kMovieInfo, L"add_date");
    run_decode = ini.ReadInt(kMovieInfo, L"run_decode", 0);

    UpdateFileInfo();

    // The stored counts are not used: every record carries the same fixed number of
    // entries, whatever an older writer recorded.
    skip_frames.clear();
    ini.ReadInt(kSkipFrame, L"count", 0);
    for (int i = 0; i < kSkipFrameCount; ++i) {
        SkipFrameEntry entry;
        entry.beg = ini.ReadHex64(-1, kSkipFrame, NumberedKey(L"beg%02d", i).c_str());
        entry.end = ini.ReadHex64(-1, kSkipFrame, NumberedKey(L"end%02d", i).c_str());
        skip_frames.push_back(entry);
    }

    favorites_frames.clear();
    ini.ReadInt(kFavoritesFrame, L"count", 0);
    for (int i = 0; i < kFavoritesFrameCount; ++i) {
        FavoritesFrameEntry entry;
        entry.fav_name = ini.ReadString(kFavoritesFrame, NumberedKey(L"fav_name%02d", i).c_str(), L"");
        entry.fav = ini.ReadHex64(-1, kFavoritesFrame, NumberedKey(L"fav%02d", i).c_str());
        favorites_frames.push_back(entry);
    }

    tags.clear();
    int32_t tagCount = BoundedListCount(static_cast<int32_t>(ini.ReadInt(kTagInfo, L"count", 0)));
    for (int32_t i = 0; i < tagCount; ++i) {
        std::wstring tag = ini.ReadString(kTagInfo, NumberedKey(L"item%d", i).c_str(), L"");
        if (!tag.empty()) tags.push_back(tag);
    }
    SortTags();

    movie_player_name = ini.ReadString(kMovieInfo, L"movie_player_name", L"");

    if (FileExists(link_name)) {
        file_missing = 0;
        file_unchecked = 0;
    } else {
        file_missing = 1;
    }

    ini_name = path;

    // A file without a tag count was written by an old version, possibly in the system
    // code page; it is rewritten once as Unicode with every key. A file with the mark
    // but without tags is already Unicode and is left alone.
    if (static_cast<int32_t>(ini.ReadInt(kTagInfo, L"count", -1)) != -1) return;
    if (HasUnicodeMark(path)) return;
    if (!RecreateWithUnicodeMark(path)) return;
    WriteContentsIni();
}

void ItemMovieData_CL::WriteContentsIni()
{
    Inifile_CL ini;
    ini.SetPath(ini_name);

    UpdateCategoryHash();
    link_hash = LinkNameHash(link_name);

    ini.WriteInt(static_cast<int>(link_hash), kMovieInfo, L"hash");
    ini.WriteString(kMovieInfo, L"ini_name", ToSingleLine(ini_name));
    ini.WriteString(kMovieInfo, L"link_name", ToSingleLine(link_name));
    ini.WriteString(kMovieInfo, L"content_name", ToSingleLine(content_name));
    ini.WriteHex64(last_play_frame, kMovieInfo, L"last_play_frame");
    ini.WriteInt(static_cast<int>(no_resume), kMovieInfo, L"no_resume");
    ini.WriteInt(vol_offset, kMovieInfo, L"vol_offset");
    ini.WriteString(kCategory, L"category", ToSingleLine(category));
    ini.WriteString(kCategory, L"sub_category", ToSingleLine(sub_category));
    ini.WriteString(kMovieInfo, L"note", EncodeLineBreaks(note));
    ini.WriteInt(static_cast<int>(play_count), kMovieInfo, L"play_count");
    ini.WriteInt(static_cast<int>(star_count), kMovieInfo, L"star_count");
    ini.WriteHex64(play_date_time, kMovieInfo, L"play_date_time");
    ini.WriteHex64(add_date, kMovieInfo, L"add_date");
    ini.WriteInt(static_cast<int>(decodo_err), kMovieInfo, L"decodo_err");

    ini.WriteInt(static_cast<int>(skip_frames.size()), kSkipFrame, L"count");
    for (size_t i = 0; i < skip_frames.size(); ++i) {
        ini.WriteHex64(skip_frames[i].beg, kSkipFrame, NumberedKey(L"beg%02d", static_cast<int>(i)).c_str());
        ini.WriteHex64(skip_frames[i].end, kSkipFrame, NumberedKey(L"end%02d", static_cast<int>(i)).c_str());
    }

    ini.WriteInt(static_cast<int>(favorites_frames.size()), kFavoritesFrame, L"count");
    for (size_t i = 0; i < favorites_frames.size(); ++i) {
        ini.WriteString(kFavoritesFrame, NumberedKey(L"fav_name%02d", static_cast<int>(i)).c_str(),
                        ToSingleLine(favorites_frames[i].fav_name));
        ini.WriteHex64(favorites_frames[i].fav, kFavoritesFrame, NumberedKey(L"fav%02d", static_cast<int>(i)).c_str());
    }

    ini.WriteInt(static_cast<int>(tags.size()), kTagInfo, L"count");
    for (size_t i = 0; i < tags.size(); ++i)
        ini.WriteString(kTagInfo, NumberedKey(L"item%d", static_cast<int>(i)).c_str(), ToSingleLine(tags[i]));

    ini.WriteString(kMovieInfo, L"movie_player_name", ToSingleLine(movie_player_name));
}

std::wstring ItemMovieData_CL::GetThumbnailPath() const
{
    return PathName_CL::RemoveExtension(ini_name) + L".jpg";
}

void ItemMovieData_CL::UpdateFileInfo()
{
    // The attributes are read without opening the file, so a player that holds the movie
    // open does not hide its size and time.
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (link_name.empty() || !GetFileAttributesExW(link_name.c_str(), GetFileExInfoStandard, &data)) return;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return;

    ULARGE_INTEGER size;
    size.LowPart = data.nFileSizeLow;
    size.HighPart = data.nFileSizeHigh;
    file_size = static_cast<int64_t>(size.QuadPart);

    ULARGE_INTEGER written;
    written.LowPart = data.ftLastWriteTime.dwLowDateTime;
    written.HighPart = data.ftLastWriteTime.dwHighDateTime;
    file_time = (static_cast<int64_t>(written.QuadPart) - kUnixEpochFileTime) / 10000000;
}

void ItemMovieData_CL::SortTags()
{
    std::sort(tags.begin(), tags.end());
    tag_text.clear();
    for (size_t i = 0; i < tags.size(); ++i) {
        if (i) tag_text += L',';
        tag_text += tags[i];
    }
}

uint32_t ItemMovieData_CL::GetContentsFolderNumber(const std::wstring& moviePath)
{
    return LinkNameHash(moviePath) % 100;
}

std::wstring ItemMovieData_CL::MakeContentsIniPath(const std::wstring& dataRoot, const std::wstring& album,
                                                   uint32_t folderNumber, int32_t fileNumber)
{
    wchar_t name[64];
    _snwprintf(name, 64, L"\\contents\\%03u\\contents%03u-%05d.ini", folderNumber % 100, folderNumber % 100,
               fileNumber);
    name[63] = L'\0';
    return dataRoot + L"\\Reelvault\\" + album + name;
}
