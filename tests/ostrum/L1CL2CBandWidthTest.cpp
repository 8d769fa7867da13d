#include "L1CL2CBandWidth.h"

#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CollectorFixture.h"
#include "NamedThreads.h"

namespace {

const PerfEvent kL1{4, 0x04};
const PerfEvent kL2{4, 0x16};

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::stringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// The cells of a table row: label, one per die, then the total.
std::vector<std::string> Cells(const std::string& row)
{
    std::vector<std::string> cells;
    std::stringstream in(row.substr(18));
    for (std::string cell; std::getline(in, cell, '|');) {
        const size_t first = cell.find_first_not_of(' ');
        const size_t last = cell.find_last_not_of(' ');
        cells.push_back(first == std::string::npos ? "" : cell.substr(first, last - first + 1));
    }
    return cells;
}

struct RateCase {
    const char* name;
    int interval;
    double running;
    // per-second rate of one CPU, by event and die (q60-2s: 24 CPUs per die)
    std::vector<double> l1PerCpu;
    std::vector<double> l2PerCpu;
    std::vector<std::string> l1Cells;
    std::vector<std::string> l2Cells;
};

class L1L2Rows : public CollectorFixture, public ::testing::WithParamInterface<RateCase> {};

TEST_P(L1L2Rows, ShowMegabytesPerSecondPerDie)
{
    const RateCase& c = GetParam();
    UseMachine("q60-2s");
    L1CL2CBandWidth collector(-1, "-1", {});
    PrepareCounts(collector);
    FeedPeriod(
        collector,
        [&](PerfEvent e, int cpu) { return (e == kL1 ? c.l1PerCpu : c.l2PerCpu).at(static_cast<size_t>(cpu / 24)); },
        c.interval, c.running);
    const std::vector<std::string> lines = Lines(collector.GetPrintStr(collector.m_perfEvents, c.interval));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[3].substr(0, 18), "L1 Cache  BW :    ");
    EXPECT_EQ(Cells(lines[3]), c.l1Cells);
    EXPECT_EQ(lines[4].substr(0, 18), "L2 Cache  BW :    ");
    EXPECT_EQ(Cells(lines[4]), c.l2Cells);
    EXPECT_EQ(collector.m_resMap["L1BW"]["die0"], c.l1Cells[0]);
    EXPECT_EQ(collector.m_resMap["L2BW"]["system"] + " MB/s", c.l2Cells.back());
}

// 65,536 L1 accesses of 16 bytes are 1 MB; 16,384 L2 accesses of 64 bytes too.
// Die 3 of the fixture has 22 online CPUs (93 and 95 are offline).
INSTANTIATE_TEST_SUITE_P(
    Rates, L1L2Rows,
    ::testing::Values(
        RateCase{"one_megabyte_on_die0", 1, 1.0, {65536.0 / 24, 0, 0, 0}, {16384.0 / 24, 0, 0, 0},
                 {"1.00", "0.00", "0.00", "0.00", "1.00 MB/s"}, {"1.00", "0.00", "0.00", "0.00", "1.00 MB/s"}},
        // per-second rates: the interval does not change the figures
        RateCase{"five_second_period", 5, 1.0, {65536, 0, 65536, 65536}, {0, 16384, 0, 16384},
                 {"24.00", "0.00", "24.00", "22.00", "70.00 MB/s"}, {"0.00", "24.00", "0.00", "22.00", "46.00 MB/s"}},
        // multiplexed for a quarter of the time: scaled back up
        RateCase{"multiplexed", 2, 0.25, {65536.0 / 24, 0, 0, 0}, {0, 0, 0, 16384.0 / 22},
                 {"1.00", "0.00", "0.00", "0.00", "1.00 MB/s"}, {"0.00", "0.00", "0.00", "1.00", "1.00 MB/s"}}),
    [](const auto& info) { return std::string(info.param.name); });

class L1L2Report : public CollectorFixture {};

TEST_F(L1L2Report, TitleNamesTheTableAndTheCpus)
{
    UseMachine("q60-2s");
    L1CL2CBandWidth collector(-1, "0-47", {});
    PrepareCounts(collector);
    FeedPeriod(collector, [](PerfEvent, int) { return 1.0; }, 1);
    const std::vector<std::string> lines = Lines(collector.GetPrintStr(collector.m_perfEvents, 1));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_NE(lines[0].find(" Cache and DDR Bandwidth (pid: -1 cpu: 0-47)"), std::string::npos);
    EXPECT_EQ(lines[0].size(), 98u);
    EXPECT_NE(lines[1].find("CPU1"), std::string::npos);
    EXPECT_NE(lines[1].find("TOTAL"), std::string::npos);
    EXPECT_EQ(collector.m_bwFlag, true);
    EXPECT_EQ(collector.m_eventsMap["L1BW"]["L1D_CACHE"], kL1);
    EXPECT_EQ(collector.m_eventsMap["L2BW"]["L2D_CACHE"], kL2);
    EXPECT_EQ(collector.m_perfEvents, PerfEventVec({kL1, kL2}));
}

TEST_F(L1L2Report, WithoutPerCpuCountsDiesShowSlash)
{
    UseMachine("q60b-1s");
    NamedThreads many(129, "bw-many");
    L1CL2CBandWidth collector(getpid(), "-1", {{"threadKeywords", "^bw-many$"}});
    ASSERT_TRUE(collector.m_cpuNoneFlag);
    PrepareCounts(collector);
    // Per-thread counters on any CPU: the scaled count is the events per
    // second of running time of the counters together.
    FeedPeriod(collector, [](PerfEvent, int) { return 16384.0; }, 1);
    const std::vector<std::string> lines = Lines(collector.GetPrintStr(collector.m_perfEvents, 1));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(Cells(lines[3]), std::vector<std::string>({"/", "/", "0.25 MB/s"}));
    EXPECT_EQ(Cells(lines[4]), std::vector<std::string>({"/", "/", "1.00 MB/s"}));
}

TEST_F(L1L2Report, NoCountsPrintNothing)
{
    UseMachine("q60-2s");
    L1CL2CBandWidth collector(-1, "0", {});
    testing::internal::CaptureStderr();
    const std::string report = collector.GetPrintStr(collector.m_perfEvents, 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "perf count is empty\n");
    EXPECT_EQ(report, "");
}

}  // namespace
