#pragma once
// One movie in Stillforge's request queue; also the item of the queue file and the body of
// a WM_COPYDATA request.
#include <cstdint>
#include <string>
#include <vector>

#include "core/ipc/Kiln_RequestDecodeRequest.h"
#include "core/ipc/SaveItemBase.h"

class DecodeRequestItem_CL : public SaveItemBase_CL {
public:
    // "STFG" as a four-character constant: bytes 47 46 54 53 in the file.
    static constexpr uint32_t kTag = 0x53544647;
    // Four u32, the title, the tag, the duration, two paths, type, width, height and the
    // position count, with every string empty.
    static constexpr size_t kMinBytes = 62;

    DecodeRequestItem_CL() = default;
    // A movie of a decode request as it comes from the pipe.
    DecodeRequestItem_CL(const Kiln_RequestDecodeRequest_CL& request,
                         const Kiln_RequestDecodeRequest_CL::DecodeItem_CL& item);

    HRESULT Save(ByteWriter_CL& out) const override;
    // All or nothing: 0 when the whole item was read and its tag is kTag; else E_FAIL with
    // the item unchanged.
    HRESULT Load(ByteReader_CL& in) override;

    uint32_t request_id = 0;     // the movie's decode key from Reelvault
    uint32_t decode_count = 0;   // in the decode thread's copy: frames still to come
    uint32_t errorFlag = 0;      // in the decode thread's copy: the response's error flag
    // On receipt the number of wanted positions; in a copy of the head the number of movies
    // queued, head included.
    uint32_t request_count = 0;
    std::wstring replyTitle;     // empty from the pipe; replies go out while it names a window
    uint32_t tag = kTag;
    int64_t duration = 0;        // 100-ns units
    std::wstring moviePath;
    uint32_t imageType = 0;      // 0 BMP, 1 JPEG, 2 PNG
    uint32_t frameWidth = 0;     // 0xFFFFFFFF: the width of the first frame grabbed
    uint32_t frameHeight = 0;    // 0xFFFFFFFF: the height of the first frame grabbed
    std::wstring outputPath;
    std::vector<int64_t> positions;  // 100-ns units; -1 evenly spaced, -2 random
};
