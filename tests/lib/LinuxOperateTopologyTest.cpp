#include <gtest/gtest.h>

#include <pthread.h>
#include <signal.h>
#include <sys/wait.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

#include "Fixtures.h"
#include "LinuxOperate.h"
#include "ScopedEnv.h"
#include "TempDir.h"

namespace {

using Ints = std::vector<int>;

// A tiny described machine: CPUs 0-8, CPU 2 offline, two nodes, a DMI
// table with the short socket names.
class SmallMachine : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int cpu = 1; cpu <= 8; ++cpu) {
            m_root.Write("sys/devices/system/cpu/cpu" + std::to_string(cpu) + "/online", cpu == 2 ? "0\n" : "1\n");
        }
        m_root.Write("sys/devices/system/cpu/cpu0/topology/core_id", "0\n");
        m_root.Write("sys/devices/system/cpu/cpufreq/policy0", "x");
        m_root.Write("sys/devices/system/cpu/cpuidle/x", "x");
        m_root.Write("sys/devices/system/cpu/online", "0-1,3-8\n");
        m_root.Write("sys/devices/system/node/node0/cpulist", "0-1,3\n");
        m_root.Write("sys/devices/system/node/node1/cpulist", "4-8\n");
        m_root.Write("sys/devices/system/node/node2/cpulist", "\n");
        m_root.Write("sys/firmware/dmi/tables/DMI", std::string("\x04\x30\0\0CPU1\0\0\x04\x30\0\0CPU2\0\0", 20));
    }
    TempDir m_root;
    ScopedEnv m_env{"QUENDAR_SYSROOT", m_root.Path()};
};

TEST_F(SmallMachine, CountsAndOnline)
{
    LinuxOperate op;
    EXPECT_EQ(op.GetProcessorCount(), 2);
    EXPECT_EQ(op.GetDieCount(), 2);
    EXPECT_EQ(op.GetCoreCount(), 9) << "cpu0..cpu8, not cpufreq or cpuidle";
    EXPECT_EQ(op.GetOnlineCpuListStr(), "0-1,3-8");
    const std::vector<std::pair<int, bool>> online = {{0, true}, {1, true}, {2, false}, {8, true}, {9, false}};
    for (const auto& c : online) {
        EXPECT_EQ(op.CheckCoreOnline(c.first), c.second) << c.first;
    }
}

