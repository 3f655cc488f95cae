#pragma once
// What the category and movie views share: the list's record vector and indices into it.
// A view never owns records.
#include <cstdint>
#include <string>
#include <vector>

#include "core/album/ItemBase.h"

template <class Record>
class ItemViewBase_CL {
public:
    size_t size() const { return indices.size(); }
    Record& at(size_t position) const { return (*records)[indices[position]]; }

    std::vector<Record>* records = nullptr;
    std::vector<int32_t> indices;

protected:
    // out: the records of this view whose sub_category equals name, in view order.
    void SelectBySubCategoryInto(const std::wstring& name, ItemViewBase_CL& out) const
    {
        out.records = records;
        out.indices.clear();
        if (!records) return;
        uint32_t hash = NameHash(name);
        SelectIndices(
            *records, &indices, [&](const Record& record) { return record.IsInSubCategory(hash, name); }, out.indices);
    }
};
