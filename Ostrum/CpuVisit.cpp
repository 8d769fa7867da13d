#include "CpuVisit.h"

#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "Logger.h"
#include "String.h"
#include "common.h"

namespace {
Logger log;
String innerStr;

// Kernels may be built for more CPUs than glibc's fixed cpu_set_t holds, so
// masks are sized at run time.
class Mask {
public:
    explicit Mask(int cpus) : m_cpus(std::max(cpus, 1)), m_bytes(CPU_ALLOC_SIZE(m_cpus)), m_set(CPU_ALLOC(m_cpus))
    {
        if (m_set != nullptr) {
            CPU_ZERO_S(m_bytes, m_set);
        }
    }
    ~Mask() { CPU_FREE(m_set); }
    Mask(const Mask&) = delete;
    Mask& operator=(const Mask&) = delete;

    bool Valid() const { return m_set != nullptr; }
    int Cpus() const { return m_cpus; }
    bool Has(int cpu) const { return m_set != nullptr && cpu >= 0 && cpu < m_cpus && CPU_ISSET_S(cpu, m_bytes, m_set); }
    void Add(int cpu)
    {
        if (m_set != nullptr && cpu >= 0 && cpu < m_cpus) {
            CPU_SET_S(cpu, m_bytes, m_set);
        }
    }
    bool Read() { return m_set != nullptr && sched_getaffinity(0, m_bytes, m_set) == 0; }
    bool Apply() const { return m_set != nullptr && sched_setaffinity(0, m_bytes, m_set) == 0; }
    std::vector<int> List() const
    {
        std::vector<int> cpus;
        for (int cpu = 0; cpu < m_cpus; ++cpu) {
            if (Has(cpu)) {
                cpus.push_back(cpu);
            }
        }
        return cpus;
    }

private:
    int m_cpus;
    size_t m_bytes;
    cpu_set_t* m_set;
};

int ConfiguredCpus()
{
    const long configured = sysconf(_SC_NPROCESSORS_CONF);
    return configured > 0 ? static_cast<int>(configured) : 1;
}

// The calling thread's affinity; the kernel refuses masks smaller than its
// own CPU count, so the size grows until it is accepted.
int ReadAffinity(std::vector<int>& allowed)
{
    for (int size = std::max(ConfiguredCpus(), 1024); size <= (1 << 22); size *= 2) {
        Mask mask(size);
        if (mask.Read()) {
            allowed = mask.List();
            return size;
        }
        if (errno != EINVAL) {
            break;
        }
    }
    return 0;
}

}  // namespace

CpuVisit& CpuVisit::Shared()
{
    static CpuVisit visit;
    return visit;
}

std::string CpuVisit::ListText(const std::vector<int>& cpus)
{
    std::string text;
    for (size_t i = 0; i < cpus.size();) {
        size_t j = i;
        while (j + 1 < cpus.size() && cpus[j + 1] == cpus[j] + 1) {
            ++j;
        }
        if (!text.empty()) {
            text += ",";
        }
        text += std::to_string(cpus[i]);
        if (j > i) {
            text += "-" + std::to_string(cpus[j]);
        }
        i = j + 1;
    }
    return text;
}

void CpuVisit::SayFallback(int cpu, const std::string& allowed)
{
    if (m_fallbackSaid) {
        return;
    }
    m_fallbackSaid = true;
    log.LogShow(WARN,
                "Ostrum may not run on CPU %d (it may run on CPUs %s): the counters of CPUs it may not run on are "
                "handled from where it runs, which interrupts those CPUs",
                cpu, allowed.c_str());
}

size_t CpuVisit::Pass(const std::vector<int>& cpus, bool simulated, const std::function<void(size_t)>& work)
{
    // Groups in the order of each CPU's first item: groupOf[cpu] is the
    // group of that CPU, or -1.
    int highest = -1;
    for (int cpu : cpus) {
        highest = std::max(highest, cpu);
    }
    std::vector<int> groupOf(static_cast<size_t>(highest + 1), -1);
    std::vector<int> groupCpu;
    std::vector<size_t> groupSize;
    for (int cpu : cpus) {
        if (cpu < 0) {
            continue;
        }
        int& group = groupOf[static_cast<size_t>(cpu)];
        if (group < 0) {
            group = static_cast<int>(groupCpu.size());
            groupCpu.push_back(cpu);
            groupSize.push_back(0);
        }
        ++groupSize[static_cast<size_t>(group)];
    }
    std::vector<size_t> groupStart(groupCpu.size() + 1, 0);
    for (size_t g = 0; g < groupCpu.size(); ++g) {
        groupStart[g + 1] = groupStart[g] + groupSize[g];
    }
    std::vector<size_t> order(groupStart.back());
    std::vector<size_t> fill(groupStart.begin(), groupStart.end() - 1);
    for (size_t i = 0; i < cpus.size(); ++i) {
        if (cpus[i] >= 0) {
            order[fill[static_cast<size_t>(groupOf[static_cast<size_t>(cpus[i])])]++] = i;
        }
    }
    auto doGroup = [&](size_t g) {
        for (size_t k = groupStart[g]; k < groupStart[g + 1]; ++k) {
            work(order[k]);
        }
    };

    for (size_t i = 0; i < cpus.size(); ++i) {
        if (cpus[i] < 0) {
            work(i);
        }
    }
    if (groupCpu.empty()) {
        return 0;
    }

    std::vector<int> allowedList;
    const int maskSize = ReadAffinity(allowedList);
    const std::string allowedText = ListText(allowedList);
    Mask original(std::max(maskSize, 1));
    for (int cpu : allowedList) {
        original.Add(cpu);
    }
    const int present = simulated ? ConfiguredCpus() : -1;

    // The tool visits the CPUs it may run on now; the others are done from
    // where it is, which is always one of those it may run on.
    size_t elsewhere = 0;
    bool moved = false;
    for (size_t g = 0; g < groupCpu.size(); ++g) {
        const int cpu = groupCpu[g];
        if (maskSize > 0 && original.Has(cpu)) {
            Mask one(std::max(maskSize, cpu + 1));
            one.Add(cpu);
            if (one.Apply()) {
                moved = true;
            } else {
                // Taken offline or out of the cpuset since the affinity was
                // read.
                SayFallback(cpu, allowedText);
                ++elsewhere;
            }
        } else {
            if (!(simulated && cpu >= present)) {
                SayFallback(cpu, allowedText);
            }
            ++elsewhere;
        }
        doGroup(g);
    }
    if (moved && !original.Apply()) {
        log.LogShow(ERROR, "cannot restore Ostrum's CPU affinity to CPUs %s: %s", allowedText.c_str(),
                    std::strerror(errno));
    }
    return elsewhere;
}
