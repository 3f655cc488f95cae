// The fast-start cache "LastAlbumInfo.dat": every movie record of the album as it stood at
// the last save, in fixed-width items that load in one pass.
#include <windows.h>

#include <cwctype>

#include "core/album/DataLoadProgress.h"
#include "core/album/ItemMovieDataList.h"
#include "core/album/AlbumData.h"
#include "core/base/ByteReader.h"
#include "core/base/ByteWriter.h"
#include "core/base/Inifile.h"
#include "core/base/Log.h"
#include "core/base/PathName.h"
#include "core/base/UniqueHandle.h"

namespace {

constexpr uint32_t kCacheVersion = 259;
constexpr size_t kPathWidth = 260;
constexpr size_t kCategoryWidth = 32;
constexpr size_t kNoteWidth = 1000;
constexpr size_t kTagWidth = 64;
constexpr size_t kTagSlots = 20;
// An item is this plus 16 bytes per skip range and 74 per thumbnail frame.
constexpr uint32_t kItemFixedSize = 6506;
constexpr uint32_t kRangeSize = 16;
constexpr uint32_t kFrameSize = 74;
constexpr uint32_t kMaxItemSize = kItemFixedSize + kRangeSize * ItemMovieData_CL::kSkipFrameCount +
                                  kFrameSize * ItemMovieData_CL::kFavoritesFrameCount;

// Pinned so that the 32-bit and the 64-bit programs read each other's caches.
static_assert(kItemFixedSize == kU32Bytes + 3 * FixedStringBytes(kPathWidth) + kI64Bytes + 2 * kU32Bytes +
                                    2 * FixedStringBytes(kCategoryWidth) + FixedStringBytes(kNoteWidth) +
                                    2 * kU32Bytes + 2 * kI64Bytes + kU32Bytes + kU32Bytes + kU32Bytes +
                                    kU32Bytes + 2 * kI64Bytes + kTagSlots * FixedStringBytes(kTagWidth) +
                                    FixedStringBytes(kTagWidth),
              "cache item without ranges and frames");
static_assert(kRangeSize == 2 * kI64Bytes && kFrameSize == FixedStringBytes(kCategoryWidth) + kI64Bytes,
              "cache skip range and frame");
static_assert(kMaxItemSize == 7342, "largest cache item");

std::wstring CacheFilePath(const std::wstring& albumFolder)
{
    return albumFolder + L"\\LastAlbumInfo.dat";
}

bool IsDigits(const std::wstring& text, size_t start, size_t count)
{
    if (start + count > text.size()) return false;
    for (size_t i = start; i < start + count; ++i)
        if (text[i] < L'0' || text[i] > L'9') return false;
    return true;
}

// What a stored contents path holds from its album folder on, taken from the last
// "\ALBUM_" component, which must read ALBUM_dddd, contents, ddd, contentsddd-ddddd.ini.
// Anything else (a path with "..", another file) gives an empty result; a data root whose
// own name holds "ALBUM_" does not disturb it.
std::wstring AlbumRelativeContentsPath(const std::wstring& stored)
{
    static const std::wstring shape = L"ALBUM_dddd\\contents\\ddd\\contentsddd-ddddd.ini";
    size_t slash = stored.rfind(L"\\ALBUM_");
    if (slash == std::wstring::npos) return std::wstring();
    std::wstring rest = stored.substr(slash + 1);
    if (rest.size() != shape.size()) return std::wstring();
    for (size_t i = 0; i < shape.size(); ++i) {
        if (shape[i] == L'd' ? !IsDigits(rest, i, 1) : rest[i] != shape[i]) return std::wstring();
    }
    return rest;
}

}  // namespace

void ItemMovieData_CL::WriteCacheItem(ByteWriter_CL& out)
{
    CreateUnicodeIniFile(ini_name);
    link_hash = LinkNameHash(link_name);

    out.WriteU32(link_hash);
    out.WriteFixedString(ini_name, kPathWidth);
    out.WriteFixedString(link_name, kPathWidth);
    out.WriteFixedString(content_name, kPathWidth);
    out.WriteI64(last_play_frame);
    out.WriteU32(no_resume);
    out.WriteI32(vol_offset);
    out.WriteFixedString(category, kCategoryWidth);
    out.WriteFixedString(sub_category, kCategoryWidth);
    out.WriteFixedString(note, kNoteWidth);
    out.WriteU32(play_count);
    out.WriteU32(star_count);
    out.WriteI64(play_date_time);
    out.WriteI64(add_date);
    out.WriteU32(decodo_err);
    out.WriteU32(static_cast<uint32_t>(skip_frames.size()));
    for (const auto& range : skip_frames) {
        out.WriteI64(range.beg);
        out.WriteI64(range.end);
    }
    out.WriteU32(static_cast<uint32_t>(favorites_frames.size()));
    for (const auto& frame : favorites_frames) {
        out.WriteFixedString(frame.fav_name, kCategoryWidth);
        out.WriteI64(frame.fav);
    }
    out.WriteU32(file_unchecked);
    out.WriteI64(file_size);
    out.WriteI64(file_time);
    for (size_t i = 0; i < kTagSlots; ++i) out.WriteFixedString(i < tags.size() ? tags[i] : std::wstring(), kTagWidth);
    out.WriteFixedString(movie_player_name, kTagWidth);
}

