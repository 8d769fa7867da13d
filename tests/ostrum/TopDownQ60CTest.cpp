#include "TopDownQ60C.h"

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

class TopDownQ60CModel : public ::testing::Test {
protected:
    void SetUp() override { topdown_test::UseMachine("q60c"); }
};

// 1000 cycles: 8000 fetch slots for Front-End Bound, 6000 issue slots for Bad
// Speculation and Retiring. B = 1 - 0.30 - 0.10 - 0.40 = 0.20.
const std::vector<Count> kCounts = {
    {"FetchBubbles", 0x1f21, 2400},  // 2400 / 8000 = 30 %
    {"FetchBubblesExceedMIW", 0x1f22, 200},
    {"IF_L1_CACHE_MISS_BUBBLE", 0x1f10, 30},
    {"IF_L1_TLB_MISS_BUBBLE", 0x1f11, 20},
    {"IF_OOO_FLUSH_BUBBLE", 0x1f12, 11},
    {"IF_SP_FLUSH_BUBBLE", 0x1f13, 12},
    {"IF_BRU_FLUSH_BUBBLE", 0x1f14, 13},
    {"IF_B5_FLUSH_BUBBLE", 0x1f15, 14},
    {"IF_B3_FLUSH_BUBBLE", 0x1f16, 15},
    {"IF_B2_FLUSH_BUBBLE", 0x1f17, 16},
    {"IF_BP_FLUSH_BUBBLE", 0x1f18, 17},
    {"IF_TGT_FULL_BUBBLE", 0x1f19, 18},
    {"IF_BRQ_FULL_BUBBLE", 0x1f1a, 19},
    {"IF_RS_FULL_BUBBLE", 0x1f1b, 21},
    {"IF_CXT_FULL_BUBBLE", 0x1f1c, 22},
    {"Cycles", 0x0011, 1000},
    {"DecodedInsts", 0x001b, 3000},  // 600 / 6000 = 10 %
    {"RetiredInsts", 0x0008, 2400},  // 2400 / 6000 = 40 %
    {"BR_MIS_PRED", 0x0010, 8},
    {"IF_BP_MISP_BR_IND", 0x1010, 2},
    {"IF_BP_MISP_BR_BLR", 0x1013, 1},
    {"IF_BP_MISP_BR_BL", 0x1016, 2},
    {"IF_BP_MISP_BR_RET", 0x100d, 1},
    {"NukeFlush", 0x203f, 1},
    {"RobFlush", 0x2040, 2},
    {"ExecStallCycle", 0x7001, 600},
    {"FdivFsqrtStall", 0x7002, 25},
    {"ExecStallDiv", 0x7003, 50},
    {"FSUStall", 0x7004, 75},
    {"CoreBoundCyclesUtilizedOfPort0_serail_ops", 0x700a, 10},  // P = 1000
    {"CoreBoundCyclesUtilizedOfPort0_none_serail_ops", 0x700b, 20},
    {"CoreBoundCyclesUtilizedOfPort1", 0x700c, 30},
    {"CoreBoundCyclesUtilizedOfPort2", 0x700d, 40},
    {"CoreBoundCyclesUtilizedOfPort3", 0x700e, 50},
    {"CoreBoundCyclesUtilizedOfPort4", 0x700f, 60},
    {"CoreBoundCyclesUtilizedOfPort5", 0x7010, 70},
    {"CoreBoundCyclesUtilizedOfPort6", 0x7011, 80},
    {"CoreBoundCyclesUtilizedOfPort7", 0x7012, 90},
    {"CoreBoundCyclesUtilizedOfPort8p", 0x7013, 550},
    {"MemStallLoad", 0x7005, 250},
    {"MemStallStore", 0x7006, 100},
    {"MemStallL1Miss", 0x7007, 150},
    {"MemStallL2Miss", 0x7008, 100},
    {"MemStallL3Miss", 0x7009, 60},
    {"LD_CANCEL_DTLB_MISS", 0x5090, 1},
    {"LD_CANCEL_MISALIGN", 0x5091, 2},
    {"LD_CANCEL_LQ_FULL", 0x5092, 3},
    {"LD_CANCEL_INST_TYPE", 0x5093, 4},
    {"LD_CANCEL_FWD_HZD", 0x5094, 5},
    {"LD_CANCEL_STRUCT_HZD", 0x5095, 6},
    {"LD_CANCEL_BOUND_PIPELINE", 0x5096, 19},
    {"L2_BOUND_SRC_BUF", 0x701e, 10},
    {"L2_BOUND_SRC_SNP", 0x701f, 5},
    {"L2_BOUND_SRC_ARB", 0x7020, 5},
    {"DRAM_BOUND_SRC_LOCAL_DRAM", 0x7021, 20},
    {"DRAM_BOUND_SRC_REMOTE_DRAM", 0x7022, 10},
    {"DRAM_BOUND_SRC_REMOTE_CACHE", 0x7023, 10},
    {"ST_SCA_FULL", 0x50a0, 40},
    {"ST_HEAD_NO_PGEN", 0x50a2, 20},
    {"ST_ORDER_FAIL", 0x50a3, 40},
    {"ST_BOUND_PIPELINE", 0x50a4, 20},
};

