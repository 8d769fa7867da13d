#include "WelbrinAnalysis.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>
#include <vector>

#include "InputCheck.h"
#include "Logger.h"
#include "WelbrinShell.h"
#include "obfuscator.h"

static Logger log;
static String innerStr;

namespace {

void ShowInfo(const std::string& text)
{
    log.LogShow(INFO, "%s", text.c_str());
}

// The tasks poll-wait in whole seconds: the run lasts about the collection
// time anyway, and one wake-up a second keeps the driver out of the way.
void WaitUntil(const std::atomic<int>& counter, int target)
{
    while (counter.load() < target) {
        sleep(1);
    }
}

}  // namespace

WelbrinAnalysis::WelbrinAnalysis(std::string keyword)
    : m_outputDir(), m_finishedTasks(0), m_string(new String()), m_linuxOperate(new LinuxOperate("")),
      m_fileOperate(new FileOperate())
{
    m_linuxOperate->RunShell("pwd");
    m_outputDir = m_linuxOperate->runShellRetStr;
    if (m_outputDir.empty() || m_outputDir[0] != '/') {
        // A working directory that is gone: never fall back to "/".
        log.LogShow(ERROR, "%s", OBFUSCATED("cannot tell the current directory").c_str());
        m_outputDir.clear();
        return;
    }
    // Host name and start time tell the directories of many servers and runs
    // apart; the name keeps to characters that need no quoting anywhere.
    m_linuxOperate->RunShell(
        OBFUSCATED("printf '%s_%s_' \"$(uname -n | tr -cd 'A-Za-z0-9._-')\" \"$(date +%Y%m%d_%H%M%S)\""));
    m_outputDir += OBFUSCATED("/welbrin_") + m_linuxOperate->runShellRetStr + keyword;
    m_linuxOperate->RunShell(OBFUSCATED("mkdir -p -- ") + InputCheck::ShellQuote(m_outputDir));
    m_finishedTasks = 0;
}

WelbrinAnalysis::~WelbrinAnalysis()
{
    delete m_string;
    delete m_linuxOperate;
    delete m_fileOperate;
}

int WelbrinAnalysis::RunCmdSaveFile(std::string cmd, std::string fileName)
{
    const std::string path =
        (!fileName.empty() && fileName[0] == '/') ? fileName : m_outputDir + "/" + fileName;
    m_fileOperate->WriteFile(path, "\n>>>>>>>>>>" + WelbrinShell::WithoutPerfPrefix(cmd) + "\n", 0);
    cmd = WelbrinShell::SearchPathPrefix() + cmd;
    const auto result = m_linuxOperate->RunShellThread(WelbrinShell::InBash(cmd), 0);
    m_fileOperate->WriteFile(path, result.first, 0);
    return 0;
}

std::pair<std::string, int> WelbrinAnalysis::_RunDirect(const std::string& cmd)
{
    return m_linuxOperate->RunShellThread(WelbrinShell::InBash(cmd), 0);
}

std::string WelbrinAnalysis::_MakeWorkDir(const std::string& task)
{
    std::string pattern = OBFUSCATED("/tmp/welbrin_") + task + "_XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) != nullptr) {
        return std::string(buffer.data());
    }
    // /tmp unusable: work inside the output directory, which is ours.
    const std::string fallback = m_outputDir + "/." + task + "_work";
    if (mkdir(fallback.c_str(), 0700) != 0 && !m_fileOperate->isDir(fallback)) {
        log.LogShow(ERROR, "%s", (OBFUSCATED("cannot create a working directory like ") + pattern).c_str());
    }
    return fallback;
}

void WelbrinAnalysis::_RemoveWorkDir(const std::string& dir)
{
    if (!dir.empty()) {
        _RunDirect(OBFUSCATED("rm -rf -- ") + InputCheck::ShellQuote(dir));
    }
}

int WelbrinAnalysis::StartCollect(int seconds, int pid, std::string cpuList)
{
    ShowInfo(OBFUSCATED("Start collecting for ") + std::to_string(seconds) + OBFUSCATED(" seconds, pid: ") +
             std::to_string(pid) + OBFUSCATED(", cpu list: ") + cpuList);
    ShowInfo(OBFUSCATED("First wave: system, pidstat, memory, numa, disk, network load and perf stat"));

    std::thread(&WelbrinAnalysis::CollectSystemLoad, this, seconds).detach();
    ShowInfo(OBFUSCATED("Pidstat load info collecting..."));
    std::thread(&WelbrinAnalysis::CollectPidstatLoad, this, seconds, pid).detach();
    ShowInfo(OBFUSCATED("Memory load info collecting..."));
    std::thread(&WelbrinAnalysis::CollectMemoryLoad, this, seconds).detach();
    ShowInfo(OBFUSCATED("Numa load info collecting..."));
    std::thread(&WelbrinAnalysis::CollectNumaLoad, this, seconds, pid).detach();
    ShowInfo(OBFUSCATED("Disk load info collecting..."));
    std::thread(&WelbrinAnalysis::CollectDiskLoad, this, seconds).detach();
    ShowInfo(OBFUSCATED("Network load info collecting..."));
    std::thread(&WelbrinAnalysis::CollectNetworkLoad, this, seconds).detach();
    ShowInfo(OBFUSCATED("Begin perf stat collecting..."));
    std::thread(&WelbrinAnalysis::CollectPerfStat, this, seconds, pid, cpuList).detach();
    WaitUntil(m_finishedTasks, 7);

    ShowInfo(OBFUSCATED("First wave finished"));
    ShowInfo(OBFUSCATED("Second wave: On-CPU and Off-CPU flame graphs"));
    std::thread(&WelbrinAnalysis::CollectOnCpuFlameGraph, this, seconds, pid, cpuList).detach();
    std::thread(&WelbrinAnalysis::CollectOffCpuFlameGraph, this, seconds, pid, cpuList).detach();
    WaitUntil(m_finishedTasks, 9);

    ShowInfo(OBFUSCATED("All collection tasks finished"));
    ShowInfo(OBFUSCATED("Collect info saved to: ") + m_outputDir);
    return 0;
}
