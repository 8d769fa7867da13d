#ifndef OSTRUM_CACHEDDRACCESS_H
#define OSTRUM_CACHEDDRACCESS_H

// Where the loads and stores served by L2, L3 and DDR found their data: the
// local or a remote cluster, the local or a remote die, or another chip. Each
// locality is shown as a share of all hits of its level, per die and for the
// counted set, with the raw count. The event codes depend on the model: Q60
// has its own table (with the L2 rows), the Q60B family shares another one.

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "Ostrum.h"

class CacheDDRAccess : public Ostrum {
public:
    // (code text such as "0x6055", true to add or false to subtract)
    using Terms = std::vector<std::pair<std::string, bool>>;
    using Cells = std::map<std::string, std::string>;

    CacheDDRAccess(int pid, std::string cpu, ParamMap params);

    PerfEventVec GetPerfEvents() override;
    std::string GetPrintStr(PerfEventVec events, int interval) override;

    void GetQ60CacheDDRAccess(PerfEventVec events);
    void GetQ60BCacheDDRAccess(PerfEventVec events);
    void _GetCacheDDRAccess(Terms terms, uint64_t total, Cells* result);
    void GetPmuCountMap();
    int64_t _GetCountofEvents(const Terms& terms, const std::map<std::string, uint64_t>& countMap);
    int64_t _GetCoreCountofEvents(const Terms& terms, int index,
                                  const std::map<std::string, std::vector<uint64_t>>& countMap);
    void Init();
    void _Init(Cells* result);

    // The code text of an event: "0x" and the config in lowercase hex, at
    // least four digits.
    static std::string CodeText(int config);

    std::map<std::string, uint64_t> m_pmuCountMap;
    std::map<std::string, std::vector<uint64_t>> m_pmuCoreCountMap;
    Cells m_L2HitLocalMap;
    Cells m_L2HitRemoteClusterMap;
    Cells m_L3HitLocalClusterMap;
    Cells m_L3HitRemoteClusterMap;
    Cells m_L3HitRemoteChipMap;
    Cells m_DDRHitLoaclMap;
    Cells m_DDRHitRemoteDieMap;
    Cells m_DDRHitRemoteChipMap;

private:
    void _GetQuendarQ60PMU();
    void _GetQuendarQ60BPMU();
};

#endif
