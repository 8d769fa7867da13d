#include "WelbrinInstaller.h"

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "FileOperate.h"
#include "InputCheck.h"
#include "LinuxOperate.h"
#include "Logger.h"
#include "obfuscator.h"

static Logger log;
static String innerStr;

namespace {

using InputCheck::ShellQuote;

// The tools are unpacked to fixed places in /tmp and then run as root. A
// place that someone else made there first (another owner, or a symbolic
// link to elsewhere) is removed instead of being unpacked into and trusted.
void ClaimFixedPlace(LinuxOperate& shell, const std::string& place)
{
    struct stat status {};
    if (lstat(place.c_str(), &status) != 0) {
        return;
    }
    if (S_ISDIR(status.st_mode) && status.st_uid == geteuid()) {
        return;
    }
    log.LogShow(WARN, "%s", (OBFUSCATED("replacing a foreign ") + place).c_str());
    shell.RunShell(OBFUSCATED("rm -rf -- ") + ShellQuote(place));
}

// The archives pass through a private directory, so no file of a fixed name
// in /tmp is ever opened for writing.
std::string PrivateDirectory()
{
    std::string pattern = OBFUSCATED("/tmp/welbrin_install_XXXXXX");
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) == nullptr) {
        log.LogShow(ERROR, "%s", (OBFUSCATED("cannot create a directory like ") + pattern).c_str());
        return "";
    }
    return buffer.data();
}

}  // namespace

void InstallCarriedTools(const WelbrinPayload& payload)
{
    FileOperate files;
    LinuxOperate shell("");
    // Every written file takes this file's owner, mode (rwxr-xr-x) and times.
    const std::string templateFile = OBFUSCATED("/usr/bin/env");
    const std::string toolDir = OBFUSCATED("/tmp/WelbrinBin");
    const std::string javaDir = OBFUSCATED("/tmp/async-profiler-3.0-linux-x64");
    const std::string work = PrivateDirectory();
    if (work.empty()) {
        return;
    }

    const std::string toolArchive = work + OBFUSCATED("/WelbrinBin.tar.xz");
    files.WriteBin2HeaderFile(toolArchive, payload.toolArchive.data, static_cast<int>(payload.toolArchive.length),
                              templateFile);
    ClaimFixedPlace(shell, toolDir);
    shell.RunShell(OBFUSCATED("tar --no-same-owner -xJf ") + ShellQuote(toolArchive) + OBFUSCATED(" -C /tmp"));

    // The carried top reads its settings from the bundle's own configuration
    // directory, never from the administrator's ~/.toprc or ~/.config.
    const std::string topDir = toolDir + OBFUSCATED("/etc/procps");
    shell.RunShell(OBFUSCATED("mkdir -p -- ") + ShellQuote(topDir));
    files.WriteBin2HeaderFile(topDir + "/toprc", payload.topConfig.data, static_cast<int>(payload.topConfig.length),
                              templateFile);

    const std::string javaArchive = work + OBFUSCATED("/async-profiler.tar.gz");
    files.WriteBin2HeaderFile(javaArchive, payload.javaArchive.data, static_cast<int>(payload.javaArchive.length),
                              templateFile);
    ClaimFixedPlace(shell, javaDir);
    shell.RunShell(OBFUSCATED("tar --no-same-owner -xzf ") + ShellQuote(javaArchive) + OBFUSCATED(" -C /tmp"));

    shell.RunShell(OBFUSCATED("rm -rf -- ") + ShellQuote(work));
}
