#include "core/album/ItemBase.h"

uint32_t NameHash(const std::wstring& name)
{
    uint32_t hash = 0;
    for (wchar_t unit : name) hash = hash * 3 + static_cast<uint16_t>(unit);
    return hash;
}

void ItemBase_CL::UpdateCategoryHash()
{
    category_hash = NameHash(category);
    sub_category_hash = NameHash(sub_category);
}
