#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <unistd.h>

#include "FirmwareAttributes.h"
#include "LocalBackend.h"
#include "MachineCopy.h"

namespace {

const std::string kAttrs = "/sys/class/firmware-attributes/quendar-bios/attributes/";

std::string FileText(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

struct ValidateCase {
    Attribute attr;
    std::string value;
    std::string canonical;  // what is written when accepted
    std::string reason;     // part of the refusal; empty when accepted
};

Attribute Enum()
{
    Attribute a;
    a.type = "Enumeration";
    a.allowed = {"Efficiency", "Performance", "Custom"};
    return a;
}

Attribute Integer(const std::string& lo, const std::string& hi, const std::string& step)
{
    Attribute a;
    a.type = "Integer";
    a.lower = lo;
    a.upper = hi;
    a.step = step;
    return a;
}

Attribute Text(const std::string& lo, const std::string& hi)
{
    Attribute a;
    a.type = "String";
    a.lower = lo;
    a.upper = hi;
    return a;
}

class FirmwareValidate : public ::testing::TestWithParam<ValidateCase> {};

TEST_P(FirmwareValidate, AcceptsWhatTheFirmwarePublishes)
{
    const ValidateCase& c = GetParam();
    std::string canonical;
    std::string why = FirmwareAttributes::Validate(c.attr, c.value, canonical);
    if (c.reason.empty()) {
        EXPECT_EQ(why, "");
        EXPECT_EQ(canonical, c.canonical);
    } else {
        EXPECT_NE(why.find(c.reason), std::string::npos) << why;
    }
}

INSTANTIATE_TEST_SUITE_P(Values, FirmwareValidate, ::testing::Values(
    ValidateCase{Enum(), "Performance", "Performance", ""},
    ValidateCase{Enum(), "performance", "Performance", ""},
    ValidateCase{Enum(), "Turbo", "", "not one of: Efficiency, Performance, Custom"},
    ValidateCase{Enum(), "", "", "not one of"},
    ValidateCase{Integer("0", "64", "2"), "64", "64", ""},
    ValidateCase{Integer("0", "64", "2"), "0", "0", ""},
    ValidateCase{Integer("0", "64", "2"), "65", "", "outside 0 - 64"},
    ValidateCase{Integer("0", "64", "2"), "-1", "", "outside 0 - 64"},
    ValidateCase{Integer("0", "64", "2"), "3", "", "multiple of 2"},
    ValidateCase{Integer("0", "64", "2"), "4x", "", "not a whole number"},
    ValidateCase{Integer("", "", ""), "123456", "123456", ""},
    ValidateCase{Text("1", "8"), "12345678", "12345678", ""},
    ValidateCase{Text("1", "8"), "123456789", "", "1 to 8 characters"},
    ValidateCase{Text("1", "8"), "", "", "1 to 8 characters"},
    ValidateCase{Text("0", "32"), "two\nlines", "", "line break"}));

TEST(FirmwareAttributes, ListsAttributeDirectoriesOnly)
{
    MachineCopy machine("quendar-q60");
    FirmwareAttributes attrs;
    std::vector<std::string> names;
    for (const auto& e : attrs.Enumerate()) {
        names.push_back(e.name);
        EXPECT_EQ(e.device, "quendar-bios");
    }
    EXPECT_EQ(names, (std::vector<std::string>{"ActiveCores", "AssetTag", "BootOrder", "CustomPowerPolicy",
                                               "HwPrefetcher", "NumaEnable", "PowerLevelOfSocket0",
                                               "PowerLevelOfSocket1", "PowerSaving"}));
}

TEST(FirmwareAttributes, ReadsTypeBoundsAndPending)
{
    MachineCopy machine("quendar-q60");
    FirmwareAttributes attrs;
    FirmwareAttributes::Entry entry;
    Attribute a;
    ASSERT_TRUE(attrs.Find("CustomPowerPolicy", entry));
    ASSERT_TRUE(attrs.Read(entry, a));
    EXPECT_EQ(a.type, "Enumeration");
    EXPECT_EQ(a.allowed, (std::vector<std::string>{"Efficiency", "Performance", "Custom"}));
    EXPECT_EQ(a.current, "Efficiency");
    EXPECT_EQ(a.pending, "");
    ASSERT_TRUE(attrs.Find("ActiveCores", entry));
    ASSERT_TRUE(attrs.Read(entry, a));
    EXPECT_EQ(a.type, "Integer");
    EXPECT_EQ(a.lower + "/" + a.upper + "/" + a.step, "0/64/2");

    std::ofstream(machine.Path(kAttrs + "pending_reboot")) << "1\n";
    ASSERT_TRUE(attrs.Read(entry, a));
    EXPECT_EQ(a.pending, "0");
    EXPECT_FALSE(attrs.Find("pending_reboot", entry));
}

TEST(LocalBackend, AppliesEverySettingOrNone)
{
    MachineCopy machine("quendar-q60");
    LocalBackend local;
    ApplyResult refused = local.Apply({{"CustomPowerPolicy", "Performance"}, {"ActiveCores", "7"},
                                       {"NoSuchThing", "1"}});
    ASSERT_EQ(refused.failed.size(), 2u);
    EXPECT_EQ(refused.failed[0].first, "ActiveCores");
    EXPECT_EQ(refused.failed[1].first, "NoSuchThing");
    EXPECT_EQ(FileText(machine.Path(kAttrs + "CustomPowerPolicy/current_value")), "Efficiency\n");

    ApplyResult done = local.Apply({{"CustomPowerPolicy", "performance"}, {"AssetTag", "row \"7\" \\ 2"}});
    EXPECT_TRUE(done.Ok());
    EXPECT_EQ(done.applied, 2u);
    EXPECT_EQ(FileText(machine.Path(kAttrs + "CustomPowerPolicy/current_value")), "Performance");
    EXPECT_EQ(FileText(machine.Path(kAttrs + "AssetTag/current_value")), "row \"7\" \\ 2");
}

TEST(LocalBackend, PutsBackWhatWasWrittenWhenTheFirmwareRefusesALaterValue)
{
    MachineCopy machine("quendar-q60");
    // An attribute whose value file cannot be written (a link is never
    // followed when writing) while it can still be read.
    const std::string numa = machine.Path(kAttrs + "NumaEnable/current_value");
    ASSERT_EQ(rename(numa.c_str(), (numa + ".real").c_str()), 0);
    ASSERT_EQ(symlink((numa + ".real").c_str(), numa.c_str()), 0);
    LocalBackend local;
    ApplyResult result = local.Apply({{"CustomPowerPolicy", "Custom"}, {"NumaEnable", "Disabled"}});
    EXPECT_FALSE(result.Ok());
    ASSERT_EQ(result.failed.size(), 1u);
    EXPECT_EQ(result.failed[0].first, "NumaEnable");
    EXPECT_EQ(FileText(machine.Path(kAttrs + "CustomPowerPolicy/current_value")), "Efficiency");
    EXPECT_EQ(FileText(numa + ".real"), "Enabled\n");
}

TEST(LocalBackend, SaysSoWhenTheMachineHasNoInterface)
{
    MachineCopy machine("no-interface");
    LocalBackend local;
    std::string description;
    std::string why;
    EXPECT_FALSE(local.Check(description, why));
    EXPECT_NE(why.find("no in-band BIOS interface"), std::string::npos) << why;
    std::vector<Setting> listing;
    EXPECT_FALSE(local.List(listing, why));
    EXPECT_FALSE(local.Apply({{"CustomPowerPolicy", "Performance"}}).Ok());
    std::string text;
    EXPECT_TRUE(local.Report("getbios", text, why));
    EXPECT_NE(text.find("Attributes : not available"), std::string::npos) << text;
}

}  // namespace
