#include "ExtractTools.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "BrevaneGlobals.h"
#include "Logger.h"
#include "Pellora.h"
#include "SysRoot.h"
#include "obfuscator.h"

static Logger log;
static String innerStr;

namespace {

std::string g_workDir;
pid_t g_workDirOwner = -1;

// What the signal handler runs, prepared beforehand: a handler may only use
// async-signal-safe calls, so it starts rm on a ready argument vector.
std::string g_rmPath;
char* g_rmArgv[5] = {};
char* g_rmEnv[1] = {nullptr};

std::string FirstFile(std::vector<std::string> candidates)
{
    for (const auto& path : candidates) {
        if (g_fop.isFile(path)) {
            return path;
        }
    }
    return "";
}

std::string WorkBase()
{
    const char* tmp = std::getenv("TMPDIR");
    if (tmp != nullptr && tmp[0] == '/' && g_fop.isDir(tmp)) {
        return tmp;
    }
    return "/tmp";
}

void RemoveOnSignal(int sig)
{
    const int savedErrno = errno;
    if (g_rmArgv[0] != nullptr && getpid() == g_workDirOwner) {
        const pid_t pid = fork();
        if (pid == 0) {
            execve(g_rmArgv[0], g_rmArgv, g_rmEnv);
            _exit(127);
        }
        while (pid > 0 && waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    errno = savedErrno;
    signal(sig, SIG_DFL);
    raise(sig);
}

void ArmSignalRemoval()
{
    g_rmPath = FirstFile({"/usr/bin/rm", "/bin/rm"});
    if (g_rmPath.empty()) {
        return;
    }
    static std::string rf = "-rf";
    static std::string endOfOptions = "--";
    g_rmArgv[0] = &g_rmPath[0];
    g_rmArgv[1] = &rf[0];
    g_rmArgv[2] = &endOfOptions[0];
    g_rmArgv[3] = &g_workDir[0];
    g_rmArgv[4] = nullptr;
    struct sigaction action;
    std::memset(&action, 0, sizeof(action));
    action.sa_handler = RemoveOnSignal;
    sigemptyset(&action.sa_mask);
    for (const int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        sigaction(sig, &action, nullptr);
    }
}

void MakeWorkDir()
{
    std::string dirTemplate = WorkBase() + "/" + OBFUSCATED("brevane.XXXXXX");
    if (mkdtemp(&dirTemplate[0]) == nullptr) {
        log.LogShow(ERROR, "cannot create a private work directory from %s: %s", dirTemplate.c_str(),
                    std::strerror(errno));
        std::exit(1);
    }
    g_workDir = dirTemplate;
    g_workDirOwner = getpid();
    static bool registered = false;
    if (!registered) {
        registered = true;
        std::atexit(DeleteExtractTools);
    }
    ArmSignalRemoval();
}

std::string ArchivePath()
{
    return g_workDir + "/" + OBFUSCATED("Pellora_aarch64.tar.xz");
}

void Unpack()
{
    const std::string archive = ArchivePath();
    if (Pellora_len > static_cast<unsigned long>(INT_MAX)) {
        log.LogShow(ERROR, "the carried tool archive is too large to write (%lu bytes)", Pellora_len);
        return;
    }
    // The archive takes the owner, mode and times of the running program.
    g_fop.WriteBin2HeaderFile(archive, Pellora, static_cast<int>(Pellora_len), SysRoot::Resolve("/proc/self/exe"));
    const std::string tar = FirstFile({OBFUSCATED("/usr/bin/tar"), OBFUSCATED("/bin/tar")});
    if (tar.empty()) {
        log.LogShow(ERROR, "tar is needed to unpack the carried tool (looked in /usr/bin and /bin)");
        return;
    }
    // tar starts xz through the search path; the files stay root's own.
    g_lop.RunExecve(tar, {"tar", "--no-same-owner", "-xJf", archive, "-C", g_workDir},
                    OBFUSCATED("PATH=/usr/sbin:/usr/bin:/sbin:/bin"));
}

}  // namespace

std::string ToolLauncherPath()
{
    if (g_workDir.empty()) {
        return "";
    }
    return g_workDir + "/" + OBFUSCATED("Pellora_aarch64/bin/pellora");
}

std::string SettingsFilePath()
{
    if (g_workDir.empty()) {
        return "";
    }
    return g_workDir + "/" + OBFUSCATED("bios_settings.json");
}

void InitExtractTools()
{
    if (g_workDir.empty()) {
        MakeWorkDir();
        Unpack();
    }
    const std::string launcher = ToolLauncherPath();
    if (!g_fop.isFile(launcher)) {
        log.LogShow(ERROR, "%s", OBFUSCATED("the carried BIOS tool is missing after unpacking").c_str());
        ExitRun(1);
    }
    log.LogShow(INFO, "Brevane init...");
    // Without an in-band BIOS interface only the BMC path works, so the help
    // examples then carry the BMC options. Like every other call of the
    // tool, the check runs with an empty environment, so that it judges the
    // interface the later calls will use.
    LinuxOperate emptyEnvironment("");
    const auto check = emptyEnvironment.RunExecve(launcher, {OBFUSCATED("pellora"), OBFUSCATED("check")}, "");
    if (check.second != 0) {
        g_bmcHelpStr = OBFUSCATED(" -H <BMC IPv4> -U <BMC User> -P <BMC Password>");
    }
}

void DeleteExtractTools()
{
    // A child of this process that failed to start its program and exits
    // through exit() must not remove the tree its parent still uses.
    if (g_workDir.empty() || getpid() != g_workDirOwner) {
        return;
    }
    std::error_code error;
    std::filesystem::remove_all(g_workDir, error);
    if (error) {
        log.LogShow(WARN, "could not remove %s: %s", g_workDir.c_str(), error.message().c_str());
    }
    g_rmArgv[0] = nullptr;
    g_workDir.clear();
}

void ExitRun(int status)
{
    DeleteExtractTools();
    std::exit(status);
}