const std::vector<Row> kFrontEnd = {
    {0, "Front-End Bound:", "30.00%"},
    {1, "Front-End Latency:", "20.00%"},
    {1, "iCache/iTLB Miss:", "5.00%"},
    {2, "iTLB Miss:", "2.00%"},
    {2, "iCache Miss:", "3.00%"},
    {1, "OoO Flush Bubble:", "1.10%"},
    {1, "SP Flush Bubble:", "1.20%"},
    {1, "Bru Flush Bubble:", "1.30%"},
    {1, "B5 Flush Bubble:", "1.40%"},
    {1, "B3 Flush Bubble:", "1.50%"},
    {1, "B2 Flush Bubble:", "1.60%"},
    {1, "BP Stall Bubble:", "1.70%"},
    {2, "TGT Full Bubble:", "1.80%"},
    {2, "BRQ Full Bubble:", "1.90%"},
    {2, "RS Full Bubble:", "2.10%"},
    {2, "CXT Full Bubble:", "2.20%"},
    {1, "Front End Bound Bandwidth:", "10.00%"},
};

const std::vector<Row> kBadSpeculation = {
    {0, "Bad Speculation:", "10.00%"},
    {1, "Branch Mispredicts:", "8.00%"},
    {2, "Indrect Branch:", "2.00%"},
    {2, "Push Branch:", "3.00%"},
    {2, "Pop Branch:", "1.00%"},
    {2, "Other Branch:", "4.00%"},
    {1, "Machine Clears:", "2.00%"},
    {2, "Nuke Flush:", "1.00%"},
    {2, "Other Flush:", "1.00%"},
};

const std::vector<Row> kRetiring = {
    {0, "Retiring:", "40.00%"},
};

const std::vector<Row> kBackEnd = {
    {0, "Back-End Bound:", "20.00%"},
    {1, "Core Bound:", "5.00%"},
    {2, "FDivider Stall:", "0.50%"},
    {2, "Divider Stall:", "1.00%"},
    {2, "FSU Stall:", "1.50%"},
    {2, "Exe Ports Util:", "2.00%"},
    {3, "0 ports seralize:", "0.02%"},  // 10 / 1000 of 2; the ten shares add up to 2
    {3, "0 ports non seralize:", "0.04%"},
    {3, "1 ports:", "0.06%"},
    {3, "2 ports:", "0.08%"},
    {3, "3 ports:", "0.10%"},
    {3, "4 ports:", "0.12%"},
    {3, "5 ports:", "0.14%"},
    {3, "6 ports:", "0.16%"},
    {3, "7 ports:", "0.18%"},
    {3, "8p ports:", "1.10%"},
    {1, "Memory Bound:", "7.00%"},
    {2, "L1 Bound:", "2.00%"},
    {3, "DTLB MISS:", "0.05%"},
    {3, "Misalign:", "0.10%"},
    {3, "Resource Full:", "0.15%"},
    {3, "Instruction Type:", "0.20%"},
    {3, "Forward Hazard:", "0.25%"},
    {3, "Structure Hazard:", "0.30%"},
    {3, "Other:", "0.95%"},
    {2, "L2 Bound:", "1.00%"},
    {3, "Buffer Pending:", "0.20%"},
    {3, "Snoop Pending:", "0.10%"},
    {3, "Arb Idl:", "0.10%"},
    {3, "Other:", "0.60%"},
    {2, "L3 Bound:", "0.80%"},
    {2, "Mem Bound:", "1.20%"},
    {3, "Local DRAM:", "0.60%"},
    {3, "Remote DRAM:", "0.30%"},
    {3, "Remote Cache:", "0.30%"},
    {2, "Store Bound:", "2.00%"},
    {3, "SCA Full:", "1.00%"},
    {3, "Head no Pgen:", "0.25%"},
    {3, "Ordel Fail:", "0.50%"},
    {3, "Other:", "0.25%"},
};

