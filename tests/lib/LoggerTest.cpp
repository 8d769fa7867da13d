#include <gtest/gtest.h>

#include <sys/time.h>
#include <unistd.h>

#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "Logger.h"
#include "ScopedEnv.h"
#include "TempDir.h"
#include "common.h"

namespace {

const std::regex kStamp(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3})");

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

class LoggerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_saved = g_loglevel;
        m_logger.m_logFile = m_dir.Sub("test.log");
    }
    void TearDown() override { g_loglevel = m_saved; }

    std::string CaptureLog(int level, const char* file, int line, const std::string& message)
    {
        ::testing::internal::CaptureStdout();
        m_logger.Log(level, file, line, "%s", message.c_str());
        return ::testing::internal::GetCapturedStdout();
    }

    TempDir m_dir;
    Logger m_logger;
    std::string m_saved;
};

TEST_F(LoggerTest, ConstructorSetsTemplatesAndDefaults)
{
    Logger fresh;
    EXPECT_EQ(fresh.m_logLevel, "DEBUG");
    EXPECT_EQ(fresh.m_logOutString, "");
    EXPECT_EQ(fresh.m_logFormat, " %s | %20s:%-4d | %-5s : %s");
    EXPECT_EQ(fresh.m_logShowFormat, " %s | %-5s : %s");
    EXPECT_EQ(fresh.m_logFile.size(), 21u);
}

TEST_F(LoggerTest, LevelNames)
{
    const std::vector<std::pair<int, std::string>> cases = {
        {ERROR, "ERROR"}, {WARN, "WARN"}, {INFO, "INFO"}, {DEBUG, "DEBUG"},
        {NONE, "NONE"},   {7, "DEBUG"},   {-5, "DEBUG"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(m_logger.GetLogLevel(c.first), c.second) << c.first;
    }
}

TEST_F(LoggerTest, FilteringBySetting)
{
    struct Case {
        const char* setting;
        std::map<int, bool> printed;
    };
    const std::vector<Case> cases = {
        {"", {{NONE, false}, {ERROR, false}, {WARN, false}, {INFO, false}, {DEBUG, false}}},
        {"debug", {{NONE, true}, {ERROR, true}, {WARN, true}, {INFO, true}, {DEBUG, true}}},
        {"info", {{NONE, true}, {ERROR, true}, {WARN, true}, {INFO, true}, {DEBUG, false}}},
        {"warn", {{NONE, true}, {ERROR, true}, {WARN, true}, {INFO, false}, {DEBUG, false}}},
        {"error", {{NONE, true}, {ERROR, true}, {WARN, false}, {INFO, false}, {DEBUG, false}}},
        {"none", {{NONE, true}, {ERROR, false}, {WARN, false}, {INFO, false}, {DEBUG, false}}},
        {"verbose", {{NONE, true}, {ERROR, true}, {WARN, true}, {INFO, true}, {DEBUG, true}}},
    };
    for (const Case& c : cases) {
        g_loglevel = c.setting;
        for (const auto& level : c.printed) {
            const std::string out = CaptureLog(level.first, "F.cpp", 1, "filtered?");
            EXPECT_EQ(!out.empty(), level.second) << "setting '" << c.setting << "' level " << level.first;
        }
        // LogShow ignores the setting.
        ::testing::internal::CaptureStdout();
        m_logger.LogShow(DEBUG, "%s", "always");
        EXPECT_NE(::testing::internal::GetCapturedStdout(), "") << c.setting;
    }
}

TEST_F(LoggerTest, LineShapes)
{
    g_loglevel = "debug";
    struct Case {
        int level;
        const char* file;
        int line;
        std::string message;
        std::string expectedAfterStamp;  // empty: no stamp, whole line expected in `whole`
        std::string whole;
    };
    const std::vector<Case> cases = {
        {INFO, "LinuxOperate.cpp", 60, "shell cmd: ls", " |     LinuxOperate.cpp:60   | INFO  : shell cmd: ls", ""},
        {ERROR, "a.cpp", 12345, "x", " |                a.cpp:12345 | ERROR : x", ""},
        {WARN, "AVeryLongSourceFileName.cpp", 7, "w", " | AVeryLongSourceFileName.cpp:7    | WARN  : w", ""},
        {DEBUG, "d.cpp", 3, "", " |                d.cpp:3    | DEBUG : ", ""},
        {NONE, "n.cpp", 9, "abc", "", " abc"},
        {NONE, "n.cpp", 9, "%s%n", "", " %s%n"},
    };
    for (const Case& c : cases) {
        const std::string out = CaptureLog(c.level, c.file, c.line, c.message);
        ASSERT_FALSE(out.empty());
        ASSERT_EQ(out.back(), '\n');
        const std::string line = out.substr(0, out.size() - 1);
        if (c.expectedAfterStamp.empty()) {
            EXPECT_EQ(line, c.whole);
        } else {
            ASSERT_GE(line.size(), 24u) << line;
            EXPECT_EQ(line[0], ' ');
            EXPECT_TRUE(std::regex_match(line.substr(1, 23), kStamp)) << line;
            EXPECT_EQ(line.substr(24), c.expectedAfterStamp);
        }
        EXPECT_EQ(m_logger.LastOutString(), line);
        EXPECT_EQ(m_logger.LastMessages(), c.message);
        EXPECT_EQ(m_logger.LastLevel(), m_logger.GetLogLevel(c.level));
        // The same line was appended to the log file.
        const std::vector<std::string> fileLines = Lines(TempDir::Read(m_logger.m_logFile));
        ASSERT_FALSE(fileLines.empty());
        EXPECT_EQ(fileLines.back(), line);
    }
}

TEST_F(LoggerTest, LogShowShapes)
{
    const std::vector<std::pair<int, std::string>> cases = {
        {ERROR, " | ERROR : boom 7"}, {INFO, " | INFO  : boom 7"}, {DEBUG, " | DEBUG : boom 7"}};
    for (const auto& c : cases) {
        ::testing::internal::CaptureStdout();
        m_logger.LogShow(c.first, "boom %d", 7);
        std::string line = ::testing::internal::GetCapturedStdout();
        ASSERT_EQ(line.back(), '\n');
        line.pop_back();
        EXPECT_TRUE(std::regex_match(line.substr(1, 23), kStamp)) << line;
        EXPECT_EQ(line.substr(24), c.second);
    }
    ::testing::internal::CaptureStdout();
    m_logger.LogShow(NONE, "%s", "raw");
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), " raw\n");
}

