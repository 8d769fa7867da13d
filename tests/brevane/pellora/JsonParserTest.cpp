#include <gtest/gtest.h>

#include "JsonParser.h"

namespace {

struct ParseCase {
    const char* text;
    const char* serialized;  // compact form of what was read
};

class JsonParserReads : public ::testing::TestWithParam<ParseCase> {};

TEST_P(JsonParserReads, GivesTheValueWritten)
{
    JsonValue value;
    std::string error;
    ASSERT_TRUE(JsonParser::Parse(GetParam().text, value, error)) << error;
    EXPECT_EQ(value.Serialize(), GetParam().serialized);
}

INSTANTIATE_TEST_SUITE_P(Documents, JsonParserReads, ::testing::Values(
    ParseCase{" { \"b\" : 1 , \"a\" : [true, false, null] } ", "{\"b\":1,\"a\":[true,false,null]}"},
    ParseCase{"{}", "{}"},
    ParseCase{"[]", "[]"},
    ParseCase{"-0.5e+3", "-0.5e+3"},
    ParseCase{"12345678901234567890", "12345678901234567890"},
    ParseCase{"\"a\\\"b\\\\c\\/d\"", "\"a\\\"b\\\\c/d\""},
    ParseCase{"\"tab\\there\\nline\"", "\"tab\\there\\nline\""},
    ParseCase{"\"\\u00e9\\u20ac\"", "\"\xc3\xa9\xe2\x82\xac\""},
    ParseCase{"\"\\ud83d\\ude00\"", "\"\xf0\x9f\x98\x80\""},
    ParseCase{"\"\\u0001\"", "\"\\u0001\""},
    ParseCase{"{\"k\":1,\"k\":2}", "{\"k\":2}"}));

class JsonParserRefuses : public ::testing::TestWithParam<const char*> {};

TEST_P(JsonParserRefuses, WithAReason)
{
    JsonValue value = JsonValue::MakeString("untouched");
    std::string error;
    EXPECT_FALSE(JsonParser::Parse(GetParam(), value, error));
    EXPECT_NE(error.find("at byte"), std::string::npos) << error;
    EXPECT_EQ(value.AsText(), "untouched");
}

INSTANTIATE_TEST_SUITE_P(Malformed, JsonParserRefuses, ::testing::Values(
    "", "{", "{\"a\" 1}", "{\"a\":1,}", "[1,]", "[1 2]", "{a:1}", "'text'", "01", "1.", "-", "1e",
    "tru", "nulls", "\"open", "\"bad \\q escape\"", "\"\\u12\"", "\"\\ud83d\"", "\"\\ude00\"",
    "\"raw\nnewline\"", "{} {}", "[1] x"));

TEST(JsonParser, RefusesDocumentsNestedBeyondReason)
{
    JsonValue value;
    std::string error;
    EXPECT_TRUE(JsonParser::Parse(std::string(60, '[') + std::string(60, ']'), value, error));
    EXPECT_FALSE(JsonParser::Parse(std::string(100000, '['), value, error));
}

TEST(JsonParser, QuotedTextReadsBackUnchanged)
{
    const std::string texts[] = {"plain", "a \"quoted\" word", "back\\slash", "C:\\dir\\", "line\nbreak\t",
                                 std::string("nul\0byte", 8), "\x1f\x7f", "\xc3\xa9t\xc3\xa9", ""};
    for (const auto& text : texts) {
        JsonValue value;
        std::string error;
        ASSERT_TRUE(JsonParser::Parse(JsonValue::Quote(text), value, error)) << error;
        EXPECT_EQ(value.AsText(), text);
    }
}

TEST(JsonValue, FindsMembersByPathAndKeepsOrder)
{
    JsonValue value;
    std::string error;
    ASSERT_TRUE(JsonParser::Parse("{\"z\":{\"y\":{\"x\":\"deep\"}},\"a\":2}", value, error));
    ASSERT_NE(value.FindPath("z/y/x"), nullptr);
    EXPECT_EQ(value.FindPath("z/y/x")->AsText(), "deep");
    EXPECT_EQ(value.FindPath("z/missing/x"), nullptr);
    EXPECT_EQ(value.FindPath("a/b"), nullptr);
    ASSERT_EQ(value.Members().size(), 2u);
    EXPECT_EQ(value.Members()[0].first, "z");
    EXPECT_EQ(value.Members()[1].first, "a");
}

}  // namespace
