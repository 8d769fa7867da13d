#include "FirmwareAttributes.h"

#include <cerrno>
#include <cstdlib>
#include <set>
#include <strings.h>

#include "MachineFiles.h"

namespace {

const std::string kClassDir = "/sys/class/firmware-attributes";

// Type words of the kernel ABI and how reports name them.
struct TypeName {
    const char* kernel;
    const char* shown;
};
const TypeName kTypeNames[] = {
    {"enumeration", "Enumeration"},
    {"integer", "Integer"},
    {"string", "String"},
    {"ordered-list", "OrderedList"},
};

std::string ShownType(const std::string& kernel)
{
    for (const auto& t : kTypeNames) {
        if (kernel == t.kernel) {
            return t.shown;
        }
    }
    return kernel.empty() ? "Unknown" : kernel;
}

std::vector<std::string> SplitValues(const std::string& text)
{
    std::vector<std::string> values;
    std::string piece;
    for (char c : text + ";") {
        if (c == ';' || c == '\n') {
            if (!piece.empty()) {
                values.push_back(piece);
            }
            piece.clear();
        } else {
            piece += c;
        }
    }
    return values;
}

bool ParseInteger(const std::string& text, long long& out)
{
    if (text.empty()) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    out = std::strtoll(text.c_str(), &end, 10);
    return errno == 0 && end != nullptr && *end == '\0';
}

}  // namespace

std::string FirmwareAttributes::AttributeDir(const Entry& entry)
{
    return kClassDir + "/" + entry.device + "/attributes/" + entry.name;
}

std::vector<FirmwareAttributes::Entry> FirmwareAttributes::Enumerate() const
{
    std::vector<Entry> entries;
    std::set<std::string> seen;
    for (const auto& device : MachineFiles::List(kClassDir)) {
        const std::string attrs = kClassDir + "/" + device + "/attributes";
        for (const auto& name : MachineFiles::List(attrs)) {
            // Plain files beside the attribute directories (pending_reboot,
            // reset_bios, ...) belong to the interface, not to an attribute.
            if (!MachineFiles::Exists(attrs + "/" + name + "/current_value")) {
                continue;
            }
            if (seen.insert(name).second) {
                entries.push_back({device, name});
            }
        }
    }
    return entries;
}

std::vector<std::string> FirmwareAttributes::Interfaces() const
{
    std::vector<std::string> devices;
    for (const auto& entry : Enumerate()) {
        if (devices.empty() || devices.back() != entry.device) {
            devices.push_back(entry.device);
        }
    }
    return devices;
}

bool FirmwareAttributes::Find(const std::string& name, Entry& out) const
{
    for (const auto& entry : Enumerate()) {
        if (entry.name == name) {
            out = entry;
            return true;
        }
    }
    return false;
}

bool FirmwareAttributes::IsPendingReboot(const std::string& device) const
{
    return MachineFiles::ReadOr(kClassDir + "/" + device + "/attributes/pending_reboot", "0") == "1";
}

bool FirmwareAttributes::Read(const Entry& entry, Attribute& out) const
{
    const std::string dir = AttributeDir(entry);
    Attribute attr;
    attr.name = entry.name;
    if (!MachineFiles::Read(dir + "/current_value", attr.current)) {
        return false;
    }
    const std::string kernelType = MachineFiles::ReadOr(dir + "/type", "");
    attr.type = ShownType(kernelType);
    if (kernelType == "enumeration" || kernelType == "ordered-list") {
        attr.allowed = SplitValues(MachineFiles::ReadOr(dir + "/possible_values", ""));
    } else if (kernelType == "integer") {
        attr.lower = MachineFiles::ReadOr(dir + "/min_value", "");
        attr.upper = MachineFiles::ReadOr(dir + "/max_value", "");
        attr.step = MachineFiles::ReadOr(dir + "/scalar_increment", "");
    } else if (kernelType == "string") {
        attr.lower = MachineFiles::ReadOr(dir + "/min_length", "");
        attr.upper = MachineFiles::ReadOr(dir + "/max_length", "");
    }
    // The class keeps no separate staged value: current_value already shows
    // what was written, and pending_reboot says whether it is yet in force.
    if (IsPendingReboot(entry.device)) {
        attr.pending = attr.current;
    }
    out = attr;
    return true;
}

std::string FirmwareAttributes::Validate(const Attribute& attr, const std::string& value, std::string& canonical)
{
    canonical = value;
    if (value.find('\n') != std::string::npos) {
        return "a value cannot hold a line break";
    }
    if (attr.type == "Enumeration") {
        const std::string* folded = nullptr;
        int foldedCount = 0;
        for (const auto& allowed : attr.allowed) {
            if (allowed == value) {
                return std::string();
            }
            if (strcasecmp(allowed.c_str(), value.c_str()) == 0) {
                folded = &allowed;
                ++foldedCount;
            }
        }
        if (foldedCount == 1) {
            canonical = *folded;
            return std::string();
        }
        std::string list;
        for (const auto& allowed : attr.allowed) {
            list += (list.empty() ? "" : ", ") + allowed;
        }
        return "'" + value + "' is not one of: " + list;
    }
    long long lower = 0;
    long long upper = 0;
    bool hasLower = ParseInteger(attr.lower, lower);
    bool hasUpper = ParseInteger(attr.upper, upper);
    if (attr.type == "Integer") {
        long long v = 0;
        if (!ParseInteger(value, v)) {
            return "'" + value + "' is not a whole number";
        }
        if ((hasLower && v < lower) || (hasUpper && v > upper)) {
            return value + " is outside " + attr.lower + " - " + attr.upper;
        }
        long long step = 0;
        if (hasLower && ParseInteger(attr.step, step) && step > 1 && (v - lower) % step != 0) {
            return value + " is not " + attr.lower + " plus a multiple of " + attr.step;
        }
        return std::string();
    }
    if (attr.type == "String") {
        long long length = static_cast<long long>(value.size());
        if ((hasLower && length < lower) || (hasUpper && length > upper)) {
            return "the text must have " + attr.lower + " to " + attr.upper + " characters";
        }
    }
    return std::string();
}

bool FirmwareAttributes::Write(const Entry& entry, const std::string& value, std::string& error) const
{
    return MachineFiles::Write(AttributeDir(entry) + "/current_value", value, error);
}
