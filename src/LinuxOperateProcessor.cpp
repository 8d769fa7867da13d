// Which processor of the family this is, and how many processors the
// system has configured.
#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "LinuxOperate.h"
#include "Logger.h"
#include "SysRoot.h"

namespace {
Logger log;
String innerStr;

constexpr const char* kFile = "LinuxOperateProcessor.cpp";
// Only the first processor's entry matters.
constexpr size_t kCpuinfoHead = 4095;

struct ProcessorModel {
    unsigned long implementer;
    unsigned long part;
    const char* label;
};

constexpr ProcessorModel kModels[] = {
    {0x5e, 0xa15, "Q50"},
    {0x6b, 0xa21, "Q60"},
    {0x6b, 0xa22, "Q60B"},
    {0x6b, 0xa23, "Q60C"},
    {0x6b, 0xa26, "Q60F"},
    {0x6b, 0xa25, "Q60E"},
};

// The hexadecimal value after the first ":" that follows `field`; 0 when
// the field is missing.
unsigned long HexField(const std::string& text, const char* field)
{
    const size_t at = text.find(field);
    if (at == std::string::npos) {
        return 0;
    }
    const size_t colon = text.find(':', at);
    if (colon == std::string::npos) {
        return 0;
    }
    return std::strtoul(text.c_str() + colon + 1, nullptr, 16);
}

bool IsCpuDirName(const char* name)
{
    if (std::strncmp(name, "cpu", 3) != 0 || name[3] == '\0') {
        return false;
    }
    for (const char* p = name + 3; *p != '\0'; ++p) {
        if (*p < '0' || *p > '9') {
            return false;
        }
    }
    return true;
}
}  // namespace

std::string LinuxOperate::GetQuendarProcessor()
{
    std::string head;
    std::FILE* file = std::fopen(SysRoot::Resolve("/proc/cpuinfo").c_str(), "r");
    if (file != nullptr) {
        char buffer[kCpuinfoHead + 1] = {0};
        const size_t n = std::fread(buffer, 1, kCpuinfoHead, file);
        std::fclose(file);
        head.assign(buffer, n);
    }
    const unsigned long implementer = HexField(head, "CPU implementer");
    const unsigned long part = HexField(head, "CPU part");
    std::string label;
    for (const ProcessorModel& model : kModels) {
        if (model.implementer == implementer && model.part == part) {
            label = model.label;
            break;
        }
    }
    log.Log(DEBUG, kFile, __LINE__, "Get Process Type: %s", label.c_str());
    return label;
}

bool LinuxOperate::CheckIfQuendarProcessor()
{
    return !GetQuendarProcessor().empty();
}

bool LinuxOperate::ProcessorCheck()
{
    return CheckIfQuendarProcessor();
}

int LinuxOperate::GetCoreCount()
{
    return m_coreCount;
}

int LinuxOperate::_ConfiguredCoreCount()
{
    if (!SysRoot::IsDescribed()) {
        return static_cast<int>(::sysconf(_SC_NPROCESSORS_CONF));
    }
    // A described machine has as many processors as cpu<n> directories.
    int count = 0;
    DIR* dir = ::opendir(SysRoot::Resolve("/sys/devices/system/cpu").c_str());
    if (dir == nullptr) {
        return 0;
    }
    while (struct dirent* entry = ::readdir(dir)) {
        if (IsCpuDirName(entry->d_name) && m_fop->isDir(SysRoot::Resolve(std::string("/sys/devices/system/cpu/") + entry->d_name))) {
            ++count;
        }
    }
    ::closedir(dir);
    return count;
}
