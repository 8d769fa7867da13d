#ifndef OSTRUM_L1CL2CBANDWIDTH_H
#define OSTRUM_L1CL2CBANDWIDTH_H

// L1 and L2 data-cache bandwidth in MB/s per die and for the system: the
// first rows of the "Cache and DDR Bandwidth" table.

#include <string>

#include "Ostrum.h"

class L1CL2CBandWidth : public Ostrum {
public:
    L1CL2CBandWidth(int pid, std::string cpu, ParamMap params);

    PerfEventVec GetPerfEvents() override;
    std::string GetPrintStr(PerfEventVec events, int interval) override;
    void GetPerfRes() override;

    int m_interval = 1;

private:
    void _GetLevelRow(const std::string& group, const std::string& name, const std::string& label, int bytes);
};

#endif
