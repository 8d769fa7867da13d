#include <gtest/gtest.h>

#include "CommandLine.h"

namespace {

struct ParseCase {
    std::vector<std::string> args;
    std::string command, host, user, password, attribute, file;
};

class CommandLineParses : public ::testing::TestWithParam<ParseCase> {};

TEST_P(CommandLineParses, IntoItsParts)
{
    const ParseCase& c = GetParam();
    CommandLine cl;
    std::string error;
    ASSERT_TRUE(CommandLine::Parse(c.args, cl, error)) << error;
    EXPECT_EQ(cl.command, c.command);
    EXPECT_EQ(cl.host, c.host);
    EXPECT_EQ(cl.user, c.user);
    EXPECT_EQ(cl.password, c.password);
    EXPECT_EQ(cl.attribute, c.attribute);
    EXPECT_EQ(cl.file, c.file);
}

INSTANTIATE_TEST_SUITE_P(Lines, CommandLineParses, ::testing::Values(
    ParseCase{{"pellora", "getattr"}, "getattr", "", "", "", "", ""},
    // Brevane's own program name in the first place is not looked at.
    ParseCase{{"/usr/sbin/brevane", "getbios"}, "getbios", "", "", "", "", ""},
    ParseCase{{"pellora", "-H", "10.0.0.9", "-U", "admin", "-P", "p -w", "getattr"},
              "getattr", "10.0.0.9", "admin", "p -w", "", ""},
    // Connection options may follow the sub-command.
    ParseCase{{"brevane", "getbiosdetails", "-A", "CustomPowerPolicy", "-H", "h", "-U", "u", "-P", "-P"},
              "getbiosdetails", "h", "u", "-P", "CustomPowerPolicy", ""},
    ParseCase{{"pellora", "setbios", "-f", "/run/x/s.json"}, "setbios", "", "", "", "", "/run/x/s.json"},
    ParseCase{{"pellora", "setbios", "/run/x/s.json"}, "setbios", "", "", "", "", "/run/x/s.json"},
    ParseCase{{"pellora", "-b", "check"}, "check", "", "", "", "", ""}));

struct RefusalCase {
    std::vector<std::string> args;
    const char* reason;
};

class CommandLineRefuses : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(CommandLineRefuses, SayingWhatIsAccepted)
{
    CommandLine cl;
    std::string error;
    EXPECT_FALSE(CommandLine::Parse(GetParam().args, cl, error));
    EXPECT_NE(error.find(GetParam().reason), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(Lines, CommandLineRefuses, ::testing::Values(
    RefusalCase{{"pellora"}, "no sub-command"},
    RefusalCase{{"pellora", "getbiosx"}, "accepted: getattr"},
    RefusalCase{{"pellora", "-x", "getattr"}, "unknown option '-x'"},
    RefusalCase{{"pellora", "getattr", "-H"}, "-H needs a value"},
    RefusalCase{{"pellora", "getattr", "extra"}, "unexpected word 'extra'"},
    RefusalCase{{"pellora", "setbios"}, "setbios -f"},
    RefusalCase{{"pellora", "getbiosdetails"}, "-A <name>"},
    RefusalCase{{"pellora", "-H", "h", "-U", "u", "getattr"}, "go together"},
    RefusalCase{{"pellora", "-P", "p", "getattr"}, "go together"}));

TEST(CommandLine, HelpNeedsNothingElse)
{
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"pellora", "help"}, {"pellora", "-h"}, {"pellora", "--help", "getattr"}}) {
        CommandLine cl;
        std::string error;
        ASSERT_TRUE(CommandLine::Parse(args, cl, error)) << error;
        EXPECT_TRUE(cl.help);
    }
}

}  // namespace
