#ifndef WELBRIN_SHELL_H
#define WELBRIN_SHELL_H

// The shell texts every collection command is built with.

#include <string>

namespace WelbrinShell {

// Put in front of every collection command: the carried tools come first in
// the search path, the system's own programs after them.
std::string SearchPathPrefix();

// Sets ${perf_exec}: the machine's own perf when it runs here (it matches the
// running kernel best), else the carried static perf.
std::string PerfSelectionPrefix();

// `cmd` without a leading perf selection prefix and its " ; ", as result
// files show it.
std::string WithoutPerfPrefix(const std::string& cmd);

// The commands use bash syntax (&>, &>>, echo -e, $(...)); the shell behind
// popen may be dash, so every command is handed to bash explicitly, and its
// error output is kept with its output.
std::string InBash(const std::string& cmd);

}  // namespace WelbrinShell

#endif
