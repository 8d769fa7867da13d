#include "CacheDDRAccess.h"

#include <iostream>
#include <iterator>

#include "DieWalk.h"
#include "Logger.h"

static Logger log;
static String innerStr;

namespace {

// Event name -> code on Q60 and on the Q60B family (0: not counted there).
struct AccessEvent {
    const char* name;
    int q60;
    int q60b;
};
const AccessEvent kEvents[] = {
    {"L2_Hit", 0x600e, 0},
    {"LoadRL2Hit_IntraCluster", 0x6055, 0},
    {"StoreRL2Hit_IntraCluster", 0x605c, 0},
    {"LoadL3Hit_IntraCluster", 0x6056, 0x6055},
    {"StoreL3Hit_IntraCluster", 0x605d, 0x605c},
    {"LoadL3Hit_InterCluster", 0x6057, 0x6056},
    {"StoreL3Hit_InterCluster", 0x605e, 0x605d},
    {"LoadRL3Hit_InterChip", 0x6058, 0x6057},
    {"StoreRL3Hit_InterChip", 0x605f, 0x605e},
    {"LoadLDDR_Local_IntraChip", 0x6059, 0x6058},
    {"StoreLDDR_Local_IntraChip", 0x6060, 0x605f},
    {"LoadLDDR_Remote_IntraChip", 0x605a, 0x6059},
    {"StoreLDDR_Remote_IntraChip", 0x6061, 0x6060},
    {"LoadLDDR_Remote_InterChip", 0x605b, 0x605a},
    {"StoreLDDR_Remote_InterChip", 0x6062, 0x6061},
};

enum Level { L2, L3, DDR };

// Report rows, in order: label, cells, level whose total is the denominator,
// the terms on each table (empty: the row does not exist on that table), and
// whether a blank line follows.
struct AccessRow {
    const char* label;
    CacheDDRAccess::Cells CacheDDRAccess::*cells;
    Level level;
    CacheDDRAccess::Terms q60;
    CacheDDRAccess::Terms q60b;
    bool blankAfter;
};
const AccessRow kRows[] = {
    {"L2 Hit Local  Cluster :", &CacheDDRAccess::m_L2HitLocalMap, L2,
     {{"0x600e", true}, {"0x6055", false}, {"0x605c", false}}, {}, false},
    {"L2 Hit Remote Cluster :", &CacheDDRAccess::m_L2HitRemoteClusterMap, L2,
     {{"0x6055", true}, {"0x605c", true}}, {}, true},
    {"L3 Hit Local  Cluster :", &CacheDDRAccess::m_L3HitLocalClusterMap, L3,
     {{"0x6056", true}, {"0x605d", true}}, {{"0x6055", true}, {"0x605c", true}}, false},
    {"L3 Hit Remote Cluster :", &CacheDDRAccess::m_L3HitRemoteClusterMap, L3,
     {{"0x6057", true}, {"0x605e", true}}, {{"0x6056", true}, {"0x605d", true}}, false},
    {"L3 Hit Remote Chip    :", &CacheDDRAccess::m_L3HitRemoteChipMap, L3,
     {{"0x6058", true}, {"0x605f", true}}, {{"0x6057", true}, {"0x605e", true}}, true},
    {"DDR Access Local  Die :", &CacheDDRAccess::m_DDRHitLoaclMap, DDR,
     {{"0x6059", true}, {"0x6060", true}}, {{"0x6058", true}, {"0x605f", true}}, false},
    {"DDR Access Remote Die :", &CacheDDRAccess::m_DDRHitRemoteDieMap, DDR,
     {{"0x605a", true}, {"0x6061", true}}, {{"0x6059", true}, {"0x6060", true}}, false},
    {"DDR Access Remote Chip:", &CacheDDRAccess::m_DDRHitRemoteChipMap, DDR,
     {{"0x605b", true}, {"0x6062", true}}, {{"0x605a", true}, {"0x6061", true}}, false},
};

// The hits of each level on each table: every event of the level.
const CacheDDRAccess::Terms kQ60Totals[] = {
    {{"0x600e", true}},
    {{"0x6056", true}, {"0x6057", true}, {"0x6058", true}, {"0x605d", true}, {"0x605e", true}, {"0x605f", true}},
    {{"0x6059", true}, {"0x605a", true}, {"0x605b", true}, {"0x6060", true}, {"0x6061", true}, {"0x6062", true}},
};
const CacheDDRAccess::Terms kQ60BTotals[] = {
    {},
    {{"0x6055", true}, {"0x6056", true}, {"0x6057", true}, {"0x605c", true}, {"0x605d", true}, {"0x605e", true}},
    {{"0x6058", true}, {"0x6059", true}, {"0x605a", true}, {"0x605f", true}, {"0x6060", true}, {"0x6061", true}},
};

bool IsQ60BFamily(const std::string& processor)
{
    return processor == "Q60B" || processor == "Q60C" || processor == "Q60F" || processor == "Q60E";
}

constexpr int kLabelWidth = 25;
constexpr int kCellWidth = 11;
constexpr int kTitleWidth = 98;

// A locality is a difference of estimated counts (L2 local is all L2 hits
// minus the remote ones); multiplexing can push it below zero, which is
// shown as no hits rather than as a wrapped-around count.
uint64_t NotBelowZero(int64_t count)
{
    return count < 0 ? 0 : static_cast<uint64_t>(count);
}

}  // namespace

