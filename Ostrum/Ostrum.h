#ifndef OSTRUM_OSTRUM_H
#define OSTRUM_OSTRUM_H

// Base class of every metric collector: topology, core list and thread set,
// the event registry, one counter per (event, CPU, thread) opened through the
// PMU access layer, reading, scaling and aggregating the counts, the uncore
// event lookup and the title of the bandwidth table.
//
// Collectors derive from it, register their events in their constructor
// (InsertEventsMap or their own tables), and format their report in
// GetPrintStr/GetPerfRes from the sums offered by _GetEventsCount and
// _GetCoresAndEventsCount. PerfMixed drives every collector through
//   InitPerf(m_perfEvents) -> OpenPerf(privileges) -> StartPerf()
//   -> ComputeRes(interval) per period -> StopPerf() -> delete.

#include <cstdint>
#include <string>
#include <vector>

#include "FileOperate.h"
#include "LinuxOperate.h"
#include "OstrumTypes.h"
#include "String.h"
#include "Time.h"

class Ostrum {
public:
    Ostrum(int pid, std::string cpu, ParamMap params);
    virtual ~Ostrum();

    Ostrum(const Ostrum&) = delete;
    Ostrum& operator=(const Ostrum&) = delete;

    // Virtual operations, in slot order.
    virtual CoreList GetCoreList(std::string cpu);
    virtual PerfEventVec GetPerfEvents();
    virtual bool OpenPerf(PrivilegeMap attrParams);
    virtual std::string GetPrintStr(PerfEventVec events, int interval);
    virtual void GetPerfRes();

    // Event registry: stores the event under group/name (a later insertion
    // replaces the identifier) and appends it to m_perfEvents.
    void InsertEventsMap(std::string group, std::string name, PerfEvent event);

    // Counter lifecycle.
    bool InitPerf(PerfEventVec events);
    bool StartPerf();
    bool StopPerf();
    bool PerfAct(unsigned long request, std::vector<std::vector<int>> fds);
    void addFdWithPid();

    // One sampling period: read every counter, follow new threads, compute.
    bool ComputeRes(int interval);
    bool ReadPerfRes();
    int ReadSigelFd(int fd, PerfEvent event, int slot);
    void ComputeCounter(int interval);

    // Sums offered to the collectors.
    uint64_t _GetEventsCount(PerfEvent event);
    uint64_t _GetEventsCount(PerfEventVec events);
    uint64_t _GetCoresAndEventsCount(PerfEvent event, int startCore, int endCore);

    // Uncore topology scans of the constructor.
    std::vector<int> GetUncoreScclsNum();
    int GetUncoreClusterPerDieNum();

    // Uncore event lookup: every event file matching subPath of every device
    // directory matching parentPath (sysfs patterns, machine paths).
    PerfEventVec GetUncoreEvents(std::string parentPath, std::string subPath);
    PerfEvent __GetUncoreSingelEvent(std::string devicePath, std::string eventFilePath);

    // The three-line title of the bandwidth table.
    std::string GetPrintTitle(std::string title, bool longFlag, std::string appendCPUStr1,
                              std::string appendCPUStr2);

    // Members, in declaration order.
    LinuxOperate m_lop;
    String m_str;
    FileOperate m_fop;
    Time m_time;
    int m_processorCount = 0;
    int m_cores = 0;
    int m_corePerCluster = 4;
    int m_corePerDie = 0;
    int m_corePerProcessor = 0;
    int m_dieCount = 0;
    int m_diePerProcessor = 0;
    int m_clusterCount = 0;
    int m_clusterPerDie = 0;
    int m_clusterPerSccl = 0;
    int m_ddrCtlPerDie = 4;
    ParamMap m_params;
    int m_pid = -1;
    int m_pidByTid = -1;
    std::string m_cpuStr;
    CoreList m_cpuIntVec;
    bool m_cpuNoneFlag = false;
    bool m_bwFlag = false;
    std::vector<int> m_sccls;
    std::map<PerfEvent, std::string> m_uncoreCpuMask;
    PerfEventVec m_perfEvents;
    int m_coreEventType = 4;
    std::vector<std::vector<int>> m_fds;
    int m_fdMaxCount = 0;
    bool m_firstRead = true;
    CoreCountMap m_perfCoreCountResMap;
    CountMap m_perfCountResMap;
    CountMap m_perfCountResAverageMap;
    CounterSlotsMap m_countersLast;
    CounterSlotsMap m_countersCurrent;
    std::string m_printOnceStr;
    ThreadSet m_pidSet;
    ThreadSet m_pidAddSet;
    ResMap m_resMap;
    EventsMap m_eventsMap;
    EventsThisMap m_eventsThisMap;
    int m_dieWidthShort = 11;
    int m_dieWidthLong = 15;
    int m_titleWidth = 80;
    int m_processorWidthShort = 0;
    int m_processorWidthLong = 0;
    int m_leftLenShort = 18;
    int m_leftLenLong = 25;

    // Layout of the descriptors: m_fdEvent[k] is the event of m_fds[k] and
    // m_fdSlot[k][j] the count slot of descriptor m_fds[k][j]. Counters of
    // threads found during the run get slots appended after the start-up
    // ones; m_slotCpuIndex[event][slot] is the position in the core list of
    // the CPU that slot counts on, so per-CPU sums stay right.
    std::vector<PerfEvent> m_fdEvent;
    std::vector<std::vector<int>> m_fdSlot;
    std::map<PerfEvent, std::vector<int>> m_slotCpuIndex;
    // Slots handed out so far per event (the next descriptor's slot).
    std::map<PerfEvent, int> m_slotsUsed;
    // Which entries of the core list are a CPU's first (duplicates count once
    // in the per-die sums), for the core list m_firstEntryOf.
    CoreList m_firstEntryOf;
    std::vector<bool> m_isFirstEntry;
    // Set by ComputeRes when the measured process or thread has ended after
    // the first read; PerfMixed stops the periods then.
    bool m_targetGone = false;
    // The counters the last ReadPerfRes read and the wall time it took
    // (Ostrum's own footprint per period).
    uint64_t m_lastReadCounters = 0;
    double m_lastReadSeconds = 0;
};

#endif
