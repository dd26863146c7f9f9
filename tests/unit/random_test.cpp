#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "console/random.h"
#include "fake_platform.h"

namespace {

struct Sequence {
    const char* name;
    std::optional<SYSTEMTIME> clock;  // seeded from the clock, else from 0
    std::uint32_t seed;               // after seeding
    std::vector<std::int32_t> limits;
    std::vector<std::int32_t> draws;
    std::vector<std::uint32_t> seeds;  // after each draw, where known
};

void PrintTo(const Sequence& s, std::ostream* os) { *os << s.name; }

class RandomSequence : public testing::TestWithParam<Sequence> {};

TEST_P(RandomSequence, DrawsTheKnownNumbers)
{
    const Sequence& s = GetParam();
    ResetAll();
    if (s.clock) {
        RandomSeed = 12345;
        Fake.clock = *s.clock;
        SeedFromClock();
    }
    EXPECT_EQ(RandomSeed, s.seed);
    for (std::size_t i = 0; i < s.limits.size(); ++i) {
        EXPECT_EQ(RandomBelow(s.limits[i]), s.draws[i]) << "draw " << i;
        if (i < s.seeds.size()) {
            EXPECT_EQ(RandomSeed, s.seeds[i]) << "draw " << i;
        }
    }
}

SYSTEMTIME At(WORD hour, WORD minute, WORD second, WORD millisecond, WORD year = 2026)
{
    return SYSTEMTIME{year, 5, 3, 17, hour, minute, second, millisecond};
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, RandomSequence,
    testing::Values(
        Sequence{"FromZero", std::nullopt, 0, {10, 10, 10, 10, 10}, {0, 0, 8, 2, 2},
                 {1, 134775814, 3698175007u, 870078620, 1172187917}},
        Sequence{"AtHalfPastTwelve", At(12, 34, 56, 789), 45296789, {10, 10, 10, 10, 10}, {4, 2, 3, 0, 6}, {}},
        Sequence{"AtMidnight", At(0, 0, 0, 0), 0, {}, {}, {}},
        Sequence{"AtLastMillisecond", At(23, 59, 59, 999), 86399999, {60, 60, 60}, {43, 59, 20}, {}},
        Sequence{"OtherDateSameTime", At(23, 59, 59, 999, 1999), 86399999, {}, {}, {}},
        Sequence{"LimitOneStillAdvances", std::nullopt, 0, {1, 1, 60}, {0, 0, 51}, {}},
        Sequence{"LimitZeroStillAdvances", std::nullopt, 0, {0, 0, 10}, {0, 0, 8}, {1, 134775814}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
