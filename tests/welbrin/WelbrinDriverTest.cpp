#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <string>

#include "TempDir.h"
#include "WelbrinAnalysis.h"

namespace {

// One whole collection of one second on CPU 0, with whatever tools the
// machine has: both waves must run every task once, and each task must have
// left its result files. What the tools print is checked end to end.
TEST(WelbrinDriverTest, RunsBothWavesToTheEnd)
{
    TempDir scratch;
    char old[PATH_MAX];
    ASSERT_NE(::getcwd(old, sizeof(old)), nullptr);
    ASSERT_EQ(::chdir(scratch.Path().c_str()), 0);
    {
        WelbrinAnalysis analysis("driver");
        EXPECT_EQ(analysis.StartCollect(1, -1, "0"), 0);
        EXPECT_EQ(analysis.FinishedTasks(), 9);
        const char* files[] = {"system_cpu_load.txt", "pidstat.txt",    "memory_load.txt",
                               "numastat.txt",        "disk_iostat.txt", "network_sar.txt",
                               "perf_stat.txt",       "perfg_On-CPU_flamegraph.txt", "perfg_Off-CPU_flamegraph.txt"};
        for (const char* file : files) {
            const std::string content = TempDir::Read(analysis.OutputDir() + "/" + file);
            EXPECT_EQ(content.rfind("\n>>>>>>>>>>", 0), 0u) << file;
        }
    }
    ASSERT_EQ(::chdir(old), 0);
}

}  // namespace
