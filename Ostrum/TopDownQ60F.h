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

#include "TopDownBase.h"

class TopDownQ60F : public TopDownBase {
public:
    TopDownQ60F(int pid, std::string cpu, ParamMap params);

    std::vector<std::pair<std::string, int>> GetTopDownQ60FDesc();
    void GetTopDownQ60F(PerfEventVec events);

    void _GetFrontendBound(std::map<std::string, double> topDownMap) override;
    void _GetBadSpeculationBound(std::map<std::string, double> topDownMap) override;
    void _GetRetiringBound(std::map<std::string, double> topDownMap) override;
    void _GetBackendBound(std::map<std::string, double> topDownMap) override;

    std::string _GetTopDownQ60FPrintLineStr(int leftBlankLevel, std::string desc, double value, int valueFormatFlag);
};

#endif
