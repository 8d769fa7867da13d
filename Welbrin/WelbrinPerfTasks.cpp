// The perf tasks: perf statistics beside the load tasks, then the on-CPU and
// off-CPU flame graphs at the same time (or a Java flame graph when the
// process measured is a Java virtual machine).

#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "InputCheck.h"
#include "Logger.h"
#include "Tracepoints.h"
#include "WelbrinAnalysis.h"
#include "WelbrinShell.h"
#include "obfuscator.h"

static Logger log;
static String innerStr;

namespace {

using InputCheck::ShellQuote;

void ShowInfo(const std::string& text)
{
    log.LogShow(INFO, "%s", text.c_str());
}

// The c++filt step of both flame graphs. Without c++filt the folded stacks go
// on undemangled, so the graph is still drawn from this run's samples.
std::string DemangleStep(const std::string& work)
{
    const std::string folded = ShellQuote(work + "/perfg_script_2.txt");
    const std::string demangled = ShellQuote(work + "/perfg_script_3.txt");
    return "which c++filt &>/dev/null && c++filt < " + folded + " 2>/dev/null > " + demangled + " || cp " + folded +
           " " + demangled + " ;";
}

std::string ReportCommand(const std::string& prefix, const std::string& dataFile, const std::string& work)
{
    const std::string raw = ShellQuote(work + "/perf.data.txt");
    return prefix + " ; ${perf_exec} report --no-children --header -i " + ShellQuote(dataFile) + " &> " + raw +
           ";  c++filt < " + raw + "  2>/dev/null ";
}

// The time limit of a recording. The recording itself lasts as long as its
// sleep; the limit only stops a perf that would not end. Equal to the sleep it
// would cut perf off while it still writes its data (attaching to a process
// with many threads takes perf a while), leaving an unreadable data file.
std::string RecordLimit(int seconds)
{
    return std::to_string(static_cast<long long>(seconds) + 10);
}

}  // namespace

int WelbrinAnalysis::CollectPerfStat(int seconds, int pid, std::string cpuList)
{
    (void)cpuList;
    const std::string prefix = WelbrinShell::PerfSelectionPrefix();
    std::string cmd;
    if (pid == -1) {
        // -a: the whole system while sleep runs; without it perf would count
        // only the sleep command itself.
        cmd = m_string->GetCFormatStr("%s ; ${perf_exec} stat -a -ddd -- sleep %d", prefix.c_str(), seconds);
    } else {
        cmd = m_string->GetCFormatStr(OBFUSCATED("%s ; ${perf_exec} stat -ddd -p %d -- sleep %d").c_str(),
                                      prefix.c_str(), pid, seconds);
    }
    RunCmdSaveFile(cmd, OBFUSCATED("perf_stat.txt"));
    m_finishedTasks++;
    return 0;
}

int WelbrinAnalysis::CollectOnCpuFlameGraph(int seconds, int pid, std::string cpuList)
{
    // pidof lists whole process ids separated by spaces; one of them must be
    // the process asked for (a mere substring would take 12 for 1234).
    const auto javaPids = _RunDirect("pidof java");
    if (pid != -1 && m_string->CheckSub(javaPids.first, std::to_string(pid), ' ') &&
        CollectJavaFlameGraph(seconds, pid) == 0) {
        return 0;
    }
    const std::string prefix = WelbrinShell::PerfSelectionPrefix();
    const std::string dataFile = m_outputDir + "/perfg_On-CPU.data";
    const std::string reportFile = m_outputDir + OBFUSCATED("/perfg_On-CPU_report.txt");
    const std::string imageFile = m_outputDir + OBFUSCATED("/perfg_On-CPU.svg");
    const std::string work = _MakeWorkDir("oncpu");
    const std::string secondsText = std::to_string(seconds);
    const std::string limitText = RecordLimit(seconds);

    ShowInfo(OBFUSCATED("Perf with -g record On-CPU info collecting..."));
    std::string record;
    if (pid == -1) {
        record = m_string->GetCFormatStr(
            "%s ; timeout %s ${perf_exec} record -C %s -F 100 -g -o %s -- sleep %s  &>/dev/null", prefix.c_str(),
            limitText.c_str(), cpuList.c_str(), ShellQuote(dataFile).c_str(), secondsText.c_str());
    } else {
        record = m_string->GetCFormatStr(
            "%s ; timeout %s ${perf_exec} record -C %s -p %s -F 100 -g -o %s -- sleep %s  &>/dev/null",
            prefix.c_str(), limitText.c_str(), cpuList.c_str(), std::to_string(pid).c_str(),
            ShellQuote(dataFile).c_str(), secondsText.c_str());
    }
    RunCmdSaveFile(record, OBFUSCATED("perfg_On-CPU_record.txt"));

    ShowInfo(OBFUSCATED("Perf report On-CPU info writing..."));
    RunCmdSaveFile(ReportCommand(prefix, dataFile, work), reportFile);

    ShowInfo(OBFUSCATED("Perf On-CPU flame graph drawing..."));
    const std::string samples = ShellQuote(work + "/perfg_script.txt");
    const std::string flame =
        prefix + OBFUSCATED(" ; ${perf_exec} script -i ") + ShellQuote(dataFile) + " 2>/dev/null > " + samples +
        " ; " + "stackcollapse-perf.pl " + samples + " 2>/dev/null > " + ShellQuote(work + "/perfg_script_2.txt") +
        ";" + DemangleStep(work) + "flamegraph.pl  " + ShellQuote(work + "/perfg_script_3.txt") +
        " --title='On-CPU Time Flame Graph' 2>/dev/null > " + ShellQuote(imageFile);
    RunCmdSaveFile(flame, OBFUSCATED("perfg_On-CPU_flamegraph.txt"));

    _RemoveWorkDir(work);
    m_finishedTasks++;
    return 0;
}

