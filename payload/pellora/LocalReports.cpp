#include "LocalReports.h"

#include <map>
#include <set>
#include <sstream>
#include <vector>

#include "MachineFiles.h"
#include "ReportText.h"
#include "SmbiosTable.h"

namespace {

// How a raw file value is shown.
enum class Shown { Plain, SectorsAsGB, Rotational, MicroWatts, YesNo };

struct FileField {
    const char* label;
    const char* file;  // relative to the device directory
    Shown shown;
};

// One report over the entries of a device directory.
struct DeviceReport {
    const char* which;
    const char* title;
    const char* dir;
    std::vector<std::string> skipPrefixes;
    std::vector<FileField> fields;
};

const std::vector<DeviceReport> kDeviceReports = {
    {"getsyseth", "Network Interface", "/sys/class/net", {"lo"},
     {{"MAC Address", "address", Shown::Plain},
      {"State", "operstate", Shown::Plain},
      {"Speed Mbps", "speed", Shown::Plain},
      {"MTU", "mtu", Shown::Plain}}},
    {"getpdisk", "Disk", "/sys/block", {"loop", "ram", "zram", "dm-", "md", "nbd"},
     {{"Vendor", "device/vendor", Shown::Plain},
      {"Model", "device/model", Shown::Plain},
      {"Serial", "device/serial", Shown::Plain},
      {"Capacity GB", "size", Shown::SectorsAsGB},
      {"Media", "queue/rotational", Shown::Rotational},
      {"Removable", "removable", Shown::YesNo}}},
    {"getpsu", "Power Supply", "/sys/class/power_supply", {},
     {{"Type", "type", Shown::Plain},
      {"Status", "status", Shown::Plain},
      {"Online", "online", Shown::YesNo},
      {"Manufacturer", "manufacturer", Shown::Plain},
      {"Model", "model_name", Shown::Plain},
      {"Serial", "serial_number", Shown::Plain},
      {"Power W", "power_now", Shown::MicroWatts}}},
};

const std::vector<FileField> kBiosFields = {
    {"BIOS Vendor", "bios_vendor", Shown::Plain},
    {"BIOS Version", "bios_version", Shown::Plain},
    {"BIOS Release Date", "bios_date", Shown::Plain},
    {"System Manufacturer", "sys_vendor", Shown::Plain},
    {"System Product", "product_name", Shown::Plain},
    {"Board", "board_name", Shown::Plain},
};

const std::vector<std::string> kMeminfoKeys = {"MemTotal", "MemFree", "MemAvailable", "SwapTotal",
                                               "HugePages_Total", "Hugepagesize"};

// /proc/cpuinfo keys worth showing, first block only (x86 and Arm spell
// the processor differently).
const std::vector<std::pair<std::string, std::string>> kCpuinfoKeys = {
    {"model name", "Model"},
    {"CPU implementer", "Implementer"},
    {"CPU architecture", "Architecture"},
    {"CPU variant", "Variant"},
    {"CPU part", "Part"},
    {"CPU revision", "Revision"},
    {"BogoMIPS", "BogoMIPS"},
    {"Features", "Features"},
};

// SMBIOS memory device types (type 17, byte 0x12) seen on servers.
const std::map<long, std::string> kMemoryTypes = {
    {0x12, "DDR"}, {0x13, "DDR2"}, {0x18, "DDR3"}, {0x1A, "DDR4"}, {0x1B, "LPDDR"},
    {0x1C, "LPDDR2"}, {0x1D, "LPDDR3"}, {0x1E, "LPDDR4"}, {0x20, "HBM"}, {0x21, "HBM2"},
    {0x22, "DDR5"}, {0x23, "LPDDR5"}, {0x24, "HBM3"},
};

std::string Trim(const std::string& text)
{
    size_t b = text.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) {
        return std::string();
    }
    size_t e = text.find_last_not_of(" \t\r\n");
    return text.substr(b, e - b + 1);
}

std::string Show(const std::string& raw, Shown shown)
{
    const std::string v = Trim(raw);
    if (v.empty()) {
        return v;
    }
    try {
        switch (shown) {
        case Shown::Plain:
            return v;
        case Shown::SectorsAsGB: {
            // /sys/block sizes count 512-byte sectors whatever the device's own.
            std::ostringstream out;
            out.setf(std::ios::fixed);
            out.precision(1);
            out << static_cast<double>(std::stoull(v)) * 512.0 / 1e9;
            return out.str();
        }
        case Shown::Rotational:
            return v == "1" ? "HDD" : "SSD";
        case Shown::MicroWatts: {
            std::ostringstream out;
            out.setf(std::ios::fixed);
            out.precision(1);
            out << static_cast<double>(std::stoll(v)) / 1e6;
            return out.str();
        }
        case Shown::YesNo:
            return v == "0" ? "no" : "yes";
        }
    } catch (const std::exception&) {
        // A value the kernel did not write as a number is shown as it is.
    }
    return v;
}

bool Skipped(const std::string& name, const std::vector<std::string>& prefixes)
{
    for (const auto& p : prefixes) {
        if (name.compare(0, p.size(), p) == 0) {
            return true;
        }
    }
    return false;
}

void DeviceSections(const DeviceReport& report, ReportText& out)
{
    int shown = 0;
    for (const auto& name : MachineFiles::List(report.dir)) {
        if (Skipped(name, report.skipPrefixes)) {
            continue;
        }
        out.Section(std::string(report.title) + " " + name);
        const std::string dir = std::string(report.dir) + "/" + name + "/";
        for (const auto& f : report.fields) {
            out.Line(f.label, Show(MachineFiles::ReadOr(dir + f.file, ""), f.shown));
        }
        ++shown;
    }
    if (shown == 0) {
        out.Always(report.title, "none found");
    }
}

