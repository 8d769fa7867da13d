// What the four top-down collectors share as counters: their events, on which
// CPUs and for which threads they are opened, and how many descriptors that
// takes.

#include <algorithm>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "TopDown.h"
#include "TopDownQ60B.h"
#include "TopDownQ60C.h"
#include "TopDownQ60F.h"
#include "TopDownReportTest.h"

namespace {

template <class M>
struct Traits;
template <>
struct Traits<TopDown> {
    static constexpr size_t kEvents = 35;
    static constexpr const char* kMachine = "q60-2s";
};
template <>
struct Traits<TopDownQ60B> {
    static constexpr size_t kEvents = 51;
    static constexpr const char* kMachine = "q60b-1s";
};
template <>
struct Traits<TopDownQ60C> {
    static constexpr size_t kEvents = 61;
    static constexpr const char* kMachine = "q60c";
};
template <>
struct Traits<TopDownQ60F> {
    static constexpr size_t kEvents = 44;
    static constexpr const char* kMachine = "q60f";
};

template <class M>
class TopDownCollector : public ::testing::Test {
protected:
    void SetUp() override { topdown_test::UseMachine(Traits<M>::kMachine); }
};

using Models = ::testing::Types<TopDown, TopDownQ60B, TopDownQ60C, TopDownQ60F>;
TYPED_TEST_SUITE(TopDownCollector, Models);

TYPED_TEST(TopDownCollector, OpensOneRawCounterPerTableRowInTableOrder)
{
    TypeParam collector(-1, "0-3", ParamMap{});
    ASSERT_EQ(collector.m_perfEvents.size(), Traits<TypeParam>::kEvents);
    ASSERT_EQ(collector.m_topDownDesc.size(), Traits<TypeParam>::kEvents);
    std::set<PerfEvent> distinct;
    std::set<std::string> names;
    for (size_t i = 0; i < collector.m_perfEvents.size(); ++i) {
        EXPECT_EQ(collector.m_perfEvents[i].first, 4) << i;
        EXPECT_EQ(collector.m_perfEvents[i].second, collector.m_topDownDesc[i].second) << i;
        distinct.insert(collector.m_perfEvents[i]);
        names.insert(collector.m_topDownDesc[i].first);
    }
    // each event once, as every count is keyed by event
    EXPECT_EQ(distinct.size(), collector.m_perfEvents.size());
    EXPECT_EQ(names.size(), collector.m_perfEvents.size());
    EXPECT_EQ(collector.m_leftWidht, 48);
}

TYPED_TEST(TopDownCollector, SystemWideCountsOnEveryListedCpu)
{
    TypeParam collector(-1, "0-3", ParamMap{});
    EXPECT_EQ(collector.m_cpuIntVec, (CoreList{0, 1, 2, 3}));
    EXPECT_EQ(collector.m_fdMaxCount, static_cast<int>(Traits<TypeParam>::kEvents * 4));
}

TYPED_TEST(TopDownCollector, AMeasuredProcessIsFollowedOnAnyCpu)
{
    // This test program is the measured process: its threads are counted
    // wherever they run, whatever CPU list was given.
    const int pid = static_cast<int>(getpid());
    TypeParam collector(pid, "0-3", ParamMap{});
    EXPECT_EQ(collector.m_cpuIntVec, (CoreList{-1}));
    ASSERT_FALSE(collector.m_pidSet.empty());
    EXPECT_EQ(collector.m_fdMaxCount,
              static_cast<int>(Traits<TypeParam>::kEvents * collector.m_pidSet.size()));

    // The title names the process and the CPU list as given.
    collector.m_perfCountResMap[PerfEvent(4, 0x0011)] = 1;
    std::string report = collector.GetPrintStr(collector.m_perfEvents, 1);
    std::string title = " Top-down Analysis Summary (pid: " + std::to_string(pid) + " cpu: 0-3) ";
    EXPECT_EQ(report.find(title), report.find_first_not_of('#'));
    EXPECT_EQ(report.substr(0, report.find('\n')).size(), std::max<size_t>(58, title.size()));
}

}  // namespace
