#include "PerfMixed.h"

#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <iostream>
#include <utility>

#include "CacheDDRAccess.h"
#include "CacheTLBMissRatio.h"
#include "L1CL2CBandWidth.h"
#include "L3CMemBandWidth.h"
#include "Logger.h"
#include "PrefetchHits.h"
#include "ReportCodec.h"
#include "ShellQuote.h"
#include "StopSignal.h"
#include "TopDown.h"
#include "TopDownQ60B.h"
#include "TopDownQ60C.h"
#include "TopDownQ60F.h"
#include "common.h"
#include "obfuscator.h"

namespace {
Logger log;
String innerStr;

#define OSTRUM_LOG(level, ...) log.Log(level, QuendarBaseName(__FILE__), __LINE__, __VA_ARGS__)

const char* kTimeFormat = "%Y-%m-%d %H:%M:%S.%(MS)";

int ToInt(rlim_t value)
{
    return value == RLIM_INFINITY || value > static_cast<rlim_t>(INT32_MAX) ? -1 : static_cast<int>(value);
}

}  // namespace

PerfMixed::PerfMixed(ModeMap modes, PrivilegeMap attrParams, int pid, std::string cpu, std::string outKeywords,
                     ParamMap params)
{
    OSTRUM_LOG(DEBUG, "PerfMixed::PerfMixed(map<string, bool> modes, map<string, int> attrParams, int pid, "
                      "string cpu, string outKeywords, map<string, string> params)");
    m_pid = pid;
    m_pidByTid = m_lop.GetPidByTid(pid);
    m_keywords = std::move(outKeywords);
    m_ifTopDown = false;
    m_params = std::move(params);
    InitPerfClasses(std::move(modes), pid, std::move(cpu));
    m_resFile = GetResFilePath();
    m_attrParamsMap = std::move(attrParams);
    m_openFilesSoftLimitOrgin = -1;
    m_openFilesHardtLimitOrgin = -1;
    SetOpenFilesLimit();
    m_dieCount = m_lop.GetDieCount();
}

PerfMixed::~PerfMixed()
{
    OSTRUM_LOG(DEBUG, "PerfMixed::~PerfMixed()");
    for (Ostrum* collector : m_perfClasses) {
        delete collector;
    }
    m_perfClasses.clear();
    if (m_limitRead && setrlimit(RLIMIT_NOFILE, &m_limitOrigin) != 0) {
        std::cerr << "set open files params failed;" << std::endl;
    }
    std::cout << "Print info is saved to " << m_resFile << std::endl;
}

bool PerfMixed::InitPerfClasses(ModeMap modes, int pid, std::string cpu)
{
    OSTRUM_LOG(DEBUG, "PerfMixed::InitPerfClasses(map<string, bool> modes, int pid, string cpu)");
    const std::string model = m_lop.GetQuendarProcessor();
    if (modes["bandwidth"]) {
        m_perfClasses.push_back(new L1CL2CBandWidth(pid, cpu, m_params));
        m_perfClasses.push_back(new L3CMemBandWidth(pid, cpu, m_params));
    }
    if (modes["cache-miss"]) {
        m_perfClasses.push_back(new CacheTLBMissRatio(pid, cpu, m_params));
    }
    if (modes["access"]) {
        m_perfClasses.push_back(new CacheDDRAccess(pid, cpu, m_params));
    }
    if (modes["prefetch"] && model == "Q60") {
        m_perfClasses.push_back(new PrefetchHits(pid, cpu, m_params));
    }
    if (modes["topdown"]) {
        Ostrum* topDown = nullptr;
        if (model == "Q60") {
            topDown = new TopDown(pid, cpu, m_params);
        } else if (model == "Q60B" || model == "Q60E") {
            topDown = new TopDownQ60B(pid, cpu, m_params);
        } else if (model == "Q60C") {
            topDown = new TopDownQ60C(pid, cpu, m_params);
        } else if (model == "Q60F") {
            topDown = new TopDownQ60F(pid, cpu, m_params);
        }
        if (topDown != nullptr) {
            m_perfClasses.push_back(topDown);
            m_ifTopDown = true;
        }
    }
    return true;
}

