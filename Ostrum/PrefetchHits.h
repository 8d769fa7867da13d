#ifndef OSTRUM_PREFETCHHITS_H
#define OSTRUM_PREFETCHHITS_H

// How well the cores' data prefetchers (the SMS and MOP engines) serve the
// workload: the share of prefetch requests that covered L1D misses, and the
// share of all prefetches that turned out useful, per die, for the counted
// set and as raw counts; plus advice whether prefetching looks worth keeping
// on, or a warning when it seems to be switched off. Counted on Q60 only.

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "Ostrum.h"

class PrefetchHits : public Ostrum {
public:
    PrefetchHits(int pid, std::string cpu, ParamMap params);

    PerfEventVec GetPerfEvents() override;
    std::string GetPrintStr(std::vector<std::pair<int, int>> events, int interval) override;

    void GetPmuCountMap();
    uint64_t GetEventCountSum(std::vector<std::string> names);
    std::map<std::string, std::string> GetSubSection(std::string desc);
    std::map<std::string, std::string> _GetSubSection(std::string title, std::vector<std::string> names,
                                                      uint64_t denominator);
    void GetPrefetchHits(std::vector<std::pair<int, int>> events);
    std::string GetPrintTitlesStr(std::string title);

    std::map<std::string, uint64_t> m_pmuCountMap;
    std::map<std::string, std::vector<uint64_t>> m_pmuCoreCountMap;
    std::map<std::string, std::map<std::string, std::string>> m_prefetchResMap;
    std::map<std::string, std::pair<int, int>> m_PrefechEventsMap;
    int m_dieWidth = 11;
    int m_leftWidth = 25;
    int m_rightWidth = 11;
    std::vector<std::string> m_outKeyVec;
    // Advice printed after the table; it and the ratio it is based on carry
    // over from one period to the next.
    std::string m_prefetchAdv;
    double m_prefetchGoodRatio = -1;
};

#endif
