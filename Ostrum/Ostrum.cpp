#include "Ostrum.h"

#include <glob.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <utility>

#include "Footprint.h"
#include "Logger.h"
#include "PmuAccess.h"
#include "SysRoot.h"
#include "common.h"

namespace {
Logger log;
String innerStr;

#define OSTRUM_LOG(level, ...) log.Log(level, QuendarBaseName(__FILE__), __LINE__, __VA_ARGS__)

const char* kDevices = "/sys/bus/event_source/devices";
const size_t kMaxThreadsPerCpu = 128;

// Integer division that gives 0 for a zero divisor (a machine description
// without dies or sockets must not stop the program).
int Div(int a, int b)
{
    return b == 0 ? 0 : a / b;
}

// Paths matching a pattern, sorted; directories get a trailing slash.
std::vector<std::string> Glob(const std::string& pattern)
{
    std::vector<std::string> result;
    glob_t found{};
    if (glob(pattern.c_str(), GLOB_MARK, nullptr, &found) == 0) {
        for (size_t i = 0; i < found.gl_pathc; ++i) {
            result.emplace_back(found.gl_pathv[i]);
        }
    }
    globfree(&found);
    return result;
}

}  // namespace

Ostrum::Ostrum(int pid, std::string cpu, ParamMap params)
{
    OSTRUM_LOG(DEBUG, "Ostrum::Ostrum(int pid, string cpu, map<string, string> params)");
    m_pid = pid;
    m_pidByTid = m_lop.GetPidByTid(pid);
    m_fdMaxCount = 0;

    m_processorCount = m_lop.GetProcessorCount();
    m_cores = m_lop.GetCoreCount();
    m_dieCount = m_lop.GetDieCount();
    m_sccls = GetUncoreScclsNum();
    m_corePerCluster = 4;
    m_corePerDie = Div(m_cores, m_dieCount);
    m_corePerProcessor = Div(m_cores, m_processorCount);
    m_diePerProcessor = Div(m_dieCount, m_processorCount);
    m_clusterCount = Div(m_cores, 4);
    m_clusterPerDie = Div(m_clusterCount, m_dieCount);
    m_ddrCtlPerDie = 4;
    m_clusterPerSccl = GetUncoreClusterPerDieNum();

    m_coreEventType = 4;
    m_cpuNoneFlag = false;
    m_params = std::move(params);

    if (m_pid == m_pidByTid) {
        m_pidSet = m_lop.GetTidsofPid(m_pid, m_params["threadKeywords"]);
    } else {
        m_pidSet = {m_pid};
    }
    m_pidAddSet = m_pidSet;

    m_cpuIntVec = Ostrum::GetCoreList(std::move(cpu));

    m_perfEvents = Ostrum::GetPerfEvents();
    m_fdMaxCount = static_cast<int>(m_perfEvents.size() * m_cpuIntVec.size() * m_pidSet.size());
    m_firstRead = true;
    m_dieWidthShort = 11;
    m_dieWidthLong = 15;
    m_titleWidth = 80;
    m_processorWidthShort = Div(m_dieCount * 11, m_processorCount);
    m_processorWidthLong = Div(m_dieCount * 15, m_processorCount);
    m_leftLenShort = 18;
    m_leftLenLong = 25;
    m_bwFlag = false;
}

Ostrum::~Ostrum()
{
    OSTRUM_LOG(DEBUG, "Ostrum::~Ostrum()");
    std::vector<int> flat;
    std::vector<int> cpus;
    for (const std::vector<int>& fds : m_fds) {
        for (int fd : fds) {
            if (fd >= 0) {
                flat.push_back(fd);
                cpus.push_back(PmuAccess::BoundCpu(fd));
            }
        }
    }
    PmuAccess::Visit(cpus, [&](size_t i) { PmuAccess::Close(flat[i]); });
}

