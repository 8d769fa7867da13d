#include "LocalBackend.h"

#include "LocalReports.h"

std::string LocalBackend::MissingInterfaceText()
{
    return "this machine has no in-band BIOS interface (no attributes under "
           "/sys/class/firmware-attributes); reach its BIOS through the BMC with "
           "-H <address> -U <user> -P <password>";
}

bool LocalBackend::Check(std::string& description, std::string& why)
{
    std::vector<std::string> devices = m_attrs.Interfaces();
    if (devices.empty()) {
        why = MissingInterfaceText();
        return false;
    }
    description.clear();
    for (const auto& d : devices) {
        description += (description.empty() ? "" : ", ") + d;
    }
    return true;
}

bool LocalBackend::List(std::vector<Setting>& out, std::string& error)
{
    std::vector<FirmwareAttributes::Entry> entries = m_attrs.Enumerate();
    if (entries.empty()) {
        error = MissingInterfaceText();
        return false;
    }
    out.clear();
    for (const auto& entry : entries) {
        Attribute attr;
        if (m_attrs.Read(entry, attr)) {
            out.emplace_back(attr.name, attr.current);
        }
    }
    return true;
}

bool LocalBackend::Details(const std::string& name, Attribute& out, std::string& error)
{
    FirmwareAttributes::Entry entry;
    if (m_attrs.Interfaces().empty()) {
        error = MissingInterfaceText();
        return false;
    }
    if (!m_attrs.Find(name, entry) || !m_attrs.Read(entry, out)) {
        error = "the BIOS has no attribute named '" + name + "'";
        return false;
    }
    return true;
}

ApplyResult LocalBackend::Apply(const std::vector<Setting>& settings)
{
    ApplyResult result;
    if (m_attrs.Interfaces().empty()) {
        result.error = MissingInterfaceText();
        return result;
    }
    struct Planned {
        FirmwareAttributes::Entry entry;
        std::string previous;
        std::string value;
    };
    std::vector<Planned> plan;
    for (const auto& s : settings) {
        FirmwareAttributes::Entry entry;
        Attribute attr;
        if (!m_attrs.Find(s.first, entry) || !m_attrs.Read(entry, attr)) {
            result.failed.emplace_back(s.first, "the BIOS has no such attribute");
            continue;
        }
        std::string canonical;
        std::string why = FirmwareAttributes::Validate(attr, s.second, canonical);
        if (!why.empty()) {
            result.failed.emplace_back(s.first, why);
            continue;
        }
        plan.push_back({entry, attr.current, canonical});
    }
    if (!result.failed.empty()) {
        return result;
    }
    // The firmware may still refuse a value it published as allowed (a
    // dependency between attributes, a BIOS password): then the values
    // written so far are put back, so the next boot sees no half-applied set.
    for (size_t i = 0; i < plan.size(); ++i) {
        std::string error;
        if (m_attrs.Write(plan[i].entry, plan[i].value, error)) {
            continue;
        }
        result.failed.emplace_back(plan[i].entry.name, "the firmware refused it: " + error);
        for (size_t j = i; j-- > 0;) {
            std::string ignored;
            if (!m_attrs.Write(plan[j].entry, plan[j].previous, ignored)) {
                result.failed.emplace_back(plan[j].entry.name, "written, and could not be put back: " + ignored);
                result.error = "some settings were written and could not be put back; check them with getattr";
            }
        }
        return result;
    }
    result.applied = plan.size();
    return result;
}

bool LocalBackend::Report(const std::string& which, std::string& text, std::string& error)
{
    if (!LocalReports::Build(which, text)) {
        error = "no report named '" + which + "'";
        return false;
    }
    if (which == "getbios") {
        std::vector<Setting> attrs;
        std::string why;
        text += "\n[BIOS Attributes]\n";
        if (List(attrs, why)) {
            for (const auto& a : attrs) {
                text += a.first + " : " + a.second + "\n";
            }
        } else {
            text += "Attributes : not available: " + why + "\n";
        }
    }
    return true;
}
