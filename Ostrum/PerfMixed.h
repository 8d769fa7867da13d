#ifndef OSTRUM_PERFMIXED_H
#define OSTRUM_PERFMIXED_H

// Owns one run: the collectors chosen by mode and processor model, the
// results directory, the open-files limit, the sampling periods and the
// encoded output on the terminal and in perf_info.txt.

#include <sys/resource.h>

#include <string>
#include <vector>

#include "FileOperate.h"
#include "Footprint.h"
#include "LinuxOperate.h"
#include "Ostrum.h"
#include "OstrumTypes.h"
#include "String.h"
#include "Time.h"

class PerfMixed {
public:
    PerfMixed(ModeMap modes, PrivilegeMap attrParams, int pid, std::string cpu, std::string outKeywords,
              ParamMap params);
    ~PerfMixed();

    PerfMixed(const PerfMixed&) = delete;
    PerfMixed& operator=(const PerfMixed&) = delete;

    // The whole measurement. Returns early, without the average, when a stop
    // signal is recorded (StopSignal); the caller tears down then.
    void run(int interval, int times);

    bool InitPerfClasses(ModeMap modes, int pid, std::string cpu);
    std::string GetResFilePath();
    void SetOpenFilesLimit();
    void Prepare();
    std::string GetPrintStr(int interval, bool average);
    void PrintOut(int times, std::string report);
    std::string GetAveragePrintStr(int interval);

    std::vector<Ostrum*> m_perfClasses;
    int m_pid = -1;
    int m_pidByTid = -1;
    std::string m_out;
    PrivilegeMap m_attrParamsMap;
    int m_openFilesSoftLimitOrgin = -1;
    int m_openFilesHardtLimitOrgin = -1;
    bool m_ifTopDown = false;
    int m_dieCount = 0;
    ParamMap m_params;
    LinuxOperate m_lop;
    String m_str;
    FileOperate m_fop;
    Time m_time;
    std::string m_resFile;
    std::string m_keywords;

    // The limits exactly as read (they may be unlimited), for the restore.
    bool m_limitRead = false;
    rlimit m_limitOrigin{};
    // Set when a period found the measured process or thread gone.
    bool m_targetEnded = false;
    // Periods printed so far.
    int m_periodsDone = 0;
    // The tool's own cost per period (debug log).
    Footprint m_footprint;
};

#endif
