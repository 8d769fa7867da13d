#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "Fixtures.h"
#include "LinuxOperate.h"
#include "ScopedEnv.h"
#include "TempDir.h"

namespace {

std::string Entry(int processor, const std::string& implementer, const std::string& part)
{
    return "processor\t: " + std::to_string(processor) +
           "\nBogoMIPS\t: 200.00\nFeatures\t: fp asimd\nCPU implementer\t: " + implementer +
           "\nCPU architecture: 8\nCPU variant\t: 0x1\nCPU part\t: " + part + "\nCPU revision\t: 0\n\n";
}

std::string Label(const std::string& cpuinfo)
{
    TempDir root;
    root.Write("proc/cpuinfo", cpuinfo);
    ScopedEnv env("QUENDAR_SYSROOT", root.Path());
    return LinuxOperate().GetQuendarProcessor();
}

TEST(ProcessorTest, LabelsFromCpuinfo)
{
    struct Case {
        std::string cpuinfo;
        std::string label;
    };
    const std::vector<Case> cases = {
        {Entry(0, "0x6b", "0xa22"), "Q60B"},
        {Entry(0, "0x5e", "0xa21"), ""},
        {Entry(0, "0x5e", "0xa15"), "Q50"},
        {Entry(0, "0x6b", "0xa21"), "Q60"},
        {Entry(0, "0x6b", "0xa23"), "Q60C"},
        {Entry(0, "0x6b", "0xa25"), "Q60E"},
        {Entry(0, "0x6b", "0xa26"), "Q60F"},
        {Entry(0, "0x6b", "0xa24"), ""},
        {Entry(0, "0x41", "0xd0c"), ""},
        // only the first processor counts
        {Entry(0, "0x6b", "0xa22") + Entry(1, "0x6b", "0xa21"), "Q60B"},
        {"CPU implementer\t: 0x6b\n", ""},
        {"CPU part\t: 0xa21\n", ""},
        {"", ""},
        // blanks before the number are skipped, the case of hex digits does not matter
        {"CPU implementer:   0x6B\nCPU part :\t0xA21\n", "Q60"},
        // the fields are read only from the first 4,095 bytes
        {std::string(4090, '#') + "\n" + Entry(0, "0x6b", "0xa21"), ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Label(c.cpuinfo), c.label) << c.cpuinfo.substr(0, 120);
    }
}

TEST(ProcessorTest, FamilyChecks)
{
    struct Case {
        const char* machine;
        std::string label;
    };
    for (const Case& c : std::vector<Case>{{"q60-2s", "Q60"}, {"q60b-1s", "Q60B"}, {"q50", "Q50"}, {"other", ""}}) {
        ScopedEnv env("QUENDAR_SYSROOT", FixtureMachine(c.machine));
        LinuxOperate op;
        EXPECT_EQ(op.GetQuendarProcessor(), c.label) << c.machine;
        EXPECT_EQ(op.CheckIfQuendarProcessor(), !c.label.empty()) << c.machine;
        EXPECT_EQ(op.ProcessorCheck(), !c.label.empty()) << c.machine;
    }
    TempDir empty;
    ScopedEnv env("QUENDAR_SYSROOT", empty.Path());
    EXPECT_FALSE(LinuxOperate().CheckIfQuendarProcessor()) << "no cpuinfo at all";
}

TEST(ProcessorTest, CoreCountCountsConfiguredProcessors)
{
    {
        ScopedEnv env("QUENDAR_SYSROOT", nullptr);
        EXPECT_EQ(LinuxOperate().GetCoreCount(), static_cast<int>(::sysconf(_SC_NPROCESSORS_CONF)));
    }
    // 128 configured, 64 online
    TempDir root;
    for (int cpu = 1; cpu < 128; ++cpu) {
        root.Write("sys/devices/system/cpu/cpu" + std::to_string(cpu) + "/online", cpu < 64 ? "1\n" : "0\n");
    }
    root.Write("sys/devices/system/cpu/cpu0/.keep", "");
    root.Write("sys/devices/system/cpu/online", "0-63\n");
    ScopedEnv env("QUENDAR_SYSROOT", root.Path());
    LinuxOperate op;
    EXPECT_EQ(op.GetCoreCount(), 128);
    EXPECT_EQ(op.m_coreCount, 128);
    EXPECT_EQ(op.GetOnlineCpuListStr(), "0-63");
}

TEST(ProcessorTest, ConstructionDefaults)
{
    LinuxOperate op("A=1");
    EXPECT_EQ(op.runShellRetCode, -1);
    EXPECT_EQ(op.runShellRetStr, "");
    EXPECT_EQ(op.m_numaCount, -1);
    EXPECT_EQ(op.m_envp, "A=1");
    ASSERT_NE(op.m_str, nullptr);
    ASSERT_NE(op.m_fop, nullptr);
    ScopedEnv env("QUENDAR_SYSROOT", nullptr);
    EXPECT_EQ(op.GetOnlineCpuListStr(), "") << "the real machine's list comes from taskset";
}

}  // namespace
