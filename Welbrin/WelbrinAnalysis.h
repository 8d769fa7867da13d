#ifndef WELBRIN_ANALYSIS_H
#define WELBRIN_ANALYSIS_H

// The collector of Welbrin: names and creates the output directory, runs the
// nine collection tasks on threads of their own in two waves and gathers
// their output there.

#include <atomic>
#include <string>

#include "FileOperate.h"
#include "LinuxOperate.h"
#include "String.h"

class WelbrinAnalysis {
public:
    explicit WelbrinAnalysis(std::string keyword);
    ~WelbrinAnalysis();
    WelbrinAnalysis(const WelbrinAnalysis&) = delete;
    WelbrinAnalysis& operator=(const WelbrinAnalysis&) = delete;

    // Runs every task and returns 0 once all nine have finished.
    int StartCollect(int seconds, int pid, std::string cpuList);

    // Runs `cmd` with the carried tools first on the search path and appends
    // a block (newline, ten '>', the command, newline, its output) to
    // `fileName` in the output directory, or to `fileName` itself when it is
    // an absolute path.
    int RunCmdSaveFile(std::string cmd, std::string fileName);

    // First wave: the load tasks.
    int CollectSystemLoad(int seconds);
    int CollectPidstatLoad(int seconds, int pid);
    int CollectMemoryLoad(int seconds);
    int CollectNumaLoad(int seconds, int pid);
    int CollectDiskLoad(int seconds);
    int CollectNetworkLoad(int seconds);
    // First wave: perf statistics; second wave: the flame graphs.
    int CollectPerfStat(int seconds, int pid, std::string cpuList);
    int CollectOnCpuFlameGraph(int seconds, int pid, std::string cpuList);
    int CollectOffCpuFlameGraph(int seconds, int pid, std::string cpuList);
    // 0 when the Java flame graph was made (the task is then counted),
    // else the profiler command's status (not counted).
    int CollectJavaFlameGraph(int seconds, int pid);

    std::string OutputDir() const { return m_outputDir; }
    int FinishedTasks() const { return m_finishedTasks.load(); }

private:
    // A private directory for one task's working files, so tasks running at
    // once never share one; empty when none could be made.
    std::string _MakeWorkDir(const std::string& task);
    // Runs a command outside the result files (no search-path prefix).
    std::pair<std::string, int> _RunDirect(const std::string& cmd);
    // Removes a directory made by _MakeWorkDir.
    void _RemoveWorkDir(const std::string& dir);

    std::string m_outputDir;
    std::atomic<int> m_finishedTasks;
    String* m_string;
    LinuxOperate* m_linuxOperate;
    FileOperate* m_fileOperate;
};

#endif
