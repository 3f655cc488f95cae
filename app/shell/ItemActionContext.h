#pragma once
// What a movie-item command hands to its per-movie step: the walk fills in the command and
// the list position; the command's own preparation fills in the two parameters, which point
// at objects on its stack for as long as the walk runs.
#include <cstdint>

struct ItemActionContext {
    uint32_t command = 0;
    int32_t position = 0;
    void* parameter1 = nullptr;
    void* parameter2 = nullptr;
};
