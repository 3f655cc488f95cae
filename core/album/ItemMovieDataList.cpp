#include "core/album/ItemMovieDataList.h"

int32_t ItemMovieDataList_CL::SelectByCategory(const std::wstring& name, ItemMovieView_CL& view)
{
    view.records = &records;
    uint32_t hash = NameHash(name);
    SelectIndices(
        records, nullptr, [&](const ItemMovieData_CL& movie) { return movie.IsInCategory(hash, name); }, view.indices);
    return static_cast<int32_t>(records.size());
}

void ItemMovieDataList_CL::SelectAll(ItemMovieView_CL& view)
{
    view.records = &records;
    view.indices.clear();
    for (size_t i = 0; i < records.size(); ++i) view.indices.push_back(static_cast<int32_t>(i));
}
