#include "TopDownQ60C.h"

#include "Logger.h"
#include "TopDownCounts.h"
#include "TopDownEngine.h"
#include "TopDownGroups.h"

namespace {
Logger log;

// Fetch slots per cycle (Front-End Bound) and issue slots per cycle (Bad
// Speculation, Retiring).
constexpr double kFetchSlots = 8;
constexpr double kSlots = 6;

const TopDownDesc kEvents = {
    {"FetchBubbles", 0x1f21},
    {"FetchBubblesExceedMIW", 0x1f22},
    {"IF_L1_CACHE_MISS_BUBBLE", 0x1f10},
    {"IF_L1_TLB_MISS_BUBBLE", 0x1f11},
    {"IF_OOO_FLUSH_BUBBLE", 0x1f12},
    {"IF_SP_FLUSH_BUBBLE", 0x1f13},
    {"IF_BRU_FLUSH_BUBBLE", 0x1f14},
    {"IF_B5_FLUSH_BUBBLE", 0x1f15},
    {"IF_B3_FLUSH_BUBBLE", 0x1f16},
    {"IF_B2_FLUSH_BUBBLE", 0x1f17},
    {"IF_BP_FLUSH_BUBBLE", 0x1f18},
    {"IF_TGT_FULL_BUBBLE", 0x1f19},
    {"IF_BRQ_FULL_BUBBLE", 0x1f1a},
    {"IF_RS_FULL_BUBBLE", 0x1f1b},
    {"IF_CXT_FULL_BUBBLE", 0x1f1c},
    {"Cycles", 0x0011},
    {"DecodedInsts", 0x001b},
    {"RetiredInsts", 0x0008},
    {"BR_MIS_PRED", 0x0010},
    {"IF_BP_MISP_BR_IND", 0x1010},
    {"IF_BP_MISP_BR_BLR", 0x1013},
    {"IF_BP_MISP_BR_BL", 0x1016},
    {"IF_BP_MISP_BR_RET", 0x100d},
    {"NukeFlush", 0x203f},
    {"RobFlush", 0x2040},
    {"ExecStallCycle", 0x7001},
    {"FdivFsqrtStall", 0x7002},
    {"ExecStallDiv", 0x7003},
    {"FSUStall", 0x7004},
    {"CoreBoundCyclesUtilizedOfPort0_serail_ops", 0x700a},
    {"CoreBoundCyclesUtilizedOfPort0_none_serail_ops", 0x700b},
    {"CoreBoundCyclesUtilizedOfPort1", 0x700c},
    {"CoreBoundCyclesUtilizedOfPort2", 0x700d},
    {"CoreBoundCyclesUtilizedOfPort3", 0x700e},
    {"CoreBoundCyclesUtilizedOfPort4", 0x700f},
    {"CoreBoundCyclesUtilizedOfPort5", 0x7010},
    {"CoreBoundCyclesUtilizedOfPort6", 0x7011},
    {"CoreBoundCyclesUtilizedOfPort7", 0x7012},
    {"CoreBoundCyclesUtilizedOfPort8p", 0x7013},
    {"MemStallLoad", 0x7005},
    {"MemStallStore", 0x7006},
    {"MemStallL1Miss", 0x7007},
    {"MemStallL2Miss", 0x7008},
    {"MemStallL3Miss", 0x7009},
    {"LD_CANCEL_DTLB_MISS", 0x5090},
    {"LD_CANCEL_MISALIGN", 0x5091},
    {"LD_CANCEL_LQ_FULL", 0x5092},
    {"LD_CANCEL_INST_TYPE", 0x5093},
    {"LD_CANCEL_FWD_HZD", 0x5094},
    {"LD_CANCEL_STRUCT_HZD", 0x5095},
    {"LD_CANCEL_BOUND_PIPELINE", 0x5096},
    {"L2_BOUND_SRC_BUF", 0x701e},
    {"L2_BOUND_SRC_SNP", 0x701f},
    {"L2_BOUND_SRC_ARB", 0x7020},
    {"DRAM_BOUND_SRC_LOCAL_DRAM", 0x7021},
    {"DRAM_BOUND_SRC_REMOTE_DRAM", 0x7022},
    {"DRAM_BOUND_SRC_REMOTE_CACHE", 0x7023},
    {"ST_SCA_FULL", 0x50a0},
    {"ST_HEAD_NO_PGEN", 0x50a2},
    {"ST_ORDER_FAIL", 0x50a3},
    {"ST_BOUND_PIPELINE", 0x50a4},
};

// level  label                          metric key
const std::vector<TopDownRow> kFrontEndTree = {
    {0, "Front-End Bound:",           "FrontBound"},
    {1, "Front-End Latency:",         "FrontLatencyBound"},
    {1, "iCache/iTLB Miss:",          "iCacheiTLBMiss"},
    {2, "iTLB Miss:",                 "iTLBMiss"},
    {2, "iCache Miss:",               "iCacheMiss"},
    {1, "OoO Flush Bubble:",          "OoO Flush Bubble"},
    {1, "SP Flush Bubble:",           "SP Flush Bubble"},
    {1, "Bru Flush Bubble:",          "Bru Flush Bubble"},
    {1, "B5 Flush Bubble:",           "B5 Flush Bubble"},
    {1, "B3 Flush Bubble:",           "B3 Flush Bubble"},
    {1, "B2 Flush Bubble:",           "B2 Flush Bubble"},
    {1, "BP Stall Bubble:",           "BP Stall Bubble"},
    {2, "TGT Full Bubble:",           "TGT Full Bubble"},
    {2, "BRQ Full Bubble:",           "BRQ Full Bubble"},
    {2, "RS Full Bubble:",            "RS Full Bubble"},
    {2, "CXT Full Bubble:",           "CXT Full Bubble"},
    {1, "Front End Bound Bandwidth:", "FetchBandWidthBound"},
};

// The execution-port classes: report label, metric key and the event counting
// their cycles; the port utilisation is shared out by them.
const std::vector<TopDownPort> kPorts = {
    {"0 ports seralize:",     "0 ports seralize",     "CoreBoundCyclesUtilizedOfPort0_serail_ops"},
    {"0 ports non seralize:", "0 ports non seralize", "CoreBoundCyclesUtilizedOfPort0_none_serail_ops"},
    {"1 ports:",              "1 ports",              "CoreBoundCyclesUtilizedOfPort1"},
    {"2 ports:",              "2 ports",              "CoreBoundCyclesUtilizedOfPort2"},
    {"3 ports:",              "3 ports",              "CoreBoundCyclesUtilizedOfPort3"},
    {"4 ports:",              "4 ports",              "CoreBoundCyclesUtilizedOfPort4"},
    {"5 ports:",              "5 ports",              "CoreBoundCyclesUtilizedOfPort5"},
    {"6 ports:",              "6 ports",              "CoreBoundCyclesUtilizedOfPort6"},
    {"7 ports:",              "7 ports",              "CoreBoundCyclesUtilizedOfPort7"},
    {"8p ports:",             "8p ports",             "CoreBoundCyclesUtilizedOfPort8p"},
};

const std::vector<TopDownRow> kBackEndTree = TopDownGroups::StallBackEndTree(kPorts);

// The fetch bubbles counted per cause, each a share of all cycles.
const std::vector<TopDownShare> kBubbles = {
    {"OoO Flush Bubble", "IF_OOO_FLUSH_BUBBLE"},
    {"SP Flush Bubble",  "IF_SP_FLUSH_BUBBLE"},
    {"Bru Flush Bubble", "IF_BRU_FLUSH_BUBBLE"},
    {"B5 Flush Bubble",  "IF_B5_FLUSH_BUBBLE"},
    {"B3 Flush Bubble",  "IF_B3_FLUSH_BUBBLE"},
    {"B2 Flush Bubble",  "IF_B2_FLUSH_BUBBLE"},
    {"BP Stall Bubble",  "IF_BP_FLUSH_BUBBLE"},
    {"TGT Full Bubble",  "IF_TGT_FULL_BUBBLE"},
    {"BRQ Full Bubble",  "IF_BRQ_FULL_BUBBLE"},
    {"RS Full Bubble",   "IF_RS_FULL_BUBBLE"},
    {"CXT Full Bubble",  "IF_CXT_FULL_BUBBLE"},
};
}  // namespace

