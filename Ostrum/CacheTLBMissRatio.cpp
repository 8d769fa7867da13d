#include "CacheTLBMissRatio.h"

#include <iterator>
#include <iostream>

#include "DieWalk.h"
#include "Logger.h"

static Logger log;
static String innerStr;

namespace {

// The events, in pairs: entry 2k is the miss event and entry 2k + 1 the
// reference event of report row k.
struct MissEvent {
    const char* name;
    int code;
};
const MissEvent kEvents[] = {
    {"L1ICacheMissCount", 0x01}, {"L1ICacheCount", 0x14},
    {"L1DCacheMissCount", 0x03}, {"L1DCacheCount", 0x04},
    {"L2ICacheMissCount", 0x28}, {"L2ICacheCount", 0x27},
    {"L2DCacheMissCount", 0x17}, {"L2DCacheCount", 0x16},
    {"L3CacheMissCount", 0x33},  {"L3CacheCount", 0x32},
    {"L1ITLBMissCount", 0x02},   {"L1ITLBCount", 0x26},
    {"L1DTLBMissCount", 0x05},   {"L1DTLBCount", 0x25},
    {"L2ITLBMissCount", 0x2e},   {"L2ITLBCount", 0x30},
    {"L2DTLBMissCount", 0x2d},   {"L2DTLBCount", 0x2f},
};

// Report rows in order: label, cells, and whether a blank line follows.
struct MissRow {
    const char* label;
    std::map<std::string, std::string> CacheTLBMissRatio::*cells;
    bool blankAfter;
};
const MissRow kRows[] = {
    {"L1I Cache Miss:", &CacheTLBMissRatio::m_L1IcacheMissMap, false},
    {"L1D Cache Miss:", &CacheTLBMissRatio::m_L1DcacheMissMap, false},
    {"L2I Cache Miss:", &CacheTLBMissRatio::m_L2IcacheMissMap, false},
    {"L2D Cache Miss:", &CacheTLBMissRatio::m_L2DcacheMissMap, false},
    {"L3  Cache Miss:", &CacheTLBMissRatio::m_L3cacheMissMap, true},
    {"L1I TLB   Miss:", &CacheTLBMissRatio::m_L1ITLBMissMap, false},
    {"L1D TLB   Miss:", &CacheTLBMissRatio::m_L1DTLBMissMap, false},
    {"L2I TLB   Miss:", &CacheTLBMissRatio::m_L2ITLBMissMap, false},
    {"L2D TLB   Miss:", &CacheTLBMissRatio::m_L2DTLBMissMap, false},
};

constexpr int kLabelWidth = 18;
constexpr int kCellWidth = 15;
constexpr int kTitleWidth = 98;

}  // namespace

CacheTLBMissRatio::CacheTLBMissRatio(int pid, std::string cpu, ParamMap params)
    : Ostrum(pid, std::move(cpu), std::move(params))
{
    m_perfEvents = GetPerfEvents();
    m_fdMaxCount = static_cast<int>(m_cpuIntVec.size() * m_pidSet.size() * m_perfEvents.size());
}

PerfEventVec CacheTLBMissRatio::GetPerfEvents()
{
    log.Log(DEBUG, QuendarBaseName(__FILE__), __LINE__, "%s", __PRETTY_FUNCTION__);
    PerfEventVec events;
    for (const MissEvent& event : kEvents) {
        events.emplace_back(m_coreEventType, event.code);
    }
    return events;
}

void CacheTLBMissRatio::init()
{
    for (const MissRow& row : kRows) {
        auto& cells = this->*row.cells;
        cells.clear();
        cells["system"] = "/";
        for (int die = 0; die < m_dieCount; ++die) {
            cells["die" + std::to_string(die)] = "/";
        }
    }
}

