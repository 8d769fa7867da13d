// What a counter costs when it is handled from another CPU, and what it
// costs from its own, on the running kernel.
//
// Opens software counters (cpu-clock) spread evenly over the CPUs the
// program may run on, enables them, and in one run:
//   old way: the program stays on one CPU and reads (or disables, then enables)
//            every counter from there: the kernel interrupts each other CPU
//            and waits for it;
//   new way: a CpuVisit pass moves the program onto each CPU in turn and
//            handles that CPU's counters there (the moves are included).
// Prints the per-counter costs (the median pass of several) and the ratios.
//
//   ostrum_read_own_cpu_bench [counters [passes]]     default 2000 and 7
//
// Needs per-CPU counters (root, or kernel.perf_event_paranoid <= 0) and at
// least two CPUs.

#include <linux/perf_event.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "CpuVisit.h"
#include "Footprint.h"
#include "PmuAccess.h"

namespace {

struct Counter {
    int fd;
    int cpu;
};

std::vector<int> AllowedCpus()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    std::vector<int> cpus;
    if (sched_getaffinity(0, sizeof(set), &set) == 0) {
        for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
            if (CPU_ISSET(cpu, &set)) {
                cpus.push_back(cpu);
            }
        }
    }
    return cpus;
}

bool PinTo(const std::vector<int>& cpus)
{
    cpu_set_t set;
    CPU_ZERO(&set);
    for (int cpu : cpus) {
        CPU_SET(cpu, &set);
    }
    return sched_setaffinity(0, sizeof(set), &set) == 0;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

void ReadOne(const Counter& counter)
{
    uint64_t triple[3];
    if (PmuAccess::Read(counter.fd, triple, sizeof(triple)) != static_cast<ssize_t>(sizeof(triple))) {
        std::fprintf(stderr, "read of a counter on CPU %d failed: %s\n", counter.cpu, std::strerror(errno));
        std::exit(1);
    }
}

void DisableOne(const Counter& counter)
{
    PmuAccess::Ioctl(counter.fd, PERF_EVENT_IOC_DISABLE);
}

void EnableOne(const Counter& counter)
{
    PmuAccess::Ioctl(counter.fd, PERF_EVENT_IOC_ENABLE);
}

using Op = std::function<void(const Counter&)>;

// Microseconds per counter for each operation of a sequence (a read, or a
// disable followed by the enable that puts the counters back), the median
// of the passes, every operation applied to the whole list before the next.
std::vector<double> Costs(const std::vector<Counter>& counters, int passes, const std::vector<Op>& ops,
                          const std::function<void(const Op&)>& pass)
{
    std::vector<std::vector<double>> seconds(ops.size());
    for (int p = 0; p < passes; ++p) {
        for (size_t o = 0; o < ops.size(); ++o) {
            const double start = Footprint::MonotonicSeconds();
            pass(ops[o]);
            seconds[o].push_back(Footprint::MonotonicSeconds() - start);
        }
    }
    std::vector<double> costs;
    for (const std::vector<double>& s : seconds) {
        costs.push_back(counters.empty() ? 0.0 : Median(s) * 1e6 / static_cast<double>(counters.size()));
    }
    return costs;
}

struct Figures {
    std::vector<double> oldAll;    // every counter from one CPU
    std::vector<double> oldOther;  // the counters of the other CPUs, from that CPU
    std::vector<double> oldOwn;    // the counters of that CPU itself
    std::vector<double> newAll;    // every counter from its own CPU, moves included
};

Figures Measure(const std::vector<Counter>& counters, const std::vector<int>& allowed, int passes,
                const std::vector<Op>& ops)
{
    const int home = allowed[0];
    std::vector<Counter> other;
    std::vector<Counter> own;
    for (const Counter& c : counters) {
        (c.cpu == home ? own : other).push_back(c);
    }
    std::vector<int> cpus;
    for (const Counter& c : counters) {
        cpus.push_back(c.cpu);
    }
    auto fromHome = [&](const std::vector<Counter>& list) {
        return Costs(list, passes, ops, [&](const Op& op) {
            for (const Counter& c : list) {
                op(c);
            }
        });
    };
    Figures f;
    PinTo({home});
    f.oldAll = fromHome(counters);
    f.oldOther = fromHome(other);
    f.oldOwn = fromHome(own);
    PinTo(allowed);
    CpuVisit visit;
    f.newAll = Costs(counters, passes, ops,
                     [&](const Op& op) { visit.Pass(cpus, false, [&](size_t i) { op(counters[i]); }); });
    return f;
}

void Print(const std::vector<const char*>& what, const Figures& f, int home)
{
    for (size_t o = 0; o < what.size(); ++o) {
        const char* w = what[o];
        std::printf("%-8s old way, every counter from CPU %d:    %8.2f us per counter\n", w, home, f.oldAll[o]);
        std::printf("%-8s   of which other CPUs' counters:       %8.2f us per counter\n", "", f.oldOther[o]);
        std::printf("%-8s   of which CPU %d's own counters:       %8.2f us per counter\n", "", home, f.oldOwn[o]);
        std::printf("%-8s new way, each from its own CPU:        %8.2f us per counter (moves included)\n", w,
                    f.newAll[o]);
        std::printf("%-8s ratio old/new: %.1fx   other-CPU/own-CPU: %.1fx\n", w, f.oldAll[o] / f.newAll[o],
                    f.oldOther[o] / f.oldOwn[o]);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const long wanted = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 2000;
    const int passes = argc > 2 ? static_cast<int>(std::strtol(argv[2], nullptr, 10)) : 7;
    if (wanted < 2 || wanted > 1000000 || passes < 1 || passes > 1000) {
        std::fprintf(stderr, "usage: %s [counters (2..1000000) [passes (1..1000)]]\n", argv[0]);
        return 1;
    }
    const std::vector<int> allowed = AllowedCpus();
    if (allowed.size() < 2) {
        std::fprintf(stderr, "needs at least two CPUs to run on; this process may run on %zu\n", allowed.size());
        return 1;
    }

    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < static_cast<rlim_t>(wanted + 64)) {
        limit.rlim_cur = std::min<rlim_t>(limit.rlim_max, static_cast<rlim_t>(wanted + 64));
        setrlimit(RLIMIT_NOFILE, &limit);
    }

    PmuAccess::UseKernel();
    perf_event_attr attr;
    std::memset(&attr, 0, sizeof(attr));
    attr.type = PERF_TYPE_SOFTWARE;
    attr.size = sizeof(attr);
    attr.config = PERF_COUNT_SW_CPU_CLOCK;
    attr.read_format = PERF_FORMAT_TOTAL_TIME_ENABLED | PERF_FORMAT_TOTAL_TIME_RUNNING;
    attr.disabled = 1;

    std::vector<Counter> counters;
    for (long i = 0; i < wanted; ++i) {
        const int cpu = allowed[static_cast<size_t>(i) % allowed.size()];
        const int fd = PmuAccess::Open(&attr, -1, cpu, -1, 0);
        if (fd < 0) {
            std::fprintf(stderr, "cannot open a cpu-clock counter on CPU %d (%s); per-CPU counters need root or "
                         "kernel.perf_event_paranoid <= 0\n", cpu, std::strerror(errno));
            return 1;
        }
        counters.push_back(Counter{fd, cpu});
    }
    for (const Counter& c : counters) {
        PmuAccess::Ioctl(c.fd, PERF_EVENT_IOC_ENABLE);
    }

    std::printf("%zu cpu-clock counters, %zu per CPU on CPUs %s; median of %d passes\n", counters.size(),
                counters.size() / allowed.size(), CpuVisit::ListText(allowed).c_str(), passes);
    Print({"read"}, Measure(counters, allowed, passes, {ReadOne}), allowed[0]);
    // Enabling costs the kernel a rescheduling of every counter of the CPU,
    // so it grows with the counters per CPU wherever it is asked from.
    Print({"disable", "enable"}, Measure(counters, allowed, passes, {DisableOne, EnableOne}), allowed[0]);

    for (const Counter& c : counters) {
        PmuAccess::Close(c.fd);
    }
    return 0;
}
