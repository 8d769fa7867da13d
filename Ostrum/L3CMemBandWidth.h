#ifndef OSTRUM_L3CMEMBANDWIDTH_H
#define OSTRUM_L3CMEMBANDWIDTH_H

// L3 cache and DDR bandwidth per SCCL (one SCCL per die on the Quendar
// servers), counted by the uncore PMUs of the L3 tag units and the DDR
// controllers. Its four rows continue the "Cache and DDR Bandwidth" table of
// the L1/L2 collector. Uncore counters see the whole machine in every
// privilege level, so this collector is always system-wide, whatever -p, -c
// or -s said, and its note line tells the user so.

#include <string>

#include "Ostrum.h"

class L3CMemBandWidth : public Ostrum {
public:
    L3CMemBandWidth(int pid, std::string cpu, ParamMap params);

    CoreList GetCoreList(std::string cpu) override;
    PerfEventVec GetPerfEvents() override;
    std::string GetPrintStr(PerfEventVec events, int interval) override;
    void GetPerfRes() override;

    // The event file of the L3 traffic event and the device pattern of the
    // L3 units of SCCL `sccl`, for a processor label.
    static std::string L3EventName(std::string processor);
    static std::string L3DevicePattern(std::string processor, int sccl);

    int m_interval = 1;
    // Devices found per SCCL in the last SCCL searched (DDR: also the last
    // event name searched).
    int m_ddrCtlNum = 0;
    int m_l3CClusterNum = 0;

private:
    void _GetL3BWEvents();
    void _GetDDRBWEvents();
    void _L3BWGetPerfRes();
    void _DDRBWGetPerfRes();
    // Rate summed over the registered events group/format(sccl, 0), (sccl, 1),
    // ... for as many devices as that SCCL has.
    uint64_t _SumScclEvents(std::string group, int sccl, std::string nameSuffix);
};

#endif
