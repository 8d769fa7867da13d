#include <gtest/gtest.h>

#include <set>
#include <string>

#include "obfuscator.h"

namespace {

TEST(Obfuscator, DecodesEveryKindOfText)
{
    EXPECT_EQ(OBFUSCATED(""), "");
    EXPECT_EQ(OBFUSCATED("a"), "a");
    EXPECT_EQ(OBFUSCATED("taskset -pc 1 | awk '{print $NF}'"), "taskset -pc 1 | awk '{print $NF}'");
    EXPECT_EQ(OBFUSCATED("tab\there\nnewline ~!@#%^&*()_+{}|:\"<>?"), "tab\there\nnewline ~!@#%^&*()_+{}|:\"<>?");
    EXPECT_EQ(OBFUSCATED("\x01\x7e"), "\x01\x7e");
}

TEST(Obfuscator, StoresEachCharacterAsAffineCodeModulo127)
{
    static constexpr obfuscator::ObfuscatedText<4> text("Q60", 0x12345678u);
    const uint32_t a = text.Multiplier();
    const uint32_t b = text.Offset();
    ASSERT_GE(a, 1u);
    ASSERT_LE(a, 126u);
    ASSERT_LE(b, 126u);
    EXPECT_EQ(text.Code(0), ('Q' * a + b) % 127);
    EXPECT_EQ(text.Code(1), ('6' * a + b) % 127);
    EXPECT_EQ(text.Code(2), ('0' * a + b) % 127);
    EXPECT_EQ(text.Decode(), "Q60");
}

TEST(Obfuscator, KeysDifferBetweenTextsAndRoundTripForAllSeeds)
{
    std::set<std::pair<uint32_t, uint32_t>> keys;
    for (uint32_t counter = 0; counter < 64; ++counter) {
        const uint32_t seed = meta_random::Seed(counter, 10, "file.cpp");
        const obfuscator::ObfuscatedText<6> text("/proc", seed);
        keys.insert({text.Multiplier(), text.Offset()});
        EXPECT_EQ(text.Decode(), "/proc") << "seed " << seed;
    }
    EXPECT_GT(keys.size(), 32u);
}

}  // namespace
