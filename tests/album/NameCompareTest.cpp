#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/album/NameCompare.h"

namespace {

// Names in ascending order; the names of one rank compare equal to each other.
struct OrderCase {
    const char* what;
    std::vector<std::vector<std::wstring>> ranks;
};

const OrderCase kNaturalOrders[] = {
    {"numbers by value", {{L"ep2"}, {L"ep10"}}},
    {"full-width letters and digits fold", {{L"ep10", L"ｅｐ１０"}}},
    {"a number before text", {{L"10"}, {L"a"}}},
    {"spaces are dropped", {{L"a b1", L"ab1"}}},
    {"a prefix first", {{L"abc"}, {L"abcd"}}},
    {"case is kept", {{L"Ab"}, {L"ab"}}},
    {"leading zeros do not count", {{L"x007", L"x7"}}},
    {"full-width letter equals ASCII", {{L"ａ1", L"a1"}}},
    {"episodes", {{L"第1話"}, {L"第1話 後編"}, {L"第2話"}, {L"第10話"}}},
    {"volumes", {{L"Vol 1"}, {L"Vol.2"}, {L"Ｖｏｌ．３"}, {L"vol.10"}}},
    {"32-bit values, signed",
     {{L"10 cats"}, {L"cats"}, {L"x2147483648"}, {L"x0"}, {L"x1", L"x4294967297"}}},
    {"a leading space makes an empty text token", {{L"1"}, {L" 1"}, {L"a"}}},
    {"ideographic space is dropped too", {{L"第1話\x3000後編", L"第1話後編"}}},
    {"end of name", {{L""}, {L"0"}}},
};

int Sign(int value)
{
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

void CheckOrder(const OrderCase& c, int (*compare)(const std::wstring&, const std::wstring&))
{
    SCOPED_TRACE(c.what);
    std::vector<std::pair<std::wstring, size_t>> all;
    for (size_t r = 0; r < c.ranks.size(); ++r) {
        for (const auto& name : c.ranks[r]) all.push_back({name, r});
    }
    for (const auto& a : all) {
        for (const auto& b : all) {
            int expected = a.second < b.second ? -1 : (a.second > b.second ? 1 : 0);
            EXPECT_EQ(Sign(compare(a.first, b.first)), expected)
                << "ranks " << a.second << " and " << b.second << " of " << c.what;
        }
    }
    // Sorted from the reverse order, each place holds a name of the expected rank.
    std::vector<std::pair<std::wstring, size_t>> sorted(all.rbegin(), all.rend());
    std::sort(sorted.begin(), sorted.end(),
              [compare](const auto& a, const auto& b) { return compare(a.first, b.first) < 0; });
    for (size_t i = 0; i < sorted.size(); ++i) EXPECT_EQ(sorted[i].second, all[i].second) << "place " << i;
}

TEST(NameCompare, NaturalOrderOfEveryWorkedCase)
{
    for (const auto& c : kNaturalOrders) CheckOrder(c, CompareNameNatural);
}

TEST(NameCompare, OrdinalOrderComparesCodeUnits)
{
    const OrderCase cases[] = {
        {"digits as text", {{L"ep10"}, {L"ep2"}}},
        {"prefix first", {{L"abc"}, {L"abcd"}}},
        {"case and width kept", {{L"Ab"}, {L"ab"}, {L"ａｂ"}}},
        {"units above 0x7FFF are large", {{L"z"}, {L"\xFF41"}}},
    };
    for (const auto& c : cases) CheckOrder(c, CompareNameOrdinal);
}

TEST(NameCompare, DightSortOneSelectsTheNaturalOrder)
{
    EXPECT_LT(CompareName(L"ep2", L"ep10", 1), 0);
    EXPECT_GT(CompareName(L"ep2", L"ep10", 0), 0);
    EXPECT_GT(CompareName(L"ep2", L"ep10", 2), 0);
    EXPECT_GT(CompareName(L"ep2", L"ep10", -1), 0);
}

}  // namespace
