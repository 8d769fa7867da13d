#include "TopDown.h"

#include "Logger.h"
#include "TopDownCounts.h"
#include "TopDownEngine.h"
#include "TopDownGroups.h"

namespace {
Logger log;

// Issue slots per cycle, and the cycles an instruction-side access costs when
// it hits in L2 (TLB or cache), when it misses L2, and per pipeline flush.
constexpr double kSlots = 4;
constexpr double kL2HitPenalty = 15;
constexpr double kL2MissPenalty = 100;
constexpr double kFlushPenalty = 5;

const TopDownDesc kEvents = {
    {"FetchBubbles", 0x2014},     {"L2ITLBRef", 0x0030},    {"L2ITLBMiss", 0x002e},
    {"Cycles", 0x0011},           {"L2ICacheRef", 0x0027},  {"L2ICacheMiss", 0x0028},
    {"BP_Mis_Pred", 0x0010},      {"OoO_Flush", 0x2013},    {"SP_Flush", 0x1001},
    {"FetchBubblesExceedMIW", 0x201d}, {"DecodedInsts", 0x001b}, {"RetiredInsts", 0x0008},
    {"IndirectBranchMisp", 0x1010}, {"BLXMisp", 0x1013},    {"BLMisp", 0x1016},
    {"RETMisp", 0x100d},          {"NukeFlush", 0x2012},    {"ResourceBound", 0x7000},
    {"SyncStall", 0x2010},        {"RobStall", 0x2004},     {"IntPtagStall", 0x2006},
    {"CCPtagStall", 0x2007},      {"VFPPtagStall", 0x2008}, {"SaveopStall", 0x201e},
    {"PCbufStall", 0x2005},       {"ExeStallCycle", 0x7001}, {"MemStallLoad", 0x7004},
    {"MemStallStore", 0x7005},    {"ExeStallDiv", 0x7002},  {"FSUStall", 0x7003},
    {"AluIsqStall", 0x200b},      {"LsuIsqStall", 0x200c},  {"MemStallL1Miss", 0x7006},
    {"FsuIsqStall", 0x200d},      {"MemStallL2Miss", 0x7007},
};

// level  label                          metric key
const std::vector<TopDownRow> kFrontEndTree = {
    {0, "Front-End Bound:",           "FrontBound"},
    {1, "Front-End Latency:",         "FrontLatencyBound"},
    {2, "iTLB Miss:",                 "iTLBMiss"},
    {3, "L1 iTLB Miss:",              "L1iTLBMiss"},
    {3, "L2 iTLB Miss:",              "L2iTLBMiss"},
    {2, "iCache Miss:",               "iCacheMiss"},
    {3, "L1 iCache Miss:",            "L1iCacheMiss"},
    {3, "L2 iCache Miss:",            "L2iCacheMiss"},
    {2, "BP_Misp_Flush:",             "BPMispFlush"},
    {2, "OoO Rob Flush:",             "OoORobFlush"},
    {2, "Static Predictor Flush:",    "SPFlush"},
    {1, "Front End Bound Bandwidth:", "FetchBandWidthBound"},
};

const std::vector<TopDownRow> kBadSpeculationTree = {
    {0, "Bad Speculation:",    "BadSpeculation"},
    {1, "Branch Mispredicts:", "BranchMispredicts"},
    {2, "Indirect Branch:",    "IndirectBranch"},
    {2, "Push Branch:",        "PushBranch"},
    {2, "Other Branch:",       "BranchMispredictsOtherBranch"},
    {1, "Machine Clears:",     "MachineClears"},
    {2, "Nuke Flush:",         "NukeFlush"},
    {2, "Other Flush:",        "MachineClearsOtherFlush"},
};

const std::vector<TopDownRow> kBackEndTree = {
    {0, "Back-End Bound:",      "BackendBound"},
    {1, "Resource Bound:",      "ResourceBound"},
    {2, "Sync_stall:",          "Syncstall"},
    {2, "Rob_stall:",           "Robstall"},
    {2, "Ptag_stall:",          "Ptagstall"},
    {2, "SaveOpQ_stall:",       "SaveOpQstall"},
    {2, "PC_buffer_stall:",     "PCbufferstall"},
    {2, "Other_stall:",         "Otherstall"},
    {1, "Core Bound:",          "CoreBound"},
    {2, "Divider:",             "Divider"},
    {2, "FSU_stall:",           "FSUStall"},
    {2, "Exe Ports Util:",      "ExePortsUtil"},
    {3, "ALU BRU IssueQ Full:", "ALUBRUIssueQFull"},
    {3, "LS IssueQ Full:",      "LSIssueQFull"},
    {3, "FSU IssueQ Full:",     "FSUIssueQFull"},
    {1, "Memory Bound:",        "MemoryBound"},
    {2, "L1 Bound:",            "L1Bound"},
    {2, "L2 Bound:",            "L2Bound"},
    {2, "L3 or DRAM Bound:",    "L3orDRAMBound"},
    {2, "Store Bound:",         "StoreBound"},
};

// The issue queues the execution-port stalls are shared out by.
const std::vector<TopDownShare> kIssueQueues = {
    {"ALUBRUIssueQFull", "AluIsqStall"},
    {"LSIssueQFull",     "LsuIsqStall"},
    {"FSUIssueQFull",    "FsuIsqStall"},
};
}  // namespace

