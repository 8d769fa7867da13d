#ifndef WELBRIN_TRACEPOINTS_H
#define WELBRIN_TRACEPOINTS_H

// Which scheduler tracepoints the running kernel offers. perf record refuses
// the whole recording when one -e names a tracepoint the kernel lacks, so the
// off-CPU recording asks only for those that exist.

#include <string>
#include <vector>

struct TracepointChoice {
    std::vector<std::string> present;
    std::vector<std::string> missing;
    // False when no tracing directory could be read: then nothing is known
    // and every wanted tracepoint is kept in `present`.
    bool known = false;
};

// Splits `wanted` ("sched:sched_switch", ...) by the kernel's list of events
// (the lines of tracefs' available_events, "subsystem:event" each).
TracepointChoice ChooseTracepoints(const std::vector<std::string>& wanted, const std::string& availableEvents,
                                   bool known);

// Reads available_events from tracefs (or its old place under debugfs) of the
// machine and chooses among `wanted`.
TracepointChoice ChooseMachineTracepoints(const std::vector<std::string>& wanted);

// "-e a -e b" for perf record.
std::string TracepointOptions(const std::vector<std::string>& tracepoints);

#endif
