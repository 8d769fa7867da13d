#include "DieWalk.h"

#include <iomanip>
#include <sstream>

DieWalk::DieWalk(const std::vector<int>& cores, int dieCount, int corePerDie)
    : m_dieCount(dieCount), m_corePerDie(corePerDie), m_anyCpu(false)
{
    for (size_t position = 0; position < cores.size(); ++position) {
        if (cores[position] < 0) {
            m_anyCpu = true;
        }
        m_firstPosition.emplace(cores[position], position);
    }
}

bool DieWalk::HasDies() const
{
    return !m_anyCpu && m_corePerDie > 0 && m_dieCount > 0;
}

std::vector<int64_t> DieWalk::Sums(const std::function<int64_t(size_t position)>& figureAt) const
{
    std::vector<int64_t> sums;
    if (!HasDies()) {
        return sums;
    }
    sums.assign(static_cast<size_t>(m_dieCount), 0);
    for (const auto& [cpu, position] : m_firstPosition) {
        const int die = cpu / m_corePerDie;
        if (die < m_dieCount) {
            sums[static_cast<size_t>(die)] += figureAt(position);
        }
    }
    return sums;
}

std::map<std::string, std::string> DieWalk::ShareCells(
    const std::function<int64_t(size_t position)>& figureAt, double denominator) const
{
    std::map<std::string, std::string> cells;
    const std::vector<int64_t> sums = Sums(figureAt);
    for (int die = 0; die < m_dieCount; ++die) {
        const std::string key = "die" + std::to_string(die);
        cells[key] = sums.empty() ? "/" : PercentText(static_cast<double>(sums[static_cast<size_t>(die)]), denominator);
    }
    return cells;
}

std::string DieWalk::PercentText(double value, double total)
{
    const double percent = value / total * 100;
    // 0/0 yields a NaN whose sign differs between processors; the reports
    // read "nan%" everywhere.
    if (percent != percent) {
        return "nan%";
    }
    std::ostringstream text;
    text << std::fixed << std::setprecision(2) << percent << "%";
    return text.str();
}
