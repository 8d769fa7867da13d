#include <gtest/gtest.h>

#include "JsonParser.h"
#include "RedfishBackend.h"

namespace {

JsonValue Parse(const std::string& text)
{
    JsonValue v;
    std::string error;
    EXPECT_TRUE(JsonParser::Parse(text, v, error)) << error;
    return v;
}

TEST(RedfishFields, FollowPathsThroughObjectsAndArrays)
{
    JsonValue nic = Parse(R"({"Status":{"Health":"OK"},"SpeedMbps":1000,"FullDuplex":true,
        "IPv4Addresses":[{"Address":"192.168.0.10"},{"Gateway":"x"},{"Address":"10.0.0.2"}],
        "NameServers":["a.example","b.example"],"Empty":null})");
    struct Case {
        const char* path;
        const char* text;
    } cases[] = {
        {"Status/Health", "OK"},
        {"SpeedMbps", "1000"},
        {"FullDuplex", "true"},
        {"IPv4Addresses/*/Address", "192.168.0.10, 10.0.0.2"},
        {"NameServers", "a.example, b.example"},
        {"Empty", ""},
        {"Status/Missing", ""},
        {"SpeedMbps/*", ""},
        {"Status", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RedfishBackend::FieldText(nic, c.path), c.text) << c.path;
    }
}

TEST(RedfishFields, ValuesTakeTheTypeOfTheCurrentOne)
{
    struct Case {
        const char* current;
        const char* text;
        const char* sent;  // empty: refused
    } cases[] = {
        {"\"Enabled\"", "Disabled", "\"Disabled\""},
        {"\"Enabled\"", "12", "\"12\""},
        {"\"\"", "say \"hi\" \\", "\"say \\\"hi\\\" \\\\\""},
        {"0", "2", "2"},
        {"0", "-1.5", "-1.5"},
        {"0", "two", ""},
        {"0", "2 ", ""},
        {"true", "FALSE", "false"},
        {"false", "true", "true"},
        {"false", "yes", ""},
    };
    for (const auto& c : cases) {
        JsonValue out;
        std::string why;
        bool ok = RedfishBackend::TypedValue(Parse(c.current), c.text, out, why);
        if (*c.sent == '\0') {
            EXPECT_FALSE(ok) << c.text;
            EXPECT_NE(why.find(c.text), std::string::npos) << why;
        } else {
            ASSERT_TRUE(ok) << c.text << ": " << why;
            EXPECT_EQ(out.Serialize(), c.sent);
        }
    }
}

TEST(RedfishFields, RefusalMessagesComeFromTheExtendedInfo)
{
    EXPECT_EQ(RedfishClient::ErrorMessage(Parse(R"({"error":{"message":"general",
        "@Message.ExtendedInfo":[{"Message":"first"},{"MessageId":"x"},{"Message":"second"}]}})")),
              "first; second");
    EXPECT_EQ(RedfishClient::ErrorMessage(Parse(R"({"error":{"message":"general"}})")), "general");
    EXPECT_EQ(RedfishClient::ErrorMessage(Parse(R"({"Attributes":{}})")), "");
}

TEST(RedfishFields, AddressesThatAreNoHostAreRefusedBeforeCurlRuns)
{
    for (const char* host : {"", "bmc;reboot", "a b", "h/x", "h\"", "user@h", "10.0.0.9:", "10.0.0.9:x",
                             "10.0.0.9:70000", "[fe80::1]:"}) {
        RedfishClient client({host, "admin", "pw", "", ""});
        EXPECT_NE(client.Validate(), "") << host;
    }
    for (const char* host : {"10.0.0.9", "bmc-1.example", "10.0.0.9:8443", "fe80::1", "[fe80::1]:443"}) {
        RedfishClient client({host, "admin", "pw", "", ""});
        EXPECT_EQ(client.Validate(), "") << host;
    }
    RedfishClient colonUser({"10.0.0.9", "ad:min", "pw", "", ""});
    EXPECT_NE(colonUser.Validate().find("':'"), std::string::npos);
}

}  // namespace
