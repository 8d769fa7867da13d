#include "TopDownQ60B.h"

#include "Logger.h"
#include "TopDownCounts.h"
#include "TopDownEngine.h"
#include "TopDownGroups.h"

namespace {
Logger log;

// Issue slots per cycle, and the cycles an instruction-side access costs when
// it hits in L2 (TLB), when it misses L2, and per pipeline flush.
constexpr double kSlots = 6;
constexpr double kL2HitPenalty = 15;
constexpr double kL2MissPenalty = 100;
constexpr double kFlushPenalty = 5;

const TopDownDesc kEvents = {
    {"FetchBubbles", 0x2011},
    {"L2ITLBRef", 0x0030},
    {"L2ITLBMiss", 0x002e},
    {"Cycles", 0x0011},
    {"L2ICacheRef", 0x0027},
    {"L2ICacheMiss", 0x0028},
    {"BP_Mis_Pred", 0x0010},
    {"OoO_Flush", 0x2010},
    {"SP_Flush", 0x104f},
    {"FetchBubblesExceedMIW", 0x2012},
    {"DecodedInsts", 0x001b},
    {"RetiredInsts", 0x0008},
    {"IF_BP_MISP_BR_IND", 0x1010},
    {"IF_BP_MISP_BR_BLR", 0x1013},
    {"IF_BP_MISP_BR_BL", 0x1016},
    {"IF_BP_MISP_BR_RET", 0x100d},
    {"NukeFlush", 0x200f},
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
    {"CoreBoundCyclesUtilizedOfPort6p", 0x7011},
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
    {2, "iTLB Miss:",                 "iTLBMiss"},
    {2, "iCache Miss:",               "iCacheMiss"},
    {2, "BP_Misp_Flush:",             "BPMispFlush"},
    {2, "OoO Rob Flush:",             "OoORobFlush"},
    {2, "Static Predictor Flush:",    "SPFlush"},
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
    {"6p ports:",             "6p ports",             "CoreBoundCyclesUtilizedOfPort6p"},
};

const std::vector<TopDownRow> kBackEndTree = TopDownGroups::StallBackEndTree(kPorts);
}  // namespace

TopDownQ60B::TopDownQ60B(int pid, std::string cpu, ParamMap params)
    : TopDownBase(pid, std::move(cpu), std::move(params), kEvents,
                  {kFrontEndTree, TopDownGroups::kBranchClassesTree, TopDownGroups::kRetiringTree, kBackEndTree})
{
    log.Log(DEBUG, "TopDownQ60B.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
}

std::vector<std::pair<std::string, int>> TopDownQ60B::GetTopDownQ60BDesc()
{
    log.Log(DEBUG, "TopDownQ60B.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    return kEvents;
}

void TopDownQ60B::GetTopDownQ60B(PerfEventVec events)
{
    log.Log(DEBUG, "TopDownQ60B.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    Evaluate(events);
}

void TopDownQ60B::_GetFrontendBound(std::map<std::string, double> topDownMap)
{
    log.Log(DEBUG, "TopDownQ60B.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    TopDownCounts c(m_topDownDesc, topDownMap);
    auto& m = m_topDownMap;
    m["FrontBound"] = c("FetchBubbles") / (kSlots * c("Cycles"));
    m["FrontLatencyBound"] = c("FetchBubblesExceedMIW") / c("Cycles");
    m["iTLBMiss"] = ((c("L2ITLBRef") - c("L2ITLBMiss")) * kL2HitPenalty + c("L2ITLBMiss") * kL2MissPenalty) / c("Cycles");
    m["BPMispFlush"] = c("BP_Mis_Pred") * kFlushPenalty / c("Cycles");
    m["OoORobFlush"] = c("OoO_Flush") * kFlushPenalty / c("Cycles");
    m["SPFlush"] = c("SP_Flush") * kFlushPenalty / c("Cycles");
    m["iCacheMiss"] = m["FrontLatencyBound"] - m["iTLBMiss"] - m["BPMispFlush"] - m["OoORobFlush"] - m["SPFlush"];
    m["FetchBandWidthBound"] = m["FrontBound"] - m["FrontLatencyBound"];
    m_frontendBound = m["FrontBound"];
}

void TopDownQ60B::_GetBadSpeculationBound(std::map<std::string, double> topDownMap)
{
    log.Log(DEBUG, "TopDownQ60B.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    TopDownCounts c(m_topDownDesc, topDownMap);
    m_badSpeculationBound = TopDownGroups::BranchClasses(m_topDownMap, c, kSlots, {"BP_Mis_Pred", "OoO_Flush"});
}

void TopDownQ60B::_GetRetiringBound(std::map<std::string, double> topDownMap)
{
    log.Log(DEBUG, "TopDownQ60B.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    TopDownCounts c(m_topDownDesc, topDownMap);
    m_retiringBound = TopDownGroups::Retiring(m_topDownMap, c, kSlots);
}

void TopDownQ60B::_GetBackendBound(std::map<std::string, double> topDownMap)
{
    log.Log(DEBUG, "TopDownQ60B.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    TopDownCounts c(m_topDownDesc, topDownMap);
    TopDownGroups::StallBackEnd(m_topDownMap, c, BackendShare(), kPorts);
}

std::string TopDownQ60B::_GetTopDownQ60BPrintLineStr(int leftBlankLevel, std::string desc, double value, int valueFormatFlag)
{
    log.Log(DEBUG, "TopDownQ60B.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    return PrintLine(leftBlankLevel, desc, value, valueFormatFlag);
}
