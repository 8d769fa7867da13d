#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "WelbrinOptions.h"

namespace {

using Action = WelbrinOptions::Action;

struct OptionCase {
    std::vector<std::string> args;  // after the program name
    Action action;
    int seconds;
    int pid;
    std::string cpuList;
    std::string keyword;
    std::string logLevel;  // "" when -l is not given
};

WelbrinOptions Parse(const std::vector<std::string>& args, int coreCount = 8)
{
    std::vector<std::string> words = {"welbrin"};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& word : words) {
        argv.push_back(&word[0]);
    }
    argv.push_back(nullptr);
    WelbrinOptions defaults;
    defaults.cpuList = "0-7";
    return ParseWelbrinOptions(static_cast<int>(words.size()), argv.data(), defaults, coreCount);
}

const OptionCase kCases[] = {
    {{}, Action::Run, 5, -1, "0-7", "", ""},
    {{"-t", "3", "-k", "ci", "-p", "1356", "-c", "0-3"}, Action::Run, 3, 1356, "0-3", "ci", ""},
    {{"--times=10"}, Action::Run, 10, -1, "0-7", "", ""},
    // The optional argument of a long option must be attached with '='.
    {{"--times", "10"}, Action::Run, 5, -1, "0-7", "", ""},
    {{"-t", "10abc"}, Action::Run, 10, -1, "0-7", "", ""},
    {{"-p", "1234", "-p", "99"}, Action::Run, 5, 99, "0-7", "", ""},
    {{"-p", "-1"}, Action::Run, 5, -1, "0-7", "", ""},
    {{"--cpu=1,3-4", "--outkeyword=run.2_b-c", "--pid=7"}, Action::Run, 5, 7, "1,3-4", "run.2_b-c", ""},
    {{"-l", "info"}, Action::Run, 5, -1, "0-7", "", "info"},
    {{"--log=debug"}, Action::Run, 5, -1, "0-7", "", "debug"},
    {{"-v"}, Action::Version, 5, -1, "0-7", "", ""},
    {{"--version"}, Action::Version, 5, -1, "0-7", "", ""},
    {{"-t", "3", "-v", "-x"}, Action::Version, 3, -1, "0-7", "", ""},
    {{"-h"}, Action::Help, 5, -1, "0-7", "", ""},
    {{"-h", "x"}, Action::Help, 5, -1, "0-7", "", ""},
    {{"--help"}, Action::Help, 5, -1, "0-7", "", ""},
    {{"-x"}, Action::Help, 5, -1, "0-7", "", ""},
    {{"foo"}, Action::Help, 5, -1, "0-7", "", ""},
    {{"-t", "7", "-x", "-p", "12"}, Action::Help, 7, -1, "0-7", "", ""},
    {{"-t", "4", "foo"}, Action::Run, 4, -1, "0-7", "", ""},
    // Refused: these texts reach shell commands run as root.
    {{"-t", "abc"}, Action::Refuse, 5, -1, "0-7", "", ""},
    {{"-t", "0"}, Action::Refuse, 5, -1, "0-7", "", ""},
    {{"-t", "-3"}, Action::Refuse, 5, -1, "0-7", "", ""},
    {{"-t", "99999999999"}, Action::Refuse, 5, -1, "0-7", "", ""},
    {{"-p", "abc"}, Action::Refuse, 5, -1, "0-7", "", ""},
    {{"-p", ""}, Action::Refuse, 5, -1, "0-7", "", ""},
    {{"-c", "0-3;reboot"}, Action::Refuse, 5, -1, "0-7", "", ""},
    {{"-c", "3-1"}, Action::Refuse, 5, -1, "0-7", "", ""},
    {{"-c", "8"}, Action::Refuse, 5, -1, "0-7", "", ""},
    {{"-k", "a b"}, Action::Refuse, 5, -1, "0-7", "", ""},
    {{"-k", "$(id)"}, Action::Refuse, 5, -1, "0-7", "", ""},
    {{"-k", "../x"}, Action::Refuse, 5, -1, "0-7", "", ""},
};

TEST(WelbrinOptionsTest, ReadsEveryCase)
{
    for (const auto& c : kCases) {
        std::string shown;
        for (const auto& a : c.args) {
            shown += " [" + a + "]";
        }
        SCOPED_TRACE("args:" + shown);
        const WelbrinOptions options = Parse(c.args);
        EXPECT_EQ(options.action, c.action);
        if (c.action == Action::Refuse) {
            EXPECT_FALSE(options.refusal.empty());
            EXPECT_EQ(options.refusal.find('\n'), std::string::npos);
            continue;
        }
        if (c.action == Action::Help) {
            continue;
        }
        EXPECT_EQ(options.seconds, c.seconds);
        EXPECT_EQ(options.pid, c.pid);
        EXPECT_EQ(options.cpuList, c.cpuList);
        EXPECT_EQ(options.keyword, c.keyword);
        EXPECT_EQ(options.logLevelGiven, !c.logLevel.empty());
        EXPECT_EQ(options.logLevel, c.logLevel);
    }
}

TEST(WelbrinOptionsTest, RefusalNamesTheValueAndWhatIsAccepted)
{
    const WelbrinOptions cpu = Parse({"-c", "0-3;reboot"});
    EXPECT_NE(cpu.refusal.find("0-3;reboot"), std::string::npos);
    EXPECT_NE(cpu.refusal.find("0-3,8,10-11"), std::string::npos);
    const WelbrinOptions keyword = Parse({"-k", "a b"});
    EXPECT_NE(keyword.refusal.find("letters, digits"), std::string::npos);
    const WelbrinOptions seconds = Parse({"-t", "0"});
    EXPECT_NE(seconds.refusal.find("1 or more"), std::string::npos);
}

TEST(WelbrinOptionsTest, HelpTextCarriesTheProgramPath)
{
    const std::string help = WelbrinHelpText("/opt/welbrin");
    const std::vector<std::string> expectedLines = {
        "",
        "  Usage: /opt/welbrin [OPTIONS...] ",
        "          -t <collect seconds>      (optional)      default: 5",
        "          -k <output_dir keywords>  (optional)  ",
        "          -p <process pid>          (optional)  ",
        "          -c <cpu list>             (optional)  ",
        "          -l <log level>            (optional)      default: error",
        "          -v (show version)         (optional)  ",
        "",
        "  Example1 (set parameters) : /opt/welbrin  -t  5  -k  test  -p  1356",
        "  Example2 (set parameters) : /opt/welbrin  -t  5  -k  test  -c  0-3",
        "  Example3 (default)        : /opt/welbrin",
        "",
    };
    std::string expected;
    for (const auto& line : expectedLines) {
        expected += line + "\n";
    }
    EXPECT_EQ(help, expected);
    EXPECT_EQ(WelbrinVersionText(), "Version: 5.2  Build Time: 20241213022434\n");
}

}  // namespace
