#ifndef PELLORA_SETTINGSFILE_H
#define PELLORA_SETTINGSFILE_H

// The settings file the apply sub-command takes: one JSON object whose
// members are attribute names and the values to set, in the order given.

#include <string>
#include <vector>

#include "Backend.h"

class SettingsFile {
public:
    // Parses the file's text. Values may be JSON strings, numbers or
    // booleans; anything else is refused with the attribute named.
    static bool Parse(const std::string& text, std::vector<Setting>& out, std::string& error);
    // Reads and parses a file; refuses what is not a readable regular file.
    static bool Load(const std::string& path, std::vector<Setting>& out, std::string& error);
};

#endif
