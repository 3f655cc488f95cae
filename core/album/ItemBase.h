#pragma once
// The head that category records and movie records share: where the record is stored and
// which category and sub-category it belongs to.
#include <cstdint>
#include <string>
#include <vector>

// h = 0, then h = h * 3 + unit over the UTF-16 units, wrapping at 32 bits.
uint32_t NameHash(const std::wstring& name);

// A name lookup: the hashes must agree before the strings are compared, and equal hashes
// alone never count as a match.
inline bool NameMatches(uint32_t storedHash, const std::wstring& stored, uint32_t hash, const std::wstring& name)
{
    return storedHash == hash && stored == name;
}

class ItemBase_CL {
public:
    // Recomputes both hashes from the two names.
    void UpdateCategoryHash();

    bool IsInCategory(uint32_t hash, const std::wstring& name) const
    {
        return NameMatches(category_hash, category, hash, name);
    }
    bool IsInSubCategory(uint32_t hash, const std::wstring& name) const
    {
        return NameMatches(sub_category_hash, sub_category, hash, name);
    }

    std::wstring ini_name;
    std::wstring category;
    std::wstring sub_category;
    uint32_t category_hash = 0;
    uint32_t sub_category_hash = 0;
};

// out: the indices of records for which keep(record) holds, taken from candidates in their
// order, or from the whole vector in order when candidates is null.
template <class Record, class Keep>
void SelectIndices(const std::vector<Record>& records, const std::vector<int32_t>* candidates, Keep keep,
                   std::vector<int32_t>& out)
{
    out.clear();
    if (!candidates) {
        for (size_t i = 0; i < records.size(); ++i) {
            if (keep(records[i])) out.push_back(static_cast<int32_t>(i));
        }
        return;
    }
    for (int32_t index : *candidates) {
        if (keep(records[index])) out.push_back(index);
    }
}
