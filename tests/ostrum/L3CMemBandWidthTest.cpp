#include "L3CMemBandWidth.h"

#include <unistd.h>

#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "CollectorFixture.h"
#include "ReportsLayoutTest.h"

namespace {

using reports_test::Lines;
using reports_test::RowCells;

using Cells = std::vector<std::string>;
using Rates = std::map<PerfEvent, double>;

// One MB/s of L3 traffic (64-byte transfers) and of DDR traffic (32 bytes).
constexpr double kL3MB = 16384;
constexpr double kDDRMB = 32768;

// Event codes of the fixture machines' uncore devices.
constexpr int kL3Base = 0x02;  // the base model's L3 traffic event
constexpr int kL3B = 0x03;     // the Q60B family's
constexpr int kL3F = 0x04;     // Q60F's, on its "uc" devices
constexpr int kRd = 0x01;
constexpr int kWr = 0x00;

class L3CMemBandWidthTest : public CollectorFixture {
protected:
    static std::string Report(L3CMemBandWidth& c, const Rates& rates)
    {
        PrepareCounts(c);
        FeedPeriod(
            c,
            [&](PerfEvent event, int) {
                const auto it = rates.find(event);
                return it == rates.end() ? 0.0 : it->second;
            },
            1);
        return c.GetPrintStr(c.m_perfEvents, 1);
    }
};

// q60-1s2d: SCCL 1 has L3 units l3c0 (type 61), l3c1 (62) and l3c2 (70) and
// DDR controllers 63, 64; SCCL 3 has l3c0 (66), l3c1 (67), DDR 68, 69. Every
// L3 unit carries both the base and the Q60B-family event names.
const Rates kQ60Rates = {
    {{61, kL3Base}, 1 * kL3MB}, {{62, kL3Base}, 2 * kL3MB}, {{70, kL3Base}, 4 * kL3MB}, {{66, kL3Base}, 8 * kL3MB},
    // the other name counts too, but is not this model's
    {{61, kL3B}, 1000 * kL3MB}, {{66, kL3B}, 1000 * kL3MB},
    {{63, kRd}, 1 * kDDRMB}, {{64, kRd}, 2 * kDDRMB}, {{68, kRd}, 5 * kDDRMB},
    {{63, kWr}, 10 * kDDRMB}, {{69, kWr}, 20 * kDDRMB},
};

struct RowCase {
    const char* label;
    Cells expected;
};

TEST_F(L3CMemBandWidthTest, Q60OneSocketTwoSccls)
{
    UseMachine("q60-1s2d");
    L3CMemBandWidth c(-1, "-1", {});
    EXPECT_EQ(c.m_sccls, (std::vector<int>{1, 3}));
    const std::string report = Report(c, kQ60Rates);
    const std::vector<RowCase> rows = {
        // SCCL 1 sums all three of its L3 units, though SCCL 3 has two
        {"L3 Cache  BW :", {"7.00", "8.00", "15.00 MB/s"}},
        {"DDR RD    BW :", {"3.00", "5.00", "8.00 MB/s"}},
        {"DDR WR    BW :", {"10.00", "20.00", "30.00 MB/s"}},
        {"DDR TOTAL BW :", {"13.00", "25.00", "38.00 MB/s"}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(RowCells(report, row.label), row.expected) << row.label << "\n" << report;
    }
    const std::vector<std::string> lines = Lines(report);
    ASSERT_EQ(lines.size(), 5u) << report;
    // the note, then the four rows in order
    // 69 characters centred in 98
    EXPECT_EQ(lines[0], std::string(14, '-') + "L3Cache and DDR bandwidth only for cpu 0-7 and user,kernel,hypervisor" +
                            std::string(15, '-'));
    EXPECT_EQ(lines[1], "L3 Cache  BW :    " + std::string("     7.00      |     8.00      |  15.00 MB/s   "));
    EXPECT_EQ(lines[4].compare(0, 14, "DDR TOTAL BW :"), 0);
}

TEST_F(L3CMemBandWidthTest, Q60TwoSocketsFourScclsSixUnitsEach)
{
    UseMachine("q60-2s");
    L3CMemBandWidth c(-1, "-1", {});
    ASSERT_EQ(c.m_sccls, (std::vector<int>{1, 3, 5, 7}));
    // types from 40: per SCCL hha2, hha3, l3c0..5, ddrc0..3 (12 devices)
    Rates rates;
    for (int i = 0; i < 4; ++i) {
        const int first = 40 + 12 * i;
        for (int unit = 0; unit < 6; ++unit) {
            rates[{first + 2 + unit, kL3Base}] = (i + 1) * kL3MB;  // (i + 1) MB/s per unit
        }
        for (int ddr = 0; ddr < 4; ++ddr) {
            rates[{first + 8 + ddr, kRd}] = 0.5 * kDDRMB;
            rates[{first + 8 + ddr, kWr}] = (ddr == 0 ? 4 : 0) * kDDRMB;
        }
    }
    const std::string report = Report(c, rates);
    EXPECT_EQ(RowCells(report, "L3 Cache  BW :"), (Cells{"6.00", "12.00", "18.00", "24.00", "60.00 MB/s"})) << report;
    EXPECT_EQ(RowCells(report, "DDR RD    BW :"), (Cells{"2.00", "2.00", "2.00", "2.00", "8.00 MB/s"}));
    EXPECT_EQ(RowCells(report, "DDR WR    BW :"), (Cells{"4.00", "4.00", "4.00", "4.00", "16.00 MB/s"}));
    EXPECT_EQ(RowCells(report, "DDR TOTAL BW :"), (Cells{"6.00", "6.00", "6.00", "6.00", "24.00 MB/s"}));
    // 70 characters centred in 98: 14 dashes, then the text
    EXPECT_EQ(Lines(report).at(0).find("L3Cache and DDR bandwidth only for cpu 0-95 and"), 14u) << report;
    EXPECT_EQ(Lines(report).at(0).size(), 98u);
}

struct ModelCase {
    const char* machine;
    Rates rates;
    Cells l3;
};

TEST_F(L3CMemBandWidthTest, EachModelCountsItsOwnL3Event)
{
    const std::vector<ModelCase> cases = {
        // q60e-1s: l3c units 121, 122 (SCCL 1) and 126, 127 (SCCL 3)
        {"q60e-1s", {{{121, kL3B}, 3 * kL3MB}, {{127, kL3B}, 5 * kL3MB}, {{121, kL3Base}, 99 * kL3MB}},
         {"3.00", "5.00", "8.00 MB/s"}},
        // q60f: "uc" units 146, 147 (SCCL 1) and 148, 149 (SCCL 3)
        {"q60f", {{{146, kL3F}, 1 * kL3MB}, {{147, kL3F}, 1 * kL3MB}, {{149, kL3F}, 6 * kL3MB}},
         {"2.00", "6.00", "8.00 MB/s"}},
        {"q60-1s2d", kQ60Rates, {"7.00", "8.00", "15.00 MB/s"}},
    };
    for (const auto& model : cases) {
        ScopedEnv root("QUENDAR_SYSROOT", FixtureMachine(model.machine));
        L3CMemBandWidth c(-1, "-1", {});
        const std::string report = Report(c, model.rates);
        EXPECT_EQ(RowCells(report, "L3 Cache  BW :"), model.l3) << model.machine << "\n" << report;
    }
}

TEST_F(L3CMemBandWidthTest, AlwaysTheWholeMachineOnThePmuCpu)
{
    UseMachine("q60-1s2d");
    L3CMemBandWidth c(static_cast<int>(::getpid()), "5-6", {});
    EXPECT_EQ(c.m_pid, -1);
    EXPECT_EQ(c.m_pidSet, ThreadSet{-1});
    EXPECT_EQ(c.m_cpuIntVec, CoreList{0});
    EXPECT_EQ(c.m_cpuStr, "0");
    EXPECT_TRUE(c.m_bwFlag);
    // 5 L3 units + 4 DDR controllers x 2 events, each opened once
    EXPECT_EQ(c.m_perfEvents.size(), 13u);
    EXPECT_EQ(c.m_fdMaxCount, 13);

    // The simulated PMU only knows each device's counters on the CPU of its
    // die (0 for SCCL 1, 4 for SCCL 3): opening anywhere else would fail.
    std::string rules;
    for (int type : {61, 62, 63, 64, 70}) {
        rules += std::to_string(type) + " * " + std::to_string(static_cast<int>(100 * kL3MB)) + " cpu=0\n";
    }
    for (int type : {66, 67, 68, 69}) {
        rules += std::to_string(type) + " * " + std::to_string(static_cast<int>(100 * kL3MB)) + " cpu=4\n";
    }
    UseSimRules(rules);
    c.InitPerf(c.m_perfEvents);
    c.OpenPerf({{"exclude_user", 0}, {"exclude_kernel", 0}, {"exclude_hv", 0}});
    for (const auto& fds : c.m_fds) {
        ASSERT_EQ(fds.size(), 1u);
        EXPECT_GE(fds[0], 0);
    }
    c.StartPerf();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_TRUE(c.ComputeRes(1));
    c.StopPerf();
    const std::string report = c.GetPrintStr(c.m_perfEvents, 1);
    // 100 MB/s per L3 unit: 3 on SCCL 1, 2 on SCCL 3; DDR: 100 x 16384 x 32 bytes = 50 MB/s per event
    EXPECT_EQ(RowCells(report, "L3 Cache  BW :"), (Cells{"300.00", "200.00", "500.00 MB/s"})) << report;
    EXPECT_EQ(RowCells(report, "DDR TOTAL BW :"), (Cells{"200.00", "200.00", "400.00 MB/s"})) << report;
}

TEST_F(L3CMemBandWidthTest, WithoutHomeAgent2OfSccl1NothingIsCounted)
{
    UseMachine("q60-nohha2");
    ::testing::internal::CaptureStdout();
    L3CMemBandWidth c(-1, "-1", {});
    const std::string shown = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(c.m_sccls, (std::vector<int>{1, 3}));
    EXPECT_TRUE(c.m_perfEvents.empty());
    EXPECT_NE(shown.find("This OS is not support uncore events, L3 and DDR BW can't get"), std::string::npos) << shown;
    PrepareCounts(c);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(c.GetPrintStr(c.m_perfEvents, 1), "");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "perf count is empty\n");
}

}  // namespace
