#ifndef OSTRUM_TOPDOWNQ60C_H
#define OSTRUM_TOPDOWNQ60C_H

// Top-down breakdown of the pipeline slots on the Q60C: the Front-End measured
// directly by fetch-bubble counters per cause with 8 fetch slots per cycle,
// Bad Speculation and Retiring in 6 slots per cycle, and the Back-End of the
// Q60B with ten execution-port counters.

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "TopDownBase.h"

class TopDownQ60C : public TopDownBase {
public:
    TopDownQ60C(int pid, std::string cpu, ParamMap params);

    std::vector<std::pair<std::string, int>> GetTopDownQ60CDesc();
    void GetTopDownQ60C(PerfEventVec events);

    void _GetFrontendBound(std::map<std::string, double> topDownMap) override;
    void _GetBadSpeculationBound(std::map<std::string, double> topDownMap) override;
    void _GetRetiringBound(std::map<std::string, double> topDownMap) override;
    void _GetBackendBound(std::map<std::string, double> topDownMap) override;

    std::string _GetTopDownQ60CPrintLineStr(int leftBlankLevel, std::string desc, double value, int valueFormatFlag);
};

#endif
