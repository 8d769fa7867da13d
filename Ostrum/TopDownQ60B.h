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

#include "TopDownBase.h"

class TopDownQ60B : public TopDownBase {
public:
    TopDownQ60B(int pid, std::string cpu, ParamMap params);

    std::vector<std::pair<std::string, int>> GetTopDownQ60BDesc();
    void GetTopDownQ60B(PerfEventVec events);

    void _GetFrontendBound(std::map<std::string, double> topDownMap) override;
    void _GetBadSpeculationBound(std::map<std::string, double> topDownMap) override;
    void _GetRetiringBound(std::map<std::string, double> topDownMap) override;
    void _GetBackendBound(std::map<std::string, double> topDownMap) override;

    std::string _GetTopDownQ60BPrintLineStr(int leftBlankLevel, std::string desc, double value, int valueFormatFlag);
};

#endif
