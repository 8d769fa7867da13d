#ifndef OSTRUM_TOPDOWNQ60B_H
#define OSTRUM_TOPDOWNQ60B_H

// Top-down breakdown of the pipeline slots on the Q60B and the Q60E: 6 issue
// slots per cycle, four classes of branch mispredicts, and a Back-End built on
// execution-stall and memory-stall cycles: execution-port utilisation,
// load-cancel reasons, L2-bound sources, DRAM sources and store-bound reasons.

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "Ostrum.h"

class TopDownQ60B : public Ostrum {
public:
    TopDownQ60B(int pid, std::string cpu, ParamMap params);

    PerfEventVec GetPerfEvents() override;
    std::string GetPrintStr(PerfEventVec events, int interval) override;

    std::vector<std::pair<std::string, int>> GetTopDownQ60BDesc();
    void GetTopDownQ60B(PerfEventVec events);

    void _GetFrontendBound(std::map<std::string, double> topDownMap);
    void _GetBadSpeculationBound(std::map<std::string, double> topDownMap);
    void _GetRetiringBound(std::map<std::string, double> topDownMap);
    void _GetBackendBound(std::map<std::string, double> topDownMap);

    std::string _GetFrontendBoundPrintStr();
    std::string _GetBadSpeculationBoundPrintStr();
    std::string _GetRetiringBoundPrintStr();
    std::string _GetBackendBoundPrintStr();

    std::string _GetTopDownQ60BPrintLineStr(int leftBlankLevel, std::string desc, double value, int valueFormatFlag);

    int m_leftWidht = 48;
    std::vector<std::pair<std::string, int>> m_topDownDesc;
    std::map<std::string, double> m_topDownMap;
    double m_frontendBound = 0;
    double m_badSpeculationBound = 0;
    double m_retiringBound = 0;
};

#endif
