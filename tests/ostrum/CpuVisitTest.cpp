// Counters are handled from their own CPU: the order of a pass, the moves
// onto each CPU, the fallback when the tool is confined, and the silence
// about CPUs a described machine has and this one lacks.

#include "CpuVisit.h"

#include <sched.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

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

int Occurrences(const std::string& text, const std::string& needle)
{
    int count = 0;
    for (size_t pos = text.find(needle); pos != std::string::npos; pos = text.find(needle, pos + 1)) {
        ++count;
    }
    return count;
}

const char* kNotice = "Ostrum may not run on CPU";

// Every test leaves the thread's affinity as it found it.
class CpuVisitTest : public ::testing::Test {
protected:
    void SetUp() override { m_affinity = Affinity(); }
    void TearDown() override { SetAffinity(m_affinity); }

    // A CPU number no machine running the tests has.
    static int Absent() { return static_cast<int>(sysconf(_SC_NPROCESSORS_CONF)) + 4000; }

    std::vector<int> m_affinity;
};

TEST_F(CpuVisitTest, ItemsAreDoneCpuByCpuInOrderOfFirstAppearance)
{
    // CPUs this machine lacks are never moved onto, so the order is the same
    // on any machine: items without a CPU first, then the CPUs by their
    // first item, each CPU's items in their order.
    const int a = Absent();
    const int b = Absent() + 1;
    struct Case {
        const char* name;
        std::vector<int> cpus;
        std::vector<size_t> order;
    };
    const std::vector<Case> cases = {
        {"nothing", {}, {}},
        {"no cpu only", {-1, -1, -1}, {0, 1, 2}},
        {"one cpu", {a, a}, {0, 1}},
        {"interleaved", {b, a, b, a, b}, {0, 2, 4, 1, 3}},
        {"no cpu first", {a, -1, b, -1, a}, {1, 3, 0, 4, 2}},
    };
    for (const Case& c : cases) {
        CpuVisit visit;
        std::vector<size_t> done;
        visit.Pass(c.cpus, true, [&](size_t i) { done.push_back(i); });
        EXPECT_EQ(done, c.order) << c.name;
    }
}

TEST_F(CpuVisitTest, EachItemRunsOnItsOwnCpuAndTheAffinityComesBack)
{
    if (m_affinity.size() < 2) {
        GTEST_SKIP() << "needs two CPUs the tests may run on";
    }
    const int first = m_affinity[0];
    const int second = m_affinity[1];
    const std::vector<int> cpus = {second, first, -1, second, first};
    for (bool simulated : {false, true}) {
        CpuVisit visit;
        std::vector<int> ranOn(cpus.size(), -2);
        const size_t elsewhere = visit.Pass(cpus, simulated, [&](size_t i) { ranOn[i] = sched_getcpu(); });
        for (size_t i = 0; i < cpus.size(); ++i) {
            if (cpus[i] >= 0) {
                EXPECT_EQ(ranOn[i], cpus[i]) << "item " << i << (simulated ? " simulated" : " kernel");
            } else {
                EXPECT_GE(ranOn[i], 0) << "item without a CPU is done too";
            }
        }
        EXPECT_EQ(elsewhere, 0u);
        EXPECT_FALSE(visit.FallbackSaid());
        EXPECT_EQ(Affinity(), m_affinity) << "affinity restored after the pass";
    }
}

TEST_F(CpuVisitTest, ConfinedToOneCpuWorksFromThereAndSaysSoOnce)
{
    if (m_affinity.size() < 2) {
        GTEST_SKIP() << "needs two CPUs the tests may run on";
    }
    const int home = m_affinity[0];
    const int other = m_affinity[1];
    ASSERT_TRUE(SetAffinity({home}));
    for (bool simulated : {false, true}) {
        CpuVisit visit;
        const std::vector<int> cpus = {home, other, other, home};
        std::vector<int> ranOn(cpus.size(), -2);
        testing::internal::CaptureStdout();
        size_t elsewhere = 0;
        for (int pass = 0; pass < 3; ++pass) {
            elsewhere = visit.Pass(cpus, simulated, [&](size_t i) { ranOn[i] = sched_getcpu(); });
        }
        const std::string out = testing::internal::GetCapturedStdout();
        for (size_t i = 0; i < cpus.size(); ++i) {
            EXPECT_EQ(ranOn[i], home) << "item " << i << " stays where the tool may run";
        }
        EXPECT_EQ(elsewhere, 1u);
        EXPECT_TRUE(visit.FallbackSaid());
        EXPECT_EQ(Occurrences(out, kNotice), 1) << out;
        EXPECT_NE(out.find("CPU " + std::to_string(other) + " (it may run on CPUs " + std::to_string(home) + ")"),
                  std::string::npos)
            << out;
        EXPECT_EQ(Affinity(), std::vector<int>{home}) << "the confinement is kept";
    }
}

TEST_F(CpuVisitTest, CpusThisMachineLacksAreSilentOnlyWhenSimulated)
{
    struct Case {
        bool simulated;
        bool said;
    };
    for (const Case& c : {Case{true, false}, Case{false, true}}) {
        CpuVisit visit;
        int done = 0;
        testing::internal::CaptureStdout();
        const size_t elsewhere = visit.Pass({Absent(), -1}, c.simulated, [&](size_t) { ++done; });
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(done, 2);
        EXPECT_EQ(elsewhere, 1u);
        EXPECT_EQ(visit.FallbackSaid(), c.said) << (c.simulated ? "simulated" : "kernel");
        EXPECT_EQ(Occurrences(out, kNotice), c.said ? 1 : 0) << out;
        EXPECT_EQ(Affinity(), m_affinity);
    }
}

TEST(CpuVisitListText, WritesCpuListsAsTheKernelDoes)
{
    struct Case {
        std::vector<int> cpus;
        const char* text;
    };
    const std::vector<Case> cases = {
        {{}, ""},
        {{0}, "0"},
        {{0, 1}, "0-1"},
        {{0, 1, 2, 3, 8}, "0-3,8"},
        {{1, 3, 4, 6, 7, 8}, "1,3-4,6-8"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CpuVisit::ListText(c.cpus), c.text);
    }
}

}  // namespace
