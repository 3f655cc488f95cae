#include "core/ipc/Kiln_ResponseDecode.h"

// Everything before the position list, pinned so that both builds send the same bytes.
static_assert(sizeof(Kiln_ResponseDecode_CL::kind) + sizeof(Kiln_ResponseDecode_CL::request_id) +
                  sizeof(Kiln_ResponseDecode_CL::errorFlag) + sizeof(Kiln_ResponseDecode_CL::decode_count) +
                  sizeof(Kiln_ResponseDecode_CL::request_count) + sizeof(Kiln_ResponseDecode_CL::duration) ==
              28, "decode response header");

HRESULT Kiln_ResponseDecode_CL::Save(ByteWriter_CL& out) const
{
    out.WriteU32(kind);
    out.WriteU32(request_id);
    out.WriteU32(errorFlag);
    out.WriteU32(decode_count);
    out.WriteU32(request_count);
    out.WriteI64(duration);
    out.WriteI64List(positions);
    return S_OK;
}

HRESULT Kiln_ResponseDecode_CL::Load(ByteReader_CL& in)
{
    positions.clear();
    if (!in.ReadU32(kind)) return E_FAIL;
    if (!in.ReadU32(request_id)) return E_FAIL;
    if (!in.ReadU32(errorFlag)) return E_FAIL;
    if (!in.ReadU32(decode_count)) return E_FAIL;
    if (!in.ReadU32(request_count)) return E_FAIL;
    if (!in.ReadI64(duration)) return E_FAIL;
    if (!in.ReadI64List(positions)) return E_FAIL;
    return S_OK;
}
