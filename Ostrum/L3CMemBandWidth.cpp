#include "L3CMemBandWidth.h"

#include <iostream>
#include <utility>

#include "Logger.h"
#include "obfuscator.h"

static Logger log;
static String innerStr;

namespace {

const char* const kDevices = "/sys/bus/event_source/devices/";

// Bytes moved by one count of each traffic event.
constexpr double kL3BytesPerEvent = 64;
constexpr double kDDRBytesPerEvent = 32;

// The DDR traffic events of every DDR controller, in row order.
const char* const kDDREventNames[] = {"flux_rd", "flux_wr"};

double ToMegaBytes(uint64_t count, double bytes)
{
    return static_cast<double>(count) * bytes * (1.0 / 1024) * (1.0 / 1024);
}

}  // namespace

L3CMemBandWidth::L3CMemBandWidth(int pid, std::string cpu, ParamMap params)
    : Ostrum(pid, cpu, std::move(params))
{
    m_perfEvents = GetPerfEvents();
    m_cpuIntVec = GetCoreList(cpu);
    m_pid = -1;
    m_pidSet = {-1};
    m_pidAddSet = {-1};
    m_bwFlag = true;
    m_interval = 1;
    m_fdMaxCount = static_cast<int>(m_perfEvents.size() * m_cpuIntVec.size() * m_pidSet.size());
}

std::string L3CMemBandWidth::L3EventName(std::string processor)
{
    // Each model names the L3 unit's 64-byte transfer event differently; the
    // names are kept out of the binary's plain text like the other
    // model-specific sysfs names.
    if (processor == "Q60F") {
        return OBFUSCATED("uc_l3flux");
    }
    if (processor == "Q60B" || processor == "Q60C" || processor == "Q60E") {
        return OBFUSCATED("l3_flux");
    }
    return OBFUSCATED("l3c_flux");
}

std::string L3CMemBandWidth::L3DevicePattern(std::string processor, int sccl)
{
    // Q60F publishes its L3 units as "uc" devices.
    const char* unit = processor == "Q60F" ? "uc" : "l3c";
    return innerStr.GetCFormatStr("%svexa_sccl%d_%s*", kDevices, sccl, unit);
}

CoreList L3CMemBandWidth::GetCoreList(std::string cpu)
{
    log.Log(DEBUG, QuendarBaseName(__FILE__), __LINE__, "%s", __PRETTY_FUNCTION__);
    // Uncore counters are opened once per event on the CPU their device's
    // cpumask names; the core list only makes that one opening happen.
    (void)cpu;
    m_cpuStr = "0";
    m_cpuNoneFlag = true;
    return m_lop.GetCpuListVec("0");
}

PerfEventVec L3CMemBandWidth::GetPerfEvents()
{
    log.Log(DEBUG, QuendarBaseName(__FILE__), __LINE__, "%s", __PRETTY_FUNCTION__);
    _GetL3BWEvents();
    _GetDDRBWEvents();
    return m_perfEvents;
}

void L3CMemBandWidth::_GetL3BWEvents()
{
    const std::string processor = m_lop.GetQuendarProcessor();
    const std::string eventName = L3EventName(processor);
    for (int sccl : m_sccls) {
        PerfEventVec events = GetUncoreEvents(L3DevicePattern(processor, sccl), eventName);
        m_l3CClusterNum = static_cast<int>(events.size());
        for (size_t j = 0; j < events.size(); ++j) {
            InsertEventsMap("L3BW", innerStr.GetCFormatStr("sccl%d_cluster%zu", sccl, j), events[j]);
        }
    }
}

void L3CMemBandWidth::_GetDDRBWEvents()
{
    for (int sccl : m_sccls) {
        for (const char* name : kDDREventNames) {
            PerfEventVec events =
                GetUncoreEvents(innerStr.GetCFormatStr("%svexa_sccl%d_ddrc*", kDevices, sccl), name);
            m_ddrCtlNum = static_cast<int>(events.size());
            for (size_t k = 0; k < events.size(); ++k) {
                InsertEventsMap("DDRBW", innerStr.GetCFormatStr("sccl%d_ddrCtl%zu_%s", sccl, k, name), events[k]);
            }
        }
    }
}

uint64_t L3CMemBandWidth::_SumScclEvents(std::string group, int sccl, std::string nameSuffix)
{
    // Every SCCL is summed over its own devices: machines whose SCCLs carry
    // different numbers of L3 units or DDR controllers would otherwise lose
    // the traffic of the units beyond the count of the last SCCL searched.
    uint64_t sum = 0;
    const auto groupIt = m_eventsMap.find(group);
    if (groupIt == m_eventsMap.end()) {
        return 0;
    }
    const char* format = group == "L3BW" ? "sccl%d_cluster%d%s" : "sccl%d_ddrCtl%d_%s";
    for (int unit = 0;; ++unit) {
        const auto it = groupIt->second.find(innerStr.GetCFormatStr(format, sccl, unit, nameSuffix.c_str()));
        if (it == groupIt->second.end()) {
            break;
        }
        sum += _GetEventsCount(it->second);
    }
    return sum;
}