int ItemMovieData_CL::ReadCacheItem(ByteReader_CL& in, const std::wstring& dataRoot)
{
    const int kShort = kCacheItemShort;
    std::wstring storedIni;
    if (!in.ReadU32(link_hash) || !in.ReadFixedString(storedIni, kPathWidth) ||
        !in.ReadFixedString(link_name, kPathWidth) || !in.ReadFixedString(content_name, kPathWidth) ||
        !in.ReadI64(last_play_frame) || !in.ReadU32(no_resume) || !in.ReadI32(vol_offset))
        return kShort;

    // The album folder may have moved with the data root since the cache was written.
    std::wstring relative = AlbumRelativeContentsPath(storedIni);
    if (relative.empty()) return kCacheItemForeignPath;
    ini_name = dataRoot + L"\\Reelvault\\" + relative;

    if (!in.ReadFixedString(category, kCategoryWidth) || !in.ReadFixedString(sub_category, kCategoryWidth) ||
        !in.ReadFixedString(note, kNoteWidth) || !in.ReadU32(play_count) || !in.ReadU32(star_count) ||
        !in.ReadI64(play_date_time) || !in.ReadI64(add_date) || !in.ReadU32(decodo_err))
        return kShort;

    // Any number of ranges and frames is taken as long as the item's size says so (the
    // caller compares it with the header's); a record keeps the first ones it has room for.
    uint32_t rangeCount = 0;
    if (!in.ReadCount(rangeCount, kRangeSize)) return kShort;
    skip_frames.clear();
    for (uint32_t i = 0; i < rangeCount; ++i) {
        SkipFrameEntry range;
        if (!in.ReadI64(range.beg) || !in.ReadI64(range.end)) return kShort;
        if (i < static_cast<uint32_t>(kSkipFrameCount)) skip_frames.push_back(range);
    }

    uint32_t frameCount = 0;
    if (!in.ReadCount(frameCount, kFrameSize)) return kShort;
    favorites_frames.assign(kFavoritesFrameCount, FavoritesFrameEntry());
    // Frames the cache does not hold come back unnamed at position 0.
    for (auto& frame : favorites_frames) frame.fav = 0;
    for (uint32_t i = 0; i < frameCount; ++i) {
        FavoritesFrameEntry frame;
        if (!in.ReadFixedString(frame.fav_name, kCategoryWidth) || !in.ReadI64(frame.fav)) return kShort;
        if (i < static_cast<uint32_t>(kFavoritesFrameCount)) favorites_frames[i] = frame;
    }

    if (!in.ReadU32(file_unchecked) || !in.ReadI64(file_size) || !in.ReadI64(file_time)) return kShort;
    tags.clear();
    for (size_t i = 0; i < kTagSlots; ++i) {
        std::wstring tag;
        if (!in.ReadFixedString(tag, kTagWidth)) return kShort;
        if (!tag.empty()) tags.push_back(tag);
    }
    if (!in.ReadFixedString(movie_player_name, kTagWidth)) return kShort;

    SortTags();
    CreateUnicodeIniFile(ini_name);
    link_hash = LinkNameHash(link_name);
    run_decode = 0;
    file_missing = 0;
    return kCacheItemRead;
}

