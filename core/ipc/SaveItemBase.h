#pragma once
// An object that writes itself to and reads itself from the byte encoding shared by the
// pipe messages and Stillforge's queue file.
#include <windows.h>

#include "core/base/ByteReader.h"
#include "core/base/ByteWriter.h"

class SaveItemBase_CL {
public:
    virtual HRESULT Save(ByteWriter_CL& out) const = 0;
    // 0 when every field was read. E_FAIL when the input ended before a field or held a
    // length that does not fit: reading stops there and the fields not read keep the
    // values they had (lists are emptied before they are read).
    virtual HRESULT Load(ByteReader_CL& in) = 0;

protected:
    SaveItemBase_CL() = default;
    SaveItemBase_CL(const SaveItemBase_CL&) = default;
    SaveItemBase_CL& operator=(const SaveItemBase_CL&) = default;
    // Not virtual: items are never deleted through this base.
    ~SaveItemBase_CL() = default;
};
