#ifndef OSTRUM_PMU_ACCESS_H
#define OSTRUM_PMU_ACCESS_H

// The one way to the performance counters. Collectors open, enable, disable,
// read and close counters only through these calls.
//
// Two backends: the kernel (the perf_event_open system call and the counter
// ioctls), or, when the environment variable QUENDAR_PMU_SIM names a file, a
// simulated PMU described by that file, so the whole program runs on machines
// without the processor. Simulated counters are backed by real descriptors
// (of /dev/null), so they count against the open-files limit as kernel
// counters do.
//
// Simulation file, one rule per line (blank lines and lines starting with '#'
// are ignored):
//     <type> <config> <rate> [cpu=<list>] [pid=<list>] [running=<fraction>]
// type: decimal PMU type or '*'; config: hexadecimal with 0x, decimal, or
// '*'; rate: events per second of running time (may have a fraction);
// cpu=: a CPU list ("0-3,8", "-1" allowed) matched against the cpu argument
// of the open call; pid=: ids matched against its pid argument (-1 for
// system-wide counters); running=: share 0 < f <= 1 of the enabled time the
// counter runs (multiplexing), default 1. The first matching rule decides;
// an open that no rule matches fails with ENOENT. While enabled, time
// enabled follows the monotonic clock, time running = enabled x fraction and
// value = floor(rate x running seconds).
//
// When QUENDAR_PMU_SIM_TRACE also names a file, the simulated backend appends
// one line per counter call to it: "<call> <fd> <bound cpu> <cpu>", call one
// of open, enable, disable, read, close, the CPU the counter is bound to (-1
// for none) and the CPU the call came from; a failed open is recorded with
// fd -1.
//
// Counters bound to a CPU are best handled from that CPU (see CpuVisit):
// Visit does the work of a list of counters CPU by CPU.
//
// Single-threaded, like the rest of Ostrum's counting.

#include <linux/perf_event.h>
#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace PmuAccess {

// Chooses the backend from QUENDAR_PMU_SIM (loading and checking the file).
// False with a one-line reason ("<file>:<line>: ...") in error when the file
// is missing or malformed. Called once at start; the other calls choose the
// backend themselves on first use when it was not called.
bool Init(std::string& error);

// Loads a simulation file directly (tests), or returns to the kernel.
bool UseSimulation(const std::string& path, std::string& error);
void UseKernel();
bool IsSimulated();

// perf_event_open(attr, pid, cpu, groupFd, flags): a descriptor, or -1 with
// errno set.
int Open(perf_event_attr* attr, int pid, int cpu, int groupFd, unsigned long flags);
// PERF_EVENT_IOC_ENABLE / PERF_EVENT_IOC_DISABLE; -1 with errno on failure.
int Ioctl(int fd, unsigned long request);
// read(2) of a counter (24 bytes with Ostrum's read format).
ssize_t Read(int fd, void* buffer, size_t size);
int Close(int fd);

// The CPU an open descriptor's counter is bound to (the cpu argument of its
// open), -1 for none or an unknown descriptor.
int BoundCpu(int fd);

// Does work(i) for every i, from CPU cpus[i] where the tool may run there
// (CpuVisit::Pass on the program's visitor, for the backend in use).
void Visit(const std::vector<int>& cpus, const std::function<void(size_t)>& work);

}  // namespace PmuAccess

#endif
