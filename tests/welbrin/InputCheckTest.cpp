#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "InputCheck.h"
#include "RunCommand.h"

namespace {

TEST(InputCheckTest, LeadingInt)
{
    struct Case {
        std::string text;
        bool ok;
        int value;
    };
    const Case cases[] = {
        {"5", true, 5},          {"10abc", true, 10},     {" 42", true, 42},     {"-1", true, -1},
        {"+7", true, 7},         {"2147483647", true, INT_MAX}, {"-2147483648", true, INT_MIN},
        {"2147483648", false, 0}, {"-2147483649", false, 0}, {"99999999999999999999", false, 0},
        {"", false, 0},          {"abc", false, 0},       {"-", false, 0},       {"x1", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("text: [" + c.text + "]");
        int value = 12345;
        EXPECT_EQ(InputCheck::LeadingInt(c.text, value), c.ok);
        if (c.ok) {
            EXPECT_EQ(value, c.value);
        }
    }
}

TEST(InputCheckTest, CpuList)
{
    struct Case {
        std::string text;
        int coreCount;
        bool ok;
    };
    const Case cases[] = {
        {"0", 4, true},        {"0-3", 4, true},       {"0,2-3", 4, true},   {"1-1", 4, true},
        {"0-63", 0, true},     {"4", 4, false},        {"0-4", 4, false},    {"3-1", 4, false},
        {"", 4, false},        {"0,", 4, false},       {",0", 4, false},     {"0--3", 4, false},
        {"0-1-2", 4, false},   {"-1", 4, false},       {"0 1", 4, false},    {"0;id", 4, false},
        {"$(id)", 4, false},   {"0-3\nid", 4, false},  {"a", 4, false},      {"+1", 4, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("list: [" + c.text + "] cores " + std::to_string(c.coreCount));
        std::string reason;
        EXPECT_EQ(InputCheck::IsCpuList(c.text, c.coreCount, reason), c.ok);
        EXPECT_EQ(reason.empty(), c.ok);
    }
}

TEST(InputCheckTest, Keyword)
{
    for (const std::string ok : {"", "ci", "run_2.b-c", "ABC123"}) {
        EXPECT_TRUE(InputCheck::IsKeyword(ok)) << ok;
    }
    for (const std::string bad : {"a b", "a/b", "$(id)", "`id`", "a;b", "x'y", "\xc3\xa9", "a\nb"}) {
        EXPECT_FALSE(InputCheck::IsKeyword(bad)) << bad;
    }
}

// A quoted text must reach a program as exactly one argument, unchanged.
TEST(InputCheckTest, ShellQuoteSurvivesTheShell)
{
    for (const std::string text : {"plain", "two words", "it's", "'", "$(id) `id` $HOME", "a\\b\"c", "", "x\ny"}) {
        const CommandResult result = RunCommand("printf '%s|' " + InputCheck::ShellQuote(text));
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out, text + "|") << text;
    }
}

}  // namespace
