// The six load tasks of the first wave: what an engineer reads first on a
// loaded server (CPU and run queue, per-task load, memory and paging, NUMA
// placement, block devices, network interfaces and sockets).

#include "InputCheck.h"
#include "Logger.h"
#include "SysRoot.h"
#include "WelbrinAnalysis.h"
#include "obfuscator.h"

static Logger log;
static String innerStr;

namespace {

// One per-second time stamp line of the sampling loops.
const char kStamp[] = "date '+>>>>%Y-%m-%d %H:%M:%S'; ";

// A machine file for a command line, resolved through the machine root and
// quoted, since the root comes from the environment.
std::string Quoted(const char* path)
{
    return InputCheck::ShellQuote(SysRoot::Resolve(path));
}

std::string ProcessOption(int pid)
{
    return pid != -1 ? innerStr.GetCFormatStr(" -p %d", pid) : "";
}

}  // namespace

int WelbrinAnalysis::CollectPidstatLoad(int seconds, int pid)
{
    const std::string cmd =
        m_string->GetCFormatStr("pidstat -h -r -u -w -R -d -t  %s 1 %d", ProcessOption(pid).c_str(), seconds);
    RunCmdSaveFile(cmd, "pidstat.txt");
    m_finishedTasks++;
    return 0;
}

int WelbrinAnalysis::CollectNumaLoad(int seconds, int pid)
{
    const std::string option = ProcessOption(pid);
    const std::string cmd = m_string->GetCFormatStr(
        "echo -e '\n------------ numastat before: ------------' &> /tmp/numastatInfo1.txt ;"
        "numastat_$(uname -m) -cnmsv  %s &>> /tmp/numastatInfo1.txt ; sleep %d ;"
        "echo -e '\n------------ numastat after: ------------' &> /tmp/numastatInfo2.txt ;"
        "numastat_$(uname -m) -cnmsv  %s &>> /tmp/numastatInfo2.txt ;"
        "echo -e '\n\n------------ diff ------------' &> /tmp/numastatInfo_diff.txt ;"
        "diff /tmp/numastatInfo1.txt /tmp/numastatInfo2.txt &>> /tmp/numastatInfo_diff.txt ;"
        "cat /tmp/numastatInfo1.txt /tmp/numastatInfo2.txt /tmp/numastatInfo_diff.txt ;"
        "rm -rf /tmp/numastatInfo1.txt /tmp/numastatInfo2.txt /tmp/numastatInfo_diff.txt ",
        option.c_str(), seconds, option.c_str());
    RunCmdSaveFile(cmd, "numastat.txt");
    m_finishedTasks++;
    return 0;
}

// Each load task below runs one command for the collection time and takes
// quick snapshots with the others, so a task, and the first wave, lasts about
// the collection time.

int WelbrinAnalysis::CollectSystemLoad(int seconds)
{
    // Every second: load average, CPU pressure (how long runnable tasks wait,
    // which utilisation alone does not show), then a one-second sample of
    // per-CPU utilisation and interrupt rates.
    RunCmdSaveFile(
        m_string->GetCFormatStr(OBFUSCATED("for i in $(seq 1 %d); do %scat %s; cat %s 2>/dev/null; "
                                           "mpstat -P ALL -u -I SUM 1 1 | grep -v '^Average'; done")
                                    .c_str(),
                                seconds, kStamp, Quoted("/proc/loadavg").c_str(),
                                Quoted("/proc/pressure/cpu").c_str()),
        OBFUSCATED("system_cpu_load.txt"));
    // The busiest processes, shown with the carried top configuration.
    RunCmdSaveFile(OBFUSCATED("top -b -n 1 -w 512"), OBFUSCATED("system_top.txt"));
    // How the interrupts and softirqs are spread over the CPUs.
    RunCmdSaveFile(m_string->GetCFormatStr(OBFUSCATED("cat %s %s").c_str(), Quoted("/proc/interrupts").c_str(),
                                           Quoted("/proc/softirqs").c_str()),
                   OBFUSCATED("system_interrupts.txt"));
    m_finishedTasks++;
    return 0;
}

int WelbrinAnalysis::CollectMemoryLoad(int seconds)
{
    // Every second: a one-second vmstat sample (run queue, blocked tasks,
    // swap in/out, block I/O, interrupts, context switches) and the memory,
    // paging, reclaim and compaction counters that move under pressure.
    RunCmdSaveFile(
        m_string->GetCFormatStr(
            OBFUSCATED("for i in $(seq 1 %d); do %svmstat -w 1 2 | sed -n '2p;4p'; grep -E "
                       "'^(MemFree|MemAvailable|Cached|Dirty|Writeback|AnonPages|Shmem|Slab|SwapFree):' %s; grep -E "
                       "'^(pgmajfault|pswpin|pswpout|pgscan_kswapd|pgscan_direct|pgsteal_kswapd|pgsteal_direct|"
                       "allocstall_normal|compact_stall|thp_fault_alloc|numa_pages_migrated) ' %s; done")
                .c_str(),
            seconds, kStamp, Quoted("/proc/meminfo").c_str(), Quoted("/proc/vmstat").c_str()),
        OBFUSCATED("memory_load.txt"));
    RunCmdSaveFile(m_string->GetCFormatStr(OBFUSCATED("free -w -m; cat %s").c_str(), Quoted("/proc/meminfo").c_str()),
                   OBFUSCATED("memory_meminfo.txt"));
    m_finishedTasks++;
    return 0;
}

int WelbrinAnalysis::CollectDiskLoad(int seconds)
{
    // Per-device throughput, latency (r_await, w_await), queue depth (aqu-sz)
    // and utilisation, one report a second (-y: none since boot).
    RunCmdSaveFile(m_string->GetCFormatStr(OBFUSCATED("%siostat -d -x -k -t -y 1 %d").c_str(), kStamp, seconds),
                   OBFUSCATED("disk_iostat.txt"));
    // The device tree with scheduler, queue size, read-ahead and rotation.
    RunCmdSaveFile(OBFUSCATED("lsblk -o NAME,TYPE,SIZE,ROTA,SCHED,RQ-SIZE,RA,MIN-IO,MOUNTPOINT"),
                   OBFUSCATED("disk_lsblk.txt"));
    // Space and inodes of the mounted file systems.
    RunCmdSaveFile(OBFUSCATED("df -hT; df -i"), OBFUSCATED("disk_df.txt"));
    // Swap devices and the time tasks stall on I/O.
    RunCmdSaveFile(m_string->GetCFormatStr(OBFUSCATED("swapon --show; cat %s 2>/dev/null").c_str(),
                                           Quoted("/proc/pressure/io").c_str()),
                   OBFUSCATED("disk_swap_pressure.txt"));
    m_finishedTasks++;
    return 0;
}

int WelbrinAnalysis::CollectNetworkLoad(int seconds)
{
    // Per-interface throughput, errors and drops, TCP rates and retransmits.
    RunCmdSaveFile(
        m_string->GetCFormatStr(OBFUSCATED("%ssar -n DEV,EDEV,TCP,ETCP 1 %d").c_str(), kStamp, seconds),
        OBFUSCATED("network_sar.txt"));
    RunCmdSaveFile("lspci |grep -i eth", OBFUSCATED("network_eth_devices.txt"));
    // Socket summary and the interfaces' own error and drop counters.
    RunCmdSaveFile(OBFUSCATED("ss -s; ip -s -s link show"), OBFUSCATED("network_sockets.txt"));
    m_finishedTasks++;
    return 0;
}
