#ifndef OSTRUM_TOPDOWN_GROUPS_H
#define OSTRUM_TOPDOWN_GROUPS_H

// Formula groups and report trees several top-down models share: Retiring,
// the Bad Speculation of four branch classes and nuke/other flush, the Core Bound
// split into dividers, FSU and execution ports, the L2 Bound split by source,
// and the whole stall-cycle Back-End with its tree. A model hands in what
// differs: its event names, slots per cycle and execution-port table.

#include <initializer_list>
#include <vector>

#include "TopDownCounts.h"
#include "TopDownEngine.h"

// One execution-port class: its report label, its metric key and the event
// that counts its cycles.
struct TopDownPort {
    const char* label;
    const char* key;
    const char* event;
};

// The event names a model gives its mispredicted branches and its ROB flushes.
struct TopDownFlushEvents {
    const char* mispredicts;
    const char* robFlush;
};

namespace TopDownGroups {

// Bad Speculation in slots issue slots per cycle, split into Branch
// Mispredicts (indirect, push, pop, other) and Machine Clears (nuke, other).
// Returns Bad Speculation.
double BranchClasses(TopDownModel& m, const TopDownCounts& c, double slots, const TopDownFlushEvents& e);

// Divider, FSU and execution-port shares of Core Bound (already stored), each
// a share of all cycles times b; the port utilisation is shared out by ports.
void ExecutionPorts(TopDownModel& m, const TopDownCounts& c, double b, const std::vector<TopDownPort>& ports);

// The L2 Bound sources (L2 Bound already stored), rescaled to L2 Bound.
void L2Sources(TopDownModel& m, const TopDownCounts& c, double b);

// The Back-End built on execution-stall and memory-stall cycles: execution
// ports, load-cancel reasons, L2 sources, DRAM sources, store-bound reasons.
void StallBackEnd(TopDownModel& m, const TopDownCounts& c, double b, const std::vector<TopDownPort>& ports);

// The report rows of the ports, under Exe Ports Util.
std::vector<TopDownRow> PortRows(const std::vector<TopDownPort>& ports);

// The report rows of L2Sources, under L2 Bound.
std::vector<TopDownRow> L2SourceRows();

// The parts of a report tree joined in order.
std::vector<TopDownRow> Join(std::initializer_list<std::vector<TopDownRow>> parts);

// The report tree of StallBackEnd.
std::vector<TopDownRow> StallBackEndTree(const std::vector<TopDownPort>& ports);

// Retiring in slots issue slots per cycle. Returns Retiring.
double Retiring(TopDownModel& m, const TopDownCounts& c, double slots);

// The report tree of BranchClasses.
extern const std::vector<TopDownRow> kBranchClassesTree;

// The report tree of Retiring.
extern const std::vector<TopDownRow> kRetiringTree;

}  // namespace TopDownGroups

#endif
