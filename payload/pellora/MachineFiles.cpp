#include "MachineFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "SysRoot.h"

namespace MachineFiles {

bool Read(const std::string& machinePath, std::string& out)
{
    std::ifstream in(SysRoot::Resolve(machinePath), std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        return false;
    }
    out = text.str();
    if (!out.empty() && out.back() == '\n') {
        out.pop_back();
    }
    return true;
}

std::string ReadOr(const std::string& machinePath, const std::string& fallback)
{
    std::string text;
    return Read(machinePath, text) ? text : fallback;
}

bool Exists(const std::string& machinePath)
{
    struct stat st;
    return stat(SysRoot::Resolve(machinePath).c_str(), &st) == 0;
}

bool IsDirectory(const std::string& machinePath)
{
    struct stat st;
    return stat(SysRoot::Resolve(machinePath).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::vector<std::string> List(const std::string& machinePath)
{
    std::vector<std::string> names;
    DIR* dir = opendir(SysRoot::Resolve(machinePath).c_str());
    if (dir == nullptr) {
        return names;
    }
    while (struct dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

bool Write(const std::string& machinePath, const std::string& text, std::string& error)
{
    int fd = open(SysRoot::Resolve(machinePath).c_str(), O_WRONLY | O_TRUNC | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    // sysfs takes one write per value; a short write is a refusal.
    ssize_t n = write(fd, text.data(), text.size());
    int writeErrno = errno;
    bool closed = close(fd) == 0;
    if (n < 0 || static_cast<size_t>(n) != text.size()) {
        error = n < 0 ? std::strerror(writeErrno) : "short write";
        return false;
    }
    if (!closed) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace MachineFiles
