// The kernel backend, against the running kernel: software events (which
// every Linux kernel offers, unlike the Quendar PMUs) opened, enabled, read,
// scaled and closed through the same base class the collectors use.

#include <linux/perf_event.h>
#include <pthread.h>
#include <sched.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "Ostrum.h"
#include "PmuAccess.h"
#include "ScopedEnv.h"

namespace {

const PerfEvent kTaskClock{PERF_TYPE_SOFTWARE, PERF_COUNT_SW_TASK_CLOCK};
const PerfEvent kCpuClock{PERF_TYPE_SOFTWARE, PERF_COUNT_SW_CPU_CLOCK};

class SoftwareEvents : public Ostrum {
public:
    SoftwareEvents(int pid, std::string cpu, ParamMap params, PerfEventVec events)
        : Ostrum(pid, std::move(cpu), std::move(params))
    {
        for (size_t i = 0; i < events.size(); ++i) {
            InsertEventsMap("sw", std::to_string(i), events[i]);
        }
        m_fdMaxCount = static_cast<int>(m_perfEvents.size() * m_cpuIntVec.size() * m_pidSet.size());
    }
};

// A thread spinning on CPU 0 until stopped.
class BusyThread {
public:
    BusyThread()
    {
        m_thread = std::thread([this]() {
            cpu_set_t one;
            CPU_ZERO(&one);
            CPU_SET(0, &one);
            pthread_setaffinity_np(pthread_self(), sizeof(one), &one);
            pthread_setname_np(pthread_self(), "oc-busy");
            m_tid = static_cast<int>(syscall(SYS_gettid));
            while (!m_stop.load()) {
            }
        });
        while (m_tid.load() == 0) {
            std::this_thread::yield();
        }
    }
    ~BusyThread()
    {
        m_stop = true;
        m_thread.join();
    }
    int Tid() const { return m_tid.load(); }

private:
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_tid{0};
    std::thread m_thread;
};

class KernelPmu : public ::testing::Test {
protected:
    void SetUp() override
    {
        PmuAccess::UseKernel();
        perf_event_attr attr;
        std::memset(&attr, 0, sizeof(attr));
        attr.type = PERF_TYPE_SOFTWARE;
        attr.size = sizeof(attr);
        attr.config = PERF_COUNT_SW_TASK_CLOCK;
        attr.disabled = 1;
        const int fd = PmuAccess::Open(&attr, 0, -1, -1, 0);
        if (fd < 0) {
            GTEST_SKIP() << "perf_event_open is not available here (" << std::strerror(errno)
                         << "); the kernel backend cannot be tested";
        }
        PmuAccess::Close(fd);
    }

    static void Wait()
    {
        timespec pause{0, 200 * 1000 * 1000};
        nanosleep(&pause, nullptr);
    }
};

TEST_F(KernelPmu, BusyThreadCountsItsRunningTimeOnItsCpu)
{
    ScopedEnv real("QUENDAR_SYSROOT", nullptr);
    BusyThread busy;
    // One thread, counted on CPUs 0 and 1: it runs only on CPU 0.
    SoftwareEvents c(busy.Tid(), sysconf(_SC_NPROCESSORS_ONLN) > 1 ? "0-1" : "0", {}, {kTaskClock});
    c.InitPerf(c.m_perfEvents);
    c.OpenPerf({});
    ASSERT_EQ(c.m_fds.size(), 1u);
    for (int fd : c.m_fds[0]) {
        ASSERT_GE(fd, 0) << std::strerror(errno);
    }
    c.StartPerf();
    Wait();
    ASSERT_TRUE(c.ComputeRes(1));
    // task-clock counts nanoseconds of running time, so per second of
    // running the scaled count is about 1e9, however long the wait was.
    const double perSecond = static_cast<double>(c.m_perfCoreCountResMap[kTaskClock][0]);
    EXPECT_GT(perSecond, 0.8e9);
    EXPECT_LT(perSecond, 1.2e9);
    if (c.m_cpuIntVec.size() > 1) {
        EXPECT_EQ(c.m_perfCoreCountResMap[kTaskClock][1], 0u) << "the thread never ran on CPU 1";
    }
    const uint64_t firstRaw = c.m_countersCurrent[kTaskClock][0].value;

    Wait();
    ASSERT_TRUE(c.ComputeRes(1));
    EXPECT_GT(c.m_countersCurrent[kTaskClock][0].value, firstRaw) << "the counter keeps growing";
    EXPECT_GT(c._GetEventsCount(kTaskClock), static_cast<uint64_t>(0.8e9));

    c.StopPerf();
    const uint64_t stopped = c.m_countersCurrent[kTaskClock][0].value;
    ASSERT_TRUE(c.ReadPerfRes());
    const uint64_t afterStop = c.m_countersCurrent[kTaskClock][0].value;
    Wait();
    ASSERT_TRUE(c.ReadPerfRes());
    EXPECT_GE(afterStop, stopped);
    EXPECT_EQ(c.m_countersCurrent[kTaskClock][0].value, afterStop) << "a disabled counter stays still";
}

TEST_F(KernelPmu, SystemWideCpuClockFollowsWallTime)
{
    ScopedEnv real("QUENDAR_SYSROOT", nullptr);
    SoftwareEvents c(-1, "0", {}, {kCpuClock});
    c.m_bwFlag = true;
    c.InitPerf(c.m_perfEvents);
    c.OpenPerf({});
    ASSERT_EQ(c.m_fds.size(), 1u);
    ASSERT_EQ(c.m_fds[0].size(), 1u);
    c.StartPerf();
    Wait();
    ASSERT_TRUE(c.ComputeRes(1));
    // cpu-clock of one CPU counts every nanosecond: 1e9 per second.
    const double perSecond = static_cast<double>(c._GetEventsCount(kCpuClock));
    EXPECT_GT(perSecond, 0.8e9);
    EXPECT_LT(perSecond, 1.2e9);
    EXPECT_GT(c.m_countersCurrent[kCpuClock][0].timeEnabled, 0u);
}

}  // namespace
