#include <gtest/gtest.h>

#include "SmbiosTable.h"

namespace {

std::string Bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values) {
        out += static_cast<char>(v);
    }
    return out;
}

TEST(SmbiosTable, ReadsStructuresWithAndWithoutStrings)
{
    // type 0 with two strings, type 1 without strings, the end marker.
    std::string raw = Bytes({0, 6, 0, 0, 1, 2}) + "Vendor" + '\0' + "1.0" + '\0' + '\0' +
                      Bytes({1, 5, 1, 0, 0x7F, 0, 0}) + Bytes({127, 4, 2, 0, 0, 0});
    auto s = SmbiosTable::Parse(raw);
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(s[0].type, 0);
    EXPECT_EQ(s[0].String(4), "Vendor");
    EXPECT_EQ(s[0].String(5), "1.0");
    EXPECT_EQ(s[1].type, 1);
    EXPECT_TRUE(s[1].strings.empty());
    EXPECT_EQ(s[1].Byte(4), 0x7F);
    EXPECT_EQ(s[2].type, 127);
}

TEST(SmbiosTable, GuardsEveryOffset)
{
    std::string raw = Bytes({17, 8, 0, 0, 0x34, 0x12, 9, 3}) + "A" + '\0' + '\0';
    auto s = SmbiosTable::Parse(raw);
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(s[0].Word(4), 0x1234);
    EXPECT_EQ(s[0].Word(7), -1);
    EXPECT_EQ(s[0].Dword(6), -1);
    EXPECT_EQ(s[0].Byte(8), -1);
    EXPECT_EQ(s[0].String(6), "");   // string number 9 does not exist
    EXPECT_EQ(s[0].String(7), "");   // number 3, only one string
    EXPECT_EQ(s[0].String(20), "");  // beyond the structure
}

TEST(SmbiosTable, DropsWhatIsCutShort)
{
    const std::string whole = Bytes({1, 5, 1, 0, 9}) + "Name" + '\0' + '\0';
    for (size_t cut = 0; cut < whole.size(); ++cut) {
        EXPECT_TRUE(SmbiosTable::Parse(whole.substr(0, cut)).empty()) << cut;
    }
    EXPECT_EQ(SmbiosTable::Parse(whole).size(), 1u);
    // A length below the header size ends the walk.
    EXPECT_TRUE(SmbiosTable::Parse(Bytes({1, 2, 0, 0, 0, 0})).empty());
}

}  // namespace
