#include "thumbnailer/DecodeRequestItem.h"

DecodeRequestItem_CL::DecodeRequestItem_CL(const Kiln_RequestDecodeRequest_CL& request,
                                           const Kiln_RequestDecodeRequest_CL::DecodeItem_CL& item)
    : request_id(item.decodeKey),
      request_count(static_cast<uint32_t>(item.positions.size())),
      moviePath(item.moviePath),
      imageType(request.imageType),
      frameWidth(request.frameWidth),
      frameHeight(request.frameHeight),
      outputPath(item.outputPath),
      positions(item.positions)
{
}

// The file order differs from the member order; stored files depend on it.
// The queue file and WM_COPYDATA carry these bytes from either build.
static_assert(DecodeRequestItem_CL::kMinBytes ==
                  sizeof(DecodeRequestItem_CL::request_id) + sizeof(DecodeRequestItem_CL::decode_count) +
                      sizeof(DecodeRequestItem_CL::errorFlag) + sizeof(DecodeRequestItem_CL::request_count) +
                      StringBytes(0) + sizeof(DecodeRequestItem_CL::tag) + sizeof(DecodeRequestItem_CL::duration) +
                      2 * StringBytes(0) + sizeof(DecodeRequestItem_CL::imageType) +
                      sizeof(DecodeRequestItem_CL::frameWidth) + sizeof(DecodeRequestItem_CL::frameHeight) +
                      kU32Bytes,
              "empty queue item");

HRESULT DecodeRequestItem_CL::Save(ByteWriter_CL& out) const
{
    out.WriteU32(request_id);
    out.WriteU32(decode_count);
    out.WriteU32(errorFlag);
    out.WriteU32(request_count);
    out.WriteString(replyTitle);
    out.WriteU32(tag);
    out.WriteI64(duration);
    out.WriteString(moviePath);
    out.WriteString(outputPath);
    out.WriteU32(imageType);
    out.WriteU32(frameWidth);
    out.WriteU32(frameHeight);
    out.WriteI64List(positions);
    return S_OK;
}

HRESULT DecodeRequestItem_CL::Load(ByteReader_CL& in)
{
    // Read into a copy so that a cut or foreign item never reaches the queue half-filled.
    DecodeRequestItem_CL read;
    if (!in.ReadU32(read.request_id) || !in.ReadU32(read.decode_count) || !in.ReadU32(read.errorFlag) ||
        !in.ReadU32(read.request_count) || !in.ReadString(read.replyTitle) || !in.ReadU32(read.tag))
        return E_FAIL;
    if (read.tag != kTag) return E_FAIL;
    if (!in.ReadI64(read.duration) || !in.ReadString(read.moviePath) || !in.ReadString(read.outputPath) ||
        !in.ReadU32(read.imageType) || !in.ReadU32(read.frameWidth) || !in.ReadU32(read.frameHeight) ||
        !in.ReadI64List(read.positions))
        return E_FAIL;
    *this = std::move(read);
    return S_OK;
}
