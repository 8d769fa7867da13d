#ifndef PELLORA_REDFISHBACKEND_H
#define PELLORA_REDFISHBACKEND_H

// A server's BIOS and hardware reached out of band through its BMC's DMTF
// Redfish service: the first computer system of the service, its Bios
// resource for the attributes and the settings resource that
// @Redfish.Settings names for changes (the BMC hands them to the BIOS at the
// next boot).

#include "Backend.h"
#include "RedfishClient.h"

class RedfishBackend : public Backend {
public:
    explicit RedfishBackend(BmcAccess access) : m_client(std::move(access)) {}

    bool Check(std::string& description, std::string& why) override;
    bool List(std::vector<Setting>& out, std::string& error) override;
    bool Details(const std::string& name, Attribute& out, std::string& error) override;
    ApplyResult Apply(const std::vector<Setting>& settings) override;
    bool Report(const std::string& which, std::string& text, std::string& error) override;

    // The JSON value to send for `text`, typed like the attribute's current
    // value; false with `why` when the text does not fit that type.
    static bool TypedValue(const JsonValue& current, const std::string& text, JsonValue& out, std::string& why);
    // The text of a member reached by a path of names; "*" walks every
    // element of an array and the pieces are joined with ", ".
    static std::string FieldText(const JsonValue& value, const std::string& path);

private:
    bool LoadSystem(std::string& error);
    bool LoadBios(JsonValue& bios, std::string& error);
    std::string SettingsPath(const JsonValue& bios) const;
    bool GetMembers(const std::string& collection, std::vector<JsonValue>& out, std::string& error);

    RedfishClient m_client;
    bool m_loaded = false;
    std::string m_systemPath;
    JsonValue m_system;
};

#endif
