#include "SettingsJson.h"

#include <cstdio>

std::string JsonQuoted(std::string text)
{
    std::string quoted = "\"";
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        switch (ch) {
        case '"': quoted += "\\\""; break;
        case '\\': quoted += "\\\\"; break;
        case '\b': quoted += "\\b"; break;
        case '\f': quoted += "\\f"; break;
        case '\n': quoted += "\\n"; break;
        case '\r': quoted += "\\r"; break;
        case '\t': quoted += "\\t"; break;
        default:
            if (byte < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof(escape), "\\u%04x", byte);
                quoted += escape;
            } else {
                // Bytes of multi-byte UTF-8 characters pass unchanged.
                quoted += ch;
            }
        }
    }
    return quoted + "\"";
}

std::string SettingsJson(std::vector<std::pair<std::string, std::string>> settings)
{
    std::string json = "{";
    for (size_t i = 0; i < settings.size(); ++i) {
        if (i != 0) {
            json += ",";
        }
        json += JsonQuoted(settings[i].first) + " : " + JsonQuoted(settings[i].second);
    }
    return json + "}";
}
