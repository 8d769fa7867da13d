#include "TopDownCounts.h"

#include <limits>

TopDownCounts::TopDownCounts(const TopDownDesc& desc, const TopDownModel& copy) : m_desc(desc), m_copy(copy) {}

double TopDownCounts::operator()(const std::string& name) const
{
    for (const auto& row : m_desc) {
        if (row.first == name) {
            auto found = m_copy.find(TopDownEngine::RawKey(row.second));
            return found == m_copy.end() ? 0.0 : found->second;
        }
    }
    return std::numeric_limits<double>::quiet_NaN();
}

double TopDownCounts::Sum(std::initializer_list<const char*> names) const
{
    double sum = 0;
    for (const char* name : names) {
        sum += (*this)(name);
    }
    return sum;
}
