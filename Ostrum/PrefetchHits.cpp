#include "PrefetchHits.h"

#include <iostream>

#include "DieWalk.h"
#include "Logger.h"

static Logger log;
static String innerStr;

namespace {

struct PrefetchEvent {
    const char* name;
    int code;
};
const PrefetchEvent kEvents[] = {
    {"L1D Cache Miss Prefetch", 0x5033}, {"Prefetch Request", 0x6013},  {"SMS Good Prefetch", 0x607f},
    {"MOP Good Prefetch", 0x6080},       {"SMS Bad Prefetch", 0x6083}, {"MOP Bad Prefetch", 0x6084},
};

// Report lines, in order.
const char* const kOutKeys[] = {"L1D Cache Miss Prefetch", "SMS Good Prefetch", "MOP Good Prefetch",
                                "Total Good Prefetch"};

const char* const kDisabledWarning =
    "\nWARNING: CPU Prefetch is Disable, need open prefetch to get prefetch hit rate\n";
const char* const kEnableAdvice = "\nSuggestion: Set CPU prefetch enable is good for performance\n";
const char* const kDisableAdvice = "\nSuggestion: Set CPU prefetch disable is good for performance\n";

}  // namespace

PrefetchHits::PrefetchHits(int pid, std::string cpu, ParamMap params)
    : Ostrum(pid, std::move(cpu), std::move(params))
{
    for (const char* key : kOutKeys) {
        m_outKeyVec.emplace_back(key);
        m_prefetchResMap[key];
    }
    for (const PrefetchEvent& event : kEvents) {
        m_PrefechEventsMap[event.name] = {m_coreEventType, event.code};
    }
    m_dieWidth = 11;
    m_leftWidth = 25;
    m_rightWidth = 11;
    m_perfEvents = GetPerfEvents();
    m_fdMaxCount = static_cast<int>(m_cpuIntVec.size() * m_pidSet.size() * m_perfEvents.size());
    m_prefetchGoodRatio = -1;
}

PerfEventVec PrefetchHits::GetPerfEvents()
{
    log.Log(DEBUG, QuendarBaseName(__FILE__), __LINE__, "%s", __PRETTY_FUNCTION__);
    PerfEventVec events;
    for (const auto& [name, event] : m_PrefechEventsMap) {
        events.push_back(event);
    }
    return events;
}

void PrefetchHits::GetPmuCountMap()
{
    m_pmuCoreCountMap.clear();
    for (const auto& [name, event] : m_PrefechEventsMap) {
        m_pmuCountMap[name] = m_perfCountResMap[event];
        m_pmuCoreCountMap[name] = m_perfCoreCountResMap[event];
    }
}

uint64_t PrefetchHits::GetEventCountSum(std::vector<std::string> names)
{
    uint64_t sum = 0;
    for (const std::string& name : names) {
        sum += m_pmuCountMap[name];
    }
    return sum;
}

std::map<std::string, std::string> PrefetchHits::GetSubSection(std::string desc)
{
    const uint64_t good = GetEventCountSum({"SMS Good Prefetch", "MOP Good Prefetch"});
    const uint64_t bad = GetEventCountSum({"SMS Bad Prefetch", "MOP Bad Prefetch"});
    const uint64_t all = good + bad;
    if (good == 0 || bad == 0) {
        m_prefetchAdv = kDisabledWarning;
        return {};
    }
    const std::string title = m_str.FormatLen(desc + " :", m_leftWidth, "left", ' ');
    if (m_str.CheckSub(desc, std::string("L1D"))) {
        return _GetSubSection(title, {desc}, GetEventCountSum({"Prefetch Request"}));
    }
    if (m_str.CheckSub(desc, std::string("Total")) && m_str.CheckSub(desc, std::string("Good"))) {
        return _GetSubSection(title, {"SMS Good Prefetch", "MOP Good Prefetch"}, all);
    }
    return _GetSubSection(title, {desc}, all);
}

