#include "PmuAccess.h"

#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "TempDir.h"

namespace {

struct Triple {
    uint64_t value, enabled, running;
};

class SimulatedPmu : public ::testing::Test {
protected:
    void Load(const std::string& rules)
    {
        std::string error;
        ASSERT_TRUE(PmuAccess::UseSimulation(m_dir.Write("sim.txt", rules), error)) << error;
    }
    void TearDown() override { PmuAccess::UseKernel(); }

    static perf_event_attr Attr(uint32_t type, uint64_t config)
    {
        perf_event_attr attr;
        std::memset(&attr, 0, sizeof(attr));
        attr.type = type;
        attr.size = sizeof(attr);
        attr.config = config;
        attr.read_format = PERF_FORMAT_TOTAL_TIME_ENABLED | PERF_FORMAT_TOTAL_TIME_RUNNING;
        attr.disabled = 1;
        return attr;
    }
    static Triple Read(int fd)
    {
        Triple t{};
        EXPECT_EQ(PmuAccess::Read(fd, &t, sizeof(t)), 24);
        return t;
    }
    static void Pause()
    {
        timespec pause{0, 20 * 1000 * 1000};
        nanosleep(&pause, nullptr);
    }

    TempDir m_dir;
};

TEST_F(SimulatedPmu, CountsOnlyWhileEnabled)
{
    Load("4 0x04 1e9 running=0.5\n");
    perf_event_attr attr = Attr(4, 0x04);
    const int fd = PmuAccess::Open(&attr, -1, 0, -1, 0);
    ASSERT_GE(fd, 0);

    Pause();
    const Triple before = Read(fd);
    EXPECT_EQ(before.enabled, 0u) << "a disabled counter must not run";
    EXPECT_EQ(before.value, 0u);

    ASSERT_EQ(PmuAccess::Ioctl(fd, PERF_EVENT_IOC_ENABLE), 0);
    Pause();
    const Triple running = Read(fd);
    EXPECT_GT(running.enabled, 0u);
    EXPECT_EQ(running.running, running.enabled / 2);
    // 1e9 events per second of running time: one per running nanosecond.
    EXPECT_EQ(running.value, running.running);

    ASSERT_EQ(PmuAccess::Ioctl(fd, PERF_EVENT_IOC_DISABLE), 0);
    const Triple stopped = Read(fd);
    Pause();
    const Triple later = Read(fd);
    EXPECT_EQ(later.enabled, stopped.enabled);
    EXPECT_EQ(later.value, stopped.value);

    ASSERT_EQ(PmuAccess::Ioctl(fd, PERF_EVENT_IOC_ENABLE), 0);
    Pause();
    EXPECT_GT(Read(fd).enabled, stopped.enabled) << "enable resumes";
    EXPECT_EQ(PmuAccess::Close(fd), 0);
}

TEST_F(SimulatedPmu, UnmatchedOpenFailsWithEnoent)
{
    Load("4 0x04 10 cpu=0\n");
    perf_event_attr attr = Attr(4, 0x04);
    errno = 0;
    EXPECT_EQ(PmuAccess::Open(&attr, -1, 1, -1, 0), -1);
    EXPECT_EQ(errno, ENOENT);
    attr = Attr(4, 0x16);
    EXPECT_EQ(PmuAccess::Open(&attr, -1, 0, -1, 0), -1);
    EXPECT_EQ(errno, ENOENT);
}

TEST_F(SimulatedPmu, ShortReadBufferIsRefused)
{
    Load("* * 1\n");
    perf_event_attr attr = Attr(4, 1);
    const int fd = PmuAccess::Open(&attr, -1, 0, -1, 0);
    ASSERT_GE(fd, 0);
    char small[8];
    EXPECT_EQ(PmuAccess::Read(fd, small, sizeof(small)), -1);
    PmuAccess::Close(fd);
}

TEST_F(SimulatedPmu, CountersUseDescriptorsUnderTheOpenFilesLimit)
{
    // Like kernel counters, simulated ones fail with EMFILE at the limit.
    Load("* * 1\n");
    auto openUntilFull = []() {
        rlimit low{};
        low.rlim_cur = low.rlim_max = 16;
        setrlimit(RLIMIT_NOFILE, &low);
        perf_event_attr attr = Attr(4, 1);
        int fd = 0;
        for (int i = 0; i < 64 && fd >= 0; ++i) {
            fd = PmuAccess::Open(&attr, -1, 0, -1, 0);
        }
        _exit(fd < 0 && errno == EMFILE ? 0 : 1);
    };
    EXPECT_EXIT(openUntilFull(), ::testing::ExitedWithCode(0), "");
}

TEST(PmuAccessInit, MalformedFileNamedByEnvironmentIsRefused)
{
    TempDir dir;
    const std::string path = dir.Write("bad.txt", "4 0x04 10\n4 0x04\n");
    setenv("QUENDAR_PMU_SIM", path.c_str(), 1);
    std::string error;
    EXPECT_FALSE(PmuAccess::Init(error));
    unsetenv("QUENDAR_PMU_SIM");
    EXPECT_EQ(error.rfind(path + ":2:", 0), 0u) << error;
    PmuAccess::UseKernel();
}

}  // namespace