CoreList Ostrum::GetCoreList(std::string cpu)
{
    OSTRUM_LOG(DEBUG, "Ostrum::GetCoreList(string cpu)");
    // Every usable CPU: the affinity list of process 1 on a real machine, the
    // online list of a machine description.
    auto usableCpus = [this]() {
        const std::string described = m_lop.GetOnlineCpuListStr();
        if (!described.empty()) {
            return described;
        }
        return m_lop.RunShellThread("taskset -cp 1|awk '{print $NF}'", 0).first;
    };
    if (cpu == "-1" && m_pid == -1) {
        cpu = usableCpus();
    }
    if (m_pidSet.size() > kMaxThreadsPerCpu) {
        cpu = "-1";
        m_cpuNoneFlag = true;
    }
    if (m_pid != m_pidByTid || (!m_pidSet.empty() && m_pidSet.size() <= kMaxThreadsPerCpu)) {
        if (cpu == "-1") {
            cpu = usableCpus();
        }
        m_cpuNoneFlag = false;
    }
    m_cpuStr = cpu;
    OSTRUM_LOG(INFO, "perf open cpus: %s", cpu.c_str());
    return m_lop.GetCpuListVec(cpu);
}

PerfEventVec Ostrum::GetPerfEvents()
{
    OSTRUM_LOG(DEBUG, "Ostrum::GetPerfEvents()");
    return PerfEventVec();
}

void Ostrum::InsertEventsMap(std::string group, std::string name, PerfEvent event)
{
    m_eventsMap[group][name] = event;
    m_perfEvents.push_back(event);
}

bool Ostrum::InitPerf(PerfEventVec events)
{
    OSTRUM_LOG(DEBUG, "Ostrum::InitPerf(vector<pair<int, int>> events)");
    m_perfEvents = std::move(events);
    m_fds.clear();
    m_fdEvent.clear();
    m_fdSlot.clear();
    m_perfCountResMap.clear();
    m_perfCountResAverageMap.clear();
    m_perfCoreCountResMap.clear();
    m_countersLast.clear();
    m_countersCurrent.clear();
    m_slotCpuIndex.clear();
    m_slotsUsed.clear();
    const size_t threads = m_pidSet.size();
    const size_t slots = m_cpuIntVec.size() * threads;
    for (const PerfEvent& event : m_perfEvents) {
        m_countersLast[event].assign(slots, CounterTriple());
        m_countersCurrent[event].assign(slots, CounterTriple());
        m_perfCoreCountResMap[event].assign(slots, 0);
        std::vector<int>& cpuIndex = m_slotCpuIndex[event];
        cpuIndex.resize(slots);
        for (size_t s = 0; s < slots; ++s) {
            cpuIndex[s] = static_cast<int>(s / threads);
        }
    }
    return true;
}

