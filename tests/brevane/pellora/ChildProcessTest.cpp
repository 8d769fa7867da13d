#include <gtest/gtest.h>

#include "ChildProcess.h"

namespace {

TEST(ChildProcess, FeedsInputAndKeepsBothOutputsApart)
{
    ChildResult r = RunChild("/bin/sh", {"sh", "-c", "cat; echo oops >&2; exit 3"}, {}, "line one\nline two");
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, "line one\nline two");
    EXPECT_EQ(r.err, "oops\n");
}

TEST(ChildProcess, LargeInputAndOutputDoNotBlockEachOther)
{
    // More than a pipe holds in both directions at once.
    std::string input(1 << 20, 'x');
    ChildResult r = RunChild("/bin/cat", {"cat"}, {}, input);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.size(), input.size());
    EXPECT_EQ(r.out, input);
}

TEST(ChildProcess, TheChildGetsExactlyTheEnvironmentAndArgumentsGiven)
{
    ChildResult r = RunChild("/bin/sh", {"sh", "-c", "printf '%s|%s|%s' \"$0\" \"$1\" \"$ONLY\"; env | wc -l", "a b", "$(id)"},
                             {"ONLY=this"}, "");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.substr(0, r.out.find('|', r.out.find('|') + 1)), "a b|$(id)");
    EXPECT_NE(r.out.find("|this"), std::string::npos) << r.out;
}

TEST(ChildProcess, AProgramThatCannotRunFails)
{
    ChildResult r = RunChild("/nonexistent/curl", {"curl"}, {}, "data");
    EXPECT_NE(r.status, 0);
    ChildResult killed = RunChild("/bin/sh", {"sh", "-c", "kill -9 $$"}, {}, "");
    EXPECT_EQ(killed.status, -1);
    EXPECT_NE(killed.failure.find("signal 9"), std::string::npos) << killed.failure;
}

}  // namespace
