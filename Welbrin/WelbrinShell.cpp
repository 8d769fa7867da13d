#include "WelbrinShell.h"

#include "InputCheck.h"
#include "obfuscator.h"

namespace WelbrinShell {

std::string SearchPathPrefix()
{
    return "export PATH=/tmp/WelbrinBin/" + OBFUSCATED("bin:$PATH:/usr/sbin:/sbin; ");
}

std::string PerfSelectionPrefix()
{
    return "perf_exec=perf_static_$(arch);if perf -h &>/dev/null; then perf_" + OBFUSCATED("exec=perf; fi");
}

std::string WithoutPerfPrefix(const std::string& cmd)
{
    const std::string lead = PerfSelectionPrefix() + " ; ";
    if (cmd.compare(0, lead.size(), lead) == 0) {
        return cmd.substr(lead.size());
    }
    return cmd;
}

std::string InBash(const std::string& cmd)
{
    return OBFUSCATED("/bin/bash -c ") + InputCheck::ShellQuote(cmd) + " 2>&1";
}

}  // namespace WelbrinShell
