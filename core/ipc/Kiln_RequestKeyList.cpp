#include "core/ipc/Kiln_RequestKeyList.h"

static_assert(sizeof(Kiln_RequestKeyList_CL::kind) == kU32Bytes &&
                  sizeof(Kiln_RequestKeyList_CL::keys[0]) == kU32Bytes,
              "key list request: u32 kind, u32 keys");

HRESULT Kiln_RequestKeyList_CL::Save(ByteWriter_CL& out) const
{
    out.WriteU32(kind);
    out.WriteU32List(keys);
    return S_OK;
}

HRESULT Kiln_RequestKeyList_CL::Load(ByteReader_CL& in)
{
    keys.clear();
    if (!in.ReadU32(kind)) return E_FAIL;
    if (!in.ReadU32List(keys)) return E_FAIL;
    return S_OK;
}
