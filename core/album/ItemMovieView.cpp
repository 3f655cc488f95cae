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
    auto before = [&](int32_t ia, int32_t ib) -> bool {
        const ItemMovieData_CL& a = all[ia];
        const ItemMovieData_CL& b = all[ib];
        switch (kind) {
        case kSortPlayDate: return ordered(a.play_date_time, b.play_date_time);
        case kSortFileTime: return ordered(a.file_time, b.file_time);
        case kSortAddDate: return ordered(a.add_date, b.add_date);
        case kSortPlayCount: return ordered(a.play_count, b.play_count);
        case kSortStars: return ordered(static_cast<int32_t>(a.star_count), static_cast<int32_t>(b.star_count));
        case kSortFileSize: return ordered(a.file_size, b.file_size);
        case kSortLength: return ordered(a.last_play_frame, b.last_play_frame);
        default: return ordered(CompareName(a.content_name, b.content_name, dightSort), 0);
        }
    };
    std::sort(indices.begin(), indices.end(), before);
}
