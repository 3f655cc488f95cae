#pragma once
// Layout shared by the delete and priority requests: the kind, then a list of decode keys.
#include <cstdint>
#include <vector>

#include "core/ipc/Kiln_RequestBase.h"

class Kiln_RequestKeyList_CL : public Kiln_RequestBase_CL {
public:
    HRESULT Save(ByteWriter_CL& out) const override;
    HRESULT Load(ByteReader_CL& in) override;

    std::vector<uint32_t> keys;  // decode keys of the movies meant

protected:
    explicit Kiln_RequestKeyList_CL(uint32_t kind) : Kiln_RequestBase_CL(kind) {}
};
