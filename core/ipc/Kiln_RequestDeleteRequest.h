#pragma once
// Reelvault -> Stillforge: forget the queued work of these movies.
#include "core/ipc/Kiln_RequestKeyList.h"

class Kiln_RequestDeleteRequest_CL : public Kiln_RequestKeyList_CL {
public:
    Kiln_RequestDeleteRequest_CL() : Kiln_RequestKeyList_CL(kKilnDeleteRequest) {}
};
