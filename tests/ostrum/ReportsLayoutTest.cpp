// The exact text of the miss-ratio, access-locality and prefetch reports:
// title, processor and die headers, rows, separators and blank lines, on one
// processor with two dies and on two processors with two dies each.

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CacheDDRAccess.h"
#include "CacheTLBMissRatio.h"
#include "CollectorFixture.h"
#include "PrefetchHits.h"
#include "ReportsLayoutTest.h"

namespace {

using reports_test::Lines;

// code -> per-CPU rate on each die (other events count nothing)
using DieRates = std::map<int, std::vector<double>>;

class ReportsLayoutTest : public CollectorFixture {
protected:
    static std::string Report(Ostrum& c, const DieRates& rates)
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
                return it->second.at(static_cast<size_t>(cpu / corePerDie));
            },
            1);
        return c.GetPrintStr(c.m_perfEvents, 1);
    }

    static DieRates MissRates(std::vector<double> missPerDie, double ref)
    {
        DieRates rates;
        for (int miss : {0x01, 0x03, 0x28, 0x17, 0x33, 0x02, 0x05, 0x2e, 0x2d}) {
            rates[miss] = missPerDie;
        }
        for (int reference : {0x14, 0x04, 0x27, 0x16, 0x32, 0x26, 0x25, 0x30, 0x2f}) {
            rates[reference] = std::vector<double>(missPerDie.size(), ref);
        }
        return rates;
    }

    // The first lines of a report, which must end with a line break.
    static std::vector<std::string> Head(const std::string& report, size_t count)
    {
        EXPECT_FALSE(report.empty());
        EXPECT_EQ(report.back(), '\n');
        std::vector<std::string> lines = Lines(report);
        if (lines.size() > count) {
            lines.resize(count);
        }
        return lines;
    }
};

// Expected texts, written out column by column.
// clang-format off
const std::vector<std::string> kMissOneSocket = {
    "########################## Cache and TLB Miss Ratio (pid: -1 cpu: 0-7) ###########################",
    "                                CPU0                   TOTAL     ",
    "                       Die0      |     Die1      |",
    "L1I Cache Miss:        5.00%     |     0.00%     |     5.00%     ",
    "L1D Cache Miss:        5.00%     |     0.00%     |     5.00%     ",
    "L2I Cache Miss:        5.00%     |     0.00%     |     5.00%     ",
    "L2D Cache Miss:        5.00%     |     0.00%     |     5.00%     ",
    "L3  Cache Miss:        5.00%     |     0.00%     |     5.00%     ",
    "",
    "L1I TLB   Miss:        5.00%     |     0.00%     |     5.00%     ",
    "L1D TLB   Miss:        5.00%     |     0.00%     |     5.00%     ",
    "L2I TLB   Miss:        5.00%     |     0.00%     |     5.00%     ",
    "L2D TLB   Miss:        5.00%     |     0.00%     |     5.00%     ",
};
const std::vector<std::string> kMissTwoSocketsHead = {
    "####################### Cache and TLB Miss Ratio (pid: -1 cpu: 0,24,48,72) #######################",
    "                                CPU0                            CPU1                   TOTAL     ",
    "                       Die0      |     Die1      |     Die0      |     Die1      |",
    "L1I Cache Miss:        5.00%     |     0.00%     |     0.00%     |     0.00%     |     5.00%     ",
};
const std::vector<std::string> kAccessOneSocket = {
    "########################### Cache and DDR Hit Ratio (pid: -1 cpu: 0-7) ###########################",
    "                                   CPU0             TOTAL      Hits    ",
    "                            Die0    |   Die1    |           |  ",
    "L2 Hit Local  Cluster :    50.00%   |   0.00%   |  50.00%   |  400        ",
    "L2 Hit Remote Cluster :    50.00%   |   0.00%   |  50.00%   |  400        ",
    "",
    "L3 Hit Local  Cluster :     nan%    |   nan%    |   nan%    |  0          ",
    "L3 Hit Remote Cluster :     nan%    |   nan%    |   nan%    |  0          ",
    "L3 Hit Remote Chip    :     nan%    |   nan%    |   nan%    |  0          ",
    "",
    "DDR Access Local  Die :     nan%    |   nan%    |   nan%    |  0          ",
    "DDR Access Remote Die :     nan%    |   nan%    |   nan%    |  0          ",
    "DDR Access Remote Chip:     nan%    |   nan%    |   nan%    |  0          ",
};
const std::vector<std::string> kAccessTwoSocketsHead = {
    "####################### Cache and DDR Hit Ratio (pid: -1 cpu: 0,24,48,72) ########################",
    "                                   CPU0                    CPU1             TOTAL      Hits    ",
    "                            Die0    |   Die1    |   Die0    |   Die1    |           |  ",
    "L2 Hit Local  Cluster :    50.00%   |   0.00%   |   0.00%   |   0.00%   |  50.00%   |  100        ",
};
const std::vector<std::string> kPrefetchOneSocket = {
    "########## Prefetch Hit Rate Evaluation (pid: -1 cpu: 0-7) ##########",
    "                                   CPU0             TOTAL     Counts   ",
    "                            Die0    |   Die1    |           |",
    "L1D Cache Miss Prefetch :  20.00%   |   0.00%   |  20.00%   |    40     ",
    "SMS Good Prefetch :        75.00%   |   0.00%   |  75.00%   |    120    ",
    "MOP Good Prefetch :         0.00%   |   0.00%   |   0.00%   |     0     ",
    "Total Good Prefetch :      75.00%   |   0.00%   |  75.00%   |    120    ",
};
const std::vector<std::string> kPrefetchTwoSocketsHead = {
    "################# Prefetch Hit Rate Evaluation (pid: -1 cpu: 0,24,48,72) ##################",
    "                                   CPU0                    CPU1             TOTAL     Counts   ",
    "                            Die0    |   Die1    |   Die0    |   Die1    |           |",
};
// clang-format on