CacheDDRAccess::CacheDDRAccess(int pid, std::string cpu, ParamMap params)
    : Ostrum(pid, std::move(cpu), std::move(params))
{
    m_perfEvents = GetPerfEvents();
    m_fdMaxCount = static_cast<int>(m_cpuIntVec.size() * m_pidSet.size() * m_perfEvents.size());
}

std::string CacheDDRAccess::CodeText(int config)
{
    return innerStr.GetCFormatStr("0x%04x", static_cast<unsigned>(config));
}

void CacheDDRAccess::_GetQuendarQ60PMU()
{
    for (const AccessEvent& event : kEvents) {
        m_eventsThisMap[event.name] = PerfEvent(m_coreEventType, event.q60);
    }
}

void CacheDDRAccess::_GetQuendarQ60BPMU()
{
    for (const AccessEvent& event : kEvents) {
        if (event.q60b != 0) {
            m_eventsThisMap[event.name] = PerfEvent(m_coreEventType, event.q60b);
        }
    }
}

PerfEventVec CacheDDRAccess::GetPerfEvents()
{
    log.Log(DEBUG, QuendarBaseName(__FILE__), __LINE__, "%s", __PRETTY_FUNCTION__);
    const std::string processor = m_lop.GetQuendarProcessor();
    if (processor == "Q60") {
        _GetQuendarQ60PMU();
    } else if (IsQ60BFamily(processor)) {
        _GetQuendarQ60BPMU();
    }
    PerfEventVec events;
    for (const auto& [name, event] : m_eventsThisMap) {
        events.push_back(event);
    }
    return events;
}

void CacheDDRAccess::GetPmuCountMap()
{
    m_pmuCoreCountMap.clear();
    for (const PerfEvent& event : m_perfEvents) {
        const std::string key = CodeText(event.second);
        m_pmuCountMap[key] = m_perfCountResMap[event];
        const std::vector<uint64_t>& perCpu = m_perfCoreCountResMap[event];
        std::vector<uint64_t>& counts = m_pmuCoreCountMap[key];
        for (size_t i = 0; i < m_cpuIntVec.size(); ++i) {
            counts.push_back(i < perCpu.size() ? perCpu[i] : 0);
        }
    }
}

int64_t CacheDDRAccess::_GetCountofEvents(const Terms& terms, const std::map<std::string, uint64_t>& countMap)
{
    int64_t sum = 0;
    for (const auto& [code, add] : terms) {
        const auto it = countMap.find(code);
        const auto count = it == countMap.end() ? int64_t{0} : static_cast<int64_t>(it->second);
        sum += add ? count : -count;
    }
    return sum;
}

int64_t CacheDDRAccess::_GetCoreCountofEvents(const Terms& terms, int index,
                                              const std::map<std::string, std::vector<uint64_t>>& countMap)
{
    int64_t sum = 0;
    for (const auto& [code, add] : terms) {
        const auto it = countMap.find(code);
        const auto count = it != countMap.end() && index >= 0 && static_cast<size_t>(index) < it->second.size()
                               ? static_cast<int64_t>(it->second[static_cast<size_t>(index)])
                               : int64_t{0};
        sum += add ? count : -count;
    }
    return sum;
}

void CacheDDRAccess::_Init(Cells* result)
{
    result->clear();
    for (int die = 0; die < m_dieCount; ++die) {
        (*result)["die" + std::to_string(die)] = "/";
    }
    (*result)["system"] = "/";
    for (int cluster = 0; cluster < m_clusterCount; ++cluster) {
        (*result)["cluster" + std::to_string(cluster)] = "/";
    }
    for (int processor = 0; processor < m_processorCount; ++processor) {
        (*result)["processor" + std::to_string(processor)] = "/";
    }
}

void CacheDDRAccess::Init()
{
    for (const AccessRow& row : kRows) {
        _Init(&(this->*row.cells));
    }
}

