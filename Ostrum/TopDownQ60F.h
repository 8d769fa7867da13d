#ifndef OSTRUM_TOPDOWNQ60F_H
#define OSTRUM_TOPDOWNQ60F_H

// Top-down breakdown of the pipeline slots on the Q60F: Front-End Bound and Bad
// Speculation in 4 slots per cycle, Retiring in 6; a flat Front-End with a
// 9-cycle penalty per ROB flush; a Back-End with a Resource Bound line in
// cycles, six execution-port classes and L2 Bound split by source.

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "Ostrum.h"

class TopDownQ60F : public Ostrum {
public:
    TopDownQ60F(int pid, std::string cpu, ParamMap params);

    PerfEventVec GetPerfEvents() override;
    std::string GetPrintStr(PerfEventVec events, int interval) override;

    std::vector<std::pair<std::string, int>> GetTopDownQ60FDesc();
    void GetTopDownQ60F(PerfEventVec events);

    void _GetFrontendBound(std::map<std::string, double> topDownMap);
    void _GetBadSpeculationBound(std::map<std::string, double> topDownMap);
    void _GetRetiringBound(std::map<std::string, double> topDownMap);
    void _GetBackendBound(std::map<std::string, double> topDownMap);

    std::string _GetFrontendBoundPrintStr();
    std::string _GetBadSpeculationBoundPrintStr();
    std::string _GetRetiringBoundPrintStr();
    std::string _GetBackendBoundPrintStr();

    std::string _GetTopDownQ60FPrintLineStr(int leftBlankLevel, std::string desc, double value, int valueFormatFlag);

    int m_leftWidht = 48;
    std::vector<std::pair<std::string, int>> m_topDownDesc;
    std::map<std::string, double> m_topDownMap;
    double m_frontendBound = 0;
    double m_badSpeculationBound = 0;
    double m_retiringBound = 0;
};

#endif
