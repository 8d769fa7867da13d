#include <gtest/gtest.h>

#include <sys/time.h>

#include <ctime>
#include <string>
#include <vector>

#include "ScopedEnv.h"
#include "Time.h"

namespace {

class TimeTest : public ::testing::Test {
protected:
    void SetUp() override { ::tzset(); }
    void TearDown() override { ::tzset(); }
    ScopedEnv m_tz{"TZ", "UTC"};
    Time m_time;
};

TEST_F(TimeTest, Tokens)
{
    struct Case {
        std::string fmt;
        struct timeval when;
        std::string result;
    };
    const std::vector<Case> cases = {
        {"%(MS)", {0, 5000}, "  5"},
        {"%(MS)", {0, 999999}, "999"},
        {"%(US)", {0, 42}, "    42"},
        {"%(US)", {0, 123456}, "123456"},
        {"%Y-%m-%d %H:%M:%S.%(MS)", {86400, 5000}, "1970-01-02 00:00:00.  5"},
        {"[%(MS)|%(MS)]", {0, 12000}, "[ 12| 12]"},
        {"%H:%M", {3660, 0}, "01:01"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(m_time.FormatTimeStr(c.fmt, c.when), c.result) << c.fmt;
    }
}

TEST_F(TimeTest, MillisecondsWinOverMicroseconds)
{
    const std::string out = m_time.FormatTimeStr("%(MS) %(US)", {0, 7000});
    EXPECT_EQ(out.substr(0, 4), "  7 ");
    EXPECT_EQ(out.find("  7000"), std::string::npos);
}

TEST_F(TimeTest, RecordsTheReading)
{
    m_time.FormatTimeStr("%S", {1234, 567890});
    EXPECT_EQ(m_time.m_detailSeconds, 1234);
    EXPECT_EQ(m_time.m_detailMsSeconds, 567);
    EXPECT_EQ(m_time.m_detailUsSeconds, 567890);
    EXPECT_EQ(m_time.m_nowTime.tm_min, 20);
    EXPECT_EQ(m_time.defaultTime, "19700101000000000");
}

TEST_F(TimeTest, ResultIsLimited)
{
    EXPECT_EQ(m_time.FormatTimeStr(std::string(127, 'x'), {0, 0}), std::string(127, 'x'));
    EXPECT_LE(m_time.FormatTimeStr(std::string(200, 'x'), {0, 0}).size(), 127u);
}

TEST_F(TimeTest, MicrosecondsSinceEpochLieBetweenReadings)
{
    struct timeval before {};
    struct timeval after {};
    ::gettimeofday(&before, nullptr);
    const int64_t now = m_time.GetTimeUsSeconds();
    ::gettimeofday(&after, nullptr);
    EXPECT_GE(now, static_cast<int64_t>(before.tv_sec) * 1000000 + before.tv_usec);
    EXPECT_LE(now, static_cast<int64_t>(after.tv_sec) * 1000000 + after.tv_usec);
}

}  // namespace
