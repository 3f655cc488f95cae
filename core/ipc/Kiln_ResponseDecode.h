#pragma once
// Stillforge -> Reelvault, after every frame it grabs of a movie.
#include <cstdint>
#include <vector>

#include "core/ipc/Kiln_RequestBase.h"

class Kiln_ResponseDecode_CL : public Kiln_RequestBase_CL {
public:
    Kiln_ResponseDecode_CL() : Kiln_RequestBase_CL(kKilnDecodeResponse) {}

    HRESULT Save(ByteWriter_CL& out) const override;
    HRESULT Load(ByteReader_CL& in) override;

    uint32_t request_id = 0;     // decode key of the movie
    uint32_t errorFlag = 0;      // 1 once the movie failed to open or any frame so far failed
    uint32_t decode_count = 0;   // frames of this movie still to come; 0 = finished
    uint32_t request_count = 0;  // movies left in Stillforge's queue
    int64_t duration = 0;        // 100-ns units
    // Position of each frame in the order of its slot in the image, 100-ns units.
    std::vector<int64_t> positions;
};
