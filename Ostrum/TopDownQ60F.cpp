#include "TopDownQ60F.h"

#include "Logger.h"
#include "TopDownCounts.h"
#include "TopDownEngine.h"
#include "TopDownGroups.h"

namespace {
Logger log;

// Slots per cycle of Front-End Bound and Bad Speculation, and of Retiring;
// the cycles an instruction-side access costs when it hits in L2 (TLB or
// cache) and when it misses L2; the cycles lost per ROB flush and per other
// pipeline flush.
constexpr double kSlots = 4;
constexpr double kRetireSlots = 6;
constexpr double kL2HitPenalty = 15;
constexpr double kL2MissPenalty = 100;
constexpr double kRobFlushPenalty = 9;
constexpr double kFlushPenalty = 5;

// The ROB, PC-buffer, physical-tag and map-queue stalls are collected for
// whoever reads the raw counts; no reported metric uses them.
const TopDownDesc kEvents = {
    {"FetchBubbles", 0x200e},
    {"FetchBubblesExceedMIW", 0x200f},
    {"L2I_TLB", 0x0030},
    {"L2I_TLB_REFILL", 0x002e},
    {"L2I_CACHE", 0x0027},
    {"L2I_CACHE_REFILL", 0x0028},
    {"ROB_FLUSH", 0x2a17},
    {"IF_SP_FLUSH_BUBBLE", 0x1052},
    {"BR_MIS_PRED", 0x0010},
    {"Cycles", 0x0011},
    {"DecodedInsts", 0x001b},
    {"RetiredInsts", 0x0008},
    {"IF_BP_MISP_BR_IND", 0x1010},
    {"IF_BP_MISP_BR_BLR", 0x1013},
    {"IF_BP_MISP_BR_BL", 0x1016},
    {"IF_BP_MISP_BR_RET", 0x100d},
    {"NukeFlush", 0x2a16},
    {"RESOURCE_BOUND", 0x7000},
    {"ExecStallCycle", 0x7001},
    {"OOO_ROB_STALL", 0x2004},
    {"OOO_PCBUF_STALL", 0x2005},
    {"INT_PTAG_STALL", 0x2006},
    {"CC+PTAG_STALL", 0x2007},
    {"VFP_PTAG_STALL", 0x2008},
    {"INT_MPQ_STALL", 0x200b},
    {"VFP_MPQ_STALL", 0x200c},
    {"CC_MPQ_STALL", 0x200d},
    {"FdivFsqrtStall", 0x7002},
    {"ExecStallDiv", 0x7003},
    {"FSUStall", 0x7004},
    {"MemStallLoad", 0x7005},
    {"MemStallStore", 0x7006},
    {"MemStallL1Miss", 0x7007},
    {"MemStallL2Miss", 0x7008},
    {"MemStallL3Miss", 0x7009},
    {"CoreBoundCyclesUtilizedOfPort0_serail_ops", 0x700a},
    {"CoreBoundCyclesUtilizedOfPort0_none_serail_ops", 0x700b},
    {"CoreBoundCyclesUtilizedOfPort1", 0x700c},
    {"CoreBoundCyclesUtilizedOfPort2", 0x700d},
    {"CoreBoundCyclesUtilizedOfPort3", 0x700e},
    {"CoreBoundCyclesUtilizedOfPort4p", 0x7011},
    {"L2_BOUND_SRC_BUF", 0x701e},
    {"L2_BOUND_SRC_SNP", 0x701f},
    {"L2_BOUND_SRC_ARB", 0x7020},
};

// level  label                          metric key
const std::vector<TopDownRow> kFrontEndTree = {
    {0, "Front-End Bound:",           "FrontBound"},
    {1, "Front-End Latency:",         "FrontLatencyBound"},
    {1, "iTLB Miss:",                 "iTLBMiss"},
    {1, "iCache Miss:",               "iCacheMiss"},
    {1, "OoO Flush Bubble:",          "OoO Flush Bubble"},
    {1, "SP Flush Bubble:",           "SP Flush Bubble"},
    {1, "BP Misp Flush:",             "BP Misp Flush"},
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
    {"4p ports:",             "4p ports",             "CoreBoundCyclesUtilizedOfPort4p"},
};

// level  label                metric key
const std::vector<TopDownRow> kBackEndTree = TopDownGroups::Join({
    {
        {0, "Back-End Bound:", "BackendBound"},
        {1, "Resource Bound:", "ResourceBound"},
        {1, "Core Bound:",     "CoreBound"},
        {2, "FDivider Stall:", "FDividerStall"},
        {2, "Divider Stall:",  "DividerStall"},
        {2, "FSU Stall:",      "FSUStall"},
        {2, "Exe Ports Util:", "Exe Ports Util"},
    },
    TopDownGroups::PortRows(kPorts),
    {
        {1, "Memory Bound:",   "MemoryBound"},
        {2, "L1 Bound:",       "L1Bound"},
        {2, "L2 Bound:",       "L2Bound"},
    },
    TopDownGroups::L2SourceRows(),
    {
        {2, "L3 Bound:",       "L3Bound"},
        {2, "Mem Bound:",      "MemBound"},
        {2, "Store Bound:",    "StoreBound"},
    },
});
}  // namespace

