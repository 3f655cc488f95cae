#pragma once
// A selection over the album's movie records.
#include <atomic>
#include <cstdint>
#include <string>

#include "core/album/ItemMovieData.h"
#include "core/album/ItemViewBase.h"
#include "core/base/Inifile.h"

class ItemCategoryView_CL;
class SaveData_CL;

// What the incremental search looks in: 0 name, 1 tags, 2 note, 3 movies with errors.
// The search bar sets it; Filter reads it once per call.
extern std::atomic<int32_t> g_movieSearchMode;
// Whether the search bar's text is a regular expression (0 or 1), as it was at the bar's
// last search; the host passes it to Filter.
extern std::atomic<int32_t> g_movieSearchRegex;

// The fields the movie sort tabs sort by.
enum MovieSortKind : int32_t {
    kSortWeb = 0,
    kSortName = 1,
    kSortPlayDate = 2,
    kSortFileTime = 3,
    kSortAddDate = 4,
    kSortPlayCount = 5,
    kSortStars = 6,
    kSortFileSize = 7,
    kSortLength = 8,
};

class ItemMovieView_CL : public ItemViewBase_CL<ItemMovieData_CL> {
public:
    // out: the movies of this view whose sub_category equals name, in view order.
    void SelectBySubCategory(const std::wstring& name, ItemMovieView_CL& out) const;
    // Sets item_count of every record of categories: a playlist counts its entries and a
    // favourite site 0; when the view holds neither, each record counts the movies of its
    // category and sub-category, over every record of the list when all is 1, else over
    // this view.
    void CountCategoryItems(ItemCategoryView_CL& categories, int all) const;

    // out: the movies of this view that the search keeps, in view order. Plain text is a
    // case-sensitive substring; with regex 1 an ECMAScript pattern found anywhere, where an
    // invalid pattern (or a match the engine cannot finish) counts as no match. Missing
    // movies are dropped when the program ini's "no_find_move_hide" is 1, except in mode 3.
    void Filter(const std::wstring& text, ItemMovieView_CL& out, int regex, const Inifile_CL& programIni) const;

    // Orders the view by the current sort tab of the album's display settings.
    void Sort(const SaveData_CL& albumData);
};
