#include "core/ipc/Kiln_RequestKeyList.h"

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
