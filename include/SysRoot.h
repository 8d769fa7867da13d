#ifndef QUENDAR_SYSROOT_H
#define QUENDAR_SYSROOT_H

// The one place that turns a path of a machine fact into the path to read.
//
// No Quendar server may be at hand, so everything the tools learn about the
// machine can come from a directory that mirrors the real paths, named by the
// environment variable QUENDAR_SYSROOT (unset or empty: the real "/"). Under
// such a root, "/proc/cpuinfo", "/sys/..." and the other machine files are
// read from inside it, while processes and threads ("/proc", "/proc/<pid>/...",
// "/proc/self/...") always come from the running kernel, so real processes
// can be measured against a described machine.
//
// Nothing else in the suite spells "/proc" or "/sys" paths for reading
// without passing them through Resolve.

#include <string>

namespace SysRoot {

// The root in use: empty when the real machine is read.
std::string Root();

// True when a machine-description root is in use.
bool IsDescribed();

// The path to open for the absolute machine path `path`.
std::string Resolve(const std::string& path);

}  // namespace SysRoot

#endif