int WelbrinAnalysis::CollectOffCpuFlameGraph(int seconds, int pid, std::string cpuList)
{
    (void)pid;
    const std::string prefix = WelbrinShell::PerfSelectionPrefix();
    const std::string dataFile = m_outputDir + OBFUSCATED("/perfg_Off-CPU.data");
    const std::string reportFile = m_outputDir + OBFUSCATED("/perfg_Off-CPU_report.txt");
    const std::string imageFile = m_outputDir + OBFUSCATED("/perfg_Off-CPU.svg");
    const std::string work = _MakeWorkDir("offcpu");
    const std::string secondsText = std::to_string(seconds);
    const std::string limitText = RecordLimit(seconds);

    // perf record refuses the whole recording for one tracepoint the kernel
    // lacks, so only those it has are asked for.
    const std::vector<std::string> wanted = {"sched:sched_stat_sleep", "sched:sched_switch",
                                             "sched:sched_process_exit"};
    TracepointChoice choice = ChooseMachineTracepoints(wanted);
    if (!choice.missing.empty()) {
        std::string missing;
        for (const auto& name : choice.missing) {
            missing += (missing.empty() ? "" : ", ") + name;
        }
        log.LogShow(WARN, "%s",
                    (OBFUSCATED("Off-CPU recording without the tracepoints this kernel lacks: ") + missing).c_str());
    }
    if (choice.present.empty()) {
        log.LogShow(ERROR, "%s",
                    OBFUSCATED("this kernel has none of the scheduler tracepoints of the Off-CPU recording").c_str());
        choice.present = wanted;
    }

    ShowInfo(OBFUSCATED("Perf with -g record Off-CPU info collecting..."));
    const std::string record = m_string->GetCFormatStr(
        "%s ; timeout %s ${perf_exec} record -C %s %s -F 100 -g -o %s -- sleep %s &>/dev/null ", prefix.c_str(),
        limitText.c_str(), cpuList.c_str(), TracepointOptions(choice.present).c_str(),
        ShellQuote(dataFile).c_str(), secondsText.c_str());
    RunCmdSaveFile(record, OBFUSCATED("perfg_Off-CPU_record.txt"));

    ShowInfo(OBFUSCATED("Perf report Off-CPU info writing..."));
    RunCmdSaveFile(ReportCommand(prefix, dataFile, work), reportFile);

    ShowInfo(OBFUSCATED("Perf Off-CPU flame graph drawing..."));
    const std::string samples = ShellQuote(work + "/perfg_script.txt");
    const std::string flame =
        prefix + OBFUSCATED(" ; ${perf_exec} script -i ") + ShellQuote(dataFile) + " 2>/dev/null > " + samples +
        " ; stackcollapse-perf.pl " + samples + " 2>/dev/null > " + ShellQuote(work + "/perfg_script_2.txt") + ";" +
        DemangleStep(work) + "flamegraph.pl   --title='Off-CPU Time Flame Graph' --colors=io " +
        ShellQuote(work + "/perfg_script_3.txt") + " 2>/dev/null > " + ShellQuote(imageFile);
    RunCmdSaveFile(flame, OBFUSCATED("perfg_Off-CPU_flamegraph.txt"));

    _RemoveWorkDir(work);
    m_finishedTasks++;
    return 0;
}

int WelbrinAnalysis::CollectJavaFlameGraph(int seconds, int pid)
{
    // A fresh working file: a graph left by an earlier run must never pass
    // for this one.
    const std::string work = _MakeWorkDir("java");
    const std::string page = ShellQuote(work + "/flamegraph_Java.html");
    const std::string cmd = m_string->GetCFormatStr(
        OBFUSCATED("$(ls /tmp/async-profiler* -d|sed -n 1p)/bin/asprof -d %d -f %s %d 2>&1 && cp %s %s").c_str(),
        seconds, page.c_str(), pid, page.c_str(), ShellQuote(m_outputDir + "/").c_str());
    log.LogShow(INFO, "Produce Java FlameGraph with pid: %d...", pid);
    const auto result = _RunDirect(cmd);
    _RemoveWorkDir(work);
    if (result.second == 0) {
        m_finishedTasks++;
        ShowInfo(OBFUSCATED("Java flame graph saved as ") + m_outputDir + "/flamegraph_Java.html");
        return 0;
    }
    log.LogShow(ERROR, "%s",
                (OBFUSCATED("Java profiler failed with status ") + std::to_string(result.second) +
                 OBFUSCATED(", falling back to perf"))
                    .c_str());
    log.LogShow(INFO, "%s", result.first.c_str());
    return result.second;
}
