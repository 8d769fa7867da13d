// Sockets, dies, online CPUs, CPU lists, processes and threads, directory
// listings. Machine facts are read through the machine-description root;
// processes and threads always come from the running kernel.
#include <dirent.h>
#include <glob.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <regex>

#include "LinuxOperate.h"
#include "Logger.h"
#include "SysRoot.h"

namespace {
Logger log;
String innerStr;

constexpr const char* kFile = "LinuxOperateTopology.cpp";
constexpr int kMaxNodes = 32;
constexpr int kMaxSockets = 16;
// CPU numbers above this are refused as garbage rather than expanded.
constexpr long kMaxCpuNumber = 65535;

bool IsDecimal(const std::string& text)
{
    if (text.empty() || text.size() > 9) {
        return false;
    }
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// One item of a CPU list: "n" or "a-b" with a <= b.
bool ParseCpuItem(const std::string& item, long& first, long& last)
{
    const size_t dash = item.find('-');
    if (dash == std::string::npos) {
        if (!IsDecimal(item)) {
            return false;
        }
        first = last = std::strtol(item.c_str(), nullptr, 10);
    } else {
        const std::string a = item.substr(0, dash);
        const std::string b = item.substr(dash + 1);
        if (!IsDecimal(a) || !IsDecimal(b)) {
            return false;
        }
        first = std::strtol(a.c_str(), nullptr, 10);
        last = std::strtol(b.c_str(), nullptr, 10);
    }
    return first <= last && last <= kMaxCpuNumber;
}

std::vector<std::string> CpuListItems(const std::string& text)
{
    std::vector<std::string> items;
    innerStr.StringSplit(text, ',', items);
    return items;
}
}  // namespace

LinuxOperate::LinuxOperate(std::string envp)
    : runShellRetCode(-1),
      runShellRetStr(),
      m_numaCount(-1),
      m_coreCount(0),
      m_envp(envp),
      m_str(new String()),
      m_fop(new FileOperate())
{
    m_coreCount = _ConfiguredCoreCount();
}

LinuxOperate::~LinuxOperate() = default;

std::string LinuxOperate::MachinePath(std::string path)
{
    return SysRoot::Resolve(path);
}

int LinuxOperate::GetProcessorCount()
{
    const std::string table = m_fop->ReadFile(SysRoot::Resolve("/sys/firmware/dmi/tables/DMI"));
    int sockets = 0;
    for (int n = 1; n <= kMaxSockets; ++n) {
        if (table.find(m_str->GetCFormatStr("CPU%02d", n)) != std::string::npos ||
            table.find(m_str->GetCFormatStr("CPU%d", n)) != std::string::npos) {
            ++sockets;
        }
    }
    return sockets;
}

int LinuxOperate::GetDieCount()
{
    int dies = 0;
    for (int node = 0; node < kMaxNodes; ++node) {
        const std::string path = m_str->GetCFormatStr("/sys/devices/system/node/node%d/cpulist", node);
        if (!m_fop->ReadFile(SysRoot::Resolve(path)).empty()) {
            ++dies;
        }
    }
    return dies;
}

bool LinuxOperate::CheckCoreOnline(int core)
{
    if (core == 0) {
        return true;
    }
    const std::string path = SysRoot::Resolve(m_str->GetCFormatStr("/sys/devices/system/cpu/cpu%d/online", core));
    return m_fop->ExistFile(path) && m_fop->ReadFile(path) == "1";
}

bool LinuxOperate::IsCpuListText(std::string cpuListStr)
{
    if (cpuListStr == "-1") {
        return true;
    }
    if (cpuListStr.empty() || cpuListStr.back() == ',') {
        return false;
    }
    for (const std::string& item : CpuListItems(cpuListStr)) {
        long first = 0;
        long last = 0;
        if (!ParseCpuItem(item, first, last)) {
            return false;
        }
    }
    return true;
}

std::vector<int> LinuxOperate::GetCpuListVec(std::string cpuListStr)
{
    if (cpuListStr == "-1") {
        return {-1};
    }
    std::vector<int> cores;
    if (cpuListStr.empty()) {
        return cores;
    }
    if (!IsCpuListText(cpuListStr)) {
        std::cerr << "invalid CPU list \"" << cpuListStr
                  << "\": expected -1 (all CPUs) or comma-separated CPU numbers and ranges such as 0-3,8 (0 to "
                  << kMaxCpuNumber << ")" << std::endl;
        std::exit(1);
    }
    for (const std::string& item : CpuListItems(cpuListStr)) {
        long first = 0;
        long last = 0;
        ParseCpuItem(item, first, last);
        for (long core = first; core <= last; ++core) {
            if (CheckCoreOnline(static_cast<int>(core))) {
                cores.push_back(static_cast<int>(core));
            }
        }
    }
    return cores;
}

std::string LinuxOperate::GetCpuListstr(std::vector<int> cpuList)
{
    std::sort(cpuList.begin(), cpuList.end());
    cpuList.erase(std::unique(cpuList.begin(), cpuList.end()), cpuList.end());
    std::string text;
    for (size_t i = 0; i < cpuList.size();) {
        size_t j = i;
        while (j + 1 < cpuList.size() && cpuList[j + 1] == cpuList[j] + 1) {
            ++j;
        }
        if (!text.empty()) {
            text += ",";
        }
        text += std::to_string(cpuList[i]);
        if (j != i) {
            text += "-" + std::to_string(cpuList[j]);
        }
        i = j + 1;
    }
    return text;
}

std::string LinuxOperate::GetOnlineCpuListStr()
{
    if (!SysRoot::IsDescribed()) {
        return std::string();
    }
    return m_str->RemoveSpaceBothEnd(m_fop->ReadFile(SysRoot::Resolve("/sys/devices/system/cpu/online")));
}

bool LinuxOperate::IsThreadKeywordsText(std::string threadKeywords)
{
    try {
        std::regex expression(threadKeywords, std::regex::ECMAScript);
        (void)expression;
        return true;
    } catch (const std::regex_error&) {
        return false;
    }
}

int LinuxOperate::GetPidByTid(int tid)
{
    if (tid == -1) {
        return -1;
    }
    const std::vector<std::string> entries = GetDirFullFiles("/proc", {}, false, 1);
    for (const std::string& entry : entries) {
        const std::string name = m_str->GetSplitSubStr(entry, 3, '/');
        if (!IsDecimal(name)) {
            continue;
        }
        if (m_fop->isDir(m_str->GetCFormatStr("%s/task/%d", entry.c_str(), tid))) {
            return std::atoi(name.c_str());
        }
    }
    std::cerr << "pid or tid: " << tid << " is not found" << std::endl;
    std::exit(1);
}

std::unordered_set<int> LinuxOperate::GetTidsofPid(int pid, std::string threadKeywords)
{
    if (pid == -1) {
        return {-1};
    }
    const std::string taskDir = m_str->GetCFormatStr("/proc/%d/task", pid);
    DIR* dir = ::opendir(taskDir.c_str());
    if (dir == nullptr) {
        std::printf("Failed to open directory %s\n", taskDir.c_str());
        std::fflush(stdout);
        std::cerr << "pid: " << pid << " is not found on system" << std::endl;
        std::exit(1);
    }
    std::regex expression;
    if (!threadKeywords.empty()) {
        try {
            expression = std::regex(threadKeywords, std::regex::ECMAScript);
        } catch (const std::regex_error& error) {
            ::closedir(dir);
            std::cerr << "invalid thread keyword expression \"" << threadKeywords << "\" (" << error.what()
                      << "): expected an ECMAScript regular expression such as worker|io_[0-9]+" << std::endl;
            std::exit(1);
        }
    }
    std::unordered_set<int> tids;
    while (struct dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.empty() || name[0] == '.' || !IsDecimal(name)) {
            continue;
        }
        const int tid = std::atoi(name.c_str());
        if (threadKeywords.empty()) {
            tids.insert(tid);
            continue;
        }
        const std::string comm = m_fop->ReadFile(taskDir + "/" + name + "/comm");
        if (std::regex_search(comm, expression)) {
            tids.insert(tid);
        }
    }
    ::closedir(dir);
    return tids;
}