TEST_F(SmallMachine, CpuListsDropOfflineCores)
{
    LinuxOperate op;
    const std::vector<std::pair<std::string, Ints>> cases = {
        {"0-3,8", {0, 1, 3, 8}},
        {"-1", {-1}},
        {"8,1,1", {8, 1, 1}},
        {"2", {}},
        {"7-7", {7}},
        {"6-12", {6, 7, 8}},
        {"", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(op.GetCpuListVec(c.first), c.second) << c.first;
    }
}

TEST(CpuListTextTest, Validator)
{
    LinuxOperate op;
    const std::vector<std::pair<std::string, bool>> cases = {
        {"-1", true},     {"0", true},     {"0-3,8", true},  {"10-20,30,31", true}, {"5-5", true},
        {"", false},      {"a", false},    {"1,a", false},   {"3-1", false},        {"1-", false},
        {"-", false},     {"1,,2", false}, {"1,", false},    {"1-2-3", false},      {" 1", false},
        {"-2", false},    {"0x3", false},  {"99999999999", false}, {"1-99999999", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(op.IsCpuListText(c.first), c.second) << "'" << c.first << "'";
    }
}

TEST(CpuListTextTest, MalformedListEndsTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const std::string bad : {"1,x", "4-2", "0-3,"}) {
        EXPECT_EXIT(LinuxOperate().GetCpuListVec(bad), ::testing::ExitedWithCode(1), "invalid CPU list") << bad;
    }
}

TEST(CpuListTextTest, ListToText)
{
    LinuxOperate op;
    const std::vector<std::pair<Ints, std::string>> cases = {
        {{0, 1, 2, 5, 7, 8}, "0-2,5,7-8"},
        {{8, 7, 0, 2, 1, 5}, "0-2,5,7-8"},
        {{3}, "3"},
        {{}, ""},
        {{1, 1, 2}, "1-2"},
        {{0, 2, 4}, "0,2,4"},
        {{-1}, "-1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(op.GetCpuListstr(c.first), c.second);
    }
}

TEST(FixtureMachines, Topology)
{
    struct Case {
        const char* machine;
        int sockets, dies, cores;
        std::string online;
    };
    const std::vector<Case> cases = {
        {"q60-2s", 2, 4, 96, "0-92,94"},
        {"q60b-1s", 1, 2, 48, "0-47"},
        {"q50", 1, 2, 32, "0-31"},
        {"other", 1, 1, 8, "0-7"},
    };
    for (const Case& c : cases) {
        ScopedEnv root("QUENDAR_SYSROOT", FixtureMachine(c.machine));
        LinuxOperate op;
        EXPECT_EQ(op.GetProcessorCount(), c.sockets) << c.machine;
        EXPECT_EQ(op.GetDieCount(), c.dies) << c.machine;
        EXPECT_EQ(op.GetCoreCount(), c.cores) << c.machine;
        EXPECT_EQ(op.GetOnlineCpuListStr(), c.online) << c.machine;
        // The list the machine calls online is what the CPU-list parser keeps.
        EXPECT_EQ(op.GetCpuListstr(op.GetCpuListVec("0-" + std::to_string(c.cores - 1))), c.online) << c.machine;
    }
}

TEST(FixtureMachines, UncoreDevicesOfTheQ60Server)
{
    ScopedEnv root("QUENDAR_SYSROOT", FixtureMachine("q60-2s"));
    LinuxOperate op;
    const std::string devices = op.MachinePath("/sys/bus/event_source/devices");
    struct Case {
        const char* pattern;
        size_t count;
    };
    for (const Case& c : std::vector<Case>{{"vexa_sccl*_hha*", 8}, {"vexa_sccl*_l3c*", 24}, {"vexa_sccl*_ddrc*", 16},
                                           {"vexa_sccl3_l3c*", 6}, {"vexa_sccl2_*", 0}}) {
        EXPECT_EQ(op.GetWildcardPath(devices + "/" + c.pattern).size(), c.count) << c.pattern;
    }
    FileOperate fop;
    std::set<std::string> types;
    for (const std::string& dir : op.GetWildcardPath(devices + "/vexa_*")) {
        types.insert(fop.ReadFile(dir + "type"));
    }
    EXPECT_EQ(types.size(), 48u) << "every device has its own PMU type";
    // SCCL 2d+1 lies on die d; a device counts on the first online CPU of its die.
    for (const std::string& dir : op.GetWildcardPath(devices + "/vexa_sccl*")) {
        int sccl = -1;
        ASSERT_EQ(std::sscanf(dir.c_str() + devices.size(), "/vexa_sccl%d_", &sccl), 1) << dir;
        const std::string nodeList =
            fop.ReadFile(op.MachinePath("/sys/devices/system/node/node" + std::to_string((sccl - 1) / 2) + "/cpulist"));
        EXPECT_EQ(fop.ReadFile(dir + "cpumask"), nodeList.substr(0, nodeList.find_first_of(",-"))) << dir;
    }
}

TEST(WildcardTest, DirectoriesOnlyWithSlash)
{
    TempDir dir;
    dir.Write("pmu_b/type", "1");
    dir.Write("pmu_a/type", "2");
    dir.Write("pmu_file", "not a dir");
    LinuxOperate op;
    EXPECT_EQ(op.GetWildcardPath(dir.Sub("pmu_*")),
              (std::vector<std::string>{dir.Sub("pmu_a/"), dir.Sub("pmu_b/")}));
    EXPECT_EQ(op.GetWildcardPath(dir.Sub("none*")), std::vector<std::string>{});
}

TEST(DirListingTest, FindTypes)
{
    TempDir dir;
    dir.Write("f1", "x");
    dir.Write("sub/f2", "x");
    dir.Write("sub/deeper/f3", "x");
    ::symlink(dir.Sub("f1").c_str(), dir.Sub("link").c_str());
    struct Case {
        bool sub;
        int type;
        std::set<std::string> found;
    };
    const std::string f1 = dir.Sub("f1"), link = dir.Sub("link"), sub = dir.Sub("sub"), f2 = dir.Sub("sub/f2");
    const std::vector<Case> cases = {
        {false, 0, {f1, link}},
        {true, 0, {f1, link, f2}},
        {false, 1, {f1, link, sub}},
        {true, 1, {f1, link, sub}},
        {false, 2, {f1, link, sub}},
        {true, 2, {f1, link, sub, f2}},
    };
    LinuxOperate op;
    for (const Case& c : cases) {
        const std::vector<std::string> got = op.GetDirFullFiles(dir.Path(), {"given"}, c.sub, c.type);
        ASSERT_FALSE(got.empty());
        EXPECT_EQ(got.front(), "given");
        EXPECT_EQ(std::set<std::string>(got.begin() + 1, got.end()), c.found) << c.sub << " " << c.type;
    }
    EXPECT_EQ(op.GetDirFullFiles(dir.Sub("f1"), {"kept"}, true, 2), std::vector<std::string>{"kept"});
    EXPECT_EQ(op.GetDirFullFiles("", {}, true, 2), std::vector<std::string>{});
}

// A process of our own with named threads, for the thread queries.
class NamedThreads : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"worker-1", "worker-2", "io-loop"}) {
            m_threads.emplace_back([this, name]() {
                pthread_setname_np(pthread_self(), name);
                {
                    std::lock_guard<std::mutex> lock(m_lock);
                    m_tids[name] = static_cast<int>(::syscall(SYS_gettid));
                }
                m_ready.notify_all();
                std::unique_lock<std::mutex> lock(m_lock);
                m_done.wait(lock, [this]() { return m_stop; });
            });
        }
        std::unique_lock<std::mutex> lock(m_lock);
        m_ready.wait(lock, [this]() { return m_tids.size() == 3; });
    }
    void TearDown() override
    {
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_stop = true;
        }
        m_done.notify_all();
        for (std::thread& thread : m_threads) {
            thread.join();
        }
    }
    int Tid(const std::string& name)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_tids[name];
    }

    std::mutex m_lock;
    std::condition_variable m_ready;
    std::condition_variable m_done;
    bool m_stop = false;
    std::map<std::string, int> m_tids;
    std::vector<std::thread> m_threads;
};

