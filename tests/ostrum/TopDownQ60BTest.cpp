#include "TopDownQ60B.h"

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

class TopDownQ60BModel : public ::testing::Test {
protected:
    void SetUp() override { topdown_test::UseMachine("q60b-1s"); }
};

// 1000 cycles = 6000 issue slots. B = 1 - 0.30 - 0.10 - 0.40 = 0.20, so a
// B-scaled line is count / 1000 x 0.2 = count x 0.02 %.
const std::vector<Count> kCounts = {
    {"FetchBubbles", 0x2011, 1800},          // 1800 / 6000 = 30 %
    {"L2ITLBRef", 0x0030, 2},
    {"L2ITLBMiss", 0x002e, 1},               // (1 x 15 + 100) / 1000 = 11.5 %
    {"Cycles", 0x0011, 1000},
    {"L2ICacheRef", 0x0027, 77},             // collected, used by no formula
    {"L2ICacheMiss", 0x0028, 33},
    {"BP_Mis_Pred", 0x0010, 8},              // 40 / 1000 = 4 %
    {"OoO_Flush", 0x2010, 2},                // 1 %
    {"SP_Flush", 0x104f, 1},                 // 0.5 %
    {"FetchBubblesExceedMIW", 0x2012, 200},  // 20 %
    {"DecodedInsts", 0x001b, 3000},          // 600 / 6000 = 10 %
    {"RetiredInsts", 0x0008, 2400},          // 2400 / 6000 = 40 %
    {"IF_BP_MISP_BR_IND", 0x1010, 2},
    {"IF_BP_MISP_BR_BLR", 0x1013, 1},
    {"IF_BP_MISP_BR_BL", 0x1016, 2},
    {"IF_BP_MISP_BR_RET", 0x100d, 1},
    {"NukeFlush", 0x200f, 1},
    {"ExecStallCycle", 0x7001, 600},
    {"FdivFsqrtStall", 0x7002, 25},
    {"ExecStallDiv", 0x7003, 50},
    {"FSUStall", 0x7004, 75},
    {"CoreBoundCyclesUtilizedOfPort0_serail_ops", 0x700a, 10},  // P = 400
    {"CoreBoundCyclesUtilizedOfPort0_none_serail_ops", 0x700b, 20},
    {"CoreBoundCyclesUtilizedOfPort1", 0x700c, 30},
    {"CoreBoundCyclesUtilizedOfPort2", 0x700d, 40},
    {"CoreBoundCyclesUtilizedOfPort3", 0x700e, 50},
    {"CoreBoundCyclesUtilizedOfPort4", 0x700f, 60},
    {"CoreBoundCyclesUtilizedOfPort5", 0x7010, 70},
    {"CoreBoundCyclesUtilizedOfPort6p", 0x7011, 120},
    {"MemStallLoad", 0x7005, 250},
    {"MemStallStore", 0x7006, 100},
    {"MemStallL1Miss", 0x7007, 150},
    {"MemStallL2Miss", 0x7008, 100},
    {"MemStallL3Miss", 0x7009, 60},
    {"LD_CANCEL_DTLB_MISS", 0x5090, 1},      // L = 40
    {"LD_CANCEL_MISALIGN", 0x5091, 2},
    {"LD_CANCEL_LQ_FULL", 0x5092, 3},
    {"LD_CANCEL_INST_TYPE", 0x5093, 4},
    {"LD_CANCEL_FWD_HZD", 0x5094, 5},
    {"LD_CANCEL_STRUCT_HZD", 0x5095, 6},
    {"LD_CANCEL_BOUND_PIPELINE", 0x5096, 19},
    {"L2_BOUND_SRC_BUF", 0x701e, 10},
    {"L2_BOUND_SRC_SNP", 0x701f, 5},
    {"L2_BOUND_SRC_ARB", 0x7020, 5},
    {"DRAM_BOUND_SRC_LOCAL_DRAM", 0x7021, 20},  // 2 : 1 : 1
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
    {2, "iTLB Miss:", "11.50%"},
    {2, "iCache Miss:", "3.00%"},  // 20 - 11.5 - 4 - 1 - 0.5
    {2, "BP_Misp_Flush:", "4.00%"},
    {2, "OoO Rob Flush:", "1.00%"},
    {2, "Static Predictor Flush:", "0.50%"},
    {1, "Front End Bound Bandwidth:", "10.00%"},
};

