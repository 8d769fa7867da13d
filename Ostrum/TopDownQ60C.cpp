#include "TopDownQ60C.h"

#include "Logger.h"
#include "TopDownCounts.h"
#include "TopDownEngine.h"

namespace {
Logger log;
String innerStr;

// Fetch slots per cycle (Front-End Bound) and issue slots per cycle (Bad
// Speculation, Retiring).
constexpr double kFetchSlots = 8;
constexpr double kSlots = 6;
// The store-bound reasons other than a full store queue weigh half before
// they are rescaled to Store Bound.
constexpr double kStoreReasonWeight = 0.5;

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

const std::vector<TopDownRow> kBadSpeculationTree = {
    {0, "Bad Speculation:",    "BadSpeculation"},
    {1, "Branch Mispredicts:", "BranchMispredicts"},
    {2, "Indrect Branch:",     "Indrect Branch"},
    {2, "Push Branch:",        "Push Branch"},
    {2, "Pop Branch:",         "Pop Branch"},
    {2, "Other Branch:",       "Other Branch"},
    {1, "Machine Clears:",     "MachineClears"},
    {2, "Nuke Flush:",         "Nuke Flush"},
    {2, "Other Flush:",        "Other Flush"},
};

const std::vector<TopDownRow> kRetiringTree = {
    {0, "Retiring:", "Retiring"},
};

const std::vector<TopDownRow> kBackEndTree = {
    {0, "Back-End Bound:",       "BackendBound"},
    {1, "Core Bound:",           "CoreBound"},
    {2, "FDivider Stall:",       "FDividerStall"},
    {2, "Divider Stall:",        "DividerStall"},
    {2, "FSU Stall:",            "FSUStall"},
    {2, "Exe Ports Util:",       "Exe Ports Util"},
    {3, "0 ports seralize:",     "0 ports seralize"},
    {3, "0 ports non seralize:", "0 ports non seralize"},
    {3, "1 ports:",              "1 ports"},
    {3, "2 ports:",              "2 ports"},
    {3, "3 ports:",              "3 ports"},
    {3, "4 ports:",              "4 ports"},
    {3, "5 ports:",              "5 ports"},
    {3, "6 ports:",              "6 ports"},
    {3, "7 ports:",              "7 ports"},
    {3, "8p ports:",             "8p ports"},
    {1, "Memory Bound:",         "MemoryBound"},
    {2, "L1 Bound:",             "L1Bound"},
    {3, "DTLB MISS:",            "DTLB MISS"},
    {3, "Misalign:",             "Misalign"},
    {3, "Resource Full:",        "Resource Full"},
    {3, "Instruction Type:",     "Instruction Type"},
    {3, "Forward Hazard:",       "Forward Hazard"},
    {3, "Structure Hazard:",     "Structure Hazard"},
    {3, "Other:",                "L1Bound Other"},
    {2, "L2 Bound:",             "L2Bound"},
    {3, "Buffer Pending:",       "Buffer Pending"},
    {3, "Snoop Pending:",        "Snoop Pending"},
    {3, "Arb Idl:",              "Arb Idle"},
    {3, "Other:",                "L2Bound Other"},
    {2, "L3 Bound:",             "L3Bound"},
    {2, "Mem Bound:",            "MemBound"},
    {3, "Local DRAM:",           "Local DRAM"},
    {3, "Remote DRAM:",          "Remote DRAM"},
    {3, "Remote Cache:",         "Remote Cache"},
    {2, "Store Bound:",          "StoreBound"},
    {3, "SCA Full:",             "SCA Full"},
    {3, "Head no Pgen:",         "Head no Pgen"},
    {3, "Ordel Fail:",           "Ordel Fail"},
    {3, "Other:",                "StoreBound Other"},
};

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

// The execution ports the port utilisation is shared out by.
const std::vector<TopDownShare> kPorts = {
    {"0 ports seralize",     "CoreBoundCyclesUtilizedOfPort0_serail_ops"},
    {"0 ports non seralize", "CoreBoundCyclesUtilizedOfPort0_none_serail_ops"},
    {"1 ports",              "CoreBoundCyclesUtilizedOfPort1"},
    {"2 ports",              "CoreBoundCyclesUtilizedOfPort2"},
    {"3 ports",              "CoreBoundCyclesUtilizedOfPort3"},
    {"4 ports",              "CoreBoundCyclesUtilizedOfPort4"},
    {"5 ports",              "CoreBoundCyclesUtilizedOfPort5"},
    {"6 ports",              "CoreBoundCyclesUtilizedOfPort6"},
    {"7 ports",              "CoreBoundCyclesUtilizedOfPort7"},
    {"8p ports",             "CoreBoundCyclesUtilizedOfPort8p"},
};

// The reasons a load was cancelled, which L1 Bound is shared out by.
const std::vector<TopDownShare> kLoadCancels = {
    {"DTLB MISS",        "LD_CANCEL_DTLB_MISS"},
    {"Misalign",         "LD_CANCEL_MISALIGN"},
    {"Resource Full",    "LD_CANCEL_LQ_FULL"},
    {"Instruction Type", "LD_CANCEL_INST_TYPE"},
    {"Forward Hazard",   "LD_CANCEL_FWD_HZD"},
    {"Structure Hazard", "LD_CANCEL_STRUCT_HZD"},
    {"L1Bound Other",    "LD_CANCEL_BOUND_PIPELINE"},
};
}  // namespace

