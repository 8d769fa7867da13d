#include "SysRoot.h"

#include <cctype>
#include <cstdlib>

namespace {

// Paths of processes and threads: they always come from the running kernel.
bool IsProcessPath(const std::string& path)
{
    if (path == "/proc" || path == "/proc/") {
        return true;
    }
    const std::string prefix = "/proc/";
    if (path.compare(0, prefix.size(), prefix) != 0) {
        return false;
    }
    const std::string rest = path.substr(prefix.size());
    const std::string first = rest.substr(0, rest.find('/'));
    if (first == "self" || first == "thread-self") {
        return true;
    }
    if (first.empty()) {
        return true;
    }
    for (char c : first) {
        if (std::isdigit(static_cast<unsigned char>(c)) == 0) {
            return false;
        }
    }
    return true;
}

bool IsMachinePath(const std::string& path)
{
    if (path.compare(0, 5, "/sys/") == 0 || path == "/sys") {
        return true;
    }
    return path.compare(0, 6, "/proc/") == 0 && !IsProcessPath(path);
}

}  // namespace

namespace SysRoot {

std::string Root()
{
    // Read at every call: tests and callers may change it at run time.
    const char* root = std::getenv("QUENDAR_SYSROOT");
    if (root == nullptr) {
        return std::string();
    }
    std::string text(root);
    while (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    // A root of "/" is the real machine.
    if (text == "/") {
        return std::string();
    }
    return text;
}

bool IsDescribed()
{
    return !Root().empty();
}

std::string Resolve(const std::string& path)
{
    const std::string root = Root();
    if (root.empty() || !IsMachinePath(path)) {
        return path;
    }
    return root + path;
}

}  // namespace SysRoot
