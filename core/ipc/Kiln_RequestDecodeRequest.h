#pragma once
// Reelvault -> Stillforge: make the image strips of these movies.
#include <cstdint>
#include <string>
#include <vector>

#include "core/ipc/Kiln_RequestBase.h"

class Kiln_RequestDecodeRequest_CL : public Kiln_RequestBase_CL {
public:
    // One movie to decode; also the item of Stillforge's queue file.
    class DecodeItem_CL : public SaveItemBase_CL {
    public:
        // Key, two empty strings and an empty position list.
        static constexpr size_t kMinBytes = 4 + 6 + 6 + 4;

        HRESULT Save(ByteWriter_CL& out) const override;
        HRESULT Load(ByteReader_CL& in) override;

        uint32_t decodeKey = 0;
        std::wstring moviePath;   // the movie to grab frames from
        std::wstring outputPath;  // the image file to write
        // Wanted positions in 100-ns units; -1 evenly spaced, -2 a random position.
        std::vector<int64_t> positions;
    };

    Kiln_RequestDecodeRequest_CL() : Kiln_RequestBase_CL(kKilnDecodeRequest) {}

    HRESULT Save(ByteWriter_CL& out) const override;
    // Items read whole before the input ran short are kept; a cut item is not.
    HRESULT Load(ByteReader_CL& in) override;

    uint32_t replaceFlag = 0;  // non-zero: drop every queued movie but the head first
    uint32_t imageType = 0;    // 0 BMP, 1 JPEG, 2 PNG
    uint32_t frameWidth = 0;
    uint32_t frameHeight = 0;
    std::vector<DecodeItem_CL> items;
};
