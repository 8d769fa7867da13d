#ifndef OSTRUM_TOPDOWN_H
#define OSTRUM_TOPDOWN_H

// Top-down breakdown of the pipeline slots on the Q60: 4 issue slots per
// cycle, the Front-End split into iTLB and iCache latency at L1 and L2 and the
// flush penalties, the Back-End split into resource stalls, core and memory.

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "TopDownBase.h"

class TopDown : public TopDownBase {
public:
    TopDown(int pid, std::string cpu, ParamMap params);

    std::vector<std::pair<std::string, int>> GetTopDownDesc();
    void GetTopDown(PerfEventVec events);

    void _GetFrontendBound(std::map<std::string, double> topDownMap) override;
    void _GetBadSpeculationBound(std::map<std::string, double> topDownMap) override;
    void _GetRetiringBound(std::map<std::string, double> topDownMap) override;
    void _GetBackendBound(std::map<std::string, double> topDownMap) override;

    std::string _GetTopDownPrintLineStr(int leftBlankLevel, std::string desc, double value, int valueFormatFlag);
};

#endif