std::string PerfMixed::GetResFilePath()
{
    OSTRUM_LOG(DEBUG, "PerfMixed::GetResFilePath()");
    const std::string dir = m_lop.RunShellThread("pwd", 0).first;
    const std::string stamp = m_lop.RunShellThread(OBFUSCATED("date +%Y-%m-%d-%H%M%S-%N"), 0).first;
    std::string name = "/perf_results/" + stamp;
    if (!m_keywords.empty()) {
        name += "_" + m_keywords;
    }
    // The current directory and the keyword reach the shell as one quoted
    // word each time, whatever characters they hold.
    m_lop.RunShellThread("mkdir -p " + ShellQuote(dir + name), 0);
    m_lop.RunShellThread("touch " + ShellQuote(dir + name + "/perf_info.txt"), 0);
    return dir + name + "/perf_info.txt";
}

void PerfMixed::SetOpenFilesLimit()
{
    OSTRUM_LOG(DEBUG, "PerfMixed::SetOpenFilesLimit()");
    long long needed = 1024;
    for (Ostrum* collector : m_perfClasses) {
        needed += collector->m_fdMaxCount;
    }
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0) {
        std::cerr << "get open files params failed;" << std::endl;
        return;
    }
    m_limitRead = true;
    m_limitOrigin = limit;
    m_openFilesSoftLimitOrgin = ToInt(limit.rlim_cur);
    m_openFilesHardtLimitOrgin = ToInt(limit.rlim_max);
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur >= static_cast<rlim_t>(needed)) {
        return;
    }
    if (limit.rlim_cur == RLIM_INFINITY) {
        return;
    }
    rlimit raised{};
    raised.rlim_cur = static_cast<rlim_t>(needed);
    // Never lower the hard limit: an unprivileged run could not raise it back.
    raised.rlim_max = std::max(limit.rlim_max, raised.rlim_cur);
    if (limit.rlim_max == RLIM_INFINITY) {
        raised.rlim_max = RLIM_INFINITY;
    }
    if (setrlimit(RLIMIT_NOFILE, &raised) != 0) {
        std::cerr << "set open files params failed;" << std::endl;
        std::cerr << "the counters need " << needed << " open files but the limit stays at "
                  << static_cast<unsigned long long>(limit.rlim_cur)
                  << "; counters beyond it cannot be opened (raise it with ulimit -n, or measure fewer CPUs or threads)"
                  << std::endl;
    }
}

void PerfMixed::Prepare()
{
    OSTRUM_LOG(DEBUG, "PerfMixed::Prepare()");
    for (Ostrum* collector : m_perfClasses) {
        collector->InitPerf(collector->m_perfEvents);
    }
    for (Ostrum* collector : m_perfClasses) {
        if (dynamic_cast<L3CMemBandWidth*>(collector) != nullptr) {
            // Uncore PMUs always count every privilege level, whatever -s says.
            PrivilegeMap all = m_attrParamsMap;
            all["exclude_user"] = 0;
            all["exclude_kernel"] = 0;
            all["exclude_hv"] = 0;
            collector->OpenPerf(all);
        } else {
            collector->OpenPerf(m_attrParamsMap);
        }
    }
    for (Ostrum* collector : m_perfClasses) {
        collector->StartPerf();
    }
}

