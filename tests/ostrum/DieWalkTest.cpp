#include "DieWalk.h"

#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

// Each CPU's figure is 10 * (cpu + 1), looked up through the core list the
// way the collectors look up their per-position counts.
struct SumCase {
    const char* name;
    std::vector<int> cores;
    int dieCount;
    int corePerDie;
    std::vector<int64_t> expected;
};

class DieWalkSums : public ::testing::TestWithParam<SumCase> {};

TEST_P(DieWalkSums, SumsEachDieOverItsCountedCpus)
{
    const SumCase& c = GetParam();
    DieWalk walk(c.cores, c.dieCount, c.corePerDie);
    auto figure = [&](size_t position) { return static_cast<int64_t>(10 * (c.cores.at(position) + 1)); };
    EXPECT_EQ(walk.Sums(figure), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Topologies, DieWalkSums,
    ::testing::Values(
        // two dies of 4 CPUs, every CPU: 10+20+30+40, 50+60+70+80
        SumCase{"all_cpus", {0, 1, 2, 3, 4, 5, 6, 7}, 2, 4, {100, 260}},
        // only die 1 selected: die 0 sums to 0
        SumCase{"die1_only", {4, 5, 6, 7}, 2, 4, {0, 260}},
        // out of order gives the same as ascending
        SumCase{"out_of_order", {5, 1}, 2, 4, {20, 60}},
        // a CPU named twice counts once
        SumCase{"duplicate_cpu", {2, 2, 6}, 2, 4, {30, 70}},
        // CPUs beyond the last whole die are not part of any die column
        SumCase{"cpu_beyond_dies", {0, 8, 9}, 2, 4, {10, 0}},
        // four dies of one CPU each: every die is its own CPU
        SumCase{"one_cpu_per_die", {0, 1, 2, 3}, 4, 1, {10, 20, 30, 40}},
        // any-CPU counting: nothing per die
        SumCase{"any_cpu", {-1}, 2, 4, {}},
        // no topology (no die read): nothing per die
        SumCase{"no_core_per_die", {0, 1}, 2, 0, {}},
        SumCase{"no_die", {0, 1}, 0, 0, {}}),
    [](const ::testing::TestParamInfo<SumCase>& info) { return std::string(info.param.name); });

TEST(DieWalkShareCells, DieCellsAreSharesOfTheSystemDenominator)
{
    DieWalk walk({0, 1, 2, 3, 4, 5, 6, 7}, 2, 4);
    auto figure = [](size_t position) { return static_cast<int64_t>(position < 4 ? 25 : 50); };
    auto cells = walk.ShareCells(figure, 400.0);
    EXPECT_EQ(cells.at("die0"), "25.00%");
    EXPECT_EQ(cells.at("die1"), "50.00%");
    EXPECT_EQ(cells.size(), 2u);
}

TEST(DieWalkShareCells, AnyCpuCountingLeavesEveryDieCellSlash)
{
    DieWalk walk({-1}, 3, 4);
    auto cells = walk.ShareCells([](size_t) { return int64_t{7}; }, 10.0);
    ASSERT_EQ(cells.size(), 3u);
    for (const auto& [key, text] : cells) {
        EXPECT_EQ(text, "/") << key;
    }
}

struct PercentCase {
    double value;
    double total;
    const char* expected;  // regular expression
};

TEST(DieWalkPercentText, FormatsTwoDecimalsAndZeroTotalsAsInfOrNan)
{
    const PercentCase cases[] = {
        {3.5, 100, "^3\\.50%$"},
        {1, 8, "^12\\.50%$"},
        {2, 3, "^66\\.67%$"},
        {0, 5, "^0\\.00%$"},
        {5, 0, "^inf%$"},
        {0, 0, "^nan%$"},
    };
    for (const auto& c : cases) {
        const std::string text = DieWalk::PercentText(c.value, c.total);
        EXPECT_TRUE(std::regex_match(text, std::regex(c.expected))) << c.value << "/" << c.total << " gave " << text;
    }
}

}  // namespace
