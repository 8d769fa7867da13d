#include "L1CL2CBandWidth.h"

#include <cstdio>
#include <iostream>
#include <utility>

#include "Logger.h"
#include "common.h"

namespace {
Logger log;
String innerStr;

#define OSTRUM_LOG(level, ...) log.Log(level, QuendarBaseName(__FILE__), __LINE__, __VA_ARGS__)

// group, event name, raw config, bytes moved per event, row label
struct LevelEvent {
    const char* group;
    const char* name;
    int config;
    int bytes;
    const char* label;
};

const LevelEvent kLevels[] = {
    {"L1BW", "L1D_CACHE", 0x04, 16, "L1 Cache  BW :"},
    {"L2BW", "L2D_CACHE", 0x16, 64, "L2 Cache  BW :"},
};

// "%.2f" of a value. Formatted in a small buffer of its own: the report is
// rebuilt every period and must stay cheap beside the counter reads.
std::string Fixed2(double value)
{
    char text[64];
    std::snprintf(text, sizeof(text), "%.2f", value);
    return text;
}

}  // namespace

L1CL2CBandWidth::L1CL2CBandWidth(int pid, std::string cpu, ParamMap params)
    : Ostrum(pid, std::move(cpu), std::move(params))
{
    m_perfEvents = GetPerfEvents();
    // Counts become per-second rates: the figures do not depend on -i.
    m_bwFlag = true;
    m_interval = 1;
    m_fdMaxCount = static_cast<int>(m_perfEvents.size() * m_cpuIntVec.size() * m_pidSet.size());
}

PerfEventVec L1CL2CBandWidth::GetPerfEvents()
{
    OSTRUM_LOG(DEBUG, "L1CL2CBandWidth::GetPerfEvents()");
    for (const LevelEvent& level : kLevels) {
        InsertEventsMap(level.group, level.name, PerfEvent(m_coreEventType, level.config));
    }
    return m_perfEvents;
}

void L1CL2CBandWidth::_GetLevelRow(const std::string& group, const std::string& name, const std::string& label,
                                   int bytes)
{
    const PerfEvent event = m_eventsMap[group][name];
    std::string row = m_str.FormatLen(label, m_leftLenShort, "left", ' ');
    for (int d = 0; d < m_dieCount; ++d) {
        const uint64_t count = _GetCoresAndEventsCount(event, d * m_corePerDie, d * m_corePerDie + m_corePerDie - 1);
        std::string value = Fixed2(static_cast<double>(count) * bytes * (1.0 / 1024) * (1.0 / 1024));
        // Per-CPU counts do not exist when threads are followed on any CPU.
        if (m_cpuNoneFlag) {
            value = "/";
        }
        m_resMap[group]["die" + std::to_string(d)] = value;
        row += m_str.FormatLen(value, m_dieWidthLong, "center", ' ') + "|";
    }
    const std::string total = Fixed2(static_cast<double>(_GetEventsCount(event)) * bytes / 1024 / 1024);
    m_resMap[group]["system"] = total;
    row += m_str.FormatLen(total + " MB/s", m_dieWidthLong, "center", ' ') + "\n";
    m_resMap[group]["out"] = row;
    m_resMap["out"]["out"] += row;
}

void L1CL2CBandWidth::GetPerfRes()
{
    for (const LevelEvent& level : kLevels) {
        _GetLevelRow(level.group, level.name, level.label, level.bytes);
    }
}

std::string L1CL2CBandWidth::GetPrintStr(PerfEventVec events, int interval)
{
    (void)events;
    OSTRUM_LOG(DEBUG, "L1CL2CBandWidth::GetPrintStr(vector<pair<int, int>> events, int interval)");
    m_interval = interval;
    if (m_perfCountResMap.empty()) {
        std::cerr << "perf count is empty" << std::endl;
        return std::string();
    }
    m_resMap.clear();
    GetPerfRes();
    return GetPrintTitle("Cache and DDR Bandwidth", true, "TOTAL", "") + m_resMap["out"]["out"];
}
