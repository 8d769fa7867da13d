#include "CurlConfig.h"

std::string CurlConfig::Quote(const std::string& value)
{
    std::string out = "\"";
    for (char c : value) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\v': out += "\\v"; break;
        default: out += c;
        }
    }
    return out + "\"";
}

std::string CurlConfig::Build(const HttpRequest& r)
{
    std::string c;
    auto option = [&c](const std::string& name, const std::string& value) {
        c += name + " = " + Quote(value) + "\n";
    };
    option("url", r.url);
    option("request", r.method);
    option("user", r.user + ":" + r.password);
    // Only HTTPS, no redirects followed (they would carry the credentials
    // elsewhere), and no proxy from anybody's environment.
    option("proto", "=https");
    option("noproxy", "*");
    option("header", "Accept: application/json");
    option("header", "OData-Version: 4.0");
    option("user-agent", "pellora");
    option("connect-timeout", "20");
    option("max-time", "300");
    c += "silent\nshow-error\n";
    if (!r.pinnedKey.empty()) {
        // The pin replaces the chain check: BMC certificates are commonly
        // self-signed for a name the BMC is not reached by.
        option("pinnedpubkey", r.pinnedKey);
        c += "insecure\n";
    } else if (!r.caFile.empty()) {
        option("cacert", r.caFile);
    }
    if (r.method == "PATCH" || r.method == "POST") {
        option("header", "Content-Type: application/json");
        option("data-raw", r.body);
    }
    option("write-out", "\n%{http_code}");
    return c;
}
