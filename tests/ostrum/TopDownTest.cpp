#include "TopDown.h"

#include <limits>
#include <string>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "TopDownEngine.h"
#include "TopDownReportTest.h"

namespace {

using topdown_test::Count;
using topdown_test::ExpectedReport;
using topdown_test::ExpectLines;
using topdown_test::Line;
using topdown_test::Row;
using topdown_test::With;

// ---- the line format every model prints through ----------------------------

struct LineCase {
    const char* name;
    int level;
    std::string label;
    double value;
    int flag;
    std::string expected;
};

class TopDownLineFormat : public ::testing::TestWithParam<LineCase> {};

TEST_P(TopDownLineFormat, PadsTheLabelTo48AndFormatsTheValue)
{
    const LineCase& c = GetParam();
    EXPECT_EQ(TopDownEngine::Line(48, c.level, c.label, c.value, c.flag), c.expected);
}

const double kNan = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Lines, TopDownLineFormat,
    ::testing::Values(
        // 9 + 39 = 48 characters of label field; 0.123456 in percent rounds to 12.35
        LineCase{"percent_level0", 0, "Retiring:", 0.123456, 1, "Retiring:" + std::string(39, ' ') + "12.35%\n"},
        // 8 spaces of indentation count inside the 48 characters
        LineCase{"level1", 1, "Front-End Latency:", 0.5, 1,
                 std::string(8, ' ') + "Front-End Latency:" + std::string(22, ' ') + "50.00%\n"},
        LineCase{"level3", 3, "L1 iTLB Miss:", 0.045, 1,
                 std::string(24, ' ') + "L1 iTLB Miss:" + std::string(11, ' ') + "4.50%\n"},
        LineCase{"integer", 0, "Total Execution Instruction:", 1234567, 3,
                 "Total Execution Instruction:" + std::string(20, ' ') + "1234567\n"},
        LineCase{"two_decimals", 0, "Instructions Per Cycle:", 1.005001, 2,
                 "Instructions Per Cycle:" + std::string(25, ' ') + "1.01\n"},
        // a label longer than the field is not cut, the value follows at once
        LineCase{"long_label", 0, std::string(50, 'x'), 0.25, 1, std::string(50, 'x') + "25.00%\n"},
        // any other flag: the padded label alone, no value and no line break
        LineCase{"label_only", 0, "Back-End Bound:", 0.25, 0, "Back-End Bound:" + std::string(33, ' ')},
        LineCase{"negative_level", -1, "Retiring:", 0.5, 1, "Retiring:" + std::string(39, ' ') + "50.00%\n"},
        LineCase{"nan_percent", 0, "Retiring:", kNan, 1, "Retiring:" + std::string(39, ' ') + "nan%\n"},
        // a NaN with its sign bit set (0/0 on some processors) reads the same
        LineCase{"negative_nan", 0, "Retiring:", -kNan, 1, "Retiring:" + std::string(39, ' ') + "nan%\n"},
        LineCase{"nan_ipc", 0, "Instructions Per Cycle:", kNan, 2, "Instructions Per Cycle:" + std::string(25, ' ') + "nan\n"},
        LineCase{"inf_percent", 0, "Retiring:", kInf, 1, "Retiring:" + std::string(39, ' ') + "inf%\n"},
        // zero reached through a negative factor is not shown as -0.00
        LineCase{"negative_zero", 0, "Retiring:", -0.0, 1, "Retiring:" + std::string(39, ' ') + "0.00%\n"}),
    [](const ::testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

struct KeyCase {
    int code;
    const char* key;
};

class TopDownRawKey : public ::testing::TestWithParam<KeyCase> {};

TEST_P(TopDownRawKey, IsLowercaseHexOfAtLeastFourDigits)
{
    EXPECT_EQ(TopDownEngine::RawKey(GetParam().code), GetParam().key);
}

INSTANTIATE_TEST_SUITE_P(Keys, TopDownRawKey,
                         ::testing::Values(KeyCase{0x0011, "0x0011"}, KeyCase{0x201d, "0x201d"},
                                           KeyCase{0x7000, "0x7000"}, KeyCase{0x8, "0x0008"},
                                           KeyCase{0x12345, "0x12345"}));

TEST(TopDownClamp, SetsNegativesToZeroAndKeepsNan)
{
    TopDownModel model = {{"a", -0.25}, {"b", 0.5}, {"c", kNan}, {"d", -kInf}, {"e", kInf}, {"f", 0}};
    TopDownEngine::Clamp(model);
    EXPECT_EQ(model["a"], 0);
    EXPECT_EQ(model["b"], 0.5);
    EXPECT_TRUE(model["c"] != model["c"]);
    EXPECT_EQ(model["d"], 0);
    EXPECT_EQ(model["e"], kInf);
    EXPECT_EQ(model["f"], 0);
}

TEST(TopDownRescale, SharesTheParentByTheFirstValuesTakenOnce)
{
    // 2:1:1 of a parent of 0.2 -> 0.1, 0.05, 0.05, whatever the first values add up to
    TopDownModel model = {{"x", 0.02}, {"y", 0.01}, {"z", 0.01}};
    TopDownEngine::Rescale(model, {"x", "y", "z"}, 0.2);
    EXPECT_DOUBLE_EQ(model["x"], 0.1);
    EXPECT_DOUBLE_EQ(model["y"], 0.05);
    EXPECT_DOUBLE_EQ(model["z"], 0.05);

    TopDownModel zero = {{"x", 0}, {"y", 0}};
    TopDownEngine::Rescale(zero, {"x", "y"}, 0.2);
    EXPECT_EQ(zero["x"], 0);
    EXPECT_EQ(zero["y"], 0);
}

// ---- the Q60 model -----------------------------------------------------------

class TopDownQ60 : public ::testing::Test {
protected:
    void SetUp() override { topdown_test::UseMachine("q60-2s"); }
};

// 1000 cycles = 4000 issue slots. Every formula below has a value that
// differs from its neighbours, so a swapped event or a wrong slot count shows.
const std::vector<Count> kCounts = {
    {"FetchBubbles", 0x2014, 2200},          // 2200 / 4000 = 55 %
    {"L2ITLBRef", 0x0030, 4},
    {"L2ITLBMiss", 0x002e, 1},               // (3 x 15 + 100) / 1000 = 14.5 %
    {"Cycles", 0x0011, 1000},
    {"L2ICacheRef", 0x0027, 21},
    {"L2ICacheMiss", 0x0028, 1},             // 300 / (300 + 100) = 3/4 of iCache
    {"BP_Mis_Pred", 0x0010, 16},             // 80 / 1000 = 8 %
    {"OoO_Flush", 0x2013, 4},                // 20 / 1000 = 2 %
    {"SP_Flush", 0x1001, 15},                // 75 / 1000 = 7.5 %
    {"FetchBubblesExceedMIW", 0x201d, 500},  // 50 %
    {"DecodedInsts", 0x001b, 1200},          // 400 / 4000 = 10 %
    {"RetiredInsts", 0x0008, 800},           // 800 / 4000 = 20 %
    {"IndirectBranchMisp", 0x1010, 2},
    {"BLXMisp", 0x1013, 1},
    {"BLMisp", 0x1016, 1},
    {"RETMisp", 0x100d, 4},
    {"NukeFlush", 0x2012, 1},
    {"ResourceBound", 0x7000, 400},          // R = 400 + 600 = 1000
    {"SyncStall", 0x2010, 100},
    {"RobStall", 0x2004, 50},
    {"IntPtagStall", 0x2006, 20},
    {"CCPtagStall", 0x2007, 30},
    {"VFPPtagStall", 0x2008, 70},
    {"SaveopStall", 0x201e, 80},
    {"PCbufStall", 0x2005, 60},
    {"ExeStallCycle", 0x7001, 600},
    {"MemStallLoad", 0x7004, 200},
    {"MemStallStore", 0x7005, 100},
    {"ExeStallDiv", 0x7002, 5},
    {"FSUStall", 0x7003, 5},
    {"AluIsqStall", 0x200b, 50},             // Q = 50 + 30 + 20 = 100
    {"LsuIsqStall", 0x200c, 30},
    {"MemStallL1Miss", 0x7006, 120},
    {"FsuIsqStall", 0x200d, 20},
    {"MemStallL2Miss", 0x7007, 70},
};

const std::vector<Row> kFrontEnd = {
    {0, "Front-End Bound:", "55.00%"},
    {1, "Front-End Latency:", "50.00%"},
    {2, "iTLB Miss:", "14.50%"},
    {3, "L1 iTLB Miss:", "4.50%"},
    {3, "L2 iTLB Miss:", "10.00%"},
    {2, "iCache Miss:", "18.00%"},       // 50 - 14.5 - 8 - 2 - 7.5
    {3, "L1 iCache Miss:", "13.50%"},    // 3/4 of 18
    {3, "L2 iCache Miss:", "4.50%"},
    {2, "BP_Misp_Flush:", "8.00%"},
    {2, "OoO Rob Flush:", "2.00%"},
    {2, "Static Predictor Flush:", "7.50%"},
    {1, "Front End Bound Bandwidth:", "5.00%"},
};

const std::vector<Row> kBadSpeculation = {
    {0, "Bad Speculation:", "10.00%"},
    {1, "Branch Mispredicts:", "8.00%"},  // 16 / 20 of 10
    {2, "Indirect Branch:", "1.00%"},     // 2 / 16 of 8
    {2, "Push Branch:", "2.00%"},         // RETMisp 4 / 16 of 8
    {2, "Other Branch:", "4.00%"},        // (16 - 2 - 1 - 1 - 4) / 16 of 8
    {1, "Machine Clears:", "2.00%"},
    {2, "Nuke Flush:", "0.50%"},          // 1 / 4 of 2
    {2, "Other Flush:", "1.50%"},
};

const std::vector<Row> kRetiring = {
    {0, "Retiring:", "20.00%"},
};

// B = 1 - 0.55 - 0.10 - 0.20 = 0.15
const std::vector<Row> kBackEnd = {
    {0, "Back-End Bound:", "15.00%"},
    {1, "Resource Bound:", "6.00%"},      // 400 / 1000 of 15
    {2, "Sync_stall:", "1.50%"},
    {2, "Rob_stall:", "0.75%"},
    {2, "Ptag_stall:", "1.80%"},          // 20 + 30 + 70
    {2, "SaveOpQ_stall:", "1.20%"},
    {2, "PC_buffer_stall:", "0.90%"},
    {2, "Other_stall:", "1.35%"},         // 400 - 100 - 50 - 20 - 80 - 60: only the integer ptag stall
    {1, "Core Bound:", "4.50%"},          // (600 - 200 - 100) / 1000 of 15
    {2, "Divider:", "0.50%"},             // 5 / 1000 of all cycles, not of B
    {2, "FSU_stall:", "0.50%"},
    {2, "Exe Ports Util:", "3.50%"},
    {3, "ALU BRU IssueQ Full:", "1.75%"},
    {3, "LS IssueQ Full:", "1.05%"},
    {3, "FSU IssueQ Full:", "0.70%"},
    {1, "Memory Bound:", "4.50%"},        // 300 / 1000 of 15
    {2, "L1 Bound:", "1.20%"},
    {2, "L2 Bound:", "0.75%"},
    {2, "L3 or DRAM Bound:", "1.05%"},
    {2, "Store Bound:", "1.50%"},
};

TEST_F(TopDownQ60, ReportsEveryFormulaOfItsFourGroups)
{
    topdown_test::Probe<TopDown> probe;
    probe.SetCounts(kCounts);
    ExpectLines(probe.Report(), ExpectedReport("800", "1000", "0.80", {kFrontEnd, kBadSpeculation, kRetiring, kBackEnd}));
}

TEST_F(TopDownQ60, NothingCountedPrintsZeroTotalsAndNan)
{
    topdown_test::Probe<TopDown> probe;
    probe.SetAllZero();
    ExpectLines(probe.Report(), ExpectedReport("0", "0", "nan",
                                               topdown_test::WithValue({kFrontEnd, kBadSpeculation, kRetiring, kBackEnd},
                                                                       "nan%")));
}

TEST_F(TopDownQ60, NegativeBadSpeculationPrintsZeroButEntersBackEndUnclamped)
{
    // 600 decoded, 800 retired: Bad Speculation = -200 / 4000 = -5 %, shown as
    // 0.00 %, while B = 1 - 0.55 + 0.05 - 0.20 = 0.30 (0.25 had it been clamped).
    topdown_test::Probe<TopDown> probe;
    probe.SetCounts(With(kCounts, "DecodedInsts", 600));
    auto lines = topdown_test::SplitLines(probe.Report());
    auto has = [&lines](const std::string& line) {
        for (const auto& l : lines) {
            if (l == line) {
                return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(has(Line(0, "Bad Speculation:", "0.00%")));
    EXPECT_TRUE(has(Line(1, "Branch Mispredicts:", "0.00%")));
    EXPECT_TRUE(has(Line(1, "Machine Clears:", "0.00%")));
    EXPECT_TRUE(has(Line(0, "Back-End Bound:", "30.00%")));
    EXPECT_TRUE(has(Line(1, "Resource Bound:", "12.00%")));  // 400 / 1000 of 30
    EXPECT_TRUE(has(Line(2, "Divider:", "0.50%")));          // not scaled by B
    EXPECT_TRUE(has(Line(1, "Memory Bound:", "9.00%")));
    EXPECT_DOUBLE_EQ(probe.m_badSpeculationBound, -0.05);
    EXPECT_EQ(probe.m_topDownMap["BadSpeculation"], 0);
}

TEST_F(TopDownQ60, NegativeICacheMissPrintsZeroButItsSplitUsesTheNegativeValue)
{
    // Front-End Latency 10 % against 14.5 + 8 + 2 + 7.5 % of penalties: iCache
    // Miss = -22 %, shown as 0.00 %. With fewer L2 references than misses the
    // L1 share is (0 - 1) x 15 / ((0 - 1) x 15 + 100) = -15/85, so L1 iCache
    // Miss = -15/85 x -22 % = 3.88 %: computed from the unclamped value (it
    // would be 0 from a clamped one). L2 iCache Miss = -22 - 3.88 % prints 0.00 %.
    topdown_test::Probe<TopDown> probe;
    probe.SetCounts(With(With(kCounts, "FetchBubblesExceedMIW", 100), "L2ICacheRef", 0));
    auto lines = topdown_test::SplitLines(probe.Report());
    ASSERT_GT(lines.size(), 16u);
    EXPECT_EQ(lines[6], Line(1, "Front-End Latency:", "10.00%"));
    EXPECT_EQ(lines[10], Line(2, "iCache Miss:", "0.00%"));
    EXPECT_EQ(lines[11], Line(3, "L1 iCache Miss:", "3.88%"));
    EXPECT_EQ(lines[12], Line(3, "L2 iCache Miss:", "0.00%"));
    // the bandwidth share (55 - 10 = 45 %) is unaffected
    EXPECT_EQ(lines[16], Line(1, "Front End Bound Bandwidth:", "45.00%"));
}

TEST_F(TopDownQ60, EachPeriodIsComputedAfresh)
{
    // A period with nothing counted, then the known one: nothing of the first stays.
    topdown_test::Probe<TopDown> probe;
    probe.SetAllZero();
    probe.Report();
    probe.SetCounts(kCounts);
    ExpectLines(probe.Report(), ExpectedReport("800", "1000", "0.80", {kFrontEnd, kBadSpeculation, kRetiring, kBackEnd}));
}

TEST_F(TopDownQ60, FillsRawKeysAndGivesMissingEventsZero)
{
    topdown_test::Probe<TopDown> probe;
    probe.SetCounts({{"Cycles", 0x0011, 1000}, {"FetchBubblesExceedMIW", 0x201d, 500}});
    probe.Report();
    EXPECT_EQ(probe.m_topDownMap["0x0011"], 1000);
    EXPECT_EQ(probe.m_topDownMap["0x201d"], 500);
    EXPECT_EQ(probe.m_topDownMap["0x7007"], 0);
    // every event of the table now has a count, the missing ones 0
    EXPECT_EQ(probe.m_perfCountResMap.size(), probe.m_perfEvents.size());
    EXPECT_EQ(probe.m_perfCountResMap[PerfEvent(4, 0x7007)], 0u);
}

TEST_F(TopDownQ60, NoCountsAtAllSaysSoAndGivesNoReport)
{
    topdown_test::Probe<TopDown> probe;
    probe.m_perfCountResMap.clear();
    ::testing::internal::CaptureStderr();
    std::string report = probe.Report();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "perf count is empty\n");
    EXPECT_EQ(report, "");
}

}  // namespace
