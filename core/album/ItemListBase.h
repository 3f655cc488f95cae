#pragma once
// Common base of the album's record lists.
#include <string>

#include "core/base/PathName.h"

class ItemListBase_CL {
public:
    virtual ~ItemListBase_CL() = default;
    // Replaces the list's records with those stored in the album folder. Returns 0.
    virtual int Load(std::wstring albumFolder) = 0;

protected:
    PathName_CL pathName_;
};