bool Ostrum::OpenPerf(PrivilegeMap attrParams)
{
    OSTRUM_LOG(DEBUG, "Ostrum::OpenPerf(map<string, int> attrParams)");
    const int excludeUser = attrParams.count("exclude_user") != 0 ? attrParams["exclude_user"] : 0;
    const int excludeKernel = attrParams.count("exclude_kernel") != 0 ? attrParams["exclude_kernel"] : 0;
    const int excludeHv = attrParams.count("exclude_hv") != 0 ? attrParams["exclude_hv"] : 0;

    // The descriptors are laid out event by event, CPU-major and thread-minor,
    // with their slots; the opens themselves are made CPU by CPU, each from
    // the CPU its counter is bound to.
    const std::vector<int> threads(m_pidAddSet.begin(), m_pidAddSet.end());
    const size_t firstList = m_fds.size();
    std::vector<perf_event_attr> attrs;
    std::vector<int> itemCpu;
    std::vector<std::pair<size_t, size_t>> itemPlace;  // (event, position in its list)
    for (const PerfEvent& event : m_perfEvents) {
        perf_event_attr attr;
        std::memset(&attr, 0, sizeof(attr));
        attr.type = static_cast<uint32_t>(event.first);
        attr.size = 112;
        attr.config = static_cast<uint64_t>(static_cast<int64_t>(event.second));
        attr.read_format = PERF_FORMAT_TOTAL_TIME_ENABLED | PERF_FORMAT_TOTAL_TIME_RUNNING;
        attr.disabled = 1;
        attr.exclude_user = static_cast<unsigned>(excludeUser) & 1u;
        attr.exclude_kernel = static_cast<unsigned>(excludeKernel) & 1u;
        attr.exclude_hv = static_cast<unsigned>(excludeHv) & 1u;
        attrs.push_back(attr);

        // Uncore counters are always opened on the CPU their PMU designates.
        int uncoreCpu = -2;
        auto mask = m_uncoreCpuMask.find(event);
        if (mask != m_uncoreCpuMask.end() && !mask->second.empty()) {
            uncoreCpu = std::atoi(mask->second.c_str());
        }

        std::vector<int>& storageCpu = m_slotCpuIndex[event];
        std::vector<CounterTriple>& current = m_countersCurrent[event];
        std::vector<CounterTriple>& last = m_countersLast[event];
        int& nextSlot = m_slotsUsed[event];

        std::vector<int> slots;
        for (size_t ci = 0; ci < m_cpuIntVec.size(); ++ci) {
            const int cpu = uncoreCpu != -2 ? uncoreCpu : m_cpuIntVec[ci];
            for (size_t ti = 0; ti < threads.size(); ++ti) {
                const int slot = nextSlot++;
                if (static_cast<size_t>(slot) >= current.size()) {
                    current.resize(static_cast<size_t>(slot) + 1);
                    last.resize(static_cast<size_t>(slot) + 1);
                }
                if (static_cast<size_t>(slot) >= storageCpu.size()) {
                    storageCpu.resize(static_cast<size_t>(slot) + 1);
                }
                storageCpu[slot] = static_cast<int>(ci);
                itemPlace.emplace_back(attrs.size() - 1, slots.size());
                itemCpu.push_back(cpu);
                slots.push_back(slot);
            }
        }
        m_fds.emplace_back(slots.size(), -1);
        m_fdEvent.push_back(event);
        m_fdSlot.push_back(std::move(slots));
    }

    const size_t perCpu = threads.size();
    PmuAccess::Visit(itemCpu, [&](size_t item) {
        const size_t k = itemPlace[item].first;
        const size_t j = itemPlace[item].second;
        perf_event_attr& attr = attrs[k];
        const int thread = threads[j % perCpu];
        const int cpu = itemCpu[item];
        const int fd = PmuAccess::Open(&attr, thread, cpu, -1, 0);
        if (fd < 0) {
            const int error = errno;
            if (error == EMFILE || error == ENFILE) {
                rlimit limit{};
                getrlimit(RLIMIT_NOFILE, &limit);
                std::cerr << "Cannot open perf fd: too many open files (" << std::strerror(error)
                          << "); the counters need " << m_fdMaxCount << " descriptors and the open-files limit is "
                          << static_cast<unsigned long long>(limit.rlim_cur)
                          << "; raise it (ulimit -n) or measure fewer CPUs or threads" << std::endl;
                exit(1);
            }
            if (m_pid == -1) {
                std::cerr << "Cannot open perf fd!" << std::endl;
                errno = error;
                perror("__NR_perf_event_open");
                std::cerr << "attr.type: " << attr.type << " attr.config: " << attr.config << " pid: " << thread
                          << " cpu: " << cpu << " fd_group: " << -1 << " flag:" << 0 << std::endl;
                exit(1);
            }
            // A measured thread may have ended meanwhile: its reads fail
            // later and contribute nothing.
        }
        m_fds[firstList + k][j] = fd;
    });
    return false;
}

bool Ostrum::StartPerf()
{
    OSTRUM_LOG(DEBUG, "Ostrum::StartPerf()");
    PerfAct(PERF_EVENT_IOC_ENABLE, m_fds);
    return true;
}

