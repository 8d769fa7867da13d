#ifndef OSTRUM_TOPDOWN_COUNTS_H
#define OSTRUM_TOPDOWN_COUNTS_H

// The raw counts one formula group reads, by event name: the group receives
// its own copy of the model map, and an event name stands for the value under
// that event's raw-count key in the copy. A key the copy lacks reads as 0.

#include <initializer_list>
#include <string>

#include "TopDownEngine.h"

class TopDownCounts {
public:
    // desc names the events of the model; copy is the group's copy of the map.
    // Both must outlive the reader.
    TopDownCounts(const TopDownDesc& desc, const TopDownModel& copy);

    // The count of the named event. A name that is not in the table is a
    // slip in a formula: it reads as NaN so the report shows it.
    double operator()(const std::string& name) const;

    // The sum of the counts of the named events.
    double Sum(std::initializer_list<const char*> names) const;

private:
    const TopDownDesc& m_desc;
    const TopDownModel& m_copy;
};

#endif
