#ifndef QUENDAR_TEST_RUNCOMMAND_H
#define QUENDAR_TEST_RUNCOMMAND_H

// Runs a shell command line and captures its standard output, standard
// error and exit status (128 + signal for a command ended by a signal).

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "ShellQuote.h"

#include "TempDir.h"

struct CommandResult {
    std::string out;
    std::string err;
    int status = -1;
};

inline CommandResult RunCommand(const std::string& command)
{
    TempDir scratch;
    const std::string outPath = scratch.Sub("out");
    const std::string errPath = scratch.Sub("err");
    const std::string line = "( " + command + " ) >'" + outPath + "' 2>'" + errPath + "' </dev/null";
    CommandResult result;
    const int wait = std::system(line.c_str());
    if (wait != -1 && WIFEXITED(wait)) {
        result.status = WEXITSTATUS(wait);
    } else if (wait != -1 && WIFSIGNALED(wait)) {
        result.status = 128 + WTERMSIG(wait);
    }
    result.out = TempDir::Read(outPath);
    result.err = TempDir::Read(errPath);
    return result;
}

#endif
