#ifndef QUENDAR_LOGGER_H
#define QUENDAR_LOGGER_H

#include <sys/time.h>

#include <mutex>
#include <string>

#include "common.h"

// A larger number is a more verbose message; NONE marks raw text (command
// output echoed line by line), printed without time stamp or level.
enum LogLevel : int {
    NONE = -1,
    ERROR = 0,
    WARN = 1,
    INFO = 2,
    DEBUG = 3,
};

// The log file of the running deliverable (21 characters, kept obfuscated).
// The library holds a weak default for tests and helper programs; every
// deliverable defines its own.
std::string GetDeliverableLogFile();

// Current local time as "YYYY-MM-DD HH:MM:SS.mmm" (23 characters).
std::string GetLogLocalTimeWithMs();
// The same for a given reading of the clock.
std::string FormatLogLocalTime(struct timeval when);

// Appends content and one newline to filePath (created if missing), in one
// write; a file that cannot be opened is skipped silently.
void WriteFile(std::string content, std::string filePath);

// Every line goes whole to standard output and to the log file. Each call
// formats into its own locals; the fields only record the last line, so
// several threads may log through one object at once.
class Logger {
public:
    Logger();
    ~Logger();

    // Filtered by g_loglevel; tagged with time, file, line and level.
    void Log(int logLevel, const char* printFileName, int printLineNo, const char* fmt, ...)
        __attribute__((format(printf, 5, 6)));
    // Never filtered; tagged with time and level.
    void LogShow(int logLevel, const char* fmt, ...) __attribute__((format(printf, 3, 4)));

    std::string GetLogLevel(int logLevel);
    std::string GetLogOutString(std::string logFormat, std::string logLevel, std::string messages,
                                const char* printFileName, int printLineNo);
    std::string GetLogShowOutString(std::string logFormat, std::string logLevel, std::string messages);

    // Copies of the record of the last call (taken under the record's lock).
    std::string LastMessages();
    std::string LastOutString();
    std::string LastLevel();
    std::string LogFile();

    std::string m_messages;
    std::string m_logFile;
    std::string m_logOutString;
    std::string m_logLevel;
    std::string m_logFormat;
    std::string m_logShowFormat;

private:
    void Emit(int logLevel, std::string messages, std::string line);

    std::mutex m_recordLock;
};

#endif
