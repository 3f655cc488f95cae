#pragma once
// Where the frames of one movie are taken: the wanted positions of a request turned into
// the positions handed to the grabber.
#include <cstdint>
#include <functional>
#include <vector>

// A wanted position that stands for the next evenly spaced one.
constexpr int64_t kPositionEven = -1;
// A wanted position that stands for a random whole percent of the span.
constexpr int64_t kPositionRandom = -2;

// The values a plan is built from, all in 100-ns units.
struct FramePlanValues {
    int64_t last = 0;         // end of the span random positions and the spread may reach
    int64_t step = 0;         // width of one of n equal slices of the whole movie
    int64_t start = 0;        // middle of the first slice
    int64_t percentUnit = 0;  // one percent of start .. last
    int64_t minGap = 0;       // least distance between two planned frames
};

struct FramePlan {
    struct Clamp {
        int64_t from;
        int64_t to;
    };

    FramePlanValues values;
    std::vector<int64_t> positions;  // ascending, one per wanted position
    std::vector<Clamp> clamps;       // positions below 2 and what they became, in order
    int adjusted = 0;                // positions moved apart by the spread
};

FramePlanValues ComputeFramePlanValues(int64_t duration, size_t count);

// `randomPercent` gives 0 .. 99 for each random position. A negative duration plans like 0.
FramePlan PlanFrames(int64_t duration, const std::vector<int64_t>& wanted, const std::function<int()>& randomPercent);

// Every decode thread starts with the C library's default random state, so that without
// this every movie would take the same "random" positions.
void SeedThreadRandom();