bool Ostrum::StopPerf()
{
    OSTRUM_LOG(DEBUG, "Ostrum::StopPerf()");
    PerfAct(PERF_EVENT_IOC_DISABLE, m_fds);
    return true;
}

bool Ostrum::PerfAct(unsigned long request, std::vector<std::vector<int>> fds)
{
    std::vector<int> flat;
    std::vector<int> cpus;
    for (const std::vector<int>& list : fds) {
        for (int fd : list) {
            if (fd >= 0) {
                flat.push_back(fd);
                cpus.push_back(PmuAccess::BoundCpu(fd));
            }
        }
    }
    PmuAccess::Visit(cpus, [&](size_t i) { PmuAccess::Ioctl(flat[i], request); });
    return true;
}

void Ostrum::addFdWithPid()
{
    OSTRUM_LOG(DEBUG, "Ostrum::addFdWithPid()");
    if (m_pid == -1 || m_pid != m_pidByTid) {
        return;
    }
    m_pidAddSet.clear();
    const ThreadSet now = m_lop.GetTidsofPid(m_pid, m_params["threadKeywords"]);
    for (int tid : now) {
        if (m_pidSet.insert(tid).second) {
            m_pidAddSet.insert(tid);
        }
    }
    if (m_pidAddSet.empty()) {
        return;
    }
    const size_t before = m_fds.size();
    // New threads count in every privilege level, whatever -s said.
    OpenPerf(PrivilegeMap());
    std::vector<std::vector<int>> added(m_fds.begin() + static_cast<std::ptrdiff_t>(before), m_fds.end());
    PerfAct(PERF_EVENT_IOC_ENABLE, added);
}

bool Ostrum::ComputeRes(int interval)
{
    OSTRUM_LOG(DEBUG, "Ostrum::ComputeRes(int interval)");
    const bool ok = ReadPerfRes();
    if (ok) {
        addFdWithPid();
        ComputeCounter(interval);
    }
    return ok;
}

bool Ostrum::ReadPerfRes()
{
    OSTRUM_LOG(DEBUG, "Ostrum::ReadPerfRes()");
    if (m_pid != -1) {
        const std::string comm = SysRoot::Resolve("/proc/" + std::to_string(m_pid) + "/comm");
        const std::string taskComm = SysRoot::Resolve("/proc/" + std::to_string(m_pidByTid) + "/task/" +
                                                      std::to_string(m_pid) + "/comm");
        if (!m_fop.ExistFile(comm) && !m_fop.ExistFile(taskComm)) {
            if (m_firstRead) {
                log.LogShow(NONE, "pid %d is not found, please check it", m_pid);
                exit(1);
            }
            m_targetGone = true;
            return false;
        }
    }
    m_firstRead = false;
    // ReadSigelFd for every descriptor in slot order, from the CPU its
    // counter is bound to; the event's slot list is looked up once per
    // opening: this runs for every counter of every period.
    const double start = Footprint::MonotonicSeconds();
    std::vector<std::vector<CounterTriple>*> currentOf(m_fds.size());
    std::vector<std::pair<uint32_t, uint32_t>> items;
    std::vector<int> cpus;
    for (size_t k = 0; k < m_fds.size(); ++k) {
        currentOf[k] = &m_countersCurrent[m_fdEvent[k]];
        for (size_t j = 0; j < m_fds[k].size(); ++j) {
            if (m_fds[k][j] >= 0) {
                items.emplace_back(static_cast<uint32_t>(k), static_cast<uint32_t>(j));
                cpus.push_back(PmuAccess::BoundCpu(m_fds[k][j]));
            }
        }
    }
    PmuAccess::Visit(cpus, [&](size_t i) {
        const size_t k = items[i].first;
        const size_t j = items[i].second;
        const int fd = m_fds[k][j];
        const int slot = m_fdSlot[k][j];
        std::vector<CounterTriple>& current = *currentOf[k];
        if (static_cast<size_t>(slot) >= current.size()) {
            ReadSigelFd(fd, m_fdEvent[k], slot);
            return;
        }
        uint64_t triple[3];
        if (PmuAccess::Read(fd, triple, sizeof(triple)) != static_cast<ssize_t>(sizeof(triple))) {
            return;
        }
        current[slot] = CounterTriple{triple[0], triple[1], triple[2]};
    });
    m_lastReadCounters = items.size();
    m_lastReadSeconds = Footprint::MonotonicSeconds() - start;
    return true;
}

