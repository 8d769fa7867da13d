#ifndef OSTRUM_COMMAND_LINE_H
#define OSTRUM_COMMAND_LINE_H

// Ostrum's command line: the option values, the maps built from them, the
// help and version texts and the exit statuses of the command line itself.

#include <ostream>
#include <string>

#include "LinuxOperate.h"
#include "OstrumTypes.h"

struct CommandLineOptions {
    std::string cpu = "-1";
    std::string mode = "all";
    std::string state = "all";
    std::string command;
    std::string outKeywords;
    std::string threadKeywords;
    int interval = 5;
    int pid = -1;
    int times = 10;

    ModeMap modes;
    PrivilegeMap privileges;
    ParamMap params;
};

// Parses argv (getopt_long). Returns -1 when the run goes on (options filled
// in, maps built), otherwise the exit status the program ends with: 0 after
// help or version, 1 for an unrecognised option, a missing argument or a
// refused value (one line on err saying what was wrong and what is accepted).
// Help and version go to out. g_loglevel receives the -l text.
int ParseCommandLine(int argc, char** argv, LinuxOperate& lop, CommandLineOptions& options, std::ostream& out,
                     std::ostream& err);

void HelpInfo(const std::string& argv0, LinuxOperate& lop, std::ostream& out);

// Builds the three maps from the option values.
void BuildMaps(CommandLineOptions& options);

#endif
