#include "StopSignal.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace {

volatile sig_atomic_t g_signal = 0;
// Self-pipe: a signal arriving just before the sleep starts still wakes it.
int g_wake[2] = {-1, -1};

void EnsurePipe()
{
    if (g_wake[0] < 0) {
        if (pipe(g_wake) == 0) {
            for (int fd : g_wake) {
                fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
                fcntl(fd, F_SETFD, FD_CLOEXEC);
            }
        }
    }
}

int64_t NowMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

}  // namespace

namespace StopSignal {

void Notify(int signum)
{
    const int saved = errno;
    if (g_signal == 0) {
        g_signal = signum;
    }
    if (g_wake[1] >= 0) {
        const char byte = 1;
        ssize_t ignored = write(g_wake[1], &byte, 1);
        (void)ignored;
    }
    errno = saved;
}

void Install(void (*handler)(int))
{
    EnsurePipe();
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int Pending()
{
    return g_signal;
}

bool Sleep(double seconds)
{
    EnsurePipe();
    const int64_t end = NowMs() + static_cast<int64_t>(seconds * 1000);
    while (g_signal == 0) {
        const int64_t left = end - NowMs();
        if (left <= 0) {
            return true;
        }
        pollfd wake{g_wake[0], POLLIN, 0};
        const int ready = poll(&wake, 1, static_cast<int>(left > 1000000 ? 1000000 : left));
        if (ready > 0) {
            char buffer[16];
            while (read(g_wake[0], buffer, sizeof(buffer)) > 0) {
            }
        }
    }
    return false;
}

void Reset()
{
    g_signal = 0;
}

}  // namespace StopSignal
