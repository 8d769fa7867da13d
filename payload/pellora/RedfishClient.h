#ifndef PELLORA_REDFISHCLIENT_H
#define PELLORA_REDFISHCLIENT_H

// HTTPS requests to a BMC's Redfish service through the system's curl.

#include <string>

#include "JsonValue.h"

struct BmcAccess {
    std::string host;      // address or name, optionally with ":port"
    std::string user;
    std::string password;
    std::string caFile;
    std::string pinnedKey;
};

class RedfishClient {
public:
    explicit RedfishClient(BmcAccess access) : m_access(std::move(access)) {}

    // Empty when the address, user and curl are usable; otherwise why not.
    std::string Validate() const;
    // GET of a path below the service ("/redfish/v1/Systems").
    bool Get(const std::string& path, JsonValue& out, std::string& error);
    // PATCH of a JSON body; `status` is the HTTP status on success.
    bool Patch(const std::string& path, const std::string& body, int& status, std::string& error);

    // curl's path: Brevane starts pellora with an empty environment, so the
    // program is looked for in the usual places, not in PATH.
    static std::string FindCurl();
    // The error text a Redfish service puts in a refusal, if any.
    static std::string ErrorMessage(const JsonValue& body);

private:
    bool Request(const std::string& method, const std::string& path, const std::string& body,
                 int& status, std::string& answer, std::string& error);
    std::string BaseUrl() const;

    BmcAccess m_access;
};

#endif
