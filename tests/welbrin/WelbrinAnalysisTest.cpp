#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <regex>
#include <string>

#include "RunCommand.h"
#include "TempDir.h"
#include "WelbrinAnalysis.h"
#include "WelbrinShell.h"

namespace {

// Runs the test inside a fresh working directory whose name needs quoting.
class InWorkDir {
public:
    InWorkDir()
    {
        char old[PATH_MAX];
        m_old = ::getcwd(old, sizeof(old)) != nullptr ? old : "/";
        m_dir = m_scratch.Sub("it's a dir");
        m_scratch.Write("it's a dir/.keep", "");
        EXPECT_EQ(::chdir(m_dir.c_str()), 0);
    }
    ~InWorkDir() { EXPECT_EQ(::chdir(m_old.c_str()), 0); }
    const std::string& Dir() const { return m_dir; }
    const TempDir& Scratch() const { return m_scratch; }

private:
    TempDir m_scratch;
    std::string m_dir;
    std::string m_old;
};

std::string Block(const std::string& cmd, const std::string& output)
{
    return "\n>>>>>>>>>>" + cmd + "\n" + output;
}

TEST(WelbrinAnalysisTest, NamesAndCreatesTheOutputDirectory)
{
    InWorkDir work;
    for (const std::string keyword : {"ci", ""}) {
        SCOPED_TRACE("keyword [" + keyword + "]");
        WelbrinAnalysis analysis(keyword);
        const std::string dir = analysis.OutputDir();
        ASSERT_EQ(dir.rfind(work.Dir() + "/", 0), 0u) << dir;
        const std::string name = dir.substr(work.Dir().size() + 1);
        EXPECT_TRUE(std::regex_match(name, std::regex("welbrin_[A-Za-z0-9._-]*_[0-9]{8}_[0-9]{6}_" + keyword)))
            << name;
        EXPECT_EQ(RunCommand("test -d " + ShellQuote(dir)).status, 0);
        EXPECT_EQ(analysis.FinishedTasks(), 0);
    }
}

TEST(WelbrinAnalysisTest, ResultFileBlocks)
{
    InWorkDir work;
    WelbrinAnalysis analysis("blocks");
    struct Case {
        std::string cmd;
        std::string output;  // as the file must hold it after the header
    };
    const Case cases[] = {
        {"printf 'a\\nb\\n'", "a\nb"},  // only the last line end goes
        {"printf 'a\\n\\n'", "a\n"},
        {"true", ""},
        {"printf '%s\\n' '%s %n %d'", "%s %n %d"},  // output is text, never a format
        {"echo oops >&2; exit 3", "oops"},          // error output is kept, status ignored
        {"echo -e 'x\\ty' &> /dev/stdout", "x\ty"}, // bash syntax
        {"echo $PATH | cut -d: -f1", "/tmp/WelbrinBin/bin"},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cmd);
        const std::string file = "case" + std::to_string(n++) + ".txt";
        EXPECT_EQ(analysis.RunCmdSaveFile(c.cmd, file), 0);
        EXPECT_EQ(TempDir::Read(analysis.OutputDir() + "/" + file), Block(c.cmd, c.output));
    }
}

TEST(WelbrinAnalysisTest, BlocksAppendAfterWhatTheFileHeld)
{
    InWorkDir work;
    WelbrinAnalysis analysis("append");
    const std::string inside = analysis.OutputDir() + "/log.txt";
    work.Scratch().Write("outside.txt", "old\n");
    const std::string outside = work.Scratch().Sub("outside.txt");

    analysis.RunCmdSaveFile("echo one", "log.txt");
    analysis.RunCmdSaveFile("echo two", "log.txt");
    // A name beginning with "/" is used as it is, outside the directory.
    analysis.RunCmdSaveFile("echo three", outside);

    EXPECT_EQ(TempDir::Read(inside), Block("echo one", "one") + Block("echo two", "two"));
    EXPECT_EQ(TempDir::Read(outside), "old\n" + Block("echo three", "three"));
    EXPECT_EQ(RunCommand("test -e " + ShellQuote(analysis.OutputDir() + outside)).status, 1);
}

TEST(WelbrinAnalysisTest, PerfCommandsShowWithoutTheSelectionPrefix)
{
    InWorkDir work;
    WelbrinAnalysis analysis("perf");
    const std::string body = "echo ${perf_exec}";
    analysis.RunCmdSaveFile(WelbrinShell::PerfSelectionPrefix() + " ; " + body, "perf.txt");
    // The machine's perf when it runs here, else the carried static one.
    const bool machinePerf = RunCommand("perf -h").status == 0;
    EXPECT_EQ(TempDir::Read(analysis.OutputDir() + "/perf.txt"),
              Block(body, machinePerf ? "perf" : "perf_static_x86_64"));
}

}  // namespace