TopDown::TopDown(int pid, std::string cpu, ParamMap params)
    : TopDownBase(pid, std::move(cpu), std::move(params), kEvents,
                  {kFrontEndTree, kBadSpeculationTree, TopDownGroups::kRetiringTree, kBackEndTree})
{
    log.Log(DEBUG, "TopDown.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
}

std::vector<std::pair<std::string, int>> TopDown::GetTopDownDesc()
{
    log.Log(DEBUG, "TopDown.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    return kEvents;
}

void TopDown::GetTopDown(PerfEventVec events)
{
    log.Log(DEBUG, "TopDown.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    Evaluate(events);
}

void TopDown::_GetFrontendBound(std::map<std::string, double> topDownMap)
{
    log.Log(DEBUG, "TopDown.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    TopDownCounts c(m_topDownDesc, topDownMap);
    auto& m = m_topDownMap;
    m["FrontBound"] = c("FetchBubbles") / (kSlots * c("Cycles"));
    m["FrontLatencyBound"] = c("FetchBubblesExceedMIW") / c("Cycles");
    m["iTLBMiss"] = ((c("L2ITLBRef") - c("L2ITLBMiss")) * kL2HitPenalty + c("L2ITLBMiss") * kL2MissPenalty) / c("Cycles");
    m["L1iTLBMiss"] = (c("L2ITLBRef") - c("L2ITLBMiss")) * kL2HitPenalty / c("Cycles");
    m["L2iTLBMiss"] = c("L2ITLBMiss") * kL2MissPenalty / c("Cycles");
    m["BPMispFlush"] = c("BP_Mis_Pred") * kFlushPenalty / c("Cycles");
    m["OoORobFlush"] = c("OoO_Flush") * kFlushPenalty / c("Cycles");
    m["SPFlush"] = c("SP_Flush") * kFlushPenalty / c("Cycles");
    m["iCacheMiss"] = m["FrontLatencyBound"] - m["iTLBMiss"] - m["BPMispFlush"] - m["OoORobFlush"] - m["SPFlush"];
    m["L1iCacheMiss"] = (c("L2ICacheRef") - c("L2ICacheMiss")) * kL2HitPenalty /
                        ((c("L2ICacheRef") - c("L2ICacheMiss")) * kL2HitPenalty + c("L2ICacheMiss") * kL2MissPenalty) *
                        m["iCacheMiss"];
    m["L2iCacheMiss"] = m["iCacheMiss"] - m["L1iCacheMiss"];
    m["FetchBandWidthBound"] = m["FrontBound"] - m["FrontLatencyBound"];
    m_frontendBound = m["FrontBound"];
}

void TopDown::_GetBadSpeculationBound(std::map<std::string, double> topDownMap)
{
    log.Log(DEBUG, "TopDown.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    TopDownCounts c(m_topDownDesc, topDownMap);
    auto& m = m_topDownMap;
    m["BadSpeculation"] = (c("DecodedInsts") - c("RetiredInsts")) / (kSlots * c("Cycles"));
    m["BranchMispredicts"] = c("BP_Mis_Pred") / (c("BP_Mis_Pred") + c("OoO_Flush")) * m["BadSpeculation"];
    const double bm = m["BranchMispredicts"];
    m["IndirectBranch"] = c("IndirectBranchMisp") / c("BP_Mis_Pred") * bm;
    m["PushBranch"] = c("RETMisp") / c("BP_Mis_Pred") * bm;
    m["BranchMispredictsOtherBranch"] =
        (c("BP_Mis_Pred") - c("IndirectBranchMisp") - c("BLXMisp") - c("BLMisp") - c("RETMisp")) / c("BP_Mis_Pred") * bm;
    m["MachineClears"] = m["BadSpeculation"] - m["BranchMispredicts"];
    const double mc = m["MachineClears"];
    m["NukeFlush"] = c("NukeFlush") / c("OoO_Flush") * mc;
    m["MachineClearsOtherFlush"] = (c("OoO_Flush") - c("NukeFlush")) / c("OoO_Flush") * mc;
    m_badSpeculationBound = m["BadSpeculation"];
}

void TopDown::_GetRetiringBound(std::map<std::string, double> topDownMap)
{
    log.Log(DEBUG, "TopDown.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    TopDownCounts c(m_topDownDesc, topDownMap);
    m_retiringBound = TopDownGroups::Retiring(m_topDownMap, c, kSlots);
}

void TopDown::_GetBackendBound(std::map<std::string, double> topDownMap)
{
    log.Log(DEBUG, "TopDown.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    TopDownCounts c(m_topDownDesc, topDownMap);
    const double b = BackendShare();
    auto& m = m_topDownMap;
    const double r = c("ResourceBound") + c("ExeStallCycle");
    m["BackendBound"] = b;
    m["ResourceBound"] = c("ResourceBound") / r * b;
    m["Syncstall"] = c("SyncStall") / r * b;
    m["Robstall"] = c("RobStall") / r * b;
    m["Ptagstall"] = c.Sum({"IntPtagStall", "CCPtagStall", "VFPPtagStall"}) / r * b;
    m["SaveOpQstall"] = c("SaveopStall") / r * b;
    m["PCbufferstall"] = c("PCbufStall") / r * b;
    m["Otherstall"] =
        (c("ResourceBound") - c("SyncStall") - c("RobStall") - c("IntPtagStall") - c("SaveopStall") - c("PCbufStall")) /
        r * b;
    m["CoreBound"] = (c("ExeStallCycle") - c("MemStallLoad") - c("MemStallStore")) / r * b;
    m["Divider"] = c("ExeStallDiv") / c("Cycles");
    m["FSUStall"] = c("FSUStall") / c("Cycles");
    m["ExePortsUtil"] = m["CoreBound"] - m["Divider"] - m["FSUStall"];
    TopDownEngine::Split(m, kIssueQueues, c, m["ExePortsUtil"], false);
    m["MemoryBound"] = (c("MemStallLoad") + c("MemStallStore")) / c("Cycles") * b;
    m["L1Bound"] = (c("MemStallLoad") - c("MemStallL1Miss")) / c("Cycles") * b;
    m["L2Bound"] = (c("MemStallL1Miss") - c("MemStallL2Miss")) / c("Cycles") * b;
    m["L3orDRAMBound"] = c("MemStallL2Miss") / c("Cycles") * b;
    m["StoreBound"] = c("MemStallStore") / c("Cycles") * b;
}

std::string TopDown::_GetTopDownPrintLineStr(int leftBlankLevel, std::string desc, double value, int valueFormatFlag)
{
    log.Log(DEBUG, "TopDown.cpp", __LINE__, "%s", __PRETTY_FUNCTION__);
    return PrintLine(leftBlankLevel, desc, value, valueFormatFlag);
}
