#include "SettingsFile.h"

#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include "JsonParser.h"

namespace {
// A settings file names a few dozen attributes; anything this large is a
// wrong file.
const off_t kMaxSize = 1 << 20;
}

bool SettingsFile::Parse(const std::string& text, std::vector<Setting>& out, std::string& error)
{
    JsonValue doc;
    std::string why;
    if (!JsonParser::Parse(text, doc, why)) {
        error = "the settings file is not valid JSON: " + why;
        return false;
    }
    if (!doc.IsObject()) {
        error = "the settings file must hold one JSON object of attribute names and values";
        return false;
    }
    std::vector<Setting> settings;
    for (const auto& m : doc.Members()) {
        const JsonValue::Kind kind = m.second.GetKind();
        if (kind != JsonValue::String && kind != JsonValue::Number && kind != JsonValue::Bool) {
            error = "the value of '" + m.first + "' in the settings file must be text, a number or true/false";
            return false;
        }
        if (m.first.empty()) {
            error = "the settings file names an attribute with an empty name";
            return false;
        }
        settings.emplace_back(m.first, m.second.AsText());
    }
    out = settings;
    return true;
}

bool SettingsFile::Load(const std::string& path, std::vector<Setting>& out, std::string& error)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        error = "the settings file '" + path + "' does not exist";
        return false;
    }
    if (!S_ISREG(st.st_mode) || st.st_size > kMaxSize) {
        error = "the settings file '" + path + "' is not a regular file of at most 1 MiB";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "the settings file '" + path + "' cannot be read";
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return Parse(text.str(), out, error);
}
