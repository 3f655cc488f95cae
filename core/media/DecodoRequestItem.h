#pragma once
// A frame request queued on DShowMovieFrameDecodeThread_CL. Once posted with WM_DECODE_FRAME the
// window owns the item and must delete both it and its bitmap.
#include <windows.h>
#include <gdiplus.h>

#include <cstdint>

class DShowMovieFrameDecode_CL;

class DecodoRequestItemBase_CL {
public:
    // The only kind there is: one frame at one position.
    static constexpr int32_t kKindFrame = 0;

    DecodoRequestItemBase_CL(int32_t kind, DShowMovieFrameDecode_CL* decoder, int32_t userValue)
        : kind(kind), userValue(userValue), decoder(decoder)
    {
    }
    // The bitmap is not deleted here: it belongs to whoever holds the item.
    virtual ~DecodoRequestItemBase_CL() = default;
    DecodoRequestItemBase_CL(const DecodoRequestItemBase_CL&) = delete;
    DecodoRequestItemBase_CL& operator=(const DecodoRequestItemBase_CL&) = delete;

    int32_t kind;
    uint32_t id = 0;
    int32_t userValue;
    DShowMovieFrameDecode_CL* decoder;
    Gdiplus::Bitmap* bitmap = nullptr;
    // Requests still queued when this result was posted.
    int32_t remaining = 0;
};

class DecodoRequestItem_CL : public DecodoRequestItemBase_CL {
public:
    DecodoRequestItem_CL(DShowMovieFrameDecode_CL* decoder, int32_t userValue, int64_t position)
        : DecodoRequestItemBase_CL(kKindFrame, decoder, userValue), position(position)
    {
    }

    // 100-ns units.
    int64_t position;
};
