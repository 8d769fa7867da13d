#include "ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::vector<char*> Pointers(const std::vector<std::string>& words)
{
    std::vector<char*> out;
    for (const auto& w : words) {
        out.push_back(const_cast<char*>(w.c_str()));
    }
    out.push_back(nullptr);
    return out;
}

void CloseBoth(int fds[2])
{
    for (int i = 0; i < 2; ++i) {
        if (fds[i] >= 0) {
            close(fds[i]);
            fds[i] = -1;
        }
    }
}

}  // namespace

ChildResult RunChild(const std::string& path, const std::vector<std::string>& argv,
                     const std::vector<std::string>& env, const std::string& input)
{
    ChildResult result;
    int in[2] = {-1, -1};
    int out[2] = {-1, -1};
    int err[2] = {-1, -1};
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
        result.failure = std::string("cannot create a pipe: ") + std::strerror(errno);
        CloseBoth(in);
        CloseBoth(out);
        CloseBoth(err);
        return result;
    }
    std::vector<char*> args = Pointers(argv);
    std::vector<char*> envp = Pointers(env);
    pid_t pid = fork();
    if (pid < 0) {
        result.failure = std::string("cannot start a process: ") + std::strerror(errno);
        CloseBoth(in);
        CloseBoth(out);
        CloseBoth(err);
        return result;
    }
    if (pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        execve(path.c_str(), args.data(), envp.data());
        const char msg[] = "cannot execute the program\n";
        ssize_t ignored = write(2, msg, sizeof(msg) - 1);
        (void)ignored;
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    // A child that stops reading must not kill us with SIGPIPE.
    struct sigaction ignorePipe {};
    struct sigaction previous {};
    ignorePipe.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignorePipe, &previous);

    size_t written = 0;
    int inFd = in[1];
    // Never block on the child's input while its output waits to be read.
    fcntl(inFd, F_SETFL, fcntl(inFd, F_GETFL) | O_NONBLOCK);
    if (input.empty()) {
        close(inFd);
        inFd = -1;
    }
    int outFd = out[0];
    int errFd = err[0];
    while (outFd >= 0 || errFd >= 0) {
        struct pollfd fds[3];
        int n = 0;
        if (inFd >= 0) {
            fds[n++] = {inFd, POLLOUT, 0};
        }
        if (outFd >= 0) {
            fds[n++] = {outFd, POLLIN, 0};
        }
        if (errFd >= 0) {
            fds[n++] = {errFd, POLLIN, 0};
        }
        if (poll(fds, static_cast<nfds_t>(n), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        for (int i = 0; i < n; ++i) {
            if (fds[i].revents == 0) {
                continue;
            }
            if (fds[i].fd == inFd) {
                ssize_t w = write(inFd, input.data() + written, input.size() - written);
                if (w > 0) {
                    written += static_cast<size_t>(w);
                }
                if ((w < 0 && errno != EAGAIN && errno != EINTR) || written == input.size()) {
                    close(inFd);
                    inFd = -1;
                }
                continue;
            }
            char buf[4096];
            ssize_t r = read(fds[i].fd, buf, sizeof(buf));
            if (r > 0) {
                (fds[i].fd == outFd ? result.out : result.err).append(buf, static_cast<size_t>(r));
            } else if (r == 0 || errno != EINTR) {
                if (fds[i].fd == outFd) {
                    close(outFd);
                    outFd = -1;
                } else {
                    close(errFd);
                    errFd = -1;
                }
            }
        }
    }
    if (inFd >= 0) {
        close(inFd);
    }
    if (outFd >= 0) {
        close(outFd);
    }
    if (errFd >= 0) {
        close(errFd);
    }
    int wstatus = 0;
    while (waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
    }
    sigaction(SIGPIPE, &previous, nullptr);
    if (WIFEXITED(wstatus)) {
        result.status = WEXITSTATUS(wstatus);
    } else {
        result.failure = "the program was ended by signal " + std::to_string(WTERMSIG(wstatus));
    }
    return result;
}
