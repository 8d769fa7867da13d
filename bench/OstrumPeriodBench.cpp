// One sampling period's own work (reading every counter through the PMU
// access layer, the bookkeeping of ComputeRes, the report) on a 128-CPU
// machine, through the simulated PMU, beside one plain read() system call.
//
// Reported per benchmark: ns_per_counter (the period's work divided by the
// counters, simulated reads included), ratio_to_read (that divided by the
// cost of one read() measured in the same run), own_ns_per_counter and
// own_ratio_to_read (the same periods with the backend calls left out: the
// tool's own work) and rss_bytes_per_counter (resident memory the counters
// added, descriptors and count storage included).
//
//   QUENDAR_SYSROOT is set here to the q60-128 fixture.

#include <fcntl.h>
#include <pthread.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>

#include "L1CL2CBandWidth.h"
#include "PmuAccess.h"

namespace {

double g_readNs = 0;
double g_simReadNs = 0;

double NowNs()
{
    timespec now{};
    // CPU time of this thread: the machine may be busy with other work.
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

long RssBytes()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "VmRSS:") {
            status >> value;
            return value * 1024;
        }
    }
    return 0;
}

void Setup()
{
    static bool done = false;
    if (done) {
        return;
    }
    done = true;
    setenv("QUENDAR_SYSROOT", QUENDAR_FIXTURES "/machines/q60-128", 1);
    char path[] = "/tmp/ostrum-bench-sim-XXXXXX";
    const int fd = mkstemp(path);
    const std::string rules = "* * 1e9\n";
    if (write(fd, rules.data(), rules.size()) < 0) {
        std::perror("write");
    }
    close(fd);
    std::string error;
    if (!PmuAccess::UseSimulation(path, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        std::exit(1);
    }
    unlink(path);
    rlimit many{};
    getrlimit(RLIMIT_NOFILE, &many);
    many.rlim_cur = many.rlim_max < 70000 ? 70000 : many.rlim_max;
    many.rlim_max = many.rlim_cur;
    if (setrlimit(RLIMIT_NOFILE, &many) != 0) {
        getrlimit(RLIMIT_NOFILE, &many);
        many.rlim_cur = many.rlim_max;
        setrlimit(RLIMIT_NOFILE, &many);
    }
}

// Threads of this process named for the process-mode run.
class Workers {
public:
    explicit Workers(int count)
    {
        for (int i = 0; i < count; ++i) {
            m_threads.emplace_back([this]() {
                pthread_setname_np(pthread_self(), "bench-worker");
                ++m_ready;
                std::unique_lock<std::mutex> lock(m_mutex);
                m_wake.wait(lock, [this]() { return m_stop; });
            });
        }
        while (m_ready.load() < count) {
            std::this_thread::yield();
        }
    }
    ~Workers()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        for (std::thread& t : m_threads) {
            t.join();
        }
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::atomic<int> m_ready{0};
    std::vector<std::thread> m_threads;
};

void BM_ReadSyscall(benchmark::State& state)
{
    const int fd = open("/dev/zero", O_RDONLY);
    char buffer[24];
    const int batch = 1000;
    double total = 0;
    int64_t n = 0;
    for (auto _ : state) {
        const double start = NowNs();
        for (int i = 0; i < batch; ++i) {
            benchmark::DoNotOptimize(read(fd, buffer, sizeof(buffer)));
        }
        total += NowNs() - start;
        n += batch;
    }
    close(fd);
    g_readNs = total / static_cast<double>(n);
    state.counters["read_ns"] = g_readNs;
}

// The simulated backend's read, which stands in for the kernel's during the
// period benchmarks: subtracted to give the tool's own work.
void BM_SimulatedRead(benchmark::State& state)
{
    Setup();
    perf_event_attr attr{};
    attr.type = 4;
    attr.size = sizeof(attr);
    attr.config = 4;
    const int fd = PmuAccess::Open(&attr, -1, 0, -1, 0);
    uint64_t triple[3];
    const int batch = 1000;
    double total = 0;
    int64_t n = 0;
    for (auto _ : state) {
        const double start = NowNs();
        for (int i = 0; i < batch; ++i) {
            benchmark::DoNotOptimize(PmuAccess::Read(fd, triple, sizeof(triple)));
        }
        total += NowNs() - start;
        n += batch;
    }
    PmuAccess::Close(fd);
    g_simReadNs = total / static_cast<double>(n);
    state.counters["sim_read_ns"] = g_simReadNs;
}

void RunPeriods(benchmark::State& state, int pid, const ParamMap& params)
{
    Setup();
    const long rssBefore = RssBytes();
    L1CL2CBandWidth collector(pid, "-1", params);
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    if (static_cast<rlim_t>(collector.m_fdMaxCount) + 64 > limit.rlim_cur) {
        // Not enough descriptors for both events here: count L1D only (the
        // report is still built whole).
        collector.m_perfEvents.resize(1);
    }
    collector.InitPerf(collector.m_perfEvents);
    collector.OpenPerf({});
    collector.StartPerf();
    const long rssAfter = RssBytes();
    size_t counters = 0;
    for (const auto& list : collector.m_fds) {
        counters += list.size();
    }
    double total = 0;
    int64_t periods = 0;
    for (auto _ : state) {
        const double start = NowNs();
        collector.ComputeRes(1);
        benchmark::DoNotOptimize(collector.GetPrintStr(collector.m_perfEvents, 1));
        total += NowNs() - start;
        ++periods;
    }
    const double perCounter = total / static_cast<double>(periods) / static_cast<double>(counters);

    // The same periods with the backend calls left out (descriptors set
    // aside, so every read is skipped): what remains is the tool's own work.
    std::vector<std::vector<int>> saved = collector.m_fds;
    for (auto& list : collector.m_fds) {
        std::fill(list.begin(), list.end(), -1);
    }
    double ownTotal = 0;
    const int ownPeriods = static_cast<int>(periods < 50 ? periods : 50);
    for (int i = 0; i < ownPeriods; ++i) {
        const double start = NowNs();
        collector.ComputeRes(1);
        benchmark::DoNotOptimize(collector.GetPrintStr(collector.m_perfEvents, 1));
        ownTotal += NowNs() - start;
    }
    collector.m_fds = saved;
    const double ownPerCounter = ownTotal / ownPeriods / static_cast<double>(counters);
    state.counters["counters"] = static_cast<double>(counters);
    state.counters["events"] = static_cast<double>(collector.m_perfEvents.size());
    state.counters["ns_per_counter"] = perCounter;
    state.counters["ratio_to_read"] = g_readNs > 0 ? perCounter / g_readNs : 0;
    state.counters["own_ns_per_counter"] = ownPerCounter;
    state.counters["own_ratio_to_read"] = g_readNs > 0 ? ownPerCounter / g_readNs : 0;
    state.counters["rss_bytes_per_counter"] = static_cast<double>(rssAfter - rssBefore) / static_cast<double>(counters);
}

// 128 CPUs, all tasks: 2 events x 128 CPUs.
void BM_SystemWidePeriod(benchmark::State& state)
{
    RunPeriods(state, -1, {{"threadKeywords", ""}});
}

// A process of 128 threads on 128 CPUs: 2 events x 128 CPUs x 128 threads.
void BM_ProcessPeriod(benchmark::State& state)
{
    Setup();
    Workers workers(128);
    RunPeriods(state, getpid(), {{"threadKeywords", "^bench-worker$"}});
}

}  // namespace

BENCHMARK(BM_ReadSyscall);
BENCHMARK(BM_SimulatedRead);
BENCHMARK(BM_SystemWidePeriod)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ProcessPeriod)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
