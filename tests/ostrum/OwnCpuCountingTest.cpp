// The base class handles every counter from the CPU it is bound to, as the
// simulated PMU's record of calls shows, and the collectors see the same
// slots and values whether or not the tool may move: a two-CPU machine
// description, core and uncore counters.

#include <sched.h>
#include <time.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CollectorFixture.h"

namespace {

const PerfEvent kL1{4, 0x04};
const PerfEvent kL2{4, 0x16};
// An uncore event whose PMU designates CPU 1.
const PerfEvent kUncore{81, 0x02};

class OwnCpuCollector : public Ostrum {
public:
    OwnCpuCollector() : Ostrum(-1, "-1", ParamMap())
    {
        InsertEventsMap("core", "l1", kL1);
        InsertEventsMap("core", "l2", kL2);
        InsertEventsMap("uncore", "l3", kUncore);
        m_uncoreCpuMask[kUncore] = "1";
        m_bwFlag = true;
        m_fdMaxCount = static_cast<int>(m_perfEvents.size() * m_cpuIntVec.size() * m_pidSet.size());
    }
};

struct Call {
    std::string call;
    int fd;
    int bound;
    int actual;
};

std::vector<Call> ReadTrace(const std::string& path)
{
    std::vector<Call> calls;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        Call c;
        if (fields >> c.call >> c.fd >> c.bound >> c.actual) {
            calls.push_back(c);
        }
    }
    return calls;
}

std::vector<int> Affinity()
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

bool SetAffinity(const std::vector<int>& cpus)
{
    cpu_set_t set;
    CPU_ZERO(&set);
    for (int cpu : cpus) {
        CPU_SET(cpu, &set);
    }
    return sched_setaffinity(0, sizeof(set), &set) == 0;
}

class OwnCpuCounting : public CollectorFixture {
protected:
    void SetUp() override
    {
        m_affinity = Affinity();
        if (m_affinity.size() < 2 || m_affinity[0] != 0 || m_affinity[1] != 1) {
            GTEST_SKIP() << "needs CPUs 0 and 1";
        }
        UseMachine("q60-2cpu");
    }
    void TearDown() override
    {
        SetAffinity(m_affinity);
        CollectorFixture::TearDown();
    }

    // One whole life of a collector through the simulated PMU, its calls
    // recorded; per-CPU counts of the period in counts.
    std::vector<Call> Run(std::map<PerfEvent, std::vector<uint64_t>>& counts)
    {
        const std::string trace = m_dir.Sub("trace.txt");
        ScopedEnv record("QUENDAR_PMU_SIM_TRACE", trace);
        // CPU 1 counts three times what CPU 0 counts.
        UseSimRules("* * 1e8 cpu=0\n* * 3e8 cpu=1\n");
        {
            OwnCpuCollector c;
            EXPECT_EQ(c.m_cpuIntVec, (CoreList{0, 1}));
            c.InitPerf(c.m_perfEvents);
            c.OpenPerf(PrivilegeMap());
            c.StartPerf();
            timespec pause{0, 20 * 1000 * 1000};
            nanosleep(&pause, nullptr);
            EXPECT_TRUE(c.ComputeRes(1));
            c.StopPerf();
            for (const PerfEvent& event : c.m_perfEvents) {
                counts[event] = c.m_perfCoreCountResMap[event];
                counts[event].resize(2);
            }
        }
        PmuAccess::UseKernel();
        return ReadTrace(trace);
    }

    static int Count(const std::vector<Call>& calls, const std::string& call, int bound)
    {
        int n = 0;
        for (const Call& c : calls) {
            n += c.call == call && c.bound == bound ? 1 : 0;
        }
        return n;
    }

    std::vector<int> m_affinity;
};

TEST_F(OwnCpuCounting, EveryCallComesFromTheCounterCpu)
{
    std::map<PerfEvent, std::vector<uint64_t>> counts;
    const std::vector<Call> calls = Run(counts);
    ASSERT_FALSE(calls.empty()) << "the simulator records the calls";
    for (const Call& c : calls) {
        EXPECT_EQ(c.actual, c.bound) << c.call << " of descriptor " << c.fd;
    }
    // Core events once per CPU; the uncore event on its PMU's CPU for every
    // CPU of the core list.
    for (const std::string call : {"open", "enable", "read", "disable", "close"}) {
        EXPECT_EQ(Count(calls, call, 0), 2) << call;
        EXPECT_EQ(Count(calls, call, 1), 4) << call;
    }
    EXPECT_EQ(Affinity(), m_affinity) << "the affinity is back after every pass";
    // The slots keep their CPUs: CPU 1 counts three times CPU 0.
    for (const PerfEvent& event : {kL1, kL2}) {
        EXPECT_GT(counts[event][1], 2 * counts[event][0]) << event.second;
        EXPECT_GT(counts[event][0], 0u);
    }
    EXPECT_GT(counts[kUncore][0], 2 * 100000000ull) << "uncore slots of both CPUs count on CPU 1";
    EXPECT_GT(counts[kUncore][1], 2 * 100000000ull);
}

TEST_F(OwnCpuCounting, ConfinedToOneCpuEverythingIsDoneFromThere)
{
    ASSERT_TRUE(SetAffinity({0}));
    std::map<PerfEvent, std::vector<uint64_t>> counts;
    testing::internal::CaptureStdout();
    const std::vector<Call> calls = Run(counts);
    testing::internal::GetCapturedStdout();
    ASSERT_FALSE(calls.empty());
    for (const Call& c : calls) {
        EXPECT_EQ(c.actual, 0) << c.call << " of descriptor " << c.fd << " bound to " << c.bound;
    }
    EXPECT_EQ(Count(calls, "read", 1), 4) << "CPU 1's counters are still read";
    EXPECT_EQ(Affinity(), std::vector<int>{0}) << "the confinement is kept";
    for (const PerfEvent& event : {kL1, kL2}) {
        EXPECT_GT(counts[event][1], 2 * counts[event][0]) << event.second;
        EXPECT_GT(counts[event][0], 0u);
    }
}

}  // namespace
