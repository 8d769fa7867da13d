#include "Logger.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <algorithm>
#include <exception>

namespace {

constexpr size_t kMessageBuffer = 65536;
constexpr size_t kLineLimit = 65535;

// One lock for every logger of the process: a line reaches standard output
// and the log file whole, never interleaved with another thread's line.
// Never destroyed, so loggers used during exit still find it.
std::mutex& OutputLock()
{
    static std::mutex* lock = new std::mutex;
    return *lock;
}

std::string FormatArgs(const char* fmt, va_list args)
{
    std::string buffer(kMessageBuffer, '\0');
    int written = std::vsnprintf(&buffer[0], kMessageBuffer, fmt, args);
    if (written < 0) {
        return std::string();
    }
    size_t length = static_cast<size_t>(written);
    buffer.resize(length < kMessageBuffer ? length : kMessageBuffer - 1);
    return buffer;
}

void CutLine(std::string& line)
{
    if (line.size() > kLineLimit) {
        line.resize(kLineLimit);
    }
}

// Creates the missing directories above a file path, so the first line of
// a fresh machine still reaches the log file.
void MakeParentDirs(const std::string& filePath)
{
    for (size_t pos = filePath.find('/', 1); pos != std::string::npos; pos = filePath.find('/', pos + 1)) {
        const std::string dir = filePath.substr(0, pos);
        if (::mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) {
            return;
        }
    }
}

bool AppendWhole(const std::string& content, const std::string& filePath)
{
    int fd = ::open(filePath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    const std::string text = content + "\n";
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        done += static_cast<size_t>(n);
    }
    ::close(fd);
    return true;
}

}  // namespace

std::string GetLogLocalTimeWithMs()
{
    struct timeval now {};
    ::gettimeofday(&now, nullptr);
    return FormatLogLocalTime(now);
}

std::string FormatLogLocalTime(struct timeval now)
{
    const std::string defaultTime = "19700101000000000";
    try {
        struct tm local {};
        time_t seconds = now.tv_sec;
        if (::localtime_r(&seconds, &local) == nullptr) {
            return defaultTime;
        }
        char date[64] = {0};
        if (std::strftime(date, sizeof(date), "%Y-%m-%d %H:%M:%S", &local) == 0) {
            return defaultTime;
        }
        char stamp[96] = {0};
        std::snprintf(stamp, sizeof(stamp), "%s.%03d", date, static_cast<int>(now.tv_usec / 1000));
        return stamp;
    } catch (const std::exception&) {
        return defaultTime;
    }
}

void WriteFile(std::string content, std::string filePath)
{
    AppendWhole(content, filePath);
}

Logger::Logger()
    : m_messages(),
      m_logFile(GetDeliverableLogFile()),
      m_logOutString(),
      m_logLevel("DEBUG"),
      m_logFormat(" %s | %20s:%-4d | %-5s : %s"),
      m_logShowFormat(" %s | %-5s : %s")
{
}

Logger::~Logger() = default;

std::string Logger::GetLogLevel(int logLevel)
{
    switch (logLevel) {
        case ERROR:
            return "ERROR";
        case WARN:
            return "WARN";
        case INFO:
            return "INFO";
        case NONE:
            return "NONE";
        default:
            return "DEBUG";
    }
}

std::string Logger::GetLogOutString(std::string logFormat, std::string logLevel, std::string messages,
                                    const char* printFileName, int printLineNo)
{
    std::string stamp = GetLogLocalTimeWithMs();
    std::string line(kMessageBuffer, '\0');
    int written = std::snprintf(&line[0], kMessageBuffer, logFormat.c_str(), stamp.c_str(),
                                printFileName == nullptr ? "" : printFileName, printLineNo, logLevel.c_str(),
                                messages.c_str());
    line.resize(written < 0 ? 0 : std::min(static_cast<size_t>(written), kLineLimit));
    std::lock_guard<std::mutex> guard(m_recordLock);
    m_logOutString = line;
    return line;
}

std::string Logger::GetLogShowOutString(std::string logFormat, std::string logLevel, std::string messages)
{
    std::string stamp = GetLogLocalTimeWithMs();
    std::string line(kMessageBuffer, '\0');
    int written = std::snprintf(&line[0], kMessageBuffer, logFormat.c_str(), stamp.c_str(), logLevel.c_str(),
                                messages.c_str());
    line.resize(written < 0 ? 0 : std::min(static_cast<size_t>(written), kLineLimit));
    std::lock_guard<std::mutex> guard(m_recordLock);
    m_logOutString = line;
    return line;
}

void Logger::Log(int logLevel, const char* printFileName, int printLineNo, const char* fmt, ...)
{
    const std::string setting = g_loglevel;
    if (setting.empty()) {
        return;
    }
    if ((setting == "debug" && logLevel > DEBUG) || (setting == "info" && logLevel > INFO) ||
        (setting == "warn" && logLevel > WARN) || (setting == "error" && logLevel > ERROR) ||
        (setting == "none" && logLevel >= ERROR)) {
        return;
    }
    va_list args;
    va_start(args, fmt);
    std::string messages = FormatArgs(fmt, args);
    va_end(args);
    const std::string level = GetLogLevel(logLevel);
    std::string line = level != "NONE" ? GetLogOutString(m_logFormat, level, messages, printFileName, printLineNo)
                                       : " " + messages;
    Emit(logLevel, messages, line);
}

void Logger::LogShow(int logLevel, const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    std::string messages = FormatArgs(fmt, args);
    va_end(args);
    const std::string level = GetLogLevel(logLevel);
    std::string line = level != "NONE" ? GetLogShowOutString(m_logShowFormat, level, messages) : " " + messages;
    Emit(logLevel, messages, line);
}

void Logger::Emit(int logLevel, std::string messages, std::string line)
{
    CutLine(line);
    {
        std::lock_guard<std::mutex> guard(m_recordLock);
        m_logLevel = GetLogLevel(logLevel);
        m_messages = messages;
        m_logOutString = line;
    }
    std::lock_guard<std::mutex> output(OutputLock());
    const std::string text = line + "\n";
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
    if (!AppendWhole(line, m_logFile) && errno == ENOENT) {
        MakeParentDirs(m_logFile);
        AppendWhole(line, m_logFile);
    }
}

std::string Logger::LastMessages()
{
    std::lock_guard<std::mutex> guard(m_recordLock);
    return m_messages;
}

std::string Logger::LastOutString()
{
    std::lock_guard<std::mutex> guard(m_recordLock);
    return m_logOutString;
}

std::string Logger::LastLevel()
{
    std::lock_guard<std::mutex> guard(m_recordLock);
    return m_logLevel;
}

std::string Logger::LogFile()
{
    return m_logFile;
}