void L3CMemBandWidth::_L3BWGetPerfRes()
{
    std::string row = m_str.FormatLen("L3 Cache  BW :", m_leftLenShort, "left", ' ');
    for (size_t i = 0; i < m_sccls.size(); ++i) {
        const uint64_t count = _SumScclEvents("L3BW", m_sccls[i], "");
        const std::string value = m_str.GetCFormatStr("%.2f", ToMegaBytes(count, kL3BytesPerEvent));
        m_resMap["L3BW"][innerStr.GetCFormatStr("die%zu", i)] = value;
        row += m_str.FormatLen(value, m_dieWidthLong, "center", ' ') + "|";
    }
    PerfEventVec all;
    for (const auto& [name, event] : m_eventsMap["L3BW"]) {
        all.push_back(event);
    }
    const std::string total = m_str.GetCFormatStr("%.2f", ToMegaBytes(_GetEventsCount(all), kL3BytesPerEvent));
    m_resMap["L3BW"]["system"] = total;
    row += m_str.FormatLen(total + " MB/s", m_dieWidthLong, "center", ' ') + "\n";
    m_resMap["L3BW"]["out"] = row;
    m_resMap["out"]["out"] += row;
}

void L3CMemBandWidth::_DDRBWGetPerfRes()
{
    std::string rowRd = m_str.FormatLen("DDR RD    BW :", m_leftLenShort, "left", ' ');
    std::string rowWr = m_str.FormatLen("DDR WR    BW :", m_leftLenShort, "left", ' ');
    std::string rowRw = m_str.FormatLen("DDR TOTAL BW :", m_leftLenShort, "left", ' ');
    uint64_t totalRd = 0;
    uint64_t totalWr = 0;
    for (size_t i = 0; i < m_sccls.size(); ++i) {
        const uint64_t rd = _SumScclEvents("DDRBW", m_sccls[i], kDDREventNames[0]);
        const uint64_t wr = _SumScclEvents("DDRBW", m_sccls[i], kDDREventNames[1]);
        totalRd += rd;
        totalWr += wr;
        const std::string die = innerStr.GetCFormatStr("die%zu", i);
        const std::string rdText = m_str.GetCFormatStr("%.2f", ToMegaBytes(rd, kDDRBytesPerEvent));
        const std::string wrText = m_str.GetCFormatStr("%.2f", ToMegaBytes(wr, kDDRBytesPerEvent));
        const std::string rwText = m_str.GetCFormatStr("%.2f", ToMegaBytes(rd + wr, kDDRBytesPerEvent));
        m_resMap["DDRBW"][die + "Rd"] = rdText;
        m_resMap["DDRBW"][die + "Wr"] = wrText;
        m_resMap["DDRBW"][die + "Rw"] = rwText;
        rowRd += m_str.FormatLen(rdText, m_dieWidthLong, "center", ' ') + "|";
        rowWr += m_str.FormatLen(wrText, m_dieWidthLong, "center", ' ') + "|";
        rowRw += m_str.FormatLen(rwText, m_dieWidthLong, "center", ' ') + "|";
    }
    const std::string systemRd = m_str.GetCFormatStr("%.2f", ToMegaBytes(totalRd, kDDRBytesPerEvent));
    const std::string systemWr = m_str.GetCFormatStr("%.2f", ToMegaBytes(totalWr, kDDRBytesPerEvent));
    const std::string systemRw = m_str.GetCFormatStr("%.2f", ToMegaBytes(totalRd + totalWr, kDDRBytesPerEvent));
    m_resMap["DDRBW"]["systemRd"] = systemRd;
    m_resMap["DDRBW"]["systemWr"] = systemWr;
    m_resMap["DDRBW"]["systemRw"] = systemRw;
    rowRd += m_str.FormatLen(systemRd + " MB/s", m_dieWidthLong, "center", ' ') + "\n";
    rowWr += m_str.FormatLen(systemWr + " MB/s", m_dieWidthLong, "center", ' ') + "\n";
    rowRw += m_str.FormatLen(systemRw + " MB/s", m_dieWidthLong, "center", ' ') + "\n";
    m_resMap["DDRBW"]["outRd"] = rowRd;
    m_resMap["DDRBW"]["outWr"] = rowWr;
    m_resMap["DDRBW"]["outRw"] = rowRw;
    m_resMap["out"]["out"] += rowRd + rowWr + rowRw;
}

void L3CMemBandWidth::GetPerfRes()
{
    log.Log(DEBUG, QuendarBaseName(__FILE__), __LINE__, "%s", __PRETTY_FUNCTION__);
    _L3BWGetPerfRes();
    _DDRBWGetPerfRes();
}

std::string L3CMemBandWidth::GetPrintStr(PerfEventVec events, int interval)
{
    log.Log(DEBUG, QuendarBaseName(__FILE__), __LINE__, "%s", __PRETTY_FUNCTION__);
    (void)events;
    m_interval = interval;
    if (m_perfCountResMap.empty()) {
        std::cerr << "perf count is empty" << std::endl;
        return "";
    }
    m_resMap.clear();
    GetPerfRes();
    const std::string note = m_str.FormatLen(
        m_str.GetCFormatStr("L3Cache and DDR bandwidth only for cpu 0-%d and user,kernel,hypervisor", m_cores - 1),
        m_titleWidth + m_leftLenShort, "center", '-');
    return note + "\n" + m_resMap["out"]["out"];
}
