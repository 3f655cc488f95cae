#include "core/ipc/Kiln_RequestBase.h"

uint32_t PeekKilnMessageType(const ByteReader_CL& in)
{
    uint32_t kind = 0;
    return in.PeekU32(kind) ? kind : 0;
}
