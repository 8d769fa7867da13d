#ifndef WELBRIN_OPTIONS_H
#define WELBRIN_OPTIONS_H

// The command line of Welbrin: what to collect, and for how long.

#include <string>

struct WelbrinOptions {
    enum class Action { Run, Help, Version, Refuse };

    Action action = Action::Run;
    int seconds = 5;
    int pid = -1;
    std::string cpuList;
    std::string keyword;
    bool logLevelGiven = false;
    std::string logLevel;
    // For Refuse: the one line that says what was wrong and what is accepted.
    std::string refusal;
};

// Reads the options over `defaults` (the collection time, process id and CPU
// list a run takes when they are not given). `coreCount` bounds the CPU
// numbers of -c. Never ends the program and never throws.
WelbrinOptions ParseWelbrinOptions(int argc, char** argv, WelbrinOptions defaults, int coreCount);

// The help text for the program invoked as `prog`, and the version line, each
// with its final newline.
std::string WelbrinHelpText(const std::string& prog);
std::string WelbrinVersionText();

#endif
