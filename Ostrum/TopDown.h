#ifndef OSTRUM_TOPDOWN_H
#define OSTRUM_TOPDOWN_H

// Top-down breakdown of the pipeline slots on the Q60: 4 issue slots per
// cycle, the Front-End split into iTLB and iCache latency at L1 and L2 and the
// flush penalties, the Back-End split into resource stalls, core and memory.

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "Ostrum.h"

class TopDown : public Ostrum {
public:
    TopDown(int pid, std::string cpu, ParamMap params);

    PerfEventVec GetPerfEvents() override;
    std::string GetPrintStr(PerfEventVec events, int interval) override;

    std::vector<std::pair<std::string, int>> GetTopDownDesc();
    void GetTopDown(PerfEventVec events);

    void _GetFrontendBound(std::map<std::string, double> topDownMap);
    void _GetBadSpeculationBound(std::map<std::string, double> topDownMap);
    void _GetRetiringBound(std::map<std::string, double> topDownMap);
    void _GetBackendBound(std::map<std::string, double> topDownMap);

    std::string _GetFrontendBoundPrintStr();
    std::string _GetBadSpeculationBoundPrintStr();
    std::string _GetRetiringBoundPrintStr();
    std::string _GetBackendBoundPrintStr();

    std::string _GetTopDownPrintLineStr(int leftBlankLevel, std::string desc, double value, int valueFormatFlag);

    int m_leftWidht = 48;
    std::vector<std::pair<std::string, int>> m_topDownDesc;
    std::map<std::string, double> m_topDownMap;
    double m_frontendBound = 0;
    double m_badSpeculationBound = 0;
    double m_retiringBound = 0;
};

#endif
