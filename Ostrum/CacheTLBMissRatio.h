#ifndef OSTRUM_CACHETLBMISSRATIO_H
#define OSTRUM_CACHETLBMISSRATIO_H

// Miss ratios of the nine caches and TLBs of the cores (L1I, L1D, L2I, L2D,
// L3 caches; L1I, L1D, L2I, L2D TLBs), for the measured CPUs (TOTAL) and as
// each die's part of that ratio. Counted with the same raw core events on
// every model.

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "Ostrum.h"

class CacheTLBMissRatio : public Ostrum {
public:
    CacheTLBMissRatio(int pid, std::string cpu, ParamMap params);

    PerfEventVec GetPerfEvents() override;
    std::string GetPrintStr(PerfEventVec events, int interval) override;

    void init();
    void GetCacheTLBMissRatio(std::vector<std::pair<int, int>> events);
    void _GetCacheTLBMissRatio(std::pair<int, int> miss, std::pair<int, int> ref,
                               std::map<std::string, std::string>* out);

    // Cells of each row: "system" (TOTAL) and "die0", "die1", ...
    std::map<std::string, std::string> m_L1IcacheMissMap;
    std::map<std::string, std::string> m_L1DcacheMissMap;
    std::map<std::string, std::string> m_L2IcacheMissMap;
    std::map<std::string, std::string> m_L2DcacheMissMap;
    std::map<std::string, std::string> m_L3cacheMissMap;
    std::map<std::string, std::string> m_L1ITLBMissMap;
    std::map<std::string, std::string> m_L1DTLBMissMap;
    std::map<std::string, std::string> m_L2ITLBMissMap;
    std::map<std::string, std::string> m_L2DTLBMissMap;
};

#endif