TopDownQ60C::TopDownQ60C(int pid, std::string cpu, ParamMap params) : Ostrum(pid, std::move(cpu), std::move(params))
{
    log.Log(DEBUG, "TopDownQ60C.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    m_perfEvents = GetPerfEvents();
    m_leftWidht = TopDownEngine::kLeftWidth;
    m_frontendBound = 0;
    m_badSpeculationBound = 0;
    m_retiringBound = 0;
    // A measured process is followed on whatever CPU its threads run.
    if (m_pid != -1) {
        m_cpuIntVec = {-1};
    }
    m_fdMaxCount = static_cast<int>(m_perfEvents.size() * m_pidSet.size() * m_cpuIntVec.size());
}

std::vector<std::pair<std::string, int>> TopDownQ60C::GetTopDownQ60CDesc()
{
    log.Log(DEBUG, "TopDownQ60C.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    return kEvents;
}

PerfEventVec TopDownQ60C::GetPerfEvents()
{
    log.Log(DEBUG, "TopDownQ60C.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    m_topDownDesc = GetTopDownQ60CDesc();
    return TopDownEngine::RawEvents(m_topDownDesc);
}

std::string TopDownQ60C::GetPrintStr(PerfEventVec, int)
{
    log.Log(DEBUG, "TopDownQ60C.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    if (m_perfCountResMap.empty()) {
        TopDownEngine::ReportEmpty();
        return "";
    }
    GetTopDownQ60C(m_perfEvents);
    auto line = [this](int level, std::string desc, double value, int flag) {
        return _GetTopDownQ60CPrintLineStr(level, desc, value, flag);
    };
    return TopDownEngine::Frame(m_leftWidht, m_pid, m_cpuStr, m_topDownMap, line,
                                {_GetFrontendBoundPrintStr(), _GetBadSpeculationBoundPrintStr(),
                                 _GetRetiringBoundPrintStr(), _GetBackendBoundPrintStr()});
}

void TopDownQ60C::GetTopDownQ60C(PerfEventVec events)
{
    log.Log(DEBUG, "TopDownQ60C.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    TopDownEngine::Fill(m_topDownMap, events, m_perfCountResMap);
    // Each group works on a copy taken just before it runs.
    _GetFrontendBound(m_topDownMap);
    _GetBadSpeculationBound(m_topDownMap);
    _GetRetiringBound(m_topDownMap);
    _GetBackendBound(m_topDownMap);
    TopDownEngine::Clamp(m_topDownMap);
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
    auto& m = m_topDownMap;
    m["BadSpeculation"] = (c("DecodedInsts") - c("RetiredInsts")) / (kSlots * c("Cycles"));
    m["BranchMispredicts"] = c("BR_MIS_PRED") / (c("BR_MIS_PRED") + c("RobFlush")) * m["BadSpeculation"];
    const double bm = m["BranchMispredicts"];
    m["Indrect Branch"] = c("IF_BP_MISP_BR_IND") / c("BR_MIS_PRED") * bm;
    m["Push Branch"] = (c("IF_BP_MISP_BR_BLR") + c("IF_BP_MISP_BR_BL")) / c("BR_MIS_PRED") * bm;
    m["Pop Branch"] = c("IF_BP_MISP_BR_RET") / c("BR_MIS_PRED") * bm;
    m["Other Branch"] =
        (c("BR_MIS_PRED") - c("IF_BP_MISP_BR_BLR") - c("IF_BP_MISP_BR_BL") - c("IF_BP_MISP_BR_RET")) / c("BR_MIS_PRED") * bm;
    m["MachineClears"] = m["BadSpeculation"] - m["BranchMispredicts"];
    const double mc = m["MachineClears"];
    m["Nuke Flush"] = c("NukeFlush") / c("RobFlush") * mc;
    m["Other Flush"] = (c("RobFlush") - c("NukeFlush")) / c("RobFlush") * mc;
    m_badSpeculationBound = m["BadSpeculation"];
}

void TopDownQ60C::_GetRetiringBound(std::map<std::string, double> topDownMap)
{
    log.Log(DEBUG, "TopDownQ60C.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    TopDownCounts c(m_topDownDesc, topDownMap);
    m_topDownMap["Retiring"] = c("RetiredInsts") / (kSlots * c("Cycles"));
    m_retiringBound = m_topDownMap["Retiring"];
}

void TopDownQ60C::_GetBackendBound(std::map<std::string, double> topDownMap)
{
    log.Log(DEBUG, "TopDownQ60C.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    TopDownCounts c(m_topDownDesc, topDownMap);
    auto& m = m_topDownMap;
    // The bounds as computed, before the clamp.
    const double b = 1 - m_frontendBound - m_badSpeculationBound - m_retiringBound;
    const double cycles = c("Cycles");
    m["BackendBound"] = b;
    m["CoreBound"] = (c("ExecStallCycle") - c("MemStallLoad") - c("MemStallStore")) / cycles * b;
    m["FDividerStall"] = c("FdivFsqrtStall") / cycles * b;
    m["DividerStall"] = c("ExecStallDiv") / cycles * b;
    m["FSUStall"] = c("FSUStall") / cycles * b;
    m["Exe Ports Util"] = m["CoreBound"] - m["FDividerStall"] - m["DividerStall"] - m["FSUStall"];
    TopDownEngine::Split(m, kPorts, c, m["Exe Ports Util"], false);
    m["MemoryBound"] = (c("MemStallLoad") + c("MemStallStore")) / cycles * b;
    m["L1Bound"] = (c("MemStallLoad") - c("MemStallL1Miss")) / cycles * b;
    TopDownEngine::Split(m, kLoadCancels, c, m["L1Bound"], true);
    m["L2Bound"] = (c("MemStallL1Miss") - c("MemStallL2Miss")) / cycles * b;
    m["Buffer Pending"] = c("L2_BOUND_SRC_BUF") / cycles * b;
    m["Snoop Pending"] = c("L2_BOUND_SRC_SNP") / cycles * b;
    m["Arb Idle"] = c("L2_BOUND_SRC_ARB") / cycles * b;
    m["L2Bound Other"] = m["L2Bound"] - m["Buffer Pending"] - m["Snoop Pending"] - m["Arb Idle"];
    TopDownEngine::Rescale(m, {"Buffer Pending", "Snoop Pending", "Arb Idle", "L2Bound Other"}, m["L2Bound"]);
    m["L3Bound"] = (c("MemStallL2Miss") - c("MemStallL3Miss")) / cycles * b;
    m["MemBound"] = c("MemStallL3Miss") / cycles * b;
    m["Local DRAM"] = c("DRAM_BOUND_SRC_LOCAL_DRAM") / cycles * b;
    m["Remote DRAM"] = c("DRAM_BOUND_SRC_REMOTE_DRAM") / cycles * b;
    m["Remote Cache"] = c("DRAM_BOUND_SRC_REMOTE_CACHE") / cycles * b;
    TopDownEngine::Rescale(m, {"Local DRAM", "Remote DRAM", "Remote Cache"}, m["MemBound"]);
    m["StoreBound"] = c("MemStallStore") / cycles * b;
    m["SCA Full"] = c("ST_SCA_FULL") / cycles * b;
    m["Head no Pgen"] = c("ST_HEAD_NO_PGEN") / cycles * kStoreReasonWeight * b;
    m["Ordel Fail"] = c("ST_ORDER_FAIL") / cycles * kStoreReasonWeight * b;
    m["StoreBound Other"] = c("ST_BOUND_PIPELINE") / cycles * kStoreReasonWeight * b;
    TopDownEngine::Rescale(m, {"SCA Full", "Head no Pgen", "Ordel Fail", "StoreBound Other"}, m["StoreBound"]);
}

std::string TopDownQ60C::_GetFrontendBoundPrintStr()
{
    log.Log(DEBUG, "TopDownQ60C.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    return TopDownEngine::Tree(kFrontEndTree, m_topDownMap, [this](int l, std::string d, double v, int f) {
        return _GetTopDownQ60CPrintLineStr(l, d, v, f);
    });
}

std::string TopDownQ60C::_GetBadSpeculationBoundPrintStr()
{
    log.Log(DEBUG, "TopDownQ60C.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    return TopDownEngine::Tree(kBadSpeculationTree, m_topDownMap, [this](int l, std::string d, double v, int f) {
        return _GetTopDownQ60CPrintLineStr(l, d, v, f);
    });
}

std::string TopDownQ60C::_GetRetiringBoundPrintStr()
{
    log.Log(DEBUG, "TopDownQ60C.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    return TopDownEngine::Tree(kRetiringTree, m_topDownMap, [this](int l, std::string d, double v, int f) {
        return _GetTopDownQ60CPrintLineStr(l, d, v, f);
    });
}

std::string TopDownQ60C::_GetBackendBoundPrintStr()
{
    log.Log(DEBUG, "TopDownQ60C.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    return TopDownEngine::Tree(kBackEndTree, m_topDownMap, [this](int l, std::string d, double v, int f) {
        return _GetTopDownQ60CPrintLineStr(l, d, v, f);
    });
}

std::string TopDownQ60C::_GetTopDownQ60CPrintLineStr(int leftBlankLevel, std::string desc, double value, int valueFormatFlag)
{
    log.Log(DEBUG, "TopDownQ60C.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    return TopDownEngine::Line(m_leftWidht, leftBlankLevel, desc, value, valueFormatFlag);
}
