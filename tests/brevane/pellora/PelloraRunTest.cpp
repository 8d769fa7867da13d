#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

#include "PelloraRun.h"

namespace {

// A BIOS whose answers each case sets.
class ScriptedBackend : public Backend {
public:
    bool reachable = true;
    std::vector<Setting> listing;
    ApplyResult applyResult;
    std::vector<Setting> applied;

    bool Check(std::string& description, std::string& why) override
    {
        description = "scripted";
        why = "unreachable";
        return reachable;
    }
    bool List(std::vector<Setting>& out, std::string& error) override
    {
        out = listing;
        error = "unreachable";
        return reachable;
    }
    bool Details(const std::string& name, Attribute& out, std::string& error) override
    {
        out.name = name;
        out.type = "Enumeration";
        out.allowed = {"A", "B"};
        out.current = "A";
        error = "unreachable";
        return reachable;
    }
    ApplyResult Apply(const std::vector<Setting>& settings) override
    {
        applied = settings;
        return applyResult;
    }
    bool Report(const std::string&, std::string& text, std::string& error) override
    {
        text = "[R]\nx : y\n";
        error = "unreachable";
        return reachable;
    }
};

std::string SettingsFilePath(const std::string& text)
{
    char path[] = "/tmp/pellora-run-XXXXXX";
    int fd = mkstemp(path);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    close(fd);
    return path;
}

CommandLine Command(const std::string& command)
{
    CommandLine cl;
    cl.command = command;
    return cl;
}

bool HasFailureWord(const std::string& out)
{
    return out.find("Failed") != std::string::npos || out.find("Failure") != std::string::npos;
}

TEST(PelloraRun, ListingIsOneNameColonValueLinePerAttribute)
{
    ScriptedBackend bios;
    bios.listing = {{"BootOrder", "Pxe:1;Hdd:0"}, {"Banner", "two\nlines"}, {"Empty", ""}};
    std::string out;
    EXPECT_EQ(PelloraRun::Execute(Command("getattr"), bios, out), 0);
    EXPECT_EQ(out, "BootOrder : Pxe:1;Hdd:0\nBanner : two lines\nEmpty : \n");
}

TEST(PelloraRun, ApplyOutcomeCarriesAFailureWordExactlyWhenSomethingFailed)
{
    struct Case {
        ApplyResult result;
        int status;
        bool failureWord;
        const char* text;
    };
    ApplyResult ok;
    ok.applied = 2;
    ApplyResult one;
    one.failed = {{"NumaEnable", "'Maybe' is not one of: Enabled, Disabled"}};
    ApplyResult whole;
    whole.error = "the BMC refused the user name or password (HTTP 401)";
    const Case cases[] = {
        {ok, 0, false, "Applied 2 BIOS settings"},
        {one, 1, true, "NumaEnable : Failed ('Maybe' is not one of: Enabled, Disabled)\n"},
        {whole, 1, true, "Failure: the BMC refused"},
    };
    const std::string file = SettingsFilePath("{\"CustomPowerPolicy\" : \"Performance\",\"NumaEnable\" : \"Maybe\"}");
    for (const auto& c : cases) {
        ScriptedBackend bios;
        bios.applyResult = c.result;
        CommandLine cl = Command("setbios");
        cl.file = file;
        std::string out;
        EXPECT_EQ(PelloraRun::Execute(cl, bios, out), c.status);
        EXPECT_EQ(HasFailureWord(out), c.failureWord) << out;
        EXPECT_NE(out.find(c.text), std::string::npos) << out;
        EXPECT_EQ(bios.applied, (std::vector<Setting>{{"CustomPowerPolicy", "Performance"}, {"NumaEnable", "Maybe"}}));
    }
    unlink(file.c_str());
}

TEST(PelloraRun, ABadSettingsFileAppliesNothing)
{
    const std::string file = SettingsFilePath("{\"A\" : \"say \"hi\"\"}");
    ScriptedBackend bios;
    CommandLine cl = Command("setbios");
    cl.file = file;
    std::string out;
    EXPECT_EQ(PelloraRun::Execute(cl, bios, out), 1);
    EXPECT_TRUE(HasFailureWord(out)) << out;
    EXPECT_TRUE(bios.applied.empty());
    unlink(file.c_str());
}

TEST(PelloraRun, UnreachableBiosFailsEverySubCommand)
{
    for (const char* command : {"getattr", "getbiosdetails", "check", "getcpu"}) {
        ScriptedBackend bios;
        bios.reachable = false;
        CommandLine cl = Command(command);
        cl.attribute = "X";
        std::string out;
        EXPECT_EQ(PelloraRun::Execute(cl, bios, out), 1) << command;
        EXPECT_EQ(out, "Failure: unreachable\n") << command;
    }
}

TEST(PelloraRun, DetailsNameTypeValuesAndPending)
{
    ScriptedBackend bios;
    CommandLine cl = Command("getbiosdetails");
    cl.attribute = "Policy";
    std::string out;
    EXPECT_EQ(PelloraRun::Execute(cl, bios, out), 0);
    EXPECT_EQ(out, "Attribute Name : Policy\nType : Enumeration\nAllowed Values : A, B\n"
                   "Current Value : A\nPending Value : (none)\n");
}

}  // namespace
