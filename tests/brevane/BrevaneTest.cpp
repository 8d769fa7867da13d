// The Brevane class against the stand-in tool: what it queues, what it
// hands to the tool and what it leaves on disk.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "Brevane.h"

namespace fs = std::filesystem;

namespace {

using Settings = std::vector<std::pair<std::string, std::string>>;

const char* const kListing =
    "AssetTag : rack 4: slot 12\n"
    "BootOrder : Pxe:1;Hdd:0\n"
    "CustomPowerPolicy : Efficiency\n"
    "CustomPowerPolicyMode : Performance\n"
    "HwPrefetcher : Enabled\n"
    "NumaEnable : Enabled\n"
    "PowerLevelOfSocket0 : LEVEL-2\n"
    "PowerLevelOfSocket1 : LEVEL-3\n";

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A private copy of the stand-in tool with its own listing and record.
class BrevaneTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char dirTemplate[] = "/tmp/brevane-unit.XXXXXX";
        ASSERT_NE(mkdtemp(dirTemplate), nullptr);
        m_dir = dirTemplate;
        fs::create_directories(m_dir / "bin");
        fs::copy_file(fs::path(BREVANE_STANDIN_DIR) / "pellora", m_dir / "bin" / "pellora");
        std::ofstream(m_dir / "listing.txt") << kListing;
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Tool() const { return (m_dir / "bin" / "pellora").string(); }

    // The words of every call the tool received, without the program path.
    std::vector<std::string> Calls() const
    {
        std::vector<std::string> calls;
        std::istringstream lines(ReadAll(m_dir / "record" / "calls"));
        for (std::string line; std::getline(lines, line);) {
            const size_t firstEnd = line.find('>');
            calls.push_back(line.substr(firstEnd + 1));
        }
        return calls;
    }

    std::string Applied() const { return ReadAll(m_dir / "record" / "applied.json"); }

    fs::path m_dir;
};

TEST_F(BrevaneTest, ReadsTheListingOnceWithAnEmptyEnvironment)
{
    setenv("BREVANE_LEAK_CHECK", "visible", 1);
    Brevane brevane(Tool(), {"pellora"});
    unsetenv("BREVANE_LEAK_CHECK");
    EXPECT_EQ(brevane.m_biosInfo, std::string(kListing).substr(0, std::string(kListing).size() - 1));
    EXPECT_EQ(Calls(), std::vector<std::string>{"<getattr>"});
    EXPECT_EQ(ReadAll(m_dir / "record" / "environment").find("BREVANE_LEAK_CHECK"), std::string::npos);
    EXPECT_FALSE(brevane.m_hasParamToSet);
}

TEST_F(BrevaneTest, ConnectionOptionsReachTheToolAsWholeWords)
{
    Brevane brevane(Tool(), {"pellora", "-H", "10.0.0.7", "-U", "admin user", "-P", "p\"a's s\\w"});
    EXPECT_EQ(Calls(), std::vector<std::string>{"<-H><10.0.0.7><-U><admin user><-P><p\"a's s\\w><getattr>"});
}

struct OneParamCase {
    const char* attr;
    const char* value;
    Settings queued;
    const char* line;  // expected in the output
};

TEST_F(BrevaneTest, SetOneParamQueuesOnlyWhatDiffers)
{
    const OneParamCase cases[] = {
        {"CustomPowerPolicy", "Performance", {{"CustomPowerPolicy", "Performance"}},
         "WARN  : Check CustomPowerPolicy's value: Efficiency"},
        {"CustomPowerPolicy", "Efficiency", {}, "INFO  : Check CustomPowerPolicy's value: Efficiency"},
        // A part of a longer name, or a value of another attribute, is not an attribute.
        {"PowerPolicy", "Performance", {}, "WARN  : PowerPolicy is not support on current BIOS version"},
        {"Performance", "x", {}, "WARN  : Performance is not support on current BIOS version"},
        {"CustomPowerPolicyMode", "Performance", {}, "INFO  : Check CustomPowerPolicyMode's value: Performance"},
        {"NoSuchAttribute", "On", {}, "WARN  : NoSuchAttribute is not support on current BIOS version"},
        // The reserved name keeps every colon of its value.
        {"BootOrder", "Pxe:1;Hdd:0", {}, "INFO  : Check BootOrder's value: Pxe:1;Hdd:0"},
        {"BootOrder", "Hdd:0;Pxe:1", {{"BootOrder", "Hdd:0;Pxe:1"}}, "WARN  : Check BootOrder's value: Pxe:1;Hdd:0"},
        // Only the reserved name keeps its colons.
        {"AssetTag", "rack 4", {}, "INFO  : Check AssetTag's value: rack 4"},
        // The group name stands for every socket's attribute.
        {"PowerLevelOfSocket", "3", {{"PowerLevelOfSocket0", "LEVEL-3"}},
         "WARN  : Check PowerLevelOfSocket0's value: LEVEL-2"},
        {"PowerLevelOfSocket", "0", {{"PowerLevelOfSocket0", "LEVEL-0"}, {"PowerLevelOfSocket1", "LEVEL-0"}},
         "WARN  : Check PowerLevelOfSocket1's value: LEVEL-3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.attr) + " = " + c.value);
        Brevane brevane(Tool(), {"pellora"});
        testing::internal::CaptureStdout();
        const bool queued = brevane.SetOneParam(c.attr, c.value);
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(brevane.m_paramVec, c.queued);
        EXPECT_EQ(queued, !c.queued.empty());
        EXPECT_EQ(brevane.m_hasParamToSet, !c.queued.empty());
        EXPECT_NE(out.find(c.line), std::string::npos) << out;
    }
}

TEST_F(BrevaneTest, ScenarioFileQueuesItsDifferingSettingsInFileOrder)
{
    Brevane brevane(Tool(), {"pellora"});
    testing::internal::CaptureStdout();
    EXPECT_EQ(brevane.SetTypeParam(std::string(BREVANE_SCENARIO_DIR) + "/database.cfg"), 0);
    const std::string out = testing::internal::GetCapturedStdout();
    const Settings expected = {
        {"CustomPowerPolicy", "Performance"},
        {"HwPrefetcher", "Disabled"},
        {"BootOrder", "Hdd:0;Pxe:1"},
        {"PowerLevelOfSocket0", "LEVEL-3"},
    };
    EXPECT_EQ(brevane.m_paramVec, expected);
    EXPECT_NE(out.find("Doing database BIOS performance settings..."), std::string::npos) << out;
    EXPECT_NE(out.find("NoSuchAttribute is not support on current BIOS version"), std::string::npos) << out;
    EXPECT_EQ(out.find("indented comment"), std::string::npos) << out;
}

TEST(BrevaneScenarioValue, TakesThePartBetweenTheFirstTwoHashes)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Performance", "Performance"}, {"x#y", "y"}, {"a#b#c", "b"}, {"#b", "b"},
        {"a#", ""},                     {"Low # High", "High"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Brevane::ScenarioValue(c.first), c.second) << c.first;
    }
}

