#ifndef OSTRUM_FOOTPRINT_H
#define OSTRUM_FOOTPRINT_H

// Ostrum's own cost per sampling period: the CPU time the tool used (user and
// system), the counters it read and the wall time those reads took. A tool
// that measures a production machine must show what it takes from it.

#include <cstdint>
#include <functional>
#include <string>

// A reading of the process's clocks, in seconds.
struct FootprintSample {
    double userSec = 0;
    double systemSec = 0;
    double wallSec = 0;
};

// The figures of one period.
struct FootprintPeriod {
    double userSec = 0;
    double systemSec = 0;
    double wallSec = 0;
    uint64_t counters = 0;
    double readSec = 0;

    // User and system time as a share of one CPU over the period, in percent
    // (0 for a period of no length).
    double PercentOfOneCpu() const;
};

class Footprint {
public:
    using Sampler = std::function<FootprintSample()>;

    // The first period starts now.
    explicit Footprint(Sampler sampler = ProcessSample);

    // Starts a period now, forgetting what was gathered so far.
    void Restart();
    // Counters read during the period and the wall time the reads took.
    void AddReads(uint64_t counters, double seconds);
    // The figures since the period started; the next period starts now.
    FootprintPeriod EndPeriod();

    // One line for the debug log.
    static std::string Line(const FootprintPeriod& period);

    // The process's CPU time (getrusage) and the monotonic clock.
    static FootprintSample ProcessSample();
    static double MonotonicSeconds();

private:
    Sampler m_sampler;
    FootprintSample m_start;
    uint64_t m_counters = 0;
    double m_readSec = 0;
};

#endif
