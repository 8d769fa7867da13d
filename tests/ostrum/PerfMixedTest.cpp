#include "PerfMixed.h"

#include <sys/resource.h>
#include <unistd.h>

#include <string>
#include <typeinfo>
#include <vector>

#include <gtest/gtest.h>

#include "CacheDDRAccess.h"
#include "CacheTLBMissRatio.h"
#include "CollectorFixture.h"
#include "L1CL2CBandWidth.h"
#include "L3CMemBandWidth.h"
#include "PrefetchHits.h"
#include "TopDown.h"
#include "TopDownQ60B.h"
#include "TopDownQ60C.h"
#include "TopDownQ60F.h"

namespace {

ModeMap Modes(const std::string& on)
{
    ModeMap modes{{"bandwidth", false}, {"cache-miss", false}, {"access", false}, {"topdown", false}};
    if (on == "all") {
        for (const char* key : {"bandwidth", "cache-miss", "access", "prefetch", "topdown"}) {
            modes[key] = true;
        }
    } else {
        modes[on] = true;
    }
    return modes;
}

const PrivilegeMap kAll{{"exclude_user", 0}, {"exclude_kernel", 0}, {"exclude_hv", 0}};

// Runs in a scratch directory: PerfMixed makes perf_results in the current one.
class PerfMixedRun : public CollectorFixture {
protected:
    void SetUp() override
    {
        m_oldDir = getcwd(nullptr, 0);
        ASSERT_EQ(chdir(m_dir.Path().c_str()), 0);
    }
    void TearDown() override
    {
        if (m_oldDir != nullptr) {
            EXPECT_EQ(chdir(m_oldDir), 0);
            free(m_oldDir);
        }
        CollectorFixture::TearDown();
    }
    char* m_oldDir = nullptr;
};

struct ModelCase {
    const char* machine;
    std::vector<std::string> collectors;
    bool topDown;
};

class PerfMixedModels : public PerfMixedRun, public ::testing::WithParamInterface<ModelCase> {};

TEST_P(PerfMixedModels, ModeAllBuildsTheCollectorsOfTheModel)
{
    const ModelCase& c = GetParam();
    UseMachine(c.machine);
    PerfMixed perf(Modes("all"), kAll, -1, "-1", "", {{"threadKeywords", ""}});
    std::vector<std::string> names;
    for (Ostrum* collector : perf.m_perfClasses) {
        names.push_back(typeid(*collector).name());
    }
    EXPECT_EQ(names, c.collectors);
    EXPECT_EQ(perf.m_ifTopDown, c.topDown);
}

const std::string kL1 = typeid(L1CL2CBandWidth).name();
const std::string kL3 = typeid(L3CMemBandWidth).name();
const std::string kMiss = typeid(CacheTLBMissRatio).name();
const std::string kAccess = typeid(CacheDDRAccess).name();
const std::string kPrefetch = typeid(PrefetchHits).name();

INSTANTIATE_TEST_SUITE_P(
    Models, PerfMixedModels,
    ::testing::Values(ModelCase{"q60-2s", {kL1, kL3, kMiss, kAccess, kPrefetch, typeid(TopDown).name()}, true},
                      ModelCase{"q60b-1s", {kL1, kL3, kMiss, kAccess, typeid(TopDownQ60B).name()}, true},
                      ModelCase{"q60c", {kL1, kL3, kMiss, kAccess, typeid(TopDownQ60C).name()}, true},
                      ModelCase{"q60f", {kL1, kL3, kMiss, kAccess, typeid(TopDownQ60F).name()}, true},
                      ModelCase{"q50", {kL1, kL3, kMiss, kAccess}, false}),
    [](const auto& info) {
        std::string name = info.param.machine;
        for (char& ch : name) {
            if (ch == '-') {
                ch = '_';
            }
        }
        return name;
    });

TEST_F(PerfMixedRun, ResultsFileIsNamedByStampAndKeyword)
{
    UseMachine("q60-2s");
    std::string first;
    {
        PerfMixed perf(Modes("bandwidth"), kAll, -1, "0", "test", {{"threadKeywords", ""}});
        first = perf.m_resFile;
        const std::string prefix = m_dir.Path() + "/perf_results/";
        ASSERT_EQ(first.rfind(prefix, 0), 0u) << first;
        const std::string suffix = "_test/perf_info.txt";
        ASSERT_GT(first.size(), prefix.size() + suffix.size());
        EXPECT_EQ(first.substr(first.size() - suffix.size()), suffix);
        EXPECT_TRUE(FileOperate().isFile(first));
    }
    PerfMixed second(Modes("bandwidth"), kAll, -1, "0", "", {{"threadKeywords", ""}});
    EXPECT_NE(second.m_resFile, first) << "every run has its own directory";
    EXPECT_LT(first.substr(0, first.size() - 19), second.m_resFile) << "run directories sort by time";
}

TEST_F(PerfMixedRun, OpenFilesLimitIsRaisedAndRestored)
{
    UseMachine("q60-2s");
    rlimit original{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &original), 0);
    rlimit low = original;
    low.rlim_cur = 1030;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
    {
        testing::internal::CaptureStdout();
        PerfMixed perf(Modes("bandwidth"), kAll, -1, "-1", "", {{"threadKeywords", ""}});
        long long needed = 1024;
        for (Ostrum* collector : perf.m_perfClasses) {
            needed += collector->m_fdMaxCount;
        }
        rlimit raised{};
        getrlimit(RLIMIT_NOFILE, &raised);
        EXPECT_EQ(raised.rlim_cur, static_cast<rlim_t>(needed));
        EXPECT_EQ(raised.rlim_max, original.rlim_max) << "the hard limit is never lowered";
        EXPECT_EQ(perf.m_openFilesSoftLimitOrgin, 1030);
    }
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Print info is saved to " + m_dir.Path() + "/perf_results/"), std::string::npos);
    rlimit after{};
    getrlimit(RLIMIT_NOFILE, &after);
    EXPECT_EQ(after.rlim_cur, 1030u);
    EXPECT_EQ(after.rlim_max, original.rlim_max);
    setrlimit(RLIMIT_NOFILE, &original);
}

TEST_F(PerfMixedRun, ReportIsEncodedAndLaidOutByDies)
{
    UseMachine("q60-2s");
    testing::internal::CaptureStdout();
    {
        PerfMixed perf(Modes("bandwidth"), kAll, -1, "0-3", "", {{"threadKeywords", ""}});
        L1CL2CBandWidth* l1 = dynamic_cast<L1CL2CBandWidth*>(perf.m_perfClasses.at(0));
        ASSERT_NE(l1, nullptr);
        for (Ostrum* collector : perf.m_perfClasses) {
            PrepareCounts(*collector);
        }
        FeedPeriod(*l1, [](PerfEvent, int) { return 16384.0; }, 1);
        const std::string encoded = perf.GetPrintStr(1, true);
        const std::string plain = Decoded(encoded);
        EXPECT_EQ(encoded.find('\n'), std::string::npos) << "no plain line break in the encoded text";
        EXPECT_NE(plain.find("Cache and DDR Bandwidth"), std::string::npos);
        EXPECT_EQ(plain.rfind(l1->GetPrintStr(l1->m_perfEvents, 1) + "\n", 0), 0u)
            << "the first collector's report comes first";
    }
    testing::internal::GetCapturedStdout();
}

}  // namespace
