// The tool's own cost per period: differences of the clocks between period
// ends, the reads gathered in between, and the debug line.

#include "Footprint.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

// Hands out the given samples one after the other.
Footprint::Sampler Samples(std::vector<FootprintSample> samples)
{
    auto next = std::make_shared<size_t>(0);
    return [samples, next]() { return samples[(*next)++]; };
}

TEST(Footprint, PeriodsAreTheDifferencesBetweenTheirEnds)
{
    Footprint footprint(Samples({
        {1.0, 2.0, 100.0},    // construction
        {1.004, 2.006, 101.0},  // end of period 0
        {1.004, 2.006, 103.0},  // end of period 1: nothing used
        {1.5, 2.5, 104.0},      // end of period 2
    }));
    footprint.AddReads(100, 0.001);
    footprint.AddReads(28, 0.0005);
    const FootprintPeriod p0 = footprint.EndPeriod();
    EXPECT_NEAR(p0.userSec, 0.004, 1e-9);
    EXPECT_NEAR(p0.systemSec, 0.006, 1e-9);
    EXPECT_NEAR(p0.wallSec, 1.0, 1e-9);
    EXPECT_EQ(p0.counters, 128u);
    EXPECT_NEAR(p0.readSec, 0.0015, 1e-12);
    EXPECT_NEAR(p0.PercentOfOneCpu(), 1.0, 1e-6);

    const FootprintPeriod p1 = footprint.EndPeriod();
    EXPECT_EQ(p1.counters, 0u) << "reads belong to the period they were made in";
    EXPECT_EQ(p1.readSec, 0.0);
    EXPECT_NEAR(p1.wallSec, 2.0, 1e-9);
    EXPECT_NEAR(p1.PercentOfOneCpu(), 0.0, 1e-9);

    footprint.AddReads(1, 0.25);
    const FootprintPeriod p2 = footprint.EndPeriod();
    EXPECT_NEAR(p2.PercentOfOneCpu(), 100.0 * (0.496 + 0.494) / 1.0, 1e-6);
    EXPECT_EQ(p2.counters, 1u);
}

TEST(Footprint, RestartForgetsWhatCameBefore)
{
    Footprint footprint(Samples({{0, 0, 0}, {5, 5, 50}, {5.1, 5.2, 51}}));
    footprint.AddReads(7, 1.0);
    footprint.Restart();
    const FootprintPeriod p = footprint.EndPeriod();
    EXPECT_EQ(p.counters, 0u);
    EXPECT_NEAR(p.userSec + p.systemSec, 0.3, 1e-9);
    EXPECT_NEAR(p.PercentOfOneCpu(), 30.0, 1e-6);
}

TEST(Footprint, LineShowsEveryFigure)
{
    struct Case {
        FootprintPeriod period;
        const char* line;
    };
    FootprintPeriod busy;
    busy.userSec = 0.0021;
    busy.systemSec = 0.0079;
    busy.wallSec = 1.0;
    busy.counters = 4000;
    busy.readSec = 0.006;
    FootprintPeriod empty;
    const std::vector<Case> cases = {
        {busy,
         "footprint: cpu time user 0.002100 s system 0.007900 s (1.000 % of one CPU over 1.000 s), 4000 counters "
         "read in 0.006000 s (1.50 us per counter)"},
        {empty,
         "footprint: cpu time user 0.000000 s system 0.000000 s (0.000 % of one CPU over 0.000 s), 0 counters "
         "read in 0.000000 s (0.00 us per counter)"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Footprint::Line(c.period), c.line);
    }
}

TEST(Footprint, TheProcessClockAdvances)
{
    const FootprintSample a = Footprint::ProcessSample();
    const FootprintSample b = Footprint::ProcessSample();
    EXPECT_GE(b.wallSec, a.wallSec);
    EXPECT_GE(b.userSec + b.systemSec, a.userSec + a.systemSec);
    EXPECT_GT(a.wallSec, 0.0);
}

}  // namespace