TopDownQ60F::TopDownQ60F(int pid, std::string cpu, ParamMap params)
    : TopDownBase(pid, std::move(cpu), std::move(params), kEvents,
                  {kFrontEndTree, TopDownGroups::kBranchClassesTree, TopDownGroups::kRetiringTree, kBackEndTree})
{
    log.Log(DEBUG, "TopDownQ60F.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
}

std::vector<std::pair<std::string, int>> TopDownQ60F::GetTopDownQ60FDesc()
{
    log.Log(DEBUG, "TopDownQ60F.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    return kEvents;
}

void TopDownQ60F::GetTopDownQ60F(PerfEventVec events)
{
    log.Log(DEBUG, "TopDownQ60F.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    Evaluate(events);
}

void TopDownQ60F::_GetFrontendBound(std::map<std::string, double> topDownMap)
{
    log.Log(DEBUG, "TopDownQ60F.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    TopDownCounts c(m_topDownDesc, topDownMap);
    auto& m = m_topDownMap;
    const double cycles = c("Cycles");
    m["FrontBound"] = c("FetchBubbles") / (kSlots * cycles);
    m["FrontLatencyBound"] = c("FetchBubblesExceedMIW") / cycles;
    m["iTLBMiss"] = ((c("L2I_TLB") - c("L2I_TLB_REFILL")) * kL2HitPenalty + c("L2I_TLB_REFILL") * kL2MissPenalty) / cycles;
    m["iCacheMiss"] =
        ((c("L2I_CACHE") - c("L2I_CACHE_REFILL")) * kL2HitPenalty + c("L2I_CACHE_REFILL") * kL2MissPenalty) / cycles;
    m["OoO Flush Bubble"] = c("ROB_FLUSH") * kRobFlushPenalty / cycles;
    m["SP Flush Bubble"] = c("IF_SP_FLUSH_BUBBLE") * kFlushPenalty / cycles;
    m["BP Misp Flush"] = c("BR_MIS_PRED") * kFlushPenalty / cycles;
    m["FetchBandWidthBound"] = m["FrontBound"] - m["FrontLatencyBound"];
    m_frontendBound = m["FrontBound"];
}

void TopDownQ60F::_GetBadSpeculationBound(std::map<std::string, double> topDownMap)
{
    log.Log(DEBUG, "TopDownQ60F.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    TopDownCounts c(m_topDownDesc, topDownMap);
    m_badSpeculationBound = TopDownGroups::BranchClasses(m_topDownMap, c, kSlots, {"BR_MIS_PRED", "ROB_FLUSH"});
}

void TopDownQ60F::_GetRetiringBound(std::map<std::string, double> topDownMap)
{
    log.Log(DEBUG, "TopDownQ60F.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    TopDownCounts c(m_topDownDesc, topDownMap);
    m_retiringBound = TopDownGroups::Retiring(m_topDownMap, c, kRetireSlots);
}

void TopDownQ60F::_GetBackendBound(std::map<std::string, double> topDownMap)
{
    log.Log(DEBUG, "TopDownQ60F.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    TopDownCounts c(m_topDownDesc, topDownMap);
    const double b = BackendShare();
    auto& m = m_topDownMap;
    const double cycles = c("Cycles");
    m["BackendBound"] = b;
    m["ResourceBound"] = c("RESOURCE_BOUND") / cycles;
    m["CoreBound"] = (c("ExecStallCycle") - c("MemStallLoad") - c("MemStallStore") - c("RESOURCE_BOUND")) / cycles * b;
    m["MemoryBound"] = (c("MemStallLoad") + c("MemStallStore")) / cycles * b;
    TopDownGroups::ExecutionPorts(m, c, b, kPorts);
    m["L1Bound"] = (c("MemStallLoad") - c("MemStallL1Miss")) / cycles * b;
    m["L2Bound"] = (c("MemStallL1Miss") - c("MemStallL2Miss")) / cycles * b;
    TopDownGroups::L2Sources(m, c, b);
    m["L3Bound"] = (c("MemStallL2Miss") - c("MemStallL3Miss")) / cycles * b;
    m["MemBound"] = c("MemStallL3Miss") / cycles * b;
    m["StoreBound"] = c("MemStallStore") / cycles * b;
}

std::string TopDownQ60F::_GetTopDownQ60FPrintLineStr(int leftBlankLevel, std::string desc, double value, int valueFormatFlag)
{
    log.Log(DEBUG, "TopDownQ60F.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    return PrintLine(leftBlankLevel, desc, value, valueFormatFlag);
}