HRESULT ItemMovieDataList_CL::SaveFastStart(const std::wstring& albumFolder)
{
    const std::wstring path = CacheFilePath(albumFolder);
    const std::wstring temporary = path + L".tmp";
    // A cache that cannot be brought up to date must not survive: it would bring back
    // the album as it stood before this save.
    auto fail = [&](const wchar_t* why) {
        WriteLog(AppLog, L"(err)高速起動用データを書き込めません: %s", why);
        DeleteFileW(temporary.c_str());
        DeleteFileW(path.c_str());
        return E_FAIL;
    };

    UniqueHandle file(
        CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return fail(L"CreateFile");

    ByteWriter_CL out;
    // The buffer goes out in pieces of about a megabyte, and once more at the end.
    auto writeOut = [&]() {
        DWORD written = 0;
        bool ok = out.GetSize() == 0 ||
                  (WriteFile(file.get(), out.GetBytes().data(), static_cast<DWORD>(out.GetSize()), &written, nullptr) &&
                   written == out.GetSize());
        out.Clear();
        return ok;
    };
    out.WriteU32(kCacheVersion);
    out.WriteU32(static_cast<uint32_t>(records.size()));
    size_t itemSize = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        ByteWriter_CL item;
        records[i].WriteCacheItem(item);
        if (i == 0) {
            itemSize = item.GetSize();
            out.WriteU32(static_cast<uint32_t>(itemSize));
        }
        // One size stands in the header for all items.
        if (item.GetSize() != itemSize) return fail(L"item size");
        out.Append(item);
        if (out.GetSize() >= (1u << 20) && !writeOut()) return fail(L"WriteFile");
    }
    if (!writeOut()) return fail(L"WriteFile");
    if (!FlushFileBuffers(file.get())) return fail(L"FlushFileBuffers");
    file.reset();
    if (!MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return fail(L"MoveFileEx");
    return 0;
}

HRESULT ItemMovieDataList_CL::LoadFastStart(const std::wstring& albumFolder)
{
    records.clear();
    WriteLog(AppLog, L"読み込み(開始)");
    auto slowLoad = [this]() {
        records.clear();
        WriteLog(AppLog, L"低速読み込みを行います。");
        return E_FAIL;
    };
    auto caught = [&]() {
        WriteLog(AppLog, L"(err)データ読み込み中に例外をキャッチしました。");
        return slowLoad();
    };
    auto sizeMismatch = [this]() {
        records.clear();
        WriteLog(AppLog, L"(err)データ読み込み中にアイテムサイズの不一致を検出しました。");
        return E_FAIL;
    };

    UniqueHandle file(CreateFileW(CacheFilePath(albumFolder).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return slowLoad();
    LARGE_INTEGER fileSize;
    if (!GetFileSizeEx(file.get(), &fileSize)) return slowLoad();

    auto readExactly = [&](void* buffer, DWORD size) {
        DWORD read = 0;
        return ReadFile(file.get(), buffer, size, &read, nullptr) && read == size;
    };
    uint32_t header[2] = {0, 0};
    if (!readExactly(header, sizeof(header))) header[0] = header[1] = 0;
    const uint32_t version = header[0];
    const uint32_t count = header[1];
    uint32_t itemSize = 0;
    if (count > 0 && static_cast<int32_t>(count) > 0 && !readExactly(&itemSize, sizeof(itemSize))) return caught();

    // A count no record vector can hold is what the reservation would have choked on.
    if (static_cast<int32_t>(count) < 0) return caught();
    if (count == 0) return slowLoad();
    if (version != kCacheVersion) {
        MessageBoxW(nullptr,
                    L"Reelvault高速起動用データのバージョンが異なる為、データの再読み込みを行います。"
                    L"しばらくお待ちください。",
                    L"お知らせ", MB_OK);
        return slowLoad();
    }
    if (itemSize < kItemFixedSize || itemSize > kMaxItemSize) return sizeMismatch();
    // The items must all be there before anything is reserved for them.
    if (static_cast<uint64_t>(count) * itemSize > static_cast<uint64_t>(fileSize.QuadPart) - 12) return caught();

    DataLoadProgress_CL* progress = g_dataLoadProgress;
    if (progress) progress->AddTotal(static_cast<int>(count));
    const std::wstring dataRoot = GetDataRootFolder();
    std::vector<ItemMovieData_CL> loaded;
    loaded.reserve(count);
    std::vector<uint8_t> buffer(itemSize);
    for (uint32_t i = 0; i < count; ++i) {
        if (!readExactly(buffer.data(), itemSize)) return caught();
        ByteReader_CL in(buffer);
        ItemMovieData_CL record;
        const int result = record.ReadCacheItem(in, dataRoot);
        if (result == ItemMovieData_CL::kCacheItemForeignPath) {
            WriteLog(AppLog, L"(err)高速起動用データのパスがアルバムのフォルダを指していません。");
            return slowLoad();
        }
        // The bytes an item really takes follow from its own range and frame counts.
        if (result != ItemMovieData_CL::kCacheItemRead || in.GetPosition() != itemSize) return sizeMismatch();
        loaded.push_back(std::move(record));
        if (progress) progress->StepDone();
    }
    for (auto& record : loaded) AppendLoaded(record);
    WriteLog(AppLog, L"読み込み(終了)");
    return 0;
}
