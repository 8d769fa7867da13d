#ifndef PELLORA_CURLCONFIG_H
#define PELLORA_CURLCONFIG_H

// The configuration text handed to curl on its standard input (curl -K -):
// every request detail, the credentials included, travels there and never
// on curl's command line.

#include <string>

struct HttpRequest {
    std::string method;   // "GET" or "PATCH"
    std::string url;
    std::string body;     // JSON text for PATCH
    std::string user;
    std::string password;
    std::string caFile;   // trust this CA bundle instead of the system's
    std::string pinnedKey;  // "sha256//..." : trust exactly this public key
};

class CurlConfig {
public:
    // A value as a double-quoted curl config string.
    static std::string Quote(const std::string& value);
    // The whole config; the answer ends with a line holding the HTTP status.
    static std::string Build(const HttpRequest& request);
};

#endif
