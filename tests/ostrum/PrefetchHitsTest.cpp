#include "PrefetchHits.h"

#include <unistd.h>

#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CollectorFixture.h"
#include "ReportsLayoutTest.h"

namespace {

using reports_test::Lines;
using reports_test::RowCells;
using reports_test::ThreadCrowd;

using Cells = std::vector<std::string>;
// code -> per-CPU rate on each die
using DieRates = std::map<int, std::vector<double>>;

const std::string kEnable = "\nSuggestion: Set CPU prefetch enable is good for performance\n";
const std::string kDisable = "\nSuggestion: Set CPU prefetch disable is good for performance\n";
const std::string kWarning = "\nWARNING: CPU Prefetch is Disable, need open prefetch to get prefetch hit rate\n";

enum Code {
    kL1DMiss = 0x5033,
    kRequest = 0x6013,
    kSmsGood = 0x607f,
    kMopGood = 0x6080,
    kSmsBad = 0x6083,
    kMopBad = 0x6084,
};

const char* const kRows[] = {"L1D Cache Miss Prefetch :", "SMS Good Prefetch :", "MOP Good Prefetch :",
                             "Total Good Prefetch :"};

class PrefetchHitsTest : public CollectorFixture {
protected:
    static std::string Period(PrefetchHits& c, const DieRates& rates, int interval)
    {
        const int corePerDie = c.m_corePerDie;
        FeedPeriod(
            c,
            [&](PerfEvent event, int cpu) {
                const auto it = rates.find(event.second);
                if (it == rates.end()) {
                    return 0.0;
                }
                return it->second.at(cpu < 0 ? 0 : static_cast<size_t>(cpu / corePerDie));
            },
            interval);
        return c.GetPrintStr(c.m_perfEvents, interval);
    }

    static bool EndsWith(const std::string& text, const std::string& end)
    {
        return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
    }
};

TEST_F(PrefetchHitsTest, OneSocketTwoDiesSharesOfAllPrefetches)
{
    UseMachine("q60-1s2d");
    PrefetchHits c(-1, "0-7", {});
    PrepareCounts(c);
    // 4 CPUs per die, 1 second: good SMS 80 + 40, MOP 100 + 100; bad SMS 40 + 0,
    // MOP 0 + 40 (all prefetches: 400); requests 200, of them L1D misses 40 + 60
    const std::string report = Period(c,
                                      {{kSmsGood, {20, 10}},
                                       {kMopGood, {25, 25}},
                                       {kSmsBad, {10, 0}},
                                       {kMopBad, {0, 10}},
                                       {kRequest, {25, 25}},
                                       {kL1DMiss, {10, 15}}},
                                      1);
    const std::map<std::string, Cells> expected = {
        {"L1D Cache Miss Prefetch :", {"20.00%", "30.00%", "50.00%", "100"}},
        {"SMS Good Prefetch :", {"20.00%", "10.00%", "30.00%", "120"}},
        {"MOP Good Prefetch :", {"25.00%", "25.00%", "50.00%", "200"}},
        {"Total Good Prefetch :", {"45.00%", "35.00%", "80.00%", "320"}},
    };
    for (const auto& [label, cells] : expected) {
        EXPECT_EQ(RowCells(report, label), cells) << label << "\n" << report;
    }
    // the rows in report order, right after the three header lines
    const std::vector<std::string> lines = Lines(report);
    ASSERT_GE(lines.size(), 7u) << report;
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(lines[3 + i].compare(0, std::string(kRows[i]).size(), kRows[i]), 0) << lines[3 + i];
    }
    // 0.8 of all prefetches were good
    EXPECT_TRUE(EndsWith(report, kEnable)) << report;
}

