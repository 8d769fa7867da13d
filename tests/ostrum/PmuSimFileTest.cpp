#include "PmuSimFile.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct BadFileCase {
    const char* name;
    const char* text;
    const char* where;   // "<file>:<line>:" the message must start with
    const char* reason;  // a word of the reason
};

class PmuSimFileRefuses : public ::testing::TestWithParam<BadFileCase> {};

TEST_P(PmuSimFileRefuses, NamesTheLineAndTheFault)
{
    const BadFileCase& c = GetParam();
    PmuSimFile file;
    std::string error;
    EXPECT_FALSE(file.Parse(c.text, "sim.txt", error));
    EXPECT_EQ(error.rfind(c.where, 0), 0u) << error;
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, PmuSimFileRefuses,
    ::testing::Values(BadFileCase{"too_few_fields", "4 0x04\n", "sim.txt:1:", "expected"},
                      BadFileCase{"after_comments_and_blanks", "# rates\n\n4 0x04 10\nx 0x04 10\n", "sim.txt:4:", "type"},
                      BadFileCase{"bad_config", "4 0xzz 10\n", "sim.txt:1:", "config"},
                      BadFileCase{"negative_config", "4 -4 10\n", "sim.txt:1:", "config"},
                      BadFileCase{"bad_rate", "4 4 fast\n", "sim.txt:1:", "rate"},
                      BadFileCase{"negative_rate", "4 4 -1\n", "sim.txt:1:", "rate"},
                      BadFileCase{"running_zero", "4 4 1 running=0\n", "sim.txt:1:", "running"},
                      BadFileCase{"running_above_one", "4 4 1 running=1.5\n", "sim.txt:1:", "running"},
                      BadFileCase{"bad_cpu_list", "4 4 1 cpu=0-a\n", "sim.txt:1:", "cpu"},
                      BadFileCase{"reversed_range", "4 4 1 cpu=3-1\n", "sim.txt:1:", "cpu"},
                      BadFileCase{"empty_pid_list", "4 4 1 pid=\n", "sim.txt:1:", "pid"},
                      BadFileCase{"unknown_field", "4 4 1 core=2\n", "sim.txt:1:", "unknown"}),
    [](const auto& info) { return std::string(info.param.name); });

struct MatchCase {
    const char* name;
    uint32_t type;
    uint64_t config;
    int pid;
    int cpu;
    double rate;  // of the deciding rule; -1 when none matches
};

// Rules in the order they are tried; the first match decides.
const char* kRules =
    "# core events\n"
    "4 0x04 100 cpu=0-3,8\n"
    "4 0x04 200 pid=-1\n"
    "4 4 300\n"
    "4 0x16 50 running=0.5 pid=1000-1001\n"
    "37 * 7\n"
    "* 0x80000000 9\n";

class PmuSimFileMatches : public ::testing::TestWithParam<MatchCase> {};

TEST_P(PmuSimFileMatches, FirstMatchingRuleDecides)
{
    const MatchCase& c = GetParam();
    PmuSimFile file;
    std::string error;
    ASSERT_TRUE(file.Parse(kRules, "rules", error)) << error;
    const PmuSimRule* rule = file.Match(c.type, c.config, c.pid, c.cpu);
    if (c.rate < 0) {
        EXPECT_EQ(rule, nullptr);
    } else {
        ASSERT_NE(rule, nullptr);
        EXPECT_DOUBLE_EQ(rule->rate, c.rate);
    }
}

INSTANTIATE_TEST_SUITE_P(
    OpenCalls, PmuSimFileMatches,
    ::testing::Values(MatchCase{"cpu_in_list", 4, 0x04, -1, 2, 100}, MatchCase{"cpu_single_item", 4, 0x04, 77, 8, 100},
                      MatchCase{"cpu_outside_falls_to_pid_rule", 4, 0x04, -1, 5, 200},
                      MatchCase{"decimal_config_same_event", 4, 0x04, 77, 5, 300},
                      MatchCase{"pid_range", 4, 0x16, 1001, 9, 50}, MatchCase{"pid_outside", 4, 0x16, 1002, 9, -1},
                      MatchCase{"any_config", 37, 0x1234, -1, 24, 7}, MatchCase{"other_type", 38, 0x1234, -1, 24, -1},
                      // configs are opened sign-extended from 32 bits
                      MatchCase{"sign_extended_config", 99, 0xffffffff80000000ull, -1, 0, 9}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PmuSimFileRules, ReadsRunningShareAndLists)
{
    PmuSimFile file;
    std::string error;
    ASSERT_TRUE(file.Parse("4 0x16 50 running=0.25 cpu=-1 pid=7,9-10\n", "f", error)) << error;
    ASSERT_EQ(file.Rules().size(), 1u);
    const PmuSimRule& rule = file.Rules()[0];
    EXPECT_DOUBLE_EQ(rule.running, 0.25);
    EXPECT_EQ(rule.cpus, std::vector<int>({-1}));
    EXPECT_EQ(rule.pids, std::vector<int>({7, 9, 10}));
}

TEST(PmuSimFileRules, MissingFileIsRefused)
{
    PmuSimFile file;
    std::string error;
    EXPECT_FALSE(file.Load("/nonexistent/pmu-sim.txt", error));
    EXPECT_NE(error.find("/nonexistent/pmu-sim.txt"), std::string::npos);
}

}  // namespace