TopDownQ60C::TopDownQ60C(int pid, std::string cpu, ParamMap params)
    : TopDownBase(pid, std::move(cpu), std::move(params), kEvents,
                  {kFrontEndTree, TopDownGroups::kBranchClassesTree, TopDownGroups::kRetiringTree, kBackEndTree})
{
    log.Log(DEBUG, "TopDownQ60C.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
}

std::vector<std::pair<std::string, int>> TopDownQ60C::GetTopDownQ60CDesc()
{
    log.Log(DEBUG, "TopDownQ60C.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    return kEvents;
}

void TopDownQ60C::GetTopDownQ60C(PerfEventVec events)
{
    log.Log(DEBUG, "TopDownQ60C.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    Evaluate(events);
}

void TopDownQ60C::_GetFrontendBound(std::map<std::string, double> topDownMap)
{
    log.Log(DEBUG, "TopDownQ60C.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    TopDownCounts c(m_topDownDesc, topDownMap);
    auto& m = m_topDownMap;
    const double cycles = c("Cycles");
    m["FrontBound"] = c("FetchBubbles") / (kFetchSlots * cycles);
    m["FrontLatencyBound"] = c("FetchBubblesExceedMIW") / cycles;
    m["iCacheiTLBMiss"] = (c("IF_L1_CACHE_MISS_BUBBLE") + c("IF_L1_TLB_MISS_BUBBLE")) / cycles;
    m["iCacheMiss"] = c("IF_L1_CACHE_MISS_BUBBLE") / cycles;
    m["iTLBMiss"] = c("IF_L1_TLB_MISS_BUBBLE") / cycles;
    for (const auto& bubble : kBubbles) {
        m[bubble.key] = c(bubble.event) / cycles;
    }
    m["FetchBandWidthBound"] = m["FrontBound"] - m["FrontLatencyBound"];
    m_frontendBound = m["FrontBound"];
}

void TopDownQ60C::_GetBadSpeculationBound(std::map<std::string, double> topDownMap)
{
    log.Log(DEBUG, "TopDownQ60C.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    TopDownCounts c(m_topDownDesc, topDownMap);
    m_badSpeculationBound = TopDownGroups::BranchClasses(m_topDownMap, c, kSlots, {"BR_MIS_PRED", "RobFlush"});
}

void TopDownQ60C::_GetRetiringBound(std::map<std::string, double> topDownMap)
{
    log.Log(DEBUG, "TopDownQ60C.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    TopDownCounts c(m_topDownDesc, topDownMap);
    m_retiringBound = TopDownGroups::Retiring(m_topDownMap, c, kSlots);
}

void TopDownQ60C::_GetBackendBound(std::map<std::string, double> topDownMap)
{
    log.Log(DEBUG, "TopDownQ60C.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    TopDownCounts c(m_topDownDesc, topDownMap);
    TopDownGroups::StallBackEnd(m_topDownMap, c, BackendShare(), kPorts);
}

std::string TopDownQ60C::_GetTopDownQ60CPrintLineStr(int leftBlankLevel, std::string desc, double value, int valueFormatFlag)
{
    log.Log(DEBUG, "TopDownQ60C.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    return PrintLine(leftBlankLevel, desc, value, valueFormatFlag);
}
