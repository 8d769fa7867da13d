#include "Time.h"

#include <cstdio>

Time::Time()
    : m_detailSeconds(0),
      m_detailMsSeconds(0),
      m_detailUsSeconds(0),
      defaultTime("19700101000000000"),
      m_curTime{},
      m_nowTime{},
      m_str(new String())
{
}

Time::~Time() = default;

int64_t Time::GetTimeUsSeconds()
{
    struct timeval now {};
    ::gettimeofday(&now, nullptr);
    return static_cast<int64_t>(now.tv_sec) * 1000000 + static_cast<int64_t>(now.tv_usec);
}

std::string Time::GetTimeStrFmt(std::string fmt)
{
    struct timeval now {};
    ::gettimeofday(&now, nullptr);
    return FormatTimeStr(fmt, now);
}

std::string Time::FormatTimeStr(std::string fmt, struct timeval when)
{
    m_curTime = when;
    time_t seconds = m_curTime.tv_sec;
    if (::localtime_r(&seconds, &m_nowTime) == nullptr) {
        return defaultTime;
    }
    m_detailSeconds = static_cast<int>(m_curTime.tv_sec);
    m_detailUsSeconds = static_cast<int64_t>(m_curTime.tv_usec);
    m_detailMsSeconds = static_cast<int>(m_curTime.tv_usec / 1000);
    // Only one of the two tokens is expanded; "%(MS)" wins.
    if (m_str->CheckSub(fmt, std::string("%(MS)"))) {
        fmt = m_str->ReplaceSub(fmt, "%(MS)", m_str->GetCFormatStr("%3d", m_detailMsSeconds), 0);
    } else if (m_str->CheckSub(fmt, std::string("%(US)"))) {
        fmt = m_str->ReplaceSub(fmt, "%(US)", m_str->GetCFormatStr("%6d", static_cast<int>(m_detailUsSeconds)), 0);
    }
    char buffer[128] = {0};
    if (std::strftime(buffer, sizeof(buffer), fmt.c_str(), &m_nowTime) == 0) {
        return std::string();
    }
    return buffer;
}