void CacheTLBMissRatio::GetCacheTLBMissRatio(std::vector<std::pair<int, int>> events)
{
    log.Log(DEBUG, QuendarBaseName(__FILE__), __LINE__, "%s", __PRETTY_FUNCTION__);
    init();
    for (size_t k = 0; k < std::size(kRows); ++k) {
        if (2 * k + 1 >= events.size()) {
            break;
        }
        _GetCacheTLBMissRatio(events[2 * k], events[2 * k + 1], &(this->*kRows[k].cells));
    }
}

void CacheTLBMissRatio::_GetCacheTLBMissRatio(std::pair<int, int> miss, std::pair<int, int> ref,
                                              std::map<std::string, std::string>* out)
{
    log.Log(DEBUG, QuendarBaseName(__FILE__), __LINE__, "%s", __PRETTY_FUNCTION__);
    // Multiplexing scales the two counters of a pair independently, so the
    // estimated misses can exceed the references; a ratio above 100 % is
    // never shown.
    uint64_t& missCount = m_perfCountResMap[miss];
    const uint64_t refCount = m_perfCountResMap[ref];
    if (refCount < missCount) {
        missCount = refCount;
    }
    const std::string total = DieWalk::PercentText(static_cast<double>(missCount), static_cast<double>(refCount));

    DieWalk walk(m_cpuIntVec, m_dieCount, m_corePerDie);
    const std::vector<uint64_t>& perCpu = m_perfCoreCountResMap[miss];
    auto figureAt = [&perCpu](size_t position) {
        return position < perCpu.size() ? static_cast<int64_t>(perCpu[position]) : int64_t{0};
    };
    for (const auto& [key, text] : walk.ShareCells(figureAt, static_cast<double>(refCount))) {
        (*out)[key] = text;
    }
    (*out)["system"] = total;
}

std::string CacheTLBMissRatio::GetPrintStr(PerfEventVec events, int interval)
{
    log.Log(DEBUG, QuendarBaseName(__FILE__), __LINE__, "%s", __PRETTY_FUNCTION__);
    (void)interval;
    if (m_perfCountResMap.empty()) {
        std::cerr << "perf count is empty" << std::endl;
        return "";
    }
    GetCacheTLBMissRatio(events);

    const int processorWidth = m_processorCount == 0 ? 0 : m_dieCount * kCellWidth / m_processorCount;
    std::string text = m_str.FormatLen(innerStr.GetCFormatStr(" Cache and TLB Miss Ratio (pid: %d cpu: %s) ", m_pid,
                                                              m_cpuStr.c_str()),
                                       kTitleWidth, "center", '#') +
                       "\n";

    text += m_str.FormatLen("", kLabelWidth, "left", ' ');
    for (int processor = 0; processor < m_processorCount; ++processor) {
        text += m_str.FormatLen("CPU" + std::to_string(processor), processorWidth + m_diePerProcessor, "center", ' ');
    }
    text += m_str.FormatLen("TOTAL", kCellWidth, "center", ' ') + "\n";

    text += m_str.FormatLen("", kLabelWidth, "left", ' ');
    for (int die = 0; die < m_dieCount; ++die) {
        // Dies are numbered within their processor; without a processor
        // count they keep their machine-wide number.
        const int shown = m_diePerProcessor == 0 ? die : die % m_diePerProcessor;
        text += m_str.FormatLen("Die" + std::to_string(shown), kCellWidth, "center", ' ') + "|";
    }
    text += "\n";

    for (const MissRow& row : kRows) {
        auto& cells = this->*row.cells;
        text += m_str.FormatLen(row.label, kLabelWidth, "left", ' ');
        for (int die = 0; die < m_dieCount; ++die) {
            text += m_str.FormatLen(cells["die" + std::to_string(die)], kCellWidth, "center", ' ') + "|";
        }
        text += m_str.FormatLen(cells["system"], kCellWidth, "center", ' ') + "\n";
        if (row.blankAfter) {
            text += "\n";
        }
    }
    return text;
}
