#include "CommandLine.h"

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CollectorFixture.h"
#include "common.h"

namespace {

struct Parsed {
    int status;
    CommandLineOptions options;
    std::string out, err;
};

Parsed Parse(std::vector<std::string> words)
{
    words.insert(words.begin(), "ostrum");
    std::vector<char*> argv;
    for (std::string& w : words) {
        argv.push_back(&w[0]);
    }
    argv.push_back(nullptr);
    LinuxOperate lop("");
    Parsed p;
    std::ostringstream out, err;
    p.status = ParseCommandLine(static_cast<int>(words.size()), argv.data(), lop, p.options, out, err);
    p.out = out.str();
    p.err = err.str();
    return p;
}

class OstrumCommandLine : public CollectorFixture {
protected:
    void SetUp() override
    {
        UseMachine("q60-2s");
        g_loglevel = "";
    }
    void TearDown() override
    {
        g_loglevel = "";
        CollectorFixture::TearDown();
    }
};

TEST_F(OstrumCommandLine, NoArgumentKeepsTheDefaults)
{
    const Parsed p = Parse({});
    ASSERT_EQ(p.status, -1);
    EXPECT_EQ(p.options.interval, 5);
    EXPECT_EQ(p.options.times, 10);
    EXPECT_EQ(p.options.pid, -1);
    EXPECT_EQ(p.options.cpu, "-1");
    EXPECT_EQ(p.options.modes, ModeMap({{"bandwidth", true}, {"cache-miss", true}, {"access", true},
                                        {"prefetch", true}, {"topdown", true}}));
    EXPECT_EQ(p.options.privileges, PrivilegeMap({{"exclude_user", 0}, {"exclude_kernel", 0}, {"exclude_hv", 0}}));
    EXPECT_EQ(p.options.params, ParamMap({{"threadKeywords", ""}}));
}

struct MapCase {
    const char* name;
    std::vector<std::string> words;
    std::vector<std::string> modesOn;
    std::vector<int> excludes;  // user, kernel, hv
};

class OstrumCommandLineMaps : public OstrumCommandLine, public ::testing::WithParamInterface<MapCase> {};

TEST_P(OstrumCommandLineMaps, BuildModeAndPrivilegeMaps)
{
    const MapCase& c = GetParam();
    const Parsed p = Parse(c.words);
    ASSERT_EQ(p.status, -1) << p.err;
    for (const auto& entry : p.options.modes) {
        const bool expected = std::find(c.modesOn.begin(), c.modesOn.end(), entry.first) != c.modesOn.end();
        EXPECT_EQ(entry.second, expected) << entry.first;
    }
    EXPECT_EQ(p.options.privileges.at("exclude_user"), c.excludes[0]);
    EXPECT_EQ(p.options.privileges.at("exclude_kernel"), c.excludes[1]);
    EXPECT_EQ(p.options.privileges.at("exclude_hv"), c.excludes[2]);
}

INSTANTIATE_TEST_SUITE_P(
    Options, OstrumCommandLineMaps,
    ::testing::Values(MapCase{"bandwidth", {"-m", "bandwidth"}, {"bandwidth"}, {0, 0, 0}},
                      MapCase{"prefetch_long", {"--mode", "prefetch"}, {"prefetch"}, {0, 0, 0}},
                      MapCase{"unknown_mode_sets_nothing", {"-m", "Bandwidth"}, {}, {0, 0, 0}},
                      MapCase{"later_occurrence_wins", {"-m", "access", "-m", "topdown"}, {"topdown"}, {0, 0, 0}},
                      MapCase{"user", {"-s", "user"}, {"bandwidth", "cache-miss", "access", "prefetch", "topdown"}, {0, 1, 1}},
                      MapCase{"kernel", {"-s", "kernel", "-m", "access"}, {"access"}, {1, 0, 1}},
                      MapCase{"hypervisor", {"--state", "hypervisor", "-m", "access"}, {"access"}, {1, 1, 0}},
                      MapCase{"unknown_state", {"-s", "guest", "-m", "access"}, {"access"}, {1, 1, 1}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(OstrumCommandLine, ValuesOfTheOptions)
{
    const Parsed p = Parse({"--interval", "2", "-t", " 3", "-p", "1", "-K", "IO|RPC", "-c", "0-3,8", "-k", "run_1.a-b",
                            "-l", "debug"});
    ASSERT_EQ(p.status, -1) << p.err;
    EXPECT_EQ(p.options.interval, 2);
    EXPECT_EQ(p.options.times, 3);
    EXPECT_EQ(p.options.pid, 1);
    EXPECT_EQ(p.options.params, ParamMap({{"threadKeywords", "IO|RPC"}}));
    EXPECT_EQ(p.options.cpu, "0-3,8");
    EXPECT_EQ(p.options.outKeywords, "run_1.a-b");
    EXPECT_EQ(g_loglevel, "debug");
}

struct ExecCase {
    const char* name;
    std::vector<std::string> words;
    std::string mode;
    std::string command;
};

class OstrumCommandLineExec : public OstrumCommandLine, public ::testing::WithParamInterface<ExecCase> {};

TEST_P(OstrumCommandLineExec, WordsAfterExecFormTheCommand)
{
    const ExecCase& c = GetParam();
    const Parsed p = Parse(c.words);
    ASSERT_EQ(p.status, -1) << p.err;
    EXPECT_EQ(p.options.mode, c.mode);
    EXPECT_EQ(p.options.command, c.command);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, OstrumCommandLineExec,
    ::testing::Values(ExecCase{"options_after_belong_to_command", {"-m", "topdown", "-e", "./stream", "-m", "all"}, "topdown",
                               "./stream -m all "},
                      ExecCase{"long_form", {"--exec", "sleep", "5"}, "all", "sleep 5 "},
                      ExecCase{"non_option_word_before", {"word", "-e", "ls"}, "all", "ls "},
                      // attached forms are not found by the scan: nothing is started
                      ExecCase{"attached", {"-e./stream"}, "all", ""}, ExecCase{"equals", {"--exec=./stream"}, "all", ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct StatusCase {
    const char* name;
    std::vector<std::string> words;
    int status;
    const char* errPart;  // in standard error ("" for none expected)
    bool help;
};

class OstrumCommandLineStatus : public OstrumCommandLine, public ::testing::WithParamInterface<StatusCase> {};

TEST_P(OstrumCommandLineStatus, EndsWithTheRightStatus)
{
    const StatusCase& c = GetParam();
    testing::internal::CaptureStderr();  // getopt's own diagnostics
    const Parsed p = Parse(c.words);
    const std::string parserErr = testing::internal::GetCapturedStderr();
    EXPECT_EQ(p.status, c.status);
    EXPECT_NE((p.err + parserErr).find(c.errPart), std::string::npos) << p.err << parserErr;
    EXPECT_EQ(p.out.find(" Usage: ostrum [OPTIONS...] ") != std::string::npos, c.help) << p.out;
    if (c.status == 1 && !c.help) {
        // A refusal is one line.
        EXPECT_EQ(std::count(p.err.begin(), p.err.end(), '\n'), 1) << p.err;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, OstrumCommandLineStatus,
    ::testing::Values(StatusCase{"help", {"-h"}, 0, "", true}, StatusCase{"help_long", {"-m", "all", "--help"}, 0, "", true},
                      StatusCase{"lone_word", {"word"}, 0, "", true}, StatusCase{"unknown_option", {"-x"}, 1, "", true},
                      StatusCase{"dest", {"-d", "/tmp"}, 1, "", true}, StatusCase{"dest_long", {"--dest", "/tmp"}, 1, "", true},
                      StatusCase{"exec_last_word", {"-e"}, 1, "requires an argument", true},
                      StatusCase{"interval_not_a_number", {"-i", "abc"}, 1, "invalid -i value 'abc'", false},
                      StatusCase{"interval_zero", {"-i", "0"}, 1, "invalid -i value '0'", false},
                      StatusCase{"interval_too_large", {"-i", "99999999999"}, 1, "invalid -i value", false},
                      StatusCase{"times_negative", {"-t", "-2"}, 1, "invalid -t value '-2'", false},
                      StatusCase{"times_empty", {"-t", ""}, 1, "invalid -t value ''", false},
                      StatusCase{"pid_not_a_number", {"-p", "init"}, 1, "invalid -p value 'init'", false},
                      StatusCase{"pid_zero", {"-p", "0"}, 1, "invalid -p value '0'", false},
                      StatusCase{"pid_out_of_range", {"-p", "4294967296"}, 1, "invalid -p value", false},
                      StatusCase{"cpu_item_not_number", {"-c", "0-3,x"}, 1, "invalid -c value '0-3,x'", false},
                      StatusCase{"keyword_bad_regex", {"-K", "(IO"}, 1, "invalid -K value '(IO'", false},
                      StatusCase{"outkeyword_shell_text", {"-k", "x;rm -rf ~"}, 1, "invalid -k value", false},
                      StatusCase{"outkeyword_slash", {"-k", "../x"}, 1, "invalid -k value", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(OstrumCommandLine, VersionLine)
{
    const Parsed p = Parse({"-v"});
    EXPECT_EQ(p.status, 0);
    EXPECT_EQ(p.out, "Version: 5.1  Build Time: 20241209103814\n");
}

TEST_F(OstrumCommandLine, HelpShowsPrefetchOnlyOnTheBaseModel)
{
    struct Case {
        const char* machine;
        bool prefetch;
        const char* cpus;
    };
    for (const Case& c : {Case{"q60-2s", true, "default: 0-95\n"}, Case{"q60b-1s", false, "default: 0-47\n"}}) {
        UseMachine(c.machine);
        const Parsed p = Parse({"-h"});
        EXPECT_EQ(p.out.find("             prefetch     : get prefetch hit info\n") != std::string::npos, c.prefetch)
            << c.machine;
        EXPECT_NE(p.out.find("          -c, --cpu <cpu list>                      (optional)      " + std::string(c.cpus)),
                  std::string::npos)
            << c.machine;
        EXPECT_EQ(p.out.rfind("\n Usage: ostrum [OPTIONS...] \n", 0), 0u);
        EXPECT_NE(p.out.find(" Example3 (set parameters) : ostrum -m topdown -t 1 -i 1 -e ./stream \n\n"), std::string::npos);
    }
}

}  // namespace
