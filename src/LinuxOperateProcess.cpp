// Running other programs: through the shell (popen) or directly (fork and
// execve), waiting for them or leaving them in the background.
#include <fcntl.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <stdexcept>

#include "LinuxOperate.h"
#include "Logger.h"
#include "obfuscator.h"

namespace {
Logger log;
String innerStr;

constexpr const char* kFile = "LinuxOperateProcess.cpp";

// A command ended by a signal reports 128 + the signal, as shells do, so it
// never passes for a success.
int StatusOfWait(int waitStatus)
{
    if (WIFEXITED(waitStatus)) {
        return WEXITSTATUS(waitStatus);
    }
    if (WIFSIGNALED(waitStatus)) {
        return 128 + WTERMSIG(waitStatus);
    }
    return 1;
}

void RemoveOneLineEnd(std::string& text)
{
    if (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
}

// Echoes a piece of command output as a raw line; the text is never used as
// a format.
void EchoPiece(const char* piece, size_t length)
{
    std::string text(piece, length);
    RemoveOneLineEnd(text);
    log.Log(NONE, kFile, __LINE__, "%s", text.c_str());
}

// Runs a wrapped command through the shell; false when no pipe could be had.
bool RunThroughShell(const std::string& wrapped, std::pair<std::string, int>& result)
{
    result = std::pair<std::string, int>("", 1);
    std::FILE* pipe = ::popen(wrapped.c_str(), "r");
    if (pipe == nullptr) {
        return false;
    }
    char line[1024];
    while (std::fgets(line, sizeof(line), pipe) != nullptr) {
        const size_t length = std::strlen(line);
        result.first.append(line, length);
        EchoPiece(line, length);
    }
    RemoveOneLineEnd(result.first);
    const int waitStatus = ::pclose(pipe);
    result.second = waitStatus == -1 ? 1 : StatusOfWait(waitStatus);
    log.Log(INFO, kFile, __LINE__, "retCode: %d", result.second);
    return true;
}

std::vector<char*> PointerArray(std::vector<std::string>& words)
{
    std::vector<char*> pointers;
    pointers.reserve(words.size() + 1);
    for (std::string& word : words) {
        pointers.push_back(&word[0]);
    }
    pointers.push_back(nullptr);
    return pointers;
}

struct ChildText {
    char bytes[64];
    size_t length;
};

// Writes a whole text with write(2): the only output a forked child of a
// threaded program may safely make before execve.
void WriteAll(int fd, const char* data, size_t size)
{
    size_t done = 0;
    while (done < size) {
        ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        done += static_cast<size_t>(n);
    }
}

// "children execute...... <pid>" built without the allocator (after fork).
ChildText ChildBanner(pid_t pid)
{
    ChildText text{};
    const char prefix[] = "children execute...... ";
    size_t at = 0;
    for (; prefix[at] != '\0'; ++at) {
        text.bytes[at] = prefix[at];
    }
    char digits[24];
    size_t count = 0;
    unsigned long value = static_cast<unsigned long>(pid);
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0 && count < sizeof(digits));
    while (count > 0) {
        text.bytes[at++] = digits[--count];
    }
    text.bytes[at++] = '\n';
    text.length = at;
    return text;
}

int WaitChild(pid_t child)
{
    int waitStatus = 0;
    while (::waitpid(child, &waitStatus, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    return waitStatus;
}
}  // namespace

int LinuxOperate::RunShell(std::string shellCommand, int showFlag)
{
    (void)showFlag;
    runShellRetStr.clear();
    // The system directories go last on the search path, so the caller's
    // own tools still win.
    shellCommand = OBFUSCATED("export PATH=$PATH:/usr/sbin ;") + shellCommand + OBFUSCATED("\n");
    log.Log(INFO, kFile, __LINE__, "shell cmd: %s", shellCommand.c_str());
    std::pair<std::string, int> result;
    if (!RunThroughShell(shellCommand, result)) {
        throw std::runtime_error(OBFUSCATED("popen cmd fails"));
    }
    runShellRetCode = result.second;
    runShellRetStr = result.first;
    return runShellRetCode;
}

std::pair<std::string, int> LinuxOperate::RunShellThread(std::string shellCommand, int showFlag)
{
    log.Log(INFO, kFile, __LINE__, "shell cmd: %s", shellCommand.c_str());
    const std::string wrapped = OBFUSCATED("export PATH=$PATH:/usr/sbin:/sbin LC_NUMERIC=C ;") + shellCommand +
                                OBFUSCATED("\n");
    std::pair<std::string, int> result;
    if (!RunThroughShell(wrapped, result)) {
        log.Log(ERROR, kFile, __LINE__, "return ret: %d", 0);
        throw std::runtime_error(OBFUSCATED("popen cmd fails"));
    }
    if (showFlag == 1) {
        std::cout << result.first << std::endl;
    }
    return result;
}

std::pair<std::string, int> LinuxOperate::RunExecve(std::string pathName, std::vector<std::string> argv,
                                                    std::string envp, int showFlag)
{
    (void)showFlag;
    std::pair<std::string, int> result("", 1);
    std::vector<std::string> args = argv;
    std::vector<std::string> envWords = m_str->GetVecorBySplitStr(envp.empty() ? m_envp : envp);
    std::vector<char*> argPointers = PointerArray(args);
    std::vector<char*> envPointers = PointerArray(envWords);
    std::string shown;
    for (const std::string& word : argv) {
        shown += word + " ";
    }
    log.Log(INFO, kFile, __LINE__, "shell cmd: %s", shown.c_str());

    // Everything the child says when the program cannot start is prepared
    // here: after fork only write(2) and _exit are safe in a threaded caller.
    const std::string execFailure =
        log.GetLogShowOutString(log.m_logShowFormat, "ERROR", OBFUSCATED("execve failed to start the program")) +
        "\npathName:" + pathName + "\n" + shown + "\n";

    int fds[2] = {-1, -1};
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        log.LogShow(ERROR, "%s", OBFUSCATED("pipe failed").c_str());
        return result;
    }
    std::fflush(stdout);
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        log.LogShow(ERROR, "%s", OBFUSCATED("fork failed").c_str());
        return result;
    }
    if (child == 0) {
        ::close(fds[0]);
        ::dup2(fds[1], STDOUT_FILENO);
        ::dup2(fds[1], STDERR_FILENO);
        ::execve(pathName.c_str(), argPointers.data(), envPointers.data());
        WriteAll(STDOUT_FILENO, execFailure.data(), execFailure.size());
        ::_exit(1);
    }
    ::close(fds[1]);
    char piece[256];
    for (;;) {
        const ssize_t n = ::read(fds[0], piece, sizeof(piece));
        if (n == 0) {
            break;
        }
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            ::close(fds[0]);
            log.LogShow(ERROR, "%s", OBFUSCATED("read from the program failed").c_str());
            WaitChild(child);
            return std::pair<std::string, int>("", 1);
        }
        result.first.append(piece, static_cast<size_t>(n));
        EchoPiece(piece, static_cast<size_t>(n));
    }
    ::close(fds[0]);
    const int waitStatus = WaitChild(child);
    if (waitStatus >= 0) {
        result.second = StatusOfWait(waitStatus);
        log.Log(INFO, kFile, __LINE__, OBFUSCATED("child exit status: %d").c_str(), result.second);
    }
    RemoveOneLineEnd(result.first);
    return result;
}

