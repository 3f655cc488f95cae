#pragma once
// The messages between Reelvault and Stillforge; the first u32 of each is its kind.
#include <cstdint>

#include "core/ipc/SaveItemBase.h"

enum KilnMessageKind : uint32_t {
    kKilnDeleteRequest = 1,    // Reelvault -> Stillforge
    kKilnDecodeRequest = 2,    // Reelvault -> Stillforge
    kKilnDecodeResponse = 3,   // Stillforge -> Reelvault
    kKilnPriorityRequest = 4,  // Reelvault -> Stillforge
};

class Kiln_RequestBase_CL : public SaveItemBase_CL {
public:
    explicit Kiln_RequestBase_CL(uint32_t kind) : kind(kind) {}
    virtual ~Kiln_RequestBase_CL() = default;

    uint32_t kind;
};

// The kind of the message at the reader's position, which does not move, so that the
// record's own Load reads the kind again. 0 (no kind) when fewer than 4 bytes are left.
uint32_t PeekKilnMessageType(const ByteReader_CL& in);