const std::vector<Row> kBadSpeculation = {
    {0, "Bad Speculation:", "10.00%"},
    {1, "Branch Mispredicts:", "8.00%"},  // 8 / 10 of 10
    {2, "Indrect Branch:", "2.00%"},      // 2 / 8 of 8
    {2, "Push Branch:", "3.00%"},         // (1 + 2) / 8
    {2, "Pop Branch:", "1.00%"},          // 1 / 8
    {2, "Other Branch:", "4.00%"},        // (8 - 1 - 2 - 1) / 8: the indirect ones are not subtracted
    {1, "Machine Clears:", "2.00%"},
    {2, "Nuke Flush:", "1.00%"},          // 1 / 2 of 2
    {2, "Other Flush:", "1.00%"},
};

const std::vector<Row> kRetiring = {
    {0, "Retiring:", "40.00%"},
};

const std::vector<Row> kBackEnd = {
    {0, "Back-End Bound:", "20.00%"},
    {1, "Core Bound:", "5.00%"},              // 600 - 250 - 100 = 250
    {2, "FDivider Stall:", "0.50%"},
    {2, "Divider Stall:", "1.00%"},
    {2, "FSU Stall:", "1.50%"},
    {2, "Exe Ports Util:", "2.00%"},          // 5 - 0.5 - 1 - 1.5
    {3, "0 ports seralize:", "0.05%"},        // 10 / 400 of 2
    {3, "0 ports non seralize:", "0.10%"},
    {3, "1 ports:", "0.15%"},
    {3, "2 ports:", "0.20%"},
    {3, "3 ports:", "0.25%"},
    {3, "4 ports:", "0.30%"},
    {3, "5 ports:", "0.35%"},
    {3, "6p ports:", "0.60%"},
    {1, "Memory Bound:", "7.00%"},            // 250 + 100
    {2, "L1 Bound:", "2.00%"},                // 250 - 150
    {3, "DTLB MISS:", "0.05%"},               // 1 / 40 of 2
    {3, "Misalign:", "0.10%"},
    {3, "Resource Full:", "0.15%"},
    {3, "Instruction Type:", "0.20%"},
    {3, "Forward Hazard:", "0.25%"},
    {3, "Structure Hazard:", "0.30%"},
    {3, "Other:", "0.95%"},
    {2, "L2 Bound:", "1.00%"},                // 150 - 100
    {3, "Buffer Pending:", "0.20%"},
    {3, "Snoop Pending:", "0.10%"},
    {3, "Arb Idl:", "0.10%"},
    {3, "Other:", "0.60%"},                   // 1 - 0.2 - 0.1 - 0.1
    {2, "L3 Bound:", "0.80%"},                // 100 - 60
    {2, "Mem Bound:", "1.20%"},               // 60
    {3, "Local DRAM:", "0.60%"},              // 0.4 : 0.2 : 0.2 rescaled to 1.2
    {3, "Remote DRAM:", "0.30%"},
    {3, "Remote Cache:", "0.30%"},
    {2, "Store Bound:", "2.00%"},             // 100
    {3, "SCA Full:", "1.00%"},                // 0.8 : 0.2 : 0.4 : 0.2 (half weight) rescaled to 2
    {3, "Head no Pgen:", "0.25%"},
    {3, "Ordel Fail:", "0.50%"},
    {3, "Other:", "0.25%"},
};

const std::vector<std::vector<Row>> kTrees = {kFrontEnd, kBadSpeculation, kRetiring, kBackEnd};

TEST_F(TopDownQ60BModel, ReportsEveryFormulaOfItsFourGroups)
{
    topdown_test::Probe<TopDownQ60B> probe;
    probe.SetCounts(kCounts);
    ExpectLines(probe.Report(), ExpectedReport("2400", "1000", "2.40", kTrees));
}

