#ifndef QUENDAR_TEST_TEMPDIR_H
#define QUENDAR_TEST_TEMPDIR_H

// A private scratch directory, removed with everything in it when the
// object goes.

#include <ftw.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>

class TempDir {
public:
    TempDir()
    {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/quendar-test-XXXXXX";
        if (::mkdtemp(&pattern[0]) == nullptr) {
            throw std::runtime_error("mkdtemp failed for " + pattern);
        }
        m_path = pattern;
    }
    ~TempDir() { ::nftw(m_path.c_str(), RemoveOne, 16, FTW_DEPTH | FTW_PHYS); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    std::string Sub(const std::string& relative) const { return m_path + "/" + relative; }

    // Writes a file (making its directories) and returns its full path.
    std::string Write(const std::string& relative, const std::string& content) const
    {
        const std::string path = Sub(relative);
        for (size_t pos = path.find('/', m_path.size() + 1); pos != std::string::npos;
             pos = path.find('/', pos + 1)) {
            ::mkdir(path.substr(0, pos).c_str(), 0755);
        }
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << content;
        return path;
    }

    static std::string Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    static int RemoveOne(const char* path, const struct stat*, int, struct FTW*) { return ::remove(path); }

    std::string m_path;
};

#endif
