#ifndef QUENDAR_LINUXOPERATE_H
#define QUENDAR_LINUXOPERATE_H

#include <memory>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "FileOperate.h"
#include "String.h"

// The library's window on the running system: command runners, topology
// and process queries, processor identification. Machine facts are read
// through SysRoot::Resolve, so a machine-description root can stand in.
class LinuxOperate {
public:
    explicit LinuxOperate(std::string envp = "");
    ~LinuxOperate();

    // Command runners. Results: (output with one trailing line end removed,
    // exit status); a command ended by a signal reports 128 + the signal.
    int RunShell(std::string shellCommand, int showFlag = 0);
    std::pair<std::string, int> RunShellThread(std::string shellCommand, int showFlag = 0);
    std::pair<std::string, int> RunExecve(std::string pathName, std::vector<std::string> argv, std::string envp,
                                          int showFlag = 0);
    std::pair<std::string, int> RunExecve(std::string pathName, std::string argv, std::string envp,
                                          int showFlag = 0);
    std::pair<std::string, int> RunExecve(std::string argv, int showFlag = 0);
    int ForkRunBackGround(std::string runCommand);

    // Topology and processes.
    int GetProcessorCount();
    int GetDieCount();
    bool CheckCoreOnline(int core);
    // "-1" gives {-1}; a malformed list ends the program with status 1.
    std::vector<int> GetCpuListVec(std::string cpuListStr);
    std::string GetCpuListstr(std::vector<int> cpuList);
    // True for "-1" or comma-separated numbers and a-b ranges (a <= b).
    bool IsCpuListText(std::string cpuListStr);
    // True when threadKeywords compiles as an ECMAScript expression.
    bool IsThreadKeywordsText(std::string threadKeywords);
    // Under a machine-description root: its online CPU list; else empty.
    std::string GetOnlineCpuListStr();
    int GetPidByTid(int tid);
    std::unordered_set<int> GetTidsofPid(int pid, std::string threadKeywords);
    std::string GetProcessFullCommandwithPid(int pid);
    std::string GetProcessFullCommandwithTid(int pid, int tid);
    std::vector<std::string> GetDirFullFiles(std::string dirPath, std::vector<std::string> files, bool subFileFlag,
                                             int findType);
    std::vector<std::string> GetWildcardPath(std::string path);
    // The path to read for a machine path (the machine-description root).
    std::string MachinePath(std::string path);

    // Processor identification.
    std::string GetQuendarProcessor();
    bool CheckIfQuendarProcessor();
    bool ProcessorCheck();
    int GetCoreCount();

    int runShellRetCode;
    std::string runShellRetStr;
    int m_numaCount;
    int m_coreCount;
    std::string m_envp;
    std::unique_ptr<String> m_str;
    std::unique_ptr<FileOperate> m_fop;

private:
    std::string _ResolveProgramPath(std::string word);
    int _ConfiguredCoreCount();
};

#endif
