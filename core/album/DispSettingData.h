#pragma once
// The album's display settings: what the category window and the movie grid show.
#include "core/album/ItemCategoryView.h"
#include "core/album/ItemMovieView.h"

struct DispSettingData_CL {
    // The sub-categories the category window shows; a new sub-category sorts after them.
    ItemCategoryView_CL sub_category_view;
    // The movies the movie grid shows.
    ItemMovieView_CL movie_view;
};