const std::vector<std::vector<Row>> kTrees = {kFrontEnd, kBadSpeculation, kRetiring, kBackEnd};

TEST_F(TopDownQ60CModel, ReportsEveryFormulaOfItsFourGroups)
{
    topdown_test::Probe<TopDownQ60C> probe;
    probe.SetCounts(kCounts);
    ExpectLines(probe.Report(), ExpectedReport("2400", "1000", "2.40", kTrees));
}

TEST_F(TopDownQ60CModel, NothingCountedPrintsNanExceptTheGuardedLoadCancelSplit)
{
    topdown_test::Probe<TopDownQ60C> probe;
    probe.SetAllZero();
    auto trees = topdown_test::WithValue(kTrees, "nan%");
    trees[3] = Patch(trees[3], {{18, "0.00%"}, {19, "0.00%"}, {20, "0.00%"}, {21, "0.00%"}, {22, "0.00%"},
                                {23, "0.00%"}, {24, "0.00%"}});
    ExpectLines(probe.Report(), ExpectedReport("0", "0", "nan", trees));
}

TEST_F(TopDownQ60CModel, NoRobFlushMakesEveryMispredictABranchAndTheFlushSplitNan)
{
    // Branch Mispredicts = 8 / (8 + 0) of 10 % = all of Bad Speculation, so the
    // branch classes grow by 10/8 and Machine Clears is 0; its split is 0 / 0.
    topdown_test::Probe<TopDownQ60C> probe;
    probe.SetCounts(With(kCounts, "RobFlush", 0));
    auto badSpeculation = Patch(kBadSpeculation, {{1, "10.00%"}, {2, "2.50%"}, {3, "3.75%"}, {4, "1.25%"},
                                                  {5, "5.00%"}, {6, "0.00%"}, {7, "nan%"}, {8, "nan%"}});
    ExpectLines(probe.Report(), ExpectedReport("2400", "1000", "2.40", {kFrontEnd, badSpeculation, kRetiring, kBackEnd}));
}

TEST_F(TopDownQ60CModel, FrontEndBoundCountsEightSlotsAndBackEndFollowsIt)
{
    // FetchBubbles = 8 x Cycles: Front-End Bound is 100 %, so B = 1 - 1 - 0.1 -
    // 0.4 = -0.5: every Back-End line comes out negative and prints 0.00 %.
    topdown_test::Probe<TopDownQ60C> probe;
    probe.SetCounts(With(kCounts, "FetchBubbles", 8000));
    auto frontEnd = Patch(kFrontEnd, {{0, "100.00%"}, {16, "80.00%"}});
    auto backEnd = topdown_test::WithValue({kBackEnd}, "0.00%")[0];
    ExpectLines(probe.Report(), ExpectedReport("2400", "1000", "2.40", {frontEnd, kBadSpeculation, kRetiring, backEnd}));
    EXPECT_DOUBLE_EQ(probe.m_frontendBound, 1.0);
}

}  // namespace