TEST_F(PrefetchHitsTest, TwoSocketsFourDies)
{
    UseMachine("q60-2s");
    PrefetchHits c(-1, "0,24,48,72", {});
    ASSERT_EQ(c.m_dieCount, 4);
    PrepareCounts(c);
    // one CPU per die, 2 seconds: SMS good 20, 40, 60, 80; SMS bad 200 on die 0
    const std::string report =
        Period(c, {{kSmsGood, {10, 20, 30, 40}}, {kSmsBad, {100, 0, 0, 0}}, {kRequest, {0, 0, 0, 0}}}, 2);
    EXPECT_EQ(RowCells(report, "SMS Good Prefetch :"), (Cells{"5.00%", "10.00%", "15.00%", "20.00%", "50.00%", "200"}))
        << report;
    EXPECT_EQ(RowCells(report, "MOP Good Prefetch :"), (Cells{"0.00%", "0.00%", "0.00%", "0.00%", "0.00%", "0"}));
    // no prefetch request at all: the L1D share has a zero denominator
    EXPECT_EQ(RowCells(report, "L1D Cache Miss Prefetch :"), (Cells{"nan%", "nan%", "nan%", "nan%", "nan%", "0"}));
    // exactly half of the prefetches were good: not above 0.5
    EXPECT_TRUE(EndsWith(report, kDisable)) << report;
}

struct PeriodCase {
    const char* what;
    DieRates rates;
    bool rows;            // data lines printed
    std::string advice;   // how the report ends
};

TEST_F(PrefetchHitsTest, AdviceFollowsTheLatestWorkingPeriod)
{
    UseMachine("q60-1s2d");
    PrefetchHits c(-1, "0-7", {});
    PrepareCounts(c);
    const std::vector<PeriodCase> periods = {
        {"nothing counted yet: looks switched off", {}, false, kWarning},
        {"good without bad also looks switched off", {{kSmsGood, {5, 5}}}, false, kWarning},
        {"90% good", {{kSmsGood, {9, 9}}, {kMopBad, {1, 1}}, {kRequest, {1, 1}}}, true, kEnable},
        // the last ratio's advice replaces the warning
        {"switched off again", {}, false, kEnable},
        {"40% good", {{kMopGood, {4, 4}}, {kSmsBad, {6, 6}}, {kRequest, {1, 1}}}, true, kDisable},
        {"switched off once more", {{kMopBad, {3, 3}}}, false, kDisable},
    };
    for (const auto& period : periods) {
        const std::string report = Period(c, period.rates, 1);
        const std::vector<std::string> lines = Lines(report);
        EXPECT_EQ(RowCells(report, "Total Good Prefetch :").empty(), !period.rows) << period.what << "\n" << report;
        EXPECT_TRUE(EndsWith(report, period.advice)) << period.what << "\n" << report;
        // three header lines, then the rows or nothing, then the advice
        EXPECT_EQ(report.find("Prefetch Hit Rate Evaluation"), report.find(' ', report.find('#')) + 1) << period.what;
        EXPECT_EQ(lines.size(), (period.rows ? 7u : 3u) + 2u) << period.what << "\n" << report;
    }
}

TEST_F(PrefetchHitsTest, ProcessOfMoreThan128ThreadsLeavesDieCellsSlash)
{
    UseMachine("q60-1s2d");
    ThreadCrowd crowd(130);
    PrefetchHits c(static_cast<int>(::getpid()), "-1", {});
    ASSERT_TRUE(c.m_cpuNoneFlag);
    PrepareCounts(c);
    const std::string report = Period(c, {{kSmsGood, {3, 3}}, {kSmsBad, {1, 1}}, {kRequest, {1, 1}}}, 1);
    const Cells cells = RowCells(report, "Total Good Prefetch :");
    ASSERT_EQ(cells.size(), 4u) << report;
    EXPECT_EQ(cells[0], "/");
    EXPECT_EQ(cells[1], "/");
    EXPECT_EQ(cells[2], "75.00%");
}

TEST_F(PrefetchHitsTest, WithoutCountsReportsNothing)
{
    UseMachine("q60-1s2d");
    PrefetchHits c(-1, "0-7", {});
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(c.GetPrintStr(c.m_perfEvents, 1), "");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "perf count is empty\n");
}

TEST_F(PrefetchHitsTest, CountsTheSixPrefetchEventsInNameOrder)
{
    UseMachine("q60-1s2d");
    PrefetchHits c(-1, "0-7", {});
    const PerfEventVec expected = {{4, kL1DMiss}, {4, kMopBad}, {4, kMopGood},
                                   {4, kRequest}, {4, kSmsBad}, {4, kSmsGood}};
    EXPECT_EQ(c.m_perfEvents, expected);
    EXPECT_EQ(c.m_fdMaxCount, 6 * 8);
}

}  // namespace