void BiosSection(ReportText& out)
{
    out.Section("BIOS");
    for (const auto& f : kBiosFields) {
        out.Line(f.label, Show(MachineFiles::ReadOr(std::string("/sys/class/dmi/id/") + f.file, ""), f.shown));
    }
}

void CpuSections(ReportText& out)
{
    std::string cpuinfo;
    MachineFiles::Read("/proc/cpuinfo", cpuinfo);
    int logical = 0;
    std::map<std::string, std::string> first;
    std::istringstream lines(cpuinfo);
    std::string line;
    while (std::getline(lines, line)) {
        size_t colon = line.find(':');
        if (colon == std::string::npos) {
            continue;
        }
        std::string key = Trim(line.substr(0, colon));
        std::string value = Trim(line.substr(colon + 1));
        if (key == "processor") {
            ++logical;
        } else if (logical <= 1 && !first.count(key)) {
            first[key] = value;
        }
    }
    std::set<std::string> packages;
    for (const auto& name : MachineFiles::List("/sys/devices/system/cpu")) {
        std::string id;
        if (name.compare(0, 3, "cpu") == 0 &&
            MachineFiles::Read("/sys/devices/system/cpu/" + name + "/topology/physical_package_id", id)) {
            packages.insert(Trim(id));
        }
    }
    out.Section("Processor");
    out.Line("Sockets", packages.empty() ? "" : std::to_string(packages.size()));
    out.Line("Logical CPUs", logical ? std::to_string(logical) : "");
    out.Line("Online CPUs", Trim(MachineFiles::ReadOr("/sys/devices/system/cpu/online", "")));
    for (const auto& k : kCpuinfoKeys) {
        auto it = first.find(k.first);
        if (it != first.end()) {
            out.Line(k.second, it->second);
        }
    }
}

void MemorySections(ReportText& out)
{
    out.Section("Memory");
    std::string meminfo;
    MachineFiles::Read("/proc/meminfo", meminfo);
    std::map<std::string, std::string> values;
    std::istringstream lines(meminfo);
    std::string line;
    while (std::getline(lines, line)) {
        size_t colon = line.find(':');
        if (colon != std::string::npos) {
            values[Trim(line.substr(0, colon))] = Trim(line.substr(colon + 1));
        }
    }
    for (const auto& key : kMeminfoKeys) {
        auto it = values.find(key);
        if (it != values.end()) {
            out.Line(key, it->second);
        }
    }
    std::string raw;
    if (!MachineFiles::Read("/sys/firmware/dmi/tables/DMI", raw)) {
        return;
    }
    const int kMemoryDevice = 17;
    for (const auto& s : SmbiosTable::Parse(raw)) {
        if (s.type != kMemoryDevice) {
            continue;
        }
        long size = s.Word(0x0C);
        std::string capacity;
        if (size == 0) {
            capacity = "not installed";
        } else if (size == 0x7FFF) {
            long ext = s.Dword(0x1C);
            capacity = ext >= 0 ? std::to_string(ext & 0x7FFFFFFF) + " MB" : "";
        } else if (size > 0 && size != 0xFFFF) {
            capacity = (size & 0x8000) ? std::to_string(size & 0x7FFF) + " KB" : std::to_string(size) + " MB";
        }
        std::string locator = s.String(0x10);
        out.Section("Memory Device " + (locator.empty() ? std::string("?") : locator));
        out.Line("Bank", s.String(0x11));
        out.Line("Size", capacity);
        auto type = kMemoryTypes.find(s.Byte(0x12));
        out.Line("Type", type == kMemoryTypes.end() ? "" : type->second);
        long speed = s.Word(0x15);
        out.Line("Speed MT/s", speed > 0 ? std::to_string(speed) : "");
        out.Line("Manufacturer", s.String(0x17));
        out.Line("Serial", s.String(0x18));
        out.Line("Part Number", Trim(s.String(0x1A)));
    }
}

void RaidSections(ReportText& out)
{
    out.Section("Software RAID");
    std::string mdstat;
    if (!MachineFiles::Read("/proc/mdstat", mdstat)) {
        out.Always("Arrays", "none (no /proc/mdstat: the md driver is not loaded)");
        return;
    }
    std::istringstream lines(mdstat);
    std::string line;
    int arrays = 0;
    while (std::getline(lines, line)) {
        // "md0 : active raid1 sdb1[1] sda1[0]" and the status line below it.
        if (line.compare(0, 2, "md") == 0 && line.find(" : ") != std::string::npos) {
            size_t colon = line.find(" : ");
            out.Always(Trim(line.substr(0, colon)), Trim(line.substr(colon + 3)));
            ++arrays;
        }
    }
    if (arrays == 0) {
        out.Always("Arrays", "none");
    }
}

}  // namespace

bool LocalReports::Build(const std::string& which, std::string& text)
{
    ReportText out;
    if (which == "getbios") {
        BiosSection(out);
    } else if (which == "getcpu") {
        CpuSections(out);
    } else if (which == "getmemory") {
        MemorySections(out);
    } else if (which == "getraid") {
        RaidSections(out);
    } else {
        bool known = false;
        for (const auto& report : kDeviceReports) {
            if (which == report.which) {
                DeviceSections(report, out);
                known = true;
            }
        }
        if (!known) {
            return false;
        }
    }
    text = out.Text();
    return true;
}
