#include "Ostrum.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CollectorFixture.h"
#include "NamedThreads.h"

namespace {

// A collector with the events a test gives it.
class TestCollector : public Ostrum {
public:
    TestCollector(int pid, std::string cpu, ParamMap params, PerfEventVec events, bool bandwidth = false)
        : Ostrum(pid, std::move(cpu), std::move(params))
    {
        for (size_t i = 0; i < events.size(); ++i) {
            InsertEventsMap("test", "event" + std::to_string(i), events[i]);
        }
        m_bwFlag = bandwidth;
        m_fdMaxCount = static_cast<int>(m_perfEvents.size() * m_cpuIntVec.size() * m_pidSet.size());
    }
};

const PerfEvent kL1{4, 0x04};
const PerfEvent kL2{4, 0x16};

class OstrumCore : public CollectorFixture {};

struct ScaleCase {
    const char* name;
    uint64_t value;
    uint64_t running;
    int interval;
    bool bandwidth;
    uint64_t expected;
};

class OstrumScaling : public CollectorFixture, public ::testing::WithParamInterface<ScaleCase> {};

TEST_P(OstrumScaling, CompensatesMultiplexingAgainstTheInterval)
{
    const ScaleCase& c = GetParam();
    UseMachine("q60b-1s");
    TestCollector collector(-1, "0", {}, {kL1}, c.bandwidth);
    PrepareCounts(collector);
    collector.m_countersCurrent[kL1][0] = CounterTriple{c.value, 5000000000ull, c.running};
    collector.ComputeCounter(c.interval);
    EXPECT_EQ(collector._GetEventsCount(kL1), c.expected);
    EXPECT_EQ(collector.m_perfCoreCountResMap[kL1][0], c.expected);
}

INSTANTIATE_TEST_SUITE_P(Periods, OstrumScaling,
                         ::testing::Values(
                             // half of a 5 s period multiplexed: 5 x (1e9 / 2.5e9) x 1000
                             ScaleCase{"half_multiplexed", 1000, 2500000000ull, 5, false, 2000},
                             ScaleCase{"half_multiplexed_per_second", 1000, 2500000000ull, 5, true, 400},
                             ScaleCase{"never_ran", 1000, 0, 5, false, 0},
                             ScaleCase{"full_period", 700, 5000000000ull, 5, false, 700}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(OstrumCore, RunningAverageWeighsRecentPeriodsMore)
{
    UseMachine("q60b-1s");
    TestCollector collector(-1, "0", {}, {kL1, kL2});
    PrepareCounts(collector);
    for (double total : {100.0, 200.0, 300.0}) {
        FeedPeriod(collector, [total](PerfEvent e, int) { return e == kL1 ? total : 2 * total; }, 1);
    }
    EXPECT_EQ(collector.m_perfCountResAverageMap[kL1], 225u);
    EXPECT_EQ(collector.m_perfCountResAverageMap[kL2], 450u);
    EXPECT_EQ(collector._GetEventsCount(kL1), 300u) << "the period total is the last period's";
}

TEST_F(OstrumCore, PerCpuCountsFollowTheCoreList)
{
    UseMachine("q60b-1s");
    TestCollector collector(-1, "8,0-3,1", {}, {kL1});
    ASSERT_EQ(collector.m_cpuIntVec, CoreList({8, 0, 1, 2, 3, 1}));
    PrepareCounts(collector);
    FeedPeriod(collector, [](PerfEvent, int cpu) { return 10.0 * (cpu + 1); }, 2);

    struct RangeCase {
        int start, end;
        uint64_t expected;
    };
    // Counts over 2 s: CPU c gives 20 x (c + 1); CPU 1 is listed twice and
    // counts once.
    for (const RangeCase& r : std::vector<RangeCase>{{0, 3, 20 + 40 + 60 + 80},
                                                     {4, 7, 0},
                                                     {8, 8, 180},
                                                     {0, 47, 20 + 40 + 60 + 80 + 180},
                                                     {3, 2, 0}}) {
        EXPECT_EQ(collector._GetCoresAndEventsCount(kL1, r.start, r.end), r.expected) << r.start << "-" << r.end;
    }
    EXPECT_EQ(collector._GetCoresAndEventsCount(kL2, 0, 47), 0u) << "an event never computed";
    EXPECT_EQ(collector._GetEventsCount(PerfEventVec{kL1, kL2}), collector._GetEventsCount(kL1));
}

TEST_F(OstrumCore, SystemWideDefaultsToEveryUsableCpu)
{
    UseMachine("q60-2s");
    TestCollector all(-1, "-1", {}, {kL1});
    EXPECT_EQ(all.m_cpuStr, "0-92,94");
    EXPECT_EQ(all.m_cpuIntVec.size(), 94u);
    EXPECT_EQ(all.m_pidSet, ThreadSet({-1}));
    EXPECT_EQ(all.m_fdMaxCount, 94);

    TestCollector some(-1, "0-3", {}, {kL1, kL2});
    EXPECT_EQ(some.m_cpuIntVec, CoreList({0, 1, 2, 3}));
    EXPECT_EQ(some.m_fdMaxCount, 8);
}

TEST_F(OstrumCore, TopologyOfTheDescribedMachine)
{
    UseMachine("q60-2s");
    TestCollector c(-1, "0", {}, {});
    EXPECT_EQ(c.m_processorCount, 2);
    EXPECT_EQ(c.m_cores, 96);
    EXPECT_EQ(c.m_dieCount, 4);
    EXPECT_EQ(c.m_corePerDie, 24);
    EXPECT_EQ(c.m_diePerProcessor, 2);
    EXPECT_EQ(c.m_clusterPerDie, 6);
    EXPECT_EQ(c.m_sccls, std::vector<int>({1, 3, 5, 7}));
    // 24 cores per SCCL: clusters 0 to 6 are probed, 6 exist.
    EXPECT_EQ(c.m_clusterPerSccl, 6);
    EXPECT_EQ(c.m_processorWidthLong, 30);

    UseMachine("q60b-1s");
    TestCollector plain(-1, "0", {}, {});
    EXPECT_TRUE(plain.m_sccls.empty());
    EXPECT_EQ(plain.m_clusterPerSccl, 0);
}

TEST_F(OstrumCore, UncoreEventsOfEveryMatchingDevice)
{
    UseMachine("q60-2s");
    TestCollector c(-1, "0", {}, {});
    const PerfEventVec events = c.GetUncoreEvents("/sys/bus/event_source/devices/vexa_sccl3_ddrc*", "flux_rd");
    ASSERT_EQ(events.size(), 4u);
    std::set<int32_t> types;
    for (const PerfEvent& e : events) {
        types.insert(e.first);
        EXPECT_EQ(e.second, 0x01);
        // SCCL 3 is die 1 of the fixture: its devices are opened on CPU 24.
        EXPECT_EQ(c.m_uncoreCpuMask[e], "24");
    }
    EXPECT_EQ(types.size(), 4u) << "each device has its own dynamic type";
    EXPECT_TRUE(c.GetUncoreEvents("/sys/bus/event_source/devices/vexa_sccl3_ddrc*", "no_such_event").empty());

    UseMachine("q60b-1s");
    TestCollector none(-1, "0", {}, {});
    EXPECT_TRUE(none.GetUncoreEvents("/sys/bus/event_source/devices/vexa_sccl*_ddrc*", "flux_rd").empty());
}

struct SingleEventCase {
    const char* name;
    const char* type;
    const char* cpumask;
    const char* event;
    PerfEvent expected;
};

class UncoreSingleEvent : public CollectorFixture, public ::testing::WithParamInterface<SingleEventCase> {};

TEST_P(UncoreSingleEvent, ReadsTypeAndCode)
{
    const SingleEventCase& c = GetParam();
    const std::string dev = "root/sys/bus/event_source/devices/vexa_sccl1_ddrc0";
    m_dir.Write(dev + "/type", c.type);
    m_dir.Write(dev + "/cpumask", c.cpumask);
    const std::string eventFile = m_dir.Write(dev + "/events/flux_rd", c.event);
    m_dir.Write("root/sys/devices/system/cpu/cpu5/online", "0\n");
    m_dir.Write("root/sys/devices/system/cpu/cpu4/online", "1\n");
    ScopedEnv root("QUENDAR_SYSROOT", m_dir.Sub("root"));
    TestCollector collector(-1, "0", {}, {});
    EXPECT_EQ(collector.__GetUncoreSingelEvent(m_dir.Sub(dev), eventFile), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Files, UncoreSingleEvent,
                         ::testing::Values(SingleEventCase{"config_form", "37\n", "0\n", "config=0x12\n", {37, 0x12}},
                                           SingleEventCase{"bare_code", "37", "4", "0x12", {37, 0x12}},
                                           SingleEventCase{"offline_cpu", "37", "5", "config=0x12", {0, 0}},
                                           SingleEventCase{"empty_type", "", "0", "config=0x12", {0, 0}},
                                           SingleEventCase{"empty_event", "37", "0", "", {0, 0}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(OstrumCore, TitleOfOneProcessorWithTwoDies)
{
    UseMachine("q60b-1s");
    TestCollector c(-1, "0-47", {}, {});
    c.m_cpuStr = "0-63";
    const std::string text = " Cache and DDR Bandwidth (pid: -1 cpu: 0-63)";
    const std::string expectedLong = std::string(27, '#') + text + std::string(27, '#') + "\n" +
                                     std::string(18, ' ') + std::string(14, ' ') + "CPU0" + std::string(14, ' ') +
                                     std::string(5, ' ') + "TOTAL" + std::string(5, ' ') + "\n" +
                                     std::string(18, ' ') + "     Die0      |     Die1      |\n";
    EXPECT_EQ(c.GetPrintTitle("Cache and DDR Bandwidth", true, "TOTAL", ""), expectedLong);

    const std::string expectedShort = std::string(30, '#') + text + std::string(31, '#') + "\n" +
                                      std::string(25, ' ') + std::string(10, ' ') + "CPU0" + std::string(10, ' ') +
                                      "    RD     " + "\n" + std::string(25, ' ') + "   Die0    |   Die1    |\n";
    EXPECT_EQ(c.GetPrintTitle("Cache and DDR Bandwidth", false, "RD", ""), expectedShort);
}

TEST_F(OstrumCore, ThreadsOfAProcessDecideTheCountingMode)
{
    UseMachine("q60b-1s");
    NamedThreads few(3, "oc-few");
    const ParamMap fewKeyword{{"threadKeywords", "^oc-few$"}};
    TestCollector perCpu(getpid(), "0-1", fewKeyword, {kL1});
    EXPECT_EQ(perCpu.m_pidSet, ThreadSet(few.Tids().begin(), few.Tids().end()));
    EXPECT_EQ(perCpu.m_cpuIntVec, CoreList({0, 1}));
    EXPECT_FALSE(perCpu.m_cpuNoneFlag);
    EXPECT_EQ(perCpu.m_fdMaxCount, 6);

    TestCollector noMatch(getpid(), "-1", {{"threadKeywords", "^no-thread-has-this-name$"}}, {kL1});
    EXPECT_TRUE(noMatch.m_pidSet.empty());
    EXPECT_EQ(noMatch.m_fdMaxCount, 0);

    const int tid = few.Tids().front();
    TestCollector oneThread(tid, "-1", {}, {kL1});
    EXPECT_EQ(oneThread.m_pidSet, ThreadSet({tid}));
    EXPECT_EQ(oneThread.m_cpuIntVec.size(), 48u) << "a single thread is counted on every usable CPU";
}

TEST_F(OstrumCore, MoreThan128ThreadsAreCountedOnAnyCpu)
{
    UseMachine("q60b-1s");
    NamedThreads many(128, "oc-many");
    const ParamMap keyword{{"threadKeywords", "^oc-many$"}};
    TestCollector exactly(getpid(), "0-3", keyword, {kL1});
    EXPECT_EQ(exactly.m_pidSet.size(), 128u);
    EXPECT_EQ(exactly.m_cpuIntVec, CoreList({0, 1, 2, 3}));
    EXPECT_FALSE(exactly.m_cpuNoneFlag);

    many.Add(1, "oc-many");
    TestCollector above(getpid(), "0-3", keyword, {kL1});
    EXPECT_EQ(above.m_pidSet.size(), 129u);
    EXPECT_EQ(above.m_cpuIntVec, CoreList({-1}));
    EXPECT_TRUE(above.m_cpuNoneFlag);
    EXPECT_EQ(above.m_fdMaxCount, 129);
}

TEST_F(OstrumCore, UncoreCountersOpenOnTheirPmuCpu)
{
    UseMachine("q60b-1s");
    // Only CPU 24 accepts the uncore event: any other cpu argument would
    // fail the system-wide open and end the test program.
    UseSimRules("40 0x01 1000 cpu=24\n4 * 1000\n");
    TestCollector c(-1, "0-3", {}, {PerfEvent{40, 0x01}, kL1});
    c.m_uncoreCpuMask[PerfEvent{40, 0x01}] = "24";
    PrepareCounts(c);
    c.OpenPerf({});
    ASSERT_EQ(c.m_fds.size(), 2u);
    EXPECT_EQ(c.m_fds[0].size(), 4u) << "once per listed CPU, each time on CPU 24";
    for (int fd : c.m_fds[0]) {
        EXPECT_GE(fd, 0);
    }
}

TEST_F(OstrumCore, FailedOpenOfASystemWideCounterIsFatal)
{
    UseMachine("q60b-1s");
    UseSimRules("4 0x04 1000\n");
    TestCollector c(-1, "0-1", {}, {kL1, kL2});
    PrepareCounts(c);
    EXPECT_EXIT(c.OpenPerf({}), ::testing::ExitedWithCode(1),
                "Cannot open perf fd!\n__NR_perf_event_open: No such file or directory\n"
                "attr.type: 4 attr.config: 22 pid: -1 cpu: 0 fd_group: -1 flag:0\n");
}

TEST_F(OstrumCore, FailedOpenForAProcessIsTolerated)
{
    UseMachine("q60b-1s");
    UseSimRules("4 0x04 1000\n");
    TestCollector c(getpid(), "0-1", {}, {kL2});
    PrepareCounts(c);
    c.OpenPerf({});
    c.StartPerf();
    ASSERT_EQ(c.m_fds.size(), 1u);
    for (int fd : c.m_fds[0]) {
        EXPECT_LT(fd, 0);
    }
    EXPECT_TRUE(c.ComputeRes(1));
    EXPECT_EQ(c._GetEventsCount(kL2), 0u);
}

TEST_F(OstrumCore, RunningOutOfDescriptorsIsSaidClearly)
{
    UseMachine("q60b-1s");
    UseSimRules("* * 1000\n");
    NamedThreads threads(4, "oc-fd");
    TestCollector c(getpid(), "-1", {{"threadKeywords", "^oc-fd$"}}, {kL1, kL2});
    PrepareCounts(c);
    auto openUnderLowLimit = [&c]() {
        rlimit low{};
        low.rlim_cur = low.rlim_max = 64;
        setrlimit(RLIMIT_NOFILE, &low);
        c.OpenPerf(PrivilegeMap());
    };
    EXPECT_EXIT(openUnderLowLimit(), ::testing::ExitedWithCode(1), "too many open files.*384 descriptors.*limit is 64");
}

TEST_F(OstrumCore, ThreadsStartedDuringTheRunAreFollowed)
{
    UseMachine("q60b-1s");
    // One event per running nanosecond: counts grow between two reads.
    UseSimRules("* * 1e9\n");
    NamedThreads threads(2, "oc-late");
    TestCollector c(getpid(), "0-1", {{"threadKeywords", "^oc-late$"}}, {kL1});
    PrepareCounts(c);
    c.OpenPerf({{"exclude_kernel", 1}});
    c.StartPerf();
    ASSERT_TRUE(c.ComputeRes(1));
    ASSERT_EQ(c.m_fds.size(), 1u);

    threads.Add(1, "oc-late");
    ASSERT_TRUE(c.ComputeRes(1));
    EXPECT_EQ(c.m_pidSet.size(), 3u);
    EXPECT_EQ(c.m_pidAddSet, ThreadSet({threads.Tids().back()}));
    ASSERT_EQ(c.m_fds.size(), 2u) << "one more opening of the event";
    EXPECT_EQ(c.m_fds[1].size(), 2u) << "one counter per CPU for the new thread";
    // Every (CPU, thread) has its own slot, and the new ones count on CPU 0 and 1.
    std::set<int> slots;
    for (const auto& list : c.m_fdSlot) {
        slots.insert(list.begin(), list.end());
    }
    EXPECT_EQ(slots.size(), 6u);
    EXPECT_EQ(c.m_slotCpuIndex[kL1][c.m_fdSlot[1][0]], 0);
    EXPECT_EQ(c.m_slotCpuIndex[kL1][c.m_fdSlot[1][1]], 1);
    EXPECT_EQ(c.m_countersCurrent[kL1].size(), 6u);

    ASSERT_TRUE(c.ComputeRes(1));
    EXPECT_GT(c.m_perfCoreCountResMap[kL1][0], 0u);
    EXPECT_GT(c.m_perfCoreCountResMap[kL1][1], 0u);
}

// A child process to measure, ended on demand.
class Child {
public:
    Child()
    {
        m_pid = fork();
        if (m_pid == 0) {
            pause();
            _exit(0);
        }
    }
    ~Child() { End(); }
    void End()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
            m_pid = -m_pid;
        }
    }
    int Pid() const { return m_pid < 0 ? -m_pid : m_pid; }

private:
    int m_pid = -1;
};

TEST_F(OstrumCore, ProcessGoneBeforeTheFirstReadIsFatal)
{
    UseMachine("q60b-1s");
    UseSimRules("* * 1000\n");
    Child child;
    TestCollector c(child.Pid(), "0", {}, {kL1});
    PrepareCounts(c);
    c.OpenPerf({});
    child.End();
    // The message is shown on standard output, which the check reads here.
    auto read = [&c]() {
        dup2(2, 1);
        c.ReadPerfRes();
    };
    EXPECT_EXIT(read(), ::testing::ExitedWithCode(1),
                "pid " + std::to_string(child.Pid()) + " is not found, please check it");
}

TEST_F(OstrumCore, ProcessGoneLaterKeepsTheLastCounts)
{
    UseMachine("q60b-1s");
    Child child;
    TestCollector c(child.Pid(), "0", {}, {kL1});
    PrepareCounts(c);
    FeedPeriod(c, [](PerfEvent, int) { return 50.0; }, 2);
    ASSERT_TRUE(c.ReadPerfRes());
    child.End();
    EXPECT_FALSE(c.ComputeRes(2));
    EXPECT_TRUE(c.m_targetGone);
    EXPECT_EQ(c._GetEventsCount(kL1), 100u);
}

}  // namespace