std::string LinuxOperate::GetProcessFullCommandwithPid(int pid)
{
    const int owner = GetPidByTid(pid);
    if (owner != pid) {
        return GetProcessFullCommandwithTid(owner, pid);
    }
    std::string text = m_fop->ReadFile(m_str->GetCFormatStr("/proc/%d/cmdline", pid));
    if (text.empty()) {
        // Kernel threads have no command line, only a name.
        text = m_fop->ReadFile(m_str->GetCFormatStr("/proc/%d/comm", pid));
    }
    if (text.empty()) {
        std::cerr << "pid: " << pid << " is not found on system" << std::endl;
    }
    std::replace(text.begin(), text.end(), '\0', ' ');
    return text;
}

std::string LinuxOperate::GetProcessFullCommandwithTid(int pid, int tid)
{
    std::string text = m_fop->ReadFile(m_str->GetCFormatStr("/proc/%d/task/%d/comm", pid, tid));
    std::replace(text.begin(), text.end(), '\0', ' ');
    if (text.empty()) {
        std::cerr << "pid: " << pid << " tid: " << tid << " is not found" << std::endl;
    }
    return text;
}

std::vector<std::string> LinuxOperate::GetDirFullFiles(std::string dirPath, std::vector<std::string> files,
                                                       bool subFileFlag, int findType)
{
    if (dirPath.empty() || !m_fop->isDir(dirPath)) {
        return files;
    }
    std::string absolute = dirPath;
    if (dirPath[0] != '/') {
        char resolved[PATH_MAX] = {0};
        if (::realpath(dirPath.c_str(), resolved) == nullptr) {
            return files;
        }
        absolute = resolved;
    }
    DIR* dir = ::opendir(absolute.c_str());
    if (dir == nullptr) {
        return files;
    }
    const std::string base = absolute == "/" ? std::string() : absolute;
    while (struct dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        const std::string path = base + "/" + name;
        if (m_fop->isDir(path)) {
            if (findType == 1 || findType == 2) {
                files.push_back(path);
            }
            if (findType == 1 || !subFileFlag) {
                continue;
            }
            // One level down, regular files only.
            DIR* sub = ::opendir(path.c_str());
            if (sub == nullptr) {
                continue;
            }
            while (struct dirent* inner = ::readdir(sub)) {
                const std::string innerPath = path + "/" + inner->d_name;
                if (m_fop->isFile(innerPath)) {
                    files.push_back(innerPath);
                }
            }
            ::closedir(sub);
        } else if (m_fop->isFile(path)) {
            files.push_back(path);
        }
    }
    ::closedir(dir);
    log.Log(DEBUG, kFile, __LINE__, "Get files on path: %s", dirPath.c_str());
    log.Log(NONE, kFile, __LINE__, "%s", m_str->transferVectoStr(files).c_str());
    return files;
}

std::vector<std::string> LinuxOperate::GetWildcardPath(std::string path)
{
    std::vector<std::string> matches;
    glob_t found {};
    if (::glob(path.c_str(), GLOB_ONLYDIR | GLOB_MARK, nullptr, &found) == 0) {
        for (size_t i = 0; i < found.gl_pathc; ++i) {
            const std::string match = found.gl_pathv[i];
            // GLOB_ONLYDIR is only a hint; the marked slash tells directories.
            if (!match.empty() && match.back() == '/') {
                matches.push_back(match);
            }
        }
    }
    ::globfree(&found);
    return matches;
}