void PerfMixed::run(int interval, int times)
{
    OSTRUM_LOG(DEBUG, "PerfMixed::run(int interval, int times)");
    Prepare();
    if (m_pid != -1) {
        std::string command;
        if (m_pid != m_pidByTid) {
            command = m_lop.GetProcessFullCommandwithTid(m_pidByTid, m_pid);
            std::cout << "tid: " << m_pid << std::endl;
        } else {
            command = m_lop.GetProcessFullCommandwithPid(m_pid);
            std::cout << "pid: " << m_pid << std::endl;
        }
        std::cout << "process: " << command << std::endl;
        m_fop.WriteFile(m_resFile, "pid: " + std::to_string(m_pid) + "\n", 0);
        m_fop.WriteFile(m_resFile, "process:" + command + "\n", 0);
        timespec wait{0, 10 * 1000 * 1000};
        nanosleep(&wait, nullptr);
    }
    m_footprint.Restart();
    for (int i = 0; i < times; ++i) {
        if (!StopSignal::Sleep(interval)) {
            return;
        }
        const std::string report = GetPrintStr(interval, false);
        if (StopSignal::Pending() != 0) {
            return;
        }
        if (m_targetEnded) {
            // The figures would only repeat the last period's.
            const std::string what = m_pid != m_pidByTid ? "thread" : "process";
            std::cout << "The measured " << what << " " << m_pid << " has ended; stopping after " << i
                      << " period(s) and printing their average" << std::endl;
            m_fop.WriteFile(m_resFile,
                            "The measured " + what + " " + std::to_string(m_pid) + " has ended after " +
                                std::to_string(i) + " period(s)\n",
                            0);
            break;
        }
        if (report.empty()) {
            break;
        }
        PrintOut(i, report);
        ++m_periodsDone;
        OSTRUM_LOG(DEBUG, "%s", Footprint::Line(m_footprint.EndPeriod()).c_str());
    }
    m_out = GetAveragePrintStr(interval);
    const std::string text =
        m_str.FormatLen("Total Average", 160, "center", '*') + "\n" + m_time.GetTimeStrFmt(kTimeFormat) + "\n" + m_out;
    std::cout << text << std::endl;
    m_fop.WriteFile(m_resFile, text + "\n", 0);
}

std::string PerfMixed::GetPrintStr(int interval, bool average)
{
    OSTRUM_LOG(DEBUG, "PerfMixed::GetPrintStr(int interval, bool average)");
    m_out.clear();
    if (!average) {
        for (Ostrum* collector : m_perfClasses) {
            if (!collector->ComputeRes(interval) && collector->m_targetGone) {
                m_targetEnded = true;
            }
            m_footprint.AddReads(collector->m_lastReadCounters, collector->m_lastReadSeconds);
            collector->m_lastReadCounters = 0;
            collector->m_lastReadSeconds = 0;
        }
    }
    const size_t leftCount = m_ifTopDown ? m_perfClasses.size() - 1 : m_perfClasses.size();
    std::string left;
    for (size_t i = 0; i < leftCount; ++i) {
        const std::string report = m_perfClasses[i]->GetPrintStr(m_perfClasses[i]->m_perfEvents, interval);
        if (!report.empty()) {
            left += report + "\n";
        }
    }
    std::string right;
    if (m_ifTopDown) {
        Ostrum* topDown = m_perfClasses.back();
        right = topDown->GetPrintStr(topDown->m_perfEvents, interval) + "\n";
    }
    if (m_dieCount > 4) {
        m_out = left + "\n" + right;
    } else if (m_ifTopDown) {
        m_out = m_perfClasses.size() == 1 ? right : m_str.ParseToOneLine(left, right, 102, 55, '\n', " | ");
    } else {
        m_out = left;
    }
    m_out = ReportCodec::Encode(m_out);
    return m_out;
}

void PerfMixed::PrintOut(int times, std::string report)
{
    (void)report;
    const std::string text = m_time.GetTimeStrFmt(kTimeFormat) + "        " + std::to_string(times) + " Times\n" + m_out;
    std::cout << text << std::endl;
    m_fop.WriteFile(m_resFile, text + "\n", 0);
}

std::string PerfMixed::GetAveragePrintStr(int interval)
{
    OSTRUM_LOG(DEBUG, "PerfMixed::GetAveragePrintStr(int interval)");
    for (Ostrum* collector : m_perfClasses) {
        collector->StopPerf();
    }
    for (Ostrum* collector : m_perfClasses) {
        collector->m_perfCountResMap = collector->m_perfCountResAverageMap;
    }
    return GetPrintStr(interval, true);
}
