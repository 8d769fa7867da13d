#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "ToolTree.h"

namespace {

class ToolTreeFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        char dir[] = "/tmp/pellora-tree-XXXXXX";
        m_tree = mkdtemp(dir);
        std::filesystem::create_directories(m_tree + "/bin");
        std::filesystem::create_directories(m_tree + "/etc");
        for (const char* name : {"QUENDAR_SYSROOT", "PELLORA_BMC_CA", "PELLORA_BMC_PIN"}) {
            unsetenv(name);
        }
    }
    void TearDown() override { std::filesystem::remove_all(m_tree); }
    void Write(const std::string& name, const std::string& text) { std::ofstream(m_tree + "/" + name) << text; }

    std::string m_tree;
};

TEST_F(ToolTreeFiles, ATreeWithoutEtcFilesChangesNothing)
{
    ToolSettings s = ToolTree::Read(m_tree + "/bin/pellora");
    EXPECT_EQ(s.tree, m_tree);
    EXPECT_EQ(s.sysroot, "");
    EXPECT_EQ(s.caFile, "");
    EXPECT_EQ(s.pinnedKey, "");
}

TEST_F(ToolTreeFiles, EtcFilesNameTheMachineRootAndTheBmcTrust)
{
    struct Case {
        std::string sysrootFile;
        std::string sysroot;
    } cases[] = {
        {"machine\n", m_tree + "/machine"},
        {"/srv/described\n", "/srv/described"},
        {"", ""},
    };
    for (const auto& c : cases) {
        Write("etc/sysroot", c.sysrootFile);
        Write("etc/bmc-ca.pem", "-----BEGIN CERTIFICATE-----\n");
        Write("etc/bmc-pin", "sha256//AAAA=\n");
        ToolSettings s = ToolTree::Read(m_tree + "/bin/pellora");
        EXPECT_EQ(s.sysroot, c.sysroot) << c.sysrootFile;
        EXPECT_EQ(s.caFile, m_tree + "/etc/bmc-ca.pem");
        EXPECT_EQ(s.pinnedKey, "sha256//AAAA=");
    }
}

TEST_F(ToolTreeFiles, TheEnvironmentTakesPrecedence)
{
    Write("etc/sysroot", "machine\n");
    Write("etc/bmc-pin", "sha256//AAAA=\n");
    setenv("QUENDAR_SYSROOT", "/elsewhere", 1);
    setenv("PELLORA_BMC_PIN", "sha256//BBBB=", 1);
    ToolSettings s = ToolTree::Read(m_tree + "/bin/pellora");
    unsetenv("QUENDAR_SYSROOT");
    unsetenv("PELLORA_BMC_PIN");
    EXPECT_EQ(s.sysroot, "/elsewhere");
    EXPECT_EQ(s.pinnedKey, "sha256//BBBB=");
}

TEST_F(ToolTreeFiles, AProgramOutsideABinDirectoryHasNoTree)
{
    Write("etc/sysroot", "machine\n");
    std::filesystem::create_directories(m_tree + "/build");
    ToolSettings s = ToolTree::Read(m_tree + "/build/pellora");
    EXPECT_EQ(s.tree, "");
    EXPECT_EQ(s.sysroot, "");
}

}  // namespace
