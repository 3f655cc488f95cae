#include "thumbnailer/FramePlan.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace {

constexpr int64_t kShortMovie = 50000000;    // 5 s
constexpr int64_t kMediumMovie = 100000000;  // 10 s
constexpr int64_t kLeastGap = 1000000;       // 0.1 s

// Wanted positions come from another process: a sum must not wrap.
int64_t AddSaturated(int64_t a, int64_t b)
{
    if (b > 0 && a > std::numeric_limits<int64_t>::max() - b) return std::numeric_limits<int64_t>::max();
    return a + b;
}

}  // namespace

FramePlanValues ComputeFramePlanValues(int64_t duration, size_t count)
{
    FramePlanValues values;
    const int64_t d = std::max<int64_t>(duration, 0);
    // Short movies often end on credits or black: their random picks stay in the first part.
    if (d < kShortMovie) values.last = d / 2;
    else if (d < kMediumMovie) values.last = 3 * d / 4;
    else values.last = d;
    values.step = count > 0 ? d / static_cast<int64_t>(count) : 0;
    values.start = values.step / 2;
    values.percentUnit = (values.last - values.start) / 100;
    values.minGap = std::max(values.step / 4, kLeastGap);
    return values;
}

FramePlan PlanFrames(int64_t duration, const std::vector<int64_t>& wanted, const std::function<int()>& randomPercent)
{
    FramePlan plan;
    plan.values = ComputeFramePlanValues(duration, wanted.size());
    const FramePlanValues& v = plan.values;

    int64_t running = v.start;
    for (int64_t p : wanted) {
        if (p == kPositionEven) p = running;
        else if (p == kPositionRandom) p = static_cast<int64_t>(randomPercent()) * v.percentUnit;
        if (p < 2) {
            const int64_t clamped = running > 0 ? running : 1;
            plan.clamps.push_back({p, clamped});
            p = clamped;
        }
        plan.positions.push_back(p);
        running = AddSaturated(running, v.step);
    }

    std::sort(plan.positions.begin(), plan.positions.end());
    for (size_t k = 1; k < plan.positions.size(); ++k) {
        const int64_t previous = plan.positions[k - 1];
        if (plan.positions[k] - previous >= v.minGap) continue;
        int64_t moved = AddSaturated(previous, v.minGap);
        if (v.last > 0 && moved > v.last) moved = v.last;
        plan.positions[k] = moved;
        ++plan.adjusted;
    }
    return plan;
}

void SeedThreadRandom()
{
    LARGE_INTEGER counter = {};
    QueryPerformanceCounter(&counter);
    srand(static_cast<unsigned>(counter.LowPart) ^ (GetCurrentThreadId() << 16) ^ GetTickCount());
}
