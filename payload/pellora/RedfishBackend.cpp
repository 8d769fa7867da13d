#include "RedfishBackend.h"

#include <strings.h>

#include "JsonParser.h"
#include "ReportText.h"

namespace {

const char* const kServiceRoot = "/redfish/v1/";

struct MemberField {
    const char* label;
    const char* path;
};

// Reports over a collection that the computer system links to.
struct CollectionReport {
    const char* which;
    const char* title;
    const char* link;  // member of the ComputerSystem naming the collection
    std::vector<MemberField> fields;
};

const std::vector<CollectionReport> kCollectionReports = {
    {"getcpu", "Processor", "Processors",
     {{"Socket", "Socket"}, {"Type", "ProcessorType"}, {"Manufacturer", "Manufacturer"}, {"Model", "Model"},
      {"Architecture", "ProcessorArchitecture"}, {"Cores", "TotalCores"}, {"Threads", "TotalThreads"},
      {"Max Speed MHz", "MaxSpeedMHz"}, {"State", "Status/State"}, {"Health", "Status/Health"}}},
    {"getmemory", "Memory", "Memory",
     {{"Name", "Name"}, {"Capacity MiB", "CapacityMiB"}, {"Type", "MemoryDeviceType"},
      {"Module", "BaseModuleType"}, {"Speed MHz", "OperatingSpeedMhz"}, {"Manufacturer", "Manufacturer"},
      {"Part Number", "PartNumber"}, {"Serial", "SerialNumber"}, {"State", "Status/State"},
      {"Health", "Status/Health"}}},
    {"getsyseth", "Network Interface", "EthernetInterfaces",
     {{"Description", "Description"}, {"MAC Address", "MACAddress"}, {"Link", "LinkStatus"},
      {"Speed Mbps", "SpeedMbps"}, {"IPv4", "IPv4Addresses/*/Address"}, {"IPv6", "IPv6Addresses/*/Address"},
      {"State", "Status/State"}, {"Health", "Status/Health"}}},
};

const std::vector<MemberField> kSystemFields = {
    {"Manufacturer", "Manufacturer"}, {"Model", "Model"}, {"Serial", "SerialNumber"},
    {"BIOS Version", "BiosVersion"}, {"Power State", "PowerState"}, {"Health", "Status/Health"},
};

const std::vector<MemberField> kDriveFields = {
    {"Model", "Model"}, {"Manufacturer", "Manufacturer"}, {"Serial", "SerialNumber"},
    {"Capacity Bytes", "CapacityBytes"}, {"Media", "MediaType"}, {"Protocol", "Protocol"},
    {"State", "Status/State"}, {"Health", "Status/Health"},
};

const std::vector<MemberField> kVolumeFields = {
    {"RAID Type", "RAIDType"}, {"Capacity Bytes", "CapacityBytes"}, {"Drives", "Links/Drives/*/@odata.id"},
    {"State", "Status/State"}, {"Health", "Status/Health"},
};

const std::vector<MemberField> kPowerSupplyFields = {
    {"Model", "Model"}, {"Manufacturer", "Manufacturer"}, {"Serial", "SerialNumber"},
    {"Firmware", "FirmwareVersion"}, {"Type", "PowerSupplyType"}, {"Capacity W", "PowerCapacityWatts"},
    {"Output W", "LastPowerOutputWatts"}, {"State", "Status/State"}, {"Health", "Status/Health"},
};

std::string Link(const JsonValue& resource, const std::string& member)
{
    const JsonValue* id = resource.FindPath(member + "/@odata.id");
    return id != nullptr ? id->AsText() : std::string();
}

std::string NameOf(const JsonValue& member)
{
    std::string name = RedfishBackend::FieldText(member, "Name");
    std::string id = RedfishBackend::FieldText(member, "Id");
    if (id.empty() || id == name) {
        return name;
    }
    return name.empty() ? id : id + " (" + name + ")";
}

void Fields(ReportText& out, const JsonValue& value, const std::vector<MemberField>& fields)
{
    for (const auto& f : fields) {
        out.Line(f.label, RedfishBackend::FieldText(value, f.path));
    }
}

std::string Lower(std::string text)
{
    for (auto& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

}  // namespace

std::string RedfishBackend::FieldText(const JsonValue& value, const std::string& path)
{
    if (path.empty()) {
        if (value.IsArray()) {
            std::string joined;
            for (const auto& item : value.Items()) {
                std::string t = FieldText(item, "");
                if (!t.empty()) {
                    joined += (joined.empty() ? "" : ", ") + t;
                }
            }
            return joined;
        }
        return value.AsText();
    }
    size_t slash = path.find('/');
    std::string head = path.substr(0, slash);
    std::string rest = slash == std::string::npos ? std::string() : path.substr(slash + 1);
    if (head == "*") {
        if (!value.IsArray()) {
            return std::string();
        }
        std::string joined;
        for (const auto& item : value.Items()) {
            std::string t = FieldText(item, rest);
            if (!t.empty()) {
                joined += (joined.empty() ? "" : ", ") + t;
            }
        }
        return joined;
    }
    const JsonValue* member = value.Find(head);
    return member != nullptr ? FieldText(*member, rest) : std::string();
}

bool RedfishBackend::TypedValue(const JsonValue& current, const std::string& text, JsonValue& out, std::string& why)
{
    switch (current.GetKind()) {
    case JsonValue::Number: {
        JsonValue parsed;
        std::string ignored;
        // Exactly a number: no spaces or other text around it.
        if (!JsonParser::Parse(text, parsed, ignored) || parsed.GetKind() != JsonValue::Number ||
            parsed.Serialize() != text) {
            why = "'" + text + "' is not a number";
            return false;
        }
        out = parsed;
        return true;
    }
    case JsonValue::Bool:
        if (strcasecmp(text.c_str(), "true") == 0 || strcasecmp(text.c_str(), "false") == 0) {
            out = JsonValue::MakeBool(Lower(text) == "true");
            return true;
        }
        why = "'" + text + "' is not true or false";
        return false;
    default:
        out = JsonValue::MakeString(text);
        return true;
    }
}

bool RedfishBackend::LoadSystem(std::string& error)
{
    if (m_loaded) {
        return true;
    }
    JsonValue root;
    JsonValue systems;
    if (!m_client.Get(kServiceRoot, root, error)) {
        return false;
    }
    std::string systemsPath = Link(root, "Systems");
    if (systemsPath.empty() || !m_client.Get(systemsPath, systems, error)) {
        if (error.empty()) {
            error = "the BMC's Redfish service lists no computer systems";
        }
        return false;
    }
    const JsonValue* members = systems.Find("Members");
    if (members == nullptr || !members->IsArray() || members->Items().empty()) {
        error = "the BMC's Redfish service lists no computer systems";
        return false;
    }
    m_systemPath = FieldText(members->Items().front(), "@odata.id");
    if (m_systemPath.empty() || !m_client.Get(m_systemPath, m_system, error)) {
        if (error.empty()) {
            error = "the BMC's first computer system has no address";
        }
        return false;
    }
    m_loaded = true;
    return true;
}

bool RedfishBackend::LoadBios(JsonValue& bios, std::string& error)
{
    if (!LoadSystem(error)) {
        return false;
    }
    std::string path = Link(m_system, "Bios");
    if (path.empty()) {
        error = "the BMC publishes no Bios resource for " + m_systemPath;
        return false;
    }
    if (!m_client.Get(path, bios, error)) {
        return false;
    }
    const JsonValue* attrs = bios.Find("Attributes");
    if (attrs == nullptr || !attrs->IsObject()) {
        error = "the BMC's Bios resource holds no Attributes";
        return false;
    }
    return true;
}

std::string RedfishBackend::SettingsPath(const JsonValue& bios) const
{
    std::string path = FieldText(bios, "@Redfish.Settings/SettingsObject/@odata.id");
    if (!path.empty()) {
        return path;
    }
    // Services that omit the annotation keep pending values at Bios/Settings.
    return FieldText(bios, "@odata.id") + "/Settings";
}

bool RedfishBackend::GetMembers(const std::string& collection, std::vector<JsonValue>& out, std::string& error)
{
    JsonValue list;
    if (!m_client.Get(collection, list, error)) {
        return false;
    }
    const JsonValue* members = list.Find("Members");
    if (members == nullptr || !members->IsArray()) {
        return true;
    }
    for (const auto& m : members->Items()) {
        std::string path = FieldText(m, "@odata.id");
        JsonValue member;
        if (path.empty() || !m_client.Get(path, member, error)) {
            return false;
        }
        out.push_back(member);
    }
    return true;
}

bool RedfishBackend::Check(std::string& description, std::string& why)
{
    JsonValue bios;
    if (!LoadBios(bios, why)) {
        return false;
    }
    description = "Redfish BIOS of " + m_systemPath;
    return true;
}

bool RedfishBackend::List(std::vector<Setting>& out, std::string& error)
{
    JsonValue bios;
    if (!LoadBios(bios, error)) {
        return false;
    }
    out.clear();
    for (const auto& m : bios.Find("Attributes")->Members()) {
        out.emplace_back(m.first, m.second.AsText());
    }
    return true;
}

bool RedfishBackend::Details(const std::string& name, Attribute& out, std::string& error)
{
    JsonValue bios;
    if (!LoadBios(bios, error)) {
        return false;
    }
    const JsonValue* current = bios.Find("Attributes")->Find(name);
    if (current == nullptr) {
        error = "the BIOS has no attribute named '" + name + "'";
        return false;
    }
    out = Attribute();
    out.name = name;
    out.current = current->AsText();
    switch (current->GetKind()) {
    case JsonValue::Number: out.type = "Integer"; break;
    case JsonValue::Bool: out.type = "Boolean"; out.allowed = {"true", "false"}; break;
    default: out.type = "String"; break;
    }
    JsonValue settings;
    if (!m_client.Get(SettingsPath(bios), settings, error)) {
        return false;
    }
    const JsonValue* pending = settings.FindPath("Attributes/" + name);
    if (pending != nullptr && pending->Serialize() != current->Serialize()) {
        out.pending = pending->AsText();
    }
    return true;
}

ApplyResult RedfishBackend::Apply(const std::vector<Setting>& settings)
{
    ApplyResult result;
    JsonValue bios;
    if (!LoadBios(bios, result.error)) {
        return result;
    }
    const JsonValue* attrs = bios.Find("Attributes");
    JsonValue changes = JsonValue::MakeObject();
    for (const auto& s : settings) {
        const JsonValue* current = attrs->Find(s.first);
        if (current == nullptr) {
            result.failed.emplace_back(s.first, "the BIOS has no such attribute");
            continue;
        }
        JsonValue typed;
        std::string why;
        if (!TypedValue(*current, s.second, typed, why)) {
            result.failed.emplace_back(s.first, why);
            continue;
        }
        changes.Set(s.first, typed);
    }
    if (!result.failed.empty() || changes.Members().empty()) {
        return result;
    }
    JsonValue body = JsonValue::MakeObject();
    body.Set("Attributes", changes);
    int status = 0;
    if (!m_client.Patch(SettingsPath(bios), body.Serialize(), status, result.error)) {
        return result;
    }
    result.applied = changes.Members().size();
    return result;
}

bool RedfishBackend::Report(const std::string& which, std::string& text, std::string& error)
{
    if (!LoadSystem(error)) {
        return false;
    }
    ReportText out;
    if (which == "getbios") {
        out.Section("System");
        Fields(out, m_system, kSystemFields);
        std::vector<Setting> attrs;
        out.Section("BIOS Attributes");
        if (!List(attrs, error)) {
            return false;
        }
        for (const auto& a : attrs) {
            out.Always(a.first, a.second);
        }
        text = out.Text();
        return true;
    }
    for (const auto& r : kCollectionReports) {
        if (which != r.which) {
            continue;
        }
        std::vector<JsonValue> members;
        std::string path = Link(m_system, r.link);
        if (!path.empty() && !GetMembers(path, members, error)) {
            return false;
        }
        for (const auto& m : members) {
            out.Section(std::string(r.title) + " " + NameOf(m));
            Fields(out, m, r.fields);
        }
        if (members.empty()) {
            out.Always(r.title, "none reported by the BMC");
        }
        text = out.Text();
        return true;
    }
    if (which == "getpdisk" || which == "getraid") {
        std::vector<JsonValue> controllers;
        std::string storage = Link(m_system, "Storage");
        if (!storage.empty() && !GetMembers(storage, controllers, error)) {
            return false;
        }
        int shown = 0;
        for (const auto& c : controllers) {
            if (which == "getpdisk") {
                const JsonValue* drives = c.Find("Drives");
                for (size_t i = 0; drives != nullptr && drives->IsArray() && i < drives->Items().size(); ++i) {
                    JsonValue drive;
                    if (!m_client.Get(FieldText(drives->Items()[i], "@odata.id"), drive, error)) {
                        return false;
                    }
                    out.Section("Disk " + NameOf(drive));
                    Fields(out, drive, kDriveFields);
                    ++shown;
                }
            } else {
                std::vector<JsonValue> volumes;
                std::string path = Link(c, "Volumes");
                if (!path.empty() && !GetMembers(path, volumes, error)) {
                    return false;
                }
                for (const auto& v : volumes) {
                    out.Section("RAID Volume " + NameOf(v));
                    Fields(out, v, kVolumeFields);
                    ++shown;
                }
            }
        }
        // Older services describe plain disks only through SimpleStorage.
        std::string simple = Link(m_system, "SimpleStorage");
        if (which == "getpdisk" && shown == 0 && !simple.empty()) {
            std::vector<JsonValue> simples;
            if (!GetMembers(simple, simples, error)) {
                return false;
            }
            for (const auto& s : simples) {
                const JsonValue* devices = s.Find("Devices");
                for (size_t i = 0; devices != nullptr && devices->IsArray() && i < devices->Items().size(); ++i) {
                    const JsonValue& d = devices->Items()[i];
                    out.Section("Disk " + FieldText(d, "Name"));
                    Fields(out, d, kDriveFields);
                    ++shown;
                }
            }
        }
        if (shown == 0) {
            out.Always(which == "getpdisk" ? "Disk" : "RAID Volume", "none reported by the BMC");
        }
        text = out.Text();
        return true;
    }
    if (which == "getpsu") {
        std::string chassis = FieldText(m_system, "Links/Chassis/*/@odata.id");
        chassis = chassis.substr(0, chassis.find(','));
        JsonValue ch;
        int shown = 0;
        if (!chassis.empty() && m_client.Get(chassis, ch, error)) {
            std::string power = Link(ch, "Power");
            JsonValue p;
            if (!power.empty() && m_client.Get(power, p, error)) {
                const JsonValue* supplies = p.Find("PowerSupplies");
                for (size_t i = 0; supplies != nullptr && supplies->IsArray() && i < supplies->Items().size(); ++i) {
                    const JsonValue& s = supplies->Items()[i];
                    out.Section("Power Supply " + FieldText(s, "MemberId") + " " + FieldText(s, "Name"));
                    Fields(out, s, kPowerSupplyFields);
                    ++shown;
                }
            }
        }
        if (!error.empty()) {
            return false;
        }
        if (shown == 0) {
            out.Always("Power Supply", "none reported by the BMC");
        }
        text = out.Text();
        return true;
    }
    error = "no report named '" + which + "'";
    return false;
}
