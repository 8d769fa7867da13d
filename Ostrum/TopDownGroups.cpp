#include "TopDownGroups.h"

namespace {
// The store-bound reasons other than a full store queue weigh half before
// they are rescaled to Store Bound.
constexpr double kStoreReasonWeight = 0.5;

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

namespace TopDownGroups {

// level  label                  metric key
const std::vector<TopDownRow> kBranchClassesTree = {
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

double BranchClasses(TopDownModel& m, const TopDownCounts& c, double slots, const TopDownFlushEvents& e)
{
    const char* bp = e.mispredicts;
    const char* rob = e.robFlush;
    m["BadSpeculation"] = (c("DecodedInsts") - c("RetiredInsts")) / (slots * c("Cycles"));
    m["BranchMispredicts"] = c(bp) / (c(bp) + c(rob)) * m["BadSpeculation"];
    const double bm = m["BranchMispredicts"];
    m["Indrect Branch"] = c("IF_BP_MISP_BR_IND") / c(bp) * bm;
    m["Push Branch"] = (c("IF_BP_MISP_BR_BLR") + c("IF_BP_MISP_BR_BL")) / c(bp) * bm;
    m["Pop Branch"] = c("IF_BP_MISP_BR_RET") / c(bp) * bm;
    m["Other Branch"] = (c(bp) - c("IF_BP_MISP_BR_BLR") - c("IF_BP_MISP_BR_BL") - c("IF_BP_MISP_BR_RET")) / c(bp) * bm;
    m["MachineClears"] = m["BadSpeculation"] - m["BranchMispredicts"];
    const double mc = m["MachineClears"];
    m["Nuke Flush"] = c("NukeFlush") / c(rob) * mc;
    m["Other Flush"] = (c(rob) - c("NukeFlush")) / c(rob) * mc;
    return m["BadSpeculation"];
}

double Retiring(TopDownModel& m, const TopDownCounts& c, double slots)
{
    m["Retiring"] = c("RetiredInsts") / (slots * c("Cycles"));
    return m["Retiring"];
}

void ExecutionPorts(TopDownModel& m, const TopDownCounts& c, double b, const std::vector<TopDownPort>& ports)
{
    const double cycles = c("Cycles");
    m["FDividerStall"] = c("FdivFsqrtStall") / cycles * b;
    m["DividerStall"] = c("ExecStallDiv") / cycles * b;
    m["FSUStall"] = c("FSUStall") / cycles * b;
    m["Exe Ports Util"] = m["CoreBound"] - m["FDividerStall"] - m["DividerStall"] - m["FSUStall"];
    std::vector<TopDownShare> shares;
    for (const auto& port : ports) {
        shares.push_back({port.key, port.event});
    }
    TopDownEngine::Split(m, shares, c, m["Exe Ports Util"], false);
}

void L2Sources(TopDownModel& m, const TopDownCounts& c, double b)
{
    const double cycles = c("Cycles");
    m["Buffer Pending"] = c("L2_BOUND_SRC_BUF") / cycles * b;
    m["Snoop Pending"] = c("L2_BOUND_SRC_SNP") / cycles * b;
    m["Arb Idle"] = c("L2_BOUND_SRC_ARB") / cycles * b;
    m["L2Bound Other"] = m["L2Bound"] - m["Buffer Pending"] - m["Snoop Pending"] - m["Arb Idle"];
    TopDownEngine::Rescale(m, {"Buffer Pending", "Snoop Pending", "Arb Idle", "L2Bound Other"}, m["L2Bound"]);
}

void StallBackEnd(TopDownModel& m, const TopDownCounts& c, double b, const std::vector<TopDownPort>& ports)
{
    const double cycles = c("Cycles");
    m["BackendBound"] = b;
    m["CoreBound"] = (c("ExecStallCycle") - c("MemStallLoad") - c("MemStallStore")) / cycles * b;
    ExecutionPorts(m, c, b, ports);
    m["MemoryBound"] = (c("MemStallLoad") + c("MemStallStore")) / cycles * b;
    m["L1Bound"] = (c("MemStallLoad") - c("MemStallL1Miss")) / cycles * b;
    TopDownEngine::Split(m, kLoadCancels, c, m["L1Bound"], true);
    m["L2Bound"] = (c("MemStallL1Miss") - c("MemStallL2Miss")) / cycles * b;
    L2Sources(m, c, b);
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

std::vector<TopDownRow> PortRows(const std::vector<TopDownPort>& ports)
{
    std::vector<TopDownRow> rows;
    for (const auto& port : ports) {
        rows.push_back({3, port.label, port.key});
    }
    return rows;
}

std::vector<TopDownRow> L2SourceRows()
{
    // level  label            metric key
    return {
        {3, "Buffer Pending:", "Buffer Pending"},
        {3, "Snoop Pending:",  "Snoop Pending"},
        {3, "Arb Idl:",        "Arb Idle"},
        {3, "Other:",          "L2Bound Other"},
    };
}

std::vector<TopDownRow> Join(std::initializer_list<std::vector<TopDownRow>> parts)
{
    std::vector<TopDownRow> rows;
    for (const auto& part : parts) {
        rows.insert(rows.end(), part.begin(), part.end());
    }
    return rows;
}

std::vector<TopDownRow> StallBackEndTree(const std::vector<TopDownPort>& ports)
{
    // level  label                  metric key
    return Join({
        {
            {0, "Back-End Bound:",   "BackendBound"},
            {1, "Core Bound:",       "CoreBound"},
            {2, "FDivider Stall:",   "FDividerStall"},
            {2, "Divider Stall:",    "DividerStall"},
            {2, "FSU Stall:",        "FSUStall"},
            {2, "Exe Ports Util:",   "Exe Ports Util"},
        },
        PortRows(ports),
        {
            {1, "Memory Bound:",     "MemoryBound"},
            {2, "L1 Bound:",         "L1Bound"},
            {3, "DTLB MISS:",        "DTLB MISS"},
            {3, "Misalign:",         "Misalign"},
            {3, "Resource Full:",    "Resource Full"},
            {3, "Instruction Type:", "Instruction Type"},
            {3, "Forward Hazard:",   "Forward Hazard"},
            {3, "Structure Hazard:", "Structure Hazard"},
            {3, "Other:",            "L1Bound Other"},
            {2, "L2 Bound:",         "L2Bound"},
        },
        L2SourceRows(),
        {
            {2, "L3 Bound:",         "L3Bound"},
            {2, "Mem Bound:",        "MemBound"},
            {3, "Local DRAM:",       "Local DRAM"},
            {3, "Remote DRAM:",      "Remote DRAM"},
            {3, "Remote Cache:",     "Remote Cache"},
            {2, "Store Bound:",      "StoreBound"},
            {3, "SCA Full:",         "SCA Full"},
            {3, "Head no Pgen:",     "Head no Pgen"},
            {3, "Ordel Fail:",       "Ordel Fail"},
            {3, "Other:",            "StoreBound Other"},
        },
    });
}

}  // namespace TopDownGroups
