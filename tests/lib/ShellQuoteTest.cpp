#include "ShellQuote.h"

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

namespace {

// What the shell makes of the quoted word.
std::string ThroughShell(const std::string& word)
{
    const std::string command = "printf '%s' " + word;
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char buffer[256];
    size_t n = 0;
    while ((n = fread(buffer, 1, sizeof(buffer), pipe)) > 0) {
        out.append(buffer, n);
    }
    pclose(pipe);
    return out;
}

TEST(ShellQuote, TheShellSeesExactlyTheText)
{
    for (const std::string text : {"plain", "/tmp/dir with spaces/perf_results", "a'b", "';touch /tmp/x;'",
                                   "$(id) `id` $HOME \\ \" * ?", "", "new\nline"}) {
        EXPECT_EQ(ThroughShell(ShellQuote(text)), text) << text;
    }
}

}  // namespace
