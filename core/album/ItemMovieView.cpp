#include "core/album/ItemMovieView.h"

#include "core/album/ItemCategoryView.h"

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
