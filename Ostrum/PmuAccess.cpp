#include "PmuAccess.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "CpuVisit.h"
#include "PmuSimFile.h"

namespace {

enum class Backend { Unchosen, Kernel, Simulated };

struct SimCounter {
    bool open = false;
    bool enabled = false;
    double rate = 0;
    double running = 1;
    uint64_t enabledNs = 0;  // accumulated over finished enabled spans
    uint64_t since = 0;      // start of the current enabled span
};

Backend g_backend = Backend::Unchosen;
PmuSimFile g_simFile;
// Indexed by descriptor number: descriptors are small integers.
std::vector<SimCounter> g_simCounters;
// The cpu argument each open descriptor was opened with (-1: none).
std::vector<int> g_boundCpu;
// The simulator's record of every counter call, or nullptr.
FILE* g_simTrace = nullptr;

void NoteBound(int fd, int cpu)
{
    if (fd < 0) {
        return;
    }
    if (static_cast<size_t>(fd) >= g_boundCpu.size()) {
        g_boundCpu.resize(static_cast<size_t>(fd) + 64, -1);
    }
    g_boundCpu[static_cast<size_t>(fd)] = cpu;
}

int Bound(int fd)
{
    return fd >= 0 && static_cast<size_t>(fd) < g_boundCpu.size() ? g_boundCpu[static_cast<size_t>(fd)] : -1;
}

void Trace(const char* call, int fd, int bound)
{
    if (g_simTrace == nullptr) {
        return;
    }
    // Flushed line by line: the record must survive an exit on a failed open.
    std::fprintf(g_simTrace, "%s %d %d %d\n", call, fd, bound, sched_getcpu());
    std::fflush(g_simTrace);
}

void OpenTrace()
{
    if (g_simTrace != nullptr) {
        std::fclose(g_simTrace);
        g_simTrace = nullptr;
    }
    const char* path = std::getenv("QUENDAR_PMU_SIM_TRACE");
    if (path != nullptr && *path != '\0') {
        g_simTrace = std::fopen(path, "ae");
    }
}

uint64_t MonotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000000000ull + static_cast<uint64_t>(now.tv_nsec);
}

SimCounter* SimFind(int fd)
{
    if (fd < 0 || static_cast<size_t>(fd) >= g_simCounters.size() || !g_simCounters[fd].open) {
        return nullptr;
    }
    return &g_simCounters[fd];
}

void EnsureBackend()
{
    if (g_backend == Backend::Unchosen) {
        std::string error;
        if (!PmuAccess::Init(error)) {
            // Init left the backend chosen as simulated with no rules: every
            // open fails, as on a machine without these PMUs.
            g_backend = Backend::Simulated;
        }
    }
}

int SimOpen(perf_event_attr* attr, int pid, int cpu)
{
    const PmuSimRule* rule = g_simFile.Match(attr->type, attr->config, pid, cpu);
    if (rule == nullptr) {
        errno = ENOENT;
        return -1;
    }
    const int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    if (static_cast<size_t>(fd) >= g_simCounters.size()) {
        g_simCounters.resize(static_cast<size_t>(fd) + 64);
    }
    SimCounter& counter = g_simCounters[fd];
    counter = SimCounter();
    counter.open = true;
    counter.rate = rule->rate;
    counter.running = rule->running;
    if (attr->disabled == 0) {
        counter.enabled = true;
        counter.since = MonotonicNs();
    }
    return fd;
}

}  // namespace

namespace PmuAccess {

bool Init(std::string& error)
{
    const char* path = std::getenv("QUENDAR_PMU_SIM");
    if (path == nullptr || *path == '\0') {
        UseKernel();
        return true;
    }
    return UseSimulation(path, error);
}

bool UseSimulation(const std::string& path, std::string& error)
{
    g_backend = Backend::Simulated;
    OpenTrace();
    if (!g_simFile.Load(path, error)) {
        g_simFile = PmuSimFile();
        return false;
    }
    return true;
}

void UseKernel()
{
    g_backend = Backend::Kernel;
}

bool IsSimulated()
{
    EnsureBackend();
    return g_backend == Backend::Simulated;
}

int Open(perf_event_attr* attr, int pid, int cpu, int groupFd, unsigned long flags)
{
    EnsureBackend();
    int fd;
    if (g_backend == Backend::Simulated) {
        fd = SimOpen(attr, pid, cpu);
        const int error = errno;
        Trace("open", fd, cpu);
        errno = error;
    } else {
        fd = static_cast<int>(syscall(__NR_perf_event_open, attr, pid, cpu, groupFd, flags));
    }
    NoteBound(fd, cpu);
    return fd;
}

int Ioctl(int fd, unsigned long request)
{
    SimCounter* counter = SimFind(fd);
    if (counter == nullptr) {
        return ::ioctl(fd, request, 0);
    }
    if (request == PERF_EVENT_IOC_ENABLE) {
        Trace("enable", fd, Bound(fd));
        if (!counter->enabled) {
            counter->enabled = true;
            counter->since = MonotonicNs();
        }
        return 0;
    }
    if (request == PERF_EVENT_IOC_DISABLE) {
        Trace("disable", fd, Bound(fd));
        if (counter->enabled) {
            counter->enabledNs += MonotonicNs() - counter->since;
            counter->enabled = false;
        }
        return 0;
    }
    errno = EINVAL;
    return -1;
}

ssize_t Read(int fd, void* buffer, size_t size)
{
    SimCounter* counter = SimFind(fd);
    if (counter == nullptr) {
        return ::read(fd, buffer, size);
    }
    Trace("read", fd, Bound(fd));
    uint64_t triple[3];
    if (size < sizeof(triple)) {
        errno = ENOSPC;
        return -1;
    }
    const uint64_t enabled = counter->enabledNs + (counter->enabled ? MonotonicNs() - counter->since : 0);
    const uint64_t running = static_cast<uint64_t>(static_cast<double>(enabled) * counter->running);
    triple[0] = static_cast<uint64_t>(counter->rate * (static_cast<double>(running) / 1e9));
    triple[1] = enabled;
    triple[2] = running;
    std::memcpy(buffer, triple, sizeof(triple));
    return static_cast<ssize_t>(sizeof(triple));
}

int Close(int fd)
{
    SimCounter* counter = SimFind(fd);
    if (counter != nullptr) {
        Trace("close", fd, Bound(fd));
        *counter = SimCounter();
    }
    NoteBound(fd, -1);
    return ::close(fd);
}

int BoundCpu(int fd)
{
    return Bound(fd);
}

void Visit(const std::vector<int>& cpus, const std::function<void(size_t)>& work)
{
    CpuVisit::Shared().Pass(cpus, IsSimulated(), work);
}

}  // namespace PmuAccess
