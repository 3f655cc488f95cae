#include "core/album/ItemCategoryView.h"

#include <algorithm>

#include "core/album/NameCompare.h"
#include "core/album/SaveData.h"

void ItemCategoryView_CL::SelectBySubCategory(const std::wstring& name, ItemCategoryView_CL& out) const
{
    SelectBySubCategoryInto(name, out);
}

void ItemCategoryView_CL::RemoveAt(int32_t position)
{
    if (!records || position < 0 || static_cast<size_t>(position) >= indices.size()) return;
    int32_t removed = indices[position];
    if (removed < 0 || static_cast<size_t>(removed) >= records->size()) return;

    records->erase(records->begin() + removed);
    indices.erase(indices.begin() + position);
    for (int32_t& index : indices) {
        if (index >= removed) --index;
    }
}

void ItemCategoryView_CL::Sort(const SaveData_CL& albumData, int byName)
{
    if (!records) return;
    const std::vector<ItemCategoryData_CL>& list = *records;

    std::stable_sort(indices.begin(), indices.end(), [&list](int32_t a, int32_t b) {
        return list[a].sub_category_sort_index < list[b].sub_category_sort_index;
    });

    if (!byName) {
        // Memory only: a category file keeps its old number until its record is written.
        for (size_t position = 0; position < indices.size(); ++position)
            (*records)[indices[position]].sub_category_sort_index = static_cast<int32_t>(position);
        return;
    }

    int dightSort = static_cast<int>(albumData.program_ini.ReadInt(L"SORT_SETTING", L"dight_sort", 0));
    // Stable, so records of one top category keep their user-defined order.
    std::stable_sort(indices.begin(), indices.end(), [&list, dightSort](int32_t a, int32_t b) {
        return CompareName(list[a].category, list[b].category, dightSort) < 0;
    });
}
