#pragma once
// Reelvault -> Stillforge: make these movies' strips first (the cells on screen).
#include "core/ipc/Kiln_RequestKeyList.h"

class Kiln_RequestDecodePriorityRequest_CL : public Kiln_RequestKeyList_CL {
public:
    Kiln_RequestDecodePriorityRequest_CL() : Kiln_RequestKeyList_CL(kKilnPriorityRequest) {}
};
