#ifndef OSTRUM_DIE_WALK_H
#define OSTRUM_DIE_WALK_H

// Per-die sums of a per-CPU figure, shared by the reports that show each die's
// part of a system-wide share (miss ratios, access locality, prefetch hits).
//
// The figures of a period are kept per position of the core list, while the
// report columns are dies: a die d is the CPU numbers d * corePerDie to
// (d + 1) * corePerDie - 1, and a CPU contributes the figure of the first
// position where it occurs in the core list (a list such as "5,1" or one that
// names a CPU twice still gives each CPU once). A die none of whose CPUs was
// counted sums to 0.
//
// When counting follows threads on any CPU (the core list holds -1), or the
// topology has no CPU per die, there is nothing per die to show and Sums()
// returns no die at all: the caller leaves those cells as "/".

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

class DieWalk {
public:
    // cores: the core list counters were opened on; dieCount, corePerDie: the
    // machine's topology.
    DieWalk(const std::vector<int>& cores, int dieCount, int corePerDie);

    // False when per-CPU figures do not exist (any-CPU counting, no topology).
    bool HasDies() const;

    // One sum per die 0 .. dieCount - 1 of figureAt(position) over the die's
    // counted CPUs; empty when HasDies() is false.
    std::vector<int64_t> Sums(const std::function<int64_t(size_t position)>& figureAt) const;

    // The cells "die0" .. "die<n-1>": each die's sum over the system-wide
    // denominator as a percentage, or "/" for every die when HasDies() is false.
    std::map<std::string, std::string> ShareCells(const std::function<int64_t(size_t position)>& figureAt,
                                                  double denominator) const;

    // value / total * 100 in fixed notation with two decimals and "%"; a zero
    // total gives "inf%" or "nan%".
    static std::string PercentText(double value, double total);

private:
    int m_dieCount;
    int m_corePerDie;
    bool m_anyCpu;
    // CPU number -> first position in the core list.
    std::map<int, size_t> m_firstPosition;
};

#endif
