#include <gtest/gtest.h>

#include <sstream>

#include "CurlConfig.h"

namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        lines.push_back(line);
    }
    return lines;
}

// The option word of a config line.
std::string OptionOf(const std::string& line)
{
    return line.substr(0, line.find(' '));
}

HttpRequest Request(const std::string& password)
{
    HttpRequest r;
    r.method = "GET";
    r.url = "https://10.0.0.9/redfish/v1/";
    r.user = "admin";
    r.password = password;
    return r;
}

TEST(CurlConfig, QuotesWhatCurlWouldOtherwiseRead)
{
    struct Case {
        std::string value;
        std::string quoted;
    } cases[] = {
        {"plain", "\"plain\""},
        {"a\"b", "\"a\\\"b\""},
        {"a\\b", "\"a\\\\b\""},
        {"two\nlines", "\"two\\nlines\""},
        {"tab\tcr\r", "\"tab\\tcr\\r\""},
        {"", "\"\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CurlConfig::Quote(c.value), c.quoted) << c.value;
    }
}

TEST(CurlConfig, NoPasswordAddsOrChangesAnOption)
{
    const std::string plainConfig = CurlConfig::Build(Request("secret"));
    const std::vector<std::string> hostile = {
        "x\"\nurl = \"https://elsewhere/", "x\\\"\ninsecure", "\"", "\\", "a b\tc\rd\ve", "-K /etc/shadow",
    };
    for (const auto& password : hostile) {
        std::vector<std::string> plain = Lines(plainConfig);
        std::vector<std::string> lines = Lines(CurlConfig::Build(Request(password)));
        ASSERT_EQ(lines.size(), plain.size()) << password;
        for (size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(OptionOf(lines[i]), OptionOf(plain[i])) << password;
        }
    }
}

TEST(CurlConfig, TrustFollowsTheRequest)
{
    struct Case {
        std::string caFile;
        std::string pin;
        bool wantsCacert;
        bool wantsInsecure;
        bool wantsPin;
    } cases[] = {
        {"", "", false, false, false},
        {"/tree/etc/bmc-ca.pem", "", true, false, false},
        {"", "sha256//abc=", false, true, true},
        {"/tree/etc/bmc-ca.pem", "sha256//abc=", false, true, true},
    };
    for (const auto& c : cases) {
        HttpRequest r = Request("pw");
        r.caFile = c.caFile;
        r.pinnedKey = c.pin;
        std::string config = CurlConfig::Build(r);
        EXPECT_EQ(config.find("\ncacert = ") != std::string::npos, c.wantsCacert) << config;
        EXPECT_EQ(config.find("\ninsecure\n") != std::string::npos, c.wantsInsecure) << config;
        EXPECT_EQ(config.find("\npinnedpubkey = ") != std::string::npos, c.wantsPin) << config;
    }
}

TEST(CurlConfig, OnlyAChangeCarriesABody)
{
    HttpRequest get = Request("pw");
    EXPECT_EQ(CurlConfig::Build(get).find("data"), std::string::npos);
    HttpRequest patch = Request("pw");
    patch.method = "PATCH";
    patch.body = "{\"Attributes\":{\"A\":\"x\\\"y\"}}";
    std::string config = CurlConfig::Build(patch);
    EXPECT_NE(config.find("data-raw = " + CurlConfig::Quote(patch.body)), std::string::npos) << config;
    EXPECT_NE(config.find("request = \"PATCH\""), std::string::npos) << config;
}

}  // namespace
