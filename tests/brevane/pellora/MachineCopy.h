#ifndef PELLORA_TEST_MACHINECOPY_H
#define PELLORA_TEST_MACHINECOPY_H

// A private copy of a machine description, used as the machine root for
// the life of a test, so tests that write never touch the fixtures.

#include <cstdlib>
#include <filesystem>
#include <string>

class MachineCopy {
public:
    explicit MachineCopy(const std::string& fixture)
    {
        char dir[] = "/tmp/pellora-machine-XXXXXX";
        m_root = mkdtemp(dir);
        std::filesystem::copy(std::string(QUENDAR_FIXTURES) + "/firmware/" + fixture, m_root,
                              std::filesystem::copy_options::recursive);
        const char* old = std::getenv("QUENDAR_SYSROOT");
        m_hadRoot = old != nullptr;
        m_oldRoot = old != nullptr ? old : "";
        setenv("QUENDAR_SYSROOT", m_root.c_str(), 1);
    }
    ~MachineCopy()
    {
        if (m_hadRoot) {
            setenv("QUENDAR_SYSROOT", m_oldRoot.c_str(), 1);
        } else {
            unsetenv("QUENDAR_SYSROOT");
        }
        std::filesystem::remove_all(m_root);
    }
    // The file inside the copy that stands for a machine path.
    std::string Path(const std::string& machinePath) const { return m_root + machinePath; }
    const std::string& Root() const { return m_root; }

private:
    std::string m_root;
    bool m_hadRoot = false;
    std::string m_oldRoot;
};

#endif
