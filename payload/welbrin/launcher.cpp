// Launcher of a carried tool. The tools are Debian's dynamically linked builds;
// they travel with the exact libraries and dynamic loader they were built
// against (<root>/lib), the real executables in <root>/libexec, and one copy
// of this launcher per tool in <root>/bin under the tool's name. The launcher
// is linked statically so that it runs even where the machine's own C library
// is missing or different, and it starts the tool through the carried loader
// with the carried library directory only (the loader cache is ignored), so
// nothing is taken from the machine's /lib.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Environment a tool needs to read its settings from the bundle instead of
// the administrator's home: the carried top reads $XDG_CONFIG_HOME/procps/toprc
// and, before that, a legacy $HOME/.toprc, so both point into <root>/etc.
struct ToolEnv {
    const char *tool;
    const char *variable;
    const char *subdir;
};
const ToolEnv kToolEnv[] = {
    {"top", "XDG_CONFIG_HOME", "etc"},
    {"top", "HOME", "etc"},
};

const char kLoader[] = "lib/ld-linux-x86-64.so.2";

std::string SelfPath()
{
    std::vector<char> buf(PATH_MAX + 1);
    ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    if (n <= 0) {
        return "";
    }
    return std::string(buf.data(), static_cast<size_t>(n));
}

} // namespace

int main(int argc, char **argv)
{
    std::string self = SelfPath();
    size_t slash = self.rfind('/');
    if (slash == std::string::npos) {
        std::fprintf(stderr, "launcher: cannot find its own location (/proc not mounted?)\n");
        return 127;
    }
    std::string tool = self.substr(slash + 1);
    std::string binDir = self.substr(0, slash);
    slash = binDir.rfind('/');
    std::string root = (slash == std::string::npos) ? std::string(".") : binDir.substr(0, slash);
    if (root.empty()) {
        root = "/";
    }

    for (const ToolEnv &e : kToolEnv) {
        if (tool == e.tool) {
            setenv(e.variable, (root + "/" + e.subdir).c_str(), 1);
        }
    }

    std::string loader = root + "/" + kLoader;
    std::string libDir = root + "/lib";
    std::string target = root + "/libexec/" + tool;
    // The tool sees the name it was called by (top derives its rc file name
    // from it), not the loader's.
    const char *argv0 = (argc > 0 && argv[0] != nullptr) ? argv[0] : tool.c_str();

    std::vector<char *> args;
    args.push_back(const_cast<char *>(loader.c_str()));
    args.push_back(const_cast<char *>("--inhibit-cache"));
    args.push_back(const_cast<char *>("--library-path"));
    args.push_back(const_cast<char *>(libDir.c_str()));
    args.push_back(const_cast<char *>("--argv0"));
    args.push_back(const_cast<char *>(argv0));
    args.push_back(const_cast<char *>(target.c_str()));
    for (int i = 1; i < argc; ++i) {
        args.push_back(argv[i]);
    }
    args.push_back(nullptr);

    execv(loader.c_str(), args.data());
    std::fprintf(stderr, "launcher: cannot start %s through %s: %s\n", target.c_str(), loader.c_str(),
                 std::strerror(errno));
    return 127;
}
