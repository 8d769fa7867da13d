#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "RunCommand.h"
#include "TempDir.h"
#include "WelbrinShell.h"

namespace {

// The perf selection prefix, on machines with a working perf, a broken one
// and none: only a perf that runs is preferred to the carried static copy.
TEST(WelbrinShellTest, PerfSelection)
{
    struct Case {
        std::string name;
        std::string perfScript;  // empty: no perf on the search path
        std::string expected;
    };
    const Case cases[] = {
        {"working perf", "#!/bin/sh\nexit 0\n", "perf"},
        {"perf that fails", "#!/bin/sh\nexit 1\n", "perf_static_x86_64"},
        {"no perf", "", "perf_static_x86_64"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir bin;
        ::chmod(bin.Write("arch", "#!/bin/sh\necho x86_64\n").c_str(), 0755);
        if (!c.perfScript.empty()) {
            ::chmod(bin.Write("perf", c.perfScript).c_str(), 0755);
        }
        const std::string script = WelbrinShell::PerfSelectionPrefix() + " ; echo ${perf_exec}";
        const CommandResult result =
            RunCommand("PATH=" + ShellQuote(bin.Path()) + " /bin/bash -c " + ShellQuote(script));
        EXPECT_EQ(result.out, c.expected + "\n");
    }
}

TEST(WelbrinShellTest, SearchPathPutsTheCarriedToolsFirst)
{
    const CommandResult result =
        RunCommand("PATH=/usr/bin:/bin /bin/bash -c " + ShellQuote(WelbrinShell::SearchPathPrefix() + "echo $PATH"));
    EXPECT_EQ(result.out.rfind("/tmp/WelbrinBin/bin:/usr/bin:/bin", 0), 0u) << result.out;
}

TEST(WelbrinShellTest, ResultFilesShowCommandsWithoutThePerfPrefix)
{
    const std::string prefix = WelbrinShell::PerfSelectionPrefix();
    EXPECT_EQ(WelbrinShell::WithoutPerfPrefix(prefix + " ; ${perf_exec} stat -a"), "${perf_exec} stat -a");
    EXPECT_EQ(WelbrinShell::WithoutPerfPrefix("pidstat 1 3"), "pidstat 1 3");
    EXPECT_EQ(WelbrinShell::WithoutPerfPrefix("x ; " + prefix + " ; y"), "x ; " + prefix + " ; y");
}

// Commands use bash syntax whatever shell popen reaches, and keep their
// error output.
TEST(WelbrinShellTest, InBash)
{
    const CommandResult result =
        RunCommand(WelbrinShell::InBash("echo -e 'a\\tb'; echo hidden &> /dev/null; echo err >&2; [[ 1 == 1 ]] && "
                                        "echo ok"));
    EXPECT_EQ(result.out, "a\tb\nerr\nok\n");
    EXPECT_EQ(result.err, "");
}

}  // namespace
