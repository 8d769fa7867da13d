#ifndef QUENDAR_TIME_H
#define QUENDAR_TIME_H

#include <sys/time.h>

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>

#include "String.h"

// Time stamps with the tokens "%(MS)" (milliseconds, "%3d") and "%(US)"
// (microseconds, "%6d") besides the strftime ones.
class Time {
public:
    Time();
    ~Time();

    // Microseconds since the epoch.
    int64_t GetTimeUsSeconds();
    // Reads the clock, expands "%(MS)" (or else "%(US)"), then strftime for
    // local time; at most 127 characters.
    std::string GetTimeStrFmt(std::string fmt);
    // The same for a given reading of the clock.
    std::string FormatTimeStr(std::string fmt, struct timeval when);

    int m_detailSeconds;
    int m_detailMsSeconds;
    int64_t m_detailUsSeconds;
    std::string defaultTime;
    struct timeval m_curTime;
    struct tm m_nowTime;
    std::unique_ptr<String> m_str;
};

#endif