void CacheDDRAccess::_GetCacheDDRAccess(Terms terms, uint64_t total, Cells* result)
{
    log.Log(DEBUG, QuendarBaseName(__FILE__), __LINE__, "%s", __PRETTY_FUNCTION__);
    GetPmuCountMap();
    const uint64_t sum = NotBelowZero(_GetCountofEvents(terms, m_pmuCountMap));
    DieWalk walk(m_cpuIntVec, m_dieCount, m_corePerDie);
    if (walk.HasDies()) {
        const std::vector<int64_t> dieSums = walk.Sums([&](size_t position) {
            return _GetCoreCountofEvents(terms, static_cast<int>(position), m_pmuCoreCountMap);
        });
        for (size_t die = 0; die < dieSums.size(); ++die) {
            (*result)["die" + std::to_string(die)] = DieWalk::PercentText(
                static_cast<double>(NotBelowZero(dieSums[die])), static_cast<double>(total));
        }
    }
    (*result)["system"] = DieWalk::PercentText(static_cast<double>(sum), static_cast<double>(total));
    (*result)["counts"] = std::to_string(sum);
}

void CacheDDRAccess::GetQ60CacheDDRAccess(PerfEventVec events)
{
    log.Log(DEBUG, QuendarBaseName(__FILE__), __LINE__, "%s", __PRETTY_FUNCTION__);
    (void)events;
    Init();
    GetPmuCountMap();
    for (const AccessRow& row : kRows) {
        const uint64_t total = NotBelowZero(_GetCountofEvents(kQ60Totals[row.level], m_pmuCountMap));
        _GetCacheDDRAccess(row.q60, total, &(this->*row.cells));
    }
}

void CacheDDRAccess::GetQ60BCacheDDRAccess(PerfEventVec events)
{
    log.Log(DEBUG, QuendarBaseName(__FILE__), __LINE__, "%s", __PRETTY_FUNCTION__);
    (void)events;
    Init();
    GetPmuCountMap();
    for (const AccessRow& row : kRows) {
        if (row.q60b.empty()) {
            continue;
        }
        const uint64_t total = NotBelowZero(_GetCountofEvents(kQ60BTotals[row.level], m_pmuCountMap));
        _GetCacheDDRAccess(row.q60b, total, &(this->*row.cells));
    }
}

std::string CacheDDRAccess::GetPrintStr(PerfEventVec events, int interval)
{
    log.Log(DEBUG, QuendarBaseName(__FILE__), __LINE__, "%s", __PRETTY_FUNCTION__);
    (void)interval;
    if (m_perfCountResMap.empty()) {
        std::cerr << "perf count is empty" << std::endl;
        return "";
    }
    const std::string processor = m_lop.GetQuendarProcessor();
    const bool q60 = processor == "Q60";
    if (q60) {
        GetQ60CacheDDRAccess(events);
    } else if (IsQ60BFamily(processor)) {
        GetQ60BCacheDDRAccess(events);
    }

    const int processorWidth =
        m_diePerProcessor + (m_processorCount == 0 ? 0 : m_dieCount * kCellWidth / m_processorCount);
    const std::string left = m_str.FormatLen("", kLabelWidth, "left", ' ');
    std::string text = m_str.FormatLen(innerStr.GetCFormatStr(" Cache and DDR Hit Ratio (pid: %d cpu: %s) ", m_pid,
                                                              m_cpuStr.c_str()),
                                       kTitleWidth, "center", '#') +
                       "\n";

    text += left;
    for (int p = 0; p < m_processorCount; ++p) {
        text += m_str.FormatLen("CPU" + std::to_string(p), processorWidth, "center", ' ');
    }
    text += m_str.FormatLen("TOTAL", kCellWidth, "center", ' ');
    text += m_str.FormatLen("Hits", kCellWidth, "center", ' ') + "\n";

    text += left;
    for (int die = 0; die < m_dieCount; ++die) {
        const int shown = m_diePerProcessor == 0 ? die : die % m_diePerProcessor;
        text += m_str.FormatLen("Die" + std::to_string(shown), kCellWidth, "center", ' ') + "|";
    }
    text += m_str.FormatLen("", kCellWidth, "left", ' ') + "|  \n";

    for (const AccessRow& row : kRows) {
        if (row.level == L2 && !q60) {
            continue;
        }
        Cells& cells = this->*row.cells;
        text += m_str.FormatLen(row.label, kLabelWidth, "left", ' ');
        for (int die = 0; die < m_dieCount; ++die) {
            text += m_str.FormatLen(cells["die" + std::to_string(die)], kCellWidth, "center", ' ') + "|";
        }
        text += m_str.FormatLen(cells["system"], kCellWidth, "center", ' ') + "|  ";
        text += m_str.FormatLen(cells["counts"], kCellWidth, "left", ' ') + "\n";
        if (row.blankAfter) {
            text += "\n";
        }
    }
    return text;
}
