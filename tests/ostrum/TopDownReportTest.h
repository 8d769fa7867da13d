#ifndef TESTS_OSTRUM_TOPDOWN_REPORT_TEST_H
#define TESTS_OSTRUM_TOPDOWN_REPORT_TEST_H

// What the top-down tests share: a collector of any model whose period counts
// the test sets directly, and the expected report built from rows of
// (level, label, value text) so each model's test reads like its report.

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "OstrumTypes.h"

namespace topdown_test {

// Every collector reads its topology from a described machine, never from
// the host the tests run on.
inline void UseMachine(const std::string& name)
{
    std::string root = std::string(QUENDAR_FIXTURES) + "/machines/" + name;
    setenv("QUENDAR_SYSROOT", root.c_str(), 1);
}

// One raw count of the period, given by event code; the name is there for
// the reader and must be the event's name in the model's table.
struct Count {
    const char* name;
    int code;
    uint64_t value;
};

// A collector of model M, system-wide on CPUs 0-3, whose counts are set by
// the test instead of being read from counters.
template <class M>
class Probe : public M {
public:
    Probe() : M(-1, "0-3", ParamMap{}) {}

    void SetCounts(const std::vector<Count>& counts)
    {
        this->m_perfCountResMap.clear();
        for (const auto& count : counts) {
            this->m_perfCountResMap[PerfEvent(4, count.code)] = count.value;
        }
    }

    // Every event of the model counted as 0.
    void SetAllZero()
    {
        this->m_perfCountResMap.clear();
        for (const auto& event : this->m_perfEvents) {
            this->m_perfCountResMap[event] = 0;
        }
    }

    std::string Report() { return this->GetPrintStr(this->m_perfEvents, 1); }
};

// One tree line of the expected report.
struct Row {
    int level;
    const char* label;
    const char* value;
};

// The tree line as the report prints it: 8 spaces per level, the label padded
// to the 48-character label column, then the value.
inline std::string Line(int level, const std::string& label, const std::string& value)
{
    std::string field = std::string(8 * level, ' ') + label;
    if (field.size() < 48) {
        field += std::string(48 - field.size(), ' ');
    }
    return field + value;
}

inline std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        lines.push_back(line);
    }
    return lines;
}

// The whole expected report of a system-wide run on CPUs 0-3: title, the three
// totals, each tree after a blank line, closing line.
inline std::vector<std::string> ExpectedReport(const std::string& instructions, const std::string& cycles,
                                               const std::string& ipc, const std::vector<std::vector<Row>>& trees)
{
    std::vector<std::string> lines;
    lines.push_back("###### Top-down Analysis Summary (pid: -1 cpu: 0-3) ######");
    lines.push_back(Line(0, "Total Execution Instruction:", instructions));
    lines.push_back(Line(0, "Total Execution Cycles:", cycles));
    lines.push_back(Line(0, "Instructions Per Cycle:", ipc));
    for (const auto& tree : trees) {
        lines.push_back("");
        for (const auto& row : tree) {
            lines.push_back(Line(row.level, row.label, row.value));
        }
    }
    lines.push_back(std::string(58, '#'));
    return lines;
}

// Compares line by line, so a failure names the first lines that differ.
inline void ExpectLines(const std::string& report, const std::vector<std::string>& expected)
{
    ASSERT_FALSE(report.empty());
    EXPECT_EQ(report.back(), '\n');
    std::vector<std::string> lines = SplitLines(report);
    for (size_t i = 0; i < lines.size() && i < expected.size(); ++i) {
        EXPECT_EQ(lines[i], expected[i]) << "line " << i;
    }
    EXPECT_EQ(lines.size(), expected.size());
}

// Every tree row of the report with the given value text (for reports in
// which all percentages are the same, such as nan when nothing was counted).
inline std::vector<std::vector<Row>> WithValue(const std::vector<std::vector<Row>>& trees, const char* value)
{
    std::vector<std::vector<Row>> out = trees;
    for (auto& tree : out) {
        for (auto& row : tree) {
            row.value = value;
        }
    }
    return out;
}

// The rows with some values replaced: (row index, new value text).
inline std::vector<Row> Patch(std::vector<Row> rows, const std::vector<std::pair<size_t, const char*>>& changes)
{
    for (const auto& change : changes) {
        rows.at(change.first).value = change.second;
    }
    return rows;
}

// The counts with one event's count replaced.
inline std::vector<Count> With(std::vector<Count> counts, const std::string& name, uint64_t value)
{
    bool found = false;
    for (auto& count : counts) {
        if (name == count.name) {
            count.value = value;
            found = true;
        }
    }
    EXPECT_TRUE(found) << name;
    return counts;
}

}  // namespace topdown_test

#endif