int Ostrum::ReadSigelFd(int fd, PerfEvent event, int slot)
{
    uint64_t triple[3];
    if (fd < 0 || PmuAccess::Read(fd, triple, sizeof(triple)) != static_cast<ssize_t>(sizeof(triple))) {
        return -1;
    }
    std::vector<CounterTriple>& current = m_countersCurrent[event];
    if (static_cast<size_t>(slot) >= current.size()) {
        current.resize(static_cast<size_t>(slot) + 1);
        m_countersLast[event].resize(static_cast<size_t>(slot) + 1);
    }
    current[slot].value = triple[0];
    current[slot].timeEnabled = triple[1];
    current[slot].timeRunning = triple[2];
    return 0;
}

void Ostrum::ComputeCounter(int interval)
{
    const size_t cpus = m_cpuIntVec.size();
    std::vector<uint64_t> coreCount(cpus);
    std::vector<uint64_t> coreTimeTotal(cpus);
    std::vector<uint64_t> coreTimeRunning(cpus);
    for (const PerfEvent& event : m_perfEvents) {
        uint64_t& total = m_perfCountResMap[event];
        total = 0;
        std::fill(coreCount.begin(), coreCount.end(), 0);
        std::fill(coreTimeTotal.begin(), coreTimeTotal.end(), 0);
        std::fill(coreTimeRunning.begin(), coreTimeRunning.end(), 0);

        std::vector<CounterTriple>& current = m_countersCurrent[event];
        std::vector<CounterTriple>& last = m_countersLast[event];
        if (last.size() < current.size()) {
            last.resize(current.size());
        }
        const std::vector<int>& slotCpu = m_slotCpuIndex[event];
        for (size_t slot = 0; slot < current.size(); ++slot) {
            const size_t ci = slot < slotCpu.size() ? static_cast<size_t>(slotCpu[slot]) : cpus;
            if (ci >= cpus) {
                continue;
            }
            coreCount[ci] += current[slot].value - last[slot].value;
            coreTimeTotal[ci] += current[slot].timeEnabled - last[slot].timeEnabled;
            coreTimeRunning[ci] += current[slot].timeRunning - last[slot].timeRunning;
            last[slot] = current[slot];
        }

        std::vector<uint64_t>& perCore = m_perfCoreCountResMap[event];
        if (perCore.size() < cpus) {
            perCore.resize(cpus);
        }
        for (size_t ci = 0; ci < cpus; ++ci) {
            uint64_t count = 0;
            if (coreTimeRunning[ci] != 0) {
                const double rate = (1e9 / static_cast<double>(coreTimeRunning[ci])) * static_cast<double>(coreCount[ci]);
                count = m_bwFlag ? static_cast<uint64_t>(rate) : static_cast<uint64_t>(interval * rate);
            }
            perCore[ci] = count;
            total += count;
            if (g_loglevel.empty()) {
                continue;  // nothing would be logged: skip the formatting arguments
            }
            OSTRUM_LOG(DEBUG,
                       "vecCount: %d cpu : %d  core count: %llu total count: %llu timeRuning: %llu timeTotal: %llu "
                       "pmu config: 0x%04x",
                       static_cast<int>(ci), m_cpuIntVec[ci], static_cast<unsigned long long>(count),
                       static_cast<unsigned long long>(total), static_cast<unsigned long long>(coreTimeRunning[ci]),
                       static_cast<unsigned long long>(coreTimeTotal[ci]), static_cast<unsigned>(event.second));
        }

        if (m_perfCountResAverageMap.size() != m_perfEvents.size()) {
            m_perfCountResAverageMap[event] = total;
        } else {
            uint64_t& average = m_perfCountResAverageMap[event];
            average = (average + total) / 2;
        }
        OSTRUM_LOG(INFO, "Get perf count: %llu pmu type: 0x%04x pmu config: 0x%04x",
                   static_cast<unsigned long long>(total), static_cast<unsigned>(event.first),
                   static_cast<unsigned>(event.second));
    }
}

