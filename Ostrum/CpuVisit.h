#ifndef OSTRUM_CPU_VISIT_H
#define OSTRUM_CPU_VISIT_H

// Handles counters from their own CPU.
//
// A counter bound to a CPU is opened, enabled, read, disabled and closed by
// the kernel on that CPU: asked from another CPU, the kernel interrupts the
// counter's CPU and waits for it, so the tool's cost lands on exactly the
// CPUs whose behaviour is being measured (and each call costs ten times
// more). A pass therefore moves the calling thread onto each CPU in turn,
// does the work of the counters bound to it, and puts the thread's affinity
// back as it found it.
//
// CPUs the tool may not run on (outside its affinity or cpuset, as with
// `taskset -c 0 ostrum ...`) are not forced: their counters are handled from
// where the tool runs, and the user is told so once per run. With the
// simulated PMU a described machine may have more CPUs than the one running
// the tool: CPUs this machine lacks are handled from where the tool runs,
// without a word.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

class CpuVisit {
public:
    CpuVisit() = default;

    // Does work(i) for every item i; cpus[i] is the CPU item i is bound to,
    // negative for none (per-thread counters that follow their thread).
    // Items without a CPU are done first, from where the thread runs; then
    // every CPU in the order of its first item, with its items in their
    // order, from that CPU where the tool may run there and from where it is
    // otherwise. Returns the number of CPUs (with items) that were handled
    // from elsewhere than themselves. simulated: CPUs the running machine
    // lacks are handled from elsewhere silently.
    size_t Pass(const std::vector<int>& cpus, bool simulated, const std::function<void(size_t)>& work);

    // True once the user has been told that some CPU could not be visited.
    bool FallbackSaid() const { return m_fallbackSaid; }

    // The visitor of the running program: the notice is given once per run,
    // whichever collector meets the CPU first.
    static CpuVisit& Shared();

    // "0-3,8": the CPUs of a sorted list, as the kernel writes CPU lists.
    static std::string ListText(const std::vector<int>& cpus);

private:
    void SayFallback(int cpu, const std::string& allowed);

    bool m_fallbackSaid = false;
};

#endif
