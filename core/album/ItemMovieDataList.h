#pragma once
// The movie records of the open album.
#include <cstdint>
#include <string>
#include <vector>

#include "core/album/ItemMovieData.h"
#include "core/album/ItemMovieView.h"

class ItemMovieDataList_CL {
public:
    // view: every record whose category equals name, in list order. Returns the number of
    // records scanned (the whole list), not the number selected.
    int32_t SelectByCategory(const std::wstring& name, ItemMovieView_CL& view);
    // view: every record, in list order.
    void SelectAll(ItemMovieView_CL& view);

    std::vector<ItemMovieData_CL> records;
};
