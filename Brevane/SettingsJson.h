#ifndef BREVANE_SETTINGSJSON_H
#define BREVANE_SETTINGSJSON_H

#include <string>
#include <utility>
#include <vector>

// The settings file handed to the tool's apply step: one line,
// {"A" : "1","B" : "2"}. Names and values are escaped, so an attribute value
// holding a quote, a backslash or a control character still gives valid JSON.
std::string JsonQuoted(std::string text);
std::string SettingsJson(std::vector<std::pair<std::string, std::string>> settings);

#endif
