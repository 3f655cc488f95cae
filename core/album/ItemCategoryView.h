#pragma once
// A selection over the album's category records.
#include <cstdint>
#include <string>

#include "core/album/ItemCategoryData.h"
#include "core/album/ItemViewBase.h"

class SaveData_CL;

class ItemCategoryView_CL : public ItemViewBase_CL<ItemCategoryData_CL> {
public:
    // out: the indices of this view whose record's sub_category equals name, in view order.
    void SelectBySubCategory(const std::wstring& name, ItemCategoryView_CL& out) const;
    // Erases the record at view position p from the list and keeps the view valid: the
    // position goes, and every remaining index above the erased record moves down one.
    void RemoveAt(int32_t position);
    // Orders the view by sub_category_sort_index; then either renumbers the indices densely
    // (byName 0) or orders by top-category name in the program ini's name order.
    void Sort(const SaveData_CL& albumData, int byName);
};
