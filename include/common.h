#ifndef QUENDAR_COMMON_H
#define QUENDAR_COMMON_H

#include <string>

// The verbosity chosen on the command line ("debug", "info", "warn", "error",
// "none"); empty until the entry code assigns it, and while it is empty
// Logger::Log prints nothing.
extern std::string g_loglevel;

// The base name of a source path, for the file argument of Logger::Log:
//     log.Log(INFO, QuendarBaseName(__FILE__), __LINE__, "...");
constexpr const char* QuendarBaseName(const char* path)
{
    const char* base = path;
    for (const char* p = path; *p != '\0'; ++p) {
        if (*p == '/') {
            base = p + 1;
        }
    }
    return base;
}

#endif