std::map<std::string, std::string> PrefetchHits::_GetSubSection(std::string title, std::vector<std::string> names,
                                                               uint64_t denominator)
{
    std::map<std::string, std::string> cells;
    std::string line = title;

    DieWalk walk(m_cpuIntVec, m_dieCount, m_corePerDie);
    auto figureAt = [&](size_t position) {
        int64_t sum = 0;
        for (const std::string& name : names) {
            const std::vector<uint64_t>& perCpu = m_pmuCoreCountMap[name];
            sum += position < perCpu.size() ? static_cast<int64_t>(perCpu[position]) : 0;
        }
        return sum;
    };
    cells = walk.ShareCells(figureAt, static_cast<double>(denominator));
    for (int die = 0; die < m_dieCount; ++die) {
        line += m_str.FormatLen(cells["die" + std::to_string(die)], m_dieWidth, "center", ' ') + "|";
    }

    const uint64_t count = GetEventCountSum(names);
    cells["system"] = DieWalk::PercentText(static_cast<double>(count), static_cast<double>(denominator));
    if (m_str.CheckSub(title, std::string("Total Good"))) {
        m_prefetchGoodRatio = static_cast<double>(count) / static_cast<double>(denominator);
    }
    line += m_str.FormatLen(cells["system"], m_dieWidth, "center", ' ') + "|";
    line += m_str.FormatLen(std::to_string(count), m_rightWidth, "center", ' ') + "\n";
    cells["out"] = line;
    return cells;
}

void PrefetchHits::GetPrefetchHits(std::vector<std::pair<int, int>> events)
{
    log.Log(DEBUG, QuendarBaseName(__FILE__), __LINE__, "%s", __PRETTY_FUNCTION__);
    (void)events;
    GetPmuCountMap();
    for (auto& [key, cells] : m_prefetchResMap) {
        cells = GetSubSection(key);
    }
}

std::string PrefetchHits::GetPrintTitlesStr(std::string title)
{
    const int processorWidth = m_processorCount == 0 ? 0 : m_dieWidth * m_dieCount / m_processorCount;
    std::string text =
        m_str.FormatLen(innerStr.GetCFormatStr(" %s (pid: %d cpu: %s) ", title.c_str(), m_pid, m_cpuStr.c_str()),
                        m_leftWidth + m_dieWidth * m_dieCount + 2 * m_rightWidth, "center", '#') +
        "\n";
    const std::string left = m_str.FormatLen("", m_leftWidth, "left", ' ');
    text += left;
    for (int p = 0; p < m_processorCount; ++p) {
        text += m_str.FormatLen("CPU" + std::to_string(p), processorWidth + m_diePerProcessor, "center", ' ');
    }
    text += m_str.FormatLen("TOTAL", m_dieWidth, "center", ' ');
    text += m_str.FormatLen("Counts", m_rightWidth, "center", ' ') + "\n";
    text += left;
    for (int die = 0; die < m_dieCount; ++die) {
        // Dies are numbered within their processor; without a processor
        // count they keep their machine-wide number.
        const int shown = m_diePerProcessor == 0 ? die : die % m_diePerProcessor;
        text += m_str.FormatLen("Die" + std::to_string(shown), m_dieWidth, "center", ' ') + "|";
    }
    text += m_str.FormatLen("", m_dieWidth, "left", ' ') + "|\n";
    return text;
}

std::string PrefetchHits::GetPrintStr(std::vector<std::pair<int, int>> events, int interval)
{
    log.Log(DEBUG, QuendarBaseName(__FILE__), __LINE__, "%s", __PRETTY_FUNCTION__);
    (void)interval;
    if (m_perfCountResMap.empty()) {
        std::cerr << "perf count is empty" << std::endl;
        return "";
    }
    GetPrefetchHits(events);
    std::string text = GetPrintTitlesStr("Prefetch Hit Rate Evaluation");
    for (const std::string& key : m_outKeyVec) {
        const auto& cells = m_prefetchResMap[key];
        const auto out = cells.find("out");
        if (out != cells.end()) {
            text += out->second;
        }
    }
    if (m_prefetchGoodRatio != -1) {
        m_prefetchAdv = m_prefetchGoodRatio > 0.5 ? kEnableAdvice : kDisableAdvice;
    }
    return text + m_prefetchAdv;
}