uint64_t Ostrum::_GetEventsCount(PerfEvent event)
{
    auto found = m_perfCountResMap.find(event);
    return found == m_perfCountResMap.end() ? 0 : found->second;
}

uint64_t Ostrum::_GetEventsCount(PerfEventVec events)
{
    uint64_t sum = 0;
    for (const PerfEvent& event : events) {
        sum += _GetEventsCount(event);
    }
    return sum;
}

uint64_t Ostrum::_GetCoresAndEventsCount(PerfEvent event, int startCore, int endCore)
{
    if (startCore > endCore) {
        return 0;
    }
    auto found = m_perfCoreCountResMap.find(event);
    if (found == m_perfCoreCountResMap.end()) {
        return 0;
    }
    const std::vector<uint64_t>& perCore = found->second;
    // A CPU named twice in the core list counts once, with its first entry.
    if (m_firstEntryOf != m_cpuIntVec) {
        m_firstEntryOf = m_cpuIntVec;
        m_isFirstEntry.assign(m_cpuIntVec.size(), true);
        for (size_t i = 0; i < m_cpuIntVec.size(); ++i) {
            for (size_t j = 0; j < i; ++j) {
                if (m_cpuIntVec[j] == m_cpuIntVec[i]) {
                    m_isFirstEntry[i] = false;
                    break;
                }
            }
        }
    }
    uint64_t sum = 0;
    for (size_t i = 0; i < m_cpuIntVec.size() && i < perCore.size(); ++i) {
        const int cpu = m_cpuIntVec[i];
        if (cpu >= startCore && cpu <= endCore && m_isFirstEntry[i]) {
            sum += perCore[i];
        }
    }
    return sum;
}

std::string Ostrum::GetPrintStr(PerfEventVec events, int interval)
{
    (void)events;
    (void)interval;
    OSTRUM_LOG(DEBUG, "Ostrum::GetPrintStr(vector<pair<int, int>> events, int interval)");
    GetPerfRes();
    return std::string();
}

void Ostrum::GetPerfRes()
{
    OSTRUM_LOG(DEBUG, "Ostrum::GetPerfRes()");
}

std::vector<int> Ostrum::GetUncoreScclsNum()
{
    std::vector<int> sccls;
    std::string text = "uncore sccls: ";
    for (int s = 0; s < 16; ++s) {
        for (int h = 0; h < 32; ++h) {
            const std::string device = innerStr.GetCFormatStr("%s/vexa_sccl%d_hha%d", kDevices, s, h);
            if (m_fop.ExistFile(SysRoot::Resolve(device))) {
                sccls.push_back(s);
                text += std::to_string(s) + " ";
                break;
            }
        }
    }
    OSTRUM_LOG(INFO, "%s", text.c_str());
    return sccls;
}

int Ostrum::GetUncoreClusterPerDieNum()
{
    const int coresPerSccl = Div(m_cores, static_cast<int>(m_sccls.size()));
    int count = 0;
    for (int k = 0;; ++k) {
        const std::string device = innerStr.GetCFormatStr("%s/vexa_sccl1_l3c%d", kDevices, k);
        if (m_fop.ExistFile(SysRoot::Resolve(device))) {
            ++count;
        }
        if (!(k < 31 && (k + 1) * 4 <= coresPerSccl)) {
            break;
        }
    }
    OSTRUM_LOG(INFO, "get uncore cluster per sccl num: %d", count);
    return count;
}