TEST_F(TopDownQ60BModel, NothingCountedPrintsNanExceptTheGuardedLoadCancelSplit)
{
    topdown_test::Probe<TopDownQ60B> probe;
    probe.SetAllZero();
    auto trees = topdown_test::WithValue(kTrees, "nan%");
    trees[3] = Patch(trees[3], {{16, "0.00%"}, {17, "0.00%"}, {18, "0.00%"}, {19, "0.00%"}, {20, "0.00%"},
                                {21, "0.00%"}, {22, "0.00%"}});
    ExpectLines(probe.Report(), ExpectedReport("0", "0", "nan", trees));
}

struct ChangedCase {
    const char* name;
    std::vector<std::pair<const char*, uint64_t>> counts;
    std::vector<std::pair<size_t, const char*>> backEnd;  // rows of the Back-End tree that change
};

class TopDownQ60BBackEnd : public TopDownQ60BModel, public ::testing::WithParamInterface<ChangedCase> {};

TEST_P(TopDownQ60BBackEnd, SplitsFollowTheirGuardsAndRescaling)
{
    std::vector<Count> counts = kCounts;
    for (const auto& change : GetParam().counts) {
        counts = With(counts, change.first, change.second);
    }
    topdown_test::Probe<TopDownQ60B> probe;
    probe.SetCounts(counts);
    ExpectLines(probe.Report(), ExpectedReport("2400", "1000", "2.40",
                                               {kFrontEnd, kBadSpeculation, kRetiring, Patch(kBackEnd, GetParam().backEnd)}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TopDownQ60BBackEnd,
    ::testing::Values(
        // no load cancelled: the seven L1 Bound lines are 0, L1 Bound itself stays
        ChangedCase{"no_load_cancel",
                    {{"LD_CANCEL_DTLB_MISS", 0}, {"LD_CANCEL_MISALIGN", 0}, {"LD_CANCEL_LQ_FULL", 0},
                     {"LD_CANCEL_INST_TYPE", 0}, {"LD_CANCEL_FWD_HZD", 0}, {"LD_CANCEL_STRUCT_HZD", 0},
                     {"LD_CANCEL_BOUND_PIPELINE", 0}},
                    {{16, "0.00%"}, {17, "0.00%"}, {18, "0.00%"}, {19, "0.00%"}, {20, "0.00%"}, {21, "0.00%"},
                     {22, "0.00%"}}},
        // no L2 source counted: the L2 Bound other share is all of L2 Bound
        ChangedCase{"no_l2_source",
                    {{"L2_BOUND_SRC_BUF", 0}, {"L2_BOUND_SRC_SNP", 0}, {"L2_BOUND_SRC_ARB", 0}},
                    {{24, "0.00%"}, {25, "0.00%"}, {26, "0.00%"}, {27, "1.00%"}}},
        // ... and with no L2 Bound either, every share is 0 rather than 0 / 0
        ChangedCase{"no_l2_bound",
                    {{"L2_BOUND_SRC_BUF", 0}, {"L2_BOUND_SRC_SNP", 0}, {"L2_BOUND_SRC_ARB", 0}, {"MemStallL2Miss", 150}},
                    {{23, "0.00%"}, {24, "0.00%"}, {25, "0.00%"}, {26, "0.00%"}, {27, "0.00%"},
                     {28, "1.80%"}}},  // L3 Bound = (150 - 60) x 0.02 %, Mem Bound unchanged
        // only the store queue full: it takes the whole Store Bound
        ChangedCase{"only_sca_full",
                    {{"ST_SCA_FULL", 100}, {"ST_HEAD_NO_PGEN", 0}, {"ST_ORDER_FAIL", 0}, {"ST_BOUND_PIPELINE", 0}},
                    {{34, "2.00%"}, {35, "0.00%"}, {36, "0.00%"}, {37, "0.00%"}}}),
    [](const ::testing::TestParamInfo<ChangedCase>& info) { return std::string(info.param.name); });

}  // namespace
