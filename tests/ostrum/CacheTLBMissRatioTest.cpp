#include "CacheTLBMissRatio.h"

#include <unistd.h>

#include <array>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CollectorFixture.h"
#include "ReportsLayoutTest.h"

namespace {

using reports_test::RowCells;
using reports_test::ThreadCrowd;

// Per-second rate of one event on one CPU: the miss event of a row may count
// differently on each die, the reference event the same on every CPU.
struct RowRates {
    int miss;
    int ref;
    std::array<double, 4> missPerDie;  // per CPU of die 0, 1, ...
    double refPerCpu;
};

class CacheTLBMissRatioTest : public CollectorFixture {
protected:
    // Feeds one period of `interval` seconds where every event not named in
    // `rows` counts nothing, and returns the report.
    std::string Report(CacheTLBMissRatio& c, const std::vector<RowRates>& rows, int interval)
    {
        const int corePerDie = c.m_corePerDie;
        PrepareCounts(c);
        FeedPeriod(
            c,
            [&](PerfEvent event, int cpu) {
                for (const RowRates& row : rows) {
                    if (event.second == row.miss) {
                        const size_t die = cpu < 0 ? 0 : static_cast<size_t>(cpu / corePerDie);
                        return row.missPerDie.at(die);
                    }
                    if (event.second == row.ref) {
                        return row.refPerCpu;
                    }
                }
                return 0.0;
            },
            interval);
        return c.GetPrintStr(c.m_perfEvents, interval);
    }
};

struct NumbersCase {
    const char* label;
    RowRates rates;
    std::vector<std::string> expected;  // die cells, then TOTAL
};

TEST_F(CacheTLBMissRatioTest, OneSocketTwoDiesCellsFollowTheRates)
{
    UseMachine("q60-1s2d");
    CacheTLBMissRatio c(-1, "0-7", {});
    // 4 CPUs per die, 2 seconds: references 8 x 100 x 2 = 1600
    const std::vector<NumbersCase> cases = {
        // misses 80 on die 0 and 240 on die 1
        {"L1I Cache Miss:", {0x01, 0x14, {10, 30}, 100}, {"5.00%", "15.00%", "20.00%"}},
        // 2400 misses over 1600 references: TOTAL is held at 100 %, the die
        // cells keep the per-CPU misses
        {"L3  Cache Miss:", {0x33, 0x32, {150, 150}, 100}, {"75.00%", "75.00%", "100.00%"}},
        {"L2D TLB   Miss:", {0x2d, 0x2f, {0, 0}, 100}, {"0.00%", "0.00%", "0.00%"}},
        // no references and no misses
        {"L1D TLB   Miss:", {0x05, 0x25, {0, 0}, 0}, {"nan%", "nan%", "nan%"}},
        // misses without references: the clamp leaves 0 / 0 in TOTAL
        {"L2I TLB   Miss:", {0x2e, 0x30, {5, 5}, 0}, {"inf%", "inf%", "nan%"}},
    };
    std::vector<RowRates> rates;
    for (const auto& row : cases) {
        rates.push_back(row.rates);
    }
    const std::string report = Report(c, rates, 2);
    for (const auto& row : cases) {
        EXPECT_EQ(RowCells(report, row.label), row.expected) << row.label << "\n" << report;
    }
    // a row with no counts at all
    EXPECT_EQ(RowCells(report, "L2D Cache Miss:"), (std::vector<std::string>{"nan%", "nan%", "nan%"}));
}

TEST_F(CacheTLBMissRatioTest, TwoSocketsFourDiesEachDieIsItsShareOfTotal)
{
    UseMachine("q60-2s");
    // four CPUs of each die of 24
    CacheTLBMissRatio c(-1, "0-3,24-27,48-51,72-75", {});
    ASSERT_EQ(c.m_dieCount, 4);
    // references 16 x 100 = 1600; misses per die 40, 80, 120, 160
    const std::string report = Report(c, {{0x03, 0x04, {10, 20, 30, 40}, 100}}, 1);
    EXPECT_EQ(RowCells(report, "L1D Cache Miss:"),
              (std::vector<std::string>{"2.50%", "5.00%", "7.50%", "10.00%", "25.00%"}))
        << report;
}

struct CpuListCase {
    const char* cpus;
    std::vector<std::string> expected;
};

TEST_F(CacheTLBMissRatioTest, CpuListDecidesWhichDiesCount)
{
    UseMachine("q60-1s2d");
    const std::vector<CpuListCase> cases = {
        // only die 1: die 0 shows 0.00%, die 1 equals TOTAL (240 / 800)
        {"4-7", {"0.00%", "30.00%", "30.00%"}},
        // one CPU of each die, in either order: 20 and 60 over 400
        {"5,1", {"5.00%", "15.00%", "20.00%"}},
        {"1,5", {"5.00%", "15.00%", "20.00%"}},
    };
    for (const auto& row : cases) {
        CacheTLBMissRatio c(-1, row.cpus, {});
        ASSERT_EQ(c.m_dieCount, 2);
        const std::string report = Report(c, {{0x01, 0x14, {10, 30}, 100}}, 2);
        EXPECT_EQ(RowCells(report, "L1I Cache Miss:"), row.expected) << row.cpus << "\n" << report;
    }
}

TEST_F(CacheTLBMissRatioTest, ProcessOfMoreThan128ThreadsLeavesDieCellsSlash)
{
    UseMachine("q60-1s2d");
    ThreadCrowd crowd(130);
    CacheTLBMissRatio c(static_cast<int>(::getpid()), "-1", {});
    ASSERT_EQ(c.m_cpuIntVec, CoreList{-1});
    // every thread counts 10 misses and 40 references a second
    const std::string report = Report(c, {{0x01, 0x14, {10, 10}, 40}}, 1);
    EXPECT_EQ(RowCells(report, "L1I Cache Miss:"), (std::vector<std::string>{"/", "/", "25.00%"})) << report;
    EXPECT_EQ(RowCells(report, "L2D TLB   Miss:"), (std::vector<std::string>{"/", "/", "nan%"})) << report;
}

TEST_F(CacheTLBMissRatioTest, WithoutCountsReportsNothing)
{
    UseMachine("q60-1s2d");
    CacheTLBMissRatio c(-1, "0-7", {});
    ::testing::internal::CaptureStderr();
    const std::string report = c.GetPrintStr(c.m_perfEvents, 1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "perf count is empty\n");
    EXPECT_EQ(report, "");
}

TEST_F(CacheTLBMissRatioTest, CountsTheSameEighteenEventsOnEveryModel)
{
    std::vector<PerfEventVec> lists;
    for (const char* machine : {"q60-1s2d", "q60b-1s", "q60f", "q50"}) {
        ScopedEnv root("QUENDAR_SYSROOT", FixtureMachine(machine));
        CacheTLBMissRatio c(-1, "0", {});
        EXPECT_FALSE(c.m_lop.GetQuendarProcessor().empty()) << machine;
        lists.push_back(c.m_perfEvents);
        EXPECT_EQ(c.m_fdMaxCount, 18) << machine;
    }
    for (const auto& events : lists) {
        EXPECT_EQ(events, lists.front());
    }
    // misses and references pair up: L1I miss 0x01 with its reference 0x14
    ASSERT_EQ(lists.front().size(), 18u);
    EXPECT_EQ(lists.front()[0], PerfEvent(4, 0x01));
    EXPECT_EQ(lists.front()[1], PerfEvent(4, 0x14));
}

}  // namespace
