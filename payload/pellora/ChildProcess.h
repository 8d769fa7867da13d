#ifndef PELLORA_CHILDPROCESS_H
#define PELLORA_CHILDPROCESS_H

// Runs one program without a shell: exact argument vector, given
// environment, text fed on its standard input, both outputs captured.
// Secrets travel on standard input, never on the argument vector, which
// every user of the machine can read in /proc.

#include <string>
#include <vector>

struct ChildResult {
    int status = -1;       // exit code; -1 when it could not run or was killed
    std::string out;
    std::string err;
    std::string failure;   // why it could not be run, when status is -1
};

ChildResult RunChild(const std::string& path, const std::vector<std::string>& argv,
                     const std::vector<std::string>& env, const std::string& input);

#endif