TEST_F(BrevaneTest, AppliesEscapedSettingsInOneCall)
{
    Brevane brevane(Tool(), {"pellora"});
    brevane.SetOneParam("CustomPowerPolicy", "Per\"for\\mance");
    brevane.SetOneParam("HwPrefetcher", "Disabled");
    const std::string json = (m_dir / "settings.json").string();
    testing::internal::CaptureStdout();
    brevane.PelloraSetJsonFile(json);
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string expected = "{\"CustomPowerPolicy\" : \"Per\\\"for\\\\mance\",\"HwPrefetcher\" : \"Disabled\"}";
    EXPECT_EQ(Applied(), expected);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"<getattr>", "<setbios><-f><" + json + ">"}));
    EXPECT_NE(out.find("BIOS settings are applied."), std::string::npos) << out;
    EXPECT_EQ(out.find("ERROR"), std::string::npos) << out;
}

TEST_F(BrevaneTest, ReportsAFailedApplyWithTheToolsOutput)
{
    Brevane brevane(Tool(), {"pellora"});
    brevane.SetOneParam("HwPrefetcher", "FailThis");
    testing::internal::CaptureStdout();
    brevane.PelloraSetJsonFile((m_dir / "settings.json").string());
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("ERROR : Applying BIOS settings failed"), std::string::npos) << out;
    EXPECT_NE(out.find("Set BIOS attributes: Failed"), std::string::npos) << out;
    EXPECT_EQ(out.find("BIOS settings are applied."), std::string::npos) << out;
}

TEST_F(BrevaneTest, NothingQueuedRunsNoApply)
{
    Brevane brevane(Tool(), {"pellora"});
    brevane.SetOneParam("HwPrefetcher", "Enabled");
    brevane.PelloraSetJsonFile((m_dir / "settings.json").string());
    EXPECT_EQ(Calls(), std::vector<std::string>{"<getattr>"});
    EXPECT_FALSE(fs::exists(m_dir / "settings.json"));
}

TEST_F(BrevaneTest, ReportsLandInTheDirectoryWhateverItsName)
{
    const fs::path dir = m_dir / "reports; touch pwned $(touch pwned2)";
    fs::create_directories(dir);
    Brevane brevane(Tool(), {"pellora", "-H", "10.0.0.7", "-U", "u", "-P", "p"});
    brevane.GetHardWareInfo(dir.string());
    const char* reports[] = {"getbios", "getcpu", "getmemory", "getsyseth", "getpdisk", "getraid", "getpsu"};
    std::vector<std::string> expectedCalls = {"<-H><10.0.0.7><-U><u><-P><p><getattr>"};
    for (const char* report : reports) {
        EXPECT_EQ(ReadAll(dir / (std::string(report) + "_info.txt")), std::string("report of ") + report + "\n");
        expectedCalls.push_back(std::string("<-H><10.0.0.7><-U><u><-P><p><") + report + ">");
    }
    EXPECT_EQ(Calls(), expectedCalls);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 7);
    EXPECT_FALSE(fs::exists("pwned"));
    EXPECT_FALSE(fs::exists("pwned2"));
}

TEST_F(BrevaneTest, DirectCommandLineLosesOnlyItsOwnOption)
{
    struct DirectCase {
        std::vector<std::string> args;
        std::string call;    // what the tool receives
        std::string output;  // what the user sees of its answer
    };
    const DirectCase cases[] = {
        {{"./brevane", "-D", "getbios"}, "<getbios>", "report of getbios"},
        {{"./brevane", "-Dgetbios"}, "<getbios>", "report of getbios"},
        {{"./brevane", "--directly", "getbios"}, "<getbios>", "report of getbios"},
        {{"./brevane", "-D", "getbiosdetails", "-A", "Custom Policy"}, "<getbiosdetails><-A><Custom Policy>",
         "stand-in tool: getbiosdetails -A Custom Policy"},
        {{"./brevane", "-H", "h", "-U", "u", "-P", "p w", "-D", "getbios"}, "<-H><h><-U><u><-P><p w><getbios>",
         "report of getbios"},
    };
    for (const auto& c : cases) {
        fs::remove_all(m_dir / "record");
        Brevane brevane(Tool(), {"pellora"});
        testing::internal::CaptureStdout();
        brevane.Pellora(c.args);
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(Calls(), (std::vector<std::string>{"<getattr>", c.call}));
        EXPECT_NE(out.find(c.output), std::string::npos) << out;
    }
}

}  // namespace
