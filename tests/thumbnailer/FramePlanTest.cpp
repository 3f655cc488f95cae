// The frame plan: wanted positions of a request against the positions handed to the grabber.
#include <windows.h>
#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "thumbnailer/FramePlan.h"

namespace {

using Positions = std::vector<int64_t>;

struct PlanCase {
    const char* name;
    int64_t duration;
    Positions wanted;
    int percent;  // what every random pick draws
    Positions expected;
    int adjusted;
    size_t clamps;
};

Positions Evenly(int64_t first, int64_t step, int count)
{
    Positions positions;
    for (int i = 0; i < count; ++i) positions.push_back(first + step * i);
    return positions;
}

const PlanCase kPlanCases[] = {
    {"six seconds: even, zero and a close pair capped at last", 60000000, {-1, 0, 44000000, 44500000}, 0,
     {7500000, 22500000, 44000000, 45000000}, 1, 1},
    {"six seconds: two spread positions both capped", 60000000, {44000000, 44500000, 46000000}, 0,
     {44000000, 45000000, 45000000}, 2, 0},
    {"four seconds: even positions past last stay", 40000000, Positions(10, -1), 0,
     Evenly(2000000, 4000000, 10), 0, 0},
    {"zero duration: clamped to 1, spread by 0.1 s without cap", 0, Positions(10, -1), 0,
     Evenly(1, 1000000, 10), 9, 10},
    {"ten seconds: a close second position moves by a quarter step", 100000000, {5000000, 5100000}, 0,
     {5000000, 17500000}, 1, 0},
    {"exactly five seconds caps at three quarters", 50000000, {35000000, 35000001}, 0, {35000000, 37500000}, 1, 0},
    {"exactly ten seconds caps at the end", 100000000, {99000000, 99000001}, 0, {99000000, 100000000}, 1, 0},
    {"just under five seconds caps at half", 49999999, {20000000, 20000001}, 0, {20000000, 24999999}, 1, 0},
    {"random with a percent unit of zero takes the running position", 40000000, {-2}, 57, {20000000}, 0, 1},
    {"random picks whole percents of start .. last", 200000000, {-2, -2}, 10, {15000000, 40000000}, 1, 0},
    {"below two is clamped, two is not", 80000000, {-5, 1, 2}, 0, {2, 13333333, 39999999}, 0, 2},
};

TEST(FramePlan, WorkedExamplesAsATable)
{
    for (const PlanCase& c : kPlanCases) {
        FramePlan plan = PlanFrames(c.duration, c.wanted, [&] { return c.percent; });
        EXPECT_EQ(c.expected, plan.positions) << c.name;
        EXPECT_EQ(c.adjusted, plan.adjusted) << c.name;
        EXPECT_EQ(c.clamps, plan.clamps.size()) << c.name;
    }
}

TEST(FramePlan, SixSecondValuesAndTheLoggedClamp)
{
    FramePlan plan = PlanFrames(60000000, {-1, 0, 44000000, 44500000}, [] { return 0; });
    EXPECT_EQ(45000000, plan.values.last);
    EXPECT_EQ(15000000, plan.values.step);
    EXPECT_EQ(7500000, plan.values.start);
    EXPECT_EQ(375000, plan.values.percentUnit);
    EXPECT_EQ(3750000, plan.values.minGap);
    ASSERT_EQ(1u, plan.clamps.size());
    EXPECT_EQ(0, plan.clamps[0].from);
    EXPECT_EQ(22500000, plan.clamps[0].to);
}

TEST(FramePlan, HostilePositionsNeitherWrapNorCrash)
{
    const int64_t top = INT64_MAX;
    FramePlan plan = PlanFrames(INT64_MAX, {top, top - 1, INT64_MIN}, [] { return 99; });
    ASSERT_EQ(3u, plan.positions.size());
    for (size_t k = 1; k < plan.positions.size(); ++k) EXPECT_LE(plan.positions[k - 1], plan.positions[k]);
    EXPECT_GT(plan.positions[0], 0);
    // A duration below zero (a broken header) plans like an unknown one.
    EXPECT_EQ(Evenly(1, 1000000, 3), PlanFrames(-400, Positions(3, -1), [] { return 0; }).positions);
}

// Each decode thread draws its own random positions: seeded, two threads differ.
TEST(FramePlan, EachSeededThreadDrawsOtherRandomPositions)
{
    std::vector<Positions> plans(4);
    std::vector<std::thread> threads;
    for (auto& positions : plans) {
        threads.emplace_back([&positions] {
            SeedThreadRandom();
            positions = PlanFrames(1800000000, Positions(10, -2), [] { return rand() % 100; }).positions;
        });
        threads.back().join();
        Sleep(20);
    }
    std::set<Positions> distinct(plans.begin(), plans.end());
    EXPECT_EQ(plans.size(), distinct.size());
}

}  // namespace
