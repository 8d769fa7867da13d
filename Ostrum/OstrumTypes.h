#ifndef OSTRUM_OSTRUM_TYPES_H
#define OSTRUM_OSTRUM_TYPES_H

// The vocabulary shared by every collector and by PerfMixed.

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

// (PMU type, config). Type 4 is the raw core PMU; uncore PMUs have the dynamic
// type their sysfs directory publishes. Ordered type first, which is the key
// order of every map keyed by events.
using PerfEvent = std::pair<int32_t, int32_t>;

// Ordered events of one collector; each event appears once.
using PerfEventVec = std::vector<PerfEvent>;

// CPUs counters are opened on; {-1} means any CPU (per-thread counting).
using CoreList = std::vector<int>;

// Thread ids counted; {-1} means all tasks (per-CPU, system-wide counting).
using ThreadSet = std::unordered_set<int>;

// "exclude_user", "exclude_kernel", "exclude_hv" -> 1 when that level is not
// counted; a missing key counts as 0.
using PrivilegeMap = std::map<std::string, int>;

// Only "threadKeywords" is read: a regular expression matched against thread
// names (empty: every thread).
using ParamMap = std::map<std::string, std::string>;

// "bandwidth", "cache-miss", "access", "prefetch", "topdown" -> requested.
using ModeMap = std::map<std::string, bool>;

// One counter reading as the kernel returns it with
// PERF_FORMAT_TOTAL_TIME_ENABLED | PERF_FORMAT_TOTAL_TIME_RUNNING.
struct CounterTriple {
    uint64_t value = 0;
    uint64_t timeEnabled = 0;
    uint64_t timeRunning = 0;
};

// event -> one triple per opened (CPU, thread) slot.
using CounterSlotsMap = std::map<PerfEvent, std::vector<CounterTriple>>;

// event -> scaled count of the last period per CPU of the core list.
using CoreCountMap = std::map<PerfEvent, std::vector<uint64_t>>;

// event -> scaled count (period total or running average).
using CountMap = std::map<PerfEvent, uint64_t>;

// group -> item -> formatted text.
using ResMap = std::map<std::string, std::map<std::string, std::string>>;

// group -> event name -> identifier.
using EventsMap = std::map<std::string, std::map<std::string, PerfEvent>>;

// event name -> identifier.
using EventsThisMap = std::map<std::string, PerfEvent>;

#endif
