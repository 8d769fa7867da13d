#ifndef OSTRUM_TEST_COLLECTOR_FIXTURE_H
#define OSTRUM_TEST_COLLECTOR_FIXTURE_H

// Helpers for collector tests (any *Test.cpp in this directory can use them).
//
//   class MyTest : public CollectorFixture {};
//   TEST_F(MyTest, ...) {
//       UseMachine("q60-2s");                 // QUENDAR_SYSROOT for this test
//       L1CL2CBandWidth c(-1, "-1", {});      // built on the described machine
//       PrepareCounts(c);                     // InitPerf, no counters opened
//       FeedPeriod(c, [](PerfEvent e, int cpu) { return cpu < 24 ? 100.0 : 0.0; }, 2);
//       std::string report = c.GetPrintStr(c.m_perfEvents, 2);
//   }
//
// FeedPeriod plays one sampling period without a PMU and without waiting:
// every (event, CPU, thread) slot advances by rate(event, cpu) events per
// second over `interval` seconds of enabled time, of which the share
// `running` ran (multiplexing), then the base class computes the period
// (ComputeCounter). Call it again for the next period; counts accumulate as
// real counters do.
//
// To go through the simulated PMU instead (opening, enabling, reading), use
// UseSimRules("4 0x04 1000\n* * 0\n") before OpenPerf/StartPerf; the rules
// are the QUENDAR_PMU_SIM file format (Ostrum/PmuAccess.h). Values then grow
// with the real clock, so assert on relations, not on exact figures.
//
// Decoded(text) restores a report encoded for printing (PerfMixed output).

#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "Fixtures.h"
#include "Ostrum.h"
#include "PmuAccess.h"
#include "ReportCodec.h"
#include "ScopedEnv.h"
#include "TempDir.h"

class CollectorFixture : public ::testing::Test {
protected:
    void TearDown() override { PmuAccess::UseKernel(); }

    // Reads the machine tests/fixtures/machines/<name> for the rest of the test.
    void UseMachine(const std::string& name)
    {
        m_root.reset();  // puts the previous value back first
        m_root = std::make_unique<ScopedEnv>("QUENDAR_SYSROOT", FixtureMachine(name));
    }

    // Switches the PMU access layer to a simulated PMU with these rules.
    void UseSimRules(const std::string& rules)
    {
        const std::string path = m_dir.Write("pmu-sim.txt", rules);
        std::string error;
        ASSERT_TRUE(PmuAccess::UseSimulation(path, error)) << error;
    }

    static void PrepareCounts(Ostrum& collector) { collector.InitPerf(collector.m_perfEvents); }

    using Rate = std::function<double(PerfEvent event, int cpu)>;

    static void FeedPeriod(Ostrum& collector, const Rate& rate, int interval, double running = 1.0)
    {
        const uint64_t enabledNs = static_cast<uint64_t>(interval) * 1000000000ull;
        const uint64_t runningNs = static_cast<uint64_t>(static_cast<double>(enabledNs) * running);
        for (const PerfEvent& event : collector.m_perfEvents) {
            std::vector<CounterTriple>& current = collector.m_countersCurrent[event];
            const std::vector<int>& slotCpu = collector.m_slotCpuIndex[event];
            for (size_t slot = 0; slot < current.size() && slot < slotCpu.size(); ++slot) {
                const int cpu = collector.m_cpuIntVec.at(static_cast<size_t>(slotCpu[slot]));
                current[slot].value += static_cast<uint64_t>(rate(event, cpu) * static_cast<double>(runningNs) / 1e9);
                current[slot].timeEnabled += enabledNs;
                current[slot].timeRunning += runningNs;
            }
        }
        collector.ComputeCounter(interval);
    }

    static std::string Decoded(const std::string& encoded) { return ReportCodec::Decode(encoded); }

    TempDir m_dir;

private:
    std::unique_ptr<ScopedEnv> m_root;
};

#endif
