#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "LinuxOperate.h"
#include "TempDir.h"
#include "common.h"

namespace {

using Strings = std::vector<std::string>;

std::string ReadProcFile(int pid, const char* name)
{
    return TempDir::Read("/proc/" + std::to_string(pid) + "/" + name);
}

// The child of a fork has not always replaced its image yet when fork
// returns; wait (without any time limit that could fail the test) until it
// has, or has ended.
std::string CmdlineAfterExec(int pid, const std::string& expected)
{
    std::string cmdline;
    for (int i = 0; i < 1000; ++i) {
        cmdline = ReadProcFile(pid, "cmdline");
        // While the image is being replaced the command line reads empty
        // for a moment; only the expected text ends the wait.
        if (cmdline == expected) {
            break;
        }
        ::usleep(10000);
    }
    return cmdline;
}

class ProcessTest : public ::testing::Test {
protected:
    void SetUp() override { m_saved = g_loglevel; }
    void TearDown() override { g_loglevel = m_saved; }
    std::string m_saved;
    LinuxOperate m_op{"PATH=/usr/bin:/bin"};
};

struct ShellCase {
    std::string command;
    std::string output;
    int status;
};

const std::vector<ShellCase> kShellCases = {
    {"printf 'a\\nb\\n'", "a\nb", 0},
    {"true", "", 0},
    {"printf 'one\\r'", "one", 0},
    {"printf 'x\\n\\n'", "x\n", 0},
    {"echo out; exit 3", "out", 3},
    {"printf '%%s%%n'", "%s%n", 0},
    {"kill -TERM $$", "", 128 + SIGTERM},
    {"sh -c 'kill -KILL $$'", "", 128 + SIGKILL},
    {"exec sh -c 'kill -SEGV $$'", "", 128 + SIGSEGV},
    {"echo err >&2", "", 0},
};

TEST_F(ProcessTest, RunShellCapturesOutputAndStatus)
{
    for (const ShellCase& c : kShellCases) {
        ::testing::internal::CaptureStdout();
        const int status = m_op.RunShell(c.command, 0);
        ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(status, c.status) << c.command;
        EXPECT_EQ(m_op.runShellRetCode, c.status) << c.command;
        EXPECT_EQ(m_op.runShellRetStr, c.output) << c.command;
    }
}

TEST_F(ProcessTest, RunShellThreadReturnsAndLeavesTheObject)
{
    for (const ShellCase& c : kShellCases) {
        ::testing::internal::CaptureStdout();
        const auto result = m_op.RunShellThread(c.command, 0);
        ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(result.first, c.output) << c.command;
        EXPECT_EQ(result.second, c.status) << c.command;
    }
    EXPECT_EQ(m_op.runShellRetCode, -1);
    EXPECT_EQ(m_op.runShellRetStr, "");
}

TEST_F(ProcessTest, RunShellThreadShowFlagPrintsTheOutputOnceMore)
{
    g_loglevel = "";
    for (int flag : {0, 1}) {
        ::testing::internal::CaptureStdout();
        m_op.RunShellThread("echo shown-text", flag);
        const std::string out = ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(out, flag == 1 ? "shown-text\n" : "") << flag;
    }
}

TEST_F(ProcessTest, OutputIsEchoedLiterallyAsRawLines)
{
    g_loglevel = "debug";
    ::testing::internal::CaptureStdout();
    const auto result = m_op.RunShellThread("printf '%%s%%n %%d\\n'", 0);
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(result.first, "%s%n %d");
    EXPECT_NE(out.find("\n %s%n %d\n"), std::string::npos) << out;
}

TEST_F(ProcessTest, RunExecveWithArgumentVector)
{
    struct Case {
        Strings argv;
        std::string output;
        int status;
    };
    const std::vector<Case> cases = {
        {{"sh", "-c", "printf 'a\\nb\\n'"}, "a\nb", 0},
        {{"sh", "-c", "exit 3"}, "", 3},
        {{"sh", "-c", "echo to-stderr >&2"}, "to-stderr", 0},
        {{"sh", "-c", "printf '%%s%%n'"}, "%s%n", 0},
        {{"sh", "-c", "kill -TERM $$"}, "", 128 + SIGTERM},
        {{"my-name", "-c", "echo $0"}, "my-name", 0},
    };
    for (const Case& c : cases) {
        ::testing::internal::CaptureStdout();
        const auto result = m_op.RunExecve("/bin/sh", c.argv, "", 0);
        ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(result.first, c.output) << c.argv.back();
        EXPECT_EQ(result.second, c.status) << c.argv.back();
    }
}

TEST_F(ProcessTest, RunExecveEnvironment)
{
    struct Case {
        std::string envp;
        std::string output;
    };
    const std::vector<Case> cases = {
        {"", "PATH=/usr/bin:/bin"},
        {"A=1 B='two words'", "A=1\nB=two words"},
    };
    for (const Case& c : cases) {
        ::testing::internal::CaptureStdout();
        const auto result = m_op.RunExecve("/usr/bin/env", Strings{"env"}, c.envp, 0);
        ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(result.first, c.output) << c.envp;
    }
}

TEST_F(ProcessTest, RunExecveOfMissingProgramReportsIt)
{
    ::testing::internal::CaptureStdout();
    const auto result = m_op.RunExecve("/no/such/program", Strings{"program", "arg"}, "", 0);
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(result.second, 1);
    bool found = false;
    for (size_t at = 0; at != std::string::npos && at < result.first.size();) {
        const size_t end = result.first.find('\n', at);
        const std::string line = result.first.substr(at, end == std::string::npos ? std::string::npos : end - at);
        found = found || line == "pathName:/no/such/program";
        at = end == std::string::npos ? end : end + 1;
    }
    EXPECT_TRUE(found) << result.first;
    EXPECT_NE(result.first.find("program arg "), std::string::npos) << result.first;
}

TEST_F(ProcessTest, RunExecveTextForms)
{
    struct Case {
        std::string line;
        std::string output;
        int status;
    };
    const std::vector<Case> cases = {
        {"echo hello 'big world'", "hello big world", 0},
        {"/bin/echo slash", "slash", 0},
        {"sh -c 'exit 4'", "", 4},
    };
    for (const Case& c : cases) {
        ::testing::internal::CaptureStdout();
        const auto result = m_op.RunExecve(c.line, 0);
        ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(result.first, c.output) << c.line;
        EXPECT_EQ(result.second, c.status) << c.line;
    }
    ::testing::internal::CaptureStdout();
    const auto split = m_op.RunExecve("/bin/sh", "sh -c 'echo $0-$1' first second", "", 0);
    const auto missing = m_op.RunExecve("no-such-program-anywhere", 0);
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(split.first, "first-second");
    EXPECT_NE(missing.second, 0);
}

TEST_F(ProcessTest, ForkRunBackGroundStartsWithoutWaitingAndDropsProxies)
{
    LinuxOperate op("PATH=/usr/bin:/bin http_proxy=http://p:1 A=1 no_proxy=x HTTPS_PROXY=h B=2");
    ::testing::internal::CaptureStdout();
    const int pid = op.ForkRunBackGround("sleep 10");
    const std::string out = ::testing::internal::GetCapturedStdout();
    ASSERT_GT(pid, 0);
    EXPECT_NE(out.find("parent execute...... " + std::to_string(::getpid())), std::string::npos) << out;
    const std::string expected("sleep\0" "10\0", 9);
    EXPECT_EQ(CmdlineAfterExec(pid, expected), expected);
    EXPECT_EQ(ReadProcFile(pid, "environ"), std::string("PATH=/usr/bin:/bin\0A=1\0B=2\0", 27));
    int status = 0;
    EXPECT_EQ(::waitpid(pid, &status, WNOHANG), 0) << "the child is still running";
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
}

TEST_F(ProcessTest, ConcurrentRunShellThreadAndRunExecve)
{
    std::vector<std::pair<std::string, int>> results(6);
    std::vector<std::thread> threads;
    ::testing::internal::CaptureStdout();
    for (int t = 0; t < 6; ++t) {
        threads.emplace_back([&, t]() {
            if (t % 2 == 0) {
                results[static_cast<size_t>(t)] = m_op.RunShellThread("echo t" + std::to_string(t) + "; exit " + std::to_string(t), 0);
            } else {
                results[static_cast<size_t>(t)] =
                    m_op.RunExecve("/bin/sh", Strings{"sh", "-c", "echo t" + std::to_string(t) + "; exit " + std::to_string(t)}, "", 0);
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    ::testing::internal::GetCapturedStdout();
    for (int t = 0; t < 6; ++t) {
        EXPECT_EQ(results[static_cast<size_t>(t)].first, "t" + std::to_string(t));
        EXPECT_EQ(results[static_cast<size_t>(t)].second, t);
    }
}

}  // namespace
