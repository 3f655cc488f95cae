#pragma once
// A selection over the album's movie records.
#include <cstdint>
#include <string>

#include "core/album/ItemMovieData.h"
#include "core/album/ItemViewBase.h"

class ItemCategoryView_CL;

class ItemMovieView_CL : public ItemViewBase_CL<ItemMovieData_CL> {
public:
    // out: the movies of this view whose sub_category equals name, in view order.
    void SelectBySubCategory(const std::wstring& name, ItemMovieView_CL& out) const;
    // Sets item_count of every record of categories: a playlist counts its entries and a
    // favourite site 0; when the view holds neither, each record counts the movies of its
    // category and sub-category, over every record of the list when all is 1, else over
    // this view.
    void CountCategoryItems(ItemCategoryView_CL& categories, int all) const;
};
