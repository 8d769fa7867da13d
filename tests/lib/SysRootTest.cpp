#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ScopedEnv.h"
#include "SysRoot.h"

namespace {

TEST(SysRootTest, MachinePathsMoveUnderTheRoot)
{
    ScopedEnv root("QUENDAR_SYSROOT", "/fx/m");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/proc/cpuinfo", "/fx/m/proc/cpuinfo"},
        {"/proc/meminfo", "/fx/m/proc/meminfo"},
        {"/sys/devices/system/cpu/online", "/fx/m/sys/devices/system/cpu/online"},
        {"/sys/bus/event_source/devices", "/fx/m/sys/bus/event_source/devices"},
        {"/sys/firmware/dmi/tables/DMI", "/fx/m/sys/firmware/dmi/tables/DMI"},
        {"/proc", "/proc"},
        {"/proc/", "/proc/"},
        {"/proc/1", "/proc/1"},
        {"/proc/123/task/124/comm", "/proc/123/task/124/comm"},
        {"/proc/self/status", "/proc/self/status"},
        {"/proc/thread-self/comm", "/proc/thread-self/comm"},
        {"/proc/12a/x", "/fx/m/proc/12a/x"},
        {"/etc/passwd", "/etc/passwd"},
        {"/system/x", "/system/x"},
        {"/procx/cpuinfo", "/procx/cpuinfo"},
        {"relative/sys", "relative/sys"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SysRoot::Resolve(c.first), c.second) << c.first;
    }
    EXPECT_TRUE(SysRoot::IsDescribed());
    EXPECT_EQ(SysRoot::Root(), "/fx/m");
}

TEST(SysRootTest, NoRootMeansTheRealMachine)
{
    for (const char* value : {static_cast<const char*>(nullptr), "", "/"}) {
        ScopedEnv root("QUENDAR_SYSROOT", value);
        EXPECT_EQ(SysRoot::Resolve("/proc/cpuinfo"), "/proc/cpuinfo");
        EXPECT_EQ(SysRoot::Resolve("/sys/devices/system/cpu"), "/sys/devices/system/cpu");
        EXPECT_FALSE(SysRoot::IsDescribed());
    }
}

TEST(SysRootTest, RootIsReadAtEveryCall)
{
    ScopedEnv first("QUENDAR_SYSROOT", "/one/");
    EXPECT_EQ(SysRoot::Resolve("/sys/x"), "/one/sys/x");
    ScopedEnv second("QUENDAR_SYSROOT", "/two");
    EXPECT_EQ(SysRoot::Resolve("/sys/x"), "/two/sys/x");
}

}  // namespace