PerfEventVec Ostrum::GetUncoreEvents(std::string parentPath, std::string subPath)
{
    PerfEventVec events;
    if (!m_fop.ExistFile(SysRoot::Resolve(std::string(kDevices) + "/vexa_sccl1_hha2"))) {
        log.LogShow(NONE, "This OS is not support uncore events, L3 and DDR BW can't get");
        return events;
    }
    for (const std::string& device : Glob(SysRoot::Resolve(parentPath))) {
        if (device.empty() || device.back() != '/') {
            continue;  // not a directory
        }
        const std::string dir = device.substr(0, device.size() - 1);
        for (const std::string& file : Glob(innerStr.GetCFormatStr("%s/events/%s", dir.c_str(), subPath.c_str()))) {
            const PerfEvent event = __GetUncoreSingelEvent(dir, file);
            if (event.first != 0 || event.second != 0) {
                events.push_back(event);
                m_uncoreCpuMask[event] = m_fop.ReadFile(dir + "/cpumask");
            }
        }
    }
    return events;
}

PerfEvent Ostrum::__GetUncoreSingelEvent(std::string devicePath, std::string eventFilePath)
{
    // Paths found by GetUncoreEvents are already under the machine root;
    // resolving them again leaves them unchanged.
    const std::string device = SysRoot::Resolve(devicePath);
    const int cpu = std::atoi(m_fop.ReadFile(device + "/cpumask").c_str());
    if (!m_lop.CheckCoreOnline(cpu)) {
        return PerfEvent(0, 0);
    }
    const std::string type = m_fop.ReadFile(device + "/type");
    std::string code = m_fop.ReadFile(SysRoot::Resolve(eventFilePath));
    code = innerStr.ReplaceSub(code, "0x", "", 0);
    code = innerStr.ReplaceSub(code, "config=", "", 0);
    if (type.empty() || code.empty()) {
        return PerfEvent(0, 0);
    }
    return PerfEvent(static_cast<int32_t>(std::strtol(type.c_str(), nullptr, 10)),
                     static_cast<int32_t>(std::strtoul(code.c_str(), nullptr, 16)));
}

std::string Ostrum::GetPrintTitle(std::string title, bool longFlag, std::string appendCPUStr1,
                                  std::string appendCPUStr2)
{
    const int dieWidth = longFlag ? m_dieWidthLong : m_dieWidthShort;
    const int processorWidth = longFlag ? m_processorWidthLong : m_processorWidthShort;
    const int leftWidth = longFlag ? m_leftLenShort : m_leftLenLong;

    std::string line1 = " " + title + " (pid: " + std::to_string(m_pid) + " cpu: " + m_cpuStr + ")";
    line1 = m_str.FormatLen(line1, m_titleWidth + leftWidth, "center", '#');

    std::string line2(static_cast<size_t>(leftWidth), ' ');
    for (int p = 0; p < m_processorCount; ++p) {
        line2 += m_str.FormatLen("CPU" + std::to_string(p), processorWidth + m_diePerProcessor, "center", ' ');
    }
    if (!appendCPUStr1.empty()) {
        line2 += m_str.FormatLen(appendCPUStr1, dieWidth, "center", ' ');
    }
    if (!appendCPUStr2.empty()) {
        line2 += m_str.FormatLen(appendCPUStr2, dieWidth, "center", ' ');
    }

    std::string line3(static_cast<size_t>(leftWidth), ' ');
    for (int d = 0; d < m_dieCount; ++d) {
        const int shown = m_diePerProcessor == 0 ? d : d % m_diePerProcessor;
        line3 += m_str.FormatLen("Die" + std::to_string(shown), dieWidth, "center", ' ') + "|";
    }
    return line1 + "\n" + line2 + "\n" + line3 + "\n";
}
