#include "core/album/ItemMovieData.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>

#include "core/album/AlbumFiles.h"
#include "core/base/Inifile.h"
#include "core/base/PathName.h"
#include "core/base/ProfileText.h"
#include "core/base/UniqueHandle.h"

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
    ReadContentsIni(path, ini);
}

void ItemMovieData_CL::ReadContentsIni(const std::wstring& path, const IniReader_IF& ini)
{
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
    note = DecodeLineBreaks(ini.ReadLongString(kMovieInfo, L"note"));
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
    int32_t tagCount = StoredListLength(ini, kTagInfo, static_cast<int32_t>(ini.ReadInt(kTagInfo, L"count", 0)));
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

std::vector<IniEntry> ItemMovieData_CL::ContentsIniEntries()
{
    UpdateCategoryHash();
    link_hash = LinkNameHash(link_name);

    std::vector<IniEntry> entries = {
        {kMovieInfo, L"hash", FormatIniInt(static_cast<int>(link_hash))},
        {kMovieInfo, L"ini_name", ToSingleLine(ini_name)},
        {kMovieInfo, L"link_name", ToSingleLine(link_name)},
        {kMovieInfo, L"content_name", ToSingleLine(content_name)},
        {kMovieInfo, L"last_play_frame", FormatIniHex64(last_play_frame)},
        {kMovieInfo, L"no_resume", FormatIniInt(static_cast<int>(no_resume))},
        {kMovieInfo, L"vol_offset", FormatIniInt(vol_offset)},
        {kCategory, L"category", ToSingleLine(category)},
        {kCategory, L"sub_category", ToSingleLine(sub_category)},
        {kMovieInfo, L"note", EncodeLineBreaks(note)},
        {kMovieInfo, L"play_count", FormatIniInt(static_cast<int>(play_count))},
        {kMovieInfo, L"star_count", FormatIniInt(static_cast<int>(star_count))},
        {kMovieInfo, L"play_date_time", FormatIniHex64(play_date_time)},
        {kMovieInfo, L"add_date", FormatIniHex64(add_date)},
        {kMovieInfo, L"decodo_err", FormatIniInt(static_cast<int>(decodo_err))},
    };

    entries.push_back({kSkipFrame, L"count", FormatIniInt(static_cast<int>(skip_frames.size()))});
    for (size_t i = 0; i < skip_frames.size(); ++i) {
        entries.push_back({kSkipFrame, NumberedKey(L"beg%02d", static_cast<int>(i)), FormatIniHex64(skip_frames[i].beg)});
        entries.push_back({kSkipFrame, NumberedKey(L"end%02d", static_cast<int>(i)), FormatIniHex64(skip_frames[i].end)});
    }

    entries.push_back({kFavoritesFrame, L"count", FormatIniInt(static_cast<int>(favorites_frames.size()))});
    for (size_t i = 0; i < favorites_frames.size(); ++i) {
        entries.push_back({kFavoritesFrame, NumberedKey(L"fav_name%02d", static_cast<int>(i)),
                           ToSingleLine(favorites_frames[i].fav_name)});
        entries.push_back(
            {kFavoritesFrame, NumberedKey(L"fav%02d", static_cast<int>(i)), FormatIniHex64(favorites_frames[i].fav)});
    }

    entries.push_back({kTagInfo, L"count", FormatIniInt(static_cast<int>(tags.size()))});
    for (size_t i = 0; i < tags.size(); ++i)
        entries.push_back({kTagInfo, NumberedKey(L"item%d", static_cast<int>(i)), ToSingleLine(tags[i])});

    entries.push_back({kMovieInfo, L"movie_player_name", ToSingleLine(movie_player_name)});
    return entries;
}

void ItemMovieData_CL::WriteContentsIni()
{
    Inifile_CL ini;
    ini.SetPath(ini_name);
    for (const IniEntry& entry : ContentsIniEntries()) ini.WriteString(entry.section, entry.key.c_str(), entry.value);
}

void ItemMovieData_CL::WriteNewContentsIni()
{
    std::wstring text;
    if (FormatNewProfileFile(ContentsIniEntries(), text)) {
        std::vector<uint8_t> bytes = {0xFF, 0xFE};
        bytes.reserve(2 + text.size() * 2);
        for (wchar_t unit : text) {
            bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
            bytes.push_back(static_cast<uint8_t>(unit >> 8));
        }
        UniqueHandle file(
            CreateFileW(ini_name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size())
            return;
    }
    // Text the one-piece writer cannot vouch for, or a failed write: key by key.
    RecreateWithUnicodeMark(ini_name);
    WriteContentsIni();
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
