// Ostrum: micro-architecture reports of Quendar servers from their PMUs.

#include <cstdlib>
#include <iostream>
#include <string>

#include "CommandLine.h"
#include "LinuxOperate.h"
#include "Logger.h"
#include "PerfMixed.h"
#include "PmuAccess.h"
#include "StopSignal.h"
#include "common.h"
#include "obfuscator.h"

namespace {
Logger log;
String innerStr;
}  // namespace

PerfMixed* perf = nullptr;
LinuxOperate lop("");

// Only records the signal: the run notices it in its main loop (the sleep
// between periods wakes at once) and main tears down from there, so no
// teardown runs in the middle of a sampling period.
void signalHandler(int signum)
{
    StopSignal::Notify(signum);
}

namespace {

// Message, teardown output, exit status = signal number.
[[noreturn]] void StopBySignal(int signum)
{
    std::cout << "Interrupt signal (" << signum << ") received" << std::endl;
    delete perf;
    perf = nullptr;
    exit(signum);
}

}  // namespace

int main(int argc, char** argv)
{
    g_loglevel = "";
    if (!lop.CheckIfQuendarProcessor()) {
        log.LogShow(ERROR, "%s", OBFUSCATED("This machine has no Quendar processor (Q50, Q60, Q60B, Q60C, Q60E, Q60F); Ostrum cannot run here").c_str());
        return 1;
    }

    CommandLineOptions options;
    const int status = ParseCommandLine(argc, argv, lop, options, std::cout, std::cerr);
    if (status >= 0) {
        return status;
    }

    std::string error;
    if (!PmuAccess::Init(error)) {
        std::cerr << "QUENDAR_PMU_SIM: " << error << std::endl;
        return 1;
    }

    int pid = options.pid;
    if (!options.command.empty()) {
        pid = lop.ForkRunBackGround(options.command);
    }

    perf = new PerfMixed(options.modes, options.privileges, pid, options.cpu, options.outKeywords, options.params);
    StopSignal::Install(signalHandler);
    perf->run(options.interval, options.times);
    if (StopSignal::Pending() != 0) {
        StopBySignal(StopSignal::Pending());
    }
    delete perf;
    perf = nullptr;
    return 0;
}
