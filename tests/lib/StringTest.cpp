#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "String.h"

namespace {

using Strings = std::vector<std::string>;

String s;

TEST(StringSplitTest, SingleSeparator)
{
    struct Case {
        std::string text;
        char split;
        Strings pieces;
    };
    const std::vector<Case> cases = {
        {"a,,b,", ',', {"a", "", "b"}},
        {"  a  b ", ' ', {"a", "b"}},
        {"", ',', {}},
        {",", ',', {""}},
        {"abc", ',', {"abc"}},
        {"l1\nl2\n\nl4", '\n', {"l1", "l2", "", "l4"}},
    };
    for (const Case& c : cases) {
        Strings pieces;
        s.StringSplit(c.text, c.split, pieces);
        EXPECT_EQ(pieces, c.pieces) << "'" << c.text << "'";
    }
}

TEST(StringSplitTest, AppendsToTheVector)
{
    Strings pieces = {"old"};
    s.StringSplit("x;y", ';', pieces);
    EXPECT_EQ(pieces, (Strings{"old", "x", "y"}));
}

TEST(StringSplitTest, MultiLevel)
{
    struct Case {
        std::string text;
        std::vector<char> splits;
        Strings pieces;
    };
    const std::vector<Case> cases = {
        {"a:1;b:2", {';', ':'}, {"a", "1", "b", "2"}},
        {"a:1;b:2", {';'}, {"a:1", "b:2"}},
        {"a=1,2;b=3", {';', '=', ','}, {"a", "1", "2", "b", "3"}},
        {"", {';', ':'}, {}},
    };
    for (const Case& c : cases) {
        Strings pieces;
        s.StringSplit(c.text, c.splits, pieces);
        EXPECT_EQ(pieces, c.pieces) << c.text;
    }
}

TEST(StringSplitTest, SubStrings)
{
    struct Case {
        std::string text;
        int number;
        std::string piece;
    };
    const std::vector<Case> cases = {
        {"x y z", 1, "x"}, {"x y z", -1, "z"}, {"x y z", 3, "z"}, {"x y z", -3, "x"},
        {"x y z", 4, ""},  {"x y z", 0, ""},   {"x y z", -4, ""}, {"", 1, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(s.GetSplitSubStr(c.text, c.number, ' '), c.piece) << c.number;
    }
    EXPECT_EQ(s.GetSplitSubStrWithMultiSplit("a:1;b:2", 3, {';', ':'}), "b");
    EXPECT_EQ(s.GetSplitSubStrWithMultiSplit("a:1;b:2", -1, {';', ':'}), "2");
    EXPECT_EQ(s.GetSplitSubStrWithMultiSplit("a:1;b:2", 5, {';', ':'}), "");
}

TEST(StringSplitTest, CommandLineWords)
{
    const std::vector<std::pair<std::string, Strings>> cases = {
        {"run \"a b\" 'z'", {"run", "a b", "z"}},
        {"ab\"x y\"", {"abx y"}},
        {"", {}},
        {"   ", {}},
        {"a  b", {"a", "b"}},
        {"\"\" x", {"x"}},
        {"'mixed\" end", {"mixed", "end"}},
        {"\"open to the end", {"open to the end"}},
        {"A=1 B='two words' C=3", {"A=1", "B=two words", "C=3"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(s.GetVecorBySplitStr(c.first), c.second) << c.first;
    }
}

TEST(StringCheckTest, Finds)
{
    EXPECT_TRUE(s.CheckSub(std::string("hello world"), std::string("lo w")));
    EXPECT_FALSE(s.CheckSub(std::string("hello"), std::string("world")));
    EXPECT_TRUE(s.CheckSub("a,bc,d", "bc", ','));
    EXPECT_FALSE(s.CheckSub("a,bc,d", "b", ','));
    EXPECT_TRUE(s.CheckSub(Strings{"x", "yy"}, "yy"));
    EXPECT_FALSE(s.CheckSub(Strings{"x", "yy"}, "y"));
    EXPECT_TRUE(s.CheckSub("cpu cycles", Strings{"cpu", "cycles"}));
    EXPECT_FALSE(s.CheckSub("cpu cycles", Strings{"cpu", "instructions"}));
    EXPECT_TRUE(s.CheckSub("anything", Strings{}));
    EXPECT_TRUE(s.CheckSub("braced list", {"braced", "list"}));
}

TEST(StringCheckTest, EmptyAndStart)
{
    const std::vector<std::pair<Strings, bool>> empties = {
        {{""}, true}, {{}, false}, {{"", ""}, false}, {{"x"}, false}};
    for (const auto& c : empties) {
        EXPECT_EQ(s.CheckEmpty(c.first), c.second) << c.first.size();
    }
    EXPECT_TRUE(s.CheckStartsWiteStr("#comment", "#"));
    EXPECT_TRUE(s.CheckStartsWiteStr("abc", ""));
    EXPECT_FALSE(s.CheckStartsWiteStr("ab", "abc"));
    EXPECT_FALSE(s.CheckStartsWiteStr(" #", "#"));
}

TEST(StringCheckTest, MultiLineKeywords)
{
    const std::string text = "cpu0 busy idle\ncpu1 busy\nmem free\ncpu2 idle busy";
    struct Case {
        Strings include;
        Strings exclude;
        Strings lines;
    };
    const std::vector<Case> cases = {
        {{"busy"}, {""}, {"cpu0 busy idle", "cpu1 busy", "cpu2 idle busy"}},
        {{"busy", "cpu"}, {"idle"}, {"cpu1 busy"}},
        {{"busy"}, {"idle", "cpu2"}, {"cpu0 busy idle", "cpu1 busy"}},
        {{"busy"}, {}, {}},
        {{"nothing"}, {""}, {}},
        {{}, {""}, {"cpu0 busy idle", "cpu1 busy", "mem free", "cpu2 idle busy"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(s.GetMultiLineKeywordAll(text, c.include, c.exclude), c.lines);
        EXPECT_EQ(s.MultiLineCheckSub(text, c.include, c.exclude), static_cast<int>(c.lines.size()));
        EXPECT_EQ(s.GetMultiLineKeyword(text, c.include, c.exclude), c.lines.empty() ? "" : c.lines.front());
    }
}

TEST(StringBuildTest, FormatAndCut)
{
    EXPECT_EQ(s.GetCFormatStr("%d-%s-%.2f", 7, "x", 1.5), "7-x-1.50");
    EXPECT_EQ(s.GetCFormatStr("%s", std::string(70000, 'y').c_str()).size(), 65535u);
    EXPECT_EQ(s.GetCFormatStr("%s", ""), "");
}

TEST(StringBuildTest, RemoveSpaceBothEnd)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"  a b  ", "a b"}, {"   ", "   "}, {"", ""}, {"\ta\n", "\ta\n"}, {" x", "x"}};
    for (const auto& c : cases) {
        EXPECT_EQ(s.RemoveSpaceBothEnd(c.first), c.second) << "'" << c.first << "'";
    }
}

TEST(StringBuildTest, ReplaceSub)
{
    struct Case {
        std::string text, oldSub, newSub;
        int times;
        std::string result;
    };
    const std::vector<Case> cases = {
        {"a.b.c", ".", "/", 0, "a/b/c"},
        {"a.b.c", ".", "/", 1, "a/b.c"},
        {"aaaa", "aa", "a", 0, "a"},
        {"x", "x", "xx", 0, "xx"},
        {"abab", "ab", "abab", 0, "abababab"},
        {"none", "z", "y", 0, "none"},
        {"abc", "", "z", 0, "abc"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(s.ReplaceSub(c.text, c.oldSub, c.newSub, c.times), c.result) << c.text;
    }
}

TEST(StringBuildTest, Joins)
{
    EXPECT_EQ(s.GetListStr({"a", "b"}), " a b");
    EXPECT_EQ(s.GetListStr({}), "");
    EXPECT_EQ(s.transferVectoStr({"a", "b", "c"}), "a b c");
    EXPECT_EQ(s.transferVectoStr({" a", "b "}), "a b");
    EXPECT_EQ(s.transferVectoStr({}), "");
}

TEST(StringBuildTest, InputParams)
{
    struct Case {
        Strings args;
        std::string line;
    };
    const std::vector<Case> cases = {
        {{"prog", "-e", "ls -l"}, "prog -e 'ls -l'"},
        {{"prog"}, "prog"},
        {{"my prog", "x"}, " 'my prog' x"},
    };
    for (const Case& c : cases) {
        std::vector<std::vector<char>> storage;
        std::vector<char*> argv;
        for (const std::string& a : c.args) {
            storage.emplace_back(a.begin(), a.end());
            storage.back().push_back('\0');
        }
        for (auto& a : storage) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        EXPECT_EQ(s.GetInputParams(static_cast<int>(c.args.size()), argv.data()), c.line);
        EXPECT_EQ(s.GetInputParams(argv.data()), c.line);
    }
}

TEST(StringBuildTest, Argv)
{
    char a0[] = "tool";
    char a1[] = "-x";
    char a2[] = "keep";
    char a3[] = "-y";
    char* input[] = {a0, a1, a2, a3, nullptr};
    char buffers[8][32];
    char* output[8];
    for (int i = 0; i < 8; ++i) {
        output[i] = buffers[i];
    }
    char** built = s.GetArgv(4, input, output, "newtool", "-x -y", "--add one");
    Strings got;
    for (int i = 0; built[i] != nullptr; ++i) {
        got.push_back(built[i]);
    }
    EXPECT_EQ(got, (Strings{"newtool", "keep", "--add", "one"}));

    for (int i = 0; i < 8; ++i) {
        output[i] = buffers[i];
    }
    built = s.GetArgv(input, output, "z");
    got.clear();
    for (int i = 0; built[i] != nullptr; ++i) {
        got.push_back(built[i]);
    }
    EXPECT_EQ(got, (Strings{"tool", "-x", "keep", "-y", "z"}));
}

TEST(StringLayoutTest, FormatLen)
{
    struct Case {
        std::string text;
        int len;
        std::string type;
        char fill;
        std::string result;
    };
    const std::vector<Case> cases = {
        {"ab", 7, "center", '-', "--ab---"},
        {"abcdef", 3, "center", '-', "abcdef"},
        {"abcdef", 3, "left", ' ', "abcdef"},
        {"ab", 5, "left", '.', "ab..."},
        {"ab", 5, "right", ' ', "   ab"},
        {"ab", 5, "middle", ' ', ""},
        {"", 3, "center", '#', "###"},
        {"abc", 4, "center", '*', "abc*"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(s.FormatLen(c.text, c.len, c.type, c.fill), c.result) << c.text << " " << c.type;
    }
    EXPECT_EQ(s.FormatLen(Strings{"a", "bb"}, 9, "right", ' '), "   a  bb");
    EXPECT_EQ(s.FormatLen(Strings{}, 9, "right", ' '), "");
}

TEST(StringLayoutTest, ParseToOneLine)
{
    struct Case {
        std::string left, right;
        std::string result;
    };
    const std::vector<Case> cases = {
        {"a\nbb", "x\ny", "a   |x  \nbb  |y  \n"},
        {"a\nb\nc", "x", "a   |x  \nb   |   \nc   |   \n"},
        {"", "x", "    |x  \n"},
        {"", "", ""},
        {"toolong", "r", "toolong|r  \n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(s.ParseToOneLine(c.left, c.right, 4, 3, '\n', "|"), c.result) << c.left;
    }
}

}  // namespace