TEST_F(LoggerTest, LongMessagesAreCut)
{
    g_loglevel = "debug";
    const std::string huge(70000, 'x');
    struct Case {
        int level;
        size_t messageLength;
    };
    for (const Case& c : std::vector<Case>{{NONE, 65535}, {INFO, 65535}}) {
        const std::string out = CaptureLog(c.level, "cut.cpp", 1, huge);
        EXPECT_EQ(m_logger.LastMessages().size(), c.messageLength);
        EXPECT_EQ(out.size(), 65535u + 1) << "a whole line is limited to 65,535 characters";
    }
}

TEST_F(LoggerTest, LogFileDirectoryIsCreated)
{
    m_logger.m_logFile = m_dir.Sub("a/b/quendar.log");
    ::testing::internal::CaptureStdout();
    m_logger.LogShow(NONE, "%s", "first");
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(TempDir::Read(m_logger.m_logFile), " first\n");
}

TEST_F(LoggerTest, UnwritableLogFileStillPrints)
{
    m_logger.m_logFile = "/dev/null/cannot/be";
    ::testing::internal::CaptureStdout();
    m_logger.LogShow(NONE, "%s", "still here");
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), " still here\n");
}

TEST_F(LoggerTest, ManyThreadsKeepLinesWhole)
{
    g_loglevel = "debug";
    constexpr int kThreads = 8;
    constexpr int kLines = 150;
    const std::string marker = "mt" + std::to_string(::getpid());
    ::testing::internal::CaptureStdout();
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t]() {
            for (int i = 0; i < kLines; ++i) {
                // Payload lengths vary so torn writes would show.
                const std::string payload(static_cast<size_t>((t * 97 + i * 31) % 3000), static_cast<char>('a' + t));
                if (i % 2 == 0) {
                    m_logger.Log(INFO, "Threads.cpp", t, "%s t%d i%d %s end", marker.c_str(), t, i, payload.c_str());
                } else {
                    m_logger.LogShow(WARN, "%s t%d i%d %s end", marker.c_str(), t, i, payload.c_str());
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    const std::string out = ::testing::internal::GetCapturedStdout();
    const std::regex head(" " + std::string(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3})") +
                          R"( \| (?:         Threads.cpp:\d {4}\| INFO |WARN ) : )");
    for (const std::string& source : {out, TempDir::Read(m_logger.m_logFile)}) {
        std::map<int, int> perThread;
        for (const std::string& line : Lines(source)) {
            const size_t at = line.find(marker);
            ASSERT_NE(at, std::string::npos) << line.substr(0, 200);
            ASSERT_TRUE(std::regex_match(line.substr(0, at), head)) << line.substr(0, 200);
            int t = -1;
            int i = -1;
            int used = 0;
            const std::string tail = line.substr(at + marker.size());
            ASSERT_EQ(std::sscanf(tail.c_str(), " t%d i%d %n", &t, &i, &used), 2) << tail.substr(0, 100);
            ASSERT_GE(t, 0);
            ASSERT_LT(t, kThreads);
            const std::string payload(static_cast<size_t>((t * 97 + i * 31) % 3000), static_cast<char>('a' + t));
            EXPECT_EQ(tail.substr(static_cast<size_t>(used)), payload + (payload.empty() ? "end" : " end"));
            ++perThread[t];
        }
        ASSERT_EQ(perThread.size(), static_cast<size_t>(kThreads));
        for (const auto& count : perThread) {
            EXPECT_EQ(count.second, kLines) << "thread " << count.first;
        }
    }
}

TEST(LogTimeTest, MillisecondsArePaddedAndTruncated)
{
    ScopedEnv tz("TZ", "UTC");
    ::tzset();
    const std::vector<std::pair<struct timeval, std::string>> cases = {
        {{0, 5000}, "1970-01-01 00:00:00.005"},
        {{0, 5999}, "1970-01-01 00:00:00.005"},
        {{86399, 999999}, "1970-01-01 23:59:59.999"},
        {{1700000000, 120000}, "2023-11-14 22:13:20.120"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatLogLocalTime(c.first), c.second);
    }
    EXPECT_EQ(GetLogLocalTimeWithMs().size(), 23u);
}

TEST(LogWriteFileTest, AppendsWithNewlineAndSkipsUnopenable)
{
    TempDir dir;
    const std::string path = dir.Sub("w.log");
    WriteFile("one", path);
    WriteFile("", path);
    WriteFile("two", path);
    EXPECT_EQ(TempDir::Read(path), "one\n\ntwo\n");
    WriteFile("lost", dir.Sub("missing/dir/x.log"));
    EXPECT_EQ(TempDir::Read(dir.Sub("missing/dir/x.log")), "");
}

}  // namespace
