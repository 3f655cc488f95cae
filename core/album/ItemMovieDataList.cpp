#include "core/album/ItemMovieDataList.h"

#include <wincrypt.h>

#include "core/album/AlbumFiles.h"
#include "core/album/DataLoadProgress.h"
#include "core/base/IniSnapshot.h"

int ItemMovieDataList_CL::Load(std::wstring albumFolder)
{
    records.clear();
    if (LoadFastStart(albumFolder) == 0) return 0;
    records.clear();

    ItemMovieDataList_FindIniFile_CL walk(this);
    walk.Find(TRUE, albumFolder + L"\\contents\\*.*");

    DataLoadProgress_CL* progress = g_dataLoadProgress;
    if (progress) progress->Reset(static_cast<int>(walk.paths.size()));
    records.reserve(walk.paths.size());
    IniSnapshot_CL snapshot;
    for (const std::wstring& path : walk.paths) {
        ItemMovieData_CL record;
        const bool fromSnapshot = read_with_snapshots && snapshot.Load(path);
        // A file gone since the folder was listed is a movie deleted meanwhile; a profile read
        // would make its file again, empty.
        if (fromSnapshot || FileExists(path)) {
            if (fromSnapshot)
                record.ReadContentsIni(path, snapshot);
            else
                record.ReadContentsIni(path);
            record.ini_name = path;
            AppendLoaded(record);
        }
        if (progress) progress->StepDone();
    }
    return 0;
}

uint32_t ItemMovieDataList_CL::TakeDecodeKey()
{
    uint32_t key = next_decode_key++;
    // After a wrap-around 0 would name no movie in the messages.
    if (key == 0) key = next_decode_key++;
    return key;
}

void ItemMovieDataList_CL::StartDecodeKeysAtRandom()
{
    uint32_t base = 0;
    HCRYPTPROV provider = 0;
    if (CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT | CRYPT_SILENT)) {
        if (!CryptGenRandom(provider, sizeof(base), reinterpret_cast<BYTE*>(&base))) base = 0;
        CryptReleaseContext(provider, 0);
    }
    // Without the random source the clock still differs from one run to the next.
    if (base == 0) base = static_cast<uint32_t>(GetTickCount64() * 2654435761u) ^ GetCurrentProcessId();
    next_decode_key = base == 0 ? 1 : base;
}

void ItemMovieDataList_CL::AppendLoaded(ItemMovieData_CL& record)
{
    record.decode_key = TakeDecodeKey();
    record.UpdateCategoryHash();
    records.push_back(std::move(record));
}

int32_t ItemMovieDataList_CL::SelectByCategory(const std::wstring& name, ItemMovieView_CL& view)
{
    view.records = &records;
    uint32_t hash = NameHash(name);
    SelectIndices(
        records, nullptr, [&](const ItemMovieData_CL& movie) { return movie.IsInCategory(hash, name); }, view.indices);
    return static_cast<int32_t>(records.size());
}

void ItemMovieDataList_CL::SelectAll(ItemMovieView_CL& view)
{
    view.records = &records;
    view.indices.clear();
    for (size_t i = 0; i < records.size(); ++i) view.indices.push_back(static_cast<int32_t>(i));
}

void ItemMovieDataList_FindIniFile_CL::OnFile(const std::wstring& folder, const WIN32_FIND_DATAW* data)
{
    std::wstring name = data->cFileName;
    if (name == L"Reelvault.ini") return;
    size_t dot = name.rfind(L'.');
    if (dot == std::wstring::npos || name.compare(dot, std::wstring::npos, L".ini") != 0) return;
    paths.push_back(folder + L"\\" + name);
}
