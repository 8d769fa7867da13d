#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "SettingsJson.h"

namespace {

TEST(SettingsJson, WritesOneLineOfEscapedPairs)
{
    using Settings = std::vector<std::pair<std::string, std::string>>;
    const std::pair<Settings, std::string> cases[] = {
        {{}, "{}"},
        {{{"A", "1"}, {"B", "2"}}, "{\"A\" : \"1\",\"B\" : \"2\"}"},
        {{{"Q", "say \"hi\""}}, "{\"Q\" : \"say \\\"hi\\\"\"}"},
        {{{"Path", "C:\\boot"}}, "{\"Path\" : \"C:\\\\boot\"}"},
        {{{"N\"ame", "a\nb\tc\x01"}}, "{\"N\\\"ame\" : \"a\\nb\\tc\\u0001\"}"},
        {{{"Utf8", "\xc3\xa9t\xc3\xa9"}}, "{\"Utf8\" : \"\xc3\xa9t\xc3\xa9\"}"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SettingsJson(c.first), c.second);
    }
}

}  // namespace
