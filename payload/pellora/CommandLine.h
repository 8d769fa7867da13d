#ifndef PELLORA_COMMANDLINE_H
#define PELLORA_COMMANDLINE_H

// pellora's command line: connection options anywhere, one sub-command and
// its options. The first word is the program's name and is not looked at
// (Brevane passes a fixed word there).

#include <string>
#include <vector>

struct CommandLine {
    std::string command;
    std::string host;
    std::string user;
    std::string password;
    std::string attribute;  // -A
    std::string file;       // -f, or the word after setbios
    bool help = false;

    bool Remote() const { return !host.empty(); }

    // Parses argv; on a usage error returns false with `error` set.
    static bool Parse(const std::vector<std::string>& args, CommandLine& out, std::string& error);
    // Sub-commands pellora knows.
    static bool IsReport(const std::string& command);
    static const std::vector<std::string>& Reports();
    static std::string Usage();
};

#endif
