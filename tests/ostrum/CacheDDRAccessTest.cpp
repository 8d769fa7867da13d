#include "CacheDDRAccess.h"

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

// code -> per-CPU rate on each die
using DieRates = std::map<int, std::vector<double>>;

class CacheDDRAccessTest : public CollectorFixture {
protected:
    std::string Report(CacheDDRAccess& c, const DieRates& rates, int interval)
    {
        const int corePerDie = c.m_corePerDie;
        PrepareCounts(c);
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
};

using Cells = std::vector<std::string>;

struct RowCase {
    const char* label;
    Cells expected;  // die cells, "system", count
};

TEST_F(CacheDDRAccessTest, Q60OneSocketTwoDiesSharesOfEachLevel)
{
    UseMachine("q60-1s2d");
    CacheDDRAccess c(-1, "0-7", {});
    // one second, 4 CPUs per die
    const DieRates rates = {
        {0x600e, {200, 50}},   // L2 hits: 800 + 200 = 1000
        {0x6055, {10, 15}},    // remote-L2 loads: 40 + 60
        {0x605c, {20, 15}},    // remote-L2 stores: 80 + 60
        {0x6056, {25, 0}},     // L3 local: 100 loads on die 0
        {0x605d, {0, 25}},     //           100 stores on die 1
        {0x6057, {50, 0}},     // L3 remote cluster: 200
        {0x605f, {0, 150}},    // L3 remote chip (stores): 600
        {0x6059, {100, 100}},  // DDR local: 800 of 800
    };
    const std::string report = Report(c, rates, 1);
    const std::vector<RowCase> rows = {
        // L2 local: (800 - 40 - 80) and (200 - 60 - 60) over 1000
        {"L2 Hit Local  Cluster :", {"68.00%", "8.00%", "76.00%", "760"}},
        {"L2 Hit Remote Cluster :", {"12.00%", "12.00%", "24.00%", "240"}},
        // L3 total 1000
        {"L3 Hit Local  Cluster :", {"10.00%", "10.00%", "20.00%", "200"}},
        {"L3 Hit Remote Cluster :", {"20.00%", "0.00%", "20.00%", "200"}},
        {"L3 Hit Remote Chip    :", {"0.00%", "60.00%", "60.00%", "600"}},
        {"DDR Access Local  Die :", {"50.00%", "50.00%", "100.00%", "800"}},
        {"DDR Access Remote Die :", {"0.00%", "0.00%", "0.00%", "0"}},
        {"DDR Access Remote Chip:", {"0.00%", "0.00%", "0.00%", "0"}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(RowCells(report, row.label), row.expected) << row.label << "\n" << report;
    }
}

TEST_F(CacheDDRAccessTest, Q60TwoSocketsFourDiesAndLevelsWithoutHits)
{
    UseMachine("q60-2s");
    CacheDDRAccess c(-1, "0-1,24-25,48-49,72-73", {});
    ASSERT_EQ(c.m_dieCount, 4);
    // DDR: remote-chip loads 10, 20, 30, 40 per CPU over 2 seconds; no L2 or L3 hits
    const std::string report = Report(c, {{0x605b, {10, 20, 30, 40}}}, 2);
    // 40, 80, 120, 160 of 400
    EXPECT_EQ(RowCells(report, "DDR Access Remote Chip:"),
              (Cells{"10.00%", "20.00%", "30.00%", "40.00%", "100.00%", "400"}))
        << report;
    EXPECT_EQ(RowCells(report, "L3 Hit Local  Cluster :"), (Cells{"nan%", "nan%", "nan%", "nan%", "nan%", "0"}));
    EXPECT_EQ(RowCells(report, "L2 Hit Remote Cluster :"), (Cells{"nan%", "nan%", "nan%", "nan%", "nan%", "0"}));
}

TEST_F(CacheDDRAccessTest, LocalL2NeverShowsANegativeCount)
{
    UseMachine("q60-1s2d");
    CacheDDRAccess c(-1, "0-7", {});
    // estimated remote hits above all hits (multiplexing)
    const std::string report = Report(c, {{0x600e, {10, 10}}, {0x6055, {20, 20}}}, 1);
    EXPECT_EQ(RowCells(report, "L2 Hit Local  Cluster :"), (Cells{"0.00%", "0.00%", "0.00%", "0"})) << report;
    EXPECT_EQ(RowCells(report, "L2 Hit Remote Cluster :"), (Cells{"100.00%", "100.00%", "200.00%", "160"}));
}

struct ModelCase {
    const char* machine;
    size_t events;
    bool l2Rows;
    int l3LocalLoad;  // the code counted as a local L3 load
};

TEST_F(CacheDDRAccessTest, EventTableAndRowsFollowTheModel)
{
    const std::vector<ModelCase> cases = {
        {"q60-1s2d", 15, true, 0x6056},
        {"q60b-1s", 12, false, 0x6055},
        {"q60c", 12, false, 0x6055},
        {"q60e-1s", 12, false, 0x6055},
        {"q60f", 12, false, 0x6055},
    };
    for (const auto& model : cases) {
        ScopedEnv root("QUENDAR_SYSROOT", FixtureMachine(model.machine));
        CacheDDRAccess c(-1, "0-3", {});
        EXPECT_EQ(c.m_perfEvents.size(), model.events) << model.machine;
        // 100 local L3 loads a second per CPU of die 0, nothing else on L3
        const std::string report = Report(c, {{model.l3LocalLoad, {100, 100}}}, 1);
        const std::vector<std::string> lines = Lines(report);
        ASSERT_GE(lines.size(), 4u) << model.machine;
        EXPECT_EQ(lines[3].compare(0, 23, model.l2Rows ? "L2 Hit Local  Cluster :" : "L3 Hit Local  Cluster :"), 0)
            << model.machine << "\n" << report;
        EXPECT_EQ(RowCells(report, "L2 Hit Local  Cluster :").empty(), !model.l2Rows) << model.machine;
        EXPECT_EQ(RowCells(report, "L3 Hit Local  Cluster :"), (Cells{"100.00%", "0.00%", "100.00%", "400"}))
            << model.machine << "\n" << report;
    }
}

TEST_F(CacheDDRAccessTest, ModelOutsideTheTablesCountsNothing)
{
    UseMachine("q50");
    CacheDDRAccess c(-1, "0-3", {});
    EXPECT_TRUE(c.m_perfEvents.empty());
    PrepareCounts(c);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(c.GetPrintStr(c.m_perfEvents, 1), "");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "perf count is empty\n");
}

TEST_F(CacheDDRAccessTest, CpuListOrderAndUnselectedDie)
{
    UseMachine("q60-1s2d");
    const DieRates rates = {{0x6059, {30, 10}}, {0x605a, {10, 30}}};
    struct CpuCase {
        const char* cpus;
        Cells local;
    };
    const std::vector<CpuCase> cases = {
        // one CPU per die: local 30 + 10 of 80 hits
        {"5,1", {"37.50%", "12.50%", "50.00%", "40"}},
        {"1,5", {"37.50%", "12.50%", "50.00%", "40"}},
        // die 0 not selected: 0.00%, die 1 local 40 of 160
        {"4-7", {"0.00%", "25.00%", "25.00%", "40"}},
    };
    for (const auto& row : cases) {
        CacheDDRAccess c(-1, row.cpus, {});
        EXPECT_EQ(RowCells(Report(c, rates, 1), "DDR Access Local  Die :"), row.local) << row.cpus;
    }
}

TEST_F(CacheDDRAccessTest, ProcessOfMoreThan128ThreadsFillsOnlySystemAndCount)
{
    UseMachine("q60-1s2d");
    ThreadCrowd crowd(130);
    CacheDDRAccess c(static_cast<int>(::getpid()), "-1", {});
    ASSERT_EQ(c.m_cpuIntVec, CoreList{-1});
    const std::string report = Report(c, {{0x6059, {3, 3}}, {0x6060, {1, 1}}}, 1);
    const Cells local = RowCells(report, "DDR Access Local  Die :");
    ASSERT_EQ(local.size(), 4u) << report;
    EXPECT_EQ(local[0], "/");
    EXPECT_EQ(local[1], "/");
    EXPECT_EQ(local[2], "100.00%");
    EXPECT_NE(local[3], "0");
    EXPECT_EQ(RowCells(report, "DDR Access Remote Die :"), (Cells{"/", "/", "0.00%", "0"})) << report;
}

}  // namespace
