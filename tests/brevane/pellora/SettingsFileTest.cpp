#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

#include "SettingsFile.h"

namespace {

struct SettingsCase {
    const char* text;
    std::vector<Setting> settings;
};

class SettingsFileReads : public ::testing::TestWithParam<SettingsCase> {};

TEST_P(SettingsFileReads, NamesAndValuesInOrder)
{
    std::vector<Setting> settings;
    std::string error;
    ASSERT_TRUE(SettingsFile::Parse(GetParam().text, settings, error)) << error;
    EXPECT_EQ(settings, GetParam().settings);
}

INSTANTIATE_TEST_SUITE_P(Files, SettingsFileReads, ::testing::Values(
    SettingsCase{"{\"A\" : \"1\",\"B\" : \"2\"}", {{"A", "1"}, {"B", "2"}}},
    SettingsCase{"{\"Tag\" : \"say \\\"hi\\\"\"}", {{"Tag", "say \"hi\""}}},
    SettingsCase{"{\"Path\" : \"C:\\\\boot\\\\\"}", {{"Path", "C:\\boot\\"}}},
    SettingsCase{"{\"Order\" : \"Pxe:1;Hdd:0\"}", {{"Order", "Pxe:1;Hdd:0"}}},
    SettingsCase{"{\"Cores\" : 4, \"Smt\" : true}", {{"Cores", "4"}, {"Smt", "true"}}},
    SettingsCase{"{}", {}}));

struct RefusalCase {
    const char* text;
    const char* reason;
};

class SettingsFileRefuses : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(SettingsFileRefuses, SayingWhy)
{
    std::vector<Setting> settings = {{"kept", "as is"}};
    std::string error;
    EXPECT_FALSE(SettingsFile::Parse(GetParam().text, settings, error));
    EXPECT_NE(error.find(GetParam().reason), std::string::npos) << error;
    EXPECT_EQ(settings.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Files, SettingsFileRefuses, ::testing::Values(
    // What an unescaping writer makes of a value holding a quote.
    RefusalCase{"{\"Tag\" : \"say \"hi\"\"}", "not valid JSON"},
    RefusalCase{"[\"A\", \"1\"]", "one JSON object"},
    RefusalCase{"{\"A\" : [1]}", "'A'"},
    RefusalCase{"{\"A\" : null}", "'A'"},
    RefusalCase{"{\"A\" : {\"x\":1}}", "'A'"},
    RefusalCase{"{\"\" : \"1\"}", "empty name"}));

TEST(SettingsFile, LoadRefusesWhatIsNoReadableFile)
{
    std::vector<Setting> settings;
    std::string error;
    EXPECT_FALSE(SettingsFile::Load("/nonexistent/settings.json", settings, error));
    EXPECT_NE(error.find("does not exist"), std::string::npos) << error;
    EXPECT_FALSE(SettingsFile::Load("/", settings, error));
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
}

TEST(SettingsFile, LoadReadsAFile)
{
    char path[] = "/tmp/pellora-settings-XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    const std::string text = "{\"Tag\" : \"a\\\\b \\\"c\\\"\"}";
    ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    close(fd);
    std::vector<Setting> settings;
    std::string error;
    EXPECT_TRUE(SettingsFile::Load(path, settings, error)) << error;
    unlink(path);
    ASSERT_EQ(settings.size(), 1u);
    EXPECT_EQ(settings[0].second, "a\\b \"c\"");
}

}  // namespace