TEST_F(ReportsLayoutTest, MissRatioOneProcessorTwoDies)
{
    UseMachine("q60-1s2d");
    CacheTLBMissRatio c(-1, "0-7", {});
    // misses 10 per CPU of die 0, references 100 per CPU: 40 / 800
    const std::string report = Report(c, MissRates({10, 0}, 100));
    EXPECT_EQ(Lines(report), kMissOneSocket) << report;
    EXPECT_EQ(report.back(), '\n');
}

TEST_F(ReportsLayoutTest, MissRatioTwoProcessorsTwoDiesEach)
{
    UseMachine("q60-2s");
    CacheTLBMissRatio c(-1, "0,24,48,72", {});
    const std::string report = Report(c, MissRates({20, 0, 0, 0}, 100));
    EXPECT_EQ(Head(report, 4), kMissTwoSocketsHead) << report;
    EXPECT_EQ(Lines(report).size(), kMissOneSocket.size());
}

TEST_F(ReportsLayoutTest, AccessOneProcessorTwoDies)
{
    UseMachine("q60-1s2d");
    CacheDDRAccess c(-1, "0-7", {});
    // 800 L2 hits on die 0, 400 of them remote-L2 loads; nothing on L3 or DDR
    const std::string report = Report(c, {{0x600e, {200, 0}}, {0x6055, {100, 0}}});
    EXPECT_EQ(Lines(report), kAccessOneSocket) << report;
    EXPECT_EQ(report.back(), '\n');
}

TEST_F(ReportsLayoutTest, AccessTwoProcessorsTwoDiesEach)
{
    UseMachine("q60-2s");
    CacheDDRAccess c(-1, "0,24,48,72", {});
    const std::string report = Report(c, {{0x600e, {200, 0, 0, 0}}, {0x605c, {100, 0, 0, 0}}});
    EXPECT_EQ(Head(report, 4), kAccessTwoSocketsHead) << report;
}

TEST_F(ReportsLayoutTest, PrefetchOneProcessorTwoDies)
{
    UseMachine("q60-1s2d");
    PrefetchHits c(-1, "0-7", {});
    const std::string report = Report(
        c, {{0x607f, {30, 0}}, {0x6083, {10, 0}}, {0x5033, {10, 0}}, {0x6013, {50, 0}}});
    std::vector<std::string> expected = kPrefetchOneSocket;
    expected.push_back("");
    expected.push_back("Suggestion: Set CPU prefetch enable is good for performance");
    EXPECT_EQ(Lines(report), expected) << report;
    EXPECT_EQ(report.back(), '\n');
}

TEST_F(ReportsLayoutTest, PrefetchTwoProcessorsTwoDiesEach)
{
    UseMachine("q60-2s");
    PrefetchHits c(-1, "0,24,48,72", {});
    const std::string report = Report(c, {{0x607f, {30, 0, 0, 0}}, {0x6083, {10, 0, 0, 0}}});
    EXPECT_EQ(Head(report, 3), kPrefetchTwoSocketsHead) << report;
}

// A machine whose firmware table names no socket: no processor column, dies
// keep their machine-wide numbers, and nothing divides by the missing count.
class ReportsWithoutSocketsTest : public ReportsLayoutTest {
protected:
    void SetUp() override
    {
        namespace fs = std::filesystem;
        fs::copy(FixtureMachine("q60-1s2d"), m_dir.Sub("root"), fs::copy_options::recursive);
        fs::remove(m_dir.Sub("root/sys/firmware/dmi/tables/DMI"));
        m_root = std::make_unique<ScopedEnv>("QUENDAR_SYSROOT", m_dir.Sub("root"));
    }
    std::unique_ptr<ScopedEnv> m_root;
};

TEST_F(ReportsWithoutSocketsTest, EveryReportNumbersTheDiesAcrossTheMachine)
{
    CacheTLBMissRatio miss(-1, "0-7", {});
    ASSERT_EQ(miss.m_processorCount, 0);
    CacheDDRAccess access(-1, "0-7", {});
    PrefetchHits prefetch(-1, "0-7", {});
    const struct {
        const char* name;
        std::string report;
        size_t dieLine;
    } reports[] = {
        {"miss", Report(miss, MissRates({10, 0}, 100)), 2},
        {"access", Report(access, {{0x600e, {1, 1}}}), 2},
        {"prefetch", Report(prefetch, {{0x607f, {1, 1}}, {0x6083, {1, 1}}}), 2},
    };
    for (const auto& r : reports) {
        const std::vector<std::string> lines = Lines(r.report);
        ASSERT_GT(lines.size(), r.dieLine) << r.name;
        EXPECT_NE(lines[r.dieLine].find("Die0"), std::string::npos) << r.name << "\n" << r.report;
        EXPECT_NE(lines[r.dieLine].find("Die1"), std::string::npos) << r.name << "\n" << r.report;
        EXPECT_EQ(lines[1].find("CPU0"), std::string::npos) << r.name << "\n" << r.report;
    }
}

}  // namespace
