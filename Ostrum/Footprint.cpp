#include "Footprint.h"

#include <sys/resource.h>
#include <time.h>

#include <utility>

#include "Logger.h"
#include "String.h"

namespace {
Logger log;
String innerStr;

double Seconds(const timeval& t)
{
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}
}  // namespace

double FootprintPeriod::PercentOfOneCpu() const
{
    return wallSec > 0 ? (userSec + systemSec) / wallSec * 100.0 : 0.0;
}

Footprint::Footprint(Sampler sampler) : m_sampler(std::move(sampler))
{
    Restart();
}

void Footprint::Restart()
{
    m_start = m_sampler();
    m_counters = 0;
    m_readSec = 0;
}

void Footprint::AddReads(uint64_t counters, double seconds)
{
    m_counters += counters;
    m_readSec += seconds;
}

FootprintPeriod Footprint::EndPeriod()
{
    const FootprintSample now = m_sampler();
    FootprintPeriod period;
    period.userSec = now.userSec - m_start.userSec;
    period.systemSec = now.systemSec - m_start.systemSec;
    period.wallSec = now.wallSec - m_start.wallSec;
    period.counters = m_counters;
    period.readSec = m_readSec;
    m_start = now;
    m_counters = 0;
    m_readSec = 0;
    return period;
}

std::string Footprint::Line(const FootprintPeriod& period)
{
    const double perCounterUs = period.counters != 0 ? period.readSec * 1e6 / static_cast<double>(period.counters) : 0.0;
    return innerStr.GetCFormatStr(
        "footprint: cpu time user %.6f s system %.6f s (%.3f %% of one CPU over %.3f s), %llu counters read in "
        "%.6f s (%.2f us per counter)",
        period.userSec, period.systemSec, period.PercentOfOneCpu(), period.wallSec,
        static_cast<unsigned long long>(period.counters), period.readSec, perCounterUs);
}

FootprintSample Footprint::ProcessSample()
{
    FootprintSample sample;
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) == 0) {
        sample.userSec = Seconds(usage.ru_utime);
        sample.systemSec = Seconds(usage.ru_stime);
    }
    sample.wallSec = MonotonicSeconds();
    return sample;
}

double Footprint::MonotonicSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}
