#include "ToolTree.h"

#include <climits>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

#include "SysRoot.h"

namespace {

std::string FirstLine(const std::string& path)
{
    std::ifstream in(path);
    std::string line;
    if (!in || !std::getline(in, line)) {
        return std::string();
    }
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) {
        line.pop_back();
    }
    return line;
}

bool IsFile(const std::string& path)
{
    return access(path.c_str(), R_OK) == 0;
}

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

}  // namespace

ToolSettings ToolTree::Read(const std::string& executable)
{
    ToolSettings s;
    size_t slash = executable.rfind('/');
    if (slash != std::string::npos) {
        std::string dir = executable.substr(0, slash);
        size_t up = dir.rfind('/');
        if (up != std::string::npos && dir.substr(up + 1) == "bin") {
            s.tree = dir.substr(0, up);
            if (s.tree.empty()) {
                s.tree = "/";
            }
        }
    }
    if (!s.tree.empty()) {
        const std::string etc = (s.tree == "/" ? "" : s.tree) + "/etc/";
        s.sysroot = FirstLine(etc + "sysroot");
        if (!s.sysroot.empty() && s.sysroot[0] != '/') {
            s.sysroot = (s.tree == "/" ? "" : s.tree) + "/" + s.sysroot;
        }
        if (IsFile(etc + "bmc-ca.pem")) {
            s.caFile = etc + "bmc-ca.pem";
        }
        s.pinnedKey = FirstLine(etc + "bmc-pin");
    }
    if (!Env("PELLORA_BMC_CA").empty()) {
        s.caFile = Env("PELLORA_BMC_CA");
    }
    if (!Env("PELLORA_BMC_PIN").empty()) {
        s.pinnedKey = Env("PELLORA_BMC_PIN");
    }
    if (!Env("QUENDAR_SYSROOT").empty()) {
        s.sysroot = Env("QUENDAR_SYSROOT");
    }
    return s;
}

ToolSettings ToolTree::Apply()
{
    char buf[PATH_MAX];
    // /proc/self is the running process whatever machine root is in use.
    ssize_t n = readlink(SysRoot::Resolve("/proc/self/exe").c_str(), buf, sizeof(buf) - 1);
    std::string exe = n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
    ToolSettings s = Read(exe);
    if (!s.sysroot.empty()) {
        setenv("QUENDAR_SYSROOT", s.sysroot.c_str(), 1);
    }
    return s;
}
