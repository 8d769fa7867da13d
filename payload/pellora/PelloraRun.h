#ifndef PELLORA_PELLORARUN_H
#define PELLORA_PELLORARUN_H

// One run of a sub-command against a backend, with the text it prints and
// its exit status: 0 done, 1 the operation failed, 2 the command line was
// wrong. Whatever fails prints a line starting with "Failure: "; each
// setting that cannot be applied prints "<name> : Failed (<reason>)".

#include <string>

#include "Backend.h"
#include "CommandLine.h"

class PelloraRun {
public:
    static int Execute(const CommandLine& cl, Backend& backend, std::string& out);

    // A value as one line: line breaks of a BMC's text would split the
    // name-colon-value listing.
    static std::string OneLine(const std::string& text);
};

#endif