TEST_F(NamedThreads, ThreadsByKeyword)
{
    LinuxOperate op;
    const int pid = ::getpid();
    struct Case {
        std::string keyword;
        std::vector<std::string> expected;  // thread names that must be in the result
        std::vector<std::string> absent;
    };
    const std::vector<Case> cases = {
        {"worker", {"worker-1", "worker-2"}, {"io-loop"}},
        {"^worker-2$", {"worker-2"}, {"worker-1", "io-loop"}},
        {"loop|-1", {"io-loop", "worker-1"}, {"worker-2"}},
        {"orke", {"worker-1", "worker-2"}, {"io-loop"}},
    };
    for (const Case& c : cases) {
        const std::unordered_set<int> tids = op.GetTidsofPid(pid, c.keyword);
        for (const std::string& name : c.expected) {
            EXPECT_EQ(tids.count(Tid(name)), 1u) << c.keyword << " " << name;
        }
        for (const std::string& name : c.absent) {
            EXPECT_EQ(tids.count(Tid(name)), 0u) << c.keyword << " " << name;
        }
        EXPECT_EQ(tids.count(pid), 0u) << "the main thread is not named like the workers";
    }
    const std::unordered_set<int> all = op.GetTidsofPid(pid, "");
    for (const char* name : {"worker-1", "worker-2", "io-loop"}) {
        EXPECT_EQ(all.count(Tid(name)), 1u) << name;
    }
    EXPECT_EQ(all.count(pid), 1u);
    EXPECT_EQ(op.GetTidsofPid(-1, "x"), std::unordered_set<int>{-1});
}

TEST_F(NamedThreads, ThreadIdsLeadToTheirNamesAndProcess)
{
    LinuxOperate op;
    const int pid = ::getpid();
    EXPECT_EQ(op.GetPidByTid(Tid("worker-2")), pid);
    EXPECT_EQ(op.GetPidByTid(pid), pid);
    EXPECT_EQ(op.GetPidByTid(-1), -1);
    EXPECT_EQ(op.GetProcessFullCommandwithPid(Tid("io-loop")), "io-loop");
    EXPECT_EQ(op.GetProcessFullCommandwithTid(pid, Tid("worker-1")), "worker-1");
}

TEST(ProcessQueries, CommandLineOfAProcess)
{
    LinuxOperate op("PATH=/usr/bin:/bin");
    ::testing::internal::CaptureStdout();
    const int child = op.ForkRunBackGround("sleep 30");
    ::testing::internal::GetCapturedStdout();
    std::string command;
    for (int i = 0; i < 1000 && command != "sleep 30 "; ++i) {
        command = op.GetProcessFullCommandwithPid(child);
        ::usleep(10000);
    }
    EXPECT_EQ(command, "sleep 30 ");
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
}

TEST(ProcessQueries, MissingIdsEndTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // Beyond the kernel's largest pid (4194304), so never a live process.
    const int missing = 4194304 + 7;
    EXPECT_EXIT(LinuxOperate().GetPidByTid(missing), ::testing::ExitedWithCode(1), "pid or tid: 4194311 is not found");
    EXPECT_EXIT(LinuxOperate().GetTidsofPid(missing, ""), ::testing::ExitedWithCode(1),
                "pid: 4194311 is not found on system");
    EXPECT_EXIT(LinuxOperate().GetTidsofPid(::getpid(), "(unclosed"), ::testing::ExitedWithCode(1),
                "invalid thread keyword expression");
}

TEST(ProcessQueries, KeywordValidator)
{
    LinuxOperate op;
    const std::vector<std::pair<std::string, bool>> cases = {
        {"worker", true}, {"", true}, {"a|b[0-9]+", true}, {"(unclosed", false}, {"[z-a]", false}, {"*x", false}};
    for (const auto& c : cases) {
        EXPECT_EQ(op.IsThreadKeywordsText(c.first), c.second) << c.first;
    }
}

}  // namespace
