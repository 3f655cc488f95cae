#pragma once
// One category tab of the main window.
#include <cstdint>
#include <string>

struct ItemTopCategoryData_CL {
    enum Kind : int32_t {
        kKindMovies = 0,
        kKindFavoriteSites = 2,
        kKindAllMovies = 3,
        kKindPlaylists = 4,
    };

    int32_t selected = 0;
    std::wstring label;
    // The value that records of this tab carry in their `category` field.
    std::wstring name;
    int32_t kind = kKindMovies;
};
