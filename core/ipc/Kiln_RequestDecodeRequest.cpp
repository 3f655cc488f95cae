#include "core/ipc/Kiln_RequestDecodeRequest.h"

#include <new>

// The request's header before its items, and an item with both strings and the position
// list empty: the same bytes from the 32-bit and the 64-bit programs.
static_assert(sizeof(Kiln_RequestDecodeRequest_CL::kind) + sizeof(Kiln_RequestDecodeRequest_CL::replaceFlag) +
                  sizeof(Kiln_RequestDecodeRequest_CL::imageType) + sizeof(Kiln_RequestDecodeRequest_CL::frameWidth) +
                  sizeof(Kiln_RequestDecodeRequest_CL::frameHeight) + kU32Bytes ==
              24, "decode request header");
static_assert(Kiln_RequestDecodeRequest_CL::DecodeItem_CL::kMinBytes ==
                  sizeof(Kiln_RequestDecodeRequest_CL::DecodeItem_CL::decodeKey) + 2 * StringBytes(0) + kU32Bytes,
              "empty decode item");

HRESULT Kiln_RequestDecodeRequest_CL::DecodeItem_CL::Save(ByteWriter_CL& out) const
{
    out.WriteU32(decodeKey);
    out.WriteString(moviePath);
    out.WriteString(outputPath);
    out.WriteI64List(positions);
    return S_OK;
}

HRESULT Kiln_RequestDecodeRequest_CL::DecodeItem_CL::Load(ByteReader_CL& in)
{
    positions.clear();
    if (!in.ReadU32(decodeKey)) return E_FAIL;
    if (!in.ReadString(moviePath)) return E_FAIL;
    if (!in.ReadString(outputPath)) return E_FAIL;
    if (!in.ReadI64List(positions)) return E_FAIL;
    return S_OK;
}

HRESULT Kiln_RequestDecodeRequest_CL::Save(ByteWriter_CL& out) const
{
    out.WriteU32(kind);
    out.WriteU32(replaceFlag);
    out.WriteU32(imageType);
    out.WriteU32(frameWidth);
    out.WriteU32(frameHeight);
    out.WriteU32(static_cast<uint32_t>(items.size()));
    for (const auto& item : items) item.Save(out);
    return S_OK;
}

HRESULT Kiln_RequestDecodeRequest_CL::Load(ByteReader_CL& in)
{
    items.clear();
    if (!in.ReadU32(kind)) return E_FAIL;
    if (!in.ReadU32(replaceFlag)) return E_FAIL;
    if (!in.ReadU32(imageType)) return E_FAIL;
    if (!in.ReadU32(frameWidth)) return E_FAIL;
    if (!in.ReadU32(frameHeight)) return E_FAIL;
    uint32_t count;
    if (!in.ReadCount(count, DecodeItem_CL::kMinBytes)) return E_FAIL;
    try {
        items.reserve(count);
        for (uint32_t i = 0; i < count; ++i) {
            DecodeItem_CL item;
            if (FAILED(item.Load(in))) return E_FAIL;
            items.push_back(std::move(item));
        }
    } catch (const std::bad_alloc&) {
        return E_FAIL;
    }
    return S_OK;
}
