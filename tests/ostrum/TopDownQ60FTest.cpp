#include "TopDownQ60F.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TopDownReportTest.h"

namespace {

using topdown_test::Count;
using topdown_test::ExpectedReport;
using topdown_test::ExpectLines;
using topdown_test::Patch;
using topdown_test::Row;
using topdown_test::With;

class TopDownQ60FModel : public ::testing::Test {
protected:
    void SetUp() override { topdown_test::UseMachine("q60f"); }
};

// 1000 cycles: 4000 slots for Front-End Bound and Bad Speculation, 6000 for
// Retiring. B = 1 - 0.30 - 0.10 - 0.40 = 0.20.
const std::vector<Count> kCounts = {
    {"FetchBubbles", 0x200e, 1200},  // 1200 / 4000 = 30 %
    {"FetchBubblesExceedMIW", 0x200f, 200},
    {"L2I_TLB", 0x0030, 3},
    {"L2I_TLB_REFILL", 0x002e, 1},       // (2 x 15 + 100) / 1000 = 13 %
    {"L2I_CACHE", 0x0027, 5},
    {"L2I_CACHE_REFILL", 0x0028, 2},     // (3 x 15 + 200) / 1000 = 24.5 %
    {"ROB_FLUSH", 0x2a17, 4},            // 9 cycles each: 3.6 %
    {"IF_SP_FLUSH_BUBBLE", 0x1052, 3},   // 5 cycles each: 1.5 %
    {"BR_MIS_PRED", 0x0010, 16},         // 5 cycles each: 8 %
    {"Cycles", 0x0011, 1000},
    {"DecodedInsts", 0x001b, 2800},      // 400 / 4000 = 10 %
    {"RetiredInsts", 0x0008, 2400},      // 2400 / 6000 = 40 %
    {"IF_BP_MISP_BR_IND", 0x1010, 2},
    {"IF_BP_MISP_BR_BLR", 0x1013, 1},
    {"IF_BP_MISP_BR_BL", 0x1016, 3},
    {"IF_BP_MISP_BR_RET", 0x100d, 2},
    {"NukeFlush", 0x2a16, 1},
    {"RESOURCE_BOUND", 0x7000, 100},
    {"ExecStallCycle", 0x7001, 700},
    // collected, used by no reported metric: large counts that would show anywhere
    {"OOO_ROB_STALL", 0x2004, 901},
    {"OOO_PCBUF_STALL", 0x2005, 902},
    {"INT_PTAG_STALL", 0x2006, 903},
    {"CC+PTAG_STALL", 0x2007, 904},
    {"VFP_PTAG_STALL", 0x2008, 905},
    {"INT_MPQ_STALL", 0x200b, 906},
    {"VFP_MPQ_STALL", 0x200c, 907},
    {"CC_MPQ_STALL", 0x200d, 908},
    {"FdivFsqrtStall", 0x7002, 25},
    {"ExecStallDiv", 0x7003, 50},
    {"FSUStall", 0x7004, 75},
    {"MemStallLoad", 0x7005, 250},
    {"MemStallStore", 0x7006, 100},
    {"MemStallL1Miss", 0x7007, 150},
    {"MemStallL2Miss", 0x7008, 100},
    {"MemStallL3Miss", 0x7009, 60},
    {"CoreBoundCyclesUtilizedOfPort0_serail_ops", 0x700a, 50},  // P = 1000
    {"CoreBoundCyclesUtilizedOfPort0_none_serail_ops", 0x700b, 100},
    {"CoreBoundCyclesUtilizedOfPort1", 0x700c, 150},
    {"CoreBoundCyclesUtilizedOfPort2", 0x700d, 200},
    {"CoreBoundCyclesUtilizedOfPort3", 0x700e, 300},
    {"CoreBoundCyclesUtilizedOfPort4p", 0x7011, 200},
    {"L2_BOUND_SRC_BUF", 0x701e, 10},
    {"L2_BOUND_SRC_SNP", 0x701f, 5},
    {"L2_BOUND_SRC_ARB", 0x7020, 5},
};

const std::vector<Row> kFrontEnd = {
    {0, "Front-End Bound:", "30.00%"},
    {1, "Front-End Latency:", "20.00%"},
    {1, "iTLB Miss:", "13.00%"},
    {1, "iCache Miss:", "24.50%"},
    {1, "OoO Flush Bubble:", "3.60%"},
    {1, "SP Flush Bubble:", "1.50%"},
    {1, "BP Misp Flush:", "8.00%"},
    {1, "Front End Bound Bandwidth:", "10.00%"},
};

const std::vector<Row> kBadSpeculation = {
    {0, "Bad Speculation:", "10.00%"},
    {1, "Branch Mispredicts:", "8.00%"},  // 16 / (16 + 4) of 10
    {2, "Indrect Branch:", "1.00%"},
    {2, "Push Branch:", "2.00%"},
    {2, "Pop Branch:", "1.00%"},
    {2, "Other Branch:", "5.00%"},        // (16 - 1 - 3 - 2) / 16 of 8
    {1, "Machine Clears:", "2.00%"},
    {2, "Nuke Flush:", "0.50%"},
    {2, "Other Flush:", "1.50%"},
};

const std::vector<Row> kRetiring = {
    {0, "Retiring:", "40.00%"},
};

const std::vector<Row> kBackEnd = {
    {0, "Back-End Bound:", "20.00%"},
    {1, "Resource Bound:", "10.00%"},        // 100 / 1000 of all cycles, not of B
    {1, "Core Bound:", "5.00%"},             // 700 - 250 - 100 - 100 = 250, of B
    {2, "FDivider Stall:", "0.50%"},
    {2, "Divider Stall:", "1.00%"},
    {2, "FSU Stall:", "1.50%"},
    {2, "Exe Ports Util:", "2.00%"},
    {3, "0 ports seralize:", "0.10%"},
    {3, "0 ports non seralize:", "0.20%"},
    {3, "1 ports:", "0.30%"},
    {3, "2 ports:", "0.40%"},
    {3, "3 ports:", "0.60%"},
    {3, "4p ports:", "0.40%"},
    {1, "Memory Bound:", "7.00%"},
    {2, "L1 Bound:", "2.00%"},
    {2, "L2 Bound:", "1.00%"},
    {3, "Buffer Pending:", "0.20%"},
    {3, "Snoop Pending:", "0.10%"},
    {3, "Arb Idl:", "0.10%"},
    {3, "Other:", "0.60%"},
    {2, "L3 Bound:", "0.80%"},
    {2, "Mem Bound:", "1.20%"},
    {2, "Store Bound:", "2.00%"},
};

const std::vector<std::vector<Row>> kTrees = {kFrontEnd, kBadSpeculation, kRetiring, kBackEnd};

TEST_F(TopDownQ60FModel, ReportsEveryFormulaOfItsFourGroups)
{
    topdown_test::Probe<TopDownQ60F> probe;
    probe.SetCounts(kCounts);
    ExpectLines(probe.Report(), ExpectedReport("2400", "1000", "2.40", kTrees));
}

TEST_F(TopDownQ60FModel, NothingCountedPrintsNanEverywhere)
{
    topdown_test::Probe<TopDownQ60F> probe;
    probe.SetAllZero();
    ExpectLines(probe.Report(), ExpectedReport("0", "0", "nan", topdown_test::WithValue(kTrees, "nan%")));
}

TEST_F(TopDownQ60FModel, RetiringCountsSixSlotsWhileTheFrontEndCountsFour)
{
    // No fetch bubble, no wrong-path instruction, 6 x Cycles retired:
    // Retiring is 100 % and B = 0, so every B-scaled line is 0, while Resource
    // Bound, a share of all cycles, still shows 10 %.
    std::vector<Count> counts = With(With(With(kCounts, "FetchBubbles", 0), "RetiredInsts", 6000), "DecodedInsts", 6000);
    topdown_test::Probe<TopDownQ60F> probe;
    probe.SetCounts(counts);
    auto frontEnd = Patch(kFrontEnd, {{0, "0.00%"}, {7, "0.00%"}});  // 0 - 20 % is clamped
    auto badSpeculation = topdown_test::WithValue({kBadSpeculation}, "0.00%")[0];
    auto backEnd = Patch(topdown_test::WithValue({kBackEnd}, "0.00%")[0], {{1, "10.00%"}});
    ExpectLines(probe.Report(),
                ExpectedReport("6000", "1000", "6.00", {frontEnd, badSpeculation, {{0, "Retiring:", "100.00%"}}, backEnd}));
}

TEST_F(TopDownQ60FModel, NoRobFlushMakesEveryMispredictABranchAndTheFlushSplitNan)
{
    topdown_test::Probe<TopDownQ60F> probe;
    probe.SetCounts(With(kCounts, "ROB_FLUSH", 0));
    // the ROB flush penalty leaves the Front-End too
    auto frontEnd = Patch(kFrontEnd, {{4, "0.00%"}});
    // Branch Mispredicts = 16 / 16 of 10 %: the classes grow by 10/8
    auto badSpeculation = Patch(kBadSpeculation, {{1, "10.00%"}, {2, "1.25%"}, {3, "2.50%"}, {4, "1.25%"},
                                                  {5, "6.25%"}, {6, "0.00%"}, {7, "nan%"}, {8, "nan%"}});
    ExpectLines(probe.Report(), ExpectedReport("2400", "1000", "2.40", {frontEnd, badSpeculation, kRetiring, kBackEnd}));
}

}  // namespace
