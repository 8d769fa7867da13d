#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "ScenarioDir.h"

namespace {

TEST(ScenarioDir, NamesComeFromCfgFilesOnly)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/etc/Brevane/conf/database.cfg", "database"},
        {"/opt/brevane-1.2/conf/speccpu.cfg", "speccpu"},
        {"/etc/Brevane/conf/web.server.cfg", "web.server"},
        {"/etc/Brevane/conf/README", ""},
        {"/etc/Brevane/conf/database.cfg.bak", ""},
        {"/etc/Brevane/conf/.cfg", ""},
        {"common.cfg", "common"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ScenarioNameOf(c.first), c.second) << c.first;
    }
}

TEST(ScenarioDir, FileOfATypeIsInTheBuiltInDirectory)
{
    EXPECT_EQ(ScenarioFile("database"), std::string(BREVANE_SCENARIO_DIR) + "/database.cfg");
}

}  // namespace