std::pair<std::string, int> LinuxOperate::RunExecve(std::string pathName, std::string argv, std::string envp,
                                                    int showFlag)
{
    return RunExecve(pathName, m_str->GetVecorBySplitStr(argv), envp, showFlag);
}

std::string LinuxOperate::_ResolveProgramPath(std::string word)
{
    // A bare name is looked up along the search path, a name with a slash is
    // made absolute.
    if (word.find('/') == std::string::npos) {
        return RunExecve(OBFUSCATED("/usr/bin/which"), OBFUSCATED("which ") + word, "", 0).first;
    }
    return RunExecve(OBFUSCATED("/usr/bin/realpath"), OBFUSCATED("realpath ") + word, "", 0).first;
}

std::pair<std::string, int> LinuxOperate::RunExecve(std::string argv, int showFlag)
{
    std::vector<std::string> words = m_str->GetVecorBySplitStr(argv);
    if (words.empty()) {
        log.LogShow(ERROR, "%s", OBFUSCATED("no program named in the command line").c_str());
        return std::pair<std::string, int>("", 1);
    }
    return RunExecve(_ResolveProgramPath(words.front()), words, m_envp, showFlag);
}

int LinuxOperate::ForkRunBackGround(std::string runCommand)
{
    std::vector<std::string> words = m_str->GetVecorBySplitStr(runCommand);
    if (words.empty()) {
        log.LogShow(NONE, "for pid = -1, failed to execute \"%s\"", runCommand.c_str());
        std::exit(1);
    }
    const std::string path = _ResolveProgramPath(words.front());
    std::vector<std::string> envWords;
    for (const std::string& word : m_str->GetVecorBySplitStr(m_envp)) {
        // Proxy settings of the caller must not reach the measured command
        // (either spelling).
        std::string lower = word;
        for (char& c : lower) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        if (lower.find("_proxy") == std::string::npos) {
            envWords.push_back(word);
        }
    }
    std::vector<char*> argPointers = PointerArray(words);
    std::vector<char*> envPointers = PointerArray(envWords);

    std::cout << "parent execute...... " << ::getpid() << std::endl;
    std::fflush(stdout);
    const pid_t child = ::fork();
    if (child < 0) {
        log.LogShow(NONE, "for pid = -1, failed to execute \"%s\"", runCommand.c_str());
        std::exit(1);
    }
    if (child == 0) {
        const ChildText banner = ChildBanner(::getpid());
        WriteAll(STDOUT_FILENO, banner.bytes, banner.length);
        ::execve(path.c_str(), argPointers.data(), envPointers.data());
        ::_exit(1);
    }
    std::cout << "parent execute...... " << ::getpid() << std::endl;
    return child;
}
