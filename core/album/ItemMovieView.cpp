#include "core/album/ItemMovieView.h"

#include "core/album/ItemCategoryView.h"
#include "core/album/NameCompare.h"
#include "core/album/SaveData.h"
#include "core/base/RegexSearch.h"

#include <algorithm>

void ItemMovieView_CL::SelectBySubCategory(const std::wstring& name, ItemMovieView_CL& out) const
{
    SelectBySubCategoryInto(name, out);
}

void ItemMovieView_CL::CountCategoryItems(ItemCategoryView_CL& categories, int all) const
{
    if (!categories.records) return;
    bool playlistsOrSites = false;
    for (size_t c = 0; c < categories.size(); ++c) {
        ItemCategoryData_CL& record = categories.at(c);
        record.item_count = static_cast<int32_t>(record.playlist.size());
        if (!record.playlist.empty() || !record.url_link.empty()) playlistsOrSites = true;
    }
    if (playlistsOrSites || !records) return;

    auto countMovie = [&categories](const ItemMovieData_CL& movie) {
        for (size_t c = 0; c < categories.size(); ++c) {
            ItemCategoryData_CL& record = categories.at(c);
            if (movie.IsInCategory(record.category_hash, record.category) &&
                movie.IsInSubCategory(record.sub_category_hash, record.sub_category))
                ++record.item_count;
        }
    };
    if (all == 1) {
        for (const ItemMovieData_CL& movie : *records) countMovie(movie);
    } else {
        for (int32_t index : indices) countMovie((*records)[index]);
    }
}

std::atomic<int32_t> g_movieSearchMode{0};
std::atomic<int32_t> g_movieSearchRegex{0};

namespace {

const std::wstring* SearchField(const ItemMovieData_CL& movie, int32_t mode)
{
    switch (mode) {
    case 0: return &movie.content_name;
    case 1: return &movie.tag_text;
    case 2: return &movie.note;
    default: return nullptr;
    }
}

}  // namespace

void ItemMovieView_CL::Filter(const std::wstring& text, ItemMovieView_CL& out, int regex,
                              const Inifile_CL& programIni) const
{
    out.records = records;
    out.indices.clear();
    if (!records) return;
    const int32_t mode = g_movieSearchMode;
    const bool hide = programIni.ReadInt(L"ALBUM_INFO", L"no_find_move_hide", 0) == 1;

    std::vector<const std::wstring*> fields;
    const bool searchField = !text.empty() && mode >= 0 && mode <= 2;
    if (searchField) {
        fields.reserve(indices.size());
        for (int32_t index : indices) fields.push_back(SearchField((*records)[index], mode));
    }
    std::vector<char> matches;
    if (searchField && regex) matches = RegexSearch(text, fields);

    for (size_t i = 0; i < indices.size(); ++i) {
        const ItemMovieData_CL& movie = (*records)[indices[i]];
        bool keep;
        if (searchField) {
            keep = regex ? matches[i] != 0 : fields[i]->find(text) != std::wstring::npos;
            keep = keep && !(hide && movie.file_missing == 1);
        } else if (mode == 3) {
            keep = movie.file_missing == 1 || movie.decodo_err == 1 || movie.file_unchecked == 1;
        } else {
            // A negative mode comes only from a hand-edited ini; it keeps nothing while
            // there is text to look for.
            keep = !(mode < 0 && !text.empty()) && !(hide && movie.file_missing == 1);
        }
        if (keep) out.indices.push_back(indices[i]);
    }
}

void ItemMovieView_CL::Sort(const SaveData_CL& albumData)
{
    if (!records) return;
    const int dightSort = static_cast<int>(albumData.program_ini.ReadInt(L"SORT_SETTING", L"dight_sort", 0));
    const DispSettingData_CL& settings = albumData.disp_setting;
    const int tab = settings.selected_sort_tab;
    if (tab < 0 || tab >= 10) return;
    const int32_t kind = settings.sort_tabs[tab].sortKey;
    const bool descending = settings.sort_tabs[tab].descending != 0;
    const std::vector<ItemMovieData_CL>& all = *records;

    auto ordered = [descending](auto a, auto b) { return descending ? b < a : a < b; };
    // Each key is copied once into a compact array that is sorted instead of the indices:
    // a comparison then touches no movie record. The same comparisons on the same sequence
    // give the same order as sorting the indices directly, ties included.
    auto sortBy = [&](auto keyOf, auto less) {
        using Key = decltype(keyOf(all[0]));
        std::vector<std::pair<Key, int32_t>> keyed;
        keyed.reserve(indices.size());
        for (int32_t index : indices) keyed.emplace_back(keyOf(all[index]), index);
        std::sort(keyed.begin(), keyed.end(), [&](const auto& a, const auto& b) { return less(a.first, b.first); });
        for (size_t i = 0; i < keyed.size(); ++i) indices[i] = keyed[i].second;
    };
    auto byValue = [&](auto field) { sortBy(field, ordered); };
    switch (kind) {
    case kSortPlayDate: return byValue([](const ItemMovieData_CL& m) { return m.play_date_time; });
    case kSortFileTime: return byValue([](const ItemMovieData_CL& m) { return m.file_time; });
    case kSortAddDate: return byValue([](const ItemMovieData_CL& m) { return m.add_date; });
    case kSortPlayCount: return byValue([](const ItemMovieData_CL& m) { return m.play_count; });
    case kSortStars: return byValue([](const ItemMovieData_CL& m) { return static_cast<int32_t>(m.star_count); });
    case kSortFileSize: return byValue([](const ItemMovieData_CL& m) { return m.file_size; });
    case kSortLength: return byValue([](const ItemMovieData_CL& m) { return m.last_play_frame; });
    default: break;
    }
    if (dightSort == 1) {
        sortBy([](const ItemMovieData_CL& m) { return &m.content_name; },
               [&](const std::wstring* a, const std::wstring* b) { return ordered(CompareNameNatural(*a, *b), 0); });
        return;
    }
    struct Name {
        const wchar_t* units;
        size_t size;
    };
    sortBy([](const ItemMovieData_CL& m) { return Name{m.content_name.data(), m.content_name.size()}; },
           [&](const Name& a, const Name& b) { return ordered(CompareNameOrdinal(a.units, a.size, b.units, b.size), 0); });
}
