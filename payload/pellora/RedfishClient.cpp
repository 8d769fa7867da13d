#include "RedfishClient.h"

#include <cstdlib>
#include <unistd.h>

#include "ChildProcess.h"
#include "CurlConfig.h"
#include "JsonParser.h"

namespace {

const char* const kCurlPaths[] = {"/usr/bin/curl", "/bin/curl", "/usr/local/bin/curl"};

// curl's exit codes that users meet with BMCs, in words.
struct CurlFailure {
    int code;
    const char* what;
};
const CurlFailure kCurlFailures[] = {
    {6, "cannot resolve the BMC address"},
    {7, "cannot connect to the BMC"},
    {28, "the BMC did not answer in time"},
    {35, "the TLS handshake with the BMC failed"},
    {51, "the BMC's certificate does not match its address"},
    {60, "the BMC's certificate is not trusted (see etc/bmc-ca.pem and etc/bmc-pin in the tool's README)"},
    {77, "the CA file for the BMC cannot be read"},
    {90, "the BMC's public key does not match the pinned key"},
};

bool ValidHostChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
           c == ':' || c == '[' || c == ']' || c == '_';
}

}  // namespace

std::string RedfishClient::FindCurl()
{
    for (const char* path : kCurlPaths) {
        if (access(path, X_OK) == 0) {
            return path;
        }
    }
    return std::string();
}

std::string RedfishClient::Validate() const
{
    if (m_access.host.empty()) {
        return "the BMC address (-H) is empty";
    }
    for (char c : m_access.host) {
        if (!ValidHostChar(c)) {
            return "the BMC address '" + m_access.host + "' holds characters no host name or address has";
        }
    }
    // "name:port" or "[v6]:port": the port must be a number.
    size_t colon = m_access.host.rfind(':');
    bool bracketed = m_access.host.front() == '[';
    bool hasPort = colon != std::string::npos &&
                   (bracketed ? m_access.host.find("]:") == colon - 1 : m_access.host.find(':') == colon);
    if (hasPort) {
        std::string port = m_access.host.substr(colon + 1);
        if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos ||
            std::atoi(port.c_str()) < 1 || std::atoi(port.c_str()) > 65535) {
            return "the BMC address '" + m_access.host + "' has no valid port after ':'";
        }
    }
    if (m_access.user.find(':') != std::string::npos) {
        return "a BMC user name cannot hold ':'";
    }
    if (FindCurl().empty()) {
        return "curl is needed to reach the BMC and was not found in /usr/bin, /bin or /usr/local/bin";
    }
    return std::string();
}

std::string RedfishClient::BaseUrl() const
{
    std::string host = m_access.host;
    // A bare IPv6 address needs brackets in a URL.
    size_t colons = 0;
    for (char c : host) {
        colons += c == ':';
    }
    if (colons > 1 && host.front() != '[') {
        host = "[" + host + "]";
    }
    return "https://" + host;
}

std::string RedfishClient::ErrorMessage(const JsonValue& body)
{
    const JsonValue* error = body.Find("error");
    if (error == nullptr) {
        return std::string();
    }
    const JsonValue* info = error->Find("@Message.ExtendedInfo");
    if (info != nullptr && info->IsArray()) {
        std::string text;
        for (const auto& item : info->Items()) {
            const JsonValue* message = item.Find("Message");
            if (message != nullptr && !message->AsText().empty()) {
                text += (text.empty() ? "" : "; ") + message->AsText();
            }
        }
        if (!text.empty()) {
            return text;
        }
    }
    const JsonValue* message = error->Find("message");
    return message != nullptr ? message->AsText() : std::string();
}

bool RedfishClient::Request(const std::string& method, const std::string& path, const std::string& body,
                            int& status, std::string& answer, std::string& error)
{
    std::string invalid = Validate();
    if (!invalid.empty()) {
        error = invalid;
        return false;
    }
    HttpRequest request;
    request.method = method;
    request.url = BaseUrl() + path;
    request.body = body;
    request.user = m_access.user;
    request.password = m_access.password;
    request.caFile = m_access.caFile;
    request.pinnedKey = m_access.pinnedKey;
    const std::string curl = FindCurl();
    // -q first: no .curlrc of whoever runs us takes part.
    ChildResult run = RunChild(curl, {"curl", "-q", "-K", "-"}, {}, CurlConfig::Build(request));
    if (run.status != 0) {
        std::string what;
        for (const auto& f : kCurlFailures) {
            if (f.code == run.status) {
                what = f.what;
            }
        }
        if (what.empty()) {
            what = run.status < 0 ? run.failure : "curl failed with status " + std::to_string(run.status);
        }
        // curl's first line names the cause; the rest is general advice.
        std::string detail = run.err.substr(0, run.err.find('\n'));
        error = what + " (" + m_access.host + ")" + (detail.empty() ? "" : ": " + detail);
        return false;
    }
    size_t cut = run.out.rfind('\n');
    if (cut == std::string::npos) {
        error = "curl gave no HTTP status for " + path;
        return false;
    }
    status = std::atoi(run.out.c_str() + cut + 1);
    answer = run.out.substr(0, cut);
    return true;
}

bool RedfishClient::Get(const std::string& path, JsonValue& out, std::string& error)
{
    int status = 0;
    std::string answer;
    if (!Request("GET", path, std::string(), status, answer, error)) {
        return false;
    }
    JsonValue body;
    std::string parseError;
    bool parsed = JsonParser::Parse(answer, body, parseError);
    if (status == 401) {
        error = "the BMC refused the user name or password (HTTP 401)";
        return false;
    }
    if (status < 200 || status > 299) {
        std::string message = parsed ? ErrorMessage(body) : std::string();
        error = "the BMC answered HTTP " + std::to_string(status) + " for " + path +
                (message.empty() ? "" : ": " + message);
        return false;
    }
    if (!parsed) {
        error = "the BMC's answer for " + path + " is not JSON: " + parseError;
        return false;
    }
    out = std::move(body);
    return true;
}

bool RedfishClient::Patch(const std::string& path, const std::string& body, int& status, std::string& error)
{
    std::string answer;
    if (!Request("PATCH", path, body, status, answer, error)) {
        return false;
    }
    if (status == 401) {
        error = "the BMC refused the user name or password (HTTP 401)";
        return false;
    }
    if (status < 200 || status > 299) {
        JsonValue parsed;
        std::string ignored;
        std::string message = JsonParser::Parse(answer, parsed, ignored) ? ErrorMessage(parsed) : std::string();
        error = "the BMC refused the change with HTTP " + std::to_string(status) +
                (message.empty() ? "" : ": " + message);
        return false;
    }
    // A success may still carry per-property refusals.
    JsonValue parsed;
    std::string ignored;
    if (!answer.empty() && JsonParser::Parse(answer, parsed, ignored)) {
        std::string message = ErrorMessage(parsed);
        if (!message.empty()) {
            error = "the BMC reported: " + message;
            return false;
        }
    }
    return true;
}
