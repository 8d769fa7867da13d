#ifndef OSTRUM_PMU_SIM_FILE_H
#define OSTRUM_PMU_SIM_FILE_H

// The rules of a simulated-PMU file (format in PmuAccess.h) and the choice of
// the rule that decides an open call.

#include <cstdint>
#include <string>
#include <vector>

struct PmuSimRule {
    bool anyType = true;
    int64_t type = 0;
    bool anyConfig = true;
    uint64_t config = 0;
    double rate = 0;
    std::vector<int> cpus;  // empty: any cpu argument
    std::vector<int> pids;  // empty: any pid argument
    double running = 1.0;
};

class PmuSimFile {
public:
    // Parses the text of a file; false with "<name>:<line>: <reason>" in
    // error on the first malformed line.
    bool Parse(const std::string& text, const std::string& name, std::string& error);
    // Reads and parses a file.
    bool Load(const std::string& path, std::string& error);

    // The first rule matching the open call, or nullptr.
    const PmuSimRule* Match(uint32_t type, uint64_t config, int pid, int cpu) const;

    const std::vector<PmuSimRule>& Rules() const { return m_rules; }

private:
    std::vector<PmuSimRule> m_rules;
};

#endif
